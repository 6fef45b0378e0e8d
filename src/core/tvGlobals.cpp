// The exported globals, the static default allocator and the library-wide critical section.
#include "tvCore/core/tvGlobals.h"
#include "platform/tvPlatform.h"

namespace Tolvane {

// Constructed before every other static object of the library (and destroyed after them):
// its constructor readies the library-wide critical section that other initialisers may use.
TVCORE_LOCAL FMallocAnsi GMallocAnsi __attribute__((init_priority(101)));

// GMalloc is constant-initialised, so it points at GMallocAnsi from the moment of loading.
FMalloc* GMalloc = &GMallocAnsi;
FLog* GLog = nullptr;
FFileManager* GFileManager = nullptr;
FAppTime* GAppTime = nullptr;
FMemMapPool* GMemMapPool = nullptr;
tvULong GRenderThreadId = 0xFFFFFFFFu;
int GIsEditor = 0;

void appInitCriticalSection() { Platform::LibraryLockInit(); }
void appEnterCriticalSection() { Platform::LibraryLockEnter(); }
void appLeaveCriticalSection() { Platform::LibraryLockLeave(); }
void appUninitCriticalSection() { Platform::LibraryLockUninit(); }

} // namespace Tolvane
