// FPlane, FBox and FSphere: construction rules, validity of boxes, strict and touching tests,
// and transformation by frames and matrices.
#include "math/MathTestUtil.h"

#include <type_traits>

using namespace Tolvane;
using MathTest::Near3;

TEST(MathPlane, ThroughPointsAndSignedDistance)
{
    const FPlane P(FVector3(0, 0, 0), FVector3(1, 0, 0), FVector3(0, 1, 0));
    EXPECT_EQ(P, FPlane(0, 0, 1, 0));
    EXPECT_EQ(P.PlaneDot(FVector3(5, 5, 2)), 2.0f);
    const FPlane Raised(FVector3(0, 0, 3), FVector3(0, 2, 3), FVector3(2, 0, 3));
    EXPECT_EQ(Raised, FPlane(0, 0, -1, -3));
    // Three equal points: the normal stays (0, 0, 0) as computed.
    const FPlane Degenerate(FVector3(1, 2, 3), FVector3(1, 2, 3), FVector3(1, 2, 3));
    EXPECT_EQ(Degenerate, FPlane(0, 0, 0, 0));
    // From a base point and a normal the normal is kept as given.
    EXPECT_EQ(FPlane(FVector3(1, 1, 1), FVector3(0, 2, 0)), FPlane(0, 2, 0, 2));
    EXPECT_EQ(FPlane(FVector3(0, 1, 0), 4.0f).Flip(), FPlane(0, -1, 0, -4));
    FPlane Flipped(1, 2, 3, 4);
    EXPECT_EQ(&Flipped.Flip(), &Flipped);
    EXPECT_EQ(Flipped, FPlane(-1, -2, -3, -4));  // the plane itself is flipped
    EXPECT_EQ(FPlane(1, 0, 0, 5) ^ FPlane(0, 1, 0, 7), FVector3(0, 0, 1));
    EXPECT_EQ(FPlane(1, 0, 0, 5) ^ FVector3(0, 0, 1), FVector3(0, -1, 0));
}

TEST(MathPlane, TransformedByTheTransposedAdjoint)
{
    const FPlane Z1(0, 0, 1, 1);  // z = 1
    const struct { FMatrix M; FPlane Expected; } Cases[] = {
        {FVector3(0, 0, 2).ToTranslationMatrix(), FPlane(0, 0, 1, 3)},
        {FVector3(2, 2, 2).ToScaleMatrix(), FPlane(0, 0, 1, 2)},
        // A mirror (determinant < 0) keeps the normal pointing the same way round.
        {FVector3(1, 1, -1).ToScaleMatrix(), FPlane(0, 0, -1, 1)},
        {FRotator(16384, 0, 0).ToMatrix(), FPlane(-1, 0, 0, 1)},  // pitch carries +Z to -X
    };
    for (const auto& Case : Cases) {
        const FMatrix TA = Case.M.TransposeAdjoint();
        for (const FPlane& P : {Z1.TransformByUsingAdjointT(Case.M, TA),
                                Z1.TransformByUsingAdjointT(Case.M, Case.M.Determinant(), TA)}) {
            EXPECT_TRUE(Near3(FVector3(P.X, P.Y, P.Z), FVector3(Case.Expected.X, Case.Expected.Y, Case.Expected.Z), 1e-6f));
            EXPECT_NEAR(P.W, Case.Expected.W, 1e-6f);
            // A point of the plane, carried by the matrix, lies on the new plane.
            EXPECT_NEAR(P.PlaneDot(Case.M.TransformVector3(FVector3(0.5f, -2, 1))), 0.0f, 1e-5f);
        }
    }
    // A normal that vanishes: kept as computed with the determinant taken here, zeroed with the
    // determinant given.
    const FMatrix Flat = FVector3(1, 1, 0).ToScaleMatrix();
    const FPlane Tiny(1e-5f, 0, 0, 1);
    const FPlane Kept = Tiny.TransformByUsingAdjointT(Flat, FVector3(1, 1, 1).ToScaleMatrix());
    EXPECT_EQ(Kept.X, 1e-5f);
    const FPlane Zeroed = Tiny.TransformByUsingAdjointT(Flat, 1.0f, FVector3(1, 1, 1).ToScaleMatrix());
    EXPECT_EQ(FVector3(Zeroed.X, Zeroed.Y, Zeroed.Z), FVector3(0, 0, 0));
    EXPECT_EQ(Zeroed.W, 0.0f);
}

