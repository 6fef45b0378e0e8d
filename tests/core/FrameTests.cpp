// The frame: root classes, load-time globals and the library-wide lock.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include "support/WideText.h"

using namespace Tolvane;

TEST(Globals, HoldTheirLoadTimeValuesBeforeInitialisation)
{
    EXPECT_EQ(GLog, nullptr);
    EXPECT_EQ(GFileManager, nullptr);
    EXPECT_EQ(GAppTime, nullptr);
    EXPECT_EQ(GMemMapPool, nullptr);
    EXPECT_EQ(GRenderThreadId, 0xFFFFFFFFu);
    EXPECT_EQ(GIsEditor, 0);
    ASSERT_NE(GMalloc, nullptr);
    EXPECT_NE(dynamic_cast<FMallocAnsi*>(GMalloc), nullptr) << "GMalloc starts at the static FMallocAnsi";
    void* Block = GMalloc->Malloc(32);
    EXPECT_NE(Block, nullptr);
    GMalloc->Free(Block);
}

TEST(RootClasses, ExecAcceptsEveryCommand)
{
    FExec Exec;
    tvWChar Command[] = TVTEXT("CLOSE ALL");
    // The default ignores its output argument; any storage stands in for it.
    alignas(16) unsigned char Storage[64] = {};
    FString& Out = *reinterpret_cast<FString*>(Storage);
    EXPECT_EQ(Exec.Exec(Command, Out), 1);
    EXPECT_EQ(Exec.Exec(nullptr, Out), 1);
}

TEST(RootClasses, CopiesCarryNoData)
{
    EXPECT_EQ(sizeof(FFundament), 1u);
    EXPECT_EQ(sizeof(FInterface), sizeof(void*));
    EXPECT_EQ(sizeof(FExec), sizeof(void*));
    FExec A, B;
    A = B;
    FExec C(std::move(A));
    (void)C;
}

TEST(LibraryLock, IsRecursiveForOneThread)
{
    FCriticalSection Outer;
    {
        FCriticalSection Inner;
        appEnterCriticalSection();
        appLeaveCriticalSection();
    }
    SUCCEED();
}

TEST(LibraryLock, ExcludesOtherThreadsAndReleasesOnException)
{
    std::atomic<int> Inside{0};
    std::atomic<int> MaxInside{0};
    std::atomic<bool> Go{false};
    long long Counter = 0;  // guarded by the library lock only
    auto Work = [&] {
        while (!Go.load()) {}
        for (int i = 0; i < 20000; ++i) {
            try {
                FCriticalSection Guard;
                FCriticalSection Again;  // re-entry by the holder
                int Now = ++Inside;
                int Seen = MaxInside.load();
                while (Now > Seen && !MaxInside.compare_exchange_weak(Seen, Now)) {}
                ++Counter;
                --Inside;
                if (i % 1000 == 0)
                    throw std::runtime_error("leave by exception");
            } catch (const std::runtime_error&) {
            }
        }
    };
    std::thread T1(Work), T2(Work);
    Go = true;
    T1.join();
    T2.join();
    EXPECT_EQ(Counter, 40000);
    EXPECT_EQ(MaxInside.load(), 1);
    // Both guards were released on every exit, the exceptional ones included.
    std::thread Other([] { FCriticalSection Guard; });
    Other.join();
}
