// Whole-file replacement on POSIX: fsync of the new file, rename over the old name, fsync of
// the directory that holds the name.
#include "base/tvPrelude.h"

#include "platform/tvPlatformFileReplace.h"
#include "platform/posix/PosixFaults.h"
#include "platform/tvPlatformText.h"
#include "platform/tvPlatformError.h"
#include "base/tvPathLimits.h"

#include <cerrno>
#include <cstring>
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

// fsync of an open path (a file, or a directory opened read-only).
bool SyncSystemPath(const char* Path, int Flags)
{
    if (Injected(Faults::ESystemCall::Sync))
        return false;
    const int Fd = OpenRetrying(Path, Flags);
    if (Fd < 0) {
        RecordSystemError();
        return false;
    }
    const bool Synced = fsync(Fd) == 0 || (RecordSystemError(), false);
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

bool FileSync(const tvWChar* Path)
{
    const FSystemPath SystemPath(Path);
    if (!SystemPath.Ok()) {
        SetLastError(ENAMETOOLONG);
        return false;
    }
    return SyncSystemPath(SystemPath.Get(), O_RDONLY);
}

bool FileReplace(const tvWChar* From, const tvWChar* To)
{
    const FSystemPath Source(From);
    const FSystemPath Target(To);
    if (!Source.Ok() || !Target.Ok()) {
        SetLastError(ENAMETOOLONG);
        return false;
    }
    if (!SyncSystemPath(Source.Get(), O_RDONLY))
        return false;
    if (Injected(Faults::ESystemCall::Rename))
        return false;
    if (rename(Source.Get(), Target.Get()) != 0) {
        RecordSystemError();
        return false;
    }
    char Directory[GSystemPathBytes];
    return DirectoryOf(Target.Get(), Directory, sizeof(Directory)) &&
           SyncSystemPath(Directory, O_RDONLY | O_DIRECTORY);
}

} // namespace Platform
} // namespace Tolvane
