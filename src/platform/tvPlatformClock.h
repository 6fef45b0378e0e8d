// The platform seam for clocks and the calendar: the monotonic counter, the millisecond tick
// and its resolution, and the local date and time.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// --- Counters ---------------------------------------------------------------------------------
// Monotonic nanoseconds from an arbitrary origin (the system's monotonic clock).
std::uint64_t MonotonicNanoseconds();
// Monotonic milliseconds, truncated to 32 bits.
tvULong MonotonicMilliseconds();
// Raising and restoring the system timer resolution: no-ops where the clocks are exact.
void TimerBeginPeriod(tvULong Milliseconds);
void TimerEndPeriod(tvULong Milliseconds);

// The processor's time-stamp counter, where it has one, else a counter of the same kind (it only
// has to advance steadily; its rate is measured against the millisecond tick).
std::uint64_t CycleCounter();

// --- Calendar -------------------------------------------------------------------------------
// A broken-down local time: Month 1 to 12, Day 1 to 31, Second 0 to 60 (a leap second).
struct FLocalTime {
    int Year;
    int Month;
    int Day;
    int Hour;
    int Minute;
    int Second;
};

// The local date and time now, to the second, in the system's time zone. Returns false (and
// leaves Out untouched) when the system cannot tell it.
bool LocalTimeNow(FLocalTime& Out);

} // namespace Platform
} // namespace Tolvane
