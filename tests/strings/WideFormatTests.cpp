// The wide formatter against the Windows runtime's wide-format conventions; numeric text is
// compared with the narrow snprintf of the same conversion.
#include "core/strings/tvWideRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <limits>
#include <cstdio>
#include <string>

using namespace Tolvane;

namespace {

std::u16string Widen(const char* Text)
{
    std::u16string Out;
    for (; *Text; ++Text)
        Out += char16_t(static_cast<unsigned char>(*Text));
    return Out;
}

// Formats into a roomy buffer and checks that the returned length matches the text written.
std::u16string Fmt(const char16_t* Format, ...)
{
    char16_t Buffer[2048];
    va_list Args;
    va_start(Args, Format);
    const int N = Wide::FormatV(Buffer, 2048, Format, Args);
    va_end(Args);
    EXPECT_GE(N, 0) << "format refused";
    if (N < 0)
        return u"<refused>";
    EXPECT_EQ(std::size_t(N), Wide::Length(Buffer));
    return std::u16string(Buffer, std::size_t(N));
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <class T>
std::u16string Narrow(const char* Format, T Value)
{
    char Buffer[2048];
    std::snprintf(Buffer, sizeof(Buffer), Format, Value);
    return Widen(Buffer);
}
#pragma GCC diagnostic pop

struct FIntCase {
    const char16_t* Wide;
    const char* Narrow;
    int Value;
};

TEST(WideFormat, IntegersMatchC99)
{
    const FIntCase Cases[] = {
        {u"%d", "%d", 0}, {u"%d", "%d", -1}, {u"%d", "%d", INT32_MIN}, {u"%d", "%d", INT32_MAX},
        {u"%i", "%i", 42}, {u"%5d", "%5d", -42}, {u"%-5d|", "%-5d|", 42}, {u"%05d", "%05d", -42},
        {u"%+d", "%+d", 7}, {u"% d", "% d", 7}, {u"%+ d", "%+ d", 7}, {u"%.3d", "%.3d", 7},
        {u"%.0d", "%.0d", 0}, {u"%5.0d|", "%5.0d|", 0}, {u"%08.3d", "%08.3d", -5}, {u"%-08d|", "%-08d|", 5},
        {u"%u", "%u", -1}, {u"%x", "%x", 0xBEEF}, {u"%X", "%X", 0xBEEF}, {u"%#x", "%#x", 255},
        {u"%#X", "%#X", 255}, {u"%#x", "%#x", 0}, {u"%#010x", "%#010x", 255}, {u"%o", "%o", 8},
        {u"%#o", "%#o", 8}, {u"%#o", "%#o", 0}, {u"%#.0o", "%#.0o", 0}, {u"%#.5o", "%#.5o", 8},
        {u"%hd", "%hd", 70000}, {u"%hu", "%hu", -1}, {u"%hhd", "%hhd", 300}, {u"%hhx", "%hhx", -1},
        {u"%ld", "%d", INT32_MIN}, {u"%lu", "%u", -1}, {u"%lx", "%x", -1}, {u"%I32d", "%d", -9},
        {u"%+u", "%+u", 5}, {u"% x", "% x", 5}, {u"%.10u", "%.10u", 12345},
    };
    for (const FIntCase& C : Cases)
        EXPECT_EQ(Fmt(C.Wide, C.Value), Narrow(C.Narrow, C.Value)) << C.Narrow << " " << C.Value;
}

TEST(WideFormat, SixtyFourBitModifiers)
{
    const long long Values[] = {0, -1, INT64_MIN, INT64_MAX, 1LL << 40, -(1LL << 33) + 7};
    for (long long V : Values) {
        EXPECT_EQ(Fmt(u"%lld", V), Narrow("%lld", V));
        EXPECT_EQ(Fmt(u"%I64d", V), Narrow("%lld", V));
        EXPECT_EQ(Fmt(u"%jd", V), Narrow("%lld", V));
        EXPECT_EQ(Fmt(u"%llu", V), Narrow("%llu", V));
        EXPECT_EQ(Fmt(u"%I64x", V), Narrow("%llx", V));
        EXPECT_EQ(Fmt(u"%#llo", V), Narrow("%#llo", V));
        EXPECT_EQ(Fmt(u"%+25.20lld|", V), Narrow("%+25.20lld|", V));
    }
    const std::size_t Big = ~std::size_t(0);
    EXPECT_EQ(Fmt(u"%zu %Iu %zx", Big, Big, Big), Narrow("%zu", Big) + u" " + Narrow("%zu", Big) + u" " + Narrow("%zx", Big));
    EXPECT_EQ(Fmt(u"%td", std::ptrdiff_t(-5)), u"-5");
    // The argument after a 64-bit one is read from the right place.
    EXPECT_EQ(Fmt(u"%I64d %d %lld %s", INT64_MIN, 3, 4LL, u"x"), u"-9223372036854775808 3 4 x");
}

struct FFloatCase {
    const char16_t* Wide;
    const char* Narrow;
    double Value;
};

TEST(WideFormat, FloatingPointMatchesC99)
{
    const double Inf = std::numeric_limits<double>::infinity();
    const FFloatCase Cases[] = {
        {u"%f", "%f", 3.14159}, {u"%5.2f", "%5.2f", 3.14159}, {u"%-10.3e|", "%-10.3e|", -1234.5},
        {u"%E", "%E", 1e-300}, {u"%g", "%g", 0.0001}, {u"%G", "%G", 1e20}, {u"%#g", "%#g", 1.0},
        {u"%+.0f", "%+.0f", 2.5}, {u"% 012.4f", "% 012.4f", -3.5}, {u"%a", "%a", 1.5}, {u"%A", "%A", -0.1},
        {u"%f", "%f", Inf}, {u"%F", "%F", -Inf}, {u"%e", "%e", std::nan("")}, {u"%.0e", "%.0e", 5e-324},
        {u"%f", "%f", 1.7976931348623157e308}, {u"%.40f", "%.40f", 0.1}, {u"%lf", "%lf", 2.0},
    };
    for (const FFloatCase& C : Cases)
        EXPECT_EQ(Fmt(C.Wide, C.Value), Narrow(C.Narrow, C.Value)) << C.Narrow;
    EXPECT_EQ(Fmt(u"%Lf", 1.25L), Narrow("%Lf", 1.25L));
    // Longer than the stack buffer: the whole number, through a heap block.
    EXPECT_EQ(Fmt(u"%.1000f", 1.0 / 3.0), Narrow("%.1000f", 1.0 / 3.0));
    EXPECT_EQ(Fmt(u"%700.1f|", 2.0), Narrow("%700.1f|", 2.0));
}

TEST(WideFormat, FloatsIgnoreTheProcessLocale)
{
    const char* Old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string Saved = Old ? Old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(Fmt(u"%.2f", 3.14159), u"3.14");
    std::setlocale(LC_NUMERIC, Saved.c_str());
}

TEST(WideFormat, WideAndNarrowTextSwitches)
{
    const char16_t* W = u"w\u00e9";
    const char* N = "n\xe9\x80";  // é and the euro sign in Windows-1252
    EXPECT_EQ(Fmt(u"%s|%ls|%ws", W, W, W), u"w\u00e9|w\u00e9|w\u00e9");
    EXPECT_EQ(Fmt(u"%S|%hs|%hS", N, N, N), u"n\u00e9\u20ac|n\u00e9\u20ac|n\u00e9\u20ac");
    EXPECT_EQ(Fmt(u"%lS|%wS", W, W), u"w\u00e9|w\u00e9");
    EXPECT_EQ(Fmt(u"%c%lc%wc", int(u'\u4e2d'), int(u'a'), int(u'b')), u"\u4e2dab");
    EXPECT_EQ(Fmt(u"%C%hc%hC", int('\x80'), int('z'), int('\xe9')), u"\u20acz\u00e9");
    EXPECT_EQ(Fmt(u"%s %S", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr)),
              u"(null) (null)");
    // Surrogate pairs pass through as units.
    EXPECT_EQ(Fmt(u"<%s>", u"\U0001F600"), u"<\U0001F600>");
}

TEST(WideFormat, TextWidthAndPrecisionCountUnits)
{
    EXPECT_EQ(Fmt(u"[%5s][%-5s][%.2s][%5.1s]", u"ab", u"ab", u"abcd", u"xyz"), u"[   ab][ab   ][ab][    x]");
    EXPECT_EQ(Fmt(u"[%.3S][%-4hs]", "abcdef", "q"), u"[abc][q   ]");
    EXPECT_EQ(Fmt(u"[%.3s]", static_cast<const char16_t*>(nullptr)), u"[(nu]");
    // The precision bounds the read: text without a terminator inside the precision is safe.
    const char16_t Unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(Fmt(u"%.3s", Unterminated), u"abc");
    const char NarrowUnterminated[2] = {'h', 'i'};
    EXPECT_EQ(Fmt(u"%.2S", NarrowUnterminated), u"hi");
    EXPECT_EQ(Fmt(u"[%3c][%-3c]", int(u'x'), int(u'y')), u"[  x][y  ]");
    // The Windows runtime pads text and characters with '0' under the '0' flag.
    EXPECT_EQ(Fmt(u"[%05s][%03c][%-05s]", u"ab", int(u'c'), u"ab"), u"[000ab][00c][ab   ]");
}

TEST(WideFormat, StarWidthAndPrecision)
{
    EXPECT_EQ(Fmt(u"[%*d]", 5, 42), u"[   42]");
    EXPECT_EQ(Fmt(u"[%*d]", -5, 42), u"[42   ]");  // a negative width left-justifies
    EXPECT_EQ(Fmt(u"[%.*d]", 4, 42), u"[0042]");
    EXPECT_EQ(Fmt(u"[%.*d]", -1, 42), u"[42]");    // a negative precision is none
    EXPECT_EQ(Fmt(u"[%*.*s]", 6, 2, u"abcdef"), u"[    ab]");
    EXPECT_EQ(Fmt(u"[%*.*f]", 8, 2, 3.14159), u"[    3.14]");
    EXPECT_EQ(Fmt(u"[%-*.*f]", 8, -3, 1.5), Narrow("[%-8f]", 1.5));
    // A width of INT_MAX is bounded by the buffer; a total past INT_MAX cannot be returned.
    char16_t Buffer[8];
    EXPECT_EQ(Wide::Format(Buffer, 8, u"%*s", -INT32_MAX, u"ab"), INT32_MAX);
    EXPECT_EQ(std::u16string(Buffer), u"ab     ");
    EXPECT_EQ(Wide::Format(Buffer, 8, u"%*s%*s", INT32_MAX, u"", 1, u""), -1);
}

TEST(WideFormat, PercentPointerAndMixed)
{
    EXPECT_EQ(Fmt(u"100%% %d%%", 5), u"100% 5%");
    EXPECT_EQ(Fmt(u"%d-%s", 5, u"x"), u"5-x");
    EXPECT_EQ(Fmt(u"%5.2f", 3.14159), u" 3.14");
    EXPECT_EQ(Fmt(u"%d-%d-%d:%d:%d:%d", 2022, 6, 27, 11, 57, 8), u"2022-6-27:11:57:8");
    // Pointers as the Windows runtime prints them: every hex digit, upper case.
    void* P = reinterpret_cast<void*>(std::uintptr_t(0xABCDEF));
    const std::u16string Expected = sizeof(void*) == 8 ? u"0000000000ABCDEF" : u"00ABCDEF";
    EXPECT_EQ(Fmt(u"%p", P), Expected);
    EXPECT_EQ(Fmt(u"%p", static_cast<void*>(nullptr)), std::u16string(2 * sizeof(void*), u'0'));
    EXPECT_EQ(Fmt(u""), u"");
}

TEST(WideFormat, BoundedOutputAndFullLength)
{
    // Every capacity from 0 to past the end: the prefix that fits, a terminator, nothing beyond,
    // and always the full length back. Cuts fall inside literals, numbers and strings.
    const std::u16string Full = u"id=-12345, name=abcdef, x=2.50!";
    for (std::size_t Capacity = 0; Capacity <= Full.size() + 2; ++Capacity) {
        char16_t Buffer[64];
        std::fill(std::begin(Buffer), std::end(Buffer), u'#');
        const int N = Wide::Format(Buffer, Capacity, u"id=%d, name=%s, x=%.2f!", -12345, u"abcdef", 2.5);
        ASSERT_EQ(N, int(Full.size()));
        if (Capacity == 0) {
            EXPECT_EQ(Buffer[0], u'#');
            continue;
        }
        const std::size_t Written = std::min(Capacity - 1, Full.size());
        EXPECT_EQ(std::u16string(Buffer, Written), Full.substr(0, Written)) << Capacity;
        EXPECT_EQ(Buffer[Written], 0);
        EXPECT_EQ(Buffer[Written + 1], u'#') << "wrote past the capacity " << Capacity;
    }
    // A null destination with capacity 0 only measures.
    EXPECT_EQ(Wide::Format(nullptr, 0, u"%s%5d", u"abc", 1), 8);
    // Padding and zero fill are bounded too.
    char16_t Small[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(Wide::Format(Small, 3, u"%10d", 7), 10);
    EXPECT_EQ(std::u16string(Small, 3), std::u16string(u"  \0", 3));
    EXPECT_EQ(Small[3], u'#');
}

TEST(WideFormat, UnusableFormatsAreRefused)
{
    // The text before the bad conversion stays, terminated; the result is -1.
    const char16_t* Formats[] = {u"ab%", u"ab%-5", u"ab%q", u"ab%n", u"ab%hn", u"ab%1$d", u"ab%lls",
                                 u"ab%99999999999d", u"ab%.99999999999d", u"ab%Is"};
    for (const char16_t* F : Formats) {
        char16_t Buffer[16];
        std::fill(std::begin(Buffer), std::end(Buffer), u'#');
        int Target = 77;
        EXPECT_EQ(Wide::Format(Buffer, 16, F, &Target, &Target), -1);
        EXPECT_EQ(std::u16string(Buffer), u"ab");
        EXPECT_EQ(Target, 77);  // %n never writes
    }
    char16_t Buffer[4] = {u'#'};
    EXPECT_EQ(Wide::Format(Buffer, 4, nullptr), -1);
    EXPECT_EQ(Buffer[0], 0);
}

} // namespace

TEST(WideFormat, FixedNotationMatchesC99AcrossValuesFlagsAndPrecisions)
{
    const double Values[] = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 1e-7, 123456.789, -56.789, 0.1, 1.0 / 3.0,
                             9.9999999, 1e15 + 0.3, 4503599627370497.0, 1e22, 1.7976931348623157e308, 5e-324};
    const char* Formats[] = {"%f", "%.0f", "%.1f", "%.3f", "%.17f", "%#.0f", "%+.2f", "% .2f", "%012.3f",
                             "%-12.3f|", "%+012.1f", "%12f", "%F", "%.60f"};
    for (const char* F : Formats) {
        std::u16string Wide;
        for (const char* P = F; *P; ++P)
            Wide += char16_t(*P);
        for (double V : Values)
            EXPECT_EQ(Fmt(Wide.c_str(), V), Narrow(F, V)) << F << " " << V;
    }
}
