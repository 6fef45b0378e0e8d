// Clocks on POSIX. The performance counter and the multimedia tick both stand on
// CLOCK_MONOTONIC: it never goes backwards, it agrees across threads and cores, and it keeps
// counting correct seconds across suspends of a virtual machine. A raw time-stamp counter is
// cheaper to read but is not trustworthy wherever the kernel itself declines it as its clock
// source (virtual machines that are migrated or restored from snapshots), so it is not used.
#include "platform/tvPlatform.h"

#include <time.h>

namespace Tolvane {
namespace Platform {

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

// The monotonic clock already has millisecond (indeed nanosecond) resolution.
void TimerBeginPeriod(tvULong) {}
void TimerEndPeriod(tvULong) {}

} // namespace Platform
} // namespace Tolvane
