// FString comparison, search and extraction. Searches see the text up to its first 0 unit;
// extraction clamps its arguments to the string and always copies into a new buffer.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvString.h"

#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

namespace {
inline const tvWChar* OrEmpty(const tvWChar* Text) { return Text ? Text : TVTEXT(""); }
inline int IndexIn(const tvWChar* Base, const tvWChar* Hit) { return Hit ? int(Hit - Base) : -1; }
} // namespace

int FString::Compare(const tvWChar* Other) const
{
    return Wide::Compare(Text, OrEmpty(Other));
}

int FString::CompareNoCase(const tvWChar* Other) const
{
    return Wide::CompareNoCase(Text, OrEmpty(Other));
}

int FString::Find(tvWChar Char) const
{
    return Find(Char, 0);
}

int FString::Find(tvWChar Char, int Start) const
{
    if (Start < 0)
        Start = 0;
    if (Start >= GetLength())
        return -1;
    return IndexIn(Text, Wide::FindChar(Text + Start, Char));
}

int FString::Find(const tvWChar* Sub) const
{
    return Find(Sub, 0);
}

int FString::Find(const tvWChar* Sub, int Start) const
{
    if (Start < 0)
        Start = 0;
    if (Start > GetLength())
        return -1;
    return IndexIn(Text, Wide::FindString(Text + Start, OrEmpty(Sub)));
}

int FString::FindOneOf(const tvWChar* Set) const
{
    if (!Set || !*Set)
        return -1;
    for (const tvWChar* P = Text; *P; ++P)
        if (Wide::FindChar(Set, *P))
            return int(P - Text);
    return -1;
}

int FString::ReverseFind(tvWChar Char) const
{
    const tvWChar* Last = nullptr;
    const tvWChar* P = Text;
    for (;; ++P) {
        if (*P == Char)
            Last = P;
        if (*P == 0)
            break;
    }
    return IndexIn(Text, Last);
}

bool operator==(const FString& A, const FString& B)
{
    const int Length = A.GetLength();
    return Length == B.GetLength() &&
           std::memcmp(static_cast<const tvWChar*>(A), static_cast<const tvWChar*>(B), std::size_t(Length) * sizeof(tvWChar)) == 0;
}

bool operator==(const FString& A, const tvWChar* B)
{
    const tvWChar* Text = A;
    const int Length = A.GetLength();
    B = OrEmpty(B);
    for (int i = 0; i < Length; ++i)
        if (B[i] != Text[i] || B[i] == 0)
            return false;
    return B[Length] == 0;
}

FString FString::Mid(int First, int Count) const
{
    const int Length = GetLength();
    if (First < 0)
        First = 0;
    if (Count < 0)
        Count = 0;
    if (First > Length)
        Count = 0;
    else if (Count > Length - First)
        Count = Length - First;
    if (First == 0 && Count == Length)
        return *this;
    FString Result;
    AllocCopy(Result, Count, First, 0);
    return Result;
}

FString FString::Mid(int First) const
{
    // Computed in 64 bits so that a very negative First does not overflow.
    const long long Count = (long long)GetLength() - First;
    return Mid(First, Count > 0x7FFFFFFF ? 0x7FFFFFFF : int(Count));
}

FString FString::Left(int Count) const
{
    if (Count < 0)
        Count = 0;
    if (Count >= GetLength())
        return *this;
    FString Result;
    AllocCopy(Result, Count, 0, 0);
    return Result;
}

FString FString::Right(int Count) const
{
    if (Count < 0)
        Count = 0;
    const int Length = GetLength();
    if (Count >= Length)
        return *this;
    FString Result;
    AllocCopy(Result, Count, Length - Count, 0);
    return Result;
}

} // namespace Tolvane
