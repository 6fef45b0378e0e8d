// The processor clock's rate and the console control handler.
#include "base/tvPrelude.h"
#include "core/tvCycles.h"
#include "tvCore/core/tvTime.h"
#include "tvCore/core/tvLog.h"
#include "platform/tvPlatformClock.h"
#include "platform/tvPlatformConsole.h"

#include <cmath>

namespace Tolvane {

double GSecondsPerCycle = 1.0;

float appCyclesToSeconds(tvULong Cycles)
{
    return static_cast<float>(static_cast<double>(Cycles) * GSecondsPerCycle);
}

void appMeasureCycleRate()
{
    Platform::TimerBeginPeriod(1);
    GSecondsPerCycle = 1.0;
    bool Available = true;
    for (int Pass = 0; Pass < 3 && Available; ++Pass) {
        const std::uint64_t StartCycles = Platform::CycleCounter();
        const tvULong StartTick = Platform::MonotonicMilliseconds();
        tvULong Elapsed = 0;
        volatile double Busy = 0.0;
        while ((Elapsed = Platform::MonotonicMilliseconds() - StartTick) < 200)
            Busy = Busy + std::sqrt(Busy) + 3.14;
        const std::uint64_t Cycles = Platform::CycleCounter() - StartCycles;
        // A counter that does not advance has no rate: the measurement fails as a fault would.
        if (Cycles == 0) {
            Available = false;
            break;
        }
        const double SecondsPerCycle = 1.0 / (static_cast<double>(Cycles) * 1000.0 / static_cast<double>(Elapsed));
        if (SecondsPerCycle <= GSecondsPerCycle)
            GSecondsPerCycle = SecondsPerCycle;
    }
    Platform::TimerEndPeriod(1);
    if (Available) {
        appLog(TVTEXT("CPU Speed=%f MHz\n"), 0.000001 / GSecondsPerCycle);
    } else {
        appLog(TVTEXT("Cycles is not available"));
        GSecondsPerCycle = 1.0;
    }
}

namespace {
void OnConsoleControl() { appLog(TVTEXT("Ctrl+C Pressed!")); }
} // namespace

void appInstallConsoleHandler() { Platform::ConsoleControlInstall(&OnConsoleControl); }

} // namespace Tolvane
