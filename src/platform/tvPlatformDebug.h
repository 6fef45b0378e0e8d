// The debugger channel, the debugger break and the process's standard output.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// Whether a debugger is attached to this process now.
bool DebuggerAttached();
// Debugger output: silent unless a debugger listens. Text is
// zero-terminated; narrow text is passed on as it is, wide text in the channel's own encoding.
void DebugOutput(const char* Text);
void DebugOutput(const tvWChar* Text);
// The breakpoint, which a debugger catches and which ends the process unless the host
// handles it.
void DebugBreak();
// Writes the text to standard output verbatim (wide text in the console's encoding) and flushes it.
void StandardOutput(const char* Text);
void StandardOutput(const tvWChar* Text);

} // namespace Platform
} // namespace Tolvane
