// Zip packages: ".xup" files whose archive comment carries the marker "X++M" and the format
// version. FUnzipPackage reads members, FZipPackage writes them and replaces the package file
// when it closes. The package file system creates and keeps them; a package's zip is an opaque
// handle here.
#pragma once

#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/tvBase.h"

namespace Tolvane {

class FZipFileReader;
class FZipFileWriter;
class FPackageMemberTable;
struct FPackageMember;
struct FUnzipHandle;

// How a writing package treats the package file it replaces; one library-wide value, read by
// every FZipPackage when it opens and when it closes. 0 at load.
enum EZipWriteMode {
    ZIPWRITE_Write = 0,   // rebuilt: only the members written since opening remain
    ZIPWRITE_Append = 2,  // members are added to the package file in place
    ZIPWRITE_Update = 3,  // rebuilt: members not written again are carried over
};
extern TVCORE_API int GZipWriteMode;

// The package version written into every package's comment, and the version of a package
// until its comment is read.
constexpr tvULong PackageVersion = 41;

// One member as the package's directory describes it, for tools that list, extract or check
// packages. Members whose stored names need 256 bytes or more are never listed (no lookup can
// reach them either).
struct FPackageMemberInfo {
    char Name[256];          // the stored name (ANSI code page), terminated
    tvULong Size;            // uncompressed bytes
    tvULong CompressedSize;  // bytes in the package
    tvULong Crc;             // the checksum the directory records
    tvULong DosTime;         // the stamp: MS-DOS date in the high 16 bits, time in the low 16
    tvULong Method;          // 0 stored, 8 deflate; others are never read
    std::int32_t NameHash;   // the member table's hash of the name
    int Bucket;              // the name's bucket in the member table
    bool FoundByName;        // a lookup by this name reaches this member (not one named alike)
    tvULong DirectoryOffset; // where the entry sits in the directory (with FileNumber: the
    tvULong FileNumber;      // member's position for CreateMemberReader)
};

class TVCORE_API FPackage : public FFundament {
public:
    static constexpr int NameCapacity = 128;
    static constexpr int PathCapacity = 256;

    // Name = PackagePath; absolute when it holds ':' (or starts with '/'); the file name is the
    // path (absolute) or the data root directory + path, then ".xup", in the ANSI code page. A
    // name of NameCapacity units or more, or a file name of PathCapacity bytes or more, is
    // refused: name and file name stay empty and Open() fails.
    explicit FPackage(const tvWChar* PackagePath);
    virtual ~FPackage();
    FPackage(const FPackage&) = delete;
    FPackage& operator=(const FPackage&) = delete;

    virtual bool Open() = 0;
    virtual void Close() = 0;

    const tvWChar* GetName() const { return Name; }
    const char* GetPath() const { return Path; }
    tvULong GetVersion() const { return Version; }
    bool IsAbsolute() const { return Absolute != 0; }

protected:
    // The user copy's file name: the user data root directory + name + ".xup", in the ANSI code
    // page. False when it does not fit PathCapacity bytes.
    bool UserCopyPath(char (&Out)[PathCapacity]) const;

    tvWChar Name[NameCapacity];
    char Path[PathCapacity];
    tvULong Version;
    tvULong Absolute;
};

class TVCORE_API FUnzipPackage : public FPackage {
public:
    explicit FUnzipPackage(const tvWChar* PackagePath);
    ~FUnzipPackage() override;

    // Opens the zip, checks the comment's marker and reads the version, builds the member
    // table. True when open (at once when already open). A package without the marker logs
    // "illegal package:%s" and stays closed.
    bool Open() override;
    void Close() override;
    // The whole member, decompressed, or null: no such member, an empty one, or one that does
    // not read back whole with its checksum.
    FZipFileReader* CreateMemberReader(const tvWChar* MemberPath);
    // Every listed member, in directory order, into Out (emptied first). Opens the package;
    // false when it does not open, when an entry cannot be read or memory is refused (Out
    // then empty). A package without members gives true and nothing.
    bool GetMembers(TArray<FPackageMemberInfo>& Out);
    // The member at Member's directory position, read as CreateMemberReader(Name) reads it
    // (whole, checksum confirmed); null on the same failures, or when the position no longer
    // holds a member of that name. Reaches members that a lookup by name would not (a name
    // held twice, letter case aside).
    FZipFileReader* CreateMemberReader(const FPackageMemberInfo& Member);

protected:
    FPackageMemberTable* Members;
    FUnzipHandle* ReadHandle;

private:
    // Opens the member at Member's position and reads it whole; with Expected, only when the
    // stored name is that one.
    FZipFileReader* ReadMemberAt(const FPackageMember& Member, const char* Expected);
};

class TVCORE_API FZipPackage : public FPackage {
public:
    explicit FZipPackage(const tvWChar* PackagePath);
    // Close().
    ~FZipPackage() override;

    // Opens the zip for writing: in append mode the package file itself, otherwise a new
    // temporary package beside it ("...Temp.xup"), noting the old members for carry-over.
    bool Open() override;
    // Finishes the package: carries old members over (update mode), writes the zip's directory
    // with the comment "X++M41" and, for a rebuilt package, puts the new file in the old one's
    // place in one step. Writers still alive are detached first: a member not stored by then
    // is not stored, and its writer's error flag is set.
    void Close() override;
    // A writer for the member (either separator; '\' becomes '/'), or null when the package
    // does not open or the name needs 256 bytes or more in the ANSI code page.
    FZipFileWriter* CreateMemberWriter(const tvWChar* MemberPath);
    // Stores an empty member of that name at once (a writer never stores one: it stores only
    // what was written to it), taking the name out of the members to carry over as a writer
    // does. False when the package does not open, the name does not fit, or the zip refuses.
    bool StoreEmptyMember(const tvWChar* MemberPath);
    // A writer bound to this package's zip and carrying Name; with RemoveFromCarryOver the name
    // is taken out of the members to carry over. The caller deletes the writer, before the
    // package closes.
    FZipFileWriter* OpenEntryWriter(const char* Name, bool RemoveFromCarryOver);

protected:
    void* WriteHandle;
    char WritePath[PathCapacity];
    FPackageMemberTable* CarriedOver;
    // True when the old package holds a member that cannot be carried over (a name of 256
    // bytes or more): an update then keeps the old package.
    bool CarryOverBlocked;

private:
    friend class FZipFileWriter;
    bool CarryOverMembers();
    void DetachWriters();
    void ForgetWriter(FZipFileWriter* Writer) { LiveWriters.RemoveItem(Writer); }

    // The writers handed out and not yet deleted (not owned).
    TArray<FZipFileWriter*> LiveWriters;
};

} // namespace Tolvane
