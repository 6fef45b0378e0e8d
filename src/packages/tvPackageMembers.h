// The member table of a package: a chained hash table from a member's stored name to its place
// in the zip directory, with the name hash that packages and their tools share.
#pragma once

#include "base/tvCompiler.h"
#include "tvCore/core/tvBase.h"

namespace Tolvane {

// The hash of a narrow member name: per byte, C-locale lower case, '\' taken as '/', the byte
// as a signed value v, h += (index + 119) * v; then r = (h >> 10) ^ h; r = (r >> 10) ^ h
// (arithmetic shifts). The bucket of a table of n is r & (n - 1).
TVCORE_INTERNAL std::int32_t PackageNameHash(const char* Name);

// Byte-wise comparison with ASCII letters folded, as the C locale's _stricmp does.
TVCORE_INTERNAL int PackageCompareNoCase(const char* A, const char* B);

// One member: its stored name (owned, from GMalloc) and its place in the zip directory.
struct FPackageMember {
    char* Name;
    tvULong DirectoryOffset;
    tvULong FileNumber;
    FPackageMember* Next;
};

class TVCORE_INTERNAL FPackageMemberTable : public FFundament {
public:
    // Null when GMalloc refuses the buckets.
    static FPackageMemberTable* Create(int BucketCount);
    ~FPackageMemberTable();
    FPackageMemberTable(const FPackageMemberTable&) = delete;
    FPackageMemberTable& operator=(const FPackageMemberTable&) = delete;

    // Puts a member at the head of its bucket; the table owns it from then on.
    void InsertAtHead(FPackageMember* Member);
    // The first member of Name's bucket whose name equals Name, letter case aside; null when none.
    FPackageMember* Find(const char* Name) const;
    // Takes the first such member out and frees it; false when there is none.
    bool Remove(const char* Name);

    int GetBucketCount() const { return BucketCount; }
    FPackageMember* GetBucket(int Index) const { return Buckets[Index]; }

    // A member with a copy of Name; null when GMalloc refuses.
    static FPackageMember* NewMember(const char* Name, tvULong DirectoryOffset, tvULong FileNumber);
    static void FreeMember(FPackageMember* Member);
    // The bucket that Name hashes to.
    int BucketIndex(const char* Name) const;

private:
    FPackageMemberTable() = default;

    int BucketCount = 0;
    FPackageMember** Buckets = nullptr;
};

} // namespace Tolvane
