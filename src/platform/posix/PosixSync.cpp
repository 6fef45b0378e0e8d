// Locks on POSIX: the library-wide lock, critical sections and named cross-process locks.
#include "base/tvPrelude.h"
#include "platform/tvPlatformSync.h"
#include "platform/tvPlatformText.h"
#include "base/tvBaseAlloc.h"
#include "base/tvUnicode.h"
#include "base/tvSystemObjectName.h"

#include <pthread.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

// ----------------------------------------------------------------------------------------------
// The library-wide critical section on POSIX: one recursive pthread mutex. It is statically
// initialised, so it is usable even before the default allocator's constructor runs.

namespace {
pthread_mutex_t GLibraryMutex = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
}

void LibraryLockInit()
{
    // The static initialiser already made the mutex recursive and ready; re-initialising a
    // mutex that another static initialiser may hold would break it.
}

void LibraryLockEnter() { pthread_mutex_lock(&GLibraryMutex); }
void LibraryLockLeave() { pthread_mutex_unlock(&GLibraryMutex); }

void LibraryLockUninit()
{
    // Left usable: destructors of other libraries and of the host may still log after ours
    // ran, and a destroyed mutex would turn that into undefined behaviour.
}

// ----------------------------------------------------------------------------------------------
// Critical sections on POSIX: a recursive pthread mutex placed in the caller's storage.

namespace {
static_assert(sizeof(pthread_mutex_t) <= GSectionStorageBytes, "a mutex fits a section");
static_assert(alignof(pthread_mutex_t) <= GSectionStorageAlign, "a section is aligned for a mutex");

inline pthread_mutex_t* MutexOf(void* Storage)
{
    return static_cast<pthread_mutex_t*>(Storage);
}
} // namespace

