// FString buffers: allocation, release, write preparation, assignment and concatenation.
//
// Every buffer is one GMalloc block: the header, then Capacity + 1 code units. Capacities
// are exact, so each operation allocates precisely what its result needs. When the allocator
// refuses a block the string falls back to the empty record instead of writing through null.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvString.h"

#include "core/strings/tvStringUnits.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

#include <climits>

namespace Tolvane {

using StringUnits::GMaxLength;
using StringUnits::MoveUnits;
using StringUnits::TextLength;

namespace {

// The shared empty record: count -1, length 0, capacity 0, then one 0 unit. It is never
// written and never freed.
struct FEmptyRecord {
    FStringData Header;
    tvWChar Terminator;
};
const FEmptyRecord GEmptyRecord = {{-1, 0, 0}, 0};

} // namespace

const tvWChar* const __GEmptyString = &GEmptyRecord.Terminator;

FStringData* FString::NewData(int Length)
{
    if (Length < 1 || Length > GMaxLength)
        return nullptr;
    const unsigned Size = unsigned(sizeof(FStringData) + (std::size_t(Length) + 1) * sizeof(tvWChar));
    FStringData* Data = static_cast<FStringData*>(GMalloc->Malloc(Size));
    if (!Data)
        return nullptr;
    Data->RefCount = 1;
    Data->Length = Length;
    Data->Capacity = Length;
    Data->Chars()[Length] = 0;
    return Data;
}

bool FString::PointsInside(const tvWChar* Pointer) const
{
    const FStringData* Data = GetData();
    return Pointer >= Text && Pointer <= Text + Data->Capacity;
}

// --- write preparation -------------------------------------------------------------------

void FString::AllocBuffer(int Length)
{
    FStringData* Data = NewData(Length);
    Text = Data ? Data->Chars() : const_cast<tvWChar*>(__GEmptyString);
}

void FString::FreeData(FStringData* Data)
{
    GMalloc->Free(Data);
}

void FString::Release(FStringData* Data)
{
    if (!Data || Data == &GEmptyRecord.Header)
        return;
    // The interlocked decrement: buffers are never shared, but the count is kept honest.
    if (InterlockedDecrement(Data->RefCount) < 1)
        FreeData(Data);
}

void FString::Release()
{
    if (IsEmptyRecord())
        return;
    Release(GetData());
    Init();
}

void FString::AllocBeforeWrite(int Length)
{
    const FStringData* Data = GetData();
    if (Data->RefCount < 2 && Length <= Data->Capacity)
        return;
    Release();
    AllocBuffer(Length);
}

void FString::CopyBeforeWrite()
{
    FStringData* Data = GetData();
    if (Data->RefCount <= 1)
        return;
    tvWChar* Old = Text;
    const int Length = Data->Length;
    AllocBuffer(Length);
    if (!IsEmptyRecord())
        MoveUnits(Text, Old, Length + 1);
    Release(Data);
}

void FString::AllocCopy(FString& Dest, int Count, int Start, int Extra) const
{
    const int Total = Count + Extra;
    if (Total <= 0) {
        Dest.Init();
        return;
    }
    Dest.AllocBuffer(Total);
    if (!Dest.IsEmptyRecord())
        MoveUnits(Dest.Text, Text + Start, Count);
}

void FString::AssignCopy(int Count, const tvWChar* Source)
{
    if (Count <= 0) {
        // A zero-length result is the empty record; a locked buffer stays with its caller.
        if (GetData()->RefCount < 0 && !IsEmptyRecord()) {
            GetData()->Length = 0;
            Text[0] = 0;
        } else {
            Release();
        }
        return;
    }
    // A source inside this very buffer stays valid: a buffer that fits is kept, and one that
    // does not fit cannot hold the source.
    if (PointsInside(Source) && !IsEmptyRecord()) {
        MoveUnits(Text, Source, Count);
        GetData()->Length = Count;
        Text[Count] = 0;
        return;
    }
    AllocBeforeWrite(Count);
    if (IsEmptyRecord())
        return;
    MoveUnits(Text, Source, Count);
    GetData()->Length = Count;
    Text[Count] = 0;
}

void FString::ConcatCopy(int FirstCount, const tvWChar* First, int SecondCount, const tvWChar* Second)
{
    if (FirstCount < 0) FirstCount = 0;
    if (SecondCount < 0) SecondCount = 0;
    if (FirstCount > GMaxLength - SecondCount || FirstCount + SecondCount <= 0) {
        Init();
        return;
    }
    AllocBuffer(FirstCount + SecondCount);
    if (IsEmptyRecord())
        return;
    MoveUnits(Text, First, FirstCount);
    MoveUnits(Text + FirstCount, Second, SecondCount);
}

void FString::ConcatInPlace(int Count, const tvWChar* Source)
{
    if (Count <= 0 || !Source)
        return;
    FStringData* Data = GetData();
    if (Data->RefCount < 2 && Data->Length + std::int64_t(Count) <= Data->Capacity) {
        MoveUnits(Text + Data->Length, Source, Count);
        Data->Length += Count;
        Text[Data->Length] = 0;
        return;
    }
    // The old buffer stays alive until the copy is made, so a source inside it is safe.
    tvWChar* Old = Text;
    ConcatCopy(Data->Length, Old, Count, Source);
    if (IsEmptyRecord()) {
        Text = Old;  // the allocator refused: keep the string as it was
        return;
    }
    Release(Data);
}

// --- construction and assignment -----------------------------------------------------------

FString::FString(const FString& Source)
{
    Init();
    const int Length = Source.GetLength();
    if (Length > 0)
        Source.AllocCopy(*this, Length, 0, 0);
}

FString::FString(const tvWChar* Source)
{
    Init();
    const int Length = TextLength(Source);
    if (Length > 0) {
        AllocBuffer(Length);
        if (!IsEmptyRecord())
            MoveUnits(Text, Source, Length);
    }
}

FString::FString(const tvWChar* Source, int Count)
{
    Init();
    if (Count > 0 && Source) {
        AllocBuffer(Count);
        if (!IsEmptyRecord())
            MoveUnits(Text, Source, Count);
    }
}

FString::FString(tvWChar Char, int Repeat)
{
    Init();
    if (Repeat > 0) {
        AllocBuffer(Repeat);
        for (int i = 0; i < GetLength(); ++i)
            Text[i] = Char;
    }
}

FString::~FString()
{
    Release(GetData());
}

FString& FString::operator=(const FString& Source)
{
    if (Text != Source.Text)
        AssignCopy(Source.GetLength(), Source.Text);
    return *this;
}

FString& FString::operator=(const tvWChar* Source)
{
    if (Source != Text)
        AssignCopy(TextLength(Source), Source);
    return *this;
}

FString& FString::operator=(tvWChar Char)
{
    AssignCopy(1, &Char);
    return *this;
}

void FString::SetAt(int Index, tvWChar Char)
{
    CopyBeforeWrite();
    Text[Index] = Char;
}

// --- concatenation --------------------------------------------------------------------------

FString& FString::operator+=(const FString& Other)
{
    ConcatInPlace(Other.GetLength(), Other.Text);
    return *this;
}

FString& FString::operator+=(const tvWChar* Other)
{
    if (Other)
        ConcatInPlace(TextLength(Other), Other);
    return *this;
}

FString& FString::operator+=(tvWChar Char)
{
    ConcatInPlace(1, &Char);
    return *this;
}


// The friends reach ConcatCopy through a helper string: each result has a buffer of exactly
// the two lengths, or is empty when both are.
FString operator+(const FString& A, const FString& B)
{
    FString R;
    R.ConcatCopy(A.GetLength(), A.Text, B.GetLength(), B.Text);
    return R;
}

FString operator+(const FString& A, const tvWChar* B)
{
    FString R;
    R.ConcatCopy(A.GetLength(), A.Text, TextLength(B), B);
    return R;
}

FString operator+(const FString& A, tvWChar B)
{
    FString R;
    R.ConcatCopy(A.GetLength(), A.Text, 1, &B);
    return R;
}

FString operator+(const tvWChar* A, const FString& B)
{
    FString R;
    R.ConcatCopy(TextLength(A), A, B.GetLength(), B.Text);
    return R;
}

FString operator+(tvWChar A, const FString& B)
{
    FString R;
    R.ConcatCopy(1, &A, B.GetLength(), B.Text);
    return R;
}

} // namespace Tolvane
