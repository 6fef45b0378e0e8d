// The platform seam for a console's control events (Ctrl+C, Ctrl+Break): a handler that the
// library installs so that such an event does not end the process, and that learns of each
// event on a thread of the library's, never inside a signal handler.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Platform {

typedef void (*FConsoleControlHandler)();

// Installs Handler for the interrupt and break events of the process's console: from now on
// they no longer end the process; Handler runs once per event on a thread of the library's.
// A second call replaces the handler (there is one for the process). False when the events
// cannot be caught here.
TVCORE_INTERNAL bool ConsoleControlInstall(FConsoleControlHandler Handler);

} // namespace Platform
} // namespace Tolvane
