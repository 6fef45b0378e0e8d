// Starting, finding and ending processes. Only static operations; the class holds no state.
#pragma once

#include "tvCore/core/tvBase.h"

namespace Tolvane {

class FString;

class TVCORE_API CProcessMgr {
public:
    CProcessMgr() {}
    ~CProcessMgr() {}
    CProcessMgr(const CProcessMgr&) {}
    CProcessMgr& operator=(const CProcessMgr&) { return *this; }

    // Starts "Program Arguments" detached from the console; the program is found from the
    // command line's first word. Returns the new process's handle, null on failure (also when
    // the command line does not fit its 1024 units).
    static void* CreateProc(const tvWChar* Program, const tvWChar* Arguments);
    // Starts the application at ApplicationPath with CommandLine (null: empty) as its whole
    // command line. False on failure, also when the command line does not fit its 260 units.
    static bool CreateProcessW(const tvWChar* ApplicationPath, const tvWChar* CommandLine);
    // Walks the system's processes, logging each executable name, and opens the first whose
    // name equals ExeName exactly (case-sensitive) for waiting. Stores its id in ProcessId and
    // returns the handle; null (ProcessId untouched) when no process matches.
    static void* FindProcess(const FString& ExeName, int& ProcessId);
    // Ends the process at once, with exit code 0 where the system lets the code be chosen.
    static void KillProcess(tvULong ProcessId);
};

} // namespace Tolvane
