// Clocks and the calendar on POSIX.
#include "base/tvPrelude.h"
#include "platform/tvPlatformClock.h"

#include <time.h>

namespace Tolvane {
namespace Platform {

// ----------------------------------------------------------------------------------------------
// Clocks on POSIX. The performance counter and the multimedia tick both stand on
// CLOCK_MONOTONIC: it never goes backwards, it agrees across threads and cores, and it keeps
// counting correct seconds across suspends of a virtual machine. A raw time-stamp counter is
// cheaper to read but is not trustworthy wherever the kernel itself declines it as its clock
// source (virtual machines that are migrated or restored from snapshots), so it is not used.

std::uint64_t MonotonicNanoseconds()
{
    timespec Now;
    clock_gettime(CLOCK_MONOTONIC, &Now);
    return static_cast<std::uint64_t>(Now.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(Now.tv_nsec);
}

tvULong MonotonicMilliseconds()
{
    return static_cast<tvULong>(MonotonicNanoseconds() / 1000000ull);
}

std::uint64_t CycleCounter()
{
#if defined(__i386__) || defined(__x86_64__)
    return __builtin_ia32_rdtsc();
#else
    // No time-stamp counter to read from user code everywhere: the monotonic clock's nanoseconds
    // count as cycles of a 1 GHz processor, which the measurement then finds.
    return MonotonicNanoseconds();
#endif
}

// The monotonic clock already has millisecond (indeed nanosecond) resolution.
void TimerBeginPeriod(tvULong) {}
void TimerEndPeriod(tvULong) {}

// ----------------------------------------------------------------------------------------------
// Local time on POSIX: the wall clock through the re-entrant localtime_r, so concurrent callers
// never share the C library's static broken-down time.

bool LocalTimeNow(FLocalTime& Out)
{
    const time_t Now = time(nullptr);
    if (Now == static_cast<time_t>(-1))
        return false;
    tm Local;
    if (localtime_r(&Now, &Local) == nullptr)
        return false;
    Out.Year = Local.tm_year + 1900;
    Out.Month = Local.tm_mon + 1;
    Out.Day = Local.tm_mday;
    Out.Hour = Local.tm_hour;
    Out.Minute = Local.tm_min;
    Out.Second = Local.tm_sec;
    return true;
}

} // namespace Platform
} // namespace Tolvane
