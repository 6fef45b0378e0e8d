// Reading packages: the comment's marker and version, the member table, whole-member readers.
#include "base/tvPrelude.h"

#include "tvCore/packages/tvPackage.h"
#include "tvCore/packages/tvZipFile.h"
#include "packages/tvPackageMembers.h"
#include "packages/tvZipGlue.h"
#include "platform/tvPlatformFiles.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvLogDevice.h"

#include <unzip.h>

namespace Tolvane {

namespace {

// Outside the editor, packages in these folders may have a copy in the user data root that
// takes their place.
const char* const UserFolders[] = {"Pawns", "PawnsPhoto", "FinalHairTexture", "FinalGlassTexture", "FinalFaceTexture"};

bool InUserFolder(const char* Path)
{
    for (const char* Folder : UserFolders)
        if (std::strstr(Path, Folder))
            return true;
    return false;
}

bool FileExists(const char* AnsiPath)
{
    const FPackageFileName File(AnsiPath);
    return File.Ok() && Platform::FileAccess(File.Wide(), Platform::FileAccessExists);
}

} // namespace

bool PackageMemberName(const tvWChar* MemberPath, char (&Out)[PackageMemberNameCapacity])
{
    std::memset(Out, 0, sizeof(Out));
    if (!MemberPath)
        return false;
    const int Needed = appUnicodeToAnsi(nullptr, MemberPath, 0);
    if (Needed <= 0 || Needed > PackageMemberNameCapacity || appUnicodeToAnsi(Out, MemberPath, Needed) != Needed)
        return false;
    for (char* P = Out; *P; ++P)
        if (*P == '\\')
            *P = '/';
    return true;
}

FUnzipPackage::FUnzipPackage(const tvWChar* PackagePath) : FPackage(PackagePath), Members(nullptr), ReadHandle(nullptr) {}

FUnzipPackage::~FUnzipPackage() { FUnzipPackage::Close(); }

bool FUnzipPackage::Open()
{
    if (ReadHandle)
        return true;
    if (!Path[0])
        return false;
    if (!GIsEditor && !Absolute && InUserFolder(Path)) {
        char UserCopy[PathCapacity];
        if (UserCopyPath(UserCopy) && FileExists(UserCopy))
            std::memcpy(Path, UserCopy, sizeof(Path));
        else if (!FileExists(Path))
            return false;
    } else if (!FileExists(Path)) {
        return false;
    }
    const FPackageFileName File(Path);
    FUnzipHandle* Handle = File.Ok() ? new FUnzipHandle : nullptr;
    if (!Handle)
        return false;
    // The comment buffer keeps a terminator of its own: the zip library does not write one
    // when the comment fills what it is given.
    char Comment[10] = {};
    Handle->Zip = unzOpen(File.System());
    if (Handle->Zip) {
        unzGetGlobalComment(static_cast<unzFile>(Handle->Zip), Comment, 9);
    } else {
        char EmptyComment[9];
        if (!ReadEmptyZipComment(File.Wide(), EmptyComment)) {
            delete Handle;
            return false;
        }
        std::memcpy(Comment, EmptyComment, sizeof(EmptyComment));
    }
    ReadHandle = Handle;
    if (std::memcmp(Comment, "X++M", 4) != 0) {
        appLog(TVTEXT("illegal package:%s"), Name);
        Close();
        return false;
    }
    int Parsed = 0;
    if (std::sscanf(Comment + 4, "%d", &Parsed) == 1)
        Version = static_cast<tvULong>(Parsed);
    if (Handle->Zip) {
        bool Overlong = false;
        Members = ReadZipDirectory(Handle->Zip, Overlong);
    }
    return true;
}

void FUnzipPackage::Close()
{
    if (ReadHandle) {
        if (ReadHandle->Zip)
            unzClose(static_cast<unzFile>(ReadHandle->Zip));
        delete ReadHandle;
        ReadHandle = nullptr;
    }
    delete Members;
    Members = nullptr;
}

FZipFileReader* FUnzipPackage::CreateMemberReader(const tvWChar* MemberPath)
{
    if (!Open())
        return nullptr;
    char Narrow[PackageMemberNameCapacity];
    if (!PackageMemberName(MemberPath, Narrow) || !Members || !ReadHandle->Zip)
        return nullptr;
    const FPackageMember* Member = Members->Find(Narrow);
    return Member ? ReadMemberAt(*Member, nullptr) : nullptr;
}

FZipFileReader* FUnzipPackage::ReadMemberAt(const FPackageMember& Member, const char* Expected)
{
    char Stored[PackageMemberNameCapacity];
    tvULong Size = 0;
    if (!OpenZipMember(ReadHandle->Zip, Member, Stored, Size))
        return nullptr;
    const bool Named = !Expected || std::strncmp(Stored, Expected, sizeof(Stored)) == 0;
    FZipFileReader* Reader = Named && Size > 0 ? new FZipFileReader(Size) : nullptr;
    if (!Reader || !Reader->GetCache()) {
        // An empty member has nothing to read; a refused allocation reads nothing either.
        ReadZipMember(ReadHandle->Zip, nullptr, 0);
        delete Reader;
        return nullptr;
    }
    Reader->SetVersion(Version);
    if (!ReadZipMember(ReadHandle->Zip, Reader->GetCache(), Size)) {
        delete Reader;
        return nullptr;
    }
    return Reader;
}

bool FUnzipPackage::GetMembers(TArray<FPackageMemberInfo>& Out)
{
    Out.RemoveAll();
    if (!Open())
        return false;
    if (!Members || !ReadHandle->Zip)
        return true;
    // Every bucket holds its members in directory order; the file numbers put the buckets'
    // members back into one directory order.
    int Count = 0;
    for (int Bucket = 0; Bucket < Members->GetBucketCount(); ++Bucket)
        for (const FPackageMember* Member = Members->GetBucket(Bucket); Member; Member = Member->Next)
            ++Count;
    TArray<const FPackageMember*> Order;
    if (Order.AddZeroed(Count) < 0)
        return false;
    int At = 0;
    for (int Bucket = 0; Bucket < Members->GetBucketCount(); ++Bucket)
        for (const FPackageMember* Member = Members->GetBucket(Bucket); Member; Member = Member->Next)
            Order[At++] = Member;
    std::sort(&Order[0], &Order[0] + Count,
              [](const FPackageMember* A, const FPackageMember* B) { return A->FileNumber < B->FileNumber; });
    if (Out.AddZeroed(Count) < 0)
        return false;
    for (int Index = 0; Index < Count; ++Index) {
        FPackageMemberInfo& Info = Out[Index];
        if (!ReadZipMemberEntry(ReadHandle->Zip, *Order[Index], Info)) {
            Out.RemoveAll();
            return false;
        }
        Info.NameHash = PackageNameHash(Order[Index]->Name);
        Info.Bucket = Members->BucketIndex(Order[Index]->Name);
        Info.FoundByName = Members->Find(Order[Index]->Name) == Order[Index];
    }
    return true;
}

FZipFileReader* FUnzipPackage::CreateMemberReader(const FPackageMemberInfo& Wanted)
{
    if (!Open() || !Members || !ReadHandle->Zip)
        return nullptr;
    FPackageMember Position{};
    Position.DirectoryOffset = Wanted.DirectoryOffset;
    Position.FileNumber = Wanted.FileNumber;
    return ReadMemberAt(Position, Wanted.Name);
}

} // namespace Tolvane
