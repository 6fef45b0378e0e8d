// The memory stack, its marks, the block chain and the base-two logarithm.
#include "support/RecordingMalloc.h"
#include "support/ScopedMalloc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

using namespace Tolvane;
using TestSupport::FRecordingMalloc;
using TestSupport::FScopedMalloc;

namespace {

std::uintptr_t Address(const void* Ptr) { return reinterpret_cast<std::uintptr_t>(Ptr); }

// Pops a mark and says whether the pop acted (Pop itself returns nothing).
int Popped(FMemMark& Mark)
{
    const int Acted = Mark.CanPop();
    Mark.Pop();
    return Acted;
}

static_assert(std::is_same<decltype(std::declval<FMemMark&>().Pop()), void>::value, "Pop returns nothing");

// A stack over a counting allocator, reset at the end so that every test also checks that no
// chunk is left behind.
class MemStackTest : public ::testing::Test {
protected:
    FRecordingMalloc Counting;
    FScopedMalloc Scope{&Counting};
    FMemStack Stack;

    void SetUp() override { Stack.Init(1024, 8); }
    void TearDown() override
    {
        Stack.Reset();
        EXPECT_TRUE(Counting.Live.empty()) << "chunks left after Reset";
    }

    int Chunks() const
    {
        int Count = 0;
        for (const FMemStack::CTaggedMemory* Chunk = Stack.TopChunk; Chunk != nullptr; Chunk = Chunk->Next)
            ++Count;
        return Count;
    }
};

} // namespace

TEST_F(MemStackTest, InitLeavesAnEmptyStackAndFreesNothing)
{
    EXPECT_EQ(Stack.Top, nullptr);
    EXPECT_EQ(Stack.End, nullptr);
    EXPECT_EQ(Stack.TopChunk, nullptr);
    EXPECT_EQ(Stack.DefaultChunkSize, 1024);
    EXPECT_EQ(Stack.DefaultAlign, 8);
    EXPECT_EQ(Stack.GetByteCount(), 0);
    EXPECT_EQ(Counting.Requests, 0);
}

TEST_F(MemStackTest, PiecesAreAlignedDisjointAndInStackOrder)
{
    struct FCase {
        int Size;
        int Align;
        int Expected;  // the alignment the piece must have
    } const Cases[] = {
        {1, 1, 1}, {3, 2, 2}, {10, 4, 4}, {7, -1, 8} /* DefaultAlign */, {5, 16, 16},
        {1, 3, 4} /* raised to a power of two */, {2, 0, 1} /* below 1 counts as 1 */,
        {9, 64, 64}, {0, 32, 32} /* a zero-size piece is aligned too */, {100, 6, 8},
    };
    std::vector<std::pair<unsigned char*, int>> Pieces;
    for (const FCase& Case : Cases) {
        unsigned char* Piece = Stack.PushBytes(Case.Size, Case.Align);
        ASSERT_NE(Piece, nullptr) << Case.Size << "/" << Case.Align;
        EXPECT_EQ(Address(Piece) % static_cast<unsigned>(Case.Expected), 0u) << Case.Size << "/" << Case.Align;
        EXPECT_EQ(Stack.Top, Piece + Case.Size);
        std::memset(Piece, 0xA5, static_cast<size_t>(Case.Size));
        if (!Pieces.empty()) {
            EXPECT_GE(Piece, Pieces.back().first + Pieces.back().second) << "pieces overlap";
        }
        Pieces.emplace_back(Piece, Case.Size);
    }
    EXPECT_EQ(Chunks(), 1);
    EXPECT_EQ(Stack.GetByteCount(), Stack.Top - Stack.TopChunk->Data());
}

TEST_F(MemStackTest, ChunksAreOfTheDefaultSizeHeaderIncluded)
{
    ASSERT_NE(Stack.PushBytes(16, 4), nullptr);
    ASSERT_EQ(Chunks(), 1);
    EXPECT_EQ(Stack.TopChunk->DataSize, 1024 - FMemStack::ChunkHeaderSize);
    EXPECT_EQ(Stack.End, Stack.TopChunk->Data() + Stack.TopChunk->DataSize);
    EXPECT_EQ(Address(Stack.TopChunk->Data()) % alignof(std::max_align_t), 0u);

    // Filling the chunk exactly stays in it; one more byte opens a second chunk and abandons
    // nothing that was handed out.
    const int Rest = static_cast<int>(Stack.End - Stack.Top);
    unsigned char* Last = Stack.PushBytes(Rest, 1);
    EXPECT_EQ(Last + Rest, Stack.End);
    EXPECT_EQ(Chunks(), 1);
    ASSERT_NE(Stack.PushBytes(1, 1), nullptr);
    EXPECT_EQ(Chunks(), 2);
    EXPECT_EQ(Stack.GetByteCount(), (1024 - FMemStack::ChunkHeaderSize) + 1);
}

