// Locks on Windows: the library-wide lock and critical sections are CRITICAL_SECTIONs (recursive
// by nature); named cross-process locks are named mutexes.
#include "base/tvPrelude.h"
#include "platform/tvPlatformSync.h"
#include "platform/win32/Win32Api.h"

#include <new>

namespace Tolvane {
namespace Platform {

// ----------------------------------------------------------------------------------------------
// The library-wide lock: a critical section set up on first use through a one-time
// initialisation, so that it works before any static constructor of the library has run.

namespace {
INIT_ONCE GLibraryOnce = INIT_ONCE_STATIC_INIT;
CRITICAL_SECTION GLibrarySection;

BOOL CALLBACK InitLibrarySection(PINIT_ONCE, PVOID, PVOID*)
{
    InitializeCriticalSection(&GLibrarySection);
    return TRUE;
}

inline CRITICAL_SECTION* LibrarySection()
{
    InitOnceExecuteOnce(&GLibraryOnce, &InitLibrarySection, nullptr, nullptr);
    return &GLibrarySection;
}
} // namespace

void LibraryLockInit() { LibrarySection(); }
void LibraryLockEnter() { EnterCriticalSection(LibrarySection()); }
void LibraryLockLeave() { LeaveCriticalSection(LibrarySection()); }
// Left usable: destructors of the host may still log after the library's ran.
void LibraryLockUninit() {}

// ----------------------------------------------------------------------------------------------
// Critical sections in the caller's storage.

namespace {
static_assert(sizeof(CRITICAL_SECTION) <= GSectionStorageBytes, "a critical section fits a section");
static_assert(alignof(CRITICAL_SECTION) <= GSectionStorageAlign, "a section is aligned for a critical section");

inline CRITICAL_SECTION* SectionOf(void* Storage) { return static_cast<CRITICAL_SECTION*>(Storage); }
} // namespace

void SectionInit(void* Storage) { InitializeCriticalSection(new (Storage) CRITICAL_SECTION); }
void SectionEnter(void* Storage) { EnterCriticalSection(SectionOf(Storage)); }
void SectionLeave(void* Storage) { LeaveCriticalSection(SectionOf(Storage)); }
void SectionDelete(void* Storage) { DeleteCriticalSection(SectionOf(Storage)); }

// ----------------------------------------------------------------------------------------------
// Named cross-process locks: named mutexes. A mutex whose holder ended without releasing it is
// handed to the next waiter with WAIT_ABANDONED; that waiter holds it, as on POSIX.

tvHandle NamedLockOpen(const tvWChar* Name)
{
    return Name ? CreateMutexW(nullptr, FALSE, SystemText(Name)) : nullptr;
}

void NamedLockAcquire(tvHandle Lock)
{
    if (Lock)
        WaitForSingleObject(Lock, INFINITE);  // WAIT_OBJECT_0 or WAIT_ABANDONED: held either way
}

void NamedLockRelease(tvHandle Lock)
{
    if (Lock)
        ReleaseMutex(Lock);  // refused, harmlessly, for a thread that does not hold it
}

void NamedLockClose(tvHandle Lock)
{
    if (Lock)
        CloseHandle(Lock);
}

} // namespace Platform
} // namespace Tolvane
