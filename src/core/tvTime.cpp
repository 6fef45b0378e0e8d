// The seconds clock, the millisecond tick and the application clock.
#include "base/tvPrelude.h"
#include "tvCore/core/tvTime.h"
#include "tvCore/core/tvGlobals.h"
#include "platform/tvPlatformClock.h"

namespace Tolvane {

namespace {
// The counter value of the first call; zero means "not read yet" (the monotonic clock of a
// running system is never zero). Relaxed atomics keep concurrent first calls race-free.
std::atomic<std::uint64_t> GHighTimeBase{0};
std::atomic<bool> GTimerPeriodRaised{false};
constexpr double GSecondsPerNanosecond = 1.0e-9;
} // namespace

double appGetHightSystemTime()
{
    const std::uint64_t Now = Platform::MonotonicNanoseconds();
    std::uint64_t Base = GHighTimeBase.load(std::memory_order_relaxed);
    if (Base == 0) {
        // First call: this reading becomes the base unless another thread set one first.
        std::uint64_t Expected = 0;
        Base = GHighTimeBase.compare_exchange_strong(Expected, Now, std::memory_order_relaxed) ? Now : Expected;
    }
    // A thread that lost the race may hold a reading older than the base it adopted.
    return Now > Base ? static_cast<double>(Now - Base) * GSecondsPerNanosecond : 0.0;
}

tvULong appGetTimeTick()
{
    if (!GTimerPeriodRaised.exchange(true, std::memory_order_relaxed))
        Platform::TimerBeginPeriod(1);  // raised once, never restored
    return Platform::MonotonicMilliseconds();
}

void FAppTime::Init()
{
    LastMilliseconds = static_cast<float>(appGetHightSystemTime() * 1000.0);
    Seconds = LastMilliseconds * 0.001f;
}

float FAppTime::Get()
{
    const float Now = static_cast<float>(appGetHightSystemTime() * 1000.0);
    Seconds += (Now - LastMilliseconds) * 0.001f;
    LastMilliseconds = Now;
    return Seconds;
}

float FAppTime::Update() { return Get(); }

float appGetTime() { return GAppTime->Get(); }

} // namespace Tolvane
