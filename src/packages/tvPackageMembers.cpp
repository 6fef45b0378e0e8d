// The member table and the name hash.
#include "base/tvPrelude.h"

#include "packages/tvPackageMembers.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

namespace {

inline unsigned char FoldByte(unsigned char C)
{
    if (C >= 'A' && C <= 'Z')
        return static_cast<unsigned char>(C + ('a' - 'A'));
    return C;
}

} // namespace

std::int32_t PackageNameHash(const char* Name)
{
    std::uint32_t Sum = 0;  // wraps as the signed 32-bit sum does
    for (std::int32_t Index = 0; Name[Index]; ++Index) {
        unsigned char C = FoldByte(static_cast<unsigned char>(Name[Index]));
        if (C == '\\')
            C = '/';
        const std::int32_t Value = static_cast<signed char>(C);
        Sum += static_cast<std::uint32_t>((Index + 119) * Value);
    }
    const std::int32_t H = static_cast<std::int32_t>(Sum);
    std::int32_t R = (H >> 10) ^ H;
    R = (R >> 10) ^ H;
    return R;
}

int PackageCompareNoCase(const char* A, const char* B)
{
    for (;; ++A, ++B) {
        const int CA = FoldByte(static_cast<unsigned char>(*A));
        const int CB = FoldByte(static_cast<unsigned char>(*B));
        if (CA != CB || CA == 0)
            return CA - CB;
    }
}

FPackageMemberTable* FPackageMemberTable::Create(int BucketCount)
{
    if (BucketCount <= 0)
        return nullptr;
    FPackageMemberTable* Table = new FPackageMemberTable;
    if (!Table)
        return nullptr;
    const std::size_t Bytes = sizeof(FPackageMember*) * static_cast<std::size_t>(BucketCount);
    Table->Buckets = static_cast<FPackageMember**>(GMalloc->Malloc(static_cast<unsigned int>(Bytes)));
    if (!Table->Buckets) {
        delete Table;
        return nullptr;
    }
    std::memset(Table->Buckets, 0, Bytes);
    Table->BucketCount = BucketCount;
    return Table;
}

FPackageMemberTable::~FPackageMemberTable()
{
    for (int Index = 0; Index < BucketCount; ++Index) {
        FPackageMember* Member = Buckets[Index];
        while (Member) {
            FPackageMember* Next = Member->Next;
            FreeMember(Member);
            Member = Next;
        }
    }
    if (Buckets)
        GMalloc->Free(Buckets);
}

int FPackageMemberTable::BucketIndex(const char* Name) const
{
    // The count is not a power of two; the mask still stays below it.
    return static_cast<int>(static_cast<std::uint32_t>(PackageNameHash(Name)) &
                            static_cast<std::uint32_t>(BucketCount - 1));
}

void FPackageMemberTable::InsertAtHead(FPackageMember* Member)
{
    FPackageMember*& Head = Buckets[BucketIndex(Member->Name)];
    Member->Next = Head;
    Head = Member;
}

FPackageMember* FPackageMemberTable::Find(const char* Name) const
{
    for (FPackageMember* Member = Buckets[BucketIndex(Name)]; Member; Member = Member->Next)
        if (PackageCompareNoCase(Member->Name, Name) == 0)
            return Member;
    return nullptr;
}

bool FPackageMemberTable::Remove(const char* Name)
{
    for (FPackageMember** Link = &Buckets[BucketIndex(Name)]; *Link; Link = &(*Link)->Next) {
        if (PackageCompareNoCase((*Link)->Name, Name) == 0) {
            FPackageMember* Found = *Link;
            *Link = Found->Next;
            FreeMember(Found);
            return true;
        }
    }
    return false;
}

FPackageMember* FPackageMemberTable::NewMember(const char* Name, tvULong DirectoryOffset, tvULong FileNumber)
{
    const std::size_t Length = std::strlen(Name);
    FPackageMember* Member = static_cast<FPackageMember*>(GMalloc->Malloc(sizeof(FPackageMember)));
    char* Copy = static_cast<char*>(GMalloc->Malloc(static_cast<unsigned int>(Length + 1)));
    if (!Member || !Copy) {
        if (Member)
            GMalloc->Free(Member);
        if (Copy)
            GMalloc->Free(Copy);
        return nullptr;
    }
    std::memcpy(Copy, Name, Length + 1);
    Member->Name = Copy;
    Member->DirectoryOffset = DirectoryOffset;
    Member->FileNumber = FileNumber;
    Member->Next = nullptr;
    Member->Data = FPackageMemberData{0, 0, 0, -1};
    return Member;
}

void FPackageMemberTable::FreeMember(FPackageMember* Member)
{
    GMalloc->Free(Member->Name);
    GMalloc->Free(Member);
}

} // namespace Tolvane
