// FBezier: samples a cubic Bezier segment into a polyline by forward differencing.
#pragma once

#include "tvCore/core/strings/tvArray.h"
#include "tvCore/math/tvVector.h"

namespace Tolvane {

class TVCORE_API FBezier {
public:
    FBezier() = default;
    FBezier(const FBezier&) = default;
    FBezier& operator=(const FBezier&) = default;
    virtual ~FBezier();

    // Appends Steps points of the curve through the four control points Points[0..3] to Out
    // (Points[0] first, Points[3] last) and returns the length of the polyline through them.
    // Below 2 steps only Points[0] is appended and 0 returned; with a null pointer nothing is
    // appended and 0 returned.
    float Evaluate(const FVector3* Points, int Steps, TArray<FVector3>* Out);
};

} // namespace Tolvane
