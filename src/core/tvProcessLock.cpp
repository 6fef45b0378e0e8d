// The cross-process lock: a named system lock called Name followed by "_lock".
#include "tvCore/core/tvLock.h"
#include "tvCore/core/tvGlobals.h"
#include "core/strings/tvWideRuntime.h"
#include "platform/tvPlatformSync.h"

namespace Tolvane {

struct FProcessLock::FHolder : public FFundament {
    tvHandle Mutex = nullptr;
};

FProcessLock::FProcessLock(const tvWChar* Name)
    : Holder(new FHolder)
{
    if (!Holder)
        return;
    static const tvWChar Suffix[] = TVTEXT("_lock");
    const std::size_t NameLength = Name ? Wide::Length(Name) : 0;
    const std::size_t Units = NameLength + sizeof(Suffix) / sizeof(Suffix[0]);
    if (Units > 0x3FFFFFFFu)
        return;
    tvWChar* SystemName = static_cast<tvWChar*>(GMalloc->Malloc(static_cast<unsigned int>(Units * sizeof(tvWChar))));
    if (!SystemName)
        return;
    if (Name)
        Wide::Copy(SystemName, Name);
    Wide::Copy(SystemName + NameLength, Suffix);
    Holder->Mutex = Platform::NamedLockOpen(SystemName);
    GMalloc->Free(SystemName);
}

FProcessLock::~FProcessLock()
{
    if (Holder) {
        Platform::NamedLockClose(Holder->Mutex);
        delete Holder;
        Holder = nullptr;
    }
}

void FProcessLock::Lock()
{
    if (Holder)
        Platform::NamedLockAcquire(Holder->Mutex);
}

void FProcessLock::Unlock()
{
    if (Holder)
        Platform::NamedLockRelease(Holder->Mutex);
}

} // namespace Tolvane
