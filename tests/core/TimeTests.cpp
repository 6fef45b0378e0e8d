// The seconds clock, the millisecond tick and the application clock.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace Tolvane;

TEST(Clocks, SecondsClockNeverDecreasesOnAnyThread)
{
    // The library's first clock read happened during load; later reads only grow.
    auto Check = [] {
        double Last = appGetHightSystemTime();
        for (int i = 0; i < 200000; ++i) {
            const double Now = appGetHightSystemTime();
            ASSERT_GE(Now, Last);
            Last = Now;
        }
    };
    std::thread A(Check), B(Check);
    A.join();
    B.join();
    EXPECT_GE(appGetHightSystemTime(), 0.0);
}

TEST(Clocks, SecondsAndTicksFollowRealTime)
{
    // Tolerance: at least the slept interval, at most two seconds more on a loaded machine.
    const double S0 = appGetHightSystemTime();
    const tvULong T0 = appGetTimeTick();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double S1 = appGetHightSystemTime();
    const tvULong T1 = appGetTimeTick();
    EXPECT_GE(S1 - S0, 0.049);
    EXPECT_LT(S1 - S0, 2.05);
    EXPECT_GE(T1 - T0, 49u);
    EXPECT_LT(T1 - T0, 2050u);
}

TEST(AppTime, StartsAtTheClockAndAdvancesByTheInterval)
{
    FAppTime Time;
    Time.Init();
    const double Clock = appGetHightSystemTime();
    // Init takes the clock's value, not zero (tolerance: 50 ms between the two reads).
    EXPECT_NEAR(Time.Seconds, Clock, 0.05);
    EXPECT_FLOAT_EQ(Time.Seconds, Time.LastMilliseconds * 0.001f);
    const float First = Time.Get();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const float Second = Time.Update();
    // Tolerance: single-precision milliseconds, and up to one extra second of scheduling delay.
    EXPECT_GE(Second - First, 0.099f);
    EXPECT_LT(Second - First, 1.1f);
    EXPECT_EQ(Time.Seconds, Second);
}

TEST(AppTime, AppGetTimeUpdatesTheGlobalClock)
{
    FAppTime Time;
    Time.Init();
    GAppTime = &Time;
    const float Before = Time.Seconds;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const float Now = appGetTime();
    GAppTime = nullptr;
    EXPECT_GT(Now, Before);
    EXPECT_EQ(Now, Time.Seconds);
}

TEST(Clocks, TheAllocatorsFirstCallSetsTheClocksZero)
{
    // In a fresh process: the allocator times its first call with the seconds clock, so the
    // clock's zero lies before the sleep and the application clock starts well above zero.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            void* Block = GMalloc->Malloc(16);
            GMalloc->Free(Block);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            FAppTime Time;
            Time.Init();
            std::exit(Time.Seconds >= 0.19f ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
