// FCoords: a coordinate frame, an origin and three axes. A point enters the frame's space with
// FVector3::TransformPointBy; multiplying frames composes those transformations.
#pragma once

#include "tvCore/math/tvScale.h"
#include "tvCore/math/tvVector.h"

namespace Tolvane {

class FMatrix;
class FRotator;

class TVCORE_API FCoords {
public:
    FVector3 Origin, XAxis, YAxis, ZAxis;

    // Origin (0, 0, 0), axes (1, 0, 0), (0, 1, 0), (0, 0, 1).
    static const FCoords UnitCoords;

    FCoords() = default;
    constexpr FCoords(const FVector3& InOrigin, const FVector3& InX, const FVector3& InY, const FVector3& InZ)
        : Origin(InOrigin), XAxis(InX), YAxis(InY), ZAxis(InZ) {}
    // That origin with the unit axes.
    constexpr FCoords(const FVector3& InOrigin)
        : Origin(InOrigin), XAxis(1.0f, 0.0f, 0.0f), YAxis(0.0f, 1.0f, 0.0f), ZAxis(0.0f, 0.0f, 1.0f) {}

    // Origin and axes carried into c's space.
    FCoords& operator*=(const FCoords& C);
    FCoords operator*(const FCoords& C) const { FCoords R(*this); return R *= C; }
    // Yaw, then pitch, then roll.
    FCoords& operator*=(const FRotator& R);
    FCoords operator*(const FRotator& R) const { FCoords C(*this); return C *= R; }
    // The inverse rotation: roll back, then pitch, then yaw.
    FCoords& operator/=(const FRotator& R);
    FCoords operator/(const FRotator& R) const { FCoords C(*this); return C /= R; }
    // Origin -= V.
    FCoords& operator*=(const FVector3& V) { Origin -= V; return *this; }
    FCoords operator*(const FVector3& V) const { FCoords C(*this); return C *= V; }
    // Origin += V.
    FCoords& operator/=(const FVector3& V) { Origin += V; return *this; }
    FCoords operator/(const FVector3& V) const { FCoords C(*this); return C /= V; }
    // The snapped shear, then the scale on the axes and its inverse on the origin.
    FCoords& operator*=(const FScale& S);
    FCoords operator*(const FScale& S) const { FCoords C(*this); return C *= S; }

    // These three change this frame and return it.
    // Axes transposed; the origin carried into the frame and negated.
    FCoords& Transpose();
    // The matrix with v x Matrix() = v.TransformPointBy(*this).
    FMatrix Matrix() const;
    FCoords& ApplyPivot(const FCoords& C);
    // The frame of the inverse 3x3 (rows XAxis, YAxis, ZAxis); a singular 3x3 inverts to the unit axes.
    FCoords& PivotInverse();
    // Pitch, yaw and roll of an orthonormal frame, truncated toward zero.
    FRotator OrthoRotation() const;
};

} // namespace Tolvane
