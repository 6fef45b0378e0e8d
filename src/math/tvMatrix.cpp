// FMatrix element arithmetic, determinant and inverse by cofactors, frames, rotators and the
// clip planes of a projection.
#include "base/tvPrelude.h"
#include "tvCore/math/tvMatrix.h"
#include "tvCore/math/tvCoords.h"
#include "tvCore/math/tvPlane.h"
#include "tvCore/math/tvRotator.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

const FMatrix FMatrix::Identity(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                                0.0f, 0.0f, 1.0f);

namespace {

// The determinant of the 3x3 left when row Row and column Col are struck out.
float Minor(const FMatrix& A, int Row, int Col)
{
    int R[3], C[3];
    for (int i = 0, n = 0; i < 4; ++i)
        if (i != Row)
            R[n++] = i;
    for (int i = 0, n = 0; i < 4; ++i)
        if (i != Col)
            C[n++] = i;
    const auto E = [&](int r, int c) { return A.M[R[r]][C[c]]; };
    return E(0, 0) * (E(1, 1) * E(2, 2) - E(1, 2) * E(2, 1)) - E(0, 1) * (E(1, 0) * E(2, 2) - E(1, 2) * E(2, 0)) +
           E(0, 2) * (E(1, 0) * E(2, 1) - E(1, 1) * E(2, 0));
}

float Cofactor(const FMatrix& A, int Row, int Col)
{
    const float Value = Minor(A, Row, Col);
    return ((Row + Col) & 1) != 0 ? -Value : Value;
}

// Column i as the four numbers of a plane.
FVector4 Column(const FMatrix& A, int i) { return FVector4(A.M[0][i], A.M[1][i], A.M[2][i], A.M[3][i]); }

template <typename Op>
FMatrix EachElement(Op Apply)
{
    FMatrix R;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            R.M[r][c] = Apply(r, c);
    return R;
}

} // namespace

FMatrix FMatrix::operator+(const FMatrix& B) const
{
    return EachElement([&](int r, int c) { return M[r][c] + B.M[r][c]; });
}

FMatrix FMatrix::operator-(const FMatrix& B) const
{
    return EachElement([&](int r, int c) { return M[r][c] - B.M[r][c]; });
}

FMatrix FMatrix::operator-() const
{
    return EachElement([&](int r, int c) { return -M[r][c]; });
}

FMatrix FMatrix::operator*(float S) const
{
    return EachElement([&](int r, int c) { return M[r][c] * S; });
}

FMatrix FMatrix::Transpose() const
{
    return EachElement([&](int r, int c) { return M[c][r]; });
}

float FMatrix::Determinant() const
{
    return M[0][0] * Minor(*this, 0, 0) - M[0][1] * Minor(*this, 0, 1) + M[0][2] * Minor(*this, 0, 2) -
           M[0][3] * Minor(*this, 0, 3);
}

FMatrix FMatrix::Inverse() const
{
    const float Det = Determinant();
    if (Det == 0.0f)
        return Identity;
    const float InvDet = 1.0f / Det;
    // The adjugate is the transposed cofactor matrix.
    return EachElement([&](int r, int c) { return Cofactor(*this, c, r) * InvDet; });
}

FMatrix FMatrix::TransposeAdjoint() const
{
    const FVector3 Row0 = GetAxis(0), Row1 = GetAxis(1), Row2 = GetAxis(2);
    const FVector3 R0 = Row1 ^ Row2, R1 = Row2 ^ Row0, R2 = Row0 ^ Row1;
    return FMatrix(R0.X, R0.Y, R0.Z, 0.0f, R1.X, R1.Y, R1.Z, 0.0f, R2.X, R2.Y, R2.Z, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
}

FCoords FMatrix::Coords() const
{
    return FCoords(GetOrigin(), FVector3(M[0][0], M[1][0], M[2][0]), FVector3(M[0][1], M[1][1], M[2][1]),
                   FVector3(M[0][2], M[1][2], M[2][2]));
}

FRotator FMatrix::ToRotator() const
{
    const int Pitch = RoundToInt(std::atan2(M[0][2], std::sqrt(M[0][0] * M[0][0] + M[0][1] * M[0][1])) * 32768.0f / Pi);
    const int Yaw = RoundToInt(std::atan2(M[0][1], M[0][0]) * 32768.0f / Pi);
    // The roll is the turn of rows 1 and 2 about the facing direction, measured against the
    // Y axis of the frame with the same pitch and yaw and no roll.
    const FVector3 NoRollY = FRotator(Pitch, Yaw, 0).ToMatrix().GetAxis(1);
    const int Roll = RoundToInt(std::atan2(GetAxis(2) | NoRollY, GetAxis(1) | NoRollY) * 32768.0f / Pi);
    return FRotator(Pitch, Yaw, Roll);
}

int FMatrix::MakeFrustumPlane(float A, float B, float C, float D, FPlane& Out) const
{
    const float SquareSum = A * A + B * B + C * C;
    if (!(SquareSum > SmallSquared))
        return 0;
    const float S = 1.0f / std::sqrt(SquareSum);
    Out = FPlane(-A * S, -B * S, -C * S, D * S);
    return 1;
}

namespace {

int PlaneFrom(const FMatrix& A, const FVector4& V, FPlane& Out) { return A.MakeFrustumPlane(V.X, V.Y, V.Z, V.W, Out); }

} // namespace

int FMatrix::GetFrustumNearPlane(FPlane& Out) const { return PlaneFrom(*this, Column(*this, 2), Out); }
int FMatrix::GetFrustumFarPlane(FPlane& Out) const { return PlaneFrom(*this, Column(*this, 3) - Column(*this, 2), Out); }
int FMatrix::GetFrustumLeftPlane(FPlane& Out) const { return PlaneFrom(*this, Column(*this, 3) + Column(*this, 0), Out); }
int FMatrix::GetFrustumRightPlane(FPlane& Out) const { return PlaneFrom(*this, Column(*this, 3) - Column(*this, 0), Out); }
int FMatrix::GetFrustumBottomPlane(FPlane& Out) const { return PlaneFrom(*this, Column(*this, 3) + Column(*this, 1), Out); }
int FMatrix::GetFrustumTopPlane(FPlane& Out) const { return PlaneFrom(*this, Column(*this, 3) - Column(*this, 1), Out); }

} // namespace Tolvane
