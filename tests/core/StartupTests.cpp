// Start-up and shut-down: the singletons, package mode 3, the render thread, a second start-up,
// a shut-down twice, and refused memory.
#include <tvCore/tvCore.h>

#include "platform/tvPlatformThread.h"
#include "support/CountingMalloc.h"

#include <gtest/gtest.h>

using namespace Tolvane;

namespace {
struct FSavedGlobals {
    FFileManager* Files = GFileManager;
    FLog* Log = GLog;
    FAppTime* Time = GAppTime;
    FMemMapPool* Pool = GMemMapPool;
    tvULong RenderThread = GRenderThreadId;
    FSavedGlobals() { GFileManager = nullptr, GLog = nullptr, GAppTime = nullptr, GMemMapPool = nullptr; }
    ~FSavedGlobals()
    {
        appExitCore();
        GFileManager = Files, GLog = Log, GAppTime = Time, GMemMapPool = Pool, GRenderThreadId = RenderThread;
    }
};
} // namespace

TEST(Startup, InitCreatesTheSingletonsAndExitRemovesThem)
{
    FSavedGlobals Saved;
    FMalloc* Allocator = GMalloc;
    ASSERT_EQ(appInitCore(), 1);
    ASSERT_NE(GFileManager, nullptr);
    EXPECT_EQ(GFileManager->IsPackageMode(), 3);
    EXPECT_NE(dynamic_cast<FPackageFileSystem*>(GFileManager), nullptr);
    EXPECT_EQ(GRenderThreadId, Platform::CurrentThreadId());
    EXPECT_NE(GLog, nullptr);
    EXPECT_NE(GAppTime, nullptr);
    EXPECT_NE(GMemMapPool, nullptr);

    EXPECT_EQ(appExitCore(), 1);
    EXPECT_EQ(GFileManager, nullptr);
    EXPECT_EQ(GLog, nullptr);
    EXPECT_EQ(GAppTime, nullptr);
    EXPECT_EQ(GMemMapPool, nullptr);
    EXPECT_EQ(appExitCore(), 1);  // the second finds every global null

    // Started again: fresh singletons from the same allocator.
    ASSERT_EQ(appInitCore(), 1);
    EXPECT_NE(GFileManager, nullptr);
    EXPECT_EQ(GMalloc, Allocator);
}

TEST(Startup, SecondInitReplacesTheFirstSingletonsWithoutLeaking)
{
    FSavedGlobals Saved;
    // What the process keeps for good (the console handler's thread) comes from the first start.
    ASSERT_EQ(appInitCore(), 1);
    appExitCore();
    tvtest::FCountingMalloc Counting;
    ASSERT_EQ(appInitCore(), 1);
    const int AfterFirst = Counting.Live;
    ASSERT_EQ(appInitCore(), 1);
    EXPECT_EQ(Counting.Live, AfterFirst);
    appExitCore();
    EXPECT_EQ(Counting.Live, 0);
}

TEST(Startup, RefusedMemoryLeavesNoHalfStartedLibrary)
{
    FSavedGlobals Saved;
    tvtest::FCountingMalloc Counting;
    Counting.RefuseAll = true;
    EXPECT_EQ(appInitCore(), 0);
    EXPECT_EQ(GFileManager, nullptr);
    EXPECT_EQ(GLog, nullptr);
    EXPECT_EQ(GAppTime, nullptr);
    EXPECT_EQ(GMemMapPool, nullptr);
    EXPECT_EQ(Counting.Live, 0);
}
