// FCoords composition with frames, rotators, translations and scales; transposition, pivots,
// the inverse frame and the rotation of an orthonormal frame.
#include "base/tvPrelude.h"
#include "tvCore/math/tvCoords.h"
#include "tvCore/math/tvMatrix.h"
#include "tvCore/math/tvRotator.h"
#include "math/tvMathPrivate.h"

namespace Tolvane {

using namespace MathPrivate;

const FCoords FCoords::UnitCoords(FVector3(0.0f, 0.0f, 0.0f));

FCoords& FCoords::operator*=(const FCoords& C)
{
    Origin = Origin.TransformPointBy(C);
    XAxis = XAxis.TransformVectorBy(C);
    YAxis = YAxis.TransformVectorBy(C);
    ZAxis = ZAxis.TransformVectorBy(C);
    return *this;
}

namespace {

const FVector3 Zero3(0.0f, 0.0f, 0.0f);

FCoords Frame(const FVector3& X, const FVector3& Y, const FVector3& Z) { return FCoords(Zero3, X, Y, Z); }

// The shear rate snapped the way the shear frame takes it: large rates lose 0.15, rates near
// one half become exactly one half, small rates lose 0.05 and the smallest vanish.
float SnapShear(float R)
{
    if (R < -0.65f)
        return R + 0.15f;
    if (R > 0.65f)
        return R - 0.15f;
    if (R < -0.55f)
        return -0.5f;
    if (R > 0.55f)
        return 0.5f;
    if (R < -0.05f)
        return R + 0.05f;
    if (R > 0.05f)
        return R - 0.05f;
    return 0.0f;
}

} // namespace

FCoords& FCoords::operator*=(const FRotator& R)
{
    const float SY = TableSin(R.Yaw), CY = TableCos(R.Yaw);
    const float SP = TableSin(R.Pitch), CP = TableCos(R.Pitch);
    const float SR = TableSin(R.Roll), CR = TableCos(R.Roll);
    *this *= Frame(FVector3(CY, SY, 0.0f), FVector3(-SY, CY, 0.0f), FVector3(0.0f, 0.0f, 1.0f));
    *this *= Frame(FVector3(CP, 0.0f, SP), FVector3(0.0f, 1.0f, 0.0f), FVector3(-SP, 0.0f, CP));
    *this *= Frame(FVector3(1.0f, 0.0f, 0.0f), FVector3(0.0f, CR, -SR), FVector3(0.0f, SR, CR));
    return *this;
}

FCoords& FCoords::operator/=(const FRotator& R)
{
    const float SY = TableSin(R.Yaw), CY = TableCos(R.Yaw);
    const float SP = TableSin(R.Pitch), CP = TableCos(R.Pitch);
    const float SR = TableSin(R.Roll), CR = TableCos(R.Roll);
    *this *= Frame(FVector3(1.0f, 0.0f, 0.0f), FVector3(0.0f, CR, SR), FVector3(0.0f, -SR, CR));
    *this *= Frame(FVector3(CP, 0.0f, -SP), FVector3(0.0f, 1.0f, 0.0f), FVector3(SP, 0.0f, CP));
    *this *= Frame(FVector3(CY, -SY, 0.0f), FVector3(SY, CY, 0.0f), FVector3(0.0f, 0.0f, 1.0f));
    return *this;
}

FCoords& FCoords::operator*=(const FScale& S)
{
    FCoords Shear = UnitCoords;
    const float Rate = SnapShear(S.SheerRate);
    switch (S.SheerAxis) {
    case ESA_XAxisY: Shear.XAxis.Y = Rate; break;
    case ESA_XAxisZ: Shear.XAxis.Z = Rate; break;
    case ESA_YAxisX: Shear.YAxis.X = Rate; break;
    case ESA_YAxisZ: Shear.YAxis.Z = Rate; break;
    case ESA_ZAxisX: Shear.ZAxis.X = Rate; break;
    case ESA_ZAxisY: Shear.ZAxis.Y = Rate; break;
    default: break;  // ESA_None and values outside the enumeration shear nothing
    }
    *this *= Shear;
    XAxis *= S.Scale;
    YAxis *= S.Scale;
    ZAxis *= S.Scale;
    Origin = FVector3(Origin.X / S.Scale.X, Origin.Y / S.Scale.Y, Origin.Z / S.Scale.Z);
    return *this;
}

FCoords FCoords::Transpose() const
{
    return FCoords(-FVector3(Origin | XAxis, Origin | YAxis, Origin | ZAxis), FVector3(XAxis.X, YAxis.X, ZAxis.X),
                   FVector3(XAxis.Y, YAxis.Y, ZAxis.Y), FVector3(XAxis.Z, YAxis.Z, ZAxis.Z));
}

FMatrix FCoords::Matrix() const
{
    return FMatrix(XAxis.X, YAxis.X, ZAxis.X, 0.0f,
                   XAxis.Y, YAxis.Y, ZAxis.Y, 0.0f,
                   XAxis.Z, YAxis.Z, ZAxis.Z, 0.0f,
                   -(Origin | XAxis), -(Origin | YAxis), -(Origin | ZAxis), 1.0f);
}

FCoords FCoords::ApplyPivot(const FCoords& C) const
{
    return FCoords(C.Origin + Origin.TransformVectorBy(C), FVector3(XAxis | C.XAxis, YAxis | C.XAxis, ZAxis | C.XAxis),
                   FVector3(XAxis | C.YAxis, YAxis | C.YAxis, ZAxis | C.YAxis),
                   FVector3(XAxis | C.ZAxis, YAxis | C.ZAxis, ZAxis | C.ZAxis));
}

FCoords FCoords::PivotInverse() const
{
    // Rows of the cofactor matrix of A (rows XAxis, YAxis, ZAxis), transposed: the columns of
    // the adjugate are the cross products of pairs of rows.
    const FVector3 C0 = YAxis ^ ZAxis, C1 = ZAxis ^ XAxis, C2 = XAxis ^ YAxis;
    const float Det = XAxis | C0;
    FCoords R(Zero3, FVector3(1.0f, 0.0f, 0.0f), FVector3(0.0f, 1.0f, 0.0f), FVector3(0.0f, 0.0f, 1.0f));
    if (Det != 0.0f) {
        const float InvDet = 1.0f / Det;
        R.XAxis = FVector3(C0.X, C1.X, C2.X) * InvDet;
        R.YAxis = FVector3(C0.Y, C1.Y, C2.Y) * InvDet;
        R.ZAxis = FVector3(C0.Z, C1.Z, C2.Z) * InvDet;
    }
    R.Origin = FVector3(-(Origin | R.XAxis), -(Origin | R.YAxis), -(Origin | R.ZAxis));
    return R;
}

FRotator FCoords::OrthoRotation() const
{
    const int Yaw = TruncToInt(std::atan2(XAxis.Y, XAxis.X) * 32768.0f / Pi);
    const int Pitch = TruncToInt(std::atan2(XAxis.Z, std::sqrt(XAxis.X * XAxis.X + XAxis.Y * XAxis.Y)) * 32768.0f / Pi);
    const FCoords S = UnitCoords / FRotator(Pitch, Yaw, 0);
    const int Roll = TruncToInt(std::atan2(ZAxis | S.YAxis, YAxis | S.YAxis) * 32768.0f / Pi);
    return FRotator(Pitch, Yaw, Roll);
}

} // namespace Tolvane
