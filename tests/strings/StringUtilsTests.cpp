// Numbers from text, trimming, raw text into an archive, path extensions, UTF-16/UTF-32.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

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
        const char16_t* Text;
        int Value;
    };
    const Case Cases[] = {
        {u"  0x1A", 26},        {u"\t-12", -12},         {u"-0x10", 0},           {u"0X7fffffff", 0x7FFFFFFF},
        {u"42abc", 42},         {u"+5", 5},              {u" \t 010", 10},        {u"0x", 0},
        {u"99999999999", 2147483647}, {u"-99999999999", -2147483647 - 1}, {u"0xFFFFFFFF", 2147483647},
        {u"\n7", 7},            {u"", 0},                {u"x", 0},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(appStrToInt(C.Text), C.Value) << std::string(C.Text, C.Text + std::char_traits<char16_t>::length(C.Text));
    EXPECT_EQ(appStrToInt(nullptr), 0);
}

TEST(StrToFloat, NarrowsTheDoubleAndSaturatesToInfinity)
{
    EXPECT_FLOAT_EQ(appStrToFloat(u" 3.25e1xyz"), 32.5f);
    EXPECT_FLOAT_EQ(appStrToFloat(u"-0.5"), -0.5f);
    EXPECT_EQ(appStrToFloat(u"1e300"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(appStrToFloat(u"-1e300"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(appStrToFloat(u"abc"), 0.0f);
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
        {u"3.40282347e38", Max},
        {u"3.4028235e38", Max},
        {u"-3.4028235e38", -Max},
        {u"3.4028235677973362e38", Max},                       // the double just below the tie
        {u"3.4028235677973366e38", std::numeric_limits<float>::infinity()},     // the tie itself
        {u"3.5e38", std::numeric_limits<float>::infinity()},
        {u"-3.5e38", -std::numeric_limits<float>::infinity()},
    };
    for (const FCase& C : Cases)
        EXPECT_EQ(appStrToFloat(C.Text), C.Expected) << std::u16string(C.Text).size();
    FString Text;
    Text.Format(u"%.9g", double(Max));
    EXPECT_EQ(appStrToFloat(Text), Max);
}

TEST(Trim, LeftMovesThePointerAndRightNeverRemovesTheFirstCharacter)
{
    char16_t Text[] = u" \t a b \t";
    tvWChar* P = Text;
    appStrTrimLeft(P);
    EXPECT_EQ(std::u16string(P), u"a b \t");
    appStrTrimRight(P);
    EXPECT_EQ(std::u16string(P), u"a b");
    EXPECT_EQ(std::u16string(Text), u" \t a b") << "the left trim changed nothing";

    char16_t Blanks[] = u"   ";
    appStrTrimRight(Blanks);
    EXPECT_EQ(std::u16string(Blanks), u" ");
    char16_t One[] = u"\t";
    appStrTrimRight(One);
    EXPECT_EQ(std::u16string(One), u"\t");
    char16_t Empty[] = u"";
    tvWChar* E = Empty;
    appStrTrimLeft(E);
    appStrTrimRight(E);
    EXPECT_EQ(E, Empty);
}

TEST(StrSaveToStream, WritesTheStoredFormOfAString)
{
    FByteSink Sink;
    appStrSaveToStream(Sink, u"ab", -1);
    EXPECT_EQ(Sink.Bytes, (std::vector<unsigned char>{2, 0, 0, 0, 0x61, 0, 0x62, 0}));
    Sink.Bytes.clear();
    appStrSaveToStream(Sink, u"a\0b", 3);  // an explicit count carries embedded zeros
    EXPECT_EQ(Sink.Bytes, (std::vector<unsigned char>{3, 0, 0, 0, 0x61, 0, 0, 0, 0x62, 0}));
    Sink.Bytes.clear();
    appStrSaveToStream(appStrSaveToStream(Sink, u"", -1), nullptr, 5);
    EXPECT_EQ(Sink.Bytes, (std::vector<unsigned char>(8, 0)));
}

TEST(FExt, FindsTheExtensionAfterTheLastSlash)
{
    struct Case {
        const char16_t* Path;
        std::size_t Offset;  // where the result points
    };
    const Case Cases[] = {
        {u"C:dir/name.old.txt", 15}, {u"dir/name", 4},  {u"dir/", 4},       {u"name.txt", 5},
        {u"a.b/c", 4},               {u"a\\b.c", 4},    {u"x:y:z.q", 6},    {u"", 0},
        {u"a/.rc", 3},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(appFExt(C.Path), C.Path + C.Offset)
            << std::string(C.Path, C.Path + std::char_traits<char16_t>::length(C.Path));
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
