// The load-time tables: the sine table's exact construction and the bit lengths of 0 to 256.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

using namespace Tolvane;

namespace {

std::uint32_t Bits(float F)
{
    std::uint32_t U;
    std::memcpy(&U, &F, sizeof U);
    return U;
}

} // namespace

TEST(MathTables, SineTableHoldsQuarterTurnsAndIsBuiltFromTheSinglePrecisionAngle)
{
    // Quarter turns, within float precision of the exact sine.
    EXPECT_EQ(__TriTable[0], 0.0f);
    EXPECT_NEAR(__TriTable[4096], 1.0f, 1e-7f);
    EXPECT_NEAR(__TriTable[8192], 0.0f, 1e-6f);
    EXPECT_NEAR(__TriTable[12288], -1.0f, 1e-7f);
    EXPECT_NEAR(__TriTable[2048], std::sqrt(0.5f), 1e-7f);

    // Every entry follows the sine of the exact angle within float precision.
    for (int i = 0; i < TRI_TABLE_SIZE; ++i) {
        const double Exact = std::sin(i * 2.0 * 3.14159265358979323846 / 16384.0);
        ASSERT_NEAR(static_cast<double>(__TriTable[i]), Exact, 1e-6) << i;
    }
    // The angle is one unit short of pi: the table's half-turn entry is slightly positive.
    EXPECT_GT(__TriTable[8192], 0.0f);
}

TEST(MathTables, BitLengthTableCountsSignificantBits)
{
    const struct { int Value; int Bits; } Cases[] = {
        {0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {7, 3}, {8, 4}, {127, 7}, {128, 8}, {255, 8}, {256, 9},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(__BitLengthTable[Case.Value], Case.Bits) << Case.Value;
    for (int v = 1; v < BIT_LENGTH_TABLE_SIZE; ++v)
        ASSERT_TRUE((v >> (__BitLengthTable[v] - 1)) == 1) << v;
}

TEST(MathTables, BuildingAgainChangesNothing)
{
    const float Before = __TriTable[1234];
    const __FMathUtil Again;
    (void)Again;
    EXPECT_EQ(Bits(__TriTable[1234]), Bits(Before));
    EXPECT_EQ(__BitLengthTable[200], 8);
}
