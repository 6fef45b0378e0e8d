// Files by handle on POSIX: a descriptor carried in the handle (descriptor + 1, so descriptor 0
// is never mistaken for "no file").
#include "base/tvPrelude.h"
#include "platform/tvPlatformFileHandle.h"
#include "platform/tvPlatformText.h"
#include "base/tvUnicode.h"
#include "platform/posix/PosixFaults.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {
inline int DescriptorOf(tvHandle File) { return static_cast<int>(reinterpret_cast<std::intptr_t>(File)) - 1; }
inline tvHandle HandleOf(int Descriptor) { return reinterpret_cast<tvHandle>(static_cast<std::intptr_t>(Descriptor) + 1); }

} // namespace

tvHandle FileHandleOpenRead(const tvWChar* Path)
{
    const FSystemPath SystemPath(Path);
    if (!SystemPath.Ok() || Injected(Faults::ESystemCall::Open))
        return nullptr;
    const int Descriptor = open(SystemPath.Get(), O_RDONLY | O_CLOEXEC);
    if (Descriptor < 0)
        return nullptr;
    struct stat Info;
    if (fstat(Descriptor, &Info) != 0 || S_ISDIR(Info.st_mode)) {
        close(Descriptor);
        return nullptr;
    }
    return HandleOf(Descriptor);
}

tvHandle FileHandleCreateWrite(const tvWChar* Path, EFileShare)
{
    const FSystemPath SystemPath(Path);
    if (!SystemPath.Ok() || Injected(Faults::ESystemCall::Open))
        return nullptr;
    const int Descriptor = open(SystemPath.Get(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return Descriptor < 0 ? nullptr : HandleOf(Descriptor);
}

tvULong FileHandleRead(tvHandle File, void* Buffer, tvULong Bytes)
{
    if (!File || Injected(Faults::ESystemCall::Read))
        return 0;
    char* Out = static_cast<char*>(Buffer);
    tvULong Done = 0;
    while (Done < Bytes) {
        const ssize_t Got = read(DescriptorOf(File), Out + Done, Bytes - Done);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got <= 0)
            break;
        Done += static_cast<tvULong>(Got);
    }
    return Done;
}

bool FileHandleWrite(tvHandle File, const void* Buffer, tvULong Bytes)
{
    if (!File || Injected(Faults::ESystemCall::Write))
        return false;
    const char* In = static_cast<const char*>(Buffer);
    while (Bytes > 0) {
        const ssize_t Put = write(DescriptorOf(File), In, Bytes);
        if (Put < 0 && errno == EINTR)
            continue;
        if (Put <= 0)
            return false;
        In += Put;
        Bytes -= static_cast<tvULong>(Put);
    }
    return true;
}

bool FileHandleSeek(tvHandle File, std::uint64_t Offset)
{
    return File && Offset <= static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) &&
           lseek(DescriptorOf(File), static_cast<off_t>(Offset), SEEK_SET) >= 0;
}

std::int64_t FileHandleSize(tvHandle File)
{
    struct stat Info;
    if (!File || fstat(DescriptorOf(File), &Info) != 0)
        return -1;
    return static_cast<std::int64_t>(Info.st_size);
}

bool FileHandleFlush(tvHandle File)
{
    return File && !Injected(Faults::ESystemCall::Sync) && fsync(DescriptorOf(File)) == 0;
}

void FileHandleClose(tvHandle File)
{
    if (File)
        close(DescriptorOf(File));
}

tvHandle FileHandleCreateTemporary(const tvWChar* Target, tvWChar* TemporaryPath, int Capacity)
{
    const FSystemPath SystemPath(Target);
    if (!SystemPath.Ok() || !TemporaryPath || Capacity <= 0 || Injected(Faults::ESystemCall::Open))
        return nullptr;
    // An exclusive create under a fresh name: the file gets the permissions of any new file.
    static std::atomic<unsigned> GCounter{0};
    char Name[4096 + 48];
    int Descriptor = -1;
    for (int Attempt = 0; Attempt < 100 && Descriptor < 0; ++Attempt) {
        std::snprintf(Name, sizeof(Name), "%s.tv-%d-%u", SystemPath.Get(), int(getpid()), GCounter.fetch_add(1));
        Descriptor = open(Name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Descriptor < 0 && errno != EEXIST)
            return nullptr;
    }
    if (Descriptor < 0)
        return nullptr;
    if (Unicode::Utf8ToUtf16(Name, -1, TemporaryPath, std::size_t(Capacity)) < 0) {
        close(Descriptor);
        unlink(Name);
        return nullptr;
    }
    return HandleOf(Descriptor);
}

bool FileRemove(const tvWChar* Path)
{
    const FSystemPath SystemPath(Path);
    return SystemPath.Ok() && unlink(SystemPath.Get()) == 0;
}

} // namespace Platform
} // namespace Tolvane
