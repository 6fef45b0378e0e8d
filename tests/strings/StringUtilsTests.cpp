// Numbers from text, trimming, raw text into an archive, path extensions, UTF-16/UTF-32.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {
class FByteSink : public FArchive {
public:
    FByteSink() { ArFlags = FlagSaving; }
    void Serialize(void* Data, tvULong Length) override
    {
        const unsigned char* P = static_cast<const unsigned char*>(Data);
        Bytes.insert(Bytes.end(), P, P + Length);
    }
    std::vector<unsigned char> Bytes;
};
} // namespace

TEST(StrToInt, ChoosesTheBaseByPrefixAfterBlanks)
{
    struct Case {
        const Tolvane::tvWChar* Text;
        int Value;
    };
    const Case Cases[] = {
        {TVTEXT("  0x1A"), 26},        {TVTEXT("\t-12"), -12},         {TVTEXT("-0x10"), 0},           {TVTEXT("0X7fffffff"), 0x7FFFFFFF},
        {TVTEXT("42abc"), 42},         {TVTEXT("+5"), 5},              {TVTEXT(" \t 010"), 10},        {TVTEXT("0x"), 0},
        {TVTEXT("99999999999"), 2147483647}, {TVTEXT("-99999999999"), -2147483647 - 1}, {TVTEXT("0xFFFFFFFF"), 2147483647},
        {TVTEXT("\n7"), 7},            {TVTEXT(""), 0},                {TVTEXT("x"), 0},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(appStrToInt(C.Text), C.Value) << std::string(C.Text, C.Text + std::char_traits<Tolvane::tvWChar>::length(C.Text));
    EXPECT_EQ(appStrToInt(nullptr), 0);
}

TEST(StrToFloat, NarrowsTheDoubleAndSaturatesToInfinity)
{
    EXPECT_FLOAT_EQ(appStrToFloat(TVTEXT(" 3.25e1xyz")), 32.5f);
    EXPECT_FLOAT_EQ(appStrToFloat(TVTEXT("-0.5")), -0.5f);
    EXPECT_EQ(appStrToFloat(TVTEXT("1e300")), std::numeric_limits<float>::infinity());
    EXPECT_EQ(appStrToFloat(TVTEXT("-1e300")), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(appStrToFloat(TVTEXT("abc")), 0.0f);
    EXPECT_EQ(appStrToFloat(nullptr), 0.0f);
}

TEST(StrToFloat, TheLargestFloatSurvivesARoundTripThroughText)
{
    // Above FLT_MAX but below FLT_MAX + half an ulp, nearest rounding gives FLT_MAX.
    const float Max = std::numeric_limits<float>::max();
    struct FCase {
        const tvWChar* Text;
        float Expected;
    };
    const FCase Cases[] = {
        {TVTEXT("3.40282347e38"), Max},
        {TVTEXT("3.4028235e38"), Max},
        {TVTEXT("-3.4028235e38"), -Max},
        {TVTEXT("3.4028235677973362e38"), Max},                       // the double just below the tie
        {TVTEXT("3.4028235677973366e38"), std::numeric_limits<float>::infinity()},     // the tie itself
        {TVTEXT("3.5e38"), std::numeric_limits<float>::infinity()},
        {TVTEXT("-3.5e38"), -std::numeric_limits<float>::infinity()},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(appStrToFloat(C.Text), C.Expected) << WideText(C.Text).size();
    FString Text;
    Text.Format(TVTEXT("%.9g"), double(Max));
    EXPECT_EQ(appStrToFloat(Text), Max);
}

TEST(Trim, LeftMovesThePointerAndRightNeverRemovesTheFirstCharacter)
{
    Tolvane::tvWChar Text[] = TVTEXT(" \t a b \t");
    tvWChar* P = Text;
    appStrTrimLeft(P);
    EXPECT_EQ(WideText(P), TVTEXT("a b \t"));
    appStrTrimRight(P);
    EXPECT_EQ(WideText(P), TVTEXT("a b"));
    EXPECT_EQ(WideText(Text), TVTEXT(" \t a b")) << "the left trim changed nothing";

    Tolvane::tvWChar Blanks[] = TVTEXT("   ");
    appStrTrimRight(Blanks);
    EXPECT_EQ(WideText(Blanks), TVTEXT(" "));
    Tolvane::tvWChar One[] = TVTEXT("\t");
    appStrTrimRight(One);
    EXPECT_EQ(WideText(One), TVTEXT("\t"));
    Tolvane::tvWChar Empty[] = TVTEXT("");
    tvWChar* E = Empty;
    appStrTrimLeft(E);
    appStrTrimRight(E);
    EXPECT_EQ(E, Empty);
}

TEST(StrSaveToStream, WritesTheStoredFormOfAString)
{
    FByteSink Sink;
    appStrSaveToStream(Sink, TVTEXT("ab"), -1);
    EXPECT_EQ(Sink.Bytes, (std::vector<unsigned char>{2, 0, 0, 0, 0x61, 0, 0x62, 0}));
    Sink.Bytes.clear();
    appStrSaveToStream(Sink, TVTEXT("a\0b"), 3);  // an explicit count carries embedded zeros
    EXPECT_EQ(Sink.Bytes, (std::vector<unsigned char>{3, 0, 0, 0, 0x61, 0, 0, 0, 0x62, 0}));
    Sink.Bytes.clear();
    appStrSaveToStream(appStrSaveToStream(Sink, TVTEXT(""), -1), nullptr, 5);
    EXPECT_EQ(Sink.Bytes, (std::vector<unsigned char>(8, 0)));
}

TEST(FExt, FindsTheExtensionAfterTheLastSlash)
{
    struct Case {
        const Tolvane::tvWChar* Path;
        std::size_t Offset;  // where the result points
    };
    const Case Cases[] = {
        {TVTEXT("C:dir/name.old.txt"), 15}, {TVTEXT("dir/name"), 4},  {TVTEXT("dir/"), 4},       {TVTEXT("name.txt"), 5},
        {TVTEXT("a.b/c"), 4},               {TVTEXT("a\\b.c"), 4},    {TVTEXT("x:y:z.q"), 6},    {TVTEXT(""), 0},
        {TVTEXT("a/.rc"), 3},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(appFExt(C.Path), C.Path + C.Offset)
            << std::string(C.Path, C.Path + std::char_traits<Tolvane::tvWChar>::length(C.Path));
    EXPECT_EQ(appFExt(nullptr), nullptr);
}

TEST(Utf32ToUtf16, WritesPairsAboveTheBasicPlane)
{
    const tvULong Src[] = {65, 0x1F600, 0x10FFFF, 0x110000};
    tvUShort Dst[8] = {};
    apputf32Tutf16(Dst, 8, Src, 4);
    const tvUShort Expected[8] = {65, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF, 0xFFFD, 0, 0};
    EXPECT_EQ(std::memcmp(Dst, Expected, sizeof(Dst)), 0);

    tvUShort Small[3] = {1, 1, 1};
    apputf32Tutf16(Small, 2, Src, 2);  // the pair does not fit after 65: nothing of it is written
    EXPECT_EQ(Small[0], 65);
    EXPECT_EQ(Small[1], 1);
    EXPECT_EQ(Small[2], 1);
}

TEST(Utf16ToUtf32, PairsBecomeOneValueAndLoneSurrogatesTheReplacement)
{
    const tvUShort Src[] = {65, 0xD83D, 0xDE00, 0xDC00, 66, 0xD800};
    tvULong Dst[7];
    std::fill(std::begin(Dst), std::end(Dst), 0xAAAAAAAAu);
    apputf16Tutf32(Dst, 7, Src, 6);
    const tvULong Expected[7] = {65, 0x1F600, 0xFFFD, 66, 0xFFFD, 0, 0xAAAAAAAAu};
    EXPECT_EQ(std::memcmp(Dst, Expected, sizeof(Dst)), 0) << "packed, zero-filled up to the source length";

    tvULong Bounded[3] = {7, 7, 7};
    apputf16Tutf32(Bounded, 2, Src + 4, 2);
    EXPECT_EQ(Bounded[0], 66u);
    EXPECT_EQ(Bounded[1], 0xFFFDu);
    EXPECT_EQ(Bounded[2], 7u) << "nothing at DstLen or beyond";
}
