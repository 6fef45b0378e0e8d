// TArray<FString>: new elements are the empty string, dropped ones are released, and moves
// carry the buffers as raw bytes.
#include <tvCore/tvCore.h>

#include "support/CountingMalloc.h"

#include <gtest/gtest.h>

using namespace Tolvane;
using tvtest::FCountingMalloc;

namespace {

FString Text(const char* Ascii)
{
    FString Result;
    for (; *Ascii; ++Ascii)
        Result += static_cast<tvWChar>(*Ascii);
    return Result;
}

bool IsEmptyRecord(const FString& String)
{
    return static_cast<const tvWChar*>(String) == __GEmptyString;
}

} // namespace

TEST(ArrayStrings, EveryWayOfGrowingGivesEmptyStringsAtTheSharedRecord)
{
    TArray<FString> Strings;
    Strings.SetSize(3);
    Strings[1] = Text("kept");
    Strings.SetSize(2);                        // releases slot 2 ...
    Strings.SetSize(4);                        // ... and hands it out again as a new string
    Strings.AddZeroed(2);
    Strings.InsertAt(1, Text("x"), 1);         // inside: nothing new but the copies
    Strings.InsertAt(9, Text("y"), 1);         // past the end: 7 and 8 are new
    Strings.SetAtGrow(12, Text("z"));          // 10 and 11 are new
    Strings.AddSize(40);                       // new storage
    ASSERT_EQ(Strings.Num(), 53);
    EXPECT_EQ(Strings[2].Compare(Text("kept")), 0);
    for (int i = 0; i < Strings.Num(); ++i) {
        if (i == 1 || i == 2 || i == 9 || i == 12)
            continue;
        EXPECT_TRUE(IsEmptyRecord(Strings[i])) << i;
        EXPECT_EQ(Strings[i].GetAllocLength(), 0) << i;
    }
    EXPECT_EQ(TArray<FString>::IsPOD(), 0);
}

TEST(ArrayStrings, EveryWayOfDroppingReleasesTheStrings)
{
    FCountingMalloc Counting;
    {
        TArray<FString> Strings;
        for (const char* Word : {"a", "bb", "ccc", "dddd", "eeeee", "ffffff", "g", "h"})
            Strings.AddItem(Text(Word));
        const int WithAll = Counting.Live;    // the array's block and eight buffers
        Strings.SetSize(6);
        EXPECT_EQ(Counting.Live, WithAll - 2) << "shrinking";
        EXPECT_EQ(Strings.RemoveAt(0, 2), 2);
        EXPECT_EQ(Counting.Live, WithAll - 4) << "RemoveAt";
        EXPECT_EQ(Strings.RemoveItem(Text("eeeee")), 2);
        EXPECT_EQ(Counting.Live, WithAll - 5) << "RemoveItem";
        Strings[0] = Text("replaced");
        EXPECT_EQ(Counting.Live, WithAll - 5) << "assignment over an element";
        TArray<FString> Copy(Strings);
        Copy.RemoveAll(0);
        Copy.SetSize(0);
        EXPECT_EQ(Counting.Live, WithAll - 5) << "RemoveAll and SetSize(0) on the copy";
        Strings.AddItem(Text("i"));
        Strings.InsertAt(1, Strings[2], 2);
    }
    EXPECT_EQ(Counting.Live, 0) << "the destructor releases the strings left";
}

// Growth moves each string's pointer with its bytes: the buffers stay where they are, and no
// string is copied or released on the way.
TEST(ArrayStrings, GrowthMovesTheBuffersAsRawBytes)
{
    FCountingMalloc Counting;
    TArray<FString> Strings;
    Strings.AddItem(Text("first"));
    Strings.AddItem(Text("second"));
    const tvWChar* First = Strings[0];
    const tvWChar* Second = Strings[1];
    const int Live = Counting.Live;
    while (Strings.Num() < Strings.GetCapacity())
        Strings.AddItem(FString());
    Strings.AddItem(Strings[1]);                  // full: the storage moves under the value
    Strings.InsertAt(0, FString(), 3);            // the tail moves up
    EXPECT_EQ(static_cast<const tvWChar*>(Strings[3]), First);
    EXPECT_EQ(static_cast<const tvWChar*>(Strings[4]), Second);
    EXPECT_EQ(Strings[Strings.Num() - 1].Compare(Text("second")), 0);
    EXPECT_EQ(Counting.Live, Live + 1) << "one new buffer: the copy of \"second\"";
}

TEST(ArrayStrings, CopiesOwnTheirBuffersAndSearchesCompareTheText)
{
    TArray<FString> Strings;
    Strings.AddItem(Text("alpha"));
    Strings.AddItem(FString(TVTEXT("a\0b"), 3));
    Strings.AddItem(Text("a"));
    TArray<FString> Copy;
    Copy = Strings;
    ASSERT_EQ(Copy.Num(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(static_cast<const tvWChar*>(Copy[i]), static_cast<const tvWChar*>(Strings[i]));
        EXPECT_EQ(Copy[i].GetLength(), Strings[i].GetLength());
    }
    EXPECT_EQ(Copy.FindItem(Text("alpha")), 0);
    EXPECT_EQ(Copy.FindItem(Text("a")), 2) << "the embedded zero keeps \"a\\0b\" apart";
    EXPECT_EQ(Copy.FindItem(FString(TVTEXT("a\0c"), 3)), -1);
    EXPECT_EQ(Copy.RemoveItem(FString(TVTEXT("a\0b"), 3)), 1);
    EXPECT_EQ(Copy.Num(), 2);
    EXPECT_EQ(Strings.Num(), 3);
}
