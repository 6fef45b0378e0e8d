// The platform seam: every system service the library uses is reached through these
// functions, implemented once per platform in its own folder (posix/, later win32/).
// Portable code includes this header and never a system header of its own.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// --- The library-wide recursive lock ---------------------------------------------------------
// One process-wide recursive mutex, usable from load time on (statically initialised).
void LibraryLockInit();
void LibraryLockEnter();
void LibraryLockLeave();
void LibraryLockUninit();

// --- Clocks ---------------------------------------------------------------------------------
// Monotonic nanoseconds from an arbitrary origin (the system's monotonic clock).
std::uint64_t MonotonicNanoseconds();
// Monotonic milliseconds, truncated to 32 bits.
tvULong MonotonicMilliseconds();
// Raising and restoring the system timer resolution: no-ops where the clocks are exact.
void TimerBeginPeriod(tvULong Milliseconds);
void TimerEndPeriod(tvULong Milliseconds);

// --- Threads ----------------------------------------------------------------------------------
// The calling thread's id as a 32-bit number.
tvULong CurrentThreadId();

} // namespace Platform
} // namespace Tolvane
