// FVector2/3/4: lengths, the strict thresholds, rotation by table angle, frame transforms and
// the direction-to-rotator conversion.
#include "math/MathTestUtil.h"

#include <cmath>

using namespace Tolvane;
using MathTest::Near3;

TEST(MathVector, LengthsAndExtremes)
{
    EXPECT_EQ(FVector3(3, 4, 0).Size(), 5.0f);
    EXPECT_EQ(FVector3(3, 4, 12).Size2D(), 5.0f);
    EXPECT_EQ(FVector3(3, 4, 12).Size(), 13.0f);
    EXPECT_EQ(FVector3(3, 4, 12).Size2DSquared(), 25.0f);
    const FVector3 V(-7, 2, 5);
    EXPECT_EQ(V.GetMax(), 5.0f);
    EXPECT_EQ(V.GetMin(), -7.0f);
    EXPECT_EQ(V.GetAbsMax(), 7.0f);
    EXPECT_EQ(FVector3::Zero, FVector3(0, 0, 0));
    EXPECT_TRUE(FVector3(0, -0.0f, 0).IsZero());
}

TEST(MathVector, ArithmeticDividesThroughOneReciprocal)
{
    const FVector3 A(1, 2, 3), B(4, -5, 6);
    EXPECT_EQ(A + B, FVector3(5, -3, 9));
    EXPECT_EQ(A - B, FVector3(-3, 7, -3));
    EXPECT_EQ(-A, FVector3(-1, -2, -3));
    EXPECT_EQ(A * B, FVector3(4, -10, 18));
    EXPECT_EQ(A * 2.0f, 2.0f * A);
    EXPECT_EQ(A | B, 12.0f);
    EXPECT_EQ(FVector3(1, 0, 0) ^ FVector3(0, 1, 0), FVector3(0, 0, 1));
    EXPECT_EQ(A ^ B, FVector3(2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4));

    // A component where x / 3 and x * (1/3) round differently shows which one is used.
    float X = 1.0f;
    while (X / 3.0f == X * (1.0f / 3.0f))
        X += 1.0f;
    const FVector3 V(X, X, X);
    EXPECT_EQ((V / 3.0f).X, X * (1.0f / 3.0f));
    FVector3 W = V;
    W /= 3.0f;
    EXPECT_EQ(W, V / 3.0f);
    EXPECT_EQ((FVector4(V, X) / 3.0f).W, X * (1.0f / 3.0f));
    EXPECT_EQ((FVector2(X, X) / 3.0f).Y, X * (1.0f / 3.0f));
}

TEST(MathVector, NearlyZeroAndNormalizeUseStrictThresholds)
{
    EXPECT_TRUE(FVector3(0.0000999f, -0.0000999f, 0).IsNearlyZero());
    EXPECT_FALSE(FVector3(0.0001f, 0, 0).IsNearlyZero());  // exactly the threshold is not below it

    FVector3 Tiny(1e-5f, 0, 0);  // squared length 1e-10
    EXPECT_EQ(Tiny.Normalize(), FVector3(1e-5f, 0, 0));
    EXPECT_EQ(Tiny.SafeNormal(), FVector3(0, 0, 0));

    // A vector whose squared length is exactly the float 1e-8 is normalised.
    FVector3 AtEdge = MathTest::VectorAtSmallSquaredEdge();
    ASSERT_FALSE(AtEdge.IsZero());
    const FVector3 Unit = AtEdge * (1.0f / std::sqrt(1e-8f));
    EXPECT_TRUE(Near3(AtEdge.SafeNormal(), Unit, 1e-6f));
    EXPECT_TRUE(Near3(AtEdge.Normalize(), Unit, 1e-6f));
    EXPECT_TRUE(Near3(FVector3(0, 3, 4).Normalize(), FVector3(0, 0.6f, 0.8f), 1e-7f));

    FVector4 V4(1, 1, 1, 1);
    V4.Normalize();
    EXPECT_FLOAT_EQ(V4.W, 0.5f);
    EXPECT_EQ(V4.Vector3Value(), FVector3(V4.X, V4.Y, V4.Z));
    FVector4 Small4(1e-5f, 0, 0, 0);
    EXPECT_EQ(Small4.Normalize(), FVector4(1e-5f, 0, 0, 0));
}

