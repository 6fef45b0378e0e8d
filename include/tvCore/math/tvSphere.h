// FSphere: a centre (X, Y, Z) and a radius W.
#pragma once

#include "tvCore/math/tvVector.h"

namespace Tolvane {

class FMatrix;

class TVCORE_API FSphere {
public:
    float X, Y, Z, W;

    // Centre (0, 0, 0), radius 1.
    static const FSphere UnitSphere;

    FSphere() = default;
    // All four components 0.
    constexpr FSphere(int) : X(0.0f), Y(0.0f), Z(0.0f), W(0.0f) {}
    constexpr FSphere(const FVector3& Center, float Radius) : X(Center.X), Y(Center.Y), Z(Center.Z), W(Radius) {}

    FVector3 GetCenter() const { return FVector3(X, Y, Z); }
    float GetRadius() const { return W; }
    // The centre transformed as a point; the radius grown by the longest of the matrix's first
    // three rows.
    FSphere TransformBy(const FMatrix& M) const;
};

} // namespace Tolvane
