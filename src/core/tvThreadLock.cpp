// The abstract lock and the in-process lock over an owned critical section.
#include "base/tvPrelude.h"
#include "tvCore/core/tvLock.h"
#include "platform/tvPlatformSync.h"

namespace Tolvane {

static_assert(sizeof(FSystemSection::Opaque) >= Platform::GSectionStorageBytes &&
                  alignof(FSystemSection) >= Platform::GSectionStorageAlign,
              "a system section holds the platform's critical section");

FLock::~FLock() = default;

FThreadLock::FThreadLock()
    : Section(new FSystemSection)
{
    if (Section)
        Platform::SectionInit(Section->Opaque);
}

FThreadLock::~FThreadLock()
{
    if (Section) {
        Platform::SectionDelete(Section->Opaque);
        delete Section;
        Section = nullptr;
    }
}

void FThreadLock::Lock()
{
    if (Section)
        Platform::SectionEnter(Section->Opaque);
}

void FThreadLock::Unlock()
{
    if (Section)
        Platform::SectionLeave(Section->Opaque);
}

} // namespace Tolvane
