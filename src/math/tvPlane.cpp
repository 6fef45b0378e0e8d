// FPlane through three points, and planes carried by a matrix through its transposed adjoint.
#include "base/tvPrelude.h"
#include "tvCore/math/tvPlane.h"
#include "tvCore/math/tvMatrix.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

FPlane::FPlane(FVector3 A, FVector3 B, FVector3 C)
{
    FVector3 N = (B - A) ^ (C - A);
    if (N.SizeSquared() >= SmallSquared)
        N *= 1.0f / std::sqrt(N.SizeSquared());
    X = N.X;
    Y = N.Y;
    Z = N.Z;
    W = A | N;
}

namespace {

// W' = B' . N', with B = N x W the plane's point nearest the origin, carried by M.
FPlane Carried(const FPlane& P, const FMatrix& M, const FVector3& NewNormal)
{
    const FVector3 Base = M.TransformVector3(FVector3(P.X, P.Y, P.Z) * P.W);
    return FPlane(NewNormal, Base | NewNormal);
}

} // namespace

FPlane FPlane::TransformByUsingAdjointT(const FMatrix& M, const FMatrix& TA) const
{
    FVector3 N = TA.TransformNormal(FVector3(X, Y, Z));
    if (N.SizeSquared() >= SmallSquared)
        N *= 1.0f / std::sqrt(N.SizeSquared());
    if (M.Determinant() < 0.0f)
        N = -N;
    return Carried(*this, M, N);
}

FPlane FPlane::TransformByUsingAdjointT(const FMatrix& M, float Det, const FMatrix& TA) const
{
    FVector3 N = TA.TransformNormal(FVector3(X, Y, Z));
    N = N.SafeNormal();
    if (Det < 0.0f)
        N = -N;
    return Carried(*this, M, N);
}

} // namespace Tolvane
