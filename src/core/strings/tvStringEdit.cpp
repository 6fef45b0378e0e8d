// FString modification in place: insertion, deletion, replacement, trimming, case mapping,
// and direct buffer access. Capacity grows only to the exact size a result needs.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvString.h"

#include "core/strings/tvStringUnits.h"

#include <climits>

namespace Tolvane {

using StringUnits::MoveUnits;
using StringUnits::TextLength;

namespace {

bool IsSpaceUnit(tvWChar C, const void*) { return Wide::IsSpace(C); }
bool IsSameUnit(tvWChar C, const void* Char) { return C == *static_cast<const tvWChar*>(Char); }
bool IsInSet(tvWChar C, const void* Set) { return C != 0 && Wide::FindChar(static_cast<const tvWChar*>(Set), C); }

// The fixed lower-case mapping: A-Z and the Latin-1 capitals 192-222 (but 208 and 215 ->
// 247 as given), plus 140 -> 156 and 159 -> 255. No locale is consulted.
inline tvWChar LowerUnit(tvWChar C)
{
    if (C >= 65 && C <= 90)
        return tvWChar(C + 32);
    if (C >= 192 && C <= 222 && C != 208)
        return tvWChar(C + 32);
    if (C == 140)
        return 156;
    if (C == 159)
        return 255;
    return C;
}

} // namespace

bool FString::Regrow(int Capacity)
{
    FStringData* Old = GetData();
    tvWChar* OldText = Text;
    const int Length = Old->Length;
    AllocBuffer(Capacity);
    if (Capacity == 0) {
        Release(Old);  // nothing left to hold: the empty record takes its place
        return true;
    }
    if (IsEmptyRecord()) {
        Text = OldText;  // the allocator refused: the string stays as it was
        return false;
    }
    MoveUnits(Text, OldText, Length + 1);
    GetData()->Length = Length;
    Release(Old);
    return true;
}

int FString::InsertUnits(int Index, const tvWChar* Units, int Count)
{
    const int Length = GetLength();
    if (Index < 0)
        Index = 0;
    if (Index > Length)
        Index = Length;
    if (Count > INT_MAX - 1 - Length)
        return Length;
    const int NewLength = Length + Count;
    if (GetAllocLength() < NewLength && !Regrow(NewLength))
        return Length;
    MoveUnits(Text + Index + Count, Text + Index, Length - Index + 1);
    MoveUnits(Text + Index, Units, Count);
    GetData()->Length = NewLength;
    return NewLength;
}

int FString::Insert(int Index, const tvWChar* Source)
{
    CopyBeforeWrite();
    const int Count = TextLength(Source);
    if (Count == 0)
        return GetLength();
    if (PointsInside(Source)) {
        const FString Own(Source, Count);  // the buffer may move under the source
        return InsertUnits(Index, Own.Text, Count);
    }
    return InsertUnits(Index, Source, Count);
}

int FString::Insert(int Index, tvWChar Char)
{
    CopyBeforeWrite();
    return InsertUnits(Index, &Char, 1);
}

int FString::Delete(int Index, int Count)
{
    const int Length = GetLength();
    if (Index < 0)
        Index = 0;
    if (Count < 1 || Index >= Length)
        return Length;
    CopyBeforeWrite();
    if (Count > Length - Index)
        Count = Length - Index;  // a count past the end removes the tail
    MoveUnits(Text + Index, Text + Index + Count, Length - Index - Count + 1);
    GetData()->Length = Length - Count;
    return Length;
}

int FString::Remove(tvWChar Char)
{
    CopyBeforeWrite();
    const int Length = GetLength();
    int Kept = 0;
    for (int i = 0; i < Length; ++i)
        if (Text[i] != Char)
            Text[Kept++] = Text[i];
    if (Kept == Length)
        return 0;
    Text[Kept] = 0;
    GetData()->Length = Kept;
    return Length - Kept;
}

int FString::Replace(tvWChar Old, tvWChar New)
{
    if (Old == New)
        return 0;
    CopyBeforeWrite();
    int Count = 0;
    const int Length = GetLength();
    for (int i = 0; i < Length; ++i)
        if (Text[i] == Old) {
            Text[i] = New;
            ++Count;
        }
    return Count;
}

int FString::Replace(const tvWChar* Old, const tvWChar* New)
{
    const int OldCount = TextLength(Old);
    if (OldCount == 0)
        return 0;
    CopyBeforeWrite();
    // Texts inside this buffer are copied first: the buffer may move and is rewritten.
    FString OldOwn, NewOwn;
    if (PointsInside(Old)) {
        OldOwn = FString(Old, OldCount);
        Old = OldOwn.Text;
    }
    if (New && PointsInside(New)) {
        NewOwn = FString(New);
        New = NewOwn.Text;
    }
    if (!New)
        New = TVTEXT("");
    const int NewCount = TextLength(New);

    // Count the matches segment by segment: a 0 inside the string ends a segment.
    int Length = GetLength();
    long long Matches = 0;
    for (const tvWChar* Start = Text; Start < Text + Length; ) {
        while (const tvWChar* Hit = Wide::FindString(Start, Old)) {
            ++Matches;
            Start = Hit + OldCount;
        }
        Start += Wide::Length(Start) + 1;
    }
    if (Matches == 0)
        return 0;
    const long long NewLength = Length + (long long)(NewCount - OldCount) * Matches;
    if (NewLength > INT_MAX - 1)
        return 0;  // the result could not be held: the string is left unchanged
    if ((GetAllocLength() < NewLength || GetData()->RefCount > 1) && !Regrow(int(NewLength)))
        return 0;

    for (tvWChar* Start = Text; Start < Text + Length; ) {
        while (tvWChar* Hit = const_cast<tvWChar*>(Wide::FindString(Start, Old))) {
            const long long After = Length - (Hit - Text) - OldCount;
            MoveUnits(Hit + NewCount, Hit + OldCount, After);
            MoveUnits(Hit, New, NewCount);
            Length += NewCount - OldCount;
            Text[Length] = 0;
            Start = Hit + NewCount;
        }
        Start += Wide::Length(Start) + 1;
    }
    GetData()->Length = Length;
    return int(Matches);
}

void FString::TrimLeftWhile(bool (*Match)(tvWChar, const void*), const void* Context)
{
    CopyBeforeWrite();
    const int Length = GetLength();
    int Skip = 0;
    while (Skip < Length && Match(Text[Skip], Context))
        ++Skip;
    if (Skip == 0)
        return;
    MoveUnits(Text, Text + Skip, Length - Skip + 1);
    GetData()->Length = Length - Skip;
}

void FString::TrimRightWhile(bool (*Match)(tvWChar, const void*), const void* Context)
{
    CopyBeforeWrite();
    // One forward scan: the last run of matching units that reaches the end.
    const int Length = GetLength();
    int RunStart = -1;
    for (int i = 0; i < Length; ++i) {
        if (!Match(Text[i], Context))
            RunStart = -1;
        else if (RunStart < 0)
            RunStart = i;
    }
    if (RunStart < 0)
        return;
    Text[RunStart] = 0;
    GetData()->Length = RunStart;
}

void FString::TrimLeft() { TrimLeftWhile(IsSpaceUnit, nullptr); }
void FString::TrimRight() { TrimRightWhile(IsSpaceUnit, nullptr); }
void FString::TrimLeft(tvWChar Char) { TrimLeftWhile(IsSameUnit, &Char); }
void FString::TrimRight(tvWChar Char) { TrimRightWhile(IsSameUnit, &Char); }

void FString::TrimLeft(const tvWChar* Set)
{
    if (!Set || !*Set)
        return;
    TrimLeftWhile(IsInSet, Set);
}

void FString::TrimRight(const tvWChar* Set)
{
    if (!Set)
        return;  // nothing to trim by; a null set is refused rather than read
    TrimRightWhile(IsInSet, Set);
}

void FString::MakeUpper()
{
    CopyBeforeWrite();
    for (int i = 0, n = GetLength(); i < n; ++i)
        Text[i] = Wide::ToUpper(Text[i]);
}

void FString::MakeLower()
{
    CopyBeforeWrite();
    for (int i = 0, n = GetLength(); i < n; ++i)
        Text[i] = LowerUnit(Text[i]);
}

void FString::MakeReverse()
{
    CopyBeforeWrite();
    std::reverse(Text, Text + GetLength());
}

void FString::Empty()
{
    FStringData* Data = GetData();
    if (Data->Length == 0)
        return;
    if (Data->RefCount < 0) {
        Data->Length = 0;  // a locked buffer stays with its caller
        Text[0] = 0;
        return;
    }
    Release();
}

void FString::FreeExtra()
{
    if (GetLength() == GetAllocLength())
        return;
    Regrow(GetLength());
}

tvWChar* FString::GetBuffer(int MinLength)
{
    if (MinLength < 0)
        MinLength = 0;
    const FStringData* Data = GetData();
    if (Data->RefCount < 2 && MinLength <= Data->Capacity)
        return Text;
    // Null when the allocator refuses: the caller must not write MinLength units anywhere.
    return Regrow(std::max(MinLength, int(Data->Length))) ? Text : nullptr;
}

tvWChar* FString::GetBufferSetLength(int Length)
{
    if (Length < 0)
        Length = 0;
    tvWChar* Buffer = GetBuffer(Length);
    if (Buffer && !IsEmptyRecord()) {
        GetData()->Length = Length;
        Text[Length] = 0;
    }
    return Buffer;
}

void FString::ReleaseBuffer(int Length)
{
    CopyBeforeWrite();
    if (IsEmptyRecord())
        return;
    const int Capacity = GetAllocLength();
    if (Length < 0)
        Length = int(Wide::LengthBounded(Text, std::size_t(Capacity)));
    if (Length > Capacity)
        Length = Capacity;  // never beyond the buffer
    GetData()->Length = Length;
    Text[Length] = 0;
}

tvWChar* FString::LockBuffer()
{
    tvWChar* Buffer = GetBuffer(0);
    if (!IsEmptyRecord())
        GetData()->RefCount = -1;
    return Buffer;
}

void FString::UnlockBuffer()
{
    if (!IsEmptyRecord())
        GetData()->RefCount = 1;
}

} // namespace Tolvane
