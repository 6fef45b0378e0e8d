// The smallest power of two that holds a value, as its exponent.
#include "tvCore/core/tvMemStack.h"

namespace Tolvane {

unsigned char appCeilLogTwo(tvULong Value)
{
    if (Value <= 1)
        return 0;
    // The bit length of Value - 1.
    return static_cast<unsigned char>(32 - __builtin_clz(static_cast<unsigned>(Value - 1)));
}

} // namespace Tolvane