TEST(MathBox, ValidityRules)
{
    FBox Empty;
    EXPECT_FALSE(Empty.IsValid());
    const FBox None(nullptr, 0);
    EXPECT_TRUE(None.IsValid());
    EXPECT_EQ(None.Min, FVector3(0, 0, 0));
    EXPECT_EQ(None.Max, FVector3(0, 0, 0));
    EXPECT_TRUE(FBox(nullptr, 5).IsValid());
    const FVector3 Points[] = {{1, 2, 3}, {-1, 5, 0}, {0, 0, 4}};
    EXPECT_TRUE(FBox(Points, -2).IsValid());
    const FBox FromPoints(Points, 3);
    EXPECT_EQ(FromPoints.Min, FVector3(-1, 0, 0));
    EXPECT_EQ(FromPoints.Max, FVector3(1, 5, 4));

    FBox B(0);
    EXPECT_FALSE(B.IsValid());
    B += FVector3(1, 2, 3);
    EXPECT_TRUE(B.IsValid());
    EXPECT_EQ(B.Min, FVector3(1, 2, 3));
    EXPECT_EQ(B.Max, FVector3(1, 2, 3));
    B += FVector3(-1, 5, 0);
    EXPECT_EQ(B.Min, FVector3(-1, 2, 0));
    EXPECT_EQ(B.Max, FVector3(1, 5, 3));

    // Box with box: the union when both are valid, otherwise a copy of the right-hand box.
    FBox U = FBox::UnitBox;
    U += FBox(FVector3(0, 0, 0), FVector3(3, 0.5f, 2));
    EXPECT_EQ(U.Min, FVector3(-1, -1, -1));
    EXPECT_EQ(U.Max, FVector3(3, 1, 2));
    FBox Invalid(0);
    Invalid.Min = FVector3(7, 7, 7);
    FBox V = FBox::UnitBox;
    V += Invalid;
    EXPECT_FALSE(V.IsValid());
    EXPECT_EQ(V.Min, FVector3(7, 7, 7));
    FBox W(0);
    W += FBox::UnitBox;
    EXPECT_TRUE(W.IsValid());
    EXPECT_EQ(W.Max, FVector3(1, 1, 1));

    W.Init();
    EXPECT_FALSE(W.IsValid());
    EXPECT_EQ(W.Max, FVector3(0, 0, 0));
    W.SetAsValid();
    EXPECT_TRUE(W.IsValid());
    W.SetAsInvalid();
    EXPECT_FALSE(W.IsValid());
    EXPECT_TRUE(FBox(0).ExpandBy(2).IsValid());
    EXPECT_EQ(FBox::UnitBox.ExpandBy(2).Min, FVector3(-3, -3, -3));
}

TEST(MathBox, ConstantsCentreAndSphere)
{
    EXPECT_TRUE(FBox::ZeroBox.IsValid());
    EXPECT_EQ(FBox::ZeroBox.Max, FVector3(1e-8f, 1e-8f, 1e-8f));
    EXPECT_EQ(FBox::ZeroBox.Min, FVector3(-1e-8f, -1e-8f, -1e-8f));
    const FSphere S = FBox::UnitBox.GetBoundingSphere();
    EXPECT_FLOAT_EQ(S.GetRadius(), std::sqrt(3.0f));
    EXPECT_EQ(S.GetCenter(), FVector3(0, 0, 0));

    const FBox B(FVector3(1, 2, 3), FVector3(5, 4, 3));
    EXPECT_EQ(B.GetCenter(), FVector3(3, 3, 3));
    EXPECT_EQ(B.GetExtent(), FVector3(2, 1, 0));
    FVector3 Center, Extent;
    B.GetCenterAndExtents(Center, Extent);
    EXPECT_EQ(Center, FVector3(3, 3, 3));
    EXPECT_EQ(Extent, FVector3(2, 1, 0));
}

