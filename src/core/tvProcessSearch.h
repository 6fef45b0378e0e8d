// The search behind CProcessMgr::FindProcess, with the system services it uses passed in, so
// that the same search runs over the system's processes or over a fixed list.
#pragma once

#include "platform/tvPlatformProcess.h"
#include "base/tvCompiler.h"

namespace Tolvane {

struct FProcessSearchSystem {
    bool (*Visit)(Platform::FProcessVisitor Visitor, void* Context);
    tvHandle (*OpenForWait)(tvULong ProcessId);
    int (*LastError)();
    void (*LogLine)(const tvWChar* Format, ...);
};

// Walks the processes, logging each executable name, until one is named exactly ExeName
// (case-sensitive). For that one: logs "Find deamon!!!" and the last system error, opens it for
// waiting, stores its id in ProcessId and logs the last system error again. Returns the opened
// handle; null when no process matches (ProcessId untouched) or the list cannot be read.
TVCORE_INTERNAL tvHandle SearchProcess(const tvWChar* ExeName, int& ProcessId, const FProcessSearchSystem& System);

} // namespace Tolvane
