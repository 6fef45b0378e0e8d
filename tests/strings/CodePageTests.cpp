// The code-page layer: Windows-1252, GBK and UTF-8 with the system conversion calls' room,
// size-query and failure conventions, and FString's conversions on top of it.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include "platform/tvPlatformText.h"

#include <cstring>
#include <string>

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

std::u16string ToWide(unsigned CodePage, const std::string& Narrow)
{
    tvWChar Out[64] = {};
    const int N = MultiByteToWide(CodePage, Narrow.data(), int(Narrow.size()), Out, 64);
    return std::u16string(Out, std::size_t(N > 0 ? N : 0));
}

std::string ToNarrow(unsigned CodePage, const std::u16string& Wide)
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
        std::u16string Wide;
    } Cases[] = {
        {1252, "A\x80\x81\x8D\x9F\xE9\xFF", u"A\u20AC\u0081\u008D\u0178\u00E9\u00FF"},
        {936, "a\xD6\xD0\xCE\xC4", u"a\u4E2D\u6587"},
        {65001, "x\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"x\u00E9\u20AC\U0001F600"},
    };
    for (const FCase& C : Cases) {
        EXPECT_EQ(ToWide(C.CodePage, C.Narrow), C.Wide) << C.CodePage;
        EXPECT_EQ(ToNarrow(C.CodePage, C.Wide), C.Narrow) << C.CodePage;
    }
    EXPECT_EQ(Platform::AnsiCodePage(), 1252u) << "the default ANSI code page";
    EXPECT_EQ(ToWide(0, "\x80"), u"\u20AC");
}

TEST(CodePage, RoomAndSizeConventions)
{
    // -1: zero-terminated, the terminator converted and counted.
    EXPECT_EQ(MultiByteToWide(1252, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(WideToMultiByte(936, u"\u4E2D", -1, nullptr, 0), 3);
    tvWChar Wide[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWide(1252, "abc", -1, Wide, 4), 4);
    EXPECT_EQ(std::u16string(Wide, 4), std::u16string(u"abc\0", 4));
    // Too little room fails; what fits is written.
    tvWChar Small[2] = {};
    EXPECT_EQ(MultiByteToWide(1252, "abc", -1, Small, 2), 0);
    EXPECT_EQ(Small[0], u'a');
    char Narrow[2] = {};
    EXPECT_EQ(WideToMultiByte(65001, u"\u00E9", 1, Narrow, 1), 0);
    // Bad arguments fail.
    EXPECT_EQ(MultiByteToWide(1252, nullptr, -1, Wide, 4), 0);
    EXPECT_EQ(MultiByteToWide(1252, "abc", 0, Wide, 4), 0);
    EXPECT_EQ(MultiByteToWide(1252, "abc", -2, Wide, 4), 0);
    EXPECT_EQ(MultiByteToWide(1252, "abc", 3, nullptr, 4), 0);
    EXPECT_EQ(MultiByteToWide(12345, "abc", 3, Wide, 4), 0) << "an unknown code page";
}

TEST(CodePage, InvalidInputFailsAndUnmappableCharactersBecomeQuestionMarks)
{
    tvWChar Wide[8];
    EXPECT_EQ(MultiByteToWide(65001, "\xC3", 1, Wide, 8), 0) << "a cut sequence";
    EXPECT_EQ(MultiByteToWide(65001, "\xC0\x80", 2, Wide, 8), 0) << "an overlong form";
    EXPECT_EQ(MultiByteToWide(65001, "\xED\xA0\x80", 3, Wide, 8), 0) << "an encoded surrogate";
    EXPECT_EQ(MultiByteToWide(936, "\xD6", 1, Wide, 8), 0) << "half a double-byte character";
    char Narrow[8];
    for (unsigned CodePage : {1252u, 936u, 65001u}) {
        EXPECT_EQ(WideToMultiByte(CodePage, u"a\xD800", 2, Narrow, 8), 0) << CodePage;
        EXPECT_EQ(WideToMultiByte(CodePage, u"\xDC00z", 2, Narrow, 8), 0) << CodePage;
    }
    EXPECT_EQ(ToNarrow(1252, u"a\u4E2Db\U0001F600c"), "a?b?c");
    EXPECT_EQ(ToNarrow(936, u"a\u00C0b"), "a?b");
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
    EXPECT_EQ(std::u16string(Wide), u"\u4E2D");
    char Narrow[8] = {};
    FString::WCharToChar(u"\u6587", Narrow, 8);
    EXPECT_EQ(std::string(Narrow), "\xCE\xC4");
    // The formatter reads narrow arguments in the ANSI code page as well.
    FString S;
    S.Format(u"%S|%hs", "\xD6\xD0", "ok");
    EXPECT_EQ(std::u16string(static_cast<const tvWChar*>(S)), u"\u4E2D|ok");
}

TEST(CodePage, StringConversions)
{
    EXPECT_EQ(FString::CaculateUtf16Length(u"abc", 10), 3);
    EXPECT_EQ(FString::CaculateUtf16Length(u"abc", 2), 2);
    EXPECT_EQ(FString::CaculateUtf16Length(nullptr, 2), 0);
    EXPECT_EQ(FString::CaculateUtf16Length(u"abc", 0), 0);

    char Utf8[16] = {};
    tvUShort Units[] = {u'h', 0x00E9, 0};
    FString::UnicodeToUTF8(Utf8, 16, Units, -1);
    EXPECT_EQ(std::string(Utf8), "h\xC3\xA9");
    tvUShort Back[8] = {};
    FString::UTF8ToUnicode(Back, 8, Utf8, -1);
    EXPECT_EQ(std::u16string(Back), u"h\u00E9");

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
