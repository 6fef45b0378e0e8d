// Processes on Windows: CreateProcessW, tool-help snapshots, OpenProcess and TerminateProcess.
//
// A handle from ProcessStart is the system's process handle, which the caller owns (the
// interface gives it back to the host). A process started unwatched keeps no handle of the
// library's: it is closed at once and the process id stands for it.
#include "base/tvPrelude.h"
#include "platform/tvPlatformProcess.h"
#include "platform/tvPlatformError.h"
#include "platform/win32/Win32Api.h"
#include "base/tvWideText.h"

#include <tlhelp32.h>
#include <new>

namespace Tolvane {
namespace Platform {

tvHandle ProcessStart(const FProcessStart& Start)
{
    if (!Start.CommandLine) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // CreateProcessW may write into the command line, so it gets a copy.
    const std::size_t Units = Wide::Length(Start.CommandLine) + 1;
    tvWChar* CommandLine = new (std::nothrow) tvWChar[Units];
    if (!CommandLine) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memcpy(CommandLine, Start.CommandLine, Units * sizeof(tvWChar));
    STARTUPINFOW StartInfo{};
    StartInfo.cb = sizeof StartInfo;
    PROCESS_INFORMATION Started{};
    const DWORD Flags = Start.Detached ? DETACHED_PROCESS : 0;
    const BOOL Ok = CreateProcessW(Start.Application ? SystemText(Start.Application) : nullptr, SystemText(CommandLine),
                                   nullptr, nullptr, FALSE, Flags, nullptr, nullptr, &StartInfo, &Started);
    delete[] CommandLine;
    if (!Ok) {
        RecordSystemError();
        return nullptr;
    }
    CloseHandle(Started.hThread);
    if (Start.Unwatched) {
        CloseHandle(Started.hProcess);
        return reinterpret_cast<tvHandle>(static_cast<std::uintptr_t>(Started.dwProcessId));
    }
    return Started.hProcess;
}

tvULong ProcessIdOf(tvHandle Process)
{
    return Process ? static_cast<tvULong>(GetProcessId(Process)) : 0;
}

bool ProcessVisit(FProcessVisitor Visitor, void* Context)
{
    const HANDLE Snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (Snapshot == INVALID_HANDLE_VALUE) {
        RecordSystemError();
        return false;
    }
    PROCESSENTRY32W Entry{};
    Entry.dwSize = sizeof Entry;
    for (BOOL More = Process32FirstW(Snapshot, &Entry); More; More = Process32NextW(Snapshot, &Entry))
        if (!Visitor(Context, Entry.szExeFile, static_cast<tvULong>(Entry.th32ProcessID)))
            break;
    CloseHandle(Snapshot);
    return true;
}

tvHandle ProcessOpenForWait(tvULong ProcessId)
{
    const HANDLE Process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(ProcessId));
    if (!Process)
        RecordSystemError();
    return Process;
}

bool ProcessKill(tvULong ProcessId)
{
    const HANDLE Process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(ProcessId));
    if (!Process) {
        RecordSystemError();
        return false;
    }
    const bool Killed = TerminateProcess(Process, 1) || (RecordSystemError(), false);
    CloseHandle(Process);
    return Killed;
}

} // namespace Platform
} // namespace Tolvane
