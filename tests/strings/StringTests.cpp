// FString: exact capacities, unshared buffers, the empty record, search and extraction
// boundaries, in-place edits, buffer access, formatting and allocation failure.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include "support/CountingMalloc.h"
#include "support/ScopedMalloc.h"

#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;
using TestSupport::FScopedMalloc;

namespace {

WideText Str(const FString& S) { return WideText(static_cast<const tvWChar*>(S), std::size_t(S.GetLength())); }
bool IsEmptyRecord(const FString& S) { return static_cast<const tvWChar*>(S) == __GEmptyString; }

// Exposes the protected write-preparation members.
struct FProbe : FString {
    using FString::FString;
    using FString::AllocBeforeWrite;
    using FString::CopyBeforeWrite;
    using FString::AllocCopy;
    using FString::ConcatCopy;
    using FString::GetData;
    using FString::Release;
};

void CallFormatV(FString& S, const tvWChar* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    S.FormatV(Format, Args);
    va_end(Args);
}

} // namespace

TEST(String, EveryEmptyConstructionPointsAtTheSharedRecord)
{
    const FString Cases[] = {FString(), FString(static_cast<const tvWChar*>(nullptr)), FString(TVTEXT("")),
                             FString(TVTEXT("abc"), 0), FString(TVTEXT('x'), 0), FString(TVTEXT('x'), -3), FString(TVTEXT("abc"), -1)};
    for (const FString& S : Cases) {
        EXPECT_TRUE(IsEmptyRecord(S));
        EXPECT_EQ(S.GetLength(), 0);
        EXPECT_EQ(S.GetAllocLength(), 0);
        EXPECT_TRUE(S.IsEmpty());
        EXPECT_EQ(S[0], 0);
    }
    EXPECT_EQ(__GEmptyString[0], 0);
}

TEST(String, ConstructionCopiesExactlyAndKeepsInnerZeros)
{
    const FString Counted(TVTEXT("a\0b"), 3);
    EXPECT_EQ(Counted.GetLength(), 3);
    EXPECT_EQ(Counted.GetAllocLength(), 3);
    EXPECT_EQ(Str(Counted), WideText(TVTEXT("a\0b"), 3));

    const FString Repeated(TVTEXT('z'), 4);
    EXPECT_EQ(Str(Repeated), TVTEXT("zzzz"));
    EXPECT_EQ(Repeated.GetAllocLength(), 4);

    // A surrogate pair is two code units everywhere.
    const FString Pair(TVTEXT("a\U0001F600b"));
    EXPECT_EQ(Pair.GetLength(), 4);
    EXPECT_EQ(Pair.Find(TVTEXT('b')), 3);
    EXPECT_EQ(Str(Pair.Mid(1, 2)), TVTEXT("\U0001F600"));
}

TEST(String, CopiesNeverShareABuffer)
{
    FString Source(TVTEXT("hello"));
    FString Copy(Source);
    FString Assigned;
    Assigned = Source;
    const FString Sum = Source + TVTEXT("");
    const FString Whole = Source.Mid(0);
    const FString Left = Source.Left(99);
    const FString* All[] = {&Copy, &Assigned, &Sum, &Whole, &Left};
    for (const FString* S : All) {
        EXPECT_NE(static_cast<const tvWChar*>(*S), static_cast<const tvWChar*>(Source));
        EXPECT_EQ(Str(*S), TVTEXT("hello"));
        EXPECT_EQ(static_cast<const FProbe*>(S)->GetData()->RefCount, 1);
    }
    Copy.SetAt(0, TVTEXT('J'));
    Assigned += TVTEXT("!");
    EXPECT_EQ(Str(Source), TVTEXT("hello"));
    EXPECT_EQ(Str(Copy), TVTEXT("Jello"));
}

