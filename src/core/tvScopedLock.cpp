// The scope guard over any FLock.
#include "base/tvPrelude.h"
#include "tvCore/core/tvLock.h"

namespace Tolvane {

FScopedLock::FScopedLock(FLock* InLock)
    : Lock(InLock)
{
    if (Lock)
        Lock->Lock();
}

FScopedLock::~FScopedLock()
{
    if (Lock)
        Lock->Unlock();
}

FScopedLock& FScopedLock::operator=(const FScopedLock& Other)
{
    if (Other.Lock == Lock)
        return *this;
    // Give up the old lock before taking the new one: holding both at once could deadlock
    // against a thread that takes them in the other order.
    if (Lock)
        Lock->Unlock();
    Lock = Other.Lock;
    if (Lock)
        Lock->Lock();
    return *this;
}

} // namespace Tolvane
