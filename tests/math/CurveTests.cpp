// FBezier sampling and FNurbsCurve editing, knots and evaluation.
#include "math/MathTestUtil.h"
#include "support/RecordingMalloc.h"
#include "support/ScopedMalloc.h"

using namespace Tolvane;
using MathTest::Near3;

TEST(MathBezier, StraightSegmentSamplesEvenly)
{
    const FVector3 Line[4] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    FBezier Bezier;
    TArray<FVector3> Out;
    EXPECT_NEAR(Bezier.Evaluate(Line, 4, &Out), 3.0f, 1e-5f);
    ASSERT_EQ(Out.Num(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Near3(Out[i], FVector3(static_cast<float>(i), 0, 0), 1e-5f)) << i;

    // Points are appended after what the array holds.
    EXPECT_EQ(Bezier.Evaluate(Line, 1, &Out), 0.0f);
    ASSERT_EQ(Out.Num(), 5);
    EXPECT_EQ(Out[4], Line[0]);
    EXPECT_EQ(Bezier.Evaluate(Line, -3, &Out), 0.0f);
    EXPECT_EQ(Out.Num(), 6);
    EXPECT_EQ(Bezier.Evaluate(nullptr, 4, &Out), 0.0f);
    EXPECT_EQ(Bezier.Evaluate(Line, 4, nullptr), 0.0f);
    EXPECT_EQ(Out.Num(), 6);
}

TEST(MathBezier, CurvedSegmentMatchesTheBernsteinForm)
{
    const FVector3 P[4] = {{0, 0, 0}, {0, 2, 0}, {3, 2, 1}, {3, 0, 4}};
    TArray<FVector3> Out;
    const int Steps = 33;
    const float Length = FBezier().Evaluate(P, Steps, &Out);
    ASSERT_EQ(Out.Num(), Steps);
    float Expected = 0;
    for (int i = 0; i < Steps; ++i) {
        const float T = static_cast<float>(i) / (Steps - 1), U = 1 - T;
        const FVector3 Exact = P[0] * (U * U * U) + P[1] * (3 * U * U * T) + P[2] * (3 * U * T * T) + P[3] * (T * T * T);
        EXPECT_TRUE(Near3(Out[i], Exact, 1e-4f)) << i;
        if (i > 0)
            Expected += (Out[i] - Out[i - 1]).Size();
    }
    EXPECT_NEAR(Length, Expected, 1e-4f);
    EXPECT_TRUE(Near3(Out[Steps - 1], P[3], 1e-4f));
}

TEST(MathBezier, NewExpressionsAllocateFromGMalloc)
{
    FMallocNull Refusing;
    {
        TestSupport::FScopedMalloc Scope(&Refusing);
        EXPECT_EQ(new FBezier, nullptr);
    }
    FBezier* Bezier = new FBezier;
    ASSERT_NE(Bezier, nullptr);
    delete Bezier;
}

namespace {

// A degree-1 curve through (0,0,0) .. (3,0,0) with unit weights and its knots built.
class MathNurbs : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(Curve.AddControlPoint(FVector3(static_cast<float>(i), 0, 0), 1.0f, -1), 1);
        Curve.Initial();
    }
    FNurbsCurve Curve;
};

// Reaches the protected basis function.
struct FBasisCurve : FNurbsCurve {
    using FNurbsCurve::CalcBasis;
};

} // namespace

