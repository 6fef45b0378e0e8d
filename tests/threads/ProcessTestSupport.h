// Small helpers for tests that start the helper program as a second process: a temporary
// folder, fifos to hear from the helper, and waiting for a started child.
#pragma once

#include <tvCore/tvCore.h>

#include <filesystem>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include "support/WideText.h"

namespace ProcessTest {

inline WideText Utf16(const std::string& Ascii) { return WideText(Ascii.begin(), Ascii.end()); }

inline const char* HelperPath() { return TVCORE_TEST_HELPER; }

// A folder of its own for one test, removed with everything in it.
class FTempFolder {
public:
    FTempFolder()
    {
        char Template[] = "/tmp/tvCoreThreadsXXXXXX";
        Path = mkdtemp(Template) ? Template : "";
    }
    ~FTempFolder()
    {
        std::error_code Ignored;
        if (!Path.empty())
            std::filesystem::remove_all(Path, Ignored);
    }
    FTempFolder(const FTempFolder&) = delete;
    FTempFolder& operator=(const FTempFolder&) = delete;
    std::string operator/(const std::string& Name) const { return Path + "/" + Name; }
    std::string Path;
};

// A fifo in Folder; Read blocks until a writer has opened it, written and closed it.
inline std::string MakeFifo(const FTempFolder& Folder, const std::string& Name)
{
    const std::string Path = Folder / Name;
    return mkfifo(Path.c_str(), 0600) == 0 ? Path : std::string();
}

inline std::string ReadFifo(const std::string& Path)
{
    const int File = open(Path.c_str(), O_RDONLY);
    if (File < 0)
        return "<no fifo>";
    std::string Text;
    char Buffer[512];
    ssize_t Read;
    while ((Read = read(File, Buffer, sizeof(Buffer))) > 0)
        Text.append(Buffer, static_cast<std::size_t>(Read));
    close(File);
    return Text;
}

// A process handle from CProcessMgr stands for the child's process id on POSIX.
inline pid_t PidOf(void* Process) { return static_cast<pid_t>(reinterpret_cast<std::intptr_t>(Process)); }

// Waits for the child to end and collects it: its exit code, or 128 + the signal that ended it.
inline int WaitForExit(void* Process)
{
    int Status = 0;
    if (waitpid(PidOf(Process), &Status, 0) != PidOf(Process))
        return -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
}

// Waits until the child has ended without collecting it: it stays listed as finished.
inline bool WaitUntilEnded(void* Process)
{
    siginfo_t Info{};
    return waitid(P_PID, static_cast<id_t>(PidOf(Process)), &Info, WEXITED | WNOWAIT) == 0;
}

} // namespace ProcessTest
