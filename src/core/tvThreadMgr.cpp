// Starting and ending threads, and sleeping.
#include "base/tvPrelude.h"
#include "tvCore/core/tvThreadMgr.h"
#include "platform/tvPlatformThread.h"

namespace Tolvane {

bool CThreadMgr::CreateThreadWin(void** Handle, tvThreadRoutine Routine, void* Argument)
{
    // Without a place for the handle the thread could never be reached: it is not started.
    if (!Handle)
        return false;
    *Handle = Platform::ThreadCreate(Routine, Argument, false);
    return *Handle != nullptr;
}

void CThreadMgr::TerminateThread(void** Handle)
{
    if (Handle)
        Platform::ThreadRequestEnd(*Handle);
}

void appSleep(int Milliseconds)
{
    // A negative time would be an endless wait as an unsigned count: it only yields.
    Platform::SleepMilliseconds(Milliseconds > 0 ? static_cast<tvULong>(Milliseconds) : 0);
}

} // namespace Tolvane
