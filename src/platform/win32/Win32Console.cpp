// Console control events on Windows: SetConsoleCtrlHandler. The system calls the routine on a
// thread of its own, never inside a signal handler, so the library's handler may log, lock and
// allocate there. Ctrl+C and Ctrl+Break are handled (the process keeps running); closing the
// console, logging off and shutting down keep their default action, as on POSIX.
#include "base/tvPrelude.h"
#include "platform/tvPlatformConsole.h"
#include "platform/tvPlatformError.h"
#include "platform/win32/Win32Api.h"

#include <atomic>

namespace Tolvane {
namespace Platform {

namespace {

std::atomic<FConsoleControlHandler> GHandler{nullptr};

BOOL WINAPI OnControlEvent(DWORD Event)
{
    if (Event != CTRL_C_EVENT && Event != CTRL_BREAK_EVENT)
        return FALSE;
    if (FConsoleControlHandler Handler = GHandler.load())
        Handler();
    return TRUE;
}

bool StartOnce()
{
    if (!SetConsoleCtrlHandler(&OnControlEvent, TRUE)) {
        RecordSystemError();
        return false;
    }
    return true;
}

} // namespace

bool ConsoleControlInstall(FConsoleControlHandler Handler)
{
    static const bool Started = StartOnce();
    GHandler.store(Handler);
    return Started;
}

} // namespace Platform
} // namespace Tolvane
