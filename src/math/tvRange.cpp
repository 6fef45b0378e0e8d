// Random values in ranges, drawn from the runtime's generator that the library's start-up seeds.
#include "base/tvPrelude.h"
#include "tvCore/math/tvRange.h"
#include "math/tvMathPrivate.h"

#include <cstdlib>

namespace Tolvane {

using namespace MathPrivate;

namespace {

// The generator's values reduced to 0..32767, the range the factor 1/32767 is made for;
// generators with a larger range (2^31 - 1 on glibc) keep their low fifteen bits.
float Rand15() { return static_cast<float>(std::rand() % 32768); }

// (A - B) x (r x 1/32767) + B, clamped to the range: the float sum can round just past an end.
float RandIn(const FRange& R)
{
    if (R.A - R.B == 0.0f)
        return R.B;
    const float V = (R.A - R.B) * (Rand15() * RandToUnit) + R.B;
    const float Low = R.GetMin(), High = R.GetMax();
    return V < Low ? Low : (V > High ? High : V);
}

} // namespace

float FRange::GetRand() const { return RandIn(*this); }

FVector3 FRangeVector::GetRand() const
{
    const float RandZ = Z.GetRand();
    const float RandY = Y.GetRand();
    const float RandX = X.GetRand();
    return FVector3(RandX, RandY, RandZ);
}

} // namespace Tolvane