TEST_F(MathNurbs, KnotsAndEvaluation)
{
    const float Expected[] = {0, 0, 1, 2, 3, 4, 4};
    ASSERT_EQ(Curve.GetKnots().Num(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Curve.GetKnots()[i], Expected[i]) << i;

    EXPECT_TRUE(Near3(Curve.Evaluate(1.5f), FVector3(1.5f, 0, 0), 1e-6f));
    EXPECT_TRUE(Near3(Curve.Evaluate(0.25f), FVector3(0.25f, 0, 0), 1e-6f));
    EXPECT_EQ(Curve.Evaluate(4.0f), FVector3(0, 0, 0));  // no degree-0 span contains 4
    EXPECT_EQ(Curve.Evaluate(5.0f), FVector3(0, 0, 0));

    FBasisCurve Basis;
    static_cast<FNurbsCurve&>(Basis) = Curve;
    EXPECT_FLOAT_EQ(Basis.CalcBasis(1, 1, 1.5f), 0.5f);
    EXPECT_FLOAT_EQ(Basis.CalcBasis(2, 1, 1.5f), 0.5f);
    EXPECT_EQ(Basis.CalcBasis(0, 1, 1.5f), 0.0f);

    // A heavier weight pulls the curve toward its point.
    ASSERT_EQ(Curve.ChangeControlPoint(FVector3(2, 0, 0), 3.0f, 2), 1);
    EXPECT_TRUE(Near3(Curve.Evaluate(1.5f), FVector3((1 * 0.5f + 2 * 1.5f) / 2.0f, 0, 0), 1e-6f));
}

TEST_F(MathNurbs, HigherDegreeStaysInsideTheHull)
{
    ASSERT_EQ(Curve.SetMaxDegree(2), 1);
    Curve.ChangeControlPoint(FVector3(1, 2, 0), 1.0f, 1);
    Curve.Initial();
    EXPECT_EQ(Curve.GetKnots().Num(), 2 * 3 + 4 - 1);
    EXPECT_EQ(Curve.GetKnots()[Curve.GetKnots().Num() - 1], 4.0f);
    for (float T = 0.0f; T < 4.0f; T += 0.37f) {
        const FVector3 P = Curve.Evaluate(T);
        EXPECT_GE(P.X, 0.0f);
        EXPECT_LE(P.X, 3.0f);
        EXPECT_GE(P.Y, 0.0f);
        EXPECT_LE(P.Y, 2.0f);
    }
    EXPECT_EQ(Curve.SetMaxDegree(-1), 0);
    EXPECT_EQ(Curve.GetMaxDegree(), 2);
}

TEST_F(MathNurbs, StaleKnotsAreNeverReadPastTheirEnd)
{
    // Two more points need knots up to index 7; the seven built earlier stop at 6.
    Curve.AddControlPoint(FVector3(4, 0, 0), 1.0f, -1);
    Curve.AddControlPoint(FVector3(5, 0, 0), 1.0f, -1);
    EXPECT_EQ(Curve.Evaluate(1.5f), FVector3(0, 0, 0));
    Curve.Initial();
    EXPECT_TRUE(Near3(Curve.Evaluate(1.5f), FVector3(1.5f, 0, 0), 1e-6f));
    Curve.SetMaxDegree(3);
    EXPECT_EQ(Curve.Evaluate(1.5f), FVector3(0, 0, 0));
}

TEST(MathNurbsEditing, IndicesAndTheLastPoint)
{
    FNurbsCurve Curve;
    EXPECT_EQ(Curve.GetMaxDegree(), 1);
    FVector3 P(9, 9, 9);
    float W = 9;
    // Nothing to change, read or remove on an empty curve.
    EXPECT_EQ(Curve.ChangeControlPoint(FVector3(1, 1, 1), 1, -1), 0);
    EXPECT_EQ(Curve.GetControlPoint(-1, P, W), 0);
    EXPECT_EQ(Curve.RemoveControlPoint(-1), 0);
    EXPECT_EQ(P, FVector3(9, 9, 9));
    EXPECT_EQ(Curve.GetControlPointCount(), 0);

    ASSERT_EQ(Curve.AddControlPoint(FVector3(1, 0, 0), 0.5f, -1), 1);
    ASSERT_EQ(Curve.GetControlPoint(-1, P, W), 1);
    EXPECT_EQ(P, FVector3(1, 0, 0));
    EXPECT_EQ(W, 0.5f);
    ASSERT_EQ(Curve.AddControlPoint(FVector3(0, 0, 0), 2.0f, 0), 1);  // inserted in front
    ASSERT_EQ(Curve.AddControlPoint(FVector3(5, 0, 0), 3.0f, 2), 1);  // at the end
    EXPECT_EQ(Curve.AddControlPoint(FVector3(7, 0, 0), 1.0f, -2), 0);
    EXPECT_EQ(Curve.GetControlPointCount(), 3);
    ASSERT_EQ(Curve.GetControlPoint(0, P, W), 1);
    EXPECT_EQ(W, 2.0f);

    ASSERT_EQ(Curve.RemoveControlPoint(-1), 1);  // the last point and its weight
    ASSERT_EQ(Curve.GetControlPoint(-1, P, W), 1);
    EXPECT_EQ(P, FVector3(1, 0, 0));
    EXPECT_EQ(W, 0.5f);
    EXPECT_EQ(Curve.GetControlPoint(2, P, W), 0);

    // Copies carry points, weights, knots and degree; assigning to itself changes nothing.
    Curve.SetMaxDegree(2);
    Curve.Initial();
    FNurbsCurve Copy(Curve);
    EXPECT_EQ(Copy.GetMaxDegree(), 2);
    EXPECT_EQ(Copy.GetKnots().Num(), Curve.GetKnots().Num());
    Copy = *&Copy;
    ASSERT_EQ(Copy.GetControlPoint(0, P, W), 1);
    EXPECT_EQ(W, 2.0f);
    EXPECT_EQ(Copy.Evaluate(0.5f), Curve.Evaluate(0.5f));

    Curve.Reset();
    EXPECT_EQ(Curve.GetControlPointCount(), 0);
    EXPECT_EQ(Curve.GetMaxDegree(), 1);
    EXPECT_EQ(Curve.GetKnots().Num(), 0);
    EXPECT_EQ(Copy.GetControlPointCount(), 2);
}

TEST(MathNurbsEditing, AddingPastTheEndFillsTheGapWithZeros)
{
    FNurbsCurve Curve;
    ASSERT_EQ(Curve.AddControlPoint(FVector3(1, 0, 0), 0.5f, -1), 1);
    EXPECT_EQ(Curve.AddControlPoint(FVector3(7, 0, 0), 3.0f, 3), 1);
    ASSERT_EQ(Curve.GetControlPointCount(), 4);
    FVector3 P;
    float W = 9.0f;
    for (int i = 1; i <= 2; ++i) {
        ASSERT_EQ(Curve.GetControlPoint(i, P, W), 1);
        EXPECT_EQ(P, FVector3(0, 0, 0)) << i;
        EXPECT_EQ(W, 0.0f) << i;
    }
    ASSERT_EQ(Curve.GetControlPoint(3, P, W), 1);
    EXPECT_EQ(P, FVector3(7, 0, 0));
    EXPECT_EQ(W, 3.0f);
    EXPECT_EQ(Curve.AddControlPoint(FVector3(7, 0, 0), 1.0f, -2), 0);

    // The weights refused after the points grew: both arrays keep their length.
    TestSupport::FRecordingMalloc Refusing;
    {
        TestSupport::FScopedMalloc Scope(&Refusing);
        Refusing.RefuseAfter = 1;
        EXPECT_EQ(Curve.AddControlPoint(FVector3(8, 0, 0), 1.0f, 40), 0);
    }
    EXPECT_EQ(Curve.GetControlPointCount(), 4);
    EXPECT_EQ(Curve.GetControlPoint(4, P, W), 0);
    ASSERT_EQ(Curve.GetControlPoint(3, P, W), 1);
    EXPECT_EQ(W, 3.0f);
}
