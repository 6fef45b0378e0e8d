// The exported globals, the static default allocator and the library-wide critical section.
#include "base/tvPrelude.h"
#include "tvCore/core/tvGlobals.h"
#include "platform/tvPlatformSync.h"
#include "base/tvBaseAlloc.h"

namespace Tolvane {

// Constructed before every other static object of the library (and destroyed after them):
// its constructor readies the library-wide critical section that other initialisers may use.
TVCORE_LOCAL FMallocAnsi GMallocAnsi TVCORE_INIT_PRIORITY(101);

// GMalloc is constant-initialised, so it points at GMallocAnsi from the moment of loading.
FMalloc* GMalloc = &GMallocAnsi;
FLog* GLog = nullptr;
FFileManager* GFileManager = nullptr;
FAppTime* GAppTime = nullptr;
FMemMapPool* GMemMapPool = nullptr;
tvULong GRenderThreadId = 0xFFFFFFFFu;
int GIsEditor = 0;

namespace {
// The layers below the allocator interface allocate from GMalloc as well, whichever allocator
// the host installs later.
void* AllocateFromGMalloc(std::size_t Bytes)
{
    return Bytes > 0xFFFFFFFFu ? nullptr : GMalloc->Malloc(static_cast<unsigned int>(Bytes));
}
void ReleaseToGMalloc(void* Block) { GMalloc->Free(Block); }
const bool GBaseAllocInstalled = (BaseAlloc::Install(&AllocateFromGMalloc, &ReleaseToGMalloc), true);
} // namespace

void appInitCriticalSection() { Platform::LibraryLockInit(); }
void appEnterCriticalSection() { Platform::LibraryLockEnter(); }
void appLeaveCriticalSection() { Platform::LibraryLockLeave(); }
void appUninitCriticalSection() { Platform::LibraryLockUninit(); }

} // namespace Tolvane
