// The platform seam for threads: thread identity, threads that may start suspended and suspend
// themselves, are resumed by others, and sleeping.
//
// No thread ever suspends or stops another: a suspended thread waits on its own resume signal,
// and an end request takes effect only where the thread is known to be idle (before its routine
// starts, and while it waits in ThreadSuspendSelf).
//
// A handle stays valid for ever and needs no closing: once its thread has ended, every call with
// it is harmless (ThreadWaitForEnd reports the end at once), even after a later thread has taken
// over the system resources the ended one used.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Platform {
TVCORE_INTERNAL_BEGIN

typedef tvULong (*FThreadRoutine)(void* Argument);

// The calling thread's id as a 32-bit number.
tvULong CurrentThreadId();



// Creates a thread running Routine(Argument). A suspended thread waits for ThreadResume before
// it starts its routine. Null on failure (also for a null routine).
tvHandle ThreadCreate(FThreadRoutine Routine, void* Argument, bool Suspended);
// Gives the thread its resume signal. A signal given while the thread runs is kept, so the
// thread's next ThreadSuspendSelf returns at once: a wake-up is never lost.
void ThreadResume(tvHandle Thread);
// Suspends the calling thread until its resume signal. Returns false when the thread was asked
// to end instead (ThreadRequestEnd): it should then leave its routine. A thread that this layer
// did not create has no resume signal and is never suspended (true at once).
bool ThreadSuspendSelf();
// Asks the thread to end: one that has not started its routine ends without running it; one
// suspended in ThreadSuspendSelf is woken with false; one that runs is only flagged, and ends
// when its routine returns.
void ThreadRequestEnd(tvHandle Thread);
// Whether the calling thread was asked to end.
bool ThreadEndRequested();
// Waits until the thread has ended, at most Milliseconds (GInfiniteWait: without limit). True
// when it ended.
constexpr tvULong GInfiniteWait = 0xFFFFFFFFu;
bool ThreadWaitForEnd(tvHandle Thread, tvULong Milliseconds);

// Suspends the calling thread for Milliseconds; 0 only yields the processor.
void SleepMilliseconds(tvULong Milliseconds);

TVCORE_INTERNAL_END
} // namespace Platform
} // namespace Tolvane
