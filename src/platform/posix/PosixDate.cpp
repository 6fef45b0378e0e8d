// Local time on POSIX: the wall clock through the re-entrant localtime_r, so concurrent callers
// never share the C library's static broken-down time.
#include "platform/tvPlatformDate.h"

#include <time.h>

namespace Tolvane {
namespace Platform {

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
