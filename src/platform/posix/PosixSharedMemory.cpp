// Named shared memory on POSIX: shm_open, ftruncate, mmap.
//
// A POSIX shared-memory object outlives its users, where a named mapping ends with its last
// handle. Every user therefore holds a shared flock on the object for as long as it has it open;
// the system drops that lock when the user closes it or dies. An opener that can take the lock
// exclusively is alone with the object: whatever is there is left over (or new), so it is cut to
// zero and sized afresh. A user that finds itself alone when it closes removes the name. The
// whole open and close run under a second lock, an flock on a file of the block's own, so two
// processes never create or remove one block at once.
#include "base/tvPrelude.h"
#include "platform/tvPlatformSharedMemory.h"
#include "platform/tvPlatformError.h"
#include "base/tvBaseAlloc.h"
#include "platform/posix/PosixFaults.h"
#include "base/tvSystemObjectName.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {

struct FBlock {
    int Object = -1;          // the shared-memory object, holding a shared flock
    char Name[240];           // its shm_open name
    char GuardPath[280];      // the file whose flock orders opens and closes of this name
};

// Holds the open/close guard of one name for a scope.
class FGuard {
public:
    explicit FGuard(const char* Path)
        : File(open(Path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666))
    {
        if (File >= 0)
            while (flock(File, LOCK_EX) != 0 && errno == EINTR) {}
    }
    ~FGuard()
    {
        if (File >= 0)
            close(File);  // releases the flock
    }
    bool Ok() const { return File >= 0; }

private:
    int File;
};

} // namespace

tvHandle SharedMemoryOpen(const tvWChar* Name, std::uint32_t Size, FSharedMemoryView& View)
{
    View = FSharedMemoryView{};
    if (!Name || Size == 0) {
        SetLastError(EINVAL);
        return nullptr;
    }
    FBlock* Block = BaseAlloc::New<FBlock>();
    if (!Block) {
        SetLastError(ENOMEM);
        return nullptr;
    }
    const FSystemObjectName Encoded(Name);
    std::snprintf(Block->Name, sizeof(Block->Name), "/tvCoreMap.%s", Encoded.Get());
    std::snprintf(Block->GuardPath, sizeof(Block->GuardPath), "/dev/shm/tvCoreMapGuard.%s", Encoded.Get());

    const FGuard Guard(Block->GuardPath);
    int Object = -1;
    bool Ok = Guard.Ok() && !Injected(Faults::ESystemCall::MapMemory) &&
              (Object = shm_open(Block->Name, O_RDWR | O_CREAT | O_CLOEXEC, 0666)) >= 0;
    if (Ok) {
        Block->Object = Object;
        struct stat Info;
        if (flock(Object, LOCK_EX | LOCK_NB) == 0) {
            // Alone with it: new, or left over by users that have all gone. Start afresh.
            Ok = ftruncate(Object, 0) == 0 && ftruncate(Object, static_cast<off_t>(Size)) == 0 &&
                 flock(Object, LOCK_SH) == 0;
            View.Size = Size;
        } else {
            Ok = flock(Object, LOCK_SH) == 0 && fstat(Object, &Info) == 0 && Info.st_size > 0 &&
                 static_cast<std::uint64_t>(Info.st_size) <= 0xFFFFFFFFu;
            View.Size = Ok ? static_cast<std::uint32_t>(Info.st_size) : 0;
        }
        void* Data = Ok ? mmap(nullptr, View.Size, PROT_READ | PROT_WRITE, MAP_SHARED, Object, 0) : MAP_FAILED;
        Ok = Data != MAP_FAILED;
        View.Data = Ok ? Data : nullptr;
    }
    if (!Ok) {
        RecordSystemError();
        if (Block->Object >= 0)
            close(Block->Object);
        BaseAlloc::Delete(Block);
        View = FSharedMemoryView{};
        return nullptr;
    }
    return Block;
}

void SharedMemoryFlush(tvHandle, const FSharedMemoryView& View)
{
    if (View.Data)
        msync(View.Data, View.Size, MS_SYNC);
}

void SharedMemoryClose(tvHandle Handle, FSharedMemoryView& View)
{
    FBlock* Block = static_cast<FBlock*>(Handle);
    if (View.Data)
        munmap(View.Data, View.Size);
    View = FSharedMemoryView{};
    if (!Block)
        return;
    {
        const FGuard Guard(Block->GuardPath);
        // The last user removes the name, as the last handle of a named mapping ends it.
        if (Guard.Ok() && flock(Block->Object, LOCK_EX | LOCK_NB) == 0)
            shm_unlink(Block->Name);
        close(Block->Object);
    }
    BaseAlloc::Delete(Block);
}

} // namespace Platform
} // namespace Tolvane
