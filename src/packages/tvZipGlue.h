// The packages' use of the zip library, kept in one place: the directory walk, a member's
// checked read, opening a new member, the empty-package fallback, and the file names handed to
// the system. Zip handles are opaque here; only the .cpp files see the zip library's types.
#pragma once

#include "base/tvCompiler.h"
#include "tvCore/core/tvBase.h"

namespace Tolvane {

class FPackageMemberTable;
struct FPackageMember;
struct FPackageMemberInfo;

// Stored names are read through a buffer of this many bytes; a name that needs it all (no room
// for the terminator) is never read.
constexpr int PackageMemberNameCapacity = 256;

// Walks the whole directory of an open zip and returns its members in a table whose bucket
// count is the member count, each bucket in directory order; null when there are no members
// (or no memory). Members whose names need PackageMemberNameCapacity bytes or more are left
// out and Overlong is set.
FPackageMemberTable* ReadZipDirectory(void* Unzip, bool& Overlong);

// Positions the zip on Member, checks what its directory entry claims (a method the library
// reads, not encrypted, a size the compressed data can justify and an int can count) and opens
// it. Name receives the stored name, Size the uncompressed size. False on any failure.
bool OpenZipMember(void* Unzip, const FPackageMember& Member, char (&Name)[PackageMemberNameCapacity], tvULong& Size);
// Positions the zip on Member and fills what its directory entry says into Info (name, sizes,
// checksum, stamp, method); the table fields are left to the caller. False on any failure.
bool ReadZipMemberEntry(void* Unzip, const FPackageMember& Member, FPackageMemberInfo& Info);
// Reads the whole open member into Buffer (Size bytes) and closes it; false on a short read or
// a checksum mismatch.
bool ReadZipMember(void* Unzip, void* Buffer, tvULong Size);

// Opens a new member called Name in an open zip for writing: deflate at level 1, stamped with
// the local time now, no extra fields, no comment. True on success.
bool OpenNewZipMember(void* Zip, const char* Name);
// Hands bytes to the member being written; false when the zip reports an error.
bool WriteZipMemberData(void* Zip, const void* Data, tvULong Length);
// Ends the member being written; false when the zip reports an error.
bool CloseNewZipMember(void* Zip);

// The zip library refuses a zip without members. This reads such a file itself: true when Path
// is a well-formed zip of no members, with its comment's first bytes in Comment (zero-filled).
TVCORE_INTERNAL bool ReadEmptyZipComment(const tvWChar* Path, char (&Comment)[9]);

// A member path in the zip's narrow form (ANSI code page), '\' turned into '/'. False when
// it needs PackageMemberNameCapacity bytes or more: such a name is never stored, and a cut one
// would name another member.
bool PackageMemberName(const tvWChar* MemberPath, char (&Out)[PackageMemberNameCapacity]);

// A reading package's zip: null for a package of no members, which the zip library does not
// open.
struct FUnzipHandle : public FFundament {
    void* Zip = nullptr;
};

// A package file name (narrow text in the ANSI code page) in the two forms the system takes:
// library text for the platform seam, and the system's narrow path for the zip library.
class FPackageFileName {
public:
    explicit FPackageFileName(const char* AnsiPath);
    bool Ok() const { return Valid; }
    const tvWChar* Wide() const { return WideText; }
    const char* System() const { return SystemText; }

private:
    static constexpr int Capacity = 4096;
    tvWChar WideText[Capacity];
    char SystemText[Capacity];
    bool Valid;
};

} // namespace Tolvane
