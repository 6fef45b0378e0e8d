// The name table: interning, case-insensitive lookup, hiding, the bucket hash, and refused
// memory.
#include "support/RecordingMalloc.h"
#include "support/ScopedMalloc.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;
using TestSupport::FRecordingMalloc;
using TestSupport::FScopedMalloc;

namespace {

typedef WideText FText;

FText NameText(const FNameHash& Names, tvULong Index)
{
    const tvWChar* Text = Names.GetName(Index);
    return Text != nullptr ? FText(Text) : FText(TVTEXT("<null>"));
}

// A distinct, readable name per number.
FText NumberedName(int N, std::size_t Padding = 0)
{
    FText Text = TVTEXT("Name_");
    for (char Digit : std::to_string(N))
        Text += static_cast<Tolvane::tvWChar>(Digit);
    Text.append(Padding, TVTEXT('x'));
    return Text;
}

} // namespace

TEST(NameHash, ANewTableHoldsOnlyNoneAtIndexZero)
{
    const FNameHash Names;
    EXPECT_TRUE(Names.IsValid());
    EXPECT_EQ(Names.Num(), 1);
    EXPECT_EQ(Names.GetTableSize(), 1024);
    EXPECT_EQ(NameText(Names, 0), TVTEXT("None"));
    for (const Tolvane::tvWChar* Spelling : {TVTEXT("None"), TVTEXT("none"), TVTEXT("NONE"), TVTEXT("nOnE")})
        EXPECT_EQ(Names.Find(Spelling), 0u);
    for (const Tolvane::tvWChar* Other : {TVTEXT("Non"), TVTEXT("Nonee"), TVTEXT(""), TVTEXT("None ")})
        EXPECT_EQ(Names.Find(Other), NAME_NONE_INDEX);
    EXPECT_EQ(Names.GetName(1), nullptr) << "an index never given out";
    EXPECT_EQ(Names.GetName(NAME_NONE_INDEX), nullptr);
}

TEST(NameHash, BucketHashFoldsCaseAndMasksToTheTableSize)
{
    struct FCase {
        const Tolvane::tvWChar* Text;
        int TableSize;
        int Bucket;
    } const Cases[] = {
        {TVTEXT("A"), 1024, 585},       {TVTEXT("abc"), 1024, 960},    {TVTEXT("ABC"), 1024, 960},  {TVTEXT(""), 1024, 0},
        {TVTEXT("None"), 1024, 970},    {TVTEXT("Color"), 8, 5},       {TVTEXT("abc"), 1 << 28, 2437056},
        {TVTEXT("\u00e9"), 1024, 641},  {TVTEXT("\u00c9"), 1024, 641}, // Latin-1 letters fold too
        {TVTEXT("\u0141"), 1024, 584},  // a code above 255 hashes its high byte as well
        {TVTEXT("abc"), 1, 0},          {TVTEXT("abc"), 0, 0},         {TVTEXT("abc"), -8, 0},      {nullptr, 1024, 0},
        {TVTEXT("abc"), 1000, 2437056 & 999},  // a size that is not a power of two still stays in range
    };
    for (const FCase& Case : Cases)
        EXPECT_EQ(FNameHash::GetNameHash(Case.Text, Case.TableSize), Case.Bucket)
            << (Case.Text ? FText(Case.Text).size() : 0) << " units, size " << Case.TableSize;

    // The folding pairs: each small letter hashes as its capital; 240 and 247 are left alone.
    const Tolvane::tvWChar Pairs[][2] = {{TVTEXT('z'), TVTEXT('Z')}, {0xE0, 0xC0}, {0xFE, 0xDE}, {156, 140}, {255, 159}};
    for (const auto& Pair : Pairs) {
        const Tolvane::tvWChar Small[2] = {Pair[0], 0}, Capital[2] = {Pair[1], 0};
        EXPECT_EQ(FNameHash::GetNameHash(Small, 1 << 28), FNameHash::GetNameHash(Capital, 1 << 28)) << int(Pair[0]);
    }
    for (const Tolvane::tvWChar Kept : {Tolvane::tvWChar(0xF0), Tolvane::tvWChar(0xF7), Tolvane::tvWChar(0xD0), Tolvane::tvWChar(0xDF)}) {
        const Tolvane::tvWChar Text[2] = {Kept, 0}, Lowered[2] = {Tolvane::tvWChar(Kept - 32), 0};
        EXPECT_NE(FNameHash::GetNameHash(Text, 1 << 28), FNameHash::GetNameHash(Lowered, 1 << 28)) << int(Kept);
    }
}

TEST(NameHash, TableSizesBecomePowersOfTwo)
{
    struct FCase {
        int Requested;
        int Used;
    } const Cases[] = {{1024, 1024}, {1, 1}, {3, 4}, {1000, 1024}, {1025, 2048}, {0, 1024}, {-5, 1024}};
    for (const FCase& Case : Cases) {
        FNameHash Names(16, Case.Requested);
        EXPECT_EQ(Names.GetTableSize(), Case.Used) << Case.Requested;
        // Whatever the size, every name is found.
        for (int i = 1; i <= 50; ++i)
            ASSERT_EQ(Names.Add(NumberedName(i).c_str()), static_cast<tvULong>(i));
        for (int i = 1; i <= 50; ++i)
            ASSERT_EQ(Names.Find(NumberedName(i).c_str()), static_cast<tvULong>(i)) << Case.Requested;
    }
}