TEST(MathBox, InsideIsStrictAndTouchingBoxesIntersect)
{
    const FBox& U = FBox::UnitBox;
    EXPECT_TRUE(U.IsInside(FVector3(0, 0, 0)));
    EXPECT_FALSE(U.IsInside(FVector3(1, 0, 0)));   // on a face
    EXPECT_FALSE(U.IsInside(FVector3(0, 0, -1)));
    EXPECT_TRUE(U.IsInside2(FVector2(0.9f, -0.9f)));
    EXPECT_FALSE(U.IsInside2(FVector2(-1, 0)));

    const struct { FBox Other; bool Meets, Meets2D; } Cases[] = {
        {FBox(FVector3(1, -1, -1), FVector3(3, 1, 1)), true, true},        // shares a face
        {FBox(FVector3(1.001f, 0, 0), FVector3(3, 1, 1)), false, false},
        {FBox(FVector3(0, 0, 2), FVector3(0.5f, 0.5f, 3)), false, true},  // apart only in Z
        {FBox(FVector3(-5, -5, -5), FVector3(5, 5, 5)), true, true},       // contains it
        {FBox(FVector3(1, 1, 1), FVector3(2, 2, 2)), true, true},          // one corner
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(U.Intersect(Case.Other), Case.Meets) << Case.Other.Min.X << " " << Case.Other.Min.Z;
        EXPECT_EQ(Case.Other.Intersect(U), Case.Meets);
        EXPECT_EQ(U.Intersect2D(Case.Other), Case.Meets2D);
    }
}

TEST(MathBox, TransformedBoundsOfTheCorners)
{
    const FBox B(FVector3(0, 0, 0), FVector3(2, 1, 1));
    // A quarter yaw turns X into Y: the box (0..2, 0..1) becomes (-1..0, 0..2).
    const FBox ByMatrix = B.TransformBy(FRotator(0, 16384, 0).ToMatrix());
    EXPECT_TRUE(ByMatrix.IsValid());
    EXPECT_TRUE(Near3(ByMatrix.Min, FVector3(-1, 0, 0), 1e-6f));
    EXPECT_TRUE(Near3(ByMatrix.Max, FVector3(0, 2, 1), 1e-6f));
    // Into a frame's space: offset by its origin, projected on its axes.
    const FCoords Frame(FVector3(1, 1, 1), FVector3(0, 1, 0), FVector3(-1, 0, 0), FVector3(0, 0, 1));
    const FBox ByCoords = B.TransformBy(Frame);
    EXPECT_EQ(ByCoords.Min, FVector3(-1, -1, -1));
    EXPECT_EQ(ByCoords.Max, FVector3(0, 1, 0));
    // The source's validity is not looked at.
    FBox Invalid(FVector3(0, 0, 0), FVector3(1, 1, 1));
    Invalid.SetAsInvalid();
    EXPECT_TRUE(Invalid.TransformBy(FMatrix::Identity).IsValid());
}

namespace {

// Reaches the protected corner accessor.
struct FBoxCorners : FBox {
    using FBox::FBox;
    using FBox::GetExtrema;
};

} // namespace

TEST(MathBox, ExtremaByIndex)
{
    FBoxCorners B(FVector3(1, 2, 3), FVector3(4, 5, 6));
    EXPECT_EQ(&B.GetExtrema(0), &B.Min);
    EXPECT_EQ(&B.GetExtrema(1), &B.Max);
    EXPECT_EQ(&B.GetExtrema(7), &B.Max);
}

TEST(MathSphere, TransformedByTheLongestRow)
{
    const struct { FMatrix M; float Radius; } Cases[] = {
        {FVector3(2, 2, 10).ToScaleMatrix(), 10.0f},
        {FVector3(3, 1, 1).ToScaleMatrix(), 3.0f},
        {FRotator(1000, 2000, 3000).ToMatrix(), 1.0f},
    };
    for (const auto& Case : Cases)
        EXPECT_NEAR(FSphere::UnitSphere.TransformBy(Case.M).GetRadius(), Case.Radius, 1e-5f);
    const FSphere S(FVector3(1, 0, 0), 2);
    const FSphere Moved = S.TransformBy(FVector3(0, 5, 0).ToTranslationMatrix());
    EXPECT_EQ(Moved.GetCenter(), FVector3(1, 5, 0));
    EXPECT_EQ(Moved.GetRadius(), 2.0f);
    const FSphere Zero(0);
    EXPECT_EQ(Zero.GetCenter(), FVector3(0, 0, 0));
    EXPECT_EQ(Zero.GetRadius(), 0.0f);
    EXPECT_EQ(FSphere::UnitSphere.GetCenter(), FVector3::Zero);
    EXPECT_EQ(FSphere::UnitSphere.GetRadius(), 1.0f);
}

// Construction from an int is an implicit conversion, as declared.
static_assert(std::is_convertible<int, FSphere>::value, "FSphere(int) converts");
static_assert(std::is_convertible<int, FBox>::value, "FBox(int) converts");
