// FString: exact capacities, unshared buffers, the empty record, search and extraction
// boundaries, in-place edits, buffer access, formatting and allocation failure.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include "support/CountingMalloc.h"
#include "support/ScopedMalloc.h"

#include <string>
#include <vector>

using namespace Tolvane;
using TestSupport::FScopedMalloc;

namespace {

std::u16string Str(const FString& S) { return std::u16string(static_cast<const tvWChar*>(S), std::size_t(S.GetLength())); }
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
    const FString Cases[] = {FString(), FString(static_cast<const tvWChar*>(nullptr)), FString(u""),
                             FString(u"abc", 0), FString(u'x', 0), FString(u'x', -3), FString(u"abc", -1)};
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
    const FString Counted(u"a\0b", 3);
    EXPECT_EQ(Counted.GetLength(), 3);
    EXPECT_EQ(Counted.GetAllocLength(), 3);
    EXPECT_EQ(Str(Counted), std::u16string(u"a\0b", 3));

    const FString Repeated(u'z', 4);
    EXPECT_EQ(Str(Repeated), u"zzzz");
    EXPECT_EQ(Repeated.GetAllocLength(), 4);

    // A surrogate pair is two code units everywhere.
    const FString Pair(u"a\U0001F600b");
    EXPECT_EQ(Pair.GetLength(), 4);
    EXPECT_EQ(Pair.Find(u'b'), 3);
    EXPECT_EQ(Str(Pair.Mid(1, 2)), u"\U0001F600");
}

TEST(String, CopiesNeverShareABuffer)
{
    FString Source(u"hello");
    FString Copy(Source);
    FString Assigned;
    Assigned = Source;
    const FString Sum = Source + u"";
    const FString Whole = Source.Mid(0);
    const FString Left = Source.Left(99);
    const FString* All[] = {&Copy, &Assigned, &Sum, &Whole, &Left};
    for (const FString* S : All) {
        EXPECT_NE(static_cast<const tvWChar*>(*S), static_cast<const tvWChar*>(Source));
        EXPECT_EQ(Str(*S), u"hello");
        EXPECT_EQ(static_cast<const FProbe*>(S)->GetData()->RefCount, 1);
    }
    Copy.SetAt(0, u'J');
    Assigned += u"!";
    EXPECT_EQ(Str(Source), u"hello");
    EXPECT_EQ(Str(Copy), u"Jello");
}

TEST(String, CapacityIsExactAfterEveryKindOfOperation)
{
    struct FCase {
        const char* What;
        int Got;
        int Capacity;
    };
    FString Grown(u"ab");
    Grown += u"cde";       // does not fit: exactly 5
    FString Kept(u"abcdef");
    Kept = u"xy";          // fits: the buffer stays
    FString Inserted(u"abc");
    Inserted.Insert(1, u"XY");
    FString Replaced(u"aXa");
    Replaced.Replace(u"a", u"xyz");
    FString Shrunk(u"aaaa");
    Shrunk.Replace(u"aa", u"b");  // shrinks in place
    FString Trimmed(u"  ab  ");
    Trimmed.TrimLeft();
    Trimmed.TrimRight();
    FString Freed(u"abcdef");
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
        {"operator+", (FString(u"ab") + FString(u"cd")).GetAllocLength(), 4},
        {"char + string", (u'x' + FString(u"yz")).GetAllocLength(), 3},
        {"text + string", (u"ab" + FString(u"c")).GetAllocLength(), 3},
        {"string + char", (FString(u"ab") + u'c').GetAllocLength(), 3},
        {"mid", (FString(u"abcdef").Mid(1, 3)).GetAllocLength(), 3},
        {"right", (FString(u"abcdef").Right(2)).GetAllocLength(), 2},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(C.Got, C.Capacity) << C.What;
    EXPECT_EQ(Str(Replaced), u"xyzXxyz");
    EXPECT_EQ(Str(Shrunk), u"bb");
    EXPECT_EQ(Str(Trimmed), u"ab");
    EXPECT_EQ(Str(Freed), u"af");
}