TEST_F(MemStackTest, FiguresCountATwelveByteHeaderOnEveryPlatform)
{
    // Data size and byte count are the same numbers on 32-bit and 64-bit builds.
    ASSERT_NE(Stack.PushBytes(16, 4), nullptr);
    EXPECT_EQ(Stack.TopChunk->DataSize, 1012);
    EXPECT_EQ(Stack.End - Stack.TopChunk->Data(), 1012);
    ASSERT_NE(Stack.PushBytes(int(Stack.End - Stack.Top), 1), nullptr);
    ASSERT_NE(Stack.PushBytes(1, 1), nullptr);
    EXPECT_EQ(Stack.GetByteCount(), 1013);
    // The data still starts after the real fields and stays aligned.
    EXPECT_GE(Stack.TopChunk->Data(), reinterpret_cast<unsigned char*>(Stack.TopChunk) + sizeof(FMemStack::CTaggedMemory));
    EXPECT_EQ(Address(Stack.TopChunk->Data()) % alignof(std::max_align_t), 0u);
    std::memset(Stack.TopChunk->Data(), 0x5A, 1012);  // the whole data area is the chunk's (ASan)
}

TEST_F(MemStackTest, APushLargerThanAChunkGetsAChunkOfItsOwn)
{
    ASSERT_NE(Stack.PushBytes(8, 8), nullptr);
    const int Requests = Counting.Requests;
    unsigned char* Big = Stack.PushBytes(5000, 16);
    ASSERT_NE(Big, nullptr);
    EXPECT_EQ(Counting.Requests, Requests + 1) << "one allocation for the big piece";
    EXPECT_EQ(Stack.TopChunk->DataSize, 5000 + 16) << "room for the size plus the alignment";
    EXPECT_EQ(Address(Big) % 16, 0u);
    EXPECT_LE(Big + 5000, Stack.End);
    std::memset(Big, 1, 5000);
    // The next small push no longer fits the big chunk's slack and opens a normal one.
    ASSERT_NE(Stack.PushBytes(64, 8), nullptr);
    EXPECT_EQ(Chunks(), 3);
    EXPECT_EQ(Stack.TopChunk->DataSize, 1024 - FMemStack::ChunkHeaderSize);
}

TEST_F(MemStackTest, ZeroSizePushesNeverReturnNullAndClaimNothing)
{
    unsigned char* First = Stack.PushBytes(0, 4);
    ASSERT_NE(First, nullptr) << "a zero-size push on an empty stack opens the first chunk";
    EXPECT_EQ(Chunks(), 1);
    EXPECT_EQ(Stack.Top, First);
    EXPECT_EQ(Stack.PushBytes(0, 4), First) << "nothing was claimed";
    EXPECT_EQ(Stack.GetByteCount(), 0);
    unsigned char* Piece = Stack.PushBytes(4, 4);
    EXPECT_EQ(Piece, First);
}

TEST_F(MemStackTest, RefusedRequestsLeaveTheStackAsItWas)
{
    unsigned char* Kept = Stack.PushBytes(100, 4);
    ASSERT_NE(Kept, nullptr);
    std::memset(Kept, 0x5A, 100);
    const FMemStack Before = Stack;
    struct FCase {
        int Size;
        int Align;
    } const Cases[] = {
        {-1, 4},
        {std::numeric_limits<int>::min(), 4},
        {std::numeric_limits<int>::max(), 4},          // no chunk of that size fits an int
        {std::numeric_limits<int>::max() - 8, 1 << 30},
    };
    for (const FCase& Case : Cases) {
        EXPECT_EQ(Stack.PushBytes(Case.Size, Case.Align), nullptr) << Case.Size;
        EXPECT_EQ(Stack.Top, Before.Top);
        EXPECT_EQ(Stack.End, Before.End);
        EXPECT_EQ(Stack.TopChunk, Before.TopChunk);
    }
    EXPECT_EQ(Kept[99], 0x5A);
}

