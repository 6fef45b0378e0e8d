// FScale: a per-axis scale with one shear, and ESheerAxis, the element of a frame that receives
// the shear rate (FCoords::operator*=(const FScale&)).
#pragma once

#include "tvCore/math/tvVector.h"

namespace Tolvane {

enum ESheerAxis : unsigned char {
    ESA_None = 0,
    ESA_XAxisY = 1,
    ESA_XAxisZ = 2,
    ESA_YAxisX = 3,
    ESA_YAxisZ = 4,
    ESA_ZAxisX = 5,
    ESA_ZAxisY = 6,
};

class TVCORE_API FScale {
public:
    FVector3 Scale;
    float SheerRate;
    ESheerAxis SheerAxis;  // one byte

    FScale() = default;
    constexpr FScale(const FVector3& InScale, float InSheerRate, ESheerAxis InSheerAxis)
        : Scale(InScale), SheerRate(InSheerRate), SheerAxis(InSheerAxis) {}
};

} // namespace Tolvane
