// Replacing a file as a whole on POSIX: fsync of the new file, rename over the old one (atomic
// within one file system), then fsync of the folder so the new name survives a crash.
#include "base/tvPrelude.h"
#include "platform/tvPlatformFileReplace.h"
#include "platform/tvPlatformError.h"
#include "platform/tvPlatformText.h"
#include "base/tvFaultInjection.h"
#include "base/tvPathLimits.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

bool SyncPath(const char* Path, int Flags)
{
    const int Fd = Injected(Faults::ESystemCall::Open) ? -1 : open(Path, Flags | O_CLOEXEC);
    if (Fd < 0) {
        RecordSystemError();
        return false;
    }
    int Result = -1;
    if (!Injected(Faults::ESystemCall::Sync)) {
        do
            Result = fsync(Fd);
        while (Result != 0 && errno == EINTR);
    }
    // Some file systems cannot sync a folder; the rename has happened all the same.
    const bool Ok = Result == 0 || errno == EINVAL || errno == EROFS;
    if (!Ok)
        RecordSystemError();
    close(Fd);
    return Ok;
}

// The folder part of a system path ("." for a bare name) into Out.
void FolderOf(const char* Path, char* Out, std::size_t Capacity)
{
    const char* Slash = std::strrchr(Path, '/');
    if (!Slash) {
        std::snprintf(Out, Capacity, ".");
        return;
    }
    const std::size_t Length = Slash == Path ? 1 : static_cast<std::size_t>(Slash - Path);
    std::snprintf(Out, Capacity, "%.*s", static_cast<int>(Length), Path);
}
} // namespace

bool FileReplace(const tvWChar* From, const tvWChar* To)
{
    const FSystemPath Source(From);
    const FSystemPath Target(To);
    if (!Source.Ok() || !Target.Ok()) {
        SetLastError(ENAMETOOLONG);
        return false;
    }
    struct stat Info;
    if (lstat(Source.Get(), &Info) != 0) {
        RecordSystemError();
        return false;
    }
    if (!S_ISREG(Info.st_mode)) {
        SetLastError(EINVAL);
        return false;
    }
    if (stat(Target.Get(), &Info) == 0 && S_ISDIR(Info.st_mode)) {
        SetLastError(EISDIR);
        return false;
    }
    if (!SyncPath(Source.Get(), O_RDONLY))
        return false;
    if (Injected(Faults::ESystemCall::Rename) || rename(Source.Get(), Target.Get()) != 0) {
        RecordSystemError();
        return false;
    }
    char Folder[GSystemPathBytes];
    FolderOf(Target.Get(), Folder, sizeof(Folder));
    SyncPath(Folder, O_RDONLY | O_DIRECTORY);
    return true;
}

} // namespace Platform
} // namespace Tolvane
