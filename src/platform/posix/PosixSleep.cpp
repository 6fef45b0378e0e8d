// Sleeping on POSIX: nanosleep, resumed after signals until the whole time has passed.
#include "platform/tvPlatformThread.h"

#include <errno.h>
#include <sched.h>
#include <time.h>

namespace Tolvane {
namespace Platform {

void SleepMilliseconds(tvULong Milliseconds)
{
    if (Milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec Remaining;
    Remaining.tv_sec = static_cast<time_t>(Milliseconds / 1000);
    Remaining.tv_nsec = static_cast<long>(Milliseconds % 1000) * 1000000L;
    while (nanosleep(&Remaining, &Remaining) != 0 && errno == EINTR) {}
}

} // namespace Platform
} // namespace Tolvane
