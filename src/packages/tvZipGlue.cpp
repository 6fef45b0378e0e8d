// The zip library behind the packages: directory walks, checked member reads, new members, the
// empty-package fallback and package file names for the system.
#include "base/tvPrelude.h"

#include "packages/tvZipGlue.h"
#include "packages/tvPackageMembers.h"
#include "packages/tvZipChecksum.h"
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

FPackageMemberData DataOf(const unz_file_info& Info)
{
    FPackageMemberData Data;
    Data.Size = static_cast<tvULong>(Info.uncompressed_size);
    Data.PackedSize = static_cast<tvULong>(Info.compressed_size);
    Data.Crc = static_cast<std::uint32_t>(Info.crc);
    Data.Method = SizeIsJustified(Info) ? static_cast<int>(Info.compression_method) : -1;
    return Data;
}

// zlib's memory comes from GMalloc as well.
voidpf ZlibAlloc(voidpf, uInt Items, uInt Size)
{
    const std::uint64_t Bytes = static_cast<std::uint64_t>(Items) * Size;
    return Bytes <= 0xFFFFFFFFu ? GMalloc->Malloc(static_cast<unsigned int>(Bytes)) : Z_NULL;
}

void ZlibFree(voidpf, voidpf Address) { GMalloc->Free(Address); }

std::uint32_t ReadLe(const unsigned char* P, int Bytes)
{
    std::uint32_t Value = 0;
    for (int Index = Bytes - 1; Index >= 0; --Index)
        Value = (Value << 8) | P[Index];
    return Value;
}

} // namespace

FPackageMemberTable* ReadZipDirectory(void* Unzip, bool& Overlong, bool& Refused)
{
    Overlong = false;
    Refused = false;
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
        if (Member)
            Member->Data = DataOf(Info);
        // A member the list cannot take is freed here, and the walk ends as refused.
        if (!Member || Found.AddItem(Member) < 0) {
            if (Member)
                FPackageMemberTable::FreeMember(Member);
            Failed = true;
            break;
        }
    }
    FPackageMemberTable* Table = Failed ? nullptr : FPackageMemberTable::Create(Found.Num());
    Refused = Failed || (!Table && Found.Num() > 0);
    // Inserting from the last member to the first leaves each bucket in directory order.
    for (int Index = Found.Num() - 1; Index >= 0; --Index) {
        if (Table)
            Table->InsertAtHead(Found[Index]);
        else
            FPackageMemberTable::FreeMember(Found[Index]);
    }
    return Table;
}

