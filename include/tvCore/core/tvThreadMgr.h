// Starting and ending threads, and sleeping. Only static operations; the class holds no state.
#pragma once

#include "tvCore/core/tvBase.h"

namespace Tolvane {

// A thread's routine: takes its argument, returns the thread's exit code.
typedef tvULong (*tvThreadRoutine)(void* Argument);

class TVCORE_API CThreadMgr {
public:
    CThreadMgr() {}
    ~CThreadMgr() {}
    CThreadMgr(const CThreadMgr&) {}
    CThreadMgr& operator=(const CThreadMgr&) { return *this; }

    // Starts Routine(Argument) on a new thread at once. Stores the handle (null on failure)
    // in *Handle and returns whether the thread was created; false without storing anything
    // when Handle is null. A handle needs no closing and stays harmless after its thread ends.
    static bool CreateThreadWin(void** Handle, tvThreadRoutine Routine, void* Argument);
    // Asks the thread to end. No thread is stopped from outside while it runs its routine (it
    // could hold locks or be half way through a change): a thread that has not started its
    // routine yet ends without running it; one that runs ends when its routine returns. The
    // handle is neither closed nor cleared; an ended thread's handle is ignored.
    static void TerminateThread(void** Handle);
};

// Suspends the calling thread for the given milliseconds; 0 or less only yields.
TVCORE_API void appSleep(int Milliseconds);

} // namespace Tolvane
