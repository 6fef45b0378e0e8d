// The platform seam for locks: the library-wide lock, recursive critical sections held in
// caller storage, and named locks shared by every process of the machine.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// --- The library-wide recursive lock ---------------------------------------------------------
// One process-wide recursive mutex, usable from load time on (statically initialised).
void LibraryLockInit();
void LibraryLockEnter();
void LibraryLockLeave();
void LibraryLockUninit();

// --- Critical sections ------------------------------------------------------------------------
// A recursive lock for the threads of one process, living in caller storage of
// GSectionStorageBytes bytes aligned to GSectionStorageAlign. Init before any other call;
// Delete once, after the last Leave.
constexpr std::size_t GSectionStorageBytes = 64;
constexpr std::size_t GSectionStorageAlign = 8;
void SectionInit(void* Storage);
void SectionEnter(void* Storage);
void SectionLeave(void* Storage);
void SectionDelete(void* Storage);

// --- Named cross-process locks ------------------------------------------------------------------
// Opens the lock called Name (the complete system name); every open of one name, in any
// process, reaches the same lock. Null when it cannot be created.
tvHandle NamedLockOpen(const tvWChar* Name);
// Waits without time limit until the calling thread holds the lock. Recursive: a thread that
// holds it takes it again at once and must release it as often.
void NamedLockAcquire(tvHandle Lock);
// Releases one level held by the calling thread; does nothing for a thread that does not hold it.
void NamedLockRelease(tvHandle Lock);
// Closes this open of the lock; the lock ends when its last open closes.
void NamedLockClose(tvHandle Lock);

} // namespace Platform
} // namespace Tolvane