bool OpenZipMember(void* Unzip, const FPackageMember& Member, bool Fresh, FPackageMemberData& Data,
                   char (*Name)[PackageMemberNameCapacity])
{
    unzFile Zip = static_cast<unzFile>(Unzip);
    unz_file_pos Position;
    Position.pos_in_zip_directory = Member.DirectoryOffset;
    Position.num_of_file = Member.FileNumber;
    if (unzGoToFilePos(Zip, &Position) != UNZ_OK)
        return false;
    Data = Member.Data;
    if (Fresh || Name) {
        unz_file_info Info;
        bool Overlong = false;
        if (Name ? !CurrentMemberInfo(Zip, Info, *Name, Overlong)
                 : unzGetCurrentFileInfo(Zip, &Info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        Data = DataOf(Info);
    }
    if (Data.Method < 0)
        return false;
    // Opened raw: the zip library checks the local header and finds the data; the bytes are
    // read and inflated here in large steps instead of its small ones.
    int Method = 0;
    int Level = 0;
    return unzOpenCurrentFile2(Zip, &Method, &Level, 1) == UNZ_OK;
}

class FZipMemberSource : public FFundament {
public:
    // Stored bytes are read and inflated this many at a time at most.
    static constexpr tvULong StepBytes = 256 * 1024;

    tvHandle File = nullptr;
    z_stream Stream;
    bool StreamReady = false;
    unsigned char* Buffer = nullptr;
    tvULong Capacity = 0;

    // Room for Bytes in the read buffer, which keeps the largest room asked for.
    bool Reserve(tvULong Bytes)
    {
        if (Bytes <= Capacity)
            return true;
        unsigned char* Grown = static_cast<unsigned char*>(GMalloc->Malloc(Bytes));
        if (!Grown)
            return false;
        if (Buffer)
            GMalloc->Free(Buffer);
        Buffer = Grown;
        Capacity = Bytes;
        return true;
    }

    // The inflater, ready for a new raw deflate stream.
    bool Restart()
    {
        if (StreamReady)
            return inflateReset(&Stream) == Z_OK;
        std::memset(&Stream, 0, sizeof(Stream));
        Stream.zalloc = ZlibAlloc;
        Stream.zfree = ZlibFree;
        StreamReady = inflateInit2(&Stream, -MAX_WBITS) == Z_OK;
        return StreamReady;
    }

    bool Read(void* Into, tvULong Bytes)
    {
        return Platform::StreamRead(File, Into, Bytes) == static_cast<std::size_t>(Bytes);
    }

    // Inflates Data.PackedSize bytes from the file's position into Out (Data.Size bytes), and
    // the checksum of what came out into Crc, each step's output while it is still in cache.
    bool Inflate(const FPackageMemberData& Data, unsigned char* Out, std::uint32_t& Crc)
    {
        if (!Out || !Restart() || !Reserve(Data.PackedSize < StepBytes ? Data.PackedSize : StepBytes))
            return false;
        // Resetting the inflater keeps the input fields; what an earlier member left unread
        // is dropped here.
        Stream.next_in = Buffer;
        Stream.avail_in = 0;
        Stream.next_out = Out;
        Stream.avail_out = static_cast<uInt>(Data.Size);
        tvULong Remaining = Data.PackedSize;
        int Result = Z_OK;
        while (Result == Z_OK) {
            if (Stream.avail_in == 0) {
                const tvULong Step = Remaining < StepBytes ? Remaining : StepBytes;
                if (Step == 0 || !Read(Buffer, Step))
                    return false;
                Remaining -= Step;
                Stream.next_in = Buffer;
                Stream.avail_in = static_cast<uInt>(Step);
            }
            // The last step finishes in one call, which spares the inflater its window.
            const uLong Before = Stream.total_out;
            Result = inflate(&Stream, Remaining == 0 ? Z_FINISH : Z_NO_FLUSH);
            Crc = ZipCrc32(Crc, Out + Before, Stream.total_out - Before);
        }
        return Result == Z_STREAM_END && Stream.total_out == Data.Size;
    }
};

FZipMemberSource* OpenZipMemberSource(const tvWChar* Path)
{
    tvHandle File = Platform::StreamOpen(Path, Platform::EStreamMode::ReadBinary);
    if (!File)
        return nullptr;
    FZipMemberSource* Source = new FZipMemberSource;
    if (!Source) {
        Platform::StreamClose(File);
        return nullptr;
    }
    Source->File = File;
    return Source;
}

void CloseZipMemberSource(FZipMemberSource* Source)
{
    if (!Source)
        return;
    if (Source->StreamReady)
        inflateEnd(&Source->Stream);
    if (Source->Buffer)
        GMalloc->Free(Source->Buffer);
    Platform::StreamClose(Source->File);
    delete Source;
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

bool ReadZipMember(void* Unzip, FZipMemberSource* Source, const FPackageMemberData& Data, void* Buffer)
{
    unzFile Zip = static_cast<unzFile>(Unzip);
    const ZPOS64_T Offset = unzGetCurrentFileZStreamPos64(Zip);
    const bool Closed = unzCloseCurrentFile(Zip) == UNZ_OK;
    if (!Closed || !Source || Offset == 0 || Offset > static_cast<ZPOS64_T>(INT64_MAX))
        return false;
    if (Data.Size == 0)
        return Data.Crc == 0;  // nothing to read; an empty member's checksum is 0
    if (!Buffer || !Platform::StreamSeek(Source->File, static_cast<std::int64_t>(Offset), Platform::EStreamOrigin::Begin))
        return false;
    unsigned char* Out = static_cast<unsigned char*>(Buffer);
    std::uint32_t Crc = 0;
    bool Decoded = false;
    if (Data.Method == 0) {
        Decoded = Source->Read(Out, Data.Size);
        Crc = ZipCrc32(0, Out, Data.Size);
    } else {
        Decoded = Source->Inflate(Data, Out, Crc);
    }
    // A damaged member is refused, never handed out.
    return Decoded && Crc == Data.Crc;
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
