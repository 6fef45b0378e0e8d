// FRotator, FCoords and FQuaternion: the angle conventions, and that the frame, matrix and
// quaternion forms of one rotation agree.
#include "math/MathTestUtil.h"

#include <climits>
#include <type_traits>
#include <utility>

using namespace Tolvane;
using MathTest::Near3;
using MathTest::NearM;
using MathTest::NearQ;
using MathTest::NearRot;

namespace {

const float R2 = 0.70710678f;

} // namespace

TEST(MathRotator, IntegerArithmeticAndClamp)
{
    EXPECT_EQ(FRotator(65536, -1, 70000).Clamp(), FRotator(0, -1, 4464));
    EXPECT_EQ(FRotator(-70000, 131071, 0).Clamp(), FRotator(-4464, 65535, 0));
    EXPECT_EQ(FRotator(1, 2, 3) + FRotator(10, 20, 30), FRotator(11, 22, 33));
    EXPECT_EQ(FRotator(1, 2, 3) - FRotator(10, 20, 30), FRotator(-9, -18, -27));
    EXPECT_EQ(FRotator(INT_MAX, 0, 0) + FRotator(1, 0, 0), FRotator(INT_MIN, 0, 0));  // wraps in 32 bits
    FRotator R(1000, -1000, 3);
    R *= 0.5f;
    EXPECT_EQ(R, FRotator(500, -500, 1));  // truncated toward zero
    EXPECT_EQ(FRotator(1 << 30, 0, 0) * 4.0f, FRotator(INT_MAX, 0, 0));  // saturates
    const int Values[3] = {4, 5, 6};
    EXPECT_EQ(FRotator(Values), FRotator(4, 5, 6));
}

TEST(MathRotator, ClampChangesTheRotatorAndReturnsIt)
{
    FRotator R(65536, -1, 70000);
    FRotator& Same = R.Clamp();
    EXPECT_EQ(&Same, &R);
    EXPECT_EQ(R, FRotator(0, -1, 4464));
}

TEST(MathCoords, TransposeAndPivotsChangeTheFrameAndReturnIt)
{
    const FCoords Start = FCoords(FVector3(1, 2, 3)) * FRotator(3000, 9000, -2000);
    FCoords C = Start;
    EXPECT_EQ(&C.Transpose(), &C);
    EXPECT_EQ(C.XAxis, FVector3(Start.XAxis.X, Start.YAxis.X, Start.ZAxis.X));
    EXPECT_EQ(C.Origin, -FVector3(Start.Origin | Start.XAxis, Start.Origin | Start.YAxis, Start.Origin | Start.ZAxis));

    FCoords Inv = Start;
    EXPECT_EQ(&Inv.PivotInverse(), &Inv);
    // An orthonormal frame's inverse axes are its transposed axes.
    EXPECT_TRUE(Near3(Inv.XAxis, C.XAxis, 1e-5f));
    EXPECT_TRUE(Near3(Inv.ZAxis, C.ZAxis, 1e-5f));
    const FCoords Pivot(FVector3(10, 0, 0), FVector3(0, 1, 0), FVector3(-1, 0, 0), FVector3(0, 0, 1));
    FCoords Applied(FVector3(1, 2, 3));  // a vector converts to a frame
    EXPECT_EQ(&Applied.ApplyPivot(Pivot), &Applied);
    EXPECT_EQ(Applied.Origin, FVector3(12, -1, 3));
    FCoords Self = Pivot;
    Self.ApplyPivot(Self);  // the pivot may be the frame itself
    EXPECT_EQ(Self.Origin, FVector3(10, -10, 0));
}

// The declared forms: implicit conversions, and the members that change their object.
static_assert(std::is_convertible<FVector3, FCoords>::value, "a vector converts to a frame");
static_assert(std::is_same<decltype(std::declval<FCoords&>().Transpose()), FCoords&>::value, "in place");
static_assert(std::is_same<decltype(std::declval<FRotator&>().Clamp()), FRotator&>::value, "in place");

