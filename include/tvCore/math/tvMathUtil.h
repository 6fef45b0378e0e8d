// The math library's shared tables: the sine table behind every rotation by an integer angle
// (65536 units make one turn) and the bit-length table of the numbers 0 to 256. Both are filled
// once, while the library is loaded, by the constructor of the one __FMathUtil object.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// The number of sine-table entries: one per four angle units, a full turn in all.
constexpr int TRI_TABLE_SIZE = 16384;
// The bit-length table covers the numbers 0 to 256.
constexpr int BIT_LENGTH_TABLE_SIZE = 257;

// Fills both tables. It holds no data of its own; the library's one instance is __GMathUtil,
// built before any other static object of the library except the default allocator.
class TVCORE_API __FMathUtil {
public:
    __FMathUtil();
};

extern TVCORE_API __FMathUtil __GMathUtil;

// Entry i = sin(i x 2 x 3.1415925 / 16384). Read-only to callers.
extern TVCORE_API const float (&__TriTable)[TRI_TABLE_SIZE];
// Entry v = the number of significant bits of v (0 for 0, 9 for 256). Read-only to callers.
extern TVCORE_API const unsigned char (&__BitLengthTable)[BIT_LENGTH_TABLE_SIZE];

} // namespace Tolvane
