// FQuaternion: normalising, building from axes, angles, rotators and matrices, the matrix and
// vector forms, spherical interpolation from the sine table, and the rotation between two
// directions.
#include "base/tvPrelude.h"
#include "tvCore/math/tvQuaternion.h"
#include "tvCore/math/tvMatrix.h"
#include "tvCore/math/tvRotator.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

namespace {

constexpr FQuaternion IdentityQuat(0.0f, 0.0f, 0.0f, 1.0f);

// The table entry for an angle index given in 65536ths of a turn.
float TableAt(unsigned Index) { return __TriTable[(Index >> 2) & (TRI_TABLE_SIZE - 1)]; }

float Dot4(const FQuaternion& A, const FQuaternion& B) { return A.X * B.X + A.Y * B.Y + A.Z * B.Z + A.W * B.W; }

// The rotation carrying unit A onto unit B: the half-way direction h gives (a x h, a . h). For
// opposite directions h vanishes; the half turn about an axis perpendicular to A takes its place.
FQuaternion UnitAxisToUnitAxis(const FVector3& A, const FVector3& B)
{
    if (A.IsZero() || B.IsZero())
        return IdentityQuat;
    FVector3 H = A + B;
    if (!(H.SizeSquared() >= SmallSquared)) {
        const FVector3 Axis = (A ^ A.GetNonParallel()).SafeNormal();
        return FQuaternion(Axis.X, Axis.Y, Axis.Z, 0.0f);
    }
    H.Normalize();
    const FVector3 V = A ^ H;
    return FQuaternion(V.X, V.Y, V.Z, A | H);
}

} // namespace

int FQuaternion::Normalize()
{
    const float SquareSum = Dot4(*this, *this);
    if (!(SquareSum >= SmallSquared)) {
        *this = IdentityQuat;
        return 0;
    }
    const float S = 1.0f / std::sqrt(SquareSum);
    X *= S;
    Y *= S;
    Z *= S;
    W *= S;
    return 1;
}

FQuaternion FQuaternion::SafeNormal() const
{
    FQuaternion Q(*this);
    Q.Normalize();
    return Q;
}

FQuaternion FQuaternion::StaticRotation(const FVector3& Axis, int Angle)
{
    const FVector3 Unit = Axis.SafeNormal();
    if (Unit.IsZero())
        return IdentityQuat;
    const int Half = Angle / 2;  // truncate(angle x 0.5), exact in integers
    const float S = TableSin(Half);
    const float C = TableCos(Half);
    return FQuaternion(Unit.X * S, Unit.Y * S, Unit.Z * S, C);
}

FQuaternion& FQuaternion::Rotation(const FVector3& Axis, int Angle) { return *this = StaticRotation(Axis, Angle); }

FQuaternion FQuaternion::AngAxisToFQuat() const
{
    const int SinIndex = TruncToInt(W * 0.5f * 65536.0f / TwoPi);
    const int NegIndex = TruncToInt(W * -0.5f * 65536.0f / TwoPi);
    const float S = TableAt(static_cast<unsigned>(SinIndex));
    const float C = TableAt(16384u - static_cast<unsigned>(NegIndex));
    return FQuaternion(X * S, Y * S, Z * S, C);
}

FQuaternion FQuaternion::FQuatToAngAxis() const
{
    const float SquareSin = 1.0f - W * W;
    const float S = SquareSin > 0.0f ? std::sqrt(SquareSin) : 0.0f;
    if (!(S >= SmallSquared))
        return FQuaternion(0.0f, 0.0f, 1.0f, 0.0f);
    const float InvS = 1.0f / S;
    return FQuaternion(X * InvS, Y * InvS, Z * InvS, 2.0f * std::acos(W));
}

