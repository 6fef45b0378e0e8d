// The allocator interface, the default allocator's statistics and the null allocator.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include "support/ScopedMalloc.h"

#include <thread>

using namespace Tolvane;

using TestSupport::FScopedMalloc;

TEST(MallocAnsi, CountsAndTimesEveryCall)
{
    FMalloc& M = *GMalloc;
    const auto Mallocs = M.MallocCount, Reallocs = M.ReallocCount, Frees = M.FreeCount;
    const double MallocTime = M.MallocTime;
    void* Blocks[10];
    for (void*& Block : Blocks)
        Block = M.Malloc(100);
    EXPECT_EQ(M.MallocCount, Mallocs + 10);
    EXPECT_GE(M.MallocTime, MallocTime);

    Blocks[0] = M.Realloc(Blocks[0], 5000);
    ASSERT_NE(Blocks[0], nullptr);
    EXPECT_EQ(M.ReallocCount, Reallocs + 1);

    void* Zero = M.Malloc(0);  // whatever the heap gives for zero bytes; counted all the same
    EXPECT_EQ(M.MallocCount, Mallocs + 11);
    M.Free(Zero);
    M.Free(nullptr);           // accepted and counted
    for (void* Block : Blocks)
        M.Free(Block);
    EXPECT_EQ(M.FreeCount, Frees + 12);
    EXPECT_GE(M.MallocTime, 0.0);
    EXPECT_GE(M.ReallocTime, 0.0);
    EXPECT_GE(M.FreeTime, 0.0);
}

TEST(MallocAnsi, HooksHaveNoEffect)
{
    FMalloc& M = *GMalloc;
    M.Dump();
    M.SetDebugInfo("tvConfigFile.cpp", 42);
    M.PushMallocTag(MALLOC_TAG_NAMETABLE);
    EXPECT_EQ(M.GetAllocatedSize(MALLOC_TAG_NAMETABLE), 0);
    M.PopMallocTag(MALLOC_TAG_NAMETABLE);
    EXPECT_EQ(M.GetAllocatedSize(), 0);
    EXPECT_EQ(static_cast<int>(MALLOC_TAG_NAMETABLE), 2);
    EXPECT_EQ(static_cast<int>(MALLOC_TAG_STRINGPOOL), 16);
}

TEST(MallocNull, RefusesEverythingAndNewYieldsNull)
{
    FMallocNull Null;
    FMalloc& M = Null;
    int Byte = 7;
    EXPECT_EQ(M.Malloc(16), nullptr);
    EXPECT_EQ(M.Realloc(&Byte, 16), nullptr);
    M.Free(&Byte);
    EXPECT_EQ(Byte, 7) << "Realloc and Free leave the block untouched";
    EXPECT_EQ(M.GetAllocatedSize(), 0);
    EXPECT_EQ(M.MallocCount, 0);

    FScopedMalloc Scope(&Null);
    // A library object's new asks GMalloc; refused, it yields null and constructs nothing.
    FExec* Exec = new FExec;
    EXPECT_EQ(Exec, nullptr);
    FExec* Many = new FExec[4];
    EXPECT_EQ(Many, nullptr);
    delete Exec;  // deleting null is a no-op
}

TEST(MallocStatistics, CopyCopiesAllSix)
{
    FMallocNull Source;
    FMalloc& S = Source;
    S.MallocTime = 1.5;
    S.ReallocTime = 2.5;
    S.FreeTime = 3.5;
    S.MallocCount = 4;
    S.ReallocCount = 5;
    S.FreeCount = 6;
    FMallocNull Target;
    static_cast<FMalloc&>(Target) = S;
    const FMalloc& T = Target;
    EXPECT_EQ(T.MallocTime, 1.5);
    EXPECT_EQ(T.ReallocTime, 2.5);
    EXPECT_EQ(T.FreeTime, 3.5);
    EXPECT_EQ(T.MallocCount, 4);
    EXPECT_EQ(T.ReallocCount, 5);
    EXPECT_EQ(T.FreeCount, 6);
}

TEST(MallocAnsi, ServesManyThreadsAtOnce)
{
    // Concurrent allocation is allowed; the counts are approximate then but never corrupt memory.
    auto Work = [] {
        for (int i = 0; i < 5000; ++i) {
            void* P = GMalloc->Malloc(static_cast<unsigned int>(i % 256 + 1));
            ASSERT_NE(P, nullptr);
            static_cast<char*>(P)[0] = 1;
            GMalloc->Free(P);
        }
    };
    std::thread A(Work), B(Work);
    A.join();
    B.join();
}