TEST(MathRotator, FacingDirectionAndMatrixRows)
{
    EXPECT_TRUE(Near3(FRotator(0, 16384, 0).ToVector3(), FVector3(0, 1, 0), 1e-6f));
    EXPECT_TRUE(Near3(FRotator(16384, 0, 0).ToVector3(), FVector3(0, 0, 1), 1e-6f));
    // Roll turns the Y axis toward +Z: row 1 of a 90 degree roll is (0, 0, -1)... as the rows say.
    const FMatrix Roll = FRotator(0, 0, 16384).ToMatrix();
    EXPECT_TRUE(Near3(Roll.GetAxis(1), FVector3(0, 0, -1), 1e-6f));
    EXPECT_TRUE(Near3(Roll.GetAxis(2), FVector3(0, 1, 0), 1e-6f));
    for (const FRotator& R : MathTest::SampleRotators) {
        const FMatrix M = R.ToMatrix();
        EXPECT_EQ(M.GetAxis(0), R.ToVector3());
        EXPECT_NEAR(M.Determinant(), 1.0f, 1e-5f);  // a pure rotation
        EXPECT_NEAR(M.GetAxis(0) | M.GetAxis(1), 0.0f, 1e-6f);
    }
}

TEST(MathCoords, RotatorFramesMatchTheRotatorMatrix)
{
    FCoords C = FCoords::UnitCoords;
    C *= FRotator(0, 16384, 0);
    EXPECT_TRUE(Near3(C.XAxis, FVector3(0, -1, 0), 1e-6f));
    EXPECT_TRUE(Near3(C.YAxis, FVector3(1, 0, 0), 1e-6f));
    EXPECT_TRUE(Near3(C.ZAxis, FVector3(0, 0, 1), 1e-6f));
    for (const FRotator& R : MathTest::SampleRotators) {
        EXPECT_TRUE(NearM((FCoords::UnitCoords * R).Matrix(), R.ToMatrix(), 1e-6f));
        const FCoords Back = FCoords::UnitCoords * R / R;
        EXPECT_TRUE(NearM(Back.Matrix(), FMatrix::Identity, 1e-6f));
        // The inverse frame is the one OrthoRotation reads (truncation loses at most a unit or two).
        EXPECT_TRUE(NearRot((FCoords::UnitCoords / R).OrthoRotation(), FRotator(R).Clamp(), 5) ||
                    NearRot((FCoords::UnitCoords / R).OrthoRotation(), FRotator(R.Pitch, R.Yaw - 65536, R.Roll), 5))
            << R.Pitch << " " << R.Yaw << " " << R.Roll;
    }
}

TEST(MathCoords, MatrixTransposeAndPivots)
{
    const FCoords C = FCoords(FVector3(1, 2, 3)) * FRotator(3000, 9000, -2000);
    const FVector3 P(4, -5, 6);
    EXPECT_TRUE(Near3(C.Matrix().TransformVector3(P), P.TransformPointBy(C), 1e-5f));
    // The transposed frame undoes an orthonormal frame.
    EXPECT_TRUE(Near3(P.TransformPointBy(C).TransformPointBy(FCoords(C).Transpose()), P, 1e-5f));

    // PivotInverse inverts the 3x3 of rows XAxis, YAxis, ZAxis, even when not orthonormal.
    const FCoords Skew(FVector3(1, 2, 3), FVector3(2, 0, 0), FVector3(1, 1, 0), FVector3(0, 0, 4));
    const FCoords Inv = FCoords(Skew).PivotInverse();
    const FMatrix A(2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1);
    const FMatrix AInv(Inv.XAxis.X, Inv.XAxis.Y, Inv.XAxis.Z, 0, Inv.YAxis.X, Inv.YAxis.Y, Inv.YAxis.Z, 0,
                       Inv.ZAxis.X, Inv.ZAxis.Y, Inv.ZAxis.Z, 0, 0, 0, 0, 1);
    EXPECT_TRUE(NearM(A * AInv, FMatrix::Identity, 1e-6f));
    EXPECT_TRUE(Near3(Inv.Origin, -FVector3(Skew.Origin | Inv.XAxis, Skew.Origin | Inv.YAxis, Skew.Origin | Inv.ZAxis), 0));
    const FCoords Flat(FVector3(1, 0, 0), FVector3(1, 0, 0), FVector3(2, 0, 0), FVector3(0, 0, 1));
    const FCoords FlatInv = FCoords(Flat).PivotInverse();
    EXPECT_EQ(FlatInv.XAxis, FVector3(1, 0, 0));
    EXPECT_EQ(FlatInv.YAxis, FVector3(0, 1, 0));

    const FCoords Pivot(FVector3(10, 0, 0), FVector3(0, 1, 0), FVector3(-1, 0, 0), FVector3(0, 0, 1));
    const FCoords Applied = FCoords(FVector3(1, 2, 3)).ApplyPivot(Pivot);
    EXPECT_EQ(Applied.Origin, FVector3(12, -1, 3));
    EXPECT_EQ(Applied.XAxis, FVector3(0, 1, 0));
    EXPECT_EQ(Applied.YAxis, FVector3(-1, 0, 0));
}