TEST_F(MemStackTest, AllocationFailureKeepsTheCurrentChunkUsable)
{
    ASSERT_NE(Stack.PushBytes(900, 4), nullptr);
    unsigned char* const Top = Stack.Top;
    Counting.RefuseAfter = 0;
    EXPECT_EQ(Stack.PushBytes(500, 4), nullptr);
    EXPECT_EQ(Stack.Top, Top) << "the rest of the chunk is not abandoned on failure";
    EXPECT_EQ(Chunks(), 1);
    EXPECT_NE(Stack.PushBytes(16, 4), nullptr) << "what still fits is still served";
    Counting.RefuseAfter = -1;
    EXPECT_NE(Stack.PushBytes(500, 4), nullptr);
    EXPECT_EQ(Chunks(), 2);

    FMemStack Fresh;
    Fresh.Init(256, 4);
    Counting.RefuseAfter = 0;
    EXPECT_EQ(Fresh.PushBytes(0, 4), nullptr);
    EXPECT_EQ(Fresh.PushBytes(8, 4), nullptr);
    EXPECT_EQ(Fresh.TopChunk, nullptr);
    EXPECT_EQ(Fresh.GetByteCount(), 0);
}

TEST_F(MemStackTest, PopFreesWhatCameAfterTheMarkAndKeepsWhatCameBefore)
{
    unsigned char* Before = Stack.PushBytes(200, 4);
    std::memset(Before, 0x11, 200);
    const int LiveAtMark = static_cast<int>(Counting.Live.size());
    const int BytesAtMark = Stack.GetByteCount();
    FMemMark Mark(Stack);
    for (int i = 0; i < 100; ++i) {
        unsigned char* Piece = Stack.PushBytes(50, 8);
        ASSERT_NE(Piece, nullptr);
        std::memset(Piece, 0xEE, 50);
    }
    EXPECT_GT(Chunks(), 4);
    EXPECT_EQ(Popped(Mark), 1);
    EXPECT_EQ(Stack.Top, Mark.SavedTop);
    EXPECT_EQ(Stack.TopChunk, Mark.SavedChunk);
    EXPECT_EQ(Stack.End, Mark.SavedChunk->Data() + Mark.SavedChunk->DataSize);
    EXPECT_EQ(static_cast<int>(Counting.Live.size()), LiveAtMark) << "chunks after the mark are freed";
    EXPECT_EQ(Stack.GetByteCount(), BytesAtMark);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(Before[i], 0x11);
    // The space after the mark is handed out again.
    EXPECT_EQ(Stack.PushBytes(1, 1), Mark.SavedTop);
}

TEST_F(MemStackTest, MarksNestAndAreRefusedOncePoppedPast)
{
    FMemMark Empty(Stack);  // on the empty stack
    Stack.PushBytes(300, 4);
    FMemMark Outer(Stack);
    for (int i = 0; i < 10; ++i)
        Stack.PushBytes(300, 4);
    FMemMark Inner(Stack);
    for (int i = 0; i < 10; ++i)
        Stack.PushBytes(300, 4);

    EXPECT_EQ(Popped(Inner), 1);
    EXPECT_EQ(Popped(Inner), 1) << "popping the same mark again is harmless";
    EXPECT_EQ(Popped(Outer), 1);
    const FMemStack AtOuter = Stack;
    EXPECT_EQ(Popped(Inner), 0) << "its chunks are gone: refused";
    EXPECT_EQ(Stack.Top, AtOuter.Top);
    EXPECT_EQ(Stack.TopChunk, AtOuter.TopChunk);

    // Pushing again inside the outer mark's chunk: the inner mark's old position in that chunk
    // is now beyond Top and is refused too.
    FMemMark SameChunk(Stack);
    Stack.PushBytes(8, 4);
    FMemMark Later(Stack);
    EXPECT_EQ(Popped(SameChunk), 1);
    EXPECT_EQ(Popped(Later), 0);

    EXPECT_EQ(Popped(Empty), 1);
    EXPECT_EQ(Stack.TopChunk, nullptr);
    EXPECT_EQ(Stack.Top, nullptr);
    EXPECT_EQ(Stack.End, nullptr);
    EXPECT_TRUE(Counting.Live.empty());
    EXPECT_EQ(Popped(Outer), 0) << "after the stack is emptied";
}

