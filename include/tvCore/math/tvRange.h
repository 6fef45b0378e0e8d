// FRange, a float interval, and FRangeVector, one interval per axis. Both start at zero.
#pragma once

#include "tvCore/math/tvVector.h"

namespace Tolvane {

class TVCORE_API FRange {
public:
    float A = 0.0f;  // the smaller end
    float B = 0.0f;  // the larger end

    FRange() = default;
    // Stores the ends in order: A = min, B = max.
    constexpr FRange(float InA, float InB) : A(InA < InB ? InA : InB), B(InA < InB ? InB : InA) {}

    float GetMin() const { return A < B ? A : B; }
    float GetMax() const { return A < B ? B : A; }
    float Size() const { return GetMax() - GetMin(); }
    float GetCenter() const { return (A + B) * 0.5f; }
    // A value between A and B inclusive from one draw of the runtime's random generator
    // (seeded by the library's start-up); B, with no draw, when the range is empty.
    float GetRand() const;
};

class TVCORE_API FRangeVector {
public:
    FRange X, Y, Z;

    FRangeVector() = default;
    constexpr FRangeVector(const FRange& InX, const FRange& InY, const FRange& InZ) : X(InX), Y(InY), Z(InZ) {}

    FVector3 GetMin() const { return FVector3(X.GetMin(), Y.GetMin(), Z.GetMin()); }
    FVector3 GetMax() const { return FVector3(X.GetMax(), Y.GetMax(), Z.GetMax()); }
    // One random value per axis, drawn in the order Z, Y, X.
    FVector3 GetRand() const;
};

} // namespace Tolvane
