// The system's process list on POSIX: the numbered folders of /proc.
//
// A process's executable name is the file name of its /proc/<id>/exe link (the program file
// it runs, links resolved). Where that link may not be read (another user's processes, kernel
// threads) the name is the process's command name from /proc/<id>/comm, which the system cuts
// to 15 bytes.
#include "platform/tvPlatformProcess.h"
#include "platform/tvPlatformText.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

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
    char Target[4096];
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
        if (Utf8ToUtf16(Narrow, -1, Name, GExeNameUnits) < 0)
            continue;
        if (!Visitor(Context, Name, Id))
            break;
    }
    closedir(Folder);
    return true;
}

} // namespace Platform
} // namespace Tolvane
