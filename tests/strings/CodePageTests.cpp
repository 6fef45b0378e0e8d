// The code-page layer: Windows-1252, GBK and UTF-8 with the system conversion calls' room,
// size-query and failure conventions, and FString's conversions on top of it.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/tvPlatformText.h"

#include <cstring>
#include <string>
#include "support/WideText.h"

using namespace Tolvane;
using Platform::MultiByteToWide;
using Platform::WideToMultiByte;

namespace {
// Restores the library's ANSI code page after a test that changes it.
struct FScopedAnsiCodePage {
    unsigned Saved = appGetAnsiCodePage();
    explicit FScopedAnsiCodePage(unsigned CodePage) { EXPECT_EQ(appSetAnsiCodePage(CodePage), 1); }
    ~FScopedAnsiCodePage() { appSetAnsiCodePage(Saved); }
};

WideText ToWide(unsigned CodePage, const std::string& Narrow)
{
    tvWChar Out[64] = {};
    const int N = MultiByteToWide(CodePage, Narrow.data(), int(Narrow.size()), Out, 64);
    return WideText(Out, std::size_t(N > 0 ? N : 0));
}

std::string ToNarrow(unsigned CodePage, const WideText& Wide)
{
    char Out[64] = {};
    const int N = WideToMultiByte(CodePage, Wide.data(), int(Wide.size()), Out, 64);
    return std::string(Out, std::size_t(N > 0 ? N : 0));
}
} // namespace

TEST(CodePage, RoundTripsInEachSupportedCodePage)
{
    struct FCase {
        unsigned CodePage;
        std::string Narrow;
        WideText Wide;
    } Cases[] = {
        {1252, "A\x80\x81\x8D\x9F\xE9\xFF", TVTEXT("A\u20AC\u0081\u008D\u0178\u00E9\u00FF")},
        {936, "a\xD6\xD0\xCE\xC4", TVTEXT("a\u4E2D\u6587")},
        {65001, "x\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", TVTEXT("x\u00E9\u20AC\U0001F600")},
    };
    for (const FCase& C : Cases) {
        EXPECT_EQ(ToWide(C.CodePage, C.Narrow), C.Wide) << C.CodePage;
        EXPECT_EQ(ToNarrow(C.CodePage, C.Wide), C.Narrow) << C.CodePage;
    }
    EXPECT_EQ(Platform::AnsiCodePage(), 1252u) << "the default ANSI code page";
    EXPECT_EQ(ToWide(0, "\x80"), TVTEXT("\u20AC"));
}