TEST(String, CapacityIsExactAfterEveryKindOfOperation)
{
    struct FCase {
        const char* What;
        int Got;
        int Capacity;
    };
    FString Grown(TVTEXT("ab"));
    Grown += TVTEXT("cde");       // does not fit: exactly 5
    FString Kept(TVTEXT("abcdef"));
    Kept = TVTEXT("xy");          // fits: the buffer stays
    FString Inserted(TVTEXT("abc"));
    Inserted.Insert(1, TVTEXT("XY"));
    FString Replaced(TVTEXT("aXa"));
    Replaced.Replace(TVTEXT("a"), TVTEXT("xyz"));
    FString Shrunk(TVTEXT("aaaa"));
    Shrunk.Replace(TVTEXT("aa"), TVTEXT("b"));  // shrinks in place
    FString Trimmed(TVTEXT("  ab  "));
    Trimmed.TrimLeft();
    Trimmed.TrimRight();
    FString Freed(TVTEXT("abcdef"));
    Freed.Delete(1, 4);
    Freed.FreeExtra();
    const FCase Cases[] = {
        {"append", (Grown).GetAllocLength(), 5},
        {"assign into a larger buffer", (Kept).GetAllocLength(), 6},
        {"insert", (Inserted).GetAllocLength(), 5},
        {"replace growing", (Replaced).GetAllocLength(), 7},
        {"replace shrinking", (Shrunk).GetAllocLength(), 4},
        {"trim keeps capacity", (Trimmed).GetAllocLength(), 6},
        {"free extra", (Freed).GetAllocLength(), 2},
        {"operator+", (FString(TVTEXT("ab")) + FString(TVTEXT("cd"))).GetAllocLength(), 4},
        {"char + string", (TVTEXT('x') + FString(TVTEXT("yz"))).GetAllocLength(), 3},
        {"text + string", (TVTEXT("ab") + FString(TVTEXT("c"))).GetAllocLength(), 3},
        {"string + char", (FString(TVTEXT("ab")) + TVTEXT('c')).GetAllocLength(), 3},
        {"mid", (FString(TVTEXT("abcdef")).Mid(1, 3)).GetAllocLength(), 3},
        {"right", (FString(TVTEXT("abcdef")).Right(2)).GetAllocLength(), 2},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(C.Got, C.Capacity) << C.What;
    EXPECT_EQ(Str(Replaced), TVTEXT("xyzXxyz"));
    EXPECT_EQ(Str(Shrunk), TVTEXT("bb"));
    EXPECT_EQ(Str(Trimmed), TVTEXT("ab"));
    EXPECT_EQ(Str(Freed), TVTEXT("af"));
}

TEST(String, ZeroLengthResultsAreTheEmptyRecord)
{
    FString A(TVTEXT("abc"));
    A = TVTEXT("");
    FString B(TVTEXT("abc"));
    B.Empty();
    FString C(TVTEXT("abc"));
    C.Format(TVTEXT("%s"), TVTEXT(""));
    FString D(TVTEXT("abc"));
    CallFormatV(D, TVTEXT(""));
    FString E(TVTEXT("abc"));
    E = FString();
    const FString Results[] = {A, B, C, D, E, FString(TVTEXT("abc")).Mid(7), FString(TVTEXT("abc")).Left(-1),
                               FString(TVTEXT("abc")).Right(0), FString() + FString(), FString(TVTEXT("abc")).Mid(1, 0)};
    EXPECT_TRUE(IsEmptyRecord(A));
    EXPECT_TRUE(IsEmptyRecord(B));
    EXPECT_TRUE(IsEmptyRecord(C));
    EXPECT_TRUE(IsEmptyRecord(D));
    EXPECT_TRUE(IsEmptyRecord(E));
    for (const FString& R : Results)
        EXPECT_TRUE(IsEmptyRecord(R));
}

TEST(String, SearchBoundaries)
{
    const FString S(TVTEXT("abc"));
    struct FCase {
        int Got, Expected;
    } Cases[] = {
        {S.Find(TVTEXT('c'), 3), -1},  {S.Find(TVTEXT('c'), 2), 2},   {S.Find(TVTEXT(""), 3), 3},   {S.Find(TVTEXT(""), 4), -1},
        {S.Find(TVTEXT("bc")), 1},     {S.Find(TVTEXT("bd")), -1},    {S.Find(TVTEXT('\0'), 0), 3}, {S.ReverseFind(TVTEXT('\0')), 3},
        {S.ReverseFind(TVTEXT('a')), 0}, {FString(TVTEXT("abca")).ReverseFind(TVTEXT('a')), 3}, {S.FindOneOf(TVTEXT("xc")), 2},
        {S.FindOneOf(TVTEXT("xyz")), -1}, {S.FindOneOf(nullptr), -1}, {FString().Find(TVTEXT('a')), -1},
        {FString().Find(TVTEXT("")), 0},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(C.Got, C.Expected) << (&C - Cases);
    // A search sees the text up to its first 0 unit.
    EXPECT_EQ(FString(TVTEXT("a\0b"), 3).Find(TVTEXT('b')), -1);
}

TEST(String, ComparisonIsExactAndFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(FString(TVTEXT("a")).Compare(TVTEXT("b")), -1);
    EXPECT_EQ(FString(TVTEXT("b")).Compare(TVTEXT("a")), 1);
    EXPECT_EQ(FString(TVTEXT("ab")).Compare(TVTEXT("abc")), -1);
    EXPECT_EQ(FString(TVTEXT("abc")).Compare(TVTEXT("abc")), 0);
    EXPECT_EQ(FString(TVTEXT("\xFFFF")).Compare(TVTEXT("a")), 1);  // units compare unsigned
    EXPECT_EQ(FString(TVTEXT("HeLLo")).CompareNoCase(TVTEXT("hello")), 0);
    EXPECT_NE(FString(TVTEXT("\u00C9")).CompareNoCase(TVTEXT("\u00E9")), 0);
    EXPECT_LT(FString(TVTEXT("a")).CompareNoCase(TVTEXT("B")), 0);
    EXPECT_EQ(FString(TVTEXT("")).Compare(nullptr), 0);
}

TEST(String, ExtractionClampsItsArguments)
{
    const FString S(TVTEXT("abcdef"));
    EXPECT_EQ(Str(S.Mid(-3, 2)), TVTEXT("ab"));
    EXPECT_EQ(Str(S.Mid(4, 10)), TVTEXT("ef"));
    EXPECT_EQ(Str(S.Mid(7)), TVTEXT(""));
    EXPECT_EQ(Str(S.Mid(-100000)), TVTEXT("abcdef"));
    EXPECT_EQ(Str(S.Mid(2)), TVTEXT("cdef"));
    EXPECT_EQ(Str(S.Left(-1)), TVTEXT(""));
    EXPECT_EQ(Str(S.Left(2)), TVTEXT("ab"));
    EXPECT_EQ(Str(S.Right(10)), TVTEXT("abcdef"));
    EXPECT_EQ(Str(S.Right(2)), TVTEXT("ef"));
    EXPECT_EQ(Str(S), TVTEXT("abcdef"));
}

TEST(String, InsertAndDeleteResults)
{
    FString A(TVTEXT("abcdefg"));
    EXPECT_EQ(A.Delete(2, 3), 7);
    EXPECT_EQ(Str(A), TVTEXT("abfg"));
    FString B(TVTEXT("abc"));
    EXPECT_EQ(B.Delete(9, 1), 3);
    EXPECT_EQ(B.Delete(1, 0), 3);
    EXPECT_EQ(B.Delete(1, 100), 3);  // a count past the end removes the tail
    EXPECT_EQ(Str(B), TVTEXT("a"));
    FString C(TVTEXT("abc"));
    EXPECT_EQ(C.Delete(-4, 1), 3);
    EXPECT_EQ(Str(C), TVTEXT("bc"));

    FString D(TVTEXT("abc"));
    EXPECT_EQ(D.Insert(-5, TVTEXT("xy")), 5);
    EXPECT_EQ(Str(D), TVTEXT("xyabc"));
    EXPECT_EQ(D.Insert(99, TVTEXT('z')), 6);
    EXPECT_EQ(Str(D), TVTEXT("xyabcz"));
    EXPECT_EQ(D.Insert(1, static_cast<const tvWChar*>(nullptr)), 6);
    EXPECT_EQ(D.Insert(0, TVTEXT('\0')), 7);  // a 0 unit is inserted as such
    EXPECT_EQ(D.GetLength(), 7);
    EXPECT_EQ(D[0], 0);
}

TEST(String, RemoveAndReplace)
{
    FString A(TVTEXT("banana"));
    EXPECT_EQ(A.Remove(TVTEXT('a')), 3);
    EXPECT_EQ(Str(A), TVTEXT("bnn"));
    EXPECT_EQ(A.Replace(TVTEXT('n'), TVTEXT('n')), 0);
    EXPECT_EQ(A.Replace(TVTEXT('n'), TVTEXT('m')), 2);
    EXPECT_EQ(Str(A), TVTEXT("bmm"));

    struct FCase {
        WideText Text;
        const tvWChar* Old;
        const tvWChar* New;
        int Count;
        WideText Result;
    } Cases[] = {
        {TVTEXT("aaaa"), TVTEXT("aa"), TVTEXT("b"), 2, TVTEXT("bb")},
        {TVTEXT("aXa"), TVTEXT("a"), TVTEXT("xyz"), 2, TVTEXT("xyzXxyz")},
        {TVTEXT("abc"), TVTEXT("x"), TVTEXT("y"), 0, TVTEXT("abc")},
        {TVTEXT("abc"), TVTEXT(""), TVTEXT("y"), 0, TVTEXT("abc")},
        {TVTEXT("abc"), nullptr, TVTEXT("y"), 0, TVTEXT("abc")},
        {TVTEXT("abcb"), TVTEXT("b"), nullptr, 2, TVTEXT("ac")},
        {TVTEXT("aaa"), TVTEXT("a"), TVTEXT("aa"), 3, TVTEXT("aaaaaa")},
        // Each 0-terminated segment is searched by itself.
        {WideText(TVTEXT("ab\0ab"), 5), TVTEXT("ab"), TVTEXT("xyz"), 2, WideText(TVTEXT("xyz\0xyz"), 7)},
        {WideText(TVTEXT("a\0\0a"), 4), TVTEXT("a"), TVTEXT(""), 2, WideText(TVTEXT("\0\0"), 2)},
    };
    for (const FCase& C : Cases) {
        FString S(C.Text.data(), int(C.Text.size()));
        EXPECT_EQ(S.Replace(C.Old, C.New), C.Count) << (&C - Cases);
        EXPECT_EQ(Str(S), C.Result) << (&C - Cases);
        EXPECT_EQ(S[S.GetLength()], 0);
    }
}

TEST(String, TrimmingByBlanksCharactersAndSets)
{
    FString A(TVTEXT(" \t\r\nab \x0B\x0C"));
    A.TrimLeft();
    A.TrimRight();
    EXPECT_EQ(Str(A), TVTEXT("ab"));
    FString B(TVTEXT("axbyx"));
    B.TrimRight(TVTEXT("xy"));
    EXPECT_EQ(Str(B), TVTEXT("axb"));
    B.TrimLeft(static_cast<const tvWChar*>(nullptr));
    B.TrimRight(static_cast<const tvWChar*>(nullptr));
    EXPECT_EQ(Str(B), TVTEXT("axb"));
    FString C(TVTEXT("--a-b--"));
    C.TrimLeft(TVTEXT('-'));
    C.TrimRight(TVTEXT('-'));
    EXPECT_EQ(Str(C), TVTEXT("a-b"));
    FString D(TVTEXT("xxxx"));
    D.TrimLeft(TVTEXT("x"));
    EXPECT_EQ(D.GetLength(), 0);
    EXPECT_EQ(D.GetAllocLength(), 4);  // trimming keeps the capacity
    EXPECT_EQ(D[0], 0);
}

TEST(String, CaseMappingAndReverse)
{
    // Lower-casing is a fixed table; upper-casing folds a-z only.
    struct FCase {
        tvWChar In, Lower;
    } Cases[] = {{TVTEXT('A'), TVTEXT('a')}, {TVTEXT('Z'), TVTEXT('z')}, {192, 224}, {201, 233}, {206, 238}, {222, 254}, {208, 208},
                 {215, 247}, {223, 223}, {140, 156}, {159, 255}, {0x0100, 0x0100}, {TVTEXT('a'), TVTEXT('a')}, {TVTEXT('['), TVTEXT('[')}};
    for (const FCase& C : Cases) {
        FString S(C.In, 1);
        S.MakeLower();
        EXPECT_EQ(S[0], C.Lower) << int(C.In);
    }
    FString U(TVTEXT("abz\u00E9{"));
    U.MakeUpper();
    EXPECT_EQ(Str(U), TVTEXT("ABZ\u00E9{"));
    FString R(TVTEXT("abc"));
    R.MakeReverse();
    EXPECT_EQ(Str(R), TVTEXT("cba"));
    EXPECT_EQ(R.GetAllocLength(), 3);
}

TEST(String, DirectBufferAccess)
{
    FString S;
    tvWChar* Buffer = S.GetBufferSetLength(10);
    ASSERT_NE(Buffer, nullptr);
    EXPECT_EQ(S.GetLength(), 10);
    EXPECT_EQ(Buffer[10], 0);
    Buffer[0] = TVTEXT('h');
    Buffer[1] = TVTEXT('i');
    Buffer[2] = 0;
    S.ReleaseBuffer();
    EXPECT_EQ(S.GetLength(), 2);
    EXPECT_EQ(S.GetAllocLength(), 10);
    S.FreeExtra();
    EXPECT_EQ(S.GetAllocLength(), 2);
    EXPECT_EQ(Str(S), TVTEXT("hi"));

    // A buffer that fits is handed out as it is; a longer request moves the text.
    tvWChar* Same = S.GetBuffer(1);
    EXPECT_EQ(Same, static_cast<const tvWChar*>(S));
    tvWChar* Larger = S.GetBuffer(8);
    EXPECT_EQ(S.GetAllocLength(), 8);
    EXPECT_EQ(Str(S), TVTEXT("hi"));
    Larger[2] = TVTEXT('!');
    S.ReleaseBuffer(3);
    EXPECT_EQ(Str(S), TVTEXT("hi!"));
    S.ReleaseBuffer(50);  // never beyond the buffer
    EXPECT_EQ(S.GetLength(), 8);

    // The empty record is never written, whatever is asked of it.
    FString E;
    EXPECT_EQ(E.GetBufferSetLength(0), __GEmptyString);
    E.ReleaseBuffer();
    E.LockBuffer();
    E.UnlockBuffer();
    EXPECT_TRUE(IsEmptyRecord(E));
    EXPECT_EQ(__GEmptyString[0], 0);
}

TEST(String, LockedBuffersSurviveEmptyAndAreFreedOnRelease)
{
    FString S(TVTEXT("abc"));
    tvWChar* Locked = S.LockBuffer();
    EXPECT_EQ(static_cast<FProbe&>(S).GetData()->RefCount, -1);
    S.Empty();
    EXPECT_EQ(static_cast<const tvWChar*>(S), Locked);
    EXPECT_EQ(S.GetLength(), 0);
    S.UnlockBuffer();
    EXPECT_EQ(static_cast<FProbe&>(S).GetData()->RefCount, 1);
    S.LockBuffer();
    // Destruction releases a locked buffer too (ASan reports a leak otherwise).
}

TEST(String, WritePreparation)
{
    FProbe S(TVTEXT("abcd"));
    const tvWChar* Before = S;
    S.AllocBeforeWrite(3);  // fits: kept
    EXPECT_EQ(static_cast<const tvWChar*>(S), Before);
    S.AllocBeforeWrite(9);
    EXPECT_EQ(S.GetAllocLength(), 9);

    FProbe Dest;
    FProbe Source(TVTEXT("abcdef"));
    Source.AllocCopy(Dest, 2, 1, 3);
    EXPECT_EQ(Dest.GetLength(), 5);
    EXPECT_EQ(Dest.GetAllocLength(), 5);
    EXPECT_EQ(Dest[0], TVTEXT('b'));
    EXPECT_EQ(Dest[1], TVTEXT('c'));
    EXPECT_EQ(Dest[5], 0);
    FProbe None;
    Source.AllocCopy(None, 0, 0, 0);
    EXPECT_TRUE(IsEmptyRecord(None));

    // A shared count forces a private copy before any write.
    FProbe Shared(TVTEXT("xyz"));
    Shared.GetData()->RefCount = 2;
    FStringData* Old = Shared.GetData();
    Shared.CopyBeforeWrite();
    EXPECT_NE(Shared.GetData(), Old);
    EXPECT_EQ(Str(Shared), TVTEXT("xyz"));
    EXPECT_EQ(Old->RefCount, 1);  // the old holder keeps its reference
    FProbe::Release(Old);
}

TEST(String, TextFromItsOwnBuffer)
{
    FString A(TVTEXT("abcdef"));
    A = static_cast<const tvWChar*>(A) + 2;
    EXPECT_EQ(Str(A), TVTEXT("cdef"));
    FString B(TVTEXT("abc"));
    B += B;
    EXPECT_EQ(Str(B), TVTEXT("abcabc"));
    B += static_cast<const tvWChar*>(B) + 4;
    EXPECT_EQ(Str(B), TVTEXT("abcabcbc"));
    FString C(TVTEXT("abc"));
    C.Insert(1, static_cast<const tvWChar*>(C));
    EXPECT_EQ(Str(C), TVTEXT("aabcbc"));
    FString D(TVTEXT("abab"));
    D.Replace(static_cast<const tvWChar*>(D) + 2, static_cast<const tvWChar*>(D));
    EXPECT_EQ(Str(D), TVTEXT("abababab"));
    FString E(TVTEXT("xyx"));
    E.TrimLeft(static_cast<const tvWChar*>(E));
    EXPECT_EQ(Str(E), TVTEXT(""));
    FString& Alias = A;
    A = Alias;
    EXPECT_EQ(Str(A), TVTEXT("cdef"));
}

TEST(String, Format)
{
    FString S;
    S.Format(TVTEXT("%d-%s"), 5, TVTEXT("x"));
    EXPECT_EQ(Str(S), TVTEXT("5-x"));
    EXPECT_EQ(S.GetAllocLength(), 3);
    S.Format(TVTEXT("%S|%hs|%c|%5.1f|%I64d"), "ab", "cd", TVTEXT('e'), 2.25, 1LL << 40);
    EXPECT_EQ(Str(S), TVTEXT("ab|cd|e|  2.2|1099511627776"));

    // Longer than the 4095-unit working area: the whole text, exactly sized.
    const WideText Long(10000, TVTEXT('q'));
    S.Format(TVTEXT("<%s>"), Long.c_str());
    EXPECT_EQ(S.GetLength(), 10002);
    EXPECT_EQ(S.GetAllocLength(), 10002);
    EXPECT_EQ(Str(S), TVTEXT("<") + Long + TVTEXT(">"));

    // An unusable directive keeps the text before it.
    S.Format(TVTEXT("ok %n"), nullptr);
    EXPECT_EQ(Str(S), TVTEXT("ok "));
}


TEST(String, FormatVReservesItsEstimateAndAlwaysFits)
{
    FString S;
    CallFormatV(S, TVTEXT("%5.2f"), 3.14159);
    EXPECT_EQ(Str(S), TVTEXT(" 3.14"));
    EXPECT_GE(S.GetAllocLength(), 8);  // "%*.*f" with precision 8 prints 10.14159000: at least that

    CallFormatV(S, TVTEXT("%d"), 7);
    EXPECT_EQ(Str(S), TVTEXT("7"));
    EXPECT_GE(S.GetAllocLength(), 32);  // an integer conversion reserves at least 32

    CallFormatV(S, TVTEXT("[%-6s|%.2s|%s]"), TVTEXT("ab"), TVTEXT("xyz"), static_cast<const tvWChar*>(nullptr));
    EXPECT_EQ(Str(S), TVTEXT("[ab    |xy|(null)]"));

    // Outside the estimate's rules: length modifiers, narrow %S, a long result, a lone '%'.
    CallFormatV(S, TVTEXT("%lld %S %ls"), 1LL << 40, "narrow", TVTEXT("wide"));
    EXPECT_EQ(Str(S), TVTEXT("1099511627776 narrow wide"));
    const WideText Long(5000, TVTEXT('w'));
    CallFormatV(S, TVTEXT("%hs%s"), "n", Long.c_str());
    EXPECT_EQ(Str(S), TVTEXT("n") + Long);
    CallFormatV(S, TVTEXT("100%"));
    EXPECT_EQ(Str(S), TVTEXT("100"));
    CallFormatV(S, TVTEXT("%%%c"), TVTEXT('z'));
    EXPECT_EQ(Str(S), TVTEXT("%z"));
}

TEST(String, AllocationFailureLeavesStringsUsable)
{
    FString Kept(TVTEXT("kept"));
    FMallocNull Null;
    FScopedMalloc Scope(&Null);
    FString A(TVTEXT("abc"));
    EXPECT_TRUE(IsEmptyRecord(A));
    Kept += TVTEXT("more");  // refused: unchanged
    EXPECT_EQ(Str(Kept), TVTEXT("kept"));
    EXPECT_EQ(Kept.Insert(0, TVTEXT("longer text")), 4);
    EXPECT_EQ(Kept.GetBuffer(100), nullptr);
    EXPECT_EQ(Str(Kept), TVTEXT("kept"));
    FString B;
    B.Format(TVTEXT("%d"), 12);
    EXPECT_TRUE(IsEmptyRecord(B));
    EXPECT_TRUE(IsEmptyRecord(Kept + Kept));
}

TEST(StringDataPool, HandsOutEachBufferOnceAndReusesTheLastReturned)
{
    FStringDataPool Pool(8, 3);
    EXPECT_EQ(Pool.GetItemLen(), 8);
    EXPECT_EQ(Pool.Lock(9), nullptr);
    tvWChar* A = Pool.Lock(8);
    tvWChar* B = Pool.Lock(1);
    tvWChar* C = Pool.Lock(0);
    ASSERT_TRUE(A && B && C);
    EXPECT_EQ(B - A, 8);
    EXPECT_EQ(C - B, 8);
    EXPECT_EQ(Pool.Lock(1), nullptr);
    for (int i = 0; i < 8; ++i)
        A[i] = B[i] = C[i] = TVTEXT('x');  // each buffer holds its full item length
    Pool.Unlock(nullptr);
    Pool.Unlock(B);
    Pool.Unlock(B);  // a second return is ignored
    const tvWChar Foreign[8] = {};
    Pool.Unlock(Foreign);
    Pool.Unlock(A + 1);
    EXPECT_EQ(Pool.Lock(4), B);
    EXPECT_EQ(Pool.Lock(4), nullptr);

    FStringDataPool Empty(8, 0);
    EXPECT_EQ(Empty.Lock(1), nullptr);
}

TEST(String, EqualityComparesTextNotBuffers)
{
    const FString A(TVTEXT("abc")), B(TVTEXT("abc")), Inner(TVTEXT("ab\0c"), 4), Other(TVTEXT("ab\0d"), 4);
    EXPECT_TRUE(A == B);
    EXPECT_FALSE(A != B);
    EXPECT_TRUE(A == TVTEXT("abc"));
    EXPECT_TRUE(TVTEXT("abc") == A);
    EXPECT_FALSE(A == TVTEXT("ab"));
    EXPECT_FALSE(A == TVTEXT("abcd"));
    EXPECT_TRUE(FString() == static_cast<const tvWChar*>(nullptr));
    EXPECT_TRUE(FString() == TVTEXT(""));
    EXPECT_TRUE(Inner == FString(TVTEXT("ab\0c"), 4));
    EXPECT_TRUE(Inner != Other);
    EXPECT_FALSE(Inner == TVTEXT("ab"));  // the text ends at its 0, the string does not
}

TEST(String, FormatVWithNothingReservedNeverWritesTheEmptyRecord)
{
    // Each of these gives an estimate of 0 on an empty string.
    struct FCase {
        const tvWChar* Format;
        WideText Expected;
    };
    FString S;
    CallFormatV(S, TVTEXT(""));
    EXPECT_TRUE(IsEmptyRecord(S));
    CallFormatV(S, TVTEXT("%n"), nullptr);
    EXPECT_TRUE(IsEmptyRecord(S));
    CallFormatV(S, TVTEXT("%.*s"), -1, TVTEXT("abc"));
    EXPECT_EQ(Str(S), TVTEXT("abc"));
    S.Empty();
    CallFormatV(S, TVTEXT("%S"), "narrow");
    EXPECT_EQ(Str(S), TVTEXT("narrow"));
    const FCase Cases[] = {{TVTEXT("%ls"), TVTEXT("wide")}, {TVTEXT("%hs"), TVTEXT("wide")}};
    for (const FCase& C : Cases) {
        FString T;
        if (C.Format[1] == TVTEXT('h'))
            CallFormatV(T, C.Format, "wide");
        else
            CallFormatV(T, C.Format, TVTEXT("wide"));
        EXPECT_EQ(Str(T), C.Expected);
    }
    FString L;
    CallFormatV(L, TVTEXT("%lld|%I64d"), 5LL, 6LL);
    EXPECT_EQ(Str(L), TVTEXT("5|6"));
    EXPECT_EQ(*__GEmptyString, 0);
    EXPECT_EQ(FString().GetLength(), 0);
}

TEST(String, FormatWithTextFromItsOwnBuffer)
{
    const WideText Long(5000, TVTEXT('q'));
    FString S(Long.c_str());
    S.Format(TVTEXT("%s!"), static_cast<const tvWChar*>(S));
    EXPECT_EQ(Str(S), Long + TVTEXT("!"));

    FString V(Long.c_str());
    CallFormatV(V, TVTEXT("%s%s"), static_cast<const tvWChar*>(V), static_cast<const tvWChar*>(V));
    EXPECT_EQ(Str(V), Long + Long);

    FString Small(TVTEXT("ab"));
    CallFormatV(Small, TVTEXT("%s-%s"), static_cast<const tvWChar*>(Small), static_cast<const tvWChar*>(Small));
    EXPECT_EQ(Str(Small), TVTEXT("ab-ab"));
    FString Wide(TVTEXT("wide"));
    CallFormatV(Wide, TVTEXT("%ls%ls"), static_cast<const tvWChar*>(Wide), static_cast<const tvWChar*>(Wide));
    EXPECT_EQ(Str(Wide), TVTEXT("widewide"));

    // The format itself from the buffer.
    FString F(TVTEXT("%5000d"));
    F.Format(F, 1);
    EXPECT_EQ(F.GetLength(), 5000);
    EXPECT_EQ(F[4999], TVTEXT('1'));
    FString G(TVTEXT("<%d>"));
    CallFormatV(G, G, 42);
    EXPECT_EQ(Str(G), TVTEXT("<42>"));
}

TEST(String, FormatVEstimateReadsNoMoreThanThePrecision)
{
    // Three units and no terminator: reading a fourth would leave the block (ASan).
    tvWChar* Unterminated = static_cast<tvWChar*>(GMalloc->Malloc(3 * sizeof(tvWChar)));
    Unterminated[0] = TVTEXT('a');
    Unterminated[1] = TVTEXT('b');
    Unterminated[2] = TVTEXT('c');
    FString S;
    CallFormatV(S, TVTEXT("[%.3s]"), Unterminated);
    EXPECT_EQ(Str(S), TVTEXT("[abc]"));
    GMalloc->Free(Unterminated);
}

TEST(String, FormatVOfALongLiteralFormatGivesItsText)
{
    // The estimate of a literal of N units is N(N+1)/2, beyond any buffer from 65,536 units:
    // the text is then formatted at its exact length.
    WideText Literal(70000, TVTEXT('x'));
    Literal += TVTEXT("%d");
    FString S(TVTEXT("old"));
    CallFormatV(S, Literal.c_str(), 7);
    EXPECT_EQ(S.GetLength(), 70001);
    EXPECT_EQ(S[70000], TVTEXT('7'));
    EXPECT_EQ(S[0], TVTEXT('x'));
}

TEST(String, RefusedPrivateCopiesLeaveTheStringUnchanged)
{
    tvtest::FCountingMalloc Counting;
    // Insert and Replace copy text from their own buffer; the copy is refused here.
    FString Insert(TVTEXT("abc")), Old(TVTEXT("abab")), New(TVTEXT("abab"));
    Counting.RefuseAll = true;
    EXPECT_EQ(Insert.Insert(1, static_cast<const tvWChar*>(Insert)), 3);
    EXPECT_EQ(Str(Insert), TVTEXT("abc"));

    EXPECT_EQ(Old.Replace(static_cast<const tvWChar*>(Old) + 2, TVTEXT("x")), 0);
    EXPECT_EQ(Str(Old), TVTEXT("abab"));
    EXPECT_EQ(New.Replace(TVTEXT("b"), static_cast<const tvWChar*>(New) + 2), 0);
    EXPECT_EQ(Str(New), TVTEXT("abab"));
    Counting.RefuseAll = false;
}

TEST(String, ConcatCopyOfNothingKeepsTheBuffer)
{
    tvtest::FCountingMalloc Counting;
    {
        FProbe S(TVTEXT("keep"));
        EXPECT_EQ(Counting.Live, 1);
        S.ConcatCopy(0, TVTEXT(""), 0, TVTEXT(""));
        EXPECT_EQ(Str(S), TVTEXT("keep"));
        S.ConcatCopy(-2, TVTEXT(""), 0, nullptr);
        EXPECT_EQ(Str(S), TVTEXT("keep"));
    }
    EXPECT_EQ(Counting.Live, 0);
}

TEST(StringDataPool, AssignmentGivesEachPoolItsOwnBlock)
{
    tvtest::FCountingMalloc Counting;
    {
        FStringDataPool A(4, 2);
        FStringDataPool B(8, 3);
        tvWChar* First = A.Lock(4);
        First[0] = TVTEXT('z');
        B = A;
        EXPECT_EQ(Counting.Live, 2);  // B's own block went back, a copy took its place
        EXPECT_EQ(B.GetItemLen(), 4);
        tvWChar* FromB = B.Lock(4);
        ASSERT_NE(FromB, nullptr);
        EXPECT_NE(FromB, First);      // B hands out its own buffers
        EXPECT_EQ(B.Lock(1), nullptr);  // the copy had one free item, as A had
        B.Unlock(FromB);
        EXPECT_EQ(B.Lock(2), FromB);
        A.Unlock(First);
        EXPECT_EQ(A.Lock(4), First);
        B = *&B;  // itself
        EXPECT_EQ(B.GetItemLen(), 4);
        const FStringDataPool C(A);
        EXPECT_EQ(Counting.Live, 3);
        FStringDataPool Empty(8, 0);
        B = Empty;
        EXPECT_EQ(B.Lock(1), nullptr);
        EXPECT_EQ(Counting.Live, 2);
    }
    EXPECT_EQ(Counting.Live, 0);  // each pool freed exactly its own block
}
