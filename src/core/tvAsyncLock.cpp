// The lock with explicit initialisation; its critical section lives inside the object.
#include "base/tvPrelude.h"
#include "tvCore/core/tvAsyncLock.h"
#include "platform/tvPlatformSync.h"

namespace Tolvane {

FAsyncLock::FAsyncLock()
    : Initialized(0)
{
}

FAsyncLock::~FAsyncLock()
{
    if (Initialized)
        Platform::SectionDelete(Section.Opaque);
}

void FAsyncLock::Initialize()
{
    // Initialising a live section again would corrupt it (and any thread inside it).
    if (Initialized)
        return;
    Platform::SectionInit(Section.Opaque);
    Initialized = 1;
}

void FAsyncLock::Lock()
{
    if (Initialized)
        Platform::SectionEnter(Section.Opaque);
}

void FAsyncLock::Unlock()
{
    if (Initialized)
        Platform::SectionLeave(Section.Opaque);
}

} // namespace Tolvane
