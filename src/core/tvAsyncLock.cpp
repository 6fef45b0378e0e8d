// The lock with explicit initialisation; its critical section lives inside the object.
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
        Platform::SectionDelete(Section);
}

void FAsyncLock::Initialize()
{
    // Initialising a live section again would corrupt it (and any thread inside it).
    if (Initialized)
        return;
    Platform::SectionInit(Section);
    Initialized = 1;
}

void FAsyncLock::Lock()
{
    if (Initialized)
        Platform::SectionEnter(Section);
}

void FAsyncLock::Unlock()
{
    if (Initialized)
        Platform::SectionLeave(Section);
}

} // namespace Tolvane
