// The platform seam for the calendar: the local date and time now.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

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
