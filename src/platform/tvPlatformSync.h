// The platform seam for locks: recursive critical sections held in caller storage, and named
// locks shared by every process of the machine.
#pragma once

#include "tvCore/core/tvSystemSection.h"

namespace Tolvane {
namespace Platform {

// --- Critical sections ------------------------------------------------------------------------
// A recursive lock for the threads of one process, living in Section. Init before any other
// call; Delete once, after the last Leave.
void SectionInit(FSystemSection& Section);
void SectionEnter(FSystemSection& Section);
void SectionLeave(FSystemSection& Section);
void SectionDelete(FSystemSection& Section);

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