void SectionInit(void* Storage)
{
    pthread_mutexattr_t Attributes;
    pthread_mutexattr_init(&Attributes);
    pthread_mutexattr_settype(&Attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(new (Storage) pthread_mutex_t, &Attributes);
    pthread_mutexattr_destroy(&Attributes);
}

void SectionEnter(void* Storage) { pthread_mutex_lock(MutexOf(Storage)); }
void SectionLeave(void* Storage) { pthread_mutex_unlock(MutexOf(Storage)); }
void SectionDelete(void* Storage) { pthread_mutex_destroy(MutexOf(Storage)); }

// ----------------------------------------------------------------------------------------------
// Named cross-process locks on POSIX.
//
// The lock between processes is a flock on a lock file named after the lock: the system ties
// it to the open file description and drops it when the holding process ends, however it
// ends, so a crashed holder never leaves the lock taken. (A named semaphore would stay taken;
// a classic fcntl lock would vanish when any other descriptor of the file is closed.)
//
// Inside one process every open of one name shares one record: a robust recursive mutex
// orders the process's own threads, and the thread that gets it takes the file lock on the
// record's one descriptor. This gives a named mutex's behaviour: recursive for its holder,
// exclusive between threads and processes, and taken over by the next waiter when its holder
// thread ends without releasing it.
//
// Lock files live in /dev/shm (memory, emptied at boot), or in /tmp where there is no
// writable /dev/shm. They are never deleted: deleting a lock file that another process may be
// opening would let two holders lock two different files.

namespace {

struct FNamedLock {
    FNamedLock* Next = nullptr;  // registry list, under GRegistryMutex
    int Opens = 0;               // under GRegistryMutex
    int File = -1;
    pthread_mutex_t Mutex;       // robust and recursive: the threads of this process
    int Depth = 0;               // levels held by the owning thread, under Mutex
    bool FileLocked = false;     // the flock is held, under Mutex
    std::atomic<std::uint64_t> Owner{0};  // serial of the holding thread, 0 when free
    char Path[256];
};

pthread_mutex_t GRegistryMutex = PTHREAD_MUTEX_INITIALIZER;
FNamedLock* GRegistry = nullptr;

// A number for the calling thread that is never reused, unlike kernel thread ids.
std::uint64_t ThreadSerial()
{
    static std::atomic<std::uint64_t> NextSerial{1};
    static thread_local const std::uint64_t Mine = NextSerial.fetch_add(1, std::memory_order_relaxed);
    return Mine;
}

const char* LockDirectory()
{
    static const char* const Directory = [] {
        struct stat Info;
        if (stat("/dev/shm", &Info) == 0 && S_ISDIR(Info.st_mode) && access("/dev/shm", W_OK | X_OK) == 0)
            return "/dev/shm";
        return "/tmp";
    }();
    return Directory;
}

// Opens (creating it when missing) the lock file. A file that the caller may not write (made
// by another user) is opened for reading, which is all flock needs. Links are not followed
// and anything but a regular file is refused, so a planted link or pipe cannot redirect or
// block the open.
int OpenLockFile(const char* Path)
{
    const int Flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int File = open(Path, O_RDWR | O_CREAT | Flags, 0666);
    if (File < 0 && (errno == EACCES || errno == EROFS))
        File = open(Path, O_RDONLY | Flags);
    if (File < 0)
        return -1;
    struct stat Info;
    if (fstat(File, &Info) != 0 || !S_ISREG(Info.st_mode)) {
        close(File);
        return -1;
    }
    return File;
}

FNamedLock* CreateRecord(const char* Path)
{
    FNamedLock* Record = BaseAlloc::New<FNamedLock>();
    if (!Record)
        return nullptr;
    Record->File = OpenLockFile(Path);
    if (Record->File < 0) {
        BaseAlloc::Delete(Record);
        return nullptr;
    }
    pthread_mutexattr_t Attributes;
    pthread_mutexattr_init(&Attributes);
    pthread_mutexattr_settype(&Attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setrobust(&Attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&Record->Mutex, &Attributes);
    pthread_mutexattr_destroy(&Attributes);
    std::memcpy(Record->Path, Path, std::strlen(Path) + 1);
    return Record;
}

} // namespace

tvHandle NamedLockOpen(const tvWChar* Name)
{
    if (!Name)
        return nullptr;
    const FSystemObjectName FileName(Name);
    char Path[sizeof(FNamedLock::Path)];
    std::snprintf(Path, sizeof(Path), "%s/tvCoreLock.%s", LockDirectory(), FileName.Get());

    pthread_mutex_lock(&GRegistryMutex);
    FNamedLock* Record = GRegistry;
    while (Record && std::strcmp(Record->Path, Path) != 0)
        Record = Record->Next;
    if (!Record && (Record = CreateRecord(Path)) != nullptr) {
        Record->Next = GRegistry;
        GRegistry = Record;
    }
    if (Record)
        ++Record->Opens;
    pthread_mutex_unlock(&GRegistryMutex);
    return Record;
}

void NamedLockAcquire(tvHandle Lock)
{
    FNamedLock* Record = static_cast<FNamedLock*>(Lock);
    if (!Record)
        return;
    const int Result = pthread_mutex_lock(&Record->Mutex);
    if (Result == EOWNERDEAD) {
        // The holder thread ended without releasing: take over its hold, file lock included.
        pthread_mutex_consistent(&Record->Mutex);
        Record->Depth = 0;
    } else if (Result != 0) {
        return;
    }
    if (!Record->FileLocked) {
        int Locked;
        do
            Locked = flock(Record->File, LOCK_EX);
        while (Locked != 0 && errno == EINTR);
        Record->FileLocked = Locked == 0;
    }
    ++Record->Depth;
    Record->Owner.store(ThreadSerial(), std::memory_order_relaxed);
}

void NamedLockRelease(tvHandle Lock)
{
    FNamedLock* Record = static_cast<FNamedLock*>(Lock);
    // Only the holder ever stores its own serial, so another thread never reads it here.
    if (!Record || Record->Owner.load(std::memory_order_relaxed) != ThreadSerial())
        return;
    if (--Record->Depth == 0) {
        if (Record->FileLocked)
            flock(Record->File, LOCK_UN);
        Record->FileLocked = false;
        Record->Owner.store(0, std::memory_order_relaxed);
    }
    pthread_mutex_unlock(&Record->Mutex);
}

void NamedLockClose(tvHandle Lock)
{
    FNamedLock* Record = static_cast<FNamedLock*>(Lock);
    if (!Record)
        return;
    pthread_mutex_lock(&GRegistryMutex);
    const bool Last = --Record->Opens == 0;
    if (Last) {
        FNamedLock** Link = &GRegistry;
        while (*Link != Record)
            Link = &(*Link)->Next;
        *Link = Record->Next;
    }
    pthread_mutex_unlock(&GRegistryMutex);
    if (!Last)
        return;
    // Closing the last open while holding it releases it, as closing a mutex's last handle does.
    while (Record->Owner.load(std::memory_order_relaxed) == ThreadSerial())
        NamedLockRelease(Record);
    close(Record->File);
    pthread_mutex_destroy(&Record->Mutex);
    BaseAlloc::Delete(Record);
}

} // namespace Platform
} // namespace Tolvane
