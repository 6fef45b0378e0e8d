// The abstract lock and the in-process lock over an owned critical section.
#include "tvCore/core/tvLock.h"
#include "platform/tvPlatformSync.h"

namespace Tolvane {

FLock::~FLock() = default;

FThreadLock::FThreadLock()
    : Section(new FSystemSection)
{
    if (Section)
        Platform::SectionInit(*Section);
}

FThreadLock::~FThreadLock()
{
    if (Section) {
        Platform::SectionDelete(*Section);
        delete Section;
        Section = nullptr;
    }
}

void FThreadLock::Lock()
{
    if (Section)
        Platform::SectionEnter(*Section);
}

void FThreadLock::Unlock()
{
    if (Section)
        Platform::SectionLeave(*Section);
}

} // namespace Tolvane
