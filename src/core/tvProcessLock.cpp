// The cross-process lock: a named system lock called Name followed by "_lock".
#include "base/tvPrelude.h"
#include "tvCore/core/tvLock.h"
#include "tvCore/core/strings/tvString.h"
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
    const FString SystemName = FString(Name ? Name : TVTEXT("")) + TVTEXT("_lock");
    // A name that came out without its suffix (no memory for it) would reach another lock.
    if (SystemName.GetLength() >= 5 && Wide::Compare(static_cast<const tvWChar*>(SystemName) + (SystemName.GetLength() - 5), TVTEXT("_lock")) == 0)
        Holder->Mutex = Platform::NamedLockOpen(SystemName);
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
