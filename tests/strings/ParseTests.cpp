// parse_command and the parse_param family.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <string>
#include "support/WideText.h"

using namespace Tolvane;

namespace {
WideText Text(const FString& S) { return WideText(static_cast<const tvWChar*>(S)); }
} // namespace

TEST(ParseCommand, SplitsAtTheFirstSpace)
{
    struct Case {
        const Tolvane::tvWChar* Line;
        int Result;
        const Tolvane::tvWChar* Command;
        const Tolvane::tvWChar* Rest;  // "unchanged" is the rest's earlier value
    };
    const Case Cases[] = {
        {TVTEXT("open  x"), 1, TVTEXT("open"), TVTEXT(" x")},
        {TVTEXT("open"), 1, TVTEXT("open"), TVTEXT("unchanged")},
        {TVTEXT("open "), 1, TVTEXT("open"), TVTEXT("unchanged")},
        {TVTEXT(" open"), 0, TVTEXT(""), TVTEXT("unchanged")},
        {TVTEXT(""), 0, TVTEXT(""), TVTEXT("unchanged")},
        {TVTEXT("ZIP WRITE a b"), 1, TVTEXT("ZIP"), TVTEXT("WRITE a b")},
    };
    for (const Case& C : Cases) {
        FString Line(C.Line), Command(TVTEXT("old")), Rest(TVTEXT("unchanged"));
        EXPECT_EQ(parse_command(Line, Command, Rest), C.Result) << Text(Line).size();
        EXPECT_EQ(Text(Command), C.Command) << "the command is emptied first";
        EXPECT_EQ(Text(Rest), C.Rest);
    }
}

TEST(ParseCommand, OutputsMayBeTheLineItself)
{
    FString Line(TVTEXT("close all now"));
    FString Rest;
    EXPECT_EQ(parse_command(Line, Line, Rest), 1);
    EXPECT_EQ(Text(Line), TVTEXT("close"));
    EXPECT_EQ(Text(Rest), TVTEXT("all now"));
    FString Again(TVTEXT("close all"));
    FString Command;
    EXPECT_EQ(parse_command(Again, Command, Again), 1);
    EXPECT_EQ(Text(Command), TVTEXT("close"));
    EXPECT_EQ(Text(Again), TVTEXT("all"));
}

TEST(ParseParam, FindsKeysAfterASpaceWithPlainOrQuotedValues)
{
    FString Line(TVTEXT("run -file=\"a b\" -n=3 -empty= -open=\"x y -last=tail"));
    struct Case {
        const Tolvane::tvWChar* Key;
        int Result;
        const Tolvane::tvWChar* Value;
    };
    const Case Cases[] = {
        {TVTEXT("-file="), 1, TVTEXT("a b")},
        {TVTEXT("-n="), 1, TVTEXT("3")},
        {TVTEXT("-empty="), 1, TVTEXT("")},
        {TVTEXT("-open="), 1, TVTEXT("x y -last=tail")},  // no closing quote: to the end of the line
        {TVTEXT("-last="), 1, TVTEXT("tail")},
        {TVTEXT("-m="), 0, TVTEXT("unchanged")},
        {TVTEXT("run"), 0, TVTEXT("unchanged")},          // at the start of the line
        {TVTEXT(""), 0, TVTEXT("unchanged")},
        {TVTEXT("file="), 0, TVTEXT("unchanged")},        // found, but not after a space
    };
    for (const Case& C : Cases) {
        FString Value(TVTEXT("unchanged"));
        EXPECT_EQ(parse_param(Line, FString(C.Key), Value), C.Result) << Text(FString(C.Key)).size();
        EXPECT_EQ(Text(Value), C.Value);
    }
    FString StartsWithKey(TVTEXT("-n=3 x"));
    FString Value(TVTEXT("unchanged"));
    EXPECT_EQ(parse_param(StartsWithKey, FString(TVTEXT("-n=")), Value), 0);
    EXPECT_EQ(Text(Value), TVTEXT("unchanged"));
}

TEST(ParseParam, OnlyTheFirstOccurrenceCounts)
{
    // The first "-k=" is inside another word; a later proper one is not looked at.
    FString Line(TVTEXT("cmd x-k=1 -k=2"));
    FString Value(TVTEXT("unchanged"));
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-k=")), Value), 0);
    EXPECT_EQ(Text(Value), TVTEXT("unchanged"));
}

TEST(ParseParam, NumbersAndFlags)
{
    FString Line(TVTEXT("set -i=-42abc -f=2.5 -t=7 -z=0 -x=0x10"));
    int I = 99;
    float F = 0;
    bool T = false, Z = true, Missing = true;
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-i=")), I), 1);
    EXPECT_EQ(I, -42);
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-x=")), I), 1);
    EXPECT_EQ(I, 0) << "_wtoi reads base 10 only";
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-f=")), F), 1);
    EXPECT_FLOAT_EQ(F, 2.5f);
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-t=")), T), 1);
    EXPECT_TRUE(T);
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-z=")), Z), 1);
    EXPECT_FALSE(Z);
    I = 5;
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-q=")), I), 0);
    EXPECT_EQ(parse_param(Line, FString(TVTEXT("-q=")), Missing), 0);
    EXPECT_EQ(I, 5);
    EXPECT_TRUE(Missing);
}
