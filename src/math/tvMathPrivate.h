// Shared inside the math library: the thresholds and angle factors in their exact single-precision
// values, the table sine and cosine, and float-to-int conversions that never overflow.
#pragma once

#include "tvCore/math/tvMathUtil.h"

#include <climits>
#include <cmath>

namespace Tolvane {
namespace MathPrivate {

constexpr float SmallSquared = 1e-8f;         // bits 0x322BCC77: squared lengths below it are zero
constexpr float NearlyZero = 0.0001f;         // bits 0x38D1B717
constexpr float NonParallel = 0.57f;          // bits 0x3F11EB85
constexpr float TwoPi = 6.283185f;            // bits 0x40C90FDA
constexpr float Pi = 3.1415925f;              // bits 0x40490FDA, one unit below the float nearest pi
constexpr float AngleUnitsPerRadian = 10430.379f; // bits 0x4622F984, 32768 / pi
constexpr float SlerpLinear = 0.001f;         // bits 0x3A83126F
constexpr float ByteToUnit = 0.00392f;        // bits 0x3B807358, close to 1/255
constexpr float RandToUnit = 3.0518509e-05f;  // bits 0x38000100, close to 1/32767

// Sine and cosine of an angle in 65536ths of a turn. The shift of the angle is done unsigned:
// after the mask it gives the entry an arithmetic shift gives, and no sum can overflow.
inline float TableSin(int Angle)
{
    return __TriTable[(static_cast<unsigned>(Angle) >> 2) & (TRI_TABLE_SIZE - 1)];
}
inline float TableCos(int Angle)
{
    return __TriTable[((static_cast<unsigned>(Angle) + 16384u) >> 2) & (TRI_TABLE_SIZE - 1)];
}

// Truncation toward zero. Values beyond the int range saturate and NaN gives 0, where a plain
// conversion would be undefined.
inline int TruncToInt(float F)
{
    if (F != F)
        return 0;
    if (F >= 2147483648.0f)
        return INT_MAX;
    if (F < -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(F);
}

// floor(x + 0.5), saturating as TruncToInt.
inline int RoundToInt(float F) { return TruncToInt(std::floor(F + 0.5f)); }

// Radians to angle units as the table functions read them: truncate(radians x 65536 / 2pi).
inline int RadiansToTableAngle(float Radians) { return TruncToInt(Radians * 65536.0f / TwoPi); }

// The table sine of an angle in radians.
inline float TableSinOfRadians(float Radians) { return TableSin(RadiansToTableAngle(Radians)); }

} // namespace MathPrivate
} // namespace Tolvane
