// The platform seam for processes: starting, listing, opening for waiting and ending them.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

struct FProcessStart {
    // The program to run, used as given (no search); null: the command line's first word,
    // looked for in the caller's executable folder, then the current folder, then PATH.
    const tvWChar* Application = nullptr;
    // The whole command line, split into arguments as the Windows runtime splits it (the first
    // word is the program's own name). Never null.
    const tvWChar* CommandLine = nullptr;
    // No console: the new process gets a session of its own and its standard streams are empty.
    bool Detached = false;
    // Nobody will wait for the process: the layer collects it when it ends, so that it does not
    // stay behind as a finished child.
    bool Unwatched = false;
};

// Starts a process that inherits no handles of the caller, with the caller's environment and
// current directory. Returns its handle (the process id), null on failure.
tvHandle ProcessStart(const FProcessStart& Start);
// The process id a handle from ProcessStart or ProcessOpenForWait stands for.
tvULong ProcessIdOf(tvHandle Process);

// One process found by ProcessVisit: its executable's file name (no folder) and its id.
typedef bool (*FProcessVisitor)(void* Context, const tvWChar* ExeName, tvULong ProcessId);
// Calls Visitor for every running process of the system (processes that have ended and wait to
// be collected by their parent are not running) until it returns false. False when the
// system's process list cannot be read.
bool ProcessVisit(FProcessVisitor Visitor, void* Context);
// A handle on which the process can be waited for; null when there is no such process.
tvHandle ProcessOpenForWait(tvULong ProcessId);
// Ends the process at once. False when there is no such process or it may not be ended.
bool ProcessKill(tvULong ProcessId);

} // namespace Platform
} // namespace Tolvane