TEST(String, ZeroLengthResultsAreTheEmptyRecord)
{
    FString A(u"abc");
    A = u"";
    FString B(u"abc");
    B.Empty();
    FString C(u"abc");
    C.Format(u"%s", u"");
    FString D(u"abc");
    CallFormatV(D, u"");
    FString E(u"abc");
    E = FString();
    const FString Results[] = {A, B, C, D, E, FString(u"abc").Mid(7), FString(u"abc").Left(-1),
                               FString(u"abc").Right(0), FString() + FString(), FString(u"abc").Mid(1, 0)};
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
    const FString S(u"abc");
    struct FCase {
        int Got, Expected;
    } Cases[] = {
        {S.Find(u'c', 3), -1},  {S.Find(u'c', 2), 2},   {S.Find(u"", 3), 3},   {S.Find(u"", 4), -1},
        {S.Find(u"bc"), 1},     {S.Find(u"bd"), -1},    {S.Find(u'\0', 0), 3}, {S.ReverseFind(u'\0'), 3},
        {S.ReverseFind(u'a'), 0}, {FString(u"abca").ReverseFind(u'a'), 3}, {S.FindOneOf(u"xc"), 2},
        {S.FindOneOf(u"xyz"), -1}, {S.FindOneOf(nullptr), -1}, {FString().Find(u'a'), -1},
        {FString().Find(u""), 0},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(C.Got, C.Expected) << (&C - Cases);
    // A search sees the text up to its first 0 unit.
    EXPECT_EQ(FString(u"a\0b", 3).Find(u'b'), -1);
}

TEST(String, ComparisonIsExactAndFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(FString(u"a").Compare(u"b"), -1);
    EXPECT_EQ(FString(u"b").Compare(u"a"), 1);
    EXPECT_EQ(FString(u"ab").Compare(u"abc"), -1);
    EXPECT_EQ(FString(u"abc").Compare(u"abc"), 0);
    EXPECT_EQ(FString(u"\xFFFF").Compare(u"a"), 1);  // units compare unsigned
    EXPECT_EQ(FString(u"HeLLo").CompareNoCase(u"hello"), 0);
    EXPECT_NE(FString(u"\u00C9").CompareNoCase(u"\u00E9"), 0);
    EXPECT_LT(FString(u"a").CompareNoCase(u"B"), 0);
    EXPECT_EQ(FString(u"").Compare(nullptr), 0);
}

TEST(String, ExtractionClampsItsArguments)
{
    const FString S(u"abcdef");
    EXPECT_EQ(Str(S.Mid(-3, 2)), u"ab");
    EXPECT_EQ(Str(S.Mid(4, 10)), u"ef");
    EXPECT_EQ(Str(S.Mid(7)), u"");
    EXPECT_EQ(Str(S.Mid(-100000)), u"abcdef");
    EXPECT_EQ(Str(S.Mid(2)), u"cdef");
    EXPECT_EQ(Str(S.Left(-1)), u"");
    EXPECT_EQ(Str(S.Left(2)), u"ab");
    EXPECT_EQ(Str(S.Right(10)), u"abcdef");
    EXPECT_EQ(Str(S.Right(2)), u"ef");
    EXPECT_EQ(Str(S), u"abcdef");
}

TEST(String, InsertAndDeleteResults)
{
    FString A(u"abcdefg");
    EXPECT_EQ(A.Delete(2, 3), 7);
    EXPECT_EQ(Str(A), u"abfg");
    FString B(u"abc");
    EXPECT_EQ(B.Delete(9, 1), 3);
    EXPECT_EQ(B.Delete(1, 0), 3);
    EXPECT_EQ(B.Delete(1, 100), 3);  // a count past the end removes the tail
    EXPECT_EQ(Str(B), u"a");
    FString C(u"abc");
    EXPECT_EQ(C.Delete(-4, 1), 3);
    EXPECT_EQ(Str(C), u"bc");

    FString D(u"abc");
    EXPECT_EQ(D.Insert(-5, u"xy"), 5);
    EXPECT_EQ(Str(D), u"xyabc");
    EXPECT_EQ(D.Insert(99, u'z'), 6);
    EXPECT_EQ(Str(D), u"xyabcz");
    EXPECT_EQ(D.Insert(1, static_cast<const tvWChar*>(nullptr)), 6);
    EXPECT_EQ(D.Insert(0, u'\0'), 7);  // a 0 unit is inserted as such
    EXPECT_EQ(D.GetLength(), 7);
    EXPECT_EQ(D[0], 0);
}

TEST(String, RemoveAndReplace)
{
    FString A(u"banana");
    EXPECT_EQ(A.Remove(u'a'), 3);
    EXPECT_EQ(Str(A), u"bnn");
    EXPECT_EQ(A.Replace(u'n', u'n'), 0);
    EXPECT_EQ(A.Replace(u'n', u'm'), 2);
    EXPECT_EQ(Str(A), u"bmm");

    struct FCase {
        std::u16string Text;
        const tvWChar* Old;
        const tvWChar* New;
        int Count;
        std::u16string Result;
    } Cases[] = {
        {u"aaaa", u"aa", u"b", 2, u"bb"},
        {u"aXa", u"a", u"xyz", 2, u"xyzXxyz"},
        {u"abc", u"x", u"y", 0, u"abc"},
        {u"abc", u"", u"y", 0, u"abc"},
        {u"abc", nullptr, u"y", 0, u"abc"},
        {u"abcb", u"b", nullptr, 2, u"ac"},
        {u"aaa", u"a", u"aa", 3, u"aaaaaa"},
        // Each 0-terminated segment is searched by itself.
        {std::u16string(u"ab\0ab", 5), u"ab", u"xyz", 2, std::u16string(u"xyz\0xyz", 7)},
        {std::u16string(u"a\0\0a", 4), u"a", u"", 2, std::u16string(u"\0\0", 2)},
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
    FString A(u" \t\r\nab \x0B\x0C");
    A.TrimLeft();
    A.TrimRight();
    EXPECT_EQ(Str(A), u"ab");
    FString B(u"axbyx");
    B.TrimRight(u"xy");
    EXPECT_EQ(Str(B), u"axb");
    B.TrimLeft(static_cast<const tvWChar*>(nullptr));
    B.TrimRight(static_cast<const tvWChar*>(nullptr));
    EXPECT_EQ(Str(B), u"axb");
    FString C(u"--a-b--");
    C.TrimLeft(u'-');
    C.TrimRight(u'-');
    EXPECT_EQ(Str(C), u"a-b");
    FString D(u"xxxx");
    D.TrimLeft(u"x");
    EXPECT_EQ(D.GetLength(), 0);
    EXPECT_EQ(D.GetAllocLength(), 4);  // trimming keeps the capacity
    EXPECT_EQ(D[0], 0);
}

TEST(String, CaseMappingAndReverse)
{
    // Lower-casing is a fixed table; upper-casing folds a-z only.
    struct FCase {
        tvWChar In, Lower;
    } Cases[] = {{u'A', u'a'}, {u'Z', u'z'}, {192, 224}, {201, 233}, {206, 238}, {222, 254}, {208, 208},
                 {215, 247}, {223, 223}, {140, 156}, {159, 255}, {0x0100, 0x0100}, {u'a', u'a'}, {u'[', u'['}};
    for (const FCase& C : Cases) {
        FString S(C.In, 1);
        S.MakeLower();
        EXPECT_EQ(S[0], C.Lower) << int(C.In);
    }
    FString U(u"abz\u00E9{");
    U.MakeUpper();
    EXPECT_EQ(Str(U), u"ABZ\u00E9{");
    FString R(u"abc");
    R.MakeReverse();
    EXPECT_EQ(Str(R), u"cba");
    EXPECT_EQ(R.GetAllocLength(), 3);
}

TEST(String, DirectBufferAccess)
{
    FString S;
    tvWChar* Buffer = S.GetBufferSetLength(10);
    ASSERT_NE(Buffer, nullptr);
    EXPECT_EQ(S.GetLength(), 10);
    EXPECT_EQ(Buffer[10], 0);
    Buffer[0] = u'h';
    Buffer[1] = u'i';
    Buffer[2] = 0;
    S.ReleaseBuffer();
    EXPECT_EQ(S.GetLength(), 2);
    EXPECT_EQ(S.GetAllocLength(), 10);
    S.FreeExtra();
    EXPECT_EQ(S.GetAllocLength(), 2);
    EXPECT_EQ(Str(S), u"hi");

    // A buffer that fits is handed out as it is; a longer request moves the text.
    tvWChar* Same = S.GetBuffer(1);
    EXPECT_EQ(Same, static_cast<const tvWChar*>(S));
    tvWChar* Larger = S.GetBuffer(8);
    EXPECT_EQ(S.GetAllocLength(), 8);
    EXPECT_EQ(Str(S), u"hi");
    Larger[2] = u'!';
    S.ReleaseBuffer(3);
    EXPECT_EQ(Str(S), u"hi!");
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
    FString S(u"abc");
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
    FProbe S(u"abcd");
    const tvWChar* Before = S;
    S.AllocBeforeWrite(3);  // fits: kept
    EXPECT_EQ(static_cast<const tvWChar*>(S), Before);
    S.AllocBeforeWrite(9);
    EXPECT_EQ(S.GetAllocLength(), 9);

    FProbe Dest;
    FProbe Source(u"abcdef");
    Source.AllocCopy(Dest, 2, 1, 3);
    EXPECT_EQ(Dest.GetLength(), 5);
    EXPECT_EQ(Dest.GetAllocLength(), 5);
    EXPECT_EQ(Dest[0], u'b');
    EXPECT_EQ(Dest[1], u'c');
    EXPECT_EQ(Dest[5], 0);
    FProbe None;
    Source.AllocCopy(None, 0, 0, 0);
    EXPECT_TRUE(IsEmptyRecord(None));

    // A shared count forces a private copy before any write.
    FProbe Shared(u"xyz");
    Shared.GetData()->RefCount = 2;
    FStringData* Old = Shared.GetData();
    Shared.CopyBeforeWrite();
    EXPECT_NE(Shared.GetData(), Old);
    EXPECT_EQ(Str(Shared), u"xyz");
    EXPECT_EQ(Old->RefCount, 1);  // the old holder keeps its reference
    FProbe::Release(Old);
}

TEST(String, TextFromItsOwnBuffer)
{
    FString A(u"abcdef");
    A = static_cast<const tvWChar*>(A) + 2;
    EXPECT_EQ(Str(A), u"cdef");
    FString B(u"abc");
    B += B;
    EXPECT_EQ(Str(B), u"abcabc");
    B += static_cast<const tvWChar*>(B) + 4;
    EXPECT_EQ(Str(B), u"abcabcbc");
    FString C(u"abc");
    C.Insert(1, static_cast<const tvWChar*>(C));
    EXPECT_EQ(Str(C), u"aabcbc");
    FString D(u"abab");
    D.Replace(static_cast<const tvWChar*>(D) + 2, static_cast<const tvWChar*>(D));
    EXPECT_EQ(Str(D), u"abababab");
    FString E(u"xyx");
    E.TrimLeft(static_cast<const tvWChar*>(E));
    EXPECT_EQ(Str(E), u"");
    FString& Alias = A;
    A = Alias;
    EXPECT_EQ(Str(A), u"cdef");
}

TEST(String, Format)
{
    FString S;
    S.Format(u"%d-%s", 5, u"x");
    EXPECT_EQ(Str(S), u"5-x");
    EXPECT_EQ(S.GetAllocLength(), 3);
    S.Format(u"%S|%hs|%c|%5.1f|%I64d", "ab", "cd", u'e', 2.25, 1LL << 40);
    EXPECT_EQ(Str(S), u"ab|cd|e|  2.2|1099511627776");

    // Longer than the 4095-unit working area: the whole text, exactly sized.
    const std::u16string Long(10000, u'q');
    S.Format(u"<%s>", Long.c_str());
    EXPECT_EQ(S.GetLength(), 10002);
    EXPECT_EQ(S.GetAllocLength(), 10002);
    EXPECT_EQ(Str(S), u"<" + Long + u">");

    // An unusable directive keeps the text before it.
    S.Format(u"ok %n", nullptr);
    EXPECT_EQ(Str(S), u"ok ");
}


TEST(String, FormatVReservesItsEstimateAndAlwaysFits)
{
    FString S;
    CallFormatV(S, u"%5.2f", 3.14159);
    EXPECT_EQ(Str(S), u" 3.14");
    EXPECT_GE(S.GetAllocLength(), 8);  // "%*.*f" with precision 8 prints 10.14159000: at least that

    CallFormatV(S, u"%d", 7);
    EXPECT_EQ(Str(S), u"7");
    EXPECT_GE(S.GetAllocLength(), 32);  // an integer conversion reserves at least 32

    CallFormatV(S, u"[%-6s|%.2s|%s]", u"ab", u"xyz", static_cast<const tvWChar*>(nullptr));
    EXPECT_EQ(Str(S), u"[ab    |xy|(null)]");

    // Outside the estimate's rules: length modifiers, narrow %S, a long result, a lone '%'.
    CallFormatV(S, u"%lld %S %ls", 1LL << 40, "narrow", u"wide");
    EXPECT_EQ(Str(S), u"1099511627776 narrow wide");
    const std::u16string Long(5000, u'w');
    CallFormatV(S, u"%hs%s", "n", Long.c_str());
    EXPECT_EQ(Str(S), u"n" + Long);
    CallFormatV(S, u"100%");
    EXPECT_EQ(Str(S), u"100");
    CallFormatV(S, u"%%%c", u'z');
    EXPECT_EQ(Str(S), u"%z");
}

TEST(String, AllocationFailureLeavesStringsUsable)
{
    FString Kept(u"kept");
    FMallocNull Null;
    FScopedMalloc Scope(&Null);
    FString A(u"abc");
    EXPECT_TRUE(IsEmptyRecord(A));
    Kept += u"more";  // refused: unchanged
    EXPECT_EQ(Str(Kept), u"kept");
    EXPECT_EQ(Kept.Insert(0, u"longer text"), 4);
    EXPECT_EQ(Kept.GetBuffer(100), nullptr);
    EXPECT_EQ(Str(Kept), u"kept");
    FString B;
    B.Format(u"%d", 12);
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
        A[i] = B[i] = C[i] = u'x';  // each buffer holds its full item length
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
    const FString A(u"abc"), B(u"abc"), Inner(u"ab\0c", 4), Other(u"ab\0d", 4);
    EXPECT_TRUE(A == B);
    EXPECT_FALSE(A != B);
    EXPECT_TRUE(A == u"abc");
    EXPECT_TRUE(u"abc" == A);
    EXPECT_FALSE(A == u"ab");
    EXPECT_FALSE(A == u"abcd");
    EXPECT_TRUE(FString() == static_cast<const tvWChar*>(nullptr));
    EXPECT_TRUE(FString() == u"");
    EXPECT_TRUE(Inner == FString(u"ab\0c", 4));
    EXPECT_TRUE(Inner != Other);
    EXPECT_FALSE(Inner == u"ab");  // the text ends at its 0, the string does not
}

TEST(String, FormatVWithNothingReservedNeverWritesTheEmptyRecord)
{
    // Each of these gives an estimate of 0 on an empty string.
    struct FCase {
        const tvWChar* Format;
        std::u16string Expected;
    };
    FString S;
    CallFormatV(S, u"");
    EXPECT_TRUE(IsEmptyRecord(S));
    CallFormatV(S, u"%n", nullptr);
    EXPECT_TRUE(IsEmptyRecord(S));
    CallFormatV(S, u"%.*s", -1, u"abc");
    EXPECT_EQ(Str(S), u"abc");
    S.Empty();
    CallFormatV(S, u"%S", "narrow");
    EXPECT_EQ(Str(S), u"narrow");
    const FCase Cases[] = {{u"%ls", u"wide"}, {u"%hs", u"wide"}};
    for (const FCase& C : Cases) {
        FString T;
        if (C.Format[1] == u'h')
            CallFormatV(T, C.Format, "wide");
        else
            CallFormatV(T, C.Format, u"wide");
        EXPECT_EQ(Str(T), C.Expected);
    }
    FString L;
    CallFormatV(L, u"%lld|%I64d", 5LL, 6LL);
    EXPECT_EQ(Str(L), u"5|6");
    EXPECT_EQ(*__GEmptyString, 0);
    EXPECT_EQ(FString().GetLength(), 0);
}

TEST(String, FormatWithTextFromItsOwnBuffer)
{
    const std::u16string Long(5000, u'q');
    FString S(Long.c_str());
    S.Format(u"%s!", static_cast<const tvWChar*>(S));
    EXPECT_EQ(Str(S), Long + u"!");

    FString V(Long.c_str());
    CallFormatV(V, u"%s%s", static_cast<const tvWChar*>(V), static_cast<const tvWChar*>(V));
    EXPECT_EQ(Str(V), Long + Long);

    FString Small(u"ab");
    CallFormatV(Small, u"%s-%s", static_cast<const tvWChar*>(Small), static_cast<const tvWChar*>(Small));
    EXPECT_EQ(Str(Small), u"ab-ab");
    FString Wide(u"wide");
    CallFormatV(Wide, u"%ls%ls", static_cast<const tvWChar*>(Wide), static_cast<const tvWChar*>(Wide));
    EXPECT_EQ(Str(Wide), u"widewide");

    // The format itself from the buffer.
    FString F(u"%5000d");
    F.Format(F, 1);
    EXPECT_EQ(F.GetLength(), 5000);
    EXPECT_EQ(F[4999], u'1');
    FString G(u"<%d>");
    CallFormatV(G, G, 42);
    EXPECT_EQ(Str(G), u"<42>");
}

TEST(String, FormatVEstimateReadsNoMoreThanThePrecision)
{
    // Three units and no terminator: reading a fourth would leave the block (ASan).
    tvWChar* Unterminated = static_cast<tvWChar*>(GMalloc->Malloc(3 * sizeof(tvWChar)));
    Unterminated[0] = u'a';
    Unterminated[1] = u'b';
    Unterminated[2] = u'c';
    FString S;
    CallFormatV(S, u"[%.3s]", Unterminated);
    EXPECT_EQ(Str(S), u"[abc]");
    GMalloc->Free(Unterminated);
}

TEST(String, FormatVOfALongLiteralFormatGivesItsText)
{
    // The estimate of a literal of N units is N(N+1)/2, beyond any buffer from 65,536 units:
    // the text is then formatted at its exact length.
    std::u16string Literal(70000, u'x');
    Literal += u"%d";
    FString S(u"old");
    CallFormatV(S, Literal.c_str(), 7);
    EXPECT_EQ(S.GetLength(), 70001);
    EXPECT_EQ(S[70000], u'7');
    EXPECT_EQ(S[0], u'x');
}

TEST(String, RefusedPrivateCopiesLeaveTheStringUnchanged)
{
    tvtest::FCountingMalloc Counting;
    // Insert and Replace copy text from their own buffer; the copy is refused here.
    FString Insert(u"abc"), Old(u"abab"), New(u"abab");
    Counting.RefuseAll = true;
    EXPECT_EQ(Insert.Insert(1, static_cast<const tvWChar*>(Insert)), 3);
    EXPECT_EQ(Str(Insert), u"abc");

    EXPECT_EQ(Old.Replace(static_cast<const tvWChar*>(Old) + 2, u"x"), 0);
    EXPECT_EQ(Str(Old), u"abab");
    EXPECT_EQ(New.Replace(u"b", static_cast<const tvWChar*>(New) + 2), 0);
    EXPECT_EQ(Str(New), u"abab");
    Counting.RefuseAll = false;
}

TEST(String, ConcatCopyOfNothingKeepsTheBuffer)
{
    tvtest::FCountingMalloc Counting;
    {
        FProbe S(u"keep");
        EXPECT_EQ(Counting.Live, 1);
        S.ConcatCopy(0, u"", 0, u"");
        EXPECT_EQ(Str(S), u"keep");
        S.ConcatCopy(-2, u"", 0, nullptr);
        EXPECT_EQ(Str(S), u"keep");
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
        First[0] = u'z';
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
