// The smallest power of two that holds a value, as its exponent.
#include "base/tvPrelude.h"
#include "base/tvBits.h"
#include "tvCore/core/tvMemStack.h"

namespace Tolvane {

unsigned char appCeilLogTwo(tvULong Value)
{
    // 2^n >= Value exactly when n is at least the bit length of Value - 1.
    return Value == 0 ? 0 : static_cast<unsigned char>(Bits::BitLength(Value - 1));
}

} // namespace Tolvane
