// UTF-16 number parsing with wcstol / wcstoul / wcstod / _wtoi / _wtof semantics: prefixes,
// signs, overflow and where the number ends.
#include "core/strings/tvWideRuntime.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>

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
        {u"123", 10, 123, 3, false},
        {u"  \t-42xyz", 10, -42, 6, false},
        {u"+7", 10, 7, 2, false},
        {u"0x1A", 0, 26, 4, false},
        {u"0X1a", 16, 26, 4, false},
        {u"1A", 16, 26, 2, false},
        {u"0x", 0, 0, 1, false},       // "0x" without a hex digit: the number is "0"
        {u"0xg", 16, 0, 1, false},
        {u"017", 0, 15, 3, false},     // base 0: a leading 0 means octal
        {u"019", 0, 1, 2, false},
        {u"z", 36, 35, 1, false},
        {u"101", 2, 5, 3, false},
        {u"2147483647", 10, 2147483647, 10, false},
        {u"2147483648", 10, INT32_MAX, 10, true},
        {u"-2147483648", 10, INT32_MIN, 11, false},
        {u"-2147483649", 10, INT32_MIN, 11, true},
        {u"99999999999999999999x", 10, INT32_MAX, 20, true},  // all digits consumed
        {u"", 10, 0, 0, false},
        {u"-", 10, 0, 0, false},       // no digits: the end is the start
        {u"  x", 10, 0, 0, false},
        {u"\u0661\u0662", 10, 12, 2, false},  // Arabic-Indic digits
        {u"\uFF15", 10, 5, 1, false},         // a fullwidth digit
        {u"12", 1, 0, 0, false},       // a bad base
        {u"12", 37, 0, 0, false},
    };
    for (const FIntegerCase& C : Cases) {
        errno = 0;
        const tvWChar* End = nullptr;
        EXPECT_EQ(Wide::ToLong(C.Text, &End, C.Base), C.Value) << (&C - Cases);
        EXPECT_EQ(End - C.Text, C.EndOffset) << (&C - Cases);
        EXPECT_EQ(errno == ERANGE, C.Range) << (&C - Cases);
    }
    errno = 0;
    Wide::ToLong(u"1", nullptr, 1);
    EXPECT_EQ(errno, EINVAL);
}

TEST(WideNumbers, ToULongNegatesAndSaturates)
{
    const FIntegerCase Cases[] = {
        {u"4294967295", 10, 4294967295LL, 10, false},
        {u"4294967296", 10, 4294967295LL, 10, true},
        {u"-1", 10, 4294967295LL, 2, false},   // a '-' negates in unsigned arithmetic
        {u"-4294967296", 10, 4294967295LL, 11, true},
        {u"0xFFFFFFFF", 0, 4294967295LL, 10, false},
        {u" 10 ", 8, 8, 3, false},
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
        {u"1.5e3xyz", 1500.0, 5},
        {u"  -0.25", -0.25, 7},
        {u".5", 0.5, 2},
        {u"5.", 5.0, 2},
        {u"1e", 1.0, 1},          // an exponent without digits is not part of the number
        {u"1e+", 1.0, 1},
        {u"0x1p4", 16.0, 5},
        {u"abc", 0.0, 0},
        {u"", 0.0, 0},
        {u"1,5", 1.0, 1},         // never a locale's comma
        {u"\u0663.5", 3.5, 3},
    };
    for (const FCase& C : Cases) {
        const tvWChar* End = nullptr;
        EXPECT_DOUBLE_EQ(Wide::ToDouble(C.Text, &End), C.Value) << (&C - Cases);
        EXPECT_EQ(End - C.Text, C.EndOffset) << (&C - Cases);
    }
    errno = 0;
    EXPECT_EQ(Wide::ToDouble(u"1e400", nullptr), HUGE_VAL);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_TRUE(std::isinf(Wide::ToDouble(u"-inf", nullptr)));
    EXPECT_TRUE(std::isnan(Wide::ToDouble(u"nan", nullptr)));

    // A number longer than the local copy is read whole.
    std::u16string Long(300, u'1');
    Long += u".5";
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
        {u" 42abc", 42}, {u"-17", -17}, {u"0x10", 0}, {u"", 0}, {u"x1", 0},
        {u"99999999999", INT_MAX}, {u"-99999999999", INT_MIN}, {u"012", 12},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(Wide::AtoI(C.Text), C.Value) << (&C - Cases);
    EXPECT_DOUBLE_EQ(Wide::AtoF(u" 2.5kg"), 2.5);
    EXPECT_DOUBLE_EQ(Wide::AtoF(u"junk"), 0.0);
    EXPECT_EQ(Wide::AtoF(u"-1e999"), -HUGE_VAL);
}
