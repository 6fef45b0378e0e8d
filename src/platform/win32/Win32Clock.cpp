// Clocks and the calendar on Windows: the performance counter, the multimedia timer's tick and
// resolution, the time-stamp counter and the local time.
#include "base/tvPrelude.h"
#include "platform/tvPlatformClock.h"
#include "platform/win32/Win32Api.h"

#include <mmsystem.h>
#include <intrin.h>

namespace Tolvane {
namespace Platform {

namespace {
std::uint64_t CounterFrequency()
{
    static const std::uint64_t Frequency = [] {
        LARGE_INTEGER Value;
        return QueryPerformanceFrequency(&Value) && Value.QuadPart > 0 ? static_cast<std::uint64_t>(Value.QuadPart)
                                                                       : 1000000000ull;
    }();
    return Frequency;
}
} // namespace

std::uint64_t MonotonicNanoseconds()
{
    LARGE_INTEGER Now;
    QueryPerformanceCounter(&Now);
    const std::uint64_t Ticks = static_cast<std::uint64_t>(Now.QuadPart);
    const std::uint64_t Frequency = CounterFrequency();
    // Split so the product never overflows: whole seconds, then the remainder.
    return Ticks / Frequency * 1000000000ull + Ticks % Frequency * 1000000000ull / Frequency;
}

tvULong MonotonicMilliseconds() { return static_cast<tvULong>(timeGetTime()); }

void TimerBeginPeriod(tvULong Milliseconds) { timeBeginPeriod(static_cast<UINT>(Milliseconds)); }
void TimerEndPeriod(tvULong Milliseconds) { timeEndPeriod(static_cast<UINT>(Milliseconds)); }

std::uint64_t CycleCounter() { return __rdtsc(); }

bool LocalTimeNow(FLocalTime& Out)
{
    SYSTEMTIME Local;
    GetLocalTime(&Local);
    Out.Year = Local.wYear;
    Out.Month = Local.wMonth;
    Out.Day = Local.wDay;
    Out.Hour = Local.wHour;
    Out.Minute = Local.wMinute;
    Out.Second = Local.wSecond;
    return true;
}

} // namespace Platform
} // namespace Tolvane
