// Processes on POSIX: starting, listing through /proc, opening for waiting and ending them.
#include "base/tvPrelude.h"
#include "platform/tvPlatformProcess.h"
#include "platform/posix/PosixCommandLine.h"
#include "platform/tvPlatformText.h"
#include "platform/tvPlatformError.h"
#include "base/tvBaseAlloc.h"
#include "base/tvUnicode.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <dirent.h>

namespace Tolvane {
namespace Platform {

// ----------------------------------------------------------------------------------------------
// Starting and ending processes on POSIX.
//
// A process handle is the process id itself (as a pointer-sized value): the interface offers
// no operation that closes a handle, so a descriptor-based handle (a pidfd) would leak with
// every call. A started process is the caller's child. When the caller has its handle, the
// caller collects it (waitpid), as POSIX parents do; a process started without a handle for
// the caller is collected by a small thread of the layer when it ends.

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
    char Folder[GSystemPathBytes];
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
    char Found[GSystemPathBytes];
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
        SetLastError(Failed);
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
    if (!IsProcessId(ProcessId)) {
        SetLastError(ESRCH);
        return nullptr;
    }
    const pid_t Id = static_cast<pid_t>(ProcessId);
    // EPERM: the process exists but belongs to someone else; it can still be waited for.
    if (kill(Id, 0) == 0 || errno == EPERM)
        return HandleOf(Id);
    RecordSystemError();
    return nullptr;
}

bool ProcessKill(tvULong ProcessId)
{
    if (!IsProcessId(ProcessId)) {
        SetLastError(ESRCH);
        return false;
    }
    if (kill(static_cast<pid_t>(ProcessId), SIGKILL) == 0)
        return true;
    RecordSystemError();
    return false;
}


// ----------------------------------------------------------------------------------------------
// The system's process list on POSIX: the numbered folders of /proc.
//
// A process's executable name is the file name of its /proc/<id>/exe link (the program file
// it runs, links resolved). Where that link may not be read (another user's processes, kernel
// threads) the name is the process's command name from /proc/<id>/comm, which the system cuts
// to 15 bytes.

namespace {

constexpr std::size_t GExeNameUnits = 260;

bool ParseId(const char* Text, tvULong& Id)
{
    if (!*Text)
        return false;
    std::uint64_t Value = 0;
    for (; *Text; ++Text) {
        if (*Text < '0' || *Text > '9')
            return false;
        Value = Value * 10 + static_cast<unsigned>(*Text - '0');
        if (Value > 0x7FFFFFFFu)
            return false;
    }
    Id = static_cast<tvULong>(Value);
    return true;
}

// Whether the process still runs: one that has ended and waits to be collected by its parent
// (state Z or X in /proc/<id>/stat, after the command name's closing parenthesis) does not.
bool IsRunning(const char* Folder)
{
    char Path[64];
    std::snprintf(Path, sizeof(Path), "/proc/%s/stat", Folder);
    const int File = open(Path, O_RDONLY | O_CLOEXEC);
    if (File < 0)
        return false;
    char Stat[512];
    const ssize_t Read = read(File, Stat, sizeof(Stat) - 1);
    close(File);
    if (Read <= 0)
        return false;
    Stat[Read] = 0;
    const char* Close = std::strrchr(Stat, ')');
    if (!Close || Close[1] != ' ')
        return false;
    return Close[2] != 'Z' && Close[2] != 'X';
}

// The executable's file name, UTF-8, into Out; false when the process is gone.
bool ReadExeName(const char* Folder, char* Out, std::size_t Capacity)
{
    char Path[64];
    std::snprintf(Path, sizeof(Path), "/proc/%s/exe", Folder);
    char Target[GSystemPathBytes];
    const ssize_t Length = readlink(Path, Target, sizeof(Target) - 1);
    if (Length > 0) {
        Target[Length] = 0;
        static const char Deleted[] = " (deleted)";  // the program file was replaced or removed
        const std::size_t N = static_cast<std::size_t>(Length);
        if (N > sizeof(Deleted) - 1 && std::strcmp(Target + N - (sizeof(Deleted) - 1), Deleted) == 0)
            Target[N - (sizeof(Deleted) - 1)] = 0;
        const char* Slash = std::strrchr(Target, '/');
        std::snprintf(Out, Capacity, "%s", Slash ? Slash + 1 : Target);
        return true;
    }
    std::snprintf(Path, sizeof(Path), "/proc/%s/comm", Folder);
    const int File = open(Path, O_RDONLY | O_CLOEXEC);
    if (File < 0)
        return false;
    const ssize_t Read = read(File, Out, Capacity - 1);
    close(File);
    if (Read <= 0)
        return false;
    std::size_t N = static_cast<std::size_t>(Read);
    if (Out[N - 1] == '\n')
        --N;
    Out[N] = 0;
    return true;
}

} // namespace

bool ProcessVisit(FProcessVisitor Visitor, void* Context)
{
    DIR* Folder = opendir("/proc");
    if (!Folder)
        return false;
    char Narrow[GExeNameUnits * 3];
    tvWChar Name[GExeNameUnits];
    while (const dirent* Entry = readdir(Folder)) {
        tvULong Id;
        if (!ParseId(Entry->d_name, Id) || !IsRunning(Entry->d_name) || !ReadExeName(Entry->d_name, Narrow, sizeof(Narrow)))
            continue;
        if (Unicode::Utf8ToUtf16(Narrow, -1, Name, GExeNameUnits) < 0)
            continue;
        if (!Visitor(Context, Name, Id))
            break;
    }
    closedir(Folder);
    return true;
}

// ----------------------------------------------------------------------------------------------
// Command-line splitting by the Windows runtime's rules (see PosixCommandLine.h).

namespace {

inline bool IsBlank(tvWChar C) { return C == u' ' || C == u'\t'; }

// Writes the arguments into Out, each followed by a terminator; returns their count. Out has
// room for twice the line's length plus two units, more than the worst case needs (every
// argument takes at least one unit of the line and adds one terminator).
int Split(const tvWChar* Line, tvWChar* Out)
{
    const tvWChar* P = Line;
    while (IsBlank(*P))
        ++P;
    if (!*P)
        return 0;

    // The program's name: quotes group, nothing escapes.
    bool Quoted = false;
    for (; *P && (Quoted || !IsBlank(*P)); ++P) {
        if (*P == u'"')
            Quoted = !Quoted;
        else
            *Out++ = *P;
    }
    *Out++ = 0;
    int Count = 1;

    for (;;) {
        while (IsBlank(*P))
            ++P;
        if (!*P)
            return Count;
        Quoted = false;
        while (*P && (Quoted || !IsBlank(*P))) {
            std::size_t Backslashes = 0;
            while (P[Backslashes] == u'\\')
                ++Backslashes;
            if (P[Backslashes] != u'"') {
                // Backslashes not before a quote are literal; so is any other character (the
                // loop's condition has already let it in: it is no blank outside quotes).
                for (std::size_t i = 0; i < Backslashes; ++i)
                    *Out++ = u'\\';
                if (Backslashes == 0)
                    *Out++ = *P++;
                P += Backslashes;
                continue;
            }
            for (std::size_t i = 0; i < Backslashes / 2; ++i)
                *Out++ = u'\\';
            P += Backslashes;  // now at the quote
            if (Backslashes % 2 == 1) {
                *Out++ = u'"';
                ++P;
            } else if (Quoted && P[1] == u'"') {
                *Out++ = u'"';
                P += 2;
            } else {
                Quoted = !Quoted;
                ++P;
            }
        }
        *Out++ = 0;
        ++Count;
    }
}

} // namespace

FCommandLineArguments::FCommandLineArguments(const tvWChar* CommandLine)
{
    if (!CommandLine)
        return;
    std::size_t Length = 0;
    while (CommandLine[Length])
        ++Length;
    // One block: the pointer vector, the split UTF-16 text, then its UTF-8 form.
    const std::size_t MaxArguments = Length + 1;
    const std::size_t WideUnits = 2 * Length + 2;
    const std::size_t NarrowBytes = 3 * Length + MaxArguments + 1;
    const std::size_t Bytes = (MaxArguments + 1) * sizeof(char*) + WideUnits * sizeof(tvWChar) + NarrowBytes;
    if (Bytes > 0x7FFFFFFFu)
        return;
    Block = BaseAlloc::Allocate(Bytes);
    if (!Block)
        return;
    char** Pointers = static_cast<char**>(Block);
    tvWChar* Wide = reinterpret_cast<tvWChar*>(Pointers + MaxArguments + 1);
    char* Narrow = reinterpret_cast<char*>(Wide + WideUnits);
    char* const NarrowEnd = Narrow + NarrowBytes;

    Arguments = Split(CommandLine, Wide);
    const tvWChar* Next = Wide;
    for (int i = 0; i < Arguments; ++i) {
        std::size_t Units = 0;
        while (Next[Units])
            ++Units;
        const int Written = Unicode::Utf16ToUtf8(Next, static_cast<int>(Units), Narrow, static_cast<std::size_t>(NarrowEnd - Narrow));
        if (Written < 0) {
            Arguments = 0;
            return;
        }
        Pointers[i] = Narrow;
        Narrow += Written + 1;
        Next += Units + 1;
    }
    Pointers[Arguments] = nullptr;
    Vector = Pointers;
}

FCommandLineArguments::~FCommandLineArguments()
{
    if (Block)
        BaseAlloc::Release(Block);
}

} // namespace Platform
} // namespace Tolvane