TEST(NameHash, AddingAgainInAnyCaseGivesTheFirstIndexAndSpelling)
{
    FNameHash Names;
    FText Caller = TVTEXT("Color");
    const tvULong Color = Names.Add(Caller.data());
    EXPECT_EQ(Color, 1u);
    EXPECT_EQ(Names.Add(TVTEXT("Color")), Color);
    EXPECT_EQ(Names.Add(TVTEXT("COLOR")), Color);
    EXPECT_EQ(Names.Find(TVTEXT("cOlOr")), Color);
    EXPECT_EQ(Names.Num(), 2);
    // The text was copied: the caller's buffer may change or go away.
    Caller[0] = TVTEXT('X');
    EXPECT_EQ(NameText(Names, Color), TVTEXT("Color"));
    EXPECT_NE(Names.GetName(Color), Caller.data());

    // Only A-Z and a-z fold in the comparison: accented letters are other names, even though
    // they share a bucket.
    const tvULong Small = Names.Add(TVTEXT("caf\u00e9"));
    const tvULong Capital = Names.Add(TVTEXT("CAF\u00c9"));
    EXPECT_NE(Small, Capital);
    EXPECT_EQ(Names.Find(TVTEXT("CAF\u00e9")), Small);
    EXPECT_EQ(Names.Num(), 4);
}

TEST(NameHash, KeptPointersAndNonUniqueEntries)
{
    FNameHash Names;
    static const tvWChar Speed[] = TVTEXT("Speed");
    const tvULong Kept = Names.AddEx(Speed, 1, 1);
    EXPECT_EQ(Names.GetName(Kept), Speed) << "the caller's text itself";
    // Unique 0 adds another entry; the newer one heads its chain and is found first.
    const tvULong Second = Names.AddEx(TVTEXT("SPEED"), 0, 0);
    EXPECT_EQ(Second, Kept + 1);
    EXPECT_EQ(Names.Find(TVTEXT("speed")), Second);
    EXPECT_EQ(NameText(Names, Second), TVTEXT("SPEED"));
    EXPECT_EQ(Names.AddEx(TVTEXT("Speed"), 1, 0), Second);
    // Removing hides the newest match only; the older one shows again.
    Names.Remove(TVTEXT("Speed"));
    EXPECT_EQ(Names.Find(TVTEXT("Speed")), Kept);
    Names.Remove(TVTEXT("Speed"));
    EXPECT_EQ(Names.Find(TVTEXT("Speed")), NAME_NONE_INDEX);
}

TEST(NameHash, RemovedNamesKeepTheirIndexAndComeBackAsNewOnes)
{
    FNameHash Names(4, 4);  // small: every bucket holds a chain
    std::vector<tvULong> Indices;
    for (int i = 0; i < 20; ++i)
        Indices.push_back(Names.Add(NumberedName(i).c_str()));
    // Remove from the middle, the head and the tail of the chains.
    for (int i : {0, 7, 19, 12})
        Names.Remove(NumberedName(i).c_str());
    for (int i = 0; i < 20; ++i) {
        const bool Removed = i == 0 || i == 7 || i == 19 || i == 12;
        EXPECT_EQ(Names.Find(NumberedName(i).c_str()), Removed ? NAME_NONE_INDEX : Indices[i]) << i;
        EXPECT_EQ(NameText(Names, Indices[i]), NumberedName(i)) << "GetName of a removed index stays valid";
    }
    const tvULong Again = Names.Add(NumberedName(7).c_str());
    EXPECT_EQ(Again, 21u);
    EXPECT_EQ(Names.Find(NumberedName(7).c_str()), Again);
    // Removing what is not there, or None itself.
    Names.Remove(TVTEXT("Nothing"));
    Names.Remove(nullptr);
    EXPECT_EQ(Names.Num(), 22);
    Names.Remove(TVTEXT("NONE"));
    EXPECT_EQ(Names.Find(TVTEXT("None")), NAME_NONE_INDEX);
    EXPECT_EQ(NameText(Names, 0), TVTEXT("None"));
    EXPECT_EQ(Names.Add(TVTEXT("None")), 22u);
}

