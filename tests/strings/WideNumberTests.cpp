// UTF-16 number parsing with wcstol / wcstoul / wcstod / _wtoi / _wtof semantics: prefixes,
// signs, overflow and where the number ends.
#include "core/strings/tvWideRuntime.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include "support/WideText.h"

using namespace Tolvane;

namespace {
struct FIntegerCase {
    const tvWChar* Text;
    int Base;
    long long Value;  // as the 32-bit result
    int EndOffset;    // units consumed
    bool Range;       // errno ERANGE expected
};
} // namespace

TEST(WideNumbers, ToLongPrefixesSignsOverflowAndEnd)
{
    const FIntegerCase Cases[] = {
        {TVTEXT("123"), 10, 123, 3, false},
        {TVTEXT("  \t-42xyz"), 10, -42, 6, false},
        {TVTEXT("+7"), 10, 7, 2, false},
        {TVTEXT("0x1A"), 0, 26, 4, false},
        {TVTEXT("0X1a"), 16, 26, 4, false},
        {TVTEXT("1A"), 16, 26, 2, false},
        {TVTEXT("0x"), 0, 0, 1, false},       // "0x" without a hex digit: the number is "0"
        {TVTEXT("0xg"), 16, 0, 1, false},
        {TVTEXT("017"), 0, 15, 3, false},     // base 0: a leading 0 means octal
        {TVTEXT("019"), 0, 1, 2, false},
        {TVTEXT("z"), 36, 35, 1, false},
        {TVTEXT("101"), 2, 5, 3, false},
        {TVTEXT("2147483647"), 10, 2147483647, 10, false},
        {TVTEXT("2147483648"), 10, INT32_MAX, 10, true},
        {TVTEXT("-2147483648"), 10, INT32_MIN, 11, false},
        {TVTEXT("-2147483649"), 10, INT32_MIN, 11, true},
        {TVTEXT("99999999999999999999x"), 10, INT32_MAX, 20, true},  // all digits consumed
        {TVTEXT(""), 10, 0, 0, false},
        {TVTEXT("-"), 10, 0, 0, false},       // no digits: the end is the start
        {TVTEXT("  x"), 10, 0, 0, false},
        {TVTEXT("\u0661\u0662"), 10, 12, 2, false},  // Arabic-Indic digits
        {TVTEXT("\uFF15"), 10, 5, 1, false},         // a fullwidth digit
        {TVTEXT("12"), 1, 0, 0, false},       // a bad base
        {TVTEXT("12"), 37, 0, 0, false},
    };
    for (const FIntegerCase& C : Cases) {
        errno = 0;
        const tvWChar* End = nullptr;
        EXPECT_EQ(Wide::ToLong(C.Text, &End, C.Base), C.Value) << (&C - Cases);
        EXPECT_EQ(End - C.Text, C.EndOffset) << (&C - Cases);
        EXPECT_EQ(errno == ERANGE, C.Range) << (&C - Cases);
    }
    errno = 0;
    Wide::ToLong(TVTEXT("1"), nullptr, 1);
    EXPECT_EQ(errno, EINVAL);
}

TEST(WideNumbers, ToULongNegatesAndSaturates)
{
    const FIntegerCase Cases[] = {
        {TVTEXT("4294967295"), 10, 4294967295LL, 10, false},
        {TVTEXT("4294967296"), 10, 4294967295LL, 10, true},
        {TVTEXT("-1"), 10, 4294967295LL, 2, false},   // a '-' negates in unsigned arithmetic
        {TVTEXT("-4294967296"), 10, 4294967295LL, 11, true},
        {TVTEXT("0xFFFFFFFF"), 0, 4294967295LL, 10, false},
        {TVTEXT(" 10 "), 8, 8, 3, false},
    };
    for (const FIntegerCase& C : Cases) {
        errno = 0;
        const tvWChar* End = nullptr;
        EXPECT_EQ((long long)Wide::ToULong(C.Text, &End, C.Base), C.Value) << (&C - Cases);
        EXPECT_EQ(End - C.Text, C.EndOffset) << (&C - Cases);
        EXPECT_EQ(errno == ERANGE, C.Range) << (&C - Cases);
    }
}

TEST(WideNumbers, ToDoubleReadsTheCLocaleFormAndReportsItsEnd)
{
    struct FCase {
        const tvWChar* Text;
        double Value;
        int EndOffset;
    } Cases[] = {
        {TVTEXT("1.5e3xyz"), 1500.0, 5},
        {TVTEXT("  -0.25"), -0.25, 7},
        {TVTEXT(".5"), 0.5, 2},
        {TVTEXT("5."), 5.0, 2},
        {TVTEXT("1e"), 1.0, 1},          // an exponent without digits is not part of the number
        {TVTEXT("1e+"), 1.0, 1},
        {TVTEXT("0x1p4"), 16.0, 5},
        {TVTEXT("abc"), 0.0, 0},
        {TVTEXT(""), 0.0, 0},
        {TVTEXT("1,5"), 1.0, 1},         // never a locale's comma
        {TVTEXT("\u0663.5"), 3.5, 3},
    };
    for (const FCase& C : Cases) {
        const tvWChar* End = nullptr;
        EXPECT_DOUBLE_EQ(Wide::ToDouble(C.Text, &End), C.Value) << (&C - Cases);
        EXPECT_EQ(End - C.Text, C.EndOffset) << (&C - Cases);
    }
    errno = 0;
    EXPECT_EQ(Wide::ToDouble(TVTEXT("1e400"), nullptr), HUGE_VAL);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_TRUE(std::isinf(Wide::ToDouble(TVTEXT("-inf"), nullptr)));
    EXPECT_TRUE(std::isnan(Wide::ToDouble(TVTEXT("nan"), nullptr)));

    // A number longer than the local copy is read whole.
    WideText Long(300, TVTEXT('1'));
    Long += TVTEXT(".5");
    const tvWChar* End = nullptr;
    EXPECT_GT(Wide::ToDouble(Long.c_str(), &End), 1e299);
    EXPECT_EQ(End - Long.c_str(), 302);
}

TEST(WideNumbers, AtoIAndAtoF)
{
    struct FCase {
        const tvWChar* Text;
        int Value;
    } Cases[] = {
        {TVTEXT(" 42abc"), 42}, {TVTEXT("-17"), -17}, {TVTEXT("0x10"), 0}, {TVTEXT(""), 0}, {TVTEXT("x1"), 0},
        {TVTEXT("99999999999"), INT_MAX}, {TVTEXT("-99999999999"), INT_MIN}, {TVTEXT("012"), 12},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(Wide::AtoI(C.Text), C.Value) << (&C - Cases);
    EXPECT_DOUBLE_EQ(Wide::AtoF(TVTEXT(" 2.5kg")), 2.5);
    EXPECT_DOUBLE_EQ(Wide::AtoF(TVTEXT("junk")), 0.0);
    EXPECT_EQ(Wide::AtoF(TVTEXT("-1e999")), -HUGE_VAL);
}
