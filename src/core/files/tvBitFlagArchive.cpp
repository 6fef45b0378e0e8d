// The stored form of a flag set: its 32-bit value as 4 bytes.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvArchive.h"
#include "tvCore/core/strings/tvBitFlag.h"

namespace Tolvane {

FArchive& operator<<(FArchive& Ar, FBitFlag& Value)
{
    tvULong Bits = Value.GetValue();
    Ar.Serialize(&Bits, sizeof(Bits));
    if (Ar.IsLoading())
        Value.SetValue(Bits);
    return Ar;
}

} // namespace Tolvane
