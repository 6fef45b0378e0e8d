// FBitFlag: the four bit operations, as a table over one starting value.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <functional>

using namespace Tolvane;

TEST(BitFlag, OperationsOnTheValue)
{
    struct FCase {
        const char* What;
        std::function<void(FBitFlag&)> Apply;
        tvULong Expected;
    } Cases[] = {
        {"SetFlag(0x10)", [](FBitFlag& F) { F.SetFlag(0x10); }, 0x80000016u},
        {"ClearFlag(0x80000002)", [](FBitFlag& F) { F.ClearFlag(0x80000002u); }, 0x4u},
        {"ToggleFlagBy(4, 0)", [](FBitFlag& F) { F.ToggleFlagBy(4, 0); }, 0x80000002u},
        {"ToggleFlagBy(9, 2)", [](FBitFlag& F) { F.ToggleFlagBy(9, 2); }, 0x8000000Fu},
        {"SetValue(3)", [](FBitFlag& F) { F.SetValue(3); }, 3u},
        {"= 7ul", [](FBitFlag& F) { F = tvULong(7); }, 7u},
        {"= FBitFlag(8)", [](FBitFlag& F) { F = FBitFlag(8); }, 8u},
    };
    for (const FCase& Case : Cases) {
        FBitFlag Flags(0x80000006u);
        Case.Apply(Flags);
        EXPECT_EQ(Flags.GetValue(), Case.Expected) << Case.What;
    }
}

TEST(BitFlag, HasFlagIsOneWhenAnyMaskBitIsSet)
{
    const FBitFlag Flags(0x80000006u);
    EXPECT_EQ(Flags.HasFlag(0), 0);
    EXPECT_EQ(Flags.HasFlag(0x1), 0);
    EXPECT_EQ(Flags.HasFlag(0x3), 1);
    EXPECT_EQ(Flags.HasFlag(0x80000000u), 1);
    EXPECT_EQ(FBitFlag().GetValue(), 0u);
    EXPECT_EQ(sizeof(FBitFlag), 4u);
}
