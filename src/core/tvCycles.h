// The processor clock's rate, measured at start-up, and the console handler start-up installs.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {

// The length of one time-stamp-counter cycle in seconds; 1.0 until measured.
extern TVCORE_INTERNAL double GSecondsPerCycle;

// Three measuring passes of at least 200 ms each against the millisecond tick, with the timer
// resolution raised to 1 ms around them; GSecondsPerCycle keeps the smallest result (the highest
// rate). Logs "CPU Speed=%f MHz\n", or "Cycles is not available" (and leaves 1.0) when the
// counter does not advance.
TVCORE_INTERNAL void appMeasureCycleRate();

// Installs the console control handler: Ctrl+C and Ctrl+Break no longer end the process, and
// each one logs "Ctrl+C Pressed!".
TVCORE_INTERNAL void appInstallConsoleHandler();

} // namespace Tolvane