TEST(NameHash, ManyAndLongNamesAcrossTextStoreChunks)
{
    FRecordingMalloc Counting;
    FScopedMalloc Scope(&Counting);
    {
        FNameHash Names(8, 64);
        // Names of growing length overflow several 256 KiB chunks; one is larger than a chunk.
        std::vector<FText> Texts;
        for (int i = 1; i <= 3000; ++i)
            Texts.push_back(NumberedName(i, static_cast<std::size_t>(i % 97) * 3));
        Texts.push_back(NumberedName(0, 200000));
        for (std::size_t i = 0; i < Texts.size(); ++i)
            ASSERT_EQ(Names.Add(Texts[i].c_str()), static_cast<tvULong>(i + 1));
        EXPECT_EQ(Names.Num(), static_cast<int>(Texts.size()) + 1);
        for (std::size_t i = 0; i < Texts.size(); ++i) {
            ASSERT_EQ(Names.Find(Texts[i].c_str()), static_cast<tvULong>(i + 1));
            ASSERT_EQ(NameText(Names, static_cast<tvULong>(i + 1)), Texts[i]);
            ASSERT_EQ(reinterpret_cast<std::uintptr_t>(Names.GetName(static_cast<tvULong>(i + 1))) % alignof(tvWChar), 0u);
        }
        EXPECT_EQ(Names.Find(TVTEXT("Name_0")), NAME_NONE_INDEX);
    }
    EXPECT_TRUE(Counting.Live.empty()) << "the table gives back every block";
}

TEST(NameHash, NullTextsAreRefused)
{
    FNameHash Names;
    EXPECT_EQ(Names.AddEx(nullptr, 1, 0), NAME_NONE_INDEX);
    EXPECT_EQ(Names.AddEx(nullptr, 0, 1), NAME_NONE_INDEX);
    EXPECT_EQ(Names.Find(nullptr), NAME_NONE_INDEX);
    EXPECT_EQ(Names.Num(), 1);
    // The empty text is a name like any other.
    const tvULong Empty = Names.Add(TVTEXT(""));
    EXPECT_EQ(Empty, 1u);
    EXPECT_EQ(Names.Find(TVTEXT("")), Empty);
    static_assert(!std::is_copy_constructible<FNameHash>::value && !std::is_copy_assignable<FNameHash>::value,
                  "a table owns its store: copies are refused");
}

TEST(NameHash, NoneIsAddedUnderTheNameTableTag)
{
    FRecordingMalloc Counting;
    FScopedMalloc Scope(&Counting);
    FNameHash Names;
    EXPECT_EQ(Counting.TaggedAllocations, 1) << "the first text store chunk, for None";
    EXPECT_EQ(Counting.LastTag, MALLOC_TAG_NAMETABLE);
    EXPECT_EQ(Counting.TagDepth, 0) << "pushed and popped";
    Counting.LastTag = -1;
    Names.Add(TVTEXT("Color"));
    Names.Add(TVTEXT("Color"));
    Names.Add(nullptr);
    EXPECT_EQ(Counting.LastTag, MALLOC_TAG_NAMETABLE);
    EXPECT_EQ(Counting.TagDepth, 0) << "every return pops the tag";
}

// Construction refused at each of its allocations in turn: the table is unusable but safe,
// and nothing leaks.
TEST(NameHash, RefusedMemoryLeavesATableSafeAndLeaksNothing)
{
    FRecordingMalloc Counting;
    FScopedMalloc Scope(&Counting);
    for (int Served = 0;; ++Served) {
        Counting.RefuseAfter = Served;
        bool Valid = false;
        {
            FNameHash Names;
            Valid = Names.IsValid();
            Counting.RefuseAfter = -1;
            if (!Valid) {
                EXPECT_EQ(Names.Num(), 0) << Served;
                EXPECT_EQ(Names.Add(TVTEXT("Color")), NAME_NONE_INDEX);
                EXPECT_EQ(Names.Find(TVTEXT("None")), NAME_NONE_INDEX);
                EXPECT_EQ(Names.GetName(0), nullptr);
                Names.Remove(TVTEXT("None"));
            } else {
                EXPECT_EQ(Names.Find(TVTEXT("None")), 0u);
            }
        }
        EXPECT_TRUE(Counting.Live.empty()) << Served;
        if (Valid)
            break;
        ASSERT_LT(Served, 10);
    }
}

TEST(NameHash, RefusedMemoryWhileAddingLeavesTheTableAsItWas)
{
    FRecordingMalloc Counting;
    FScopedMalloc Scope(&Counting);
    FNameHash Names(2, 16);  // room for None and one more pointer
    ASSERT_EQ(Names.Add(TVTEXT("First")), 1u);

    // The entries array must grow: refused, the entry's piece goes back to the store.
    Counting.RefuseAfter = 0;
    EXPECT_EQ(Names.Add(TVTEXT("Second")), NAME_NONE_INDEX);
    // A name that needs a new text store chunk: refused.
    const FText Long = NumberedName(1, 300000);
    EXPECT_EQ(Names.Add(Long.c_str()), NAME_NONE_INDEX);
    EXPECT_EQ(Names.Num(), 2);
    EXPECT_EQ(Names.Find(TVTEXT("Second")), NAME_NONE_INDEX);
    EXPECT_EQ(Names.Find(Long.c_str()), NAME_NONE_INDEX);
    EXPECT_EQ(Names.Find(TVTEXT("First")), 1u);

    Counting.RefuseAfter = -1;
    EXPECT_EQ(Names.Add(TVTEXT("Second")), 2u);
    EXPECT_EQ(Names.Add(Long.c_str()), 3u);
    EXPECT_EQ(NameText(Names, 2), TVTEXT("Second"));
    EXPECT_EQ(NameText(Names, 3), Long);
}
