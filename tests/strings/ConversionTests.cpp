// ANSI/wide conversion in the library's ANSI code page, and the "Error" box.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include "support/WideText.h"

using namespace Tolvane;

namespace {
int GBoxes = 0;
WideText GCaption;
tvULong GFlags = 0;
void Record(const tvWChar*, const tvWChar* Caption, tvULong Flags)
{
    ++GBoxes;
    GCaption = Caption;
    GFlags = Flags;
}

// Records message boxes for one test, restoring the previous handler afterwards.
class AnsiConversion : public testing::Test {
protected:
    void SetUp() override
    {
        Previous = appSetMessageBoxHandler(&Record);
        GBoxes = 0;
    }
    void TearDown() override
    {
        appSetMessageBoxHandler(Previous);
        appSetAnsiCodePage(1252);
    }
    FMessageBoxHandler Previous = nullptr;
};
} // namespace

TEST_F(AnsiConversion, RoundTripsInTheDefaultCodePage)
{
    const char Ansi[] = "caf\xe9 \x80";  // Windows-1252: e acute, euro sign
    tvWChar Wide[16];
    appcharTwchar(Ansi, Wide, 16);
    EXPECT_EQ(WideText(Wide), TVTEXT("caf\u00e9 \u20ac"));
    EXPECT_EQ(winGetSizeUNICODE(Ansi), 7);
    EXPECT_EQ(winGetSizeANSI(Wide), 7);
    char Back[16];
    EXPECT_EQ(winToANSI(Back, Wide, 16), Back);
    EXPECT_STREQ(Back, Ansi);
    tvWChar Again[16];
    EXPECT_EQ(winToUNICODE(Again, Back, 16), Again);
    EXPECT_EQ(WideText(Again), WideText(Wide));
    char Narrow[16];
    appwcharTchar(TVTEXT("x\u4e2d"), Narrow, 16);
    EXPECT_STREQ(Narrow, "x?") << "what the code page cannot hold becomes '?'";
}

TEST_F(AnsiConversion, FailuresLeaveTheEmptyTextNotAPartialOne)
{
    tvWChar Wide[4] = {TVTEXT('z'), TVTEXT('z'), TVTEXT('z'), TVTEXT('z')};
    appcharTwchar("toolong", Wide, 4);
    EXPECT_EQ(Wide[0], 0);
    char Narrow[3] = {'z', 'z', 'z'};
    EXPECT_EQ(winToANSI(Narrow, TVTEXT("abc"), 3), Narrow);
    EXPECT_EQ(Narrow[0], 0);
    appcharTwchar(nullptr, Wide, 4);
    EXPECT_EQ(winGetSizeUNICODE(nullptr), 0);
    EXPECT_EQ(GBoxes, 0) << "only appAnsiToUnicode tells the user";
}

TEST_F(AnsiConversion, AnsiToUnicodeCountsBytesAndShowsTheErrorBox)
{
    tvWChar Wide[8];
    EXPECT_EQ(appAnsiToUnicode(Wide, "abc", 16), 8);
    EXPECT_EQ(WideText(Wide), TVTEXT("abc"));
    EXPECT_EQ(appAnsiToUnicode(Wide, "abc", 9), 8) << "room is RoomBytes / 2 characters";
    EXPECT_EQ(appAnsiToUnicode(nullptr, "abc", 0), 8) << "size query";
    EXPECT_EQ(appAnsiToUnicode(Wide, "abc", 1), 0) << "no room: no conversion, no box";
    EXPECT_EQ(GBoxes, 0);

    Wide[0] = TVTEXT('z');
    EXPECT_EQ(appAnsiToUnicode(Wide, "abcdef", 8), 0);
    EXPECT_EQ(Wide[0], 0);
    EXPECT_EQ(GBoxes, 1);
    EXPECT_EQ(GCaption, TVTEXT("Error"));
    EXPECT_EQ(GFlags, MESSAGEBOX_IconInformation);

    ASSERT_EQ(appSetAnsiCodePage(65001), 1);
    // Bytes that do not decode are replaced, as the system call does with flags 0: the text
    // arrives, and no error box.
    EXPECT_EQ(appAnsiToUnicode(Wide, "a\xff\xfe", 16), 8) << "malformed in the code page";
    EXPECT_EQ(WideText(Wide), TVTEXT("a\uFFFD\uFFFD"));
    EXPECT_EQ(GBoxes, 1);
}

TEST_F(AnsiConversion, UnicodeToAnsiCountsBytesSilently)
{
    char Narrow[8];
    EXPECT_EQ(appUnicodeToAnsi(Narrow, TVTEXT("ab"), 8), 3);
    EXPECT_STREQ(Narrow, "ab");
    EXPECT_EQ(appUnicodeToAnsi(nullptr, TVTEXT("ab"), 0), 3);
    EXPECT_EQ(appUnicodeToAnsi(Narrow, TVTEXT("ab"), 0), 0);
    EXPECT_EQ(appUnicodeToAnsi(Narrow, TVTEXT("abcdefghij"), 8), 0);
    EXPECT_EQ(Narrow[0], 0);
    ASSERT_EQ(appSetAnsiCodePage(936), 1);
    EXPECT_EQ(appUnicodeToAnsi(Narrow, TVTEXT("\u4e2d"), 8), 3);
    EXPECT_STREQ(Narrow, "\xd6\xd0");
    EXPECT_EQ(GBoxes, 0);
}