TEST(MathCoords, TranslationsMoveTheOrigin)
{
    FCoords C = FCoords::UnitCoords;
    C *= FVector3(1, 2, 3);
    EXPECT_EQ(C.Origin, FVector3(-1, -2, -3));
    EXPECT_EQ((C / FVector3(1, 2, 3)).Origin, FVector3(0, 0, 0));
    EXPECT_EQ((FCoords::UnitCoords * FVector3(1, 2, 3)).Origin, FVector3(-1, -2, -3));
}

TEST(MathCoords, ScaleSnapsTheShearRate)
{
    // The rate lands in YAxis.X for ESA_XAxisY (the unit frame carried through the shear frame).
    const struct { float Rate, Snapped; } Cases[] = {
        {-0.8f, -0.8f + 0.15f}, {0.8f, 0.8f - 0.15f}, {0.65f, 0.5f}, {-0.65f, -0.5f}, {0.6f, 0.5f},
        {-0.56f, -0.5f}, {0.55f, 0.55f - 0.05f}, {0.3f, 0.3f - 0.05f}, {-0.3f, -0.3f + 0.05f},
        {0.05f, 0.0f}, {-0.05f, 0.0f}, {0.0f, 0.0f},
    };
    for (const auto& Case : Cases) {
        const FCoords C = FCoords::UnitCoords * FScale(FVector3(1, 1, 1), Case.Rate, ESA_XAxisY);
        EXPECT_EQ(C.YAxis.X, Case.Snapped) << Case.Rate;
    }
    // Each axis names one element; the scale multiplies the axes and divides the origin.
    const struct { ESheerAxis Axis; int Which; } Elements[] = {
        {ESA_XAxisY, 0}, {ESA_XAxisZ, 1}, {ESA_YAxisX, 2}, {ESA_YAxisZ, 3}, {ESA_ZAxisX, 4}, {ESA_ZAxisY, 5},
    };
    for (const auto& E : Elements) {
        FCoords Shear = FCoords::UnitCoords;
        float* Slots[6] = {&Shear.XAxis.Y, &Shear.XAxis.Z, &Shear.YAxis.X, &Shear.YAxis.Z, &Shear.ZAxis.X, &Shear.ZAxis.Y};
        *Slots[E.Which] = 0.25f;
        FCoords Expected(FVector3(2, 3, 4));
        Expected *= Shear;
        Expected.XAxis *= FVector3(2, 4, 8);
        Expected.YAxis *= FVector3(2, 4, 8);
        Expected.ZAxis *= FVector3(2, 4, 8);
        const FCoords C = FCoords(FVector3(2, 3, 4)) * FScale(FVector3(2, 4, 8), 0.3f, E.Axis);
        EXPECT_EQ(C.XAxis, Expected.XAxis) << E.Which;
        EXPECT_EQ(C.YAxis, Expected.YAxis) << E.Which;
        EXPECT_EQ(C.ZAxis, Expected.ZAxis) << E.Which;
        EXPECT_EQ(C.Origin, FVector3(Expected.Origin.X / 2, Expected.Origin.Y / 4, Expected.Origin.Z / 8)) << E.Which;
    }
    EXPECT_EQ((FCoords::UnitCoords * FScale(FVector3(1, 1, 1), 0.9f, ESA_None)).YAxis, FVector3(0, 1, 0));
}

