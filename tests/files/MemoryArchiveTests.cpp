// The memory archives, the stored forms of strings and flag sets, and the memory factory.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {
std::vector<unsigned char> Bytes(FMemoryWriter& Writer)
{
    const unsigned char* Data = Writer.GetData().GetData();
    return std::vector<unsigned char>(Data, Data + Writer.GetSize());
}

TArray<unsigned char> ArrayOf(const std::vector<unsigned char>& Source)
{
    TArray<unsigned char> Array;
    for (unsigned char Byte : Source)
        Array.AddItem(Byte);
    return Array;
}
} // namespace

TEST(MemoryArchive, WorkedExampleIntThenStringRoundTrips)
{
    FMemoryWriter Writer(16);
    EXPECT_EQ(Writer.IsSaving(), 1);
    EXPECT_EQ(Writer.IsPersistent(), 0);
    EXPECT_EQ(Writer.GetVersion(), 41u);
    EXPECT_EQ(Writer.GetSize(), 0);
    FString Text(TVTEXT("abc"));
    Writer << 7 << Text;
    EXPECT_EQ(Bytes(Writer), (std::vector<unsigned char>{7, 0, 0, 0, 3, 0, 0, 0, 0x61, 0, 0x62, 0, 0x63, 0}));
    EXPECT_EQ(Writer.Tell(), 14u);

    FMemoryReader Reader(Writer.GetData());
    EXPECT_EQ(Reader.IsLoading(), 1);
    int Number = 0;
    FString Loaded(TVTEXT("old"));
    Reader << Number << Loaded;
    EXPECT_EQ(Number, 7);
    EXPECT_EQ(WideText(static_cast<const tvWChar*>(Loaded)), TVTEXT("abc"));
    EXPECT_EQ(Loaded.GetLength(), 3);
    EXPECT_EQ(Loaded.GetAllocLength(), 3) << "exact capacity";
    EXPECT_NE(Reader.IsEof(), 0);
    EXPECT_EQ(Reader.IsError(), 0);
}

TEST(MemoryArchive, StringsSaveUpToTheirFirstZeroAndEmptyOnesAsFourZeroBytes)
{
    FMemoryWriter Writer(0);
    FString Empty;
    FString WithZero(TVTEXT("ab\0cd"), 5);
    Writer << Empty << WithZero;
    EXPECT_EQ(Bytes(Writer), (std::vector<unsigned char>{0, 0, 0, 0, 2, 0, 0, 0, 0x61, 0, 0x62, 0}));

    FMemoryReader Reader(Writer.GetData());
    FString A(TVTEXT("x")), B;
    Reader << A << B;
    EXPECT_TRUE(A.IsEmpty());
    EXPECT_EQ(static_cast<const tvWChar*>(A), __GEmptyString) << "the shared empty record";
    EXPECT_EQ(WideText(static_cast<const tvWChar*>(B)), TVTEXT("ab"));
}

TEST(MemoryArchive, ForgedStringCountsGiveAnEmptyStringAndTheErrorFlag)
{
    struct Case {
        const char* What;
        std::vector<unsigned char> Stored;
    };
    const Case Cases[] = {
        {"negative count", {0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0}},
        {"count beyond the data", {3, 0, 0, 0, 0x61, 0, 0x62, 0}},
        {"largest count, two bytes of data", {0xFF, 0xFF, 0xFF, 0x7F, 0x61, 0}},
        {"count cut short", {1, 0}},
    };
    for (const Case& C : Cases) {
        TArray<unsigned char> Array = ArrayOf(C.Stored);
        FMemoryReader Reader(Array);
        FString Value(TVTEXT("before"));
        Reader << Value;
        EXPECT_TRUE(Value.IsEmpty()) << C.What;
        EXPECT_EQ(Reader.IsError(), 1) << C.What;
    }
    // A failure before a string is kept, and does not spoil a good string after it.
    TArray<unsigned char> Good = ArrayOf({1, 0, 0, 0, 0x7A, 0});
    FMemoryReader Reader(Good);
    Reader.SetError();
    FString Value;
    Reader << Value;
    EXPECT_EQ(WideText(static_cast<const tvWChar*>(Value)), TVTEXT("z"));
    EXPECT_EQ(Reader.IsError(), 1);
}

TEST(MemoryArchive, LongStringsLoadInStepsToTheirExactLength)
{
    const int Length = 100000;  // more than one loading step
    FString Long(TVTEXT('q'), Length);
    FMemoryWriter Writer(0);
    Writer << Long;
    FMemoryReader Reader(Writer.GetData());
    FString Loaded;
    Reader << Loaded;
    EXPECT_EQ(Reader.IsError(), 0);
    EXPECT_EQ(Loaded.GetLength(), Length);
    EXPECT_EQ(Loaded.GetAllocLength(), Length);
    EXPECT_EQ(Loaded[Length - 1], TVTEXT('q'));
    EXPECT_EQ(Loaded[Length], 0);
}

