// The library-wide critical section on POSIX: one recursive pthread mutex. It is statically
// initialised, so it is usable even before the default allocator's constructor runs.
#include "platform/tvPlatform.h"

#include <pthread.h>

namespace Tolvane {
namespace Platform {

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

} // namespace Platform
} // namespace Tolvane
