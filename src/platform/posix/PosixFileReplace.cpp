// Replacing a file on POSIX: fsync of the temporary file, rename over the target (atomic within
// one file system), then fsync of the folder so the new name survives a crash too.
#include "base/tvPrelude.h"

#include "platform/tvPlatformFileReplace.h"
#include "platform/tvPlatformText.h"
#include "base/tvFaultInjection.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {

// Whether a test made this use of Call fail; errno then holds the reason.
bool Injected(Faults::ESystemCall Call)
{
    int Error = 0;
    if (Faults::Check(Call, Error) == Faults::EOutcome::Proceed)
        return false;
    errno = Error;
    return true;
}

int OpenRetrying(const char* Path, int Flags)
{
    int Fd;
    do
        Fd = open(Path, Flags | O_CLOEXEC);
    while (Fd < 0 && errno == EINTR);
    return Fd;
}

bool SyncPath(const char* Path, int Flags)
{
    const int Fd = OpenRetrying(Path, Flags);
    if (Fd < 0)
        return false;
    const bool Ok = !Injected(Faults::ESystemCall::Sync) && fsync(Fd) == 0;
    return close(Fd) == 0 && Ok;
}

} // namespace

bool FileReplace(const tvWChar* Temporary, const tvWChar* Target)
{
    const FSystemPath From(Temporary);
    const FSystemPath To(Target);
    if (!From.Ok() || !To.Ok())
        return false;
    if (!SyncPath(From.Get(), O_RDONLY))
        return false;
    if (Injected(Faults::ESystemCall::Rename) || rename(From.Get(), To.Get()) != 0)
        return false;
    // The folder's entry: without this a crash right after the rename may bring back the old
    // name. The replacement itself has happened, so a folder that cannot be synchronised
    // (some file systems refuse) is no failure.
    char Folder[4096];
    std::snprintf(Folder, sizeof(Folder), "%s", To.Get());
    char* Slash = std::strrchr(Folder, '/');
    if (!Slash)
        std::snprintf(Folder, sizeof(Folder), ".");
    else if (Slash == Folder)
        Folder[1] = 0;
    else
        *Slash = 0;
    SyncPath(Folder, O_RDONLY | O_DIRECTORY);
    return true;
}

} // namespace Platform
} // namespace Tolvane
