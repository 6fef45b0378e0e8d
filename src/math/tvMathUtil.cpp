// The sine and bit-length tables and the load-time object that fills them.
#include "base/tvPrelude.h"
#include "tvCore/math/tvMathUtil.h"

namespace Tolvane {

namespace {

float GTriTableStorage[TRI_TABLE_SIZE];
unsigned char GBitLengthStorage[BIT_LENGTH_TABLE_SIZE];

} // namespace

// The references are constant-initialised: they name the storage from the moment of loading,
// before the constructor below has filled it.
const float (&__TriTable)[TRI_TABLE_SIZE] = GTriTableStorage;
const unsigned char (&__BitLengthTable)[BIT_LENGTH_TABLE_SIZE] = GBitLengthStorage;

__FMathUtil::__FMathUtil()
{
    // The angle is formed in single precision, exactly as i x 2 x 3.1415925 x (1/16384) with
    // 3.1415925 the float one unit below the float nearest to pi; only the sine itself is taken
    // in double precision.
    const float Pi = 3.1415925f;            // bits 0x40490FDA
    const float InvTableSize = 1.0f / 16384.0f; // bits 0x38800000
    for (int i = 0; i < TRI_TABLE_SIZE; ++i) {
        const float Angle = static_cast<float>(i) * 2.0f * Pi * InvTableSize;
        GTriTableStorage[i] = static_cast<float>(std::sin(static_cast<double>(Angle)));
    }

    unsigned char Bits = 0;
    for (int v = 0; v < BIT_LENGTH_TABLE_SIZE; ++v) {
        if ((v >> Bits) != 0)
            ++Bits;
        GBitLengthStorage[v] = Bits;
    }
}

// Built right after the default allocator (priority 101), before every static object of the
// library that might rotate a vector or round a size up to a power of two.
__FMathUtil __GMathUtil TVCORE_INIT_PRIORITY(102);

} // namespace Tolvane
