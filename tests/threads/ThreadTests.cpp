// Threads: the platform layer's suspended start, resume and self-suspension, and the thread
// manager's start and end.
#include <tvCore/tvCore.h>

#include "platform/tvPlatformThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <vector>

using namespace Tolvane;
using Platform::GInfiniteWait;

namespace {

// What a test routine saw and did.
struct FRun {
    std::atomic<bool>* ResumedYet = nullptr;
    bool SawResumed = false;
    bool Ran = false;
    std::promise<void> Started;
    std::shared_future<void> Go;
    bool SuspendResult = false;
    bool EndRequestedAfter = false;
};

tvULong RecordStart(void* Context)
{
    FRun& Run = *static_cast<FRun*>(Context);
    Run.Ran = true;
    Run.SawResumed = Run.ResumedYet && Run.ResumedYet->load();
    return 0;
}

// Tells the test it runs, waits for its go, then suspends itself once.
tvULong SuspendOnceAfterGo(void* Context)
{
    FRun& Run = *static_cast<FRun*>(Context);
    Run.Started.set_value();
    Run.Go.wait();
    Run.SuspendResult = Platform::ThreadSuspendSelf();
    Run.EndRequestedAfter = Platform::ThreadEndRequested();
    return 0;
}

tvULong CountOne(void* Context)
{
    static_cast<std::atomic<int>*>(Context)->fetch_add(1);
    return 0;
}

} // namespace

TEST(PlatformThread, SuspendedThreadStartsOnlyWhenResumed)
{
    std::atomic<bool> Resumed{false};
    FRun Run;
    Run.ResumedYet = &Resumed;
    tvHandle Thread = Platform::ThreadCreate(RecordStart, &Run, true);
    ASSERT_NE(Thread, nullptr);
    EXPECT_FALSE(Platform::ThreadWaitForEnd(Thread, 0));
    Resumed = true;
    Platform::ThreadResume(Thread);
    EXPECT_TRUE(Platform::ThreadWaitForEnd(Thread, GInfiniteWait));
    EXPECT_TRUE(Run.Ran);
    EXPECT_TRUE(Run.SawResumed) << "the routine ran before its resume";
}

TEST(PlatformThread, EndRequestBeforeResumeEndsWithoutRunningTheRoutine)
{
    FRun Run;
    tvHandle Thread = Platform::ThreadCreate(RecordStart, &Run, true);
    ASSERT_NE(Thread, nullptr);
    Platform::ThreadRequestEnd(Thread);
    EXPECT_TRUE(Platform::ThreadWaitForEnd(Thread, GInfiniteWait));
    EXPECT_FALSE(Run.Ran);
}

TEST(PlatformThread, ResumeGivenWhileRunningIsKeptForTheNextSuspension)
{
    FRun Run;
    std::promise<void> Go;
    Run.Go = Go.get_future().share();
    tvHandle Thread = Platform::ThreadCreate(SuspendOnceAfterGo, &Run, false);
    ASSERT_NE(Thread, nullptr);
    Run.Started.get_future().wait();
    Platform::ThreadResume(Thread);  // before the thread suspends itself
    Go.set_value();
    // Would wait for ever if the early wake-up were lost.
    EXPECT_TRUE(Platform::ThreadWaitForEnd(Thread, GInfiniteWait));
    EXPECT_TRUE(Run.SuspendResult);
    EXPECT_FALSE(Run.EndRequestedAfter);
}

TEST(PlatformThread, EndRequestWakesASuspendedThreadWithFalse)
{
    FRun Run;
    std::promise<void> Go;
    Run.Go = Go.get_future().share();
    tvHandle Thread = Platform::ThreadCreate(SuspendOnceAfterGo, &Run, false);
    ASSERT_NE(Thread, nullptr);
    Run.Started.get_future().wait();
    Go.set_value();
    Platform::ThreadRequestEnd(Thread);
    EXPECT_TRUE(Platform::ThreadWaitForEnd(Thread, GInfiniteWait));
    EXPECT_FALSE(Run.SuspendResult);
    EXPECT_TRUE(Run.EndRequestedAfter);
}

TEST(PlatformThread, HandleOfAnEndedThreadNeverReachesItsSuccessor)
{
    FRun First;
    tvHandle Ended = Platform::ThreadCreate(RecordStart, &First, false);
    ASSERT_NE(Ended, nullptr);
    ASSERT_TRUE(Platform::ThreadWaitForEnd(Ended, GInfiniteWait));

    FRun Second;
    tvHandle Successor = Platform::ThreadCreate(RecordStart, &Second, true);  // takes the freed slot
    ASSERT_NE(Successor, nullptr);
    EXPECT_NE(Successor, Ended);
    Platform::ThreadRequestEnd(Ended);
    Platform::ThreadResume(Ended);
    EXPECT_TRUE(Platform::ThreadWaitForEnd(Ended, 0));
    EXPECT_FALSE(Platform::ThreadWaitForEnd(Successor, 0)) << "the stale handle reached the new thread";
    Platform::ThreadResume(Successor);
    EXPECT_TRUE(Platform::ThreadWaitForEnd(Successor, GInfiniteWait));
    EXPECT_TRUE(Second.Ran);
}

