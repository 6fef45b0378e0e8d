// The smallest power of two that holds a value, as its exponent, read from the math library's
// bit-length table (bit lengths of 0 to 256) one byte of the value at a time.
#include "tvCore/core/tvMemStack.h"
#include "tvCore/math/tvMathUtil.h"

namespace Tolvane {

unsigned char appCeilLogTwo(tvULong Value)
{
    if (Value == 0)
        return 0;
    // 2^n >= Value exactly when n is at least the bit length of Value - 1.
    const tvULong V = Value - 1;
    if (V <= 0x10000u)
        return V > 256u ? static_cast<unsigned char>(__BitLengthTable[V >> 8] + 8) : __BitLengthTable[V];
    return V > 0x1000000u ? static_cast<unsigned char>(__BitLengthTable[V >> 24] + 24)
                          : static_cast<unsigned char>(__BitLengthTable[V >> 16] + 16);
}

} // namespace Tolvane
