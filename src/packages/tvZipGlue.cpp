// The zip library behind the packages: directory walks, checked member reads, new members, the
// empty-package fallback and package file names for the system.
#include "base/tvPrelude.h"

#include "packages/tvZipGlue.h"
#include "packages/tvPackageMembers.h"
#include "tvCore/packages/tvPackage.h"
#include "platform/tvPlatformClock.h"
#include "platform/tvPlatformFiles.h"
#include "platform/tvPlatformText.h"
#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/tvGlobals.h"

#include <unzip.h>
#include <zip.h>

namespace Tolvane {

namespace {

// Deflate cannot shrink data by more than about 1032 to 1; a directory entry that claims more
// is forged, and its size is never allocated.
constexpr std::uint64_t DeflateMaxRatio = 1032;
constexpr std::uint64_t DeflateSlack = 1024;
// A member's size is handed out as an int (GetSize).
constexpr std::uint64_t MemberSizeLimit = 0x7FFFFFFF;

bool SizeIsJustified(const unz_file_info& Info)
{
    if (Info.flag & 1)  // encrypted: the library holds no password
        return false;
    const std::uint64_t Packed = Info.compressed_size;
    const std::uint64_t Plain = Info.uncompressed_size;
    if (Plain > MemberSizeLimit)
        return false;
    if (Info.compression_method == 0)
        return Plain == Packed;
    if (Info.compression_method == Z_DEFLATED)
        return Plain <= Packed * DeflateMaxRatio + DeflateSlack;
    return false;
}

// The current member's information and name. The zip library leaves a name that fills its
// buffer unterminated, so such a name is reported as too long instead of being read.
bool CurrentMemberInfo(unzFile Zip, unz_file_info& Info, char (&Name)[PackageMemberNameCapacity], bool& Overlong)
{
    Overlong = false;
    if (unzGetCurrentFileInfo(Zip, &Info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    if (Info.size_filename >= PackageMemberNameCapacity) {
        Overlong = true;
        return false;
    }
    std::memset(Name, 0, sizeof(Name));
    return unzGetCurrentFileInfo(Zip, &Info, Name, sizeof(Name), nullptr, 0, nullptr, 0) == UNZ_OK;
}

std::uint32_t ReadLe(const unsigned char* P, int Bytes)
{
    std::uint32_t Value = 0;
    for (int Index = Bytes - 1; Index >= 0; --Index)
        Value = (Value << 8) | P[Index];
    return Value;
}

} // namespace

FPackageMemberTable* ReadZipDirectory(void* Unzip, bool& Overlong)
{
    Overlong = false;
    unzFile Zip = static_cast<unzFile>(Unzip);
    TArray<FPackageMember*> Found;
    bool Failed = false;
    for (int Status = unzGoToFirstFile(Zip); Status == UNZ_OK; Status = unzGoToNextFile(Zip)) {
        unz_file_info Info;
        char Name[PackageMemberNameCapacity];
        bool TooLong = false;
        if (!CurrentMemberInfo(Zip, Info, Name, TooLong)) {
            if (!TooLong)
                break;
            Overlong = true;
            continue;
        }
        unz_file_pos Position;
        if (unzGetFilePos(Zip, &Position) != UNZ_OK)
            break;
        FPackageMember* Member = FPackageMemberTable::NewMember(Name, static_cast<tvULong>(Position.pos_in_zip_directory),
                                                               static_cast<tvULong>(Position.num_of_file));
        if (!Member) {
            Failed = true;
            break;
        }
        Found.AddItem(Member);
    }
    FPackageMemberTable* Table = Failed ? nullptr : FPackageMemberTable::Create(Found.Num());
    // Inserting from the last member to the first leaves each bucket in directory order.
    for (int Index = Found.Num() - 1; Index >= 0; --Index) {
        if (Table)
            Table->InsertAtHead(Found[Index]);
        else
            FPackageMemberTable::FreeMember(Found[Index]);
    }
    return Table;
}

bool OpenZipMember(void* Unzip, const FPackageMember& Member, char (&Name)[PackageMemberNameCapacity], tvULong& Size)
{
    unzFile Zip = static_cast<unzFile>(Unzip);
    unz_file_pos Position;
    Position.pos_in_zip_directory = Member.DirectoryOffset;
    Position.num_of_file = Member.FileNumber;
    if (unzGoToFilePos(Zip, &Position) != UNZ_OK)
        return false;
    unz_file_info Info;
    bool Overlong = false;
    if (!CurrentMemberInfo(Zip, Info, Name, Overlong) || !SizeIsJustified(Info))
        return false;
    if (unzOpenCurrentFile(Zip) != UNZ_OK)
        return false;
    Size = static_cast<tvULong>(Info.uncompressed_size);
    return true;
}

bool ReadZipMemberEntry(void* Unzip, const FPackageMember& Member, FPackageMemberInfo& Info)
{
    unzFile Zip = static_cast<unzFile>(Unzip);
    unz_file_pos Position;
    Position.pos_in_zip_directory = Member.DirectoryOffset;
    Position.num_of_file = Member.FileNumber;
    if (unzGoToFilePos(Zip, &Position) != UNZ_OK)
        return false;
    unz_file_info Entry;
    bool Overlong = false;
    if (!CurrentMemberInfo(Zip, Entry, Info.Name, Overlong))
        return false;
    Info.Size = static_cast<tvULong>(Entry.uncompressed_size);
    Info.CompressedSize = static_cast<tvULong>(Entry.compressed_size);
    Info.Crc = static_cast<tvULong>(Entry.crc);
    Info.DosTime = static_cast<tvULong>(Entry.dosDate);
    Info.Method = static_cast<tvULong>(Entry.compression_method);
    Info.DirectoryOffset = Member.DirectoryOffset;
    Info.FileNumber = Member.FileNumber;
    return true;
}

bool ReadZipMember(void* Unzip, void* Buffer, tvULong Size)
{
    unzFile Zip = static_cast<unzFile>(Unzip);
    const int Got = Size > 0 ? unzReadCurrentFile(Zip, Buffer, static_cast<unsigned>(Size)) : 0;
    // Closing checks the checksum once the whole member has been read.
    const int Closed = unzCloseCurrentFile(Zip);
    return Got >= 0 && static_cast<tvULong>(Got) == Size && Closed == UNZ_OK;
}

bool OpenNewZipMember(void* Zip, const char* Name)
{
    if (!Zip)
        return false;
    zip_fileinfo Info;
    std::memset(&Info, 0, sizeof(Info));
    Platform::FLocalTime Now{};
    if (Platform::LocalTimeNow(Now)) {
        Info.tmz_date.tm_sec = static_cast<uInt>(Now.Second);
        Info.tmz_date.tm_min = static_cast<uInt>(Now.Minute);
        Info.tmz_date.tm_hour = static_cast<uInt>(Now.Hour);
        Info.tmz_date.tm_mday = static_cast<uInt>(Now.Day);
        Info.tmz_date.tm_mon = static_cast<uInt>(Now.Month - 1);
        Info.tmz_date.tm_year = static_cast<uInt>(Now.Year - 1900);
    }
    return zipOpenNewFileInZip(static_cast<zipFile>(Zip), Name, &Info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                               1) == ZIP_OK;
}

bool WriteZipMemberData(void* Zip, const void* Data, tvULong Length)
{
    return Zip && (Length == 0 || zipWriteInFileInZip(static_cast<zipFile>(Zip), Data, static_cast<unsigned>(Length)) == ZIP_OK);
}

bool CloseNewZipMember(void* Zip) { return Zip && zipCloseFileInZip(static_cast<zipFile>(Zip)) == ZIP_OK; }

bool ReadEmptyZipComment(const tvWChar* Path, char (&Comment)[9])
{
    std::memset(Comment, 0, sizeof(Comment));
    // The end record is 22 bytes and a comment of up to 65535 bytes.
    constexpr std::int64_t EndRecord = 22;
    constexpr std::int64_t TailMax = EndRecord + 65535;
    tvHandle Stream = Platform::StreamOpen(Path, Platform::EStreamMode::ReadBinary);
    if (!Stream)
        return false;
    bool Found = false;
    unsigned char* Tail = nullptr;
    std::int64_t FileSize = -1;
    if (Platform::StreamSeek(Stream, 0, Platform::EStreamOrigin::End))
        FileSize = Platform::StreamTell(Stream);
    const std::int64_t TailSize = FileSize < TailMax ? FileSize : TailMax;
    if (TailSize >= EndRecord) {
        Tail = static_cast<unsigned char*>(GMalloc->Malloc(static_cast<unsigned int>(TailSize)));
        if (Tail && Platform::StreamSeek(Stream, FileSize - TailSize, Platform::EStreamOrigin::Begin) &&
            Platform::StreamRead(Stream, Tail, static_cast<std::size_t>(TailSize)) == static_cast<std::size_t>(TailSize)) {
            // The last end record signature wins, as the zip library searches backwards. A zip
            // of no members holds nothing but that record and its comment.
            for (std::int64_t At = TailSize - EndRecord; At >= 0 && !Found; --At) {
                const unsigned char* R = Tail + At;
                if (ReadLe(R, 4) != 0x06054b50)
                    continue;
                const std::uint32_t CommentLength = ReadLe(R + 20, 2);
                const bool Empty = ReadLe(R + 4, 2) == 0 && ReadLe(R + 6, 2) == 0 && ReadLe(R + 8, 2) == 0 &&
                                   ReadLe(R + 10, 2) == 0 && ReadLe(R + 12, 4) == 0 &&
                                   FileSize - TailSize + At == static_cast<std::int64_t>(ReadLe(R + 16, 4)) &&
                                   At + EndRecord + CommentLength <= TailSize;
                if (!Empty)
                    break;
                std::memcpy(Comment, R + EndRecord, CommentLength < sizeof(Comment) ? CommentLength : sizeof(Comment));
                Found = true;
            }
        }
    }
    if (Tail)
        GMalloc->Free(Tail);
    Platform::StreamClose(Stream);
    return Found;
}

FPackageFileName::FPackageFileName(const char* AnsiPath) : Valid(false)
{
    WideText[0] = 0;
    SystemText[0] = 0;
    if (!AnsiPath || !AnsiPath[0])
        return;
    if (Platform::MultiByteToWide(Platform::GCodePageAnsi, AnsiPath, -1, WideText, Capacity) == 0)
        return;
    const Platform::FSystemPath SystemPath(WideText);
    if (!SystemPath.Ok() || std::strlen(SystemPath.Get()) >= sizeof(SystemText))
        return;
    std::strcpy(SystemText, SystemPath.Get());
    Valid = true;
}

} // namespace Tolvane
