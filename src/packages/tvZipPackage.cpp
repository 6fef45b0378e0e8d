// Writing packages: a new zip beside the old package (or the package itself when appending),
// the carry-over of old members in update mode, and the replacement of the package in one step.
#include "base/tvPrelude.h"

#include "tvCore/packages/tvPackage.h"
#include "tvCore/packages/tvZipFile.h"
#include "packages/tvPackageMembers.h"
#include "packages/tvZipGlue.h"
#include "platform/tvPlatformFileReplace.h"
#include "platform/tvPlatformFiles.h"
#include "tvCore/core/tvGlobals.h"

#include <unzip.h>
#include <zip.h>

namespace Tolvane {

namespace {

constexpr char TempSuffix[] = "Temp.xup";

// The archive comment every package gets: the marker and the version.
struct FPackageComment {
    char Text[16];
    FPackageComment() { std::snprintf(Text, sizeof(Text), "X++M%d", static_cast<int>(PackageVersion)); }
};
// The zip library writes a comment of 64 KiB or more but cannot read the zip back.
static_assert(sizeof(FPackageComment::Text) < 65536, "a zip comment stays below 64 KiB");

} // namespace

FZipPackage::FZipPackage(const tvWChar* PackagePath)
    : FPackage(PackagePath), WriteHandle(nullptr), WritePath{}, CarriedOver(nullptr), CarryOverBlocked(false)
{
}

FZipPackage::~FZipPackage() { FZipPackage::Close(); }

bool FZipPackage::Open()
{
    if (WriteHandle)
        return true;
    if (!Path[0])
        return false;
    const bool Append = GZipWriteMode == ZIPWRITE_Append;
    if (Append) {
        std::memcpy(WritePath, Path, sizeof(WritePath));
    } else {
        if (!GIsEditor && !Absolute) {
            char UserCopy[PathCapacity];
            if (!UserCopyPath(UserCopy))
                return false;
            std::memcpy(Path, UserCopy, sizeof(Path));
        }
        // "name.xup" becomes "nameTemp.xup"; a name with no room for it is refused.
        const std::size_t Length = std::strlen(Path);
        if (Length < 4 || Length - 4 + sizeof(TempSuffix) > sizeof(WritePath))
            return false;
        std::memcpy(WritePath, Path, Length - 4);
        std::memcpy(WritePath + Length - 4, TempSuffix, sizeof(TempSuffix));
        const FPackageFileName Temp(WritePath);
        if (Temp.Ok())
            Platform::FileDelete(Temp.Wide());
    }
    const FPackageFileName Old(Path);
    if (Old.Ok() && Platform::FileAccess(Old.Wide(), Platform::FileAccessExists)) {
        unzFile Unzip = unzOpen(Old.System());
        if (Unzip) {
            delete CarriedOver;
            CarriedOver = ReadZipDirectory(Unzip, CarryOverBlocked);
            unzClose(Unzip);
        }
    }
    // An update that could not carry every old member over would lose one: refused at once.
    if (!Append && GZipWriteMode == ZIPWRITE_Update && CarryOverBlocked)
        return false;
    const FPackageFileName Target(WritePath);
    if (!Target.Ok())
        return false;
    WriteHandle = zipOpen(Target.System(), Append ? APPEND_STATUS_ADDINZIP : APPEND_STATUS_CREATE);
    return WriteHandle != nullptr;
}

FZipFileWriter* FZipPackage::CreateMemberWriter(const tvWChar* MemberPath)
{
    if (!Open())
        return nullptr;
    char Narrow[PackageMemberNameCapacity];
    if (!PackageMemberName(MemberPath, Narrow))
        return nullptr;
    return OpenEntryWriter(Narrow, true);
}

bool FZipPackage::StoreEmptyMember(const tvWChar* MemberPath)
{
    if (!Open())
        return false;
    char Narrow[PackageMemberNameCapacity];
    if (!PackageMemberName(MemberPath, Narrow))
        return false;
    if (CarriedOver)
        while (CarriedOver->Remove(Narrow)) {
        }
    return OpenNewZipMember(WriteHandle, Narrow) && CloseNewZipMember(WriteHandle);
}

FZipFileWriter* FZipPackage::OpenEntryWriter(const char* EntryName, bool RemoveFromCarryOver)
{
    FZipFileWriter* Writer = new FZipFileWriter;
    if (!Writer)
        return nullptr;
    if (!Writer->SetFileName(EntryName)) {
        delete Writer;
        return nullptr;
    }
    Writer->SetZipFile(WriteHandle);
    if (WriteHandle && LiveWriters.AddItem(Writer) >= 0)
        Writer->Package = this;
    // Every old member of that name gives way (an outside zip may hold the name twice).
    if (RemoveFromCarryOver && CarriedOver)
        while (CarriedOver->Remove(EntryName)) {
        }
    return Writer;
}

bool FZipPackage::CarryOverMembers()
{
    if (CarryOverBlocked)
        return false;
    const FPackageFileName Old(Path);
    unzFile Unzip = Old.Ok() ? unzOpen(Old.System()) : nullptr;
    if (!Unzip)
        return false;
    bool Carried = true;
    for (int Bucket = 0; Carried && Bucket < CarriedOver->GetBucketCount(); ++Bucket) {
        for (FPackageMember* Member = CarriedOver->GetBucket(Bucket); Carried && Member; Member = Member->Next) {
            char StoredName[PackageMemberNameCapacity];
            tvULong Size = 0;
            if (!OpenZipMember(Unzip, *Member, StoredName, Size)) {
                Carried = false;
                break;
            }
            void* Buffer = Size > 0 ? GMalloc->Malloc(Size) : nullptr;
            // A member that does not read back whole with its checksum is not carried as
            // garbage, and an empty one is carried as empty: either way nothing is lost.
            Carried = (Size == 0 || Buffer) && ReadZipMember(Unzip, Buffer, Buffer ? Size : 0) &&
                      OpenNewZipMember(WriteHandle, StoredName) && WriteZipMemberData(WriteHandle, Buffer, Size) &&
                      CloseNewZipMember(WriteHandle);
            if (Buffer)
                GMalloc->Free(Buffer);
        }
    }
    unzClose(Unzip);
    return Carried;
}

void FZipPackage::DetachWriters()
{
    for (int Index = 0; Index < LiveWriters.Num(); ++Index) {
        FZipFileWriter* Writer = LiveWriters[Index];
        // Bytes not stored yet never will be: the writer says so through its error flag.
        if (Writer->ChunkCount > 0)
            Writer->SetError();
        Writer->ZipFile = nullptr;
        Writer->Package = nullptr;
    }
    LiveWriters.RemoveAll(1);
}

void FZipPackage::Close()
{
    DetachWriters();
    const bool WasOpen = WriteHandle != nullptr;
    // Opened to rebuild: a new file beside the package; opened to append: the package itself,
    // which is never carried into or renamed over, whatever the mode says now.
    const bool Rebuilt = WasOpen && std::strcmp(WritePath, Path) != 0;
    const int Mode = GZipWriteMode;
    bool Complete = true;
    if (Mode == ZIPWRITE_Update && Rebuilt && (CarriedOver || CarryOverBlocked))
        Complete = CarryOverMembers();
    bool Finished = false;
    if (WriteHandle) {
        const FPackageComment Comment;
        Finished = zipClose(static_cast<zipFile>(WriteHandle), Complete ? Comment.Text : nullptr) == ZIP_OK && Complete;
        WriteHandle = nullptr;
    }
    delete CarriedOver;
    CarriedOver = nullptr;
    CarryOverBlocked = false;
    if (!Rebuilt || Mode == ZIPWRITE_Append)
        return;
    const FPackageFileName Old(Path);
    const FPackageFileName Temp(WritePath);
    if (!Old.Ok() || !Temp.Ok())
        return;
    if (!Finished) {
        // An update that could not be completed leaves the old package as it was.
        Platform::FileDelete(Temp.Wide());
        return;
    }
    // The new package takes the old one's place in one step (never a moment without either).
    if (Platform::FileAccess(Old.Wide(), Platform::FileAccessExists))
        Platform::FileSetAttributes(Old.Wide(), Platform::FileAttributeNormal);
    Platform::FileSetAttributes(Temp.Wide(), Platform::FileAttributeNormal);
    Platform::FileReplace(Temp.Wide(), Old.Wide());
}

} // namespace Tolvane
