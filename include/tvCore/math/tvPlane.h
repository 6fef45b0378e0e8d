// FPlane: the points p with p . N = W, N = (X, Y, Z).
#pragma once

#include "tvCore/math/tvVector.h"

namespace Tolvane {

class FMatrix;

class TVCORE_API FPlane {
public:
    float X, Y, Z, W;

    FPlane() = default;
    constexpr FPlane(float InX, float InY, float InZ, float InW) : X(InX), Y(InY), Z(InZ), W(InW) {}
    constexpr FPlane(const FVector3& Normal, float InW) : X(Normal.X), Y(Normal.Y), Z(Normal.Z), W(InW) {}
    // Through Base with that normal (not normalised).
    FPlane(const FVector3& Base, const FVector3& Normal)
        : X(Normal.X), Y(Normal.Y), Z(Normal.Z), W(Base | Normal) {}
    // Through three points, the normal (b - a) x (c - a) normalised unless its squared length
    // is below 1e-8.
    FPlane(FVector3 A, FVector3 B, FVector3 C);

    bool operator==(const FPlane& P) const { return X == P.X && Y == P.Y && Z == P.Z && W == P.W; }
    bool operator!=(const FPlane& P) const { return !(*this == P); }

    // p . N - W: the signed distance for a unit normal.
    float PlaneDot(const FVector3& P) const { return P.X * X + P.Y * Y + P.Z * Z - W; }
    // Negates all four components of this plane and returns it.
    FPlane& Flip()
    {
        X = -X;
        Y = -Y;
        Z = -Z;
        W = -W;
        return *this;
    }
    // Cross product of the normals.
    FVector3 operator^(const FPlane& P) const { return FVector3(X, Y, Z) ^ FVector3(P.X, P.Y, P.Z); }
    FVector3 operator^(const FVector3& V) const { return FVector3(X, Y, Z) ^ V; }

    // The plane carried by m, given m's transposed adjoint ta (FMatrix::TransposeAdjoint).
    FPlane TransformByUsingAdjointT(const FMatrix& M, const FMatrix& TA) const;
    // The same with m's determinant given; a normal that vanishes becomes (0, 0, 0).
    FPlane TransformByUsingAdjointT(const FMatrix& M, float Det, const FMatrix& TA) const;
};

} // namespace Tolvane