TEST(CodePage, RoomAndSizeConventions)
{
    // -1: zero-terminated, the terminator converted and counted.
    EXPECT_EQ(MultiByteToWide(1252, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(WideToMultiByte(936, TVTEXT("\u4E2D"), -1, nullptr, 0), 3);
    tvWChar Wide[4] = {TVTEXT('#'), TVTEXT('#'), TVTEXT('#'), TVTEXT('#')};
    EXPECT_EQ(MultiByteToWide(1252, "abc", -1, Wide, 4), 4);
    EXPECT_EQ(WideText(Wide, 4), WideText(TVTEXT("abc\0"), 4));
    // Too little room fails; what fits is written.
    tvWChar Small[2] = {};
    EXPECT_EQ(MultiByteToWide(1252, "abc", -1, Small, 2), 0);
    EXPECT_EQ(Small[0], TVTEXT('a'));
    char Narrow[2] = {};
    EXPECT_EQ(WideToMultiByte(65001, TVTEXT("\u00E9"), 1, Narrow, 1), 0);
    // Bad arguments fail.
    EXPECT_EQ(MultiByteToWide(1252, nullptr, -1, Wide, 4), 0);
    EXPECT_EQ(MultiByteToWide(1252, "abc", 0, Wide, 4), 0);
    EXPECT_EQ(MultiByteToWide(1252, "abc", -2, Wide, 4), 0);
    EXPECT_EQ(MultiByteToWide(1252, "abc", 3, nullptr, 4), 0);
    EXPECT_EQ(MultiByteToWide(12345, "abc", 3, Wide, 4), 0) << "an unknown code page";
}

TEST(CodePage, UndecodableInputIsReplacedAsTheSystemCallsDoWithFlagsZero)
{
    // One bad byte never loses the text around it: UTF-8 gives U+FFFD for each longest start
    // of a well-formed sequence, a double-byte code page its default character for a lead
    // byte with the byte after it (or alone at the end).
    struct FCase {
        unsigned CodePage;
        std::string Narrow;
        WideText Wide;
        const char* What;
    } Cases[] = {
        {65001, "\xC3", TVTEXT("\uFFFD"), "a cut sequence"},
        {65001, "a\xE2\x82", TVTEXT("a\uFFFD"), "a cut three-byte sequence is one replacement"},
        {65001, "\xC0\x80", TVTEXT("\uFFFD\uFFFD"), "an overlong form: two bytes that start nothing"},
        {65001, "\xED\xA0\x80", TVTEXT("\uFFFD\uFFFD\uFFFD"), "an encoded surrogate"},
        {65001, "\xC0\x41\x42", TVTEXT("\uFFFDAB"), "a bad lead byte before letters"},
        {65001, "\xF4\x90\x80\x80", TVTEXT("\uFFFD\uFFFD\uFFFD\uFFFD"), "past U+10FFFF"},
        {65001, "\xE2\x28\xA1", TVTEXT("\uFFFD(\uFFFD"), "a broken sequence resumes at the next byte"},
        {65001, "x\xFFy\xF0\x9F\x98", TVTEXT("x\uFFFDy\uFFFD"), "stray byte, cut four-byte sequence"},
        {936, "\xD6", TVTEXT("?"), "half a double-byte character"},
        {936, "\x80", TVTEXT("\u20AC"), "the single euro byte"},
        {936, "a\x81\x30" "b\xD6\xD0", TVTEXT("a?b\u4E2D"), "a lead byte with a byte that does not pair"},
    };
    for (const FCase& C : Cases) {
        EXPECT_EQ(ToWide(C.CodePage, C.Narrow), C.Wide) << C.What;
        EXPECT_EQ(MultiByteToWide(C.CodePage, C.Narrow.data(), int(C.Narrow.size()), nullptr, 0), int(C.Wide.size()))
            << C.What << ": the size query agrees";
    }
    tvWChar Small[1];
    EXPECT_EQ(MultiByteToWide(65001, "\xC0\x80", 2, Small, 1), 0) << "room still counts replacements";
}

TEST(CodePage, LoneSurrogatesAndUnmappableCharactersBecomeTheDefaultCharacter)
{
    EXPECT_EQ(ToNarrow(1252, TVTEXT("a\xD800")), "a?");
    EXPECT_EQ(ToNarrow(1252, TVTEXT("\xDC00z")), "?z");
    EXPECT_EQ(ToNarrow(936, TVTEXT("a\xD800")), "a?");
    EXPECT_EQ(ToNarrow(936, TVTEXT("\xDC00z")), "?z");
    EXPECT_EQ(ToNarrow(65001, TVTEXT("a\xD800")), "a\xEF\xBF\xBD");
    EXPECT_EQ(ToNarrow(65001, TVTEXT("\xDC00z\xD83D")), "\xEF\xBF\xBDz\xEF\xBF\xBD");
    EXPECT_EQ(WideToMultiByte(65001, TVTEXT("\xDC00"), 1, nullptr, 0), 3);
    EXPECT_EQ(ToNarrow(1252, TVTEXT("a\u4E2Db\U0001F600c")), "a?b?c");
    EXPECT_EQ(ToNarrow(936, TVTEXT("a\u00C0b")), "a?b");
}

TEST(CodePage, SettingIsValidatedAndDrivesCodePageZero)
{
    const unsigned Before = appGetAnsiCodePage();
    EXPECT_EQ(appSetAnsiCodePage(0), 0);
    EXPECT_EQ(appSetAnsiCodePage(4242), 0);
    EXPECT_EQ(appGetAnsiCodePage(), Before);

    FScopedAnsiCodePage Gbk(936);
    tvWChar Wide[8] = {};
    FString::CharToWChar("\xD6\xD0", Wide, 8);
    EXPECT_EQ(WideText(Wide), TVTEXT("\u4E2D"));
    char Narrow[8] = {};
    FString::WCharToChar(TVTEXT("\u6587"), Narrow, 8);
    EXPECT_EQ(std::string(Narrow), "\xCE\xC4");
    // The formatter reads narrow arguments in the ANSI code page as well.
    FString S;
    S.Format(TVTEXT("%S|%hs"), "\xD6\xD0", "ok");
    EXPECT_EQ(WideText(static_cast<const tvWChar*>(S)), TVTEXT("\u4E2D|ok"));
}

TEST(CodePage, StringConversions)
{
    // The conversion functions take 16-bit units (unsigned short on Windows, not wchar_t).
    const tvUShort Abc[] = {tvUShort('a'), tvUShort('b'), tvUShort('c'), 0};
    EXPECT_EQ(FString::CaculateUtf16Length(Abc, 10), 3);
    EXPECT_EQ(FString::CaculateUtf16Length(Abc, 2), 2);
    EXPECT_EQ(FString::CaculateUtf16Length(nullptr, 2), 0);
    EXPECT_EQ(FString::CaculateUtf16Length(Abc, 0), 0);

    char Utf8[16] = {};
    tvUShort Units[] = {tvUShort('h'), 0x00E9, 0};
    FString::UnicodeToUTF8(Utf8, 16, Units, -1);
    EXPECT_EQ(std::string(Utf8), "h\xC3\xA9");
    tvUShort Back[8] = {};
    FString::UTF8ToUnicode(Back, 8, Utf8, -1);
    EXPECT_EQ(WideText(Back, std::find(Back, Back + 8, tvUShort(0))), TVTEXT("h\u00E9"));

    FScopedAnsiCodePage Gbk(936);
    char Gb[] = "\xD6\xD0\xCE\xC4";
    char Out[16];
    std::memset(Out, '#', sizeof Out);
    // All dstLen units of the zero-filled temporary are converted: the tail comes out as 0s.
    FString::GB2312ToUTF8(Out, 16, Gb, 4);
    EXPECT_EQ(std::string(Out, 6), "\xE4\xB8\xAD\xE6\x96\x87");
    for (int i = 6; i < 16; ++i)
        EXPECT_EQ(Out[i], 0) << i;
    char Utf[] = "\xE4\xB8\xAD\xE6\x96\x87";
    char Gb2[16];
    std::memset(Gb2, '#', sizeof Gb2);
    FString::UTF8ToGB2312(Gb2, 16, Utf, 6);
    EXPECT_EQ(std::string(Gb2, 4), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(Gb2[4], 0);
}