TEST(PlatformThread, ManySuspendedThreadsAllRunOnceResumed)
{
    std::atomic<int> Count{0};
    std::vector<tvHandle> Threads(300);  // more than one block of the thread table
    for (tvHandle& Thread : Threads) {
        Thread = Platform::ThreadCreate(CountOne, &Count, true);
        ASSERT_NE(Thread, nullptr);
    }
    EXPECT_EQ(Count.load(), 0);
    for (tvHandle Thread : Threads)
        Platform::ThreadResume(Thread);
    for (tvHandle Thread : Threads)
        EXPECT_TRUE(Platform::ThreadWaitForEnd(Thread, GInfiniteWait));
    EXPECT_EQ(Count.load(), 300);
}

TEST(PlatformThread, CallsWithoutAThreadOfTheLayerAreHarmless)
{
    EXPECT_TRUE(Platform::ThreadSuspendSelf()) << "a foreign thread is never suspended";
    EXPECT_FALSE(Platform::ThreadEndRequested());
    EXPECT_FALSE(Platform::ThreadWaitForEnd(nullptr, 0));
    Platform::ThreadResume(nullptr);
    Platform::ThreadRequestEnd(nullptr);
    EXPECT_EQ(Platform::ThreadCreate(nullptr, nullptr, false), nullptr);
}

namespace {

// Shared by the test and its thread, so that it lives until both are done with it.
struct FWork {
    std::promise<void> Started;
    std::promise<int> Done;
    std::shared_future<void> Go;
    int Value = 0;
};

void* ShareWith(const std::shared_ptr<FWork>& Work) { return new std::shared_ptr<FWork>(Work); }

tvULong FinishWithValue(void* Context)
{
    const std::unique_ptr<std::shared_ptr<FWork>> Shared(static_cast<std::shared_ptr<FWork>*>(Context));
    FWork& Work = **Shared;
    Work.Started.set_value();
    if (Work.Go.valid())
        Work.Go.wait();
    Work.Done.set_value(Work.Value);
    return 0;
}

} // namespace

TEST(ThreadMgr, CreateThreadWinRunsTheRoutineWithItsArgumentAtOnce)
{
    auto Work = std::make_shared<FWork>();
    Work->Value = 42;
    void* Handle = nullptr;
    ASSERT_TRUE(CThreadMgr::CreateThreadWin(&Handle, FinishWithValue, ShareWith(Work)));
    EXPECT_NE(Handle, nullptr);
    EXPECT_EQ(Work->Done.get_future().get(), 42);
}

TEST(ThreadMgr, CreateThreadWinRefusesWhatCannotWork)
{
    int Unused = 0;
    EXPECT_FALSE(CThreadMgr::CreateThreadWin(nullptr, FinishWithValue, &Unused)) << "no place for the handle";
    void* Handle = &Unused;
    EXPECT_FALSE(CThreadMgr::CreateThreadWin(&Handle, nullptr, &Unused));
    EXPECT_EQ(Handle, nullptr);
}

TEST(ThreadMgr, TerminateThreadLeavesTheHandleAndLetsARunningRoutineFinish)
{
    auto Work = std::make_shared<FWork>();
    Work->Value = 7;
    std::promise<void> Go;
    Work->Go = Go.get_future().share();
    void* Handle = nullptr;
    ASSERT_TRUE(CThreadMgr::CreateThreadWin(&Handle, FinishWithValue, ShareWith(Work)));
    void* const Before = Handle;
    Work->Started.get_future().wait();  // the routine runs: from now on it is never cut short
    CThreadMgr::TerminateThread(&Handle);
    EXPECT_EQ(Handle, Before) << "neither closed nor cleared";
    Go.set_value();
    EXPECT_EQ(Work->Done.get_future().get(), 7) << "a running routine is never cut short";
    CThreadMgr::TerminateThread(&Handle);  // its thread has ended, or is about to: harmless
    CThreadMgr::TerminateThread(nullptr);
    void* Null = nullptr;
    CThreadMgr::TerminateThread(&Null);
}

TEST(Sleep, ReturnsForZeroNegativeAndShortTimes)
{
    for (int Milliseconds : {0, -1, -2147483647 - 1, 1})
        appSleep(Milliseconds);
}