FQuaternion FQuaternion::StaticFromRotator(const FRotator& R)
{
    const FQuaternion RollQ = StaticRotation(FVector3(1.0f, 0.0f, 0.0f), R.Roll);
    const FQuaternion PitchQ = StaticRotation(FVector3(0.0f, 1.0f, 0.0f), R.Pitch);
    const FQuaternion YawQ = StaticRotation(FVector3(0.0f, 0.0f, -1.0f), R.Yaw);
    return (RollQ * PitchQ) * YawQ;
}

FQuaternion& FQuaternion::FromRotator(const FRotator& R) { return *this = StaticFromRotator(R); }

FQuaternion FQuaternion::StaticFromMatrix(const FMatrix& M)
{
    // The scalar-part formula while the trace is at least every diagonal element: then W is the
    // largest component (at least one half for a rotation) and the divisions are well
    // conditioned. Near and beyond a half turn (trace -1, where the square root is undefined)
    // the largest diagonal element leads instead (the largest of X, Y, Z), and W is kept
    // non-negative as the formula keeps it.
    const float Trace = M.M[0][0] + M.M[1][1] + M.M[2][2];
    if (Trace >= M.M[0][0] && Trace >= M.M[1][1] && Trace >= M.M[2][2]) {
        const float W = std::sqrt(Trace + 1.0f) * 0.5f;
        const float K = 0.25f / W;
        return FQuaternion((M.M[2][1] - M.M[1][2]) * K, (M.M[0][2] - M.M[2][0]) * K, (M.M[1][0] - M.M[0][1]) * K, W);
    }
    FQuaternion Q;
    if (M.M[0][0] >= M.M[1][1] && M.M[0][0] >= M.M[2][2]) {
        const float X = std::sqrt(std::max(0.0f, 1.0f + M.M[0][0] - M.M[1][1] - M.M[2][2])) * 0.5f;
        const float K = X > 0.0f ? 0.25f / X : 0.0f;
        Q = FQuaternion(X, (M.M[0][1] + M.M[1][0]) * K, (M.M[0][2] + M.M[2][0]) * K, (M.M[2][1] - M.M[1][2]) * K);
    } else if (M.M[1][1] >= M.M[2][2]) {
        const float Y = std::sqrt(std::max(0.0f, 1.0f + M.M[1][1] - M.M[0][0] - M.M[2][2])) * 0.5f;
        const float K = Y > 0.0f ? 0.25f / Y : 0.0f;
        Q = FQuaternion((M.M[0][1] + M.M[1][0]) * K, Y, (M.M[1][2] + M.M[2][1]) * K, (M.M[0][2] - M.M[2][0]) * K);
    } else {
        const float Z = std::sqrt(std::max(0.0f, 1.0f + M.M[2][2] - M.M[0][0] - M.M[1][1])) * 0.5f;
        const float K = Z > 0.0f ? 0.25f / Z : 0.0f;
        Q = FQuaternion((M.M[0][2] + M.M[2][0]) * K, (M.M[1][2] + M.M[2][1]) * K, Z, (M.M[1][0] - M.M[0][1]) * K);
    }
    if (Q.W < 0.0f)
        Q = FQuaternion(-Q.X, -Q.Y, -Q.Z, -Q.W);
    if (Q.X == 0.0f && Q.Y == 0.0f && Q.Z == 0.0f && Q.W == 0.0f)
        return IdentityQuat;  // no component could be formed: no rotation
    return Q;
}

FQuaternion& FQuaternion::FromMatrix(const FMatrix& M) { return *this = StaticFromMatrix(M); }

FMatrix FQuaternion::ToMatrix() const
{
    return FMatrix(1.0f - 2.0f * (Y * Y + Z * Z), 2.0f * (X * Y - W * Z), 2.0f * (X * Z + W * Y), 0.0f,
                   2.0f * (X * Y + W * Z), 1.0f - 2.0f * (X * X + Z * Z), 2.0f * (Y * Z - W * X), 0.0f,
                   2.0f * (X * Z - W * Y), 2.0f * (Y * Z + W * X), 1.0f - 2.0f * (X * X + Y * Y), 0.0f,
                   0.0f, 0.0f, 0.0f, 1.0f);
}