TEST(MemoryArchive, ReaderPastTheEndZeroFillsAndSetsTheErrorFlag)
{
    TArray<unsigned char> Array = ArrayOf({1, 2, 3});
    FMemoryReader Reader(Array);
    EXPECT_EQ(Reader.GetSize(), 3);
    unsigned char Out[5] = {9, 9, 9, 9, 9};
    Reader.Serialize(Out, 5);
    EXPECT_EQ(std::vector<unsigned char>(Out, Out + 5), (std::vector<unsigned char>{1, 2, 3, 0, 0}));
    EXPECT_EQ(Reader.Tell(), 5u);
    EXPECT_EQ(Reader.IsError(), 1);
    EXPECT_EQ(Array.Num(), 3) << "the caller's array is untouched";

    Reader.Seek(5, SEEK_FromEnd);
    EXPECT_EQ(Reader.Tell(), 5u) << "every seek is absolute";
    Reader.Seek(1, SEEK_FromCurrent);
    int Value = -1;
    Reader << Value;
    EXPECT_EQ(Value, 0x0302);
    Reader.Close();
    EXPECT_EQ(Reader.Tell(), 0u);
    EXPECT_EQ(Reader.IsEof(), 0);

    TArray<unsigned char> Nothing;
    FMemoryReader Empty(Nothing);
    EXPECT_NE(Empty.IsEof(), 0);
}

TEST(MemoryArchive, WriterAlwaysGrowsByTheBytesWrittenAndCoversASeekBeyondTheEnd)
{
    FMemoryWriter Writer(16);
    EXPECT_EQ(Writer.GetData().GetCapacity(), 16) << "initial size is reserved";
    Writer << 0x04030201;
    EXPECT_EQ(Writer.GetSize(), 4);
    EXPECT_EQ(Writer.Tell(), 4u);
    Writer.Seek(0, SEEK_FromEnd);
    const unsigned short Two = 0xBBAA;
    Writer << Two;
    EXPECT_EQ(Bytes(Writer), (std::vector<unsigned char>{0xAA, 0xBB, 3, 4, 0, 0}));

    Writer.Seek(9, SEEK_FromBegin);
    const unsigned char Byte = 0x77;
    Writer << Byte;
    EXPECT_EQ(Bytes(Writer), (std::vector<unsigned char>{0xAA, 0xBB, 3, 4, 0, 0, 0, 0, 0, 0x77}))
        << "zeros up to the position, then the byte written";
    EXPECT_EQ(Writer.Tell(), 10u);
    EXPECT_NE(Writer.IsEof(), 0);
    Writer.Close();
    EXPECT_EQ(Writer.Tell(), 0u);
    EXPECT_EQ(Writer.GetSize(), 10) << "Close keeps the data";
    EXPECT_EQ(Writer.IsError(), 0);
}

TEST(MemoryArchive, WriterTakesSourceBytesFromItsOwnArray)
{
    FMemoryWriter Writer(4);
    const unsigned Word = 0x44332211;
    Writer << const_cast<unsigned&>(Word);
    // The array is full: writing its own bytes again grows (and moves) it first.
    Writer.Serialize(Writer.GetData().GetData(), 4);
    EXPECT_EQ(Bytes(Writer), (std::vector<unsigned char>{0x11, 0x22, 0x33, 0x44, 0x11, 0x22, 0x33, 0x44}));
    Writer.Seek(2, SEEK_FromBegin);
    Writer.Serialize(Writer.GetData().GetData() + 4, 4);
    EXPECT_EQ(Bytes(Writer), (std::vector<unsigned char>{0x11, 0x22, 0x11, 0x22, 0x33, 0x44, 0x33, 0x44, 0, 0, 0, 0}));
    EXPECT_EQ(Writer.IsError(), 0);
}

TEST(MemoryArchive, FlagSetsAndTheFactory)
{
    FMemoryFileManager Factory;
    FMemoryWriter* Writer = Factory.CreateWriter(4);
    ASSERT_NE(Writer, nullptr);
    FBitFlag Flags(0x80000001u);
    *Writer << Flags;
    EXPECT_EQ(Bytes(*Writer), (std::vector<unsigned char>{1, 0, 0, 0x80}));
    FMemoryReader* Reader = Factory.CreateReader(Writer->GetData());
    ASSERT_NE(Reader, nullptr);
    FBitFlag Loaded;
    *Reader << Loaded;
    EXPECT_EQ(Loaded.GetValue(), 0x80000001u);
    delete Reader;
    delete Writer;
}
