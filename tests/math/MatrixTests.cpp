// FMatrix: product order, bitwise equality, determinant and inverse, the transposed adjoint,
// frames, rotators and frustum planes.
#include "math/MathTestUtil.h"

using namespace Tolvane;
using MathTest::Near3;
using MathTest::NearM;
using MathTest::NearRot;

namespace {

// A general invertible matrix with a known determinant (-25, by cofactors along row 0).
const FMatrix General(2, 0, 1, 3, 1, 1, 0, 2, 0, 3, 1, 1, 4, 0, 2, 1);

} // namespace

TEST(MathMatrix, ProductAppliesTheLeftMatrixFirst)
{
    const FMatrix Scale = FVector3(2, 3, 4).ToScaleMatrix();
    const FMatrix Move = FVector3(1, 1, 1).ToTranslationMatrix();
    const FVector3 P(1, 1, 1);
    EXPECT_EQ((Scale * Move).TransformVector3(P), FVector3(3, 4, 5));  // scaled, then moved
    EXPECT_EQ((Move * Scale).TransformVector3(P), FVector3(4, 6, 8));  // moved, then scaled
    const FMatrix A(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const FMatrix Product = A * General;
    EXPECT_EQ(Product.M[1][2], 5 * 1 + 6 * 0 + 7 * 1 + 8 * 2);
    EXPECT_EQ(Product.M[3][0], 13 * 2 + 14 * 1 + 15 * 0 + 16 * 4);
    FMatrix InPlace = A;
    InPlace *= InPlace;
    EXPECT_EQ(InPlace, A * A);
    const FVector4 V(1, -2, 3, 0.5f);
    EXPECT_EQ(A.TransformVector4(V), FVector4(1 - 10 + 27 + 6.5f, 2 - 12 + 30 + 7, 3 - 14 + 33 + 7.5f, 4 - 16 + 36 + 8));
}

TEST(MathMatrix, ElementArithmeticAndBitwiseEquality)
{
    const FMatrix A(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(A + A, A * 2.0f);
    EXPECT_EQ(A - A * 2.0f, -A);
    EXPECT_EQ((A / 4.0f).M[3][3], 4.0f);
    FMatrix B = A;
    B += A;
    B -= A;
    B *= 3.0f;
    B /= 3.0f;
    EXPECT_EQ(B, A);
    FMatrix Zero(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    FMatrix NegZero = Zero;
    NegZero.M[2][1] = -0.0f;
    EXPECT_NE(Zero, NegZero);  // compared as bit patterns
    const float Rows[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(FMatrix(Rows), A);
    EXPECT_EQ(FMatrix(FVector4(1, 2, 3, 4), FVector4(5, 6, 7, 8), FVector4(9, 10, 11, 12), FVector4(13, 14, 15, 16)), A);
    EXPECT_EQ(A.Transpose().M[0][3], 13.0f);
    EXPECT_EQ(A.GetAxis(1), FVector3(5, 6, 7));
    EXPECT_EQ(A.GetOrigin(), FVector3(13, 14, 15));
}

TEST(MathMatrix, DeterminantAndInverse)
{
    EXPECT_FLOAT_EQ(General.Determinant(), -25.0f);
    EXPECT_TRUE(NearM(General * General.Inverse(), FMatrix::Identity, 1e-5f));
    EXPECT_TRUE(NearM(General.Inverse() * General, FMatrix::Identity, 1e-5f));
    EXPECT_FLOAT_EQ(General.Transpose().Determinant(), -25.0f);
    EXPECT_EQ(FMatrix::Identity.Determinant(), 1.0f);

    FMatrix Singular = General;
    Singular.M[2][0] = Singular.M[2][1] = Singular.M[2][2] = Singular.M[2][3] = 0;
    EXPECT_EQ(Singular.Determinant(), 0.0f);
    EXPECT_EQ(Singular.Inverse(), FMatrix::Identity);

    // Exactly, up to the sign of zero elements.
    EXPECT_TRUE(NearM(FVector3(1, 2, 3).ToTranslationMatrix().Inverse(), FVector3(-1, -2, -3).ToTranslationMatrix(), 0.0f));
}

TEST(MathMatrix, TransposeAdjointHoldsTheUpperCofactors)
{
    // For the upper 3x3 A, the cofactor matrix is det(A) x transpose(inverse(A)).
    const FMatrix A = FRotator(3000, -7000, 11000).ToMatrix() * FVector3(2, 3, 0.5f).ToScaleMatrix();
    const FMatrix TA = A.TransposeAdjoint();
    const FMatrix Expected = A.Inverse().Transpose() * A.Determinant();
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(Near3(TA.GetAxis(r), Expected.GetAxis(r), 1e-5f)) << r;
    EXPECT_EQ(TA.GetOrigin(), FVector3(0, 0, 0));
    EXPECT_EQ(TA.M[3][3], 1.0f);
    EXPECT_EQ(TA.M[0][3], 0.0f);
}

TEST(MathMatrix, CoordsTakesOriginFromRowThreeAndAxesFromColumns)
{
    const FMatrix A(1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1);
    const FCoords C = A.Coords();
    EXPECT_EQ(C.Origin, FVector3(10, 11, 12));
    EXPECT_EQ(C.XAxis, FVector3(1, 4, 7));
    EXPECT_EQ(C.YAxis, FVector3(2, 5, 8));
    EXPECT_EQ(C.ZAxis, FVector3(3, 6, 9));
    EXPECT_EQ(FVector3(4, 5, 6).ToTranslationMatrix().Coords().Origin, FVector3(4, 5, 6));
}

TEST(MathMatrix, ToRotatorRecoversTheRotatorOfItsMatrix)
{
    // Table angles resolve 4 units; rounding recovers the angle the table used.
    for (const FRotator& R : MathTest::SampleRotators) {
        const FRotator Back = R.ToMatrix().ToRotator();
        EXPECT_TRUE(NearRot(Back, FRotator(R).Clamp(), 4) || NearRot(Back, FRotator(R.Pitch, R.Yaw - 65536, R.Roll), 4))
            << R.Pitch << " " << R.Yaw << " " << R.Roll;
        EXPECT_TRUE(NearM(Back.ToMatrix(), R.ToMatrix(), 2e-3f));
    }
    EXPECT_EQ(FRotator(0, 16384, 0).ToMatrix().ToRotator(), FRotator(0, 16384, 0));
}

TEST(MathMatrix, FrustumPlanesOfAnOrthographicProjection)
{
    // x and y in -1..1 map to -1..1, z in 0..1 maps to 0..1 (w = 1).
    const FMatrix& Proj = FMatrix::Identity;
    FPlane P(9, 9, 9, 9);
    ASSERT_EQ(Proj.GetFrustumNearPlane(P), 1);
    EXPECT_EQ(P, FPlane(0, 0, -1, 0));
    ASSERT_EQ(Proj.GetFrustumFarPlane(P), 1);
    EXPECT_EQ(P, FPlane(0, 0, 1, 1));
    ASSERT_EQ(Proj.GetFrustumLeftPlane(P), 1);
    EXPECT_EQ(P, FPlane(-1, 0, 0, 1));
    ASSERT_EQ(Proj.GetFrustumRightPlane(P), 1);
    EXPECT_EQ(P, FPlane(1, 0, 0, 1));
    ASSERT_EQ(Proj.GetFrustumBottomPlane(P), 1);
    EXPECT_EQ(P, FPlane(0, -1, 0, 1));
    ASSERT_EQ(Proj.GetFrustumTopPlane(P), 1);
    EXPECT_EQ(P, FPlane(0, 1, 0, 1));
    // The planes bound the visible box: its centre is behind every one of them.
    EXPECT_LT(P.PlaneDot(FVector3(0, 0, 0.5f)), 0.0f);
}

TEST(MathMatrix, MakeFrustumPlaneRefusesANearlyZeroNormal)
{
    const FPlane Before(1, 2, 3, 4);
    FPlane P = Before;
    EXPECT_EQ(FMatrix::Identity.MakeFrustumPlane(0, 0, 0, 1, P), 0);
    EXPECT_EQ(P, Before);
    // A squared length of exactly 1e-8 is not above the threshold.
    const FVector3 Edge = MathTest::VectorAtSmallSquaredEdge();
    ASSERT_FALSE(Edge.IsZero());
    EXPECT_EQ(FMatrix::Identity.MakeFrustumPlane(Edge.X, Edge.Y, Edge.Z, 1, P), 0);
    EXPECT_EQ(P, Before);
    EXPECT_EQ(FMatrix::Identity.MakeFrustumPlane(0, 0, std::nanf(""), 1, P), 0);
    ASSERT_EQ(FMatrix::Identity.MakeFrustumPlane(0, 3, 4, 10, P), 1);
    EXPECT_TRUE(Near3(FVector3(P.X, P.Y, P.Z), FVector3(0, -0.6f, -0.8f), 1e-7f));
    EXPECT_FLOAT_EQ(P.W, 2.0f);
}