TEST(MathQuaternion, ProductsAndNormalisation)
{
    const FQuaternion I(1, 0, 0, 0), J(0, 1, 0, 0), K(0, 0, 1, 0);
    EXPECT_EQ(I * J, K);
    EXPECT_EQ(J * I, FQuaternion(0, 0, -1, 0));
    EXPECT_EQ(I * I, FQuaternion(0, 0, 0, -1));
    const FQuaternion A(1, 2, 3, 4), B(-2, 0.5f, 1, 3);
    EXPECT_TRUE(NearQ(A / B, A * FQuaternion(2, -0.5f, -1, 3), 0));
    // The mixed product: X and W of the Hamilton product, the other two by their own formula.
    const FQuaternion H = A * B, M = A ^ B;
    EXPECT_EQ(M.X, H.X);
    EXPECT_EQ(M.W, H.W);
    EXPECT_EQ(M.Y, 2 * 3 + 0.5f * 4 - 3 * -2 + 1 * 1);
    EXPECT_EQ(M.Z, 1 * 4 - 3 * 3 + 1 * 0.5f + -2 * 2);

    FQuaternion C = A;
    C.Conjugate();
    EXPECT_EQ(C, A.SafeConjugate());
    EXPECT_EQ(C, FQuaternion(-1, -2, -3, 4));

    FQuaternion Zero(0, 0, 0, 0);
    EXPECT_EQ(Zero.Normalize(), 0);
    EXPECT_EQ(Zero, FQuaternion(0, 0, 0, 1));
    EXPECT_EQ(FQuaternion(1e-5f, 0, 0, 0).SafeNormal(), FQuaternion(0, 0, 0, 1));
    FQuaternion D(0, 3, 0, 4);
    EXPECT_EQ(D.Normalize(), 1);
    EXPECT_TRUE(NearQ(D, FQuaternion(0, 0.6f, 0, 0.8f), 1e-7f));
}

TEST(MathQuaternion, RotationsFromAxesAnglesAndRotators)
{
    EXPECT_TRUE(NearQ(FQuaternion::StaticRotation(FVector3(0, 0, 5), 16384), FQuaternion(0, 0, R2, R2), 1e-6f));
    // A zero axis: the formula's (0, 0, 0, cos(angle/2)).
    EXPECT_EQ(FQuaternion::StaticRotation(FVector3(0, 0, 0), 16384),
              FQuaternion(0, 0, 0, FQuaternion::StaticRotation(FVector3(0, 0, 1), 16384).W));
    EXPECT_EQ(FQuaternion::StaticRotation(FVector3(0, 0, 0), 0), FQuaternion(0, 0, 0, 1));
    // Negative angles: the half angle is truncated toward zero before the table lookup.
    EXPECT_TRUE(NearQ(FQuaternion::StaticRotation(FVector3(1, 0, 0), -16384), FQuaternion(-R2, 0, 0, R2), 1e-6f));
    FQuaternion Q;
    EXPECT_EQ(Q.Rotation(FVector3(0, 1, 0), 32768), FQuaternion::StaticRotation(FVector3(0, 1, 0), 32768));

    // Angle and axis (radians) and back.
    const FQuaternion AngAxis(0, 0, 1, 1.5707964f);
    EXPECT_TRUE(NearQ(AngAxis.AngAxisToFQuat(), FQuaternion(0, 0, R2, R2), 1e-3f));
    EXPECT_TRUE(NearQ(FQuaternion(0, 0, R2, R2).FQuatToAngAxis(), AngAxis, 1e-5f));
    EXPECT_EQ(FQuaternion(0, 0, 0, 1).FQuatToAngAxis(), FQuaternion(0, 0, 1, 0));
    EXPECT_EQ(FQuaternion(0, 0, 0, 1.5f).FQuatToAngAxis(), FQuaternion(0, 0, 1, 0));  // no axis, no NaN

    // The quaternion of a rotator turns vectors as the rotator's matrix does (rows as images
    // of the axes under ToMatrix, the transposed form under QuaternionToMatrix).
    for (const FRotator& R : MathTest::SampleRotators) {
        const FQuaternion RQ = FQuaternion::StaticFromRotator(R);
        EXPECT_TRUE(NearM(RQ.ToMatrix(), R.ToMatrix(), 1e-5f)) << R.Pitch << " " << R.Yaw << " " << R.Roll;
        FMatrix RowForm;
        ASSERT_EQ(QuaternionToMatrix(&RowForm, &RQ), &RowForm);
        EXPECT_TRUE(NearM(RowForm, R.ToMatrix().Transpose(), 1e-5f));
        const FVector3 V(1, -2, 0.5f);
        EXPECT_TRUE(Near3(RQ.RotateVector(V), RowForm.TransformNormal(V), 1e-5f));
        EXPECT_TRUE(Near3(RQ.TransformVector3(RQ.RotateVector(V)), V, 1e-5f));
        // Back to a rotator: the same rotation, within a few table steps.
        EXPECT_TRUE(NearM(RQ.ToRotator().ToMatrix(), R.ToMatrix(), 1e-3f)) << R.Pitch << " " << R.Yaw << " " << R.Roll;
        FQuaternion Same;
        EXPECT_EQ(Same.FromRotator(R), RQ);
    }
    EXPECT_EQ(QuaternionToMatrix(nullptr, &Q), nullptr);
}