FVector3 FQuaternion::RotateVector(const FVector3& V) const
{
    const FVector3 U(X, Y, Z);
    return V * (W * W - (U | U)) + U * (2.0f * (U | V)) + (U ^ V) * (2.0f * W);
}

FVector3 FQuaternion::TransformVector3(const FVector3& V) const
{
    const FQuaternion R = SafeConjugate() * FQuaternion(V.X, V.Y, V.Z, 1.0f) * *this;
    return FVector3(R.X, R.Y, R.Z);
}

FVector3 FQuaternion::ToVector3() const
{
    const float SquareSin = 1.0f - W * W;
    if (!(SquareSin > 0.0f))
        return FVector3(0.0f, 0.0f, 0.0f);
    return FVector3(X, Y, Z) * (1.0f / std::sqrt(SquareSin));
}

FRotator FQuaternion::ToRotator() const
{
    const FRotator A = ToVector3().ToRotator();
    const float ClampedW = std::max(-1.0f, std::min(1.0f, W));
    const FRotator B(A.Pitch, A.Yaw, RoundToInt(2.0f * std::acos(ClampedW) * AngleUnitsPerRadian));
    return (A.ToMatrix().Inverse() * B.ToMatrix()).ToRotator();
}

FQuaternion FQuaternion::StaticSlerp(const FQuaternion& A, const FQuaternion& B, float T)
{
    float Cos = Dot4(A, B);
    FQuaternion To = B;
    if (Cos < 0.0f) {
        Cos = -Cos;
        To = FQuaternion(-B.X, -B.Y, -B.Z, -B.W);
    }
    float WeightA = 1.0f - T;
    float WeightB = T;
    if (1.0f - Cos > SlerpLinear) {
        // Cos lies in 0..0.999 here, so the angle is between 0.045 and pi/2 and its table
        // sine is never 0.
        const float Omega = std::acos(Cos);
        const float InvSin = 1.0f / TableSinOfRadians(Omega);
        WeightA = TableSinOfRadians((1.0f - T) * Omega) * InvSin;
        WeightB = TableSinOfRadians(T * Omega) * InvSin;
    }
    return FQuaternion(A.X * WeightA + To.X * WeightB, A.Y * WeightA + To.Y * WeightB, A.Z * WeightA + To.Z * WeightB,
                       A.W * WeightA + To.W * WeightB);
}

FQuaternion& FQuaternion::Slerp(const FQuaternion& A, const FQuaternion& B, float T)
{
    return *this = StaticSlerp(A, B, T);
}

FQuaternion FQuaternion::StaticQuaternionAxisToAxis(const FVector3& From, const FVector3& To)
{
    return UnitAxisToUnitAxis(From.SafeNormal(), To.SafeNormal());
}

FQuaternion& FQuaternion::QuaternionAxisToAxis(const FVector3& From, const FVector3& To)
{
    return *this = StaticQuaternionAxisToAxis(From, To);
}

FQuaternion* QuaternionAxisToAxis(FQuaternion* Out, const FVector3* From, const FVector3* To)
{
    if (Out == nullptr || From == nullptr || To == nullptr)
        return nullptr;
    *Out = FQuaternion::StaticQuaternionAxisToAxis(*From, *To);
    return Out;
}

FQuaternion* QuaternionUnitAxisToUnitAxis(FQuaternion* Out, const FVector3* From, const FVector3* To)
{
    if (Out == nullptr || From == nullptr || To == nullptr)
        return nullptr;
    *Out = UnitAxisToUnitAxis(*From, *To);
    return Out;
}

FMatrix* QuaternionToMatrix(FMatrix* Out, const FQuaternion* Q)
{
    if (Out == nullptr || Q == nullptr)
        return nullptr;
    *Out = Q->ToMatrix().Transpose();
    return Out;
}

} // namespace Tolvane
