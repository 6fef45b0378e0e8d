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
#include "support/WideText.h"

using namespace Tolvane;

namespace {

WideText Widen(const char* Text)
{
    WideText Out;
    for (; *Text; ++Text)
        Out += Tolvane::tvWChar(static_cast<unsigned char>(*Text));
    return Out;
}

// Formats into a roomy buffer and checks that the returned length matches the text written.
WideText Fmt(const Tolvane::tvWChar* Format, ...)
{
    Tolvane::tvWChar Buffer[2048];
    va_list Args;
    va_start(Args, Format);
    const int N = Wide::FormatV(Buffer, 2048, Format, Args);
    va_end(Args);
    EXPECT_GE(N, 0) << "format refused";
    if (N < 0)
        return TVTEXT("<refused>");
    EXPECT_EQ(std::size_t(N), Wide::Length(Buffer));
    return WideText(Buffer, std::size_t(N));
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <class T>
WideText Narrow(const char* Format, T Value)
{
    char Buffer[2048];
    std::snprintf(Buffer, sizeof(Buffer), Format, Value);
    return Widen(Buffer);
}
#pragma GCC diagnostic pop

struct FIntCase {
    const Tolvane::tvWChar* Wide;
    const char* Narrow;
    int Value;
};

TEST(WideFormat, IntegersMatchC99)
{
    const FIntCase Cases[] = {
        {TVTEXT("%d"), "%d", 0}, {TVTEXT("%d"), "%d", -1}, {TVTEXT("%d"), "%d", INT32_MIN}, {TVTEXT("%d"), "%d", INT32_MAX},
        {TVTEXT("%i"), "%i", 42}, {TVTEXT("%5d"), "%5d", -42}, {TVTEXT("%-5d|"), "%-5d|", 42}, {TVTEXT("%05d"), "%05d", -42},
        {TVTEXT("%+d"), "%+d", 7}, {TVTEXT("% d"), "% d", 7}, {TVTEXT("%+ d"), "%+ d", 7}, {TVTEXT("%.3d"), "%.3d", 7},
        {TVTEXT("%.0d"), "%.0d", 0}, {TVTEXT("%5.0d|"), "%5.0d|", 0}, {TVTEXT("%08.3d"), "%08.3d", -5}, {TVTEXT("%-08d|"), "%-08d|", 5},
        {TVTEXT("%u"), "%u", -1}, {TVTEXT("%x"), "%x", 0xBEEF}, {TVTEXT("%X"), "%X", 0xBEEF}, {TVTEXT("%#x"), "%#x", 255},
        {TVTEXT("%#X"), "%#X", 255}, {TVTEXT("%#x"), "%#x", 0}, {TVTEXT("%#010x"), "%#010x", 255}, {TVTEXT("%o"), "%o", 8},
        {TVTEXT("%#o"), "%#o", 8}, {TVTEXT("%#o"), "%#o", 0}, {TVTEXT("%#.0o"), "%#.0o", 0}, {TVTEXT("%#.5o"), "%#.5o", 8},
        {TVTEXT("%hd"), "%hd", 70000}, {TVTEXT("%hu"), "%hu", -1}, {TVTEXT("%hhd"), "%hhd", 300}, {TVTEXT("%hhx"), "%hhx", -1},
        {TVTEXT("%ld"), "%d", INT32_MIN}, {TVTEXT("%lu"), "%u", -1}, {TVTEXT("%lx"), "%x", -1}, {TVTEXT("%I32d"), "%d", -9},
        {TVTEXT("%+u"), "%+u", 5}, {TVTEXT("% x"), "% x", 5}, {TVTEXT("%.10u"), "%.10u", 12345},
    };
    for (const FIntCase& C : Cases)
        EXPECT_EQ(Fmt(C.Wide, C.Value), Narrow(C.Narrow, C.Value)) << C.Narrow << " " << C.Value;
}

TEST(WideFormat, SixtyFourBitModifiers)
{
    const long long Values[] = {0, -1, INT64_MIN, INT64_MAX, 1LL << 40, -(1LL << 33) + 7};
    for (long long V : Values) {
        EXPECT_EQ(Fmt(TVTEXT("%lld"), V), Narrow("%lld", V));
        EXPECT_EQ(Fmt(TVTEXT("%I64d"), V), Narrow("%lld", V));
        EXPECT_EQ(Fmt(TVTEXT("%jd"), V), Narrow("%lld", V));
        EXPECT_EQ(Fmt(TVTEXT("%llu"), V), Narrow("%llu", V));
        EXPECT_EQ(Fmt(TVTEXT("%I64x"), V), Narrow("%llx", V));
        EXPECT_EQ(Fmt(TVTEXT("%#llo"), V), Narrow("%#llo", V));
        EXPECT_EQ(Fmt(TVTEXT("%+25.20lld|"), V), Narrow("%+25.20lld|", V));
    }
    const std::size_t Big = ~std::size_t(0);
    EXPECT_EQ(Fmt(TVTEXT("%zu %Iu %zx"), Big, Big, Big), Narrow("%zu", Big) + TVTEXT(" ") + Narrow("%zu", Big) + TVTEXT(" ") + Narrow("%zx", Big));
    EXPECT_EQ(Fmt(TVTEXT("%td"), std::ptrdiff_t(-5)), TVTEXT("-5"));
    // The argument after a 64-bit one is read from the right place.
    EXPECT_EQ(Fmt(TVTEXT("%I64d %d %lld %s"), INT64_MIN, 3, 4LL, TVTEXT("x")), TVTEXT("-9223372036854775808 3 4 x"));
}

struct FFloatCase {
    const Tolvane::tvWChar* Wide;
    const char* Narrow;
    double Value;
};

TEST(WideFormat, FloatingPointMatchesC99)
{
    const double Inf = std::numeric_limits<double>::infinity();
    const FFloatCase Cases[] = {
        {TVTEXT("%f"), "%f", 3.14159}, {TVTEXT("%5.2f"), "%5.2f", 3.14159}, {TVTEXT("%-10.3e|"), "%-10.3e|", -1234.5},
        {TVTEXT("%E"), "%E", 1e-300}, {TVTEXT("%g"), "%g", 0.0001}, {TVTEXT("%G"), "%G", 1e20}, {TVTEXT("%#g"), "%#g", 1.0},
        {TVTEXT("%+.0f"), "%+.0f", 2.5}, {TVTEXT("% 012.4f"), "% 012.4f", -3.5}, {TVTEXT("%a"), "%a", 1.5}, {TVTEXT("%A"), "%A", -0.1},
        {TVTEXT("%f"), "%f", Inf}, {TVTEXT("%F"), "%F", -Inf}, {TVTEXT("%e"), "%e", std::nan("")}, {TVTEXT("%.0e"), "%.0e", 5e-324},
        {TVTEXT("%f"), "%f", 1.7976931348623157e308}, {TVTEXT("%.40f"), "%.40f", 0.1}, {TVTEXT("%lf"), "%lf", 2.0},
    };
    for (const FFloatCase& C : Cases)
        EXPECT_EQ(Fmt(C.Wide, C.Value), Narrow(C.Narrow, C.Value)) << C.Narrow;
    EXPECT_EQ(Fmt(TVTEXT("%Lf"), 1.25L), Narrow("%Lf", 1.25L));
    // Longer than the stack buffer: the whole number, through a heap block.
    EXPECT_EQ(Fmt(TVTEXT("%.1000f"), 1.0 / 3.0), Narrow("%.1000f", 1.0 / 3.0));
    EXPECT_EQ(Fmt(TVTEXT("%700.1f|"), 2.0), Narrow("%700.1f|", 2.0));
}

TEST(WideFormat, FloatsIgnoreTheProcessLocale)
{
    const char* Old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string Saved = Old ? Old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(Fmt(TVTEXT("%.2f"), 3.14159), TVTEXT("3.14"));
    std::setlocale(LC_NUMERIC, Saved.c_str());
}

TEST(WideFormat, WideAndNarrowTextSwitches)
{
    const Tolvane::tvWChar* W = TVTEXT("w\u00e9");
    const char* N = "n\xe9\x80";  // é and the euro sign in Windows-1252
    EXPECT_EQ(Fmt(TVTEXT("%s|%ls|%ws"), W, W, W), TVTEXT("w\u00e9|w\u00e9|w\u00e9"));
    EXPECT_EQ(Fmt(TVTEXT("%S|%hs|%hS"), N, N, N), TVTEXT("n\u00e9\u20ac|n\u00e9\u20ac|n\u00e9\u20ac"));
    EXPECT_EQ(Fmt(TVTEXT("%lS|%wS"), W, W), TVTEXT("w\u00e9|w\u00e9"));
    EXPECT_EQ(Fmt(TVTEXT("%c%lc%wc"), int(TVTEXT('\u4e2d')), int(TVTEXT('a')), int(TVTEXT('b'))), TVTEXT("\u4e2dab"));
    EXPECT_EQ(Fmt(TVTEXT("%C%hc%hC"), int('\x80'), int('z'), int('\xe9')), TVTEXT("\u20acz\u00e9"));
    EXPECT_EQ(Fmt(TVTEXT("%s %S"), static_cast<const Tolvane::tvWChar*>(nullptr), static_cast<const char*>(nullptr)),
              TVTEXT("(null) (null)"));
    // Surrogate pairs pass through as units.
    EXPECT_EQ(Fmt(TVTEXT("<%s>"), TVTEXT("\U0001F600")), TVTEXT("<\U0001F600>"));
}

TEST(WideFormat, TextWidthAndPrecisionCountUnits)
{
    EXPECT_EQ(Fmt(TVTEXT("[%5s][%-5s][%.2s][%5.1s]"), TVTEXT("ab"), TVTEXT("ab"), TVTEXT("abcd"), TVTEXT("xyz")), TVTEXT("[   ab][ab   ][ab][    x]"));
    EXPECT_EQ(Fmt(TVTEXT("[%.3S][%-4hs]"), "abcdef", "q"), TVTEXT("[abc][q   ]"));
    EXPECT_EQ(Fmt(TVTEXT("[%.3s]"), static_cast<const Tolvane::tvWChar*>(nullptr)), TVTEXT("[(nu]"));
    // The precision bounds the read: text without a terminator inside the precision is safe.
    const Tolvane::tvWChar Unterminated[3] = {TVTEXT('a'), TVTEXT('b'), TVTEXT('c')};
    EXPECT_EQ(Fmt(TVTEXT("%.3s"), Unterminated), TVTEXT("abc"));
    const char NarrowUnterminated[2] = {'h', 'i'};
    EXPECT_EQ(Fmt(TVTEXT("%.2S"), NarrowUnterminated), TVTEXT("hi"));
    EXPECT_EQ(Fmt(TVTEXT("[%3c][%-3c]"), int(TVTEXT('x')), int(TVTEXT('y'))), TVTEXT("[  x][y  ]"));
    // The Windows runtime pads text and characters with '0' under the '0' flag.
    EXPECT_EQ(Fmt(TVTEXT("[%05s][%03c][%-05s]"), TVTEXT("ab"), int(TVTEXT('c')), TVTEXT("ab")), TVTEXT("[000ab][00c][ab   ]"));
}

TEST(WideFormat, StarWidthAndPrecision)
{
    EXPECT_EQ(Fmt(TVTEXT("[%*d]"), 5, 42), TVTEXT("[   42]"));
    EXPECT_EQ(Fmt(TVTEXT("[%*d]"), -5, 42), TVTEXT("[42   ]"));  // a negative width left-justifies
    EXPECT_EQ(Fmt(TVTEXT("[%.*d]"), 4, 42), TVTEXT("[0042]"));
    EXPECT_EQ(Fmt(TVTEXT("[%.*d]"), -1, 42), TVTEXT("[42]"));    // a negative precision is none
    EXPECT_EQ(Fmt(TVTEXT("[%*.*s]"), 6, 2, TVTEXT("abcdef")), TVTEXT("[    ab]"));
    EXPECT_EQ(Fmt(TVTEXT("[%*.*f]"), 8, 2, 3.14159), TVTEXT("[    3.14]"));
    EXPECT_EQ(Fmt(TVTEXT("[%-*.*f]"), 8, -3, 1.5), Narrow("[%-8f]", 1.5));
    // A width of INT_MAX is bounded by the buffer; a total past INT_MAX cannot be returned.
    Tolvane::tvWChar Buffer[8];
    EXPECT_EQ(Wide::Format(Buffer, 8, TVTEXT("%*s"), -INT32_MAX, TVTEXT("ab")), INT32_MAX);
    EXPECT_EQ(WideText(Buffer), TVTEXT("ab     "));
    EXPECT_EQ(Wide::Format(Buffer, 8, TVTEXT("%*s%*s"), INT32_MAX, TVTEXT(""), 1, TVTEXT("")), -1);
}

TEST(WideFormat, PercentPointerAndMixed)
{
    EXPECT_EQ(Fmt(TVTEXT("100%% %d%%"), 5), TVTEXT("100% 5%"));
    EXPECT_EQ(Fmt(TVTEXT("%d-%s"), 5, TVTEXT("x")), TVTEXT("5-x"));
    EXPECT_EQ(Fmt(TVTEXT("%5.2f"), 3.14159), TVTEXT(" 3.14"));
    EXPECT_EQ(Fmt(TVTEXT("%d-%d-%d:%d:%d:%d"), 2022, 6, 27, 11, 57, 8), TVTEXT("2022-6-27:11:57:8"));
    // Pointers as the Windows runtime prints them: every hex digit, upper case.
    void* P = reinterpret_cast<void*>(std::uintptr_t(0xABCDEF));
    const WideText Expected = sizeof(void*) == 8 ? TVTEXT("0000000000ABCDEF") : TVTEXT("00ABCDEF");
    EXPECT_EQ(Fmt(TVTEXT("%p"), P), Expected);
    EXPECT_EQ(Fmt(TVTEXT("%p"), static_cast<void*>(nullptr)), WideText(2 * sizeof(void*), TVTEXT('0')));
    EXPECT_EQ(Fmt(TVTEXT("")), TVTEXT(""));
}

TEST(WideFormat, BoundedOutputAndFullLength)
{
    // Every capacity from 0 to past the end: the prefix that fits, a terminator, nothing beyond,
    // and always the full length back. Cuts fall inside literals, numbers and strings.
    const WideText Full = TVTEXT("id=-12345, name=abcdef, x=2.50!");
    for (std::size_t Capacity = 0; Capacity <= Full.size() + 2; ++Capacity) {
        Tolvane::tvWChar Buffer[64];
        std::fill(std::begin(Buffer), std::end(Buffer), TVTEXT('#'));
        const int N = Wide::Format(Buffer, Capacity, TVTEXT("id=%d, name=%s, x=%.2f!"), -12345, TVTEXT("abcdef"), 2.5);
        ASSERT_EQ(N, int(Full.size()));
        if (Capacity == 0) {
            EXPECT_EQ(Buffer[0], TVTEXT('#'));
            continue;
        }
        const std::size_t Written = std::min(Capacity - 1, Full.size());
        EXPECT_EQ(WideText(Buffer, Written), Full.substr(0, Written)) << Capacity;
        EXPECT_EQ(Buffer[Written], 0);
        EXPECT_EQ(Buffer[Written + 1], TVTEXT('#')) << "wrote past the capacity " << Capacity;
    }
    // A null destination with capacity 0 only measures.
    EXPECT_EQ(Wide::Format(nullptr, 0, TVTEXT("%s%5d"), TVTEXT("abc"), 1), 8);
    // Padding and zero fill are bounded too.
    Tolvane::tvWChar Small[4] = {TVTEXT('#'), TVTEXT('#'), TVTEXT('#'), TVTEXT('#')};
    EXPECT_EQ(Wide::Format(Small, 3, TVTEXT("%10d"), 7), 10);
    EXPECT_EQ(WideText(Small, 3), WideText(TVTEXT("  \0"), 3));
    EXPECT_EQ(Small[3], TVTEXT('#'));
}

TEST(WideFormat, UnusableFormatsAreRefused)
{
    // The text before the bad conversion stays, terminated; the result is -1.
    const Tolvane::tvWChar* Formats[] = {TVTEXT("ab%"), TVTEXT("ab%-5"), TVTEXT("ab%q"), TVTEXT("ab%n"), TVTEXT("ab%hn"), TVTEXT("ab%1$d"), TVTEXT("ab%lls"),
                                 TVTEXT("ab%99999999999d"), TVTEXT("ab%.99999999999d"), TVTEXT("ab%Is")};
    for (const Tolvane::tvWChar* F : Formats) {
        Tolvane::tvWChar Buffer[16];
        std::fill(std::begin(Buffer), std::end(Buffer), TVTEXT('#'));
        int Target = 77;
        EXPECT_EQ(Wide::Format(Buffer, 16, F, &Target, &Target), -1);
        EXPECT_EQ(WideText(Buffer), TVTEXT("ab"));
        EXPECT_EQ(Target, 77);  // %n never writes
    }
    Tolvane::tvWChar Buffer[4] = {TVTEXT('#')};
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
        WideText Wide;
        for (const char* P = F; *P; ++P)
            Wide += Tolvane::tvWChar(*P);
        for (double V : Values)
            EXPECT_EQ(Fmt(Wide.c_str(), V), Narrow(F, V)) << F << " " << V;
    }
}
