// FVector3 and FVector4 operations that need a square root, a threshold, the sine table or
// another type of the math library.
#include "base/tvPrelude.h"
#include "tvCore/math/tvVector.h"
#include "tvCore/math/tvCoords.h"
#include "tvCore/math/tvMatrix.h"
#include "tvCore/math/tvRotator.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

const FVector3 FVector3::Zero(0.0f, 0.0f, 0.0f);

float FVector3::Size() const { return std::sqrt(SizeSquared()); }
float FVector3::Size2D() const { return std::sqrt(Size2DSquared()); }
float FVector3::GetMax() const { return std::max(std::max(X, Y), Z); }
float FVector3::GetMin() const { return std::min(std::min(X, Y), Z); }
float FVector3::GetAbsMax() const { return std::max(std::max(std::fabs(X), std::fabs(Y)), std::fabs(Z)); }

bool FVector3::IsNearlyZero() const
{
    return std::fabs(X) < NearlyZero && std::fabs(Y) < NearlyZero && std::fabs(Z) < NearlyZero;
}

FVector3& FVector3::Normalize()
{
    const float SquareSum = SizeSquared();
    if (SquareSum >= SmallSquared)
        *this *= 1.0f / std::sqrt(SquareSum);
    return *this;
}

FVector3 FVector3::SafeNormal() const
{
    const float SquareSum = SizeSquared();
    if (!(SquareSum >= SmallSquared))
        return FVector3(0.0f, 0.0f, 0.0f);
    return *this * (1.0f / std::sqrt(SquareSum));
}

FVector3 FVector3::GetNonParallel() const
{
    if (std::fabs(X) > NonParallel)
        return FVector3(0.0f, 1.0f, 0.0f);
    if (std::fabs(Y) > NonParallel)
        return FVector3(0.0f, 0.0f, 1.0f);
    return FVector3(1.0f, 0.0f, 0.0f);
}

FVector3 FVector3::MirrorByVector(const FVector3& N) const { return *this - N * (2.0f * (*this | N)); }

FVector3 FVector3::RotateAngleAxis(int Angle, const FVector3& Axis) const
{
    const float S = TableSin(Angle);
    const float C = TableCos(Angle);
    const float T = 1.0f - C;
    const float XX = Axis.X * Axis.X, YY = Axis.Y * Axis.Y, ZZ = Axis.Z * Axis.Z;
    const float XY = Axis.X * Axis.Y, YZ = Axis.Y * Axis.Z, ZX = Axis.Z * Axis.X;
    const float XS = Axis.X * S, YS = Axis.Y * S, ZS = Axis.Z * S;
    return FVector3((T * XX + C) * X + (T * XY - ZS) * Y + (T * ZX + YS) * Z,
                    (T * XY + ZS) * X + (T * YY + C) * Y + (T * YZ - XS) * Z,
                    (T * ZX - YS) * X + (T * YZ + XS) * Y + (T * ZZ + C) * Z);
}

FVector3 FVector3::TransformPointBy(const FCoords& C) const
{
    const FVector3 Offset = *this - C.Origin;
    return FVector3(Offset | C.XAxis, Offset | C.YAxis, Offset | C.ZAxis);
}

FVector3 FVector3::TransformVectorBy(const FCoords& C) const
{
    return FVector3(*this | C.XAxis, *this | C.YAxis, *this | C.ZAxis);
}

FVector3 FVector3::TransformVectorByTranspose(const FCoords& C) const
{
    return C.XAxis * X + C.YAxis * Y + C.ZAxis * Z;
}

FRotator FVector3::ToRotator() const
{
    const int Yaw = TruncToInt(std::atan2(Y, X) * 65536.0f / TwoPi);
    const int Pitch = TruncToInt(std::atan2(Z, std::sqrt(X * X + Y * Y)) * 65536.0f / TwoPi);
    return FRotator(Pitch, Yaw, 0);
}

FMatrix FVector3::ToTranslationMatrix() const
{
    FMatrix R = FMatrix::Identity;
    R.M[3][0] = X;
    R.M[3][1] = Y;
    R.M[3][2] = Z;
    return R;
}

FMatrix FVector3::ToScaleMatrix() const
{
    FMatrix R = FMatrix::Identity;
    R.M[0][0] = X;
    R.M[1][1] = Y;
    R.M[2][2] = Z;
    return R;
}

FVector4& FVector4::Normalize()
{
    const float SquareSum = X * X + Y * Y + Z * Z + W * W;
    if (SquareSum >= SmallSquared)
        *this *= 1.0f / std::sqrt(SquareSum);
    return *this;
}

} // namespace Tolvane