TEST(MathVector, NonParallelAxis)
{
    const struct { FVector3 In, Out; } Cases[] = {
        {{0.6f, 0.8f, 0}, {0, 1, 0}},
        {{0.5f, 0.6f, 0.62f}, {0, 0, 1}},
        {{0.5f, 0.5f, 0.7f}, {1, 0, 0}},
        {{-0.6f, 0, 0}, {0, 1, 0}},
        {{0.57f, 0.57f, 0.57f}, {1, 0, 0}},  // exactly 0.57 does not count as greater
        {{0.57f, -0.58f, 0}, {0, 0, 1}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Case.In.GetNonParallel(), Case.Out) << Case.In.X << " " << Case.In.Y << " " << Case.In.Z;
}

TEST(MathVector, MirrorAndRotateAboutAxis)
{
    EXPECT_EQ(FVector3(1, 1, 0).MirrorByVector(FVector3(0, 1, 0)), FVector3(1, -1, 0));

    // Quarter turn about Z, within the table's precision.
    EXPECT_TRUE(Near3(FVector3(1, 0, 0).RotateAngleAxis(16384, FVector3(0, 0, 1)), FVector3(0, 1, 0), 1e-6f));
    // Against the exact rotation for an oblique axis: the table resolves 4 units (3.8e-4 rad).
    const FVector3 Axis = FVector3(1, 2, 3).SafeNormal();
    const FVector3 V(0.3f, -1.2f, 2.0f);
    for (int Angle : {4000, -9000, 30000, 70000}) {
        const double A = Angle / 65536.0 * 2 * 3.14159265358979;
        const FVector3 K = Axis, Cross = K ^ V;
        const float C = static_cast<float>(std::cos(A)), S = static_cast<float>(std::sin(A));
        const FVector3 Exact = V * C + Cross * S + K * ((K | V) * (1 - C));  // Rodrigues
        EXPECT_TRUE(Near3(V.RotateAngleAxis(Angle, Axis), Exact, 1e-3f)) << Angle;
    }
}

TEST(MathVector, FrameTransformsRoundTrip)
{
    const FCoords Frame(FVector3(1, 2, 3), FVector3(0, 1, 0), FVector3(-1, 0, 0), FVector3(0, 0, 1));
    const FVector3 P(5, 7, 9);
    EXPECT_EQ(P.TransformPointBy(Frame), FVector3(5, -4, 6));  // offset (4, 5, 6) on the axes
    EXPECT_EQ(P.TransformVectorBy(Frame), FVector3(7, -5, 9));
    EXPECT_EQ(P.TransformVectorBy(Frame).TransformVectorByTranspose(Frame), P);
}

TEST(MathVector, DirectionToRotatorTruncatesTowardZero)
{
    const struct { FVector3 Dir; FRotator Expected; } Cases[] = {
        {{0, 1, 0}, {0, 16384, 0}},
        {{0, 0, 1}, {16384, 0, 0}},
        {{1, 1, 0}, {0, 8192, 0}},
        {{-1, 0, 0}, {0, 32768, 0}},
        {{1, 0, -1}, {-8192, 0, 0}},
        // 0.10007 rad is 1043.8 units: truncated toward zero on both sides, never rounded.
        {{std::cos(0.10007f), std::sin(0.10007f), 0}, {0, 1043, 0}},
        {{std::cos(0.10007f), -std::sin(0.10007f), 0}, {0, -1043, 0}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Case.Dir.ToRotator(), Case.Expected) << Case.Dir.X << " " << Case.Dir.Y << " " << Case.Dir.Z;
}

TEST(MathVector, TranslationAndScaleMatrices)
{
    const FVector3 V(2, 3, 4);
    EXPECT_EQ(V.ToTranslationMatrix().TransformVector3(FVector3(1, 1, 1)), FVector3(3, 4, 5));
    EXPECT_EQ(V.ToTranslationMatrix().TransformNormal(FVector3(1, 1, 1)), FVector3(1, 1, 1));
    EXPECT_EQ(V.ToScaleMatrix(), FMatrix(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1));
}

TEST(MathVector, TwoAndFourComponentForms)
{
    FVector2 V2(1, 2);
    float* P = V2;
    P[1] = 5;
    EXPECT_EQ(V2, FVector2(1, 5));
    EXPECT_EQ(-V2 + FVector2(1, 1) * 2.0f, FVector2(1, -3));
    const float Data[4] = {1, 2, 3, 4};
    EXPECT_EQ(FVector4(Data), FVector4(FVector3(1, 2, 3), 4));
    EXPECT_EQ(FVector3(Data), FVector3(1, 2, 3));
    EXPECT_NE(FVector4(Data), FVector4(1, 2, 3, 5));
}