TEST_F(MemStackTest, AMarkHoldingAnotherStacksPositionIsRefused)
{
    FMemStack Other;
    Other.Init(512, 4);
    Other.PushBytes(40, 4);
    FMemMark OtherMark(Other);
    Other.PushBytes(40, 4);

    Stack.PushBytes(40, 4);
    FMemMark Mine(Stack);
    Stack.PushBytes(40, 4);
    Mine = OtherMark;  // takes the position but stays with Stack
    EXPECT_EQ(Mine.Mem, &Stack);
    const FMemStack Before = Stack;
    EXPECT_EQ(Popped(Mine), 0);
    EXPECT_EQ(Stack.Top, Before.Top);
    EXPECT_EQ(Stack.TopChunk, Before.TopChunk);
    EXPECT_EQ(Chunks(), 1);

    FMemMark Unbound;
    EXPECT_EQ(Popped(Unbound), 0);
    EXPECT_EQ(Popped(OtherMark), 1);
    Other.Reset();
}

TEST_F(MemStackTest, ResetFreesEveryChunk)
{
    for (int i = 0; i < 20; ++i)
        Stack.PushBytes(400, 4);
    EXPECT_GT(Stack.GetByteCount(), 20 * 400 - 1);
    Stack.Reset();
    EXPECT_EQ(Stack.GetByteCount(), 0);
    EXPECT_EQ(Stack.Top, nullptr);
    EXPECT_EQ(Stack.End, nullptr);
    EXPECT_EQ(Stack.TopChunk, nullptr);
    EXPECT_TRUE(Counting.Live.empty());
    Stack.Reset();  // resetting an empty stack is harmless
    EXPECT_NE(Stack.PushBytes(4, 4), nullptr) << "usable again";
}

TEST_F(MemStackTest, ATinyChunkSizeStillServesEveryRequest)
{
    FMemStack Tiny;
    Tiny.Init(4, 4);  // smaller than a chunk header
    for (int Size : {0, 1, 7, 64}) {
        unsigned char* Piece = Tiny.PushBytes(Size, 4);
        ASSERT_NE(Piece, nullptr) << Size;
        std::memset(Piece, 0, static_cast<size_t>(Size));
    }
    Tiny.Reset();
}

TEST(MapPlex, CreateLinksBlocksInFrontAndFreeDataChainReleasesAll)
{
    FRecordingMalloc Counting;
    FScopedMalloc Scope(&Counting);
    FMapPlex* Head = nullptr;
    FMapPlex* First = FMapPlex::Create(Head, 4, 16);
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(Head, First);
    EXPECT_EQ(First->Next, nullptr);
    EXPECT_EQ(First->data(), static_cast<void*>(First + 1));
    std::memset(First->data(), 0x33, 4 * 16);
    FMapPlex* Second = FMapPlex::Create(Head, 1, 1);
    ASSERT_NE(Second, nullptr);
    EXPECT_EQ(Head, Second);
    EXPECT_EQ(Second->Next, First);
    EXPECT_EQ(Counting.Live.size(), 2u);

    struct FCase {
        unsigned Count;
        unsigned ElementSize;
    } const Refused[] = {{0, 16}, {4, 0}, {0, 0}, {0x10000u, 0x10000u} /* does not fit one block */};
    for (const FCase& Case : Refused) {
        EXPECT_EQ(FMapPlex::Create(Head, Case.Count, Case.ElementSize), nullptr) << Case.Count << "x" << Case.ElementSize;
        EXPECT_EQ(Head, Second);
    }
    Counting.RefuseAfter = 0;
    EXPECT_EQ(FMapPlex::Create(Head, 2, 2), nullptr);
    EXPECT_EQ(Head, Second);

    Head->FreeDataChain();
    EXPECT_TRUE(Counting.Live.empty());
}

TEST(CeilLogTwo, SmallestPowerOfTwoThatHoldsTheValue)
{
    struct FCase {
        tvULong Value;
        unsigned Expected;
    } const Cases[] = {
        {0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {255, 8}, {256, 8}, {257, 9},
        {65536, 16}, {65537, 17}, {16777216, 24}, {16777217, 25}, {2147483648u, 31},
        {2147483649u, 32}, {0xFFFFFFFFu, 32},
    };
    for (const FCase& Case : Cases)
        EXPECT_EQ(appCeilLogTwo(Case.Value), Case.Expected) << Case.Value;
    // Around every power of two, through each range of the table lookup.
    for (unsigned N = 1; N < 32; ++N) {
        const tvULong Power = tvULong(1) << N;
        EXPECT_EQ(appCeilLogTwo(Power), N) << Power;
        EXPECT_EQ(appCeilLogTwo(Power + 1), N + 1) << Power + 1;
        EXPECT_EQ(appCeilLogTwo(Power - 1), Power - 1 <= 1 ? 0u : N) << Power - 1;
    }
}
