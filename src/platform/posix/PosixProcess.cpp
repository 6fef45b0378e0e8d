// Starting and ending processes on POSIX.
//
// A process handle is the process id itself (as a pointer-sized value): the interface offers
// no operation that closes a handle, so a descriptor-based handle (a pidfd) would leak with
// every call. A started process is the caller's child. When the caller has its handle, the
// caller collects it (waitpid), as POSIX parents do; a process started without a handle for
// the caller is collected by a small thread of the layer when it ends.
#include "platform/tvPlatformProcess.h"
#include "platform/posix/PosixCommandLine.h"
#include "platform/tvPlatformText.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Tolvane {
namespace Platform {

namespace {

// A process id as the interface's handle and back; 0 and ids beyond the system's range would
// make kill() address process groups, so they are no process at all.
inline tvHandle HandleOf(pid_t Id) { return reinterpret_cast<tvHandle>(static_cast<std::intptr_t>(Id)); }
inline bool IsProcessId(tvULong Id) { return Id > 0 && Id <= 0x7FFFFFFFu; }

// The start settings that make the new process independent of the caller: no handles but the
// standard streams (none at all when detached), every signal at its default and unblocked, and
// for a detached process a session of its own, so the caller's terminal does not reach it.
class FSpawnSettings {
public:
    explicit FSpawnSettings(bool Detached)
    {
        posix_spawn_file_actions_init(&Actions);
        posix_spawnattr_init(&Attributes);
        if (Detached) {
            posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addclosefrom_np(&Actions, 3);
        sigset_t Signals;
        sigemptyset(&Signals);
        posix_spawnattr_setsigmask(&Attributes, &Signals);
        for (int Signal = 1; Signal < NSIG; ++Signal)
            if (Signal != SIGKILL && Signal != SIGSTOP)
                sigaddset(&Signals, Signal);
        posix_spawnattr_setsigdefault(&Attributes, &Signals);
        short Flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (Detached)
            Flags |= POSIX_SPAWN_SETSID;
        posix_spawnattr_setflags(&Attributes, Flags);
    }
    ~FSpawnSettings()
    {
        posix_spawnattr_destroy(&Attributes);
        posix_spawn_file_actions_destroy(&Actions);
    }
    FSpawnSettings(const FSpawnSettings&) = delete;
    FSpawnSettings& operator=(const FSpawnSettings&) = delete;

    posix_spawn_file_actions_t Actions;
    posix_spawnattr_t Attributes;
};

// Where a bare program name (no folder) is found: the caller's own executable folder, then the
// current folder, as Windows looks there first, then PATH. Out receives a path to run, or stays
// empty for a search of PATH.
void FindBareProgram(const char* Name, char* Out, std::size_t Capacity)
{
    Out[0] = 0;
    char Folder[4096];
    const ssize_t Length = readlink("/proc/self/exe", Folder, sizeof(Folder) - 1);
    char* Slash = nullptr;
    if (Length > 0) {
        Folder[Length] = 0;
        Slash = std::strrchr(Folder, '/');
    }
    const char* Candidates[2] = {Slash ? Folder : nullptr, "."};
    if (Slash)
        *Slash = 0;
    for (const char* Candidate : Candidates) {
        if (!Candidate)
            continue;
        const int Written = std::snprintf(Out, Capacity, "%s/%s", Candidate, Name);
        struct stat Info;
        if (Written > 0 && static_cast<std::size_t>(Written) < Capacity && stat(Out, &Info) == 0 && S_ISREG(Info.st_mode) &&
            access(Out, X_OK) == 0)
            return;
    }
    Out[0] = 0;
}

// Collects one finished child that nobody else waits for.
void* CollectChild(void* Context)
{
    const pid_t Id = static_cast<pid_t>(reinterpret_cast<std::intptr_t>(Context));
    int Status = 0;
    while (waitpid(Id, &Status, 0) < 0 && errno == EINTR) {}
    return nullptr;
}

void CollectWhenEnded(pid_t Id)
{
    pthread_attr_t Attributes;
    pthread_attr_init(&Attributes);
    pthread_attr_setdetachstate(&Attributes, PTHREAD_CREATE_DETACHED);
    pthread_t Thread;
    // Without a collecting thread the child only stays listed as finished until the caller ends.
    pthread_create(&Thread, &Attributes, CollectChild, reinterpret_cast<void*>(static_cast<std::intptr_t>(Id)));
    pthread_attr_destroy(&Attributes);
}

} // namespace

tvHandle ProcessStart(const FProcessStart& Start)
{
    if (!Start.CommandLine)
        return nullptr;
    FCommandLineArguments Arguments(Start.CommandLine);
    if (!Arguments.Ok())
        return nullptr;
    char** Argv = Arguments.Argv();

    const FSystemPath Application(Start.Application ? Start.Application : TVTEXT(""));
    char Found[4096];
    const char* Program;
    bool SearchPath = false;
    char* OnlyName[2] = {nullptr, nullptr};
    if (Start.Application) {
        if (!Application.Ok() || !*Application.Get())
            return nullptr;
        Program = Application.Get();
        if (Arguments.Count() == 0) {
            // An empty command line still gives the program its name as argument zero.
            OnlyName[0] = const_cast<char*>(Program);
            Argv = OnlyName;
        }
    } else {
        if (Arguments.Count() == 0 || !*Argv[0])
            return nullptr;
        for (char* C = Argv[0]; *C; ++C)
            if (*C == '\\')
                *C = '/';
        Program = Argv[0];
        if (!std::strchr(Program, '/')) {
            FindBareProgram(Program, Found, sizeof(Found));
            if (Found[0])
                Program = Found;
            else
                SearchPath = true;
        }
    }

    const FSpawnSettings Settings(Start.Detached);
    pid_t Id = 0;
    const int Failed = SearchPath ? posix_spawnp(&Id, Program, &Settings.Actions, &Settings.Attributes, Argv, environ)
                                  : posix_spawn(&Id, Program, &Settings.Actions, &Settings.Attributes, Argv, environ);
    if (Failed) {
        errno = Failed;
        return nullptr;
    }
    if (Start.Unwatched)
        CollectWhenEnded(Id);
    return HandleOf(Id);
}

tvULong ProcessIdOf(tvHandle Process)
{
    const std::intptr_t Id = reinterpret_cast<std::intptr_t>(Process);
    return Id > 0 && Id <= 0x7FFFFFFF ? static_cast<tvULong>(Id) : 0;
}

tvHandle ProcessOpenForWait(tvULong ProcessId)
{
    if (!IsProcessId(ProcessId))
        return nullptr;
    const pid_t Id = static_cast<pid_t>(ProcessId);
    // EPERM: the process exists but belongs to someone else; it can still be waited for.
    if (kill(Id, 0) == 0 || errno == EPERM)
        return HandleOf(Id);
    return nullptr;
}

bool ProcessKill(tvULong ProcessId)
{
    return IsProcessId(ProcessId) && kill(static_cast<pid_t>(ProcessId), SIGKILL) == 0;
}

int LastSystemError() { return errno; }

} // namespace Platform
} // namespace Tolvane
