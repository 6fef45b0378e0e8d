// Starting, finding and ending processes.
#include "base/tvPrelude.h"
#include "tvCore/core/tvProcessMgr.h"
#include "tvCore/core/strings/tvString.h"
#include "tvCore/core/tvLogDevice.h"
#include "core/tvProcessSearch.h"
#include "core/strings/tvWideRuntime.h"
#include "platform/tvPlatformProcess.h"
#include "platform/tvPlatformError.h"

namespace Tolvane {

namespace {
// The fixed command-line buffers, terminator included. A command line that does not fit is
// refused: a cut one would run the program with other arguments than the caller gave.
constexpr std::size_t GCreateProcUnits = 1024;
constexpr std::size_t GCreateProcessUnits = 260;
} // namespace

void* CProcessMgr::CreateProc(const tvWChar* Program, const tvWChar* Arguments)
{
    if (!Program)
        return nullptr;
    tvWChar CommandLine[GCreateProcUnits];
    const int Length = Wide::Format(CommandLine, GCreateProcUnits, TVTEXT("%s %s"), Program, Arguments ? Arguments : TVTEXT(""));
    if (Length < 0 || static_cast<std::size_t>(Length) >= GCreateProcUnits)
        return nullptr;
    Platform::FProcessStart Start;
    Start.CommandLine = CommandLine;
    Start.Detached = true;
    return Platform::ProcessStart(Start);
}

bool CProcessMgr::CreateProcessW(const tvWChar* ApplicationPath, const tvWChar* CommandLine)
{
    tvWChar Buffer[GCreateProcessUnits] = {0};
    if (CommandLine) {
        if (Wide::LengthBounded(CommandLine, GCreateProcessUnits) >= GCreateProcessUnits)
            return false;
        Wide::Copy(Buffer, CommandLine);
    }
    Platform::FProcessStart Start;
    Start.Application = ApplicationPath;
    Start.CommandLine = Buffer;
    // The caller gets no handle, so nobody else could collect the process when it ends.
    Start.Unwatched = true;
    return Platform::ProcessStart(Start) != nullptr;
}

void* CProcessMgr::FindProcess(const FString& ExeName, int& ProcessId)
{
    static const FProcessSearchSystem System{Platform::ProcessVisit, Platform::ProcessOpenForWait,
                                             Platform::LastError, appLog};
    return SearchProcess(ExeName, ProcessId, System);
}

void CProcessMgr::KillProcess(tvULong ProcessId)
{
    Platform::ProcessKill(ProcessId);
}

} // namespace Tolvane