TEST(MathQuaternion, FromMatrixCoversEveryTurn)
{
    const struct { FVector3 Axis; int Angle; } Cases[] = {
        {{0, 0, 1}, 0}, {{0, 0, 1}, 12000}, {{1, 2, 3}, 30000}, {{1, 0, 0}, 32768}, {{0, 1, 0}, 32768},
        {{0, 0, 1}, 32768}, {{1, 1, 0}, 32768}, {{-1, 2, 0.5f}, 31000}, {{3, -1, 2}, 20000},
    };
    for (const auto& Case : Cases) {
        FQuaternion Q = FQuaternion::StaticRotation(Case.Axis, Case.Angle);
        if (Q.W < 0)
            Q = FQuaternion(-Q.X, -Q.Y, -Q.Z, -Q.W);
        const FQuaternion Back = FQuaternion::StaticFromMatrix(Q.ToMatrix());
        EXPECT_TRUE(NearQ(Back, Q, 1e-4f)) << Case.Angle;
        EXPECT_GE(Back.W, 0.0f);
    }
    // A half turn about X has trace -1, outside the scalar-part formula.
    const FMatrix HalfTurnX(1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1);
    EXPECT_EQ(FQuaternion::StaticFromMatrix(HalfTurnX), FQuaternion(1, 0, 0, 0));
    FQuaternion Q;
    EXPECT_EQ(Q.FromMatrix(FMatrix::Identity), FQuaternion(0, 0, 0, 1));
    // A zero upper 3x3 takes the scalar-part formula like any matrix whose trace is its largest
    // diagonal sum.
    const FMatrix Zero(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(FQuaternion::StaticFromMatrix(Zero), FQuaternion(0, 0, 0, 0.5f));
    // So much negative diagonal that no square root is defined: still finite.
    const FMatrix Negative(-5, 0, 0, 0, 0, -5, 0, 0, 0, 0, -5, 0, 0, 0, 0, 1);
    const FQuaternion FromNegative = FQuaternion::StaticFromMatrix(Negative);
    EXPECT_TRUE(std::isfinite(FromNegative.X) && std::isfinite(FromNegative.Y) && std::isfinite(FromNegative.Z) &&
                std::isfinite(FromNegative.W));
}

// The scalar-part formula, written out as the reference.
FQuaternion FormulaFromMatrix(const FMatrix& M)
{
    const float W = std::sqrt(M.M[0][0] + M.M[1][1] + M.M[2][2] + 1.0f) * 0.5f;
    const float K = 0.25f / W;
    return FQuaternion((M.M[2][1] - M.M[1][2]) * K, (M.M[0][2] - M.M[2][0]) * K, (M.M[1][0] - M.M[0][1]) * K, W);
}

// The formula for every trace above -0.99; closer to a half turn its divisions by a tiny W
// would lose the rotation (see FromMatrixCoversEveryTurn), and the largest diagonal leads.
TEST(MathQuaternion, FromMatrixUsesTheFormulaWhereverItIsAccurate)
{
    const FMatrix Turn120X = FQuaternion::StaticRotation(FVector3(1, 0, 0), 21845).ToMatrix();
    const FQuaternion Q = FQuaternion::StaticFromMatrix(Turn120X);
    EXPECT_EQ(Q, FormulaFromMatrix(Turn120X));
    EXPECT_FLOAT_EQ(Q.X, 0.8658978f);
    const FMatrix Cases[] = {
        Turn120X * 2.0f,
        FQuaternion::StaticRotation(FVector3(1, 2, 3), 30000).ToMatrix(),
        FQuaternion::StaticRotation(FVector3(0, 1, 0), 30500).ToMatrix(),
        FMatrix(0.5f, 0, 0, 0, 0, -0.9f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 1),  // trace -0.9
        FQuaternion::StaticRotation(FVector3(1, 1, 0), 30000).ToMatrix(),    // trace about -0.97
    };
    for (const FMatrix& M : Cases) {
        ASSERT_GT(M.M[0][0] + M.M[1][1] + M.M[2][2], -0.99f);
        EXPECT_EQ(FQuaternion::StaticFromMatrix(M), FormulaFromMatrix(M)) << M.M[0][0];
    }
    // Just below: the fall-back, still the rotation to float precision.
    const FQuaternion Near = FQuaternion::StaticRotation(FVector3(0, 1, 0), 32000);
    EXPECT_TRUE(NearQ(FQuaternion::StaticFromMatrix(Near.ToMatrix()), Near, 1e-6f));
}

TEST(MathQuaternion, SlerpAndAngleAxisDivideAsTheFormulasDo)
{
    auto TableSinOf = [](float Radians) {
        const float Index = Radians * 65536.0f / 6.283185f;
        return __TriTable[(static_cast<unsigned>(static_cast<int>(Index)) >> 2) & (TRI_TABLE_SIZE - 1)];
    };
    int Checked = 0;
    for (int i = 0; i < 60; ++i) {
        const FQuaternion A = FQuaternion::StaticRotation(FVector3(1.0f + i, 2.0f, 3.0f - i), 1000 + 900 * i);
        const FQuaternion B = FQuaternion::StaticRotation(FVector3(3.0f, -1.0f + i, 2.0f), 20000 - 250 * i);
        const float T = 0.013f * i;
        float Cos = A.X * B.X + A.Y * B.Y + A.Z * B.Z + A.W * B.W;
        FQuaternion To = B;
        if (Cos < 0.0f) {
            Cos = -Cos;
            To = FQuaternion(-B.X, -B.Y, -B.Z, -B.W);
        }
        if (!(1.0f - Cos > 0.001f))
            continue;
        const float Omega = std::acos(Cos);
        const float WA = TableSinOf((1.0f - T) * Omega) / TableSinOf(Omega);
        const float WB = TableSinOf(T * Omega) / TableSinOf(Omega);
        const FQuaternion Expected(A.X * WA + To.X * WB, A.Y * WA + To.Y * WB, A.Z * WA + To.Z * WB,
                                   A.W * WA + To.W * WB);
        EXPECT_EQ(FQuaternion::StaticSlerp(A, B, T), Expected) << i;

        const float S = std::sqrt(1.0f - A.W * A.W);
        EXPECT_EQ(A.FQuatToAngAxis(), FQuaternion(A.X / S, A.Y / S, A.Z / S, 2.0f * std::acos(A.W))) << i;
        ++Checked;
    }
    EXPECT_GT(Checked, 40);
}

TEST(MathQuaternion, AxisOfRotation)
{
    EXPECT_EQ(FQuaternion(0, 0, 0, 1).ToVector3(), FVector3(0, 0, 0));
    EXPECT_EQ(FQuaternion(0, 0, 0, -1).ToVector3(), FVector3(0, 0, 0));
    EXPECT_EQ(FQuaternion(0.1f, 0, 0, 1.2f).ToVector3(), FVector3(0, 0, 0));
    EXPECT_TRUE(Near3(FQuaternion(0, 0, R2, R2).ToVector3(), FVector3(0, 0, 1), 1e-6f));
    EXPECT_EQ(FQuaternion(1, 2, 3, 4).Vector3Value(), FVector3(1, 2, 3));
}

TEST(MathQuaternion, SlerpTakesTheShortWay)
{
    const FQuaternion A = FQuaternion::StaticRotation(FVector3(1, 2, 3), 5000);
    const FQuaternion NegA(-A.X, -A.Y, -A.Z, -A.W);
    EXPECT_EQ(FQuaternion::StaticSlerp(A, A, 0.5f), FQuaternion(A.X * 0.5f + A.X * 0.5f, A.Y * 0.5f + A.Y * 0.5f,
                                                                 A.Z * 0.5f + A.Z * 0.5f, A.W * 0.5f + A.W * 0.5f));
    EXPECT_TRUE(NearQ(FQuaternion::StaticSlerp(A, A, 0.5f), A, 1e-7f));
    EXPECT_TRUE(NearQ(FQuaternion::StaticSlerp(A, NegA, 0.5f), A, 1e-7f));

    const FQuaternion Id(0, 0, 0, 1), Quarter(0, 0, R2, R2);
    const FQuaternion Eighth = FQuaternion::StaticSlerp(Id, Quarter, 0.5f);
    EXPECT_TRUE(NearQ(Eighth, FQuaternion(0, 0, 0.38268343f, 0.92387953f), 1e-3f));
    EXPECT_TRUE(NearQ(FQuaternion::StaticSlerp(Id, Quarter, 0.0f), Id, 1e-3f));
    EXPECT_TRUE(NearQ(FQuaternion::StaticSlerp(Id, Quarter, 1.0f), Quarter, 1e-3f));
    FQuaternion Member;
    EXPECT_EQ(Member.Slerp(Id, Quarter, 0.25f), FQuaternion::StaticSlerp(Id, Quarter, 0.25f));
    // Beyond the ends the weights extrapolate and stay finite.
    const FQuaternion Beyond = FQuaternion::StaticSlerp(Id, Quarter, 3.0f);
    EXPECT_TRUE(std::isfinite(Beyond.W) && std::isfinite(Beyond.Z));
    // Within 0.001 of each other the weights are linear: 1 - t and t.
    const FQuaternion Close(0, 0, 0.04f, 0.9992f);
    const FQuaternion Linear = FQuaternion::StaticSlerp(Id, Close, 0.25f);
    EXPECT_EQ(Linear.Z, 0.04f * 0.25f);
}

TEST(MathQuaternion, AxisToAxisCarriesOneDirectionOntoTheOther)
{
    EXPECT_TRUE(NearQ(FQuaternion::StaticQuaternionAxisToAxis(FVector3(1, 0, 0), FVector3(0, 1, 0)),
                      FQuaternion(0, 0, R2, R2), 1e-6f));
    const FVector3 Pairs[][2] = {
        {{1, 0, 0}, {0, 1, 0}}, {{2, 3, -1}, {-4, 0.5f, 2}}, {{0, 0, 7}, {0, 0, -3}}, {{1, 1, 1}, {-1, -1, -1}},
        {{1, 0, 0}, {1, 0, 0}},
    };
    for (const auto& Pair : Pairs) {
        const FQuaternion Q = FQuaternion::StaticQuaternionAxisToAxis(Pair[0], Pair[1]);
        EXPECT_TRUE(Near3(Q.RotateVector(Pair[0].SafeNormal()), Pair[1].SafeNormal(), 1e-5f))
            << Pair[1].X << " " << Pair[1].Y << " " << Pair[1].Z;
        EXPECT_NEAR(Q.X * Q.X + Q.Y * Q.Y + Q.Z * Q.Z + Q.W * Q.W, 1.0f, 1e-5f);
        FQuaternion Out;
        EXPECT_EQ(QuaternionAxisToAxis(&Out, &Pair[0], &Pair[1]), &Out);
        EXPECT_EQ(Out, Q);
        const FVector3 A = Pair[0].SafeNormal(), B = Pair[1].SafeNormal();
        EXPECT_EQ(QuaternionUnitAxisToUnitAxis(&Out, &A, &B), &Out);
        EXPECT_TRUE(NearQ(Out, Q, 1e-6f));
    }
    EXPECT_EQ(FQuaternion::StaticQuaternionAxisToAxis(FVector3(0, 0, 0), FVector3(0, 1, 0)), FQuaternion(0, 0, 0, 1));
    FQuaternion Out(9, 9, 9, 9);
    const FVector3 V(1, 0, 0);
    EXPECT_EQ(QuaternionAxisToAxis(&Out, nullptr, &V), nullptr);
    EXPECT_EQ(QuaternionUnitAxisToUnitAxis(&Out, &V, nullptr), nullptr);
    EXPECT_EQ(Out, FQuaternion(9, 9, 9, 9));
    FQuaternion Member;
    EXPECT_EQ(Member.QuaternionAxisToAxis(V, FVector3(0, 0, 2)), FQuaternion::StaticQuaternionAxisToAxis(V, FVector3(0, 0, 1)));
}
