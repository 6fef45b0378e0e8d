// Whole-file replacement on POSIX: fsync of the new file, rename over the old name, fsync of
// the directory that holds the name.
#include "base/tvPrelude.h"

#include "platform/tvPlatformFileReplace.h"
#include "base/tvFaultInjection.h"
#include "platform/tvPlatformText.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {

int OpenRetrying(const char* Path, int Flags)
{
    for (;;) {
        const int Fd = open(Path, Flags | O_CLOEXEC);
        if (Fd >= 0 || errno != EINTR)
            return Fd;
    }
}

// Whether a test made this use of Call fail (or end the process there).
bool Refused(Faults::ESystemCall Call)
{
    int Error = 0;
    return Faults::Check(Call, Error) != Faults::EOutcome::Proceed;
}

// fsync of an open path (a file, or a directory opened read-only).
bool SyncSystemPath(const char* Path, int Flags)
{
    if (Refused(Faults::ESystemCall::Sync))
        return false;
    const int Fd = OpenRetrying(Path, Flags);
    if (Fd < 0)
        return false;
    const bool Synced = fsync(Fd) == 0;
    return (close(Fd) == 0) && Synced;
}

// The directory part of a system path ("." when it has none); false when it does not fit.
bool DirectoryOf(const char* Path, char* Out, std::size_t Capacity)
{
    const char* Slash = std::strrchr(Path, '/');
    if (!Slash) {
        if (Capacity < 2)
            return false;
        std::memcpy(Out, ".", 2);
        return true;
    }
    const std::size_t Length = (Slash == Path) ? 1 : static_cast<std::size_t>(Slash - Path);
    if (Length + 1 > Capacity)
        return false;
    std::memcpy(Out, Path, Length);
    Out[Length] = '\0';
    return true;
}

} // namespace

bool FileReplace(const tvWChar* From, const tvWChar* To)
{
    const FSystemPath Source(From);
    const FSystemPath Target(To);
    if (!Source.Ok() || !Target.Ok())
        return false;
    if (!SyncSystemPath(Source.Get(), O_RDONLY))
        return false;
    if (Refused(Faults::ESystemCall::Rename) || rename(Source.Get(), Target.Get()) != 0)
        return false;
    char Directory[4096];
    return DirectoryOf(Target.Get(), Directory, sizeof(Directory)) &&
           SyncSystemPath(Directory, O_RDONLY | O_DIRECTORY);
}

} // namespace Platform
} // namespace Tolvane
