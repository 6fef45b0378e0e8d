// The library's clocks: a high-resolution seconds clock, a millisecond tick and the
// application clock.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// Seconds since the first call in the process; the first call returns 0.0. Never decreases.
TVCORE_API double appGetHightSystemTime();
// Monotonic milliseconds (wraps after 49.7 days like the 32-bit tick it stands for).
TVCORE_API tvULong appGetTimeTick();
// Updates GAppTime and returns its seconds; requires appInitCore.
TVCORE_API float appGetTime();

// A count of processor time-stamp-counter cycles in seconds, at the rate appInitCore measured
// (1 second per cycle until then, or when the counter is not available). The count is unsigned.
TVCORE_API float appCyclesToSeconds(tvULong Cycles);

class TVCORE_API FAppTime {
public:
    float LastMilliseconds = 0.0f;  // the high-resolution clock in milliseconds at the last update
    float Seconds = 0.0f;           // the application time in seconds

    void Init();
    float Get();
    float Update();
};

} // namespace Tolvane
