// Injected system-call failures, for tests. A test arms a fault ("the 3rd write fails with a
// full disk", "every rename from the 2nd on fails"); the platform layer asks before each system
// call it makes whether that call is to fail, and reports the failure as the system would.
// Nothing is armed in a normal run, and asking then costs one relaxed atomic load.
#pragma once

#include "base/tvCompiler.h"

#include <atomic>

namespace Tolvane {
namespace Faults {
TVCORE_INTERNAL_BEGIN

enum class ESystemCall : int {
    Open,             // opening or creating a file
    Read,             // reading from a file
    Write,            // writing to a file (a stream's bytes, a copy's bytes)
    Sync,             // flushing a file to the disk
    Rename,           // renaming a file over another
    CreateDirectory,  // creating a directory
    MapMemory,        // mapping shared memory
    CreateThread,     // starting a thread
    Count
};

enum class EOutcome : int {
    Proceed,  // make the call
    Fail,     // do not make it; fail with the armed error code
    Short,    // writes only: write half of the bytes, then report the error on the rest
};

// Arms a fault on Call: its AtCall-th use from now (1-based) fails with ErrorCode (an errno
// value on POSIX, a system error code on Windows); with Sticky, every later use fails too.
// Short makes a write come up short instead of failing outright.
void Arm(ESystemCall Call, int AtCall, int ErrorCode, bool Sticky = false, bool Short = false);
// Arms a crash on Call: the process ends inside its AtCall-th use from now, before the call is
// made, through the kill handler (by default std::abort; a crash test installs one that sends
// the process SIGKILL, so that nothing of the library's runs after it).
void ArmKill(ESystemCall Call, int AtCall);
typedef void (*FKillHandler)();
void SetKillHandler(FKillHandler Handler);
// Disarms every fault and resets the counts.
void Clear();
// How many times Call was asked about since the last Arm or Clear.
int Uses(ESystemCall Call);

// For the platform layer: whether this use of Call goes ahead. On Fail or Short, Error gets the
// armed code.
extern std::atomic<bool> GArmed;
EOutcome CheckArmed(ESystemCall Call, int& Error);
inline EOutcome Check(ESystemCall Call, int& Error)
{
    return GArmed.load(std::memory_order_relaxed) ? CheckArmed(Call, Error) : EOutcome::Proceed;
}

TVCORE_INTERNAL_END
} // namespace Faults
} // namespace Tolvane
