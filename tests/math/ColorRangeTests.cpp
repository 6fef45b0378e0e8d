// FColor byte order, conversions and saturating arithmetic; FRange ordering and random draws.
#include "math/MathTestUtil.h"

#include <type_traits>

#include <cstdlib>
#include <cstring>

using namespace Tolvane;

TEST(MathColor, ByteOrderAndValue)
{
    const FColor Red(255, 0, 0, 255);
    EXPECT_EQ(static_cast<tvULong>(Red), 0xFFFF0000u);
    EXPECT_EQ(static_cast<tvULong>(Red.ColorOpenGL()), 0xFF0000FFu);
    EXPECT_EQ(Red.RenderColor(), Red.ColorOpenGL());
    // In memory: B, G, R, A.
    const FColor C(0x11, 0x22, 0x33, 0x44);
    unsigned char Bytes[4];
    std::memcpy(Bytes, &C, 4);
    EXPECT_EQ(Bytes[0], 0x33);
    EXPECT_EQ(Bytes[2], 0x11);
    EXPECT_EQ(Bytes[3], 0x44);
    EXPECT_EQ(FColor(0x44112233u), C);
    EXPECT_EQ(static_cast<tvULong>(FColor::White), 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<tvULong>(FColor::Black), 0xFF000000u);
    EXPECT_NE(FColor::White, FColor::Black);
}

TEST(MathColor, FromVectorsFloorsAndClamps)
{
    const FColor C(FVector3(1.5f, -0.2f, 0.5f));
    EXPECT_EQ(C.R, 255);
    EXPECT_EQ(C.G, 0);
    EXPECT_EQ(C.B, 127);
    EXPECT_EQ(C.A, 255);
    const FColor D(FVector4(0.999f, 1e30f, -1e30f, 0.25f));
    EXPECT_EQ(D.R, 254);
    EXPECT_EQ(D.G, 255);
    EXPECT_EQ(D.B, 0);
    EXPECT_EQ(D.A, 63);
    EXPECT_EQ(FColor(FVector3(std::nanf(""), 0, 0)).R, 0);

    const FVector4 V = FColor(255, 0, 100, 255).ToVector4();
    EXPECT_EQ(V.X, 255 * 0.00392f);
    EXPECT_EQ(V.Y, 0.0f);
    EXPECT_EQ(V.Z, 100 * 0.00392f);
}

TEST(MathColor, ChannelArithmeticSaturates)
{
    EXPECT_EQ((FColor(200, 200, 200, 200) + FColor(100, 0, 0, 0)).R, 255);
    EXPECT_EQ((FColor(200, 200, 200, 200) + FColor(100, 0, 0, 0)).G, 200);
    EXPECT_EQ(FColor(100, 100, 100, 100) * 3.0f, FColor(255, 255, 255, 255));
    EXPECT_EQ(FColor(101, 3, 100, 255) * 0.5f, FColor(50, 1, 50, 127));
    EXPECT_EQ(FColor(101, 3, 100, 255) * -2.0f, FColor(0, 0, 0, 0));
    FColor Sum(250, 1, 2, 3);
    Sum += FColor(10, 10, 10, 10);
    EXPECT_EQ(Sum, FColor(255, 11, 12, 13));
}

TEST(MathColor, LerpClampsTheFraction)
{
    const FColor From(0, 100, 200, 255), To(255, 0, 100, 255);
    const struct { float T; FColor Expected; } Cases[] = {
        {0.0f, From}, {1.0f, To}, {-3.0f, From}, {7.0f, To}, {std::nanf(""), From},
        {0.5f, FColor(127, 50, 150, 255)},
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(FColor::Lerp(From, To, Case.T), Case.Expected) << Case.T;
        FColor InPlace = From;
        EXPECT_EQ(InPlace.Lerp(To, Case.T), Case.Expected) << Case.T;
    }
}

TEST(MathRange, StoresTheEndsInOrder)
{
    const FRange R(5, 2);
    EXPECT_EQ(R.A, 2.0f);
    EXPECT_EQ(R.B, 5.0f);
    EXPECT_EQ(R.Size(), 3.0f);
    EXPECT_EQ(R.GetCenter(), 3.5f);
    const FRange Zero;
    EXPECT_EQ(Zero.A, 0.0f);
    EXPECT_EQ(Zero.B, 0.0f);
    const FRangeVector RV(FRange(1, -1), FRange(2, 3), FRange(0, 0));
    EXPECT_EQ(RV.GetMin(), FVector3(-1, 2, 0));
    EXPECT_EQ(RV.GetMax(), FVector3(1, 3, 0));
    const FRangeVector Empty;
    EXPECT_EQ(Empty.GetMax(), FVector3(0, 0, 0));
}

TEST(MathRange, RandomValuesStayInsideAndReachBothEnds)
{
    EXPECT_EQ(FRange(3, 3).GetRand(), 3.0f);

    // A wide range where the float sum (A - B) x 1 + B rounds below A: the result is kept inside.
    std::srand(1);
    const FRange Wide(0.1f, 1e8f);
    float Low = Wide.B, High = Wide.A;
    for (int i = 0; i < 300000; ++i) {
        const float V = Wide.GetRand();
        ASSERT_GE(V, Wide.A);
        ASSERT_LE(V, Wide.B);
        Low = std::min(Low, V);
        High = std::max(High, V);
    }
    EXPECT_EQ(Low, Wide.A);
    EXPECT_EQ(High, Wide.B);
}

TEST(MathRange, VectorDrawsZThenYThenX)
{
    const FRangeVector RV(FRange(0, 1), FRange(10, 20), FRange(100, 200));
    std::srand(7);
    const float Z = RV.Z.GetRand(), Y = RV.Y.GetRand(), X = RV.X.GetRand();
    std::srand(7);
    EXPECT_EQ(RV.GetRand(), FVector3(X, Y, Z));
}

// Colours convert from vectors implicitly, as declared.
static_assert(std::is_convertible<FVector3, FColor>::value, "FColor(FVector3) converts");
static_assert(std::is_convertible<FVector4, FColor>::value, "FColor(FVector4) converts");
