// parse_command and the parse_param family.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <string>

using namespace Tolvane;

namespace {
std::u16string Text(const FString& S) { return std::u16string(static_cast<const tvWChar*>(S)); }
} // namespace

TEST(ParseCommand, SplitsAtTheFirstSpace)
{
    struct Case {
        const char16_t* Line;
        int Result;
        const char16_t* Command;
        const char16_t* Rest;  // "unchanged" is the rest's earlier value
    };
    const Case Cases[] = {
        {u"open  x", 1, u"open", u" x"},
        {u"open", 1, u"open", u"unchanged"},
        {u"open ", 1, u"open", u"unchanged"},
        {u" open", 0, u"", u"unchanged"},
        {u"", 0, u"", u"unchanged"},
        {u"ZIP WRITE a b", 1, u"ZIP", u"WRITE a b"},
    };
    for (const Case& C : Cases) {
        FString Line(C.Line), Command(u"old"), Rest(u"unchanged");
        EXPECT_EQ(parse_command(Line, Command, Rest), C.Result) << Text(Line).size();
        EXPECT_EQ(Text(Command), C.Command) << "the command is emptied first";
        EXPECT_EQ(Text(Rest), C.Rest);
    }
}

TEST(ParseCommand, OutputsMayBeTheLineItself)
{
    FString Line(u"close all now");
    FString Rest;
    EXPECT_EQ(parse_command(Line, Line, Rest), 1);
    EXPECT_EQ(Text(Line), u"close");
    EXPECT_EQ(Text(Rest), u"all now");
    FString Again(u"close all");
    FString Command;
    EXPECT_EQ(parse_command(Again, Command, Again), 1);
    EXPECT_EQ(Text(Command), u"close");
    EXPECT_EQ(Text(Again), u"all");
}

TEST(ParseParam, FindsKeysAfterASpaceWithPlainOrQuotedValues)
{
    FString Line(u"run -file=\"a b\" -n=3 -empty= -open=\"x y -last=tail");
    struct Case {
        const char16_t* Key;
        int Result;
        const char16_t* Value;
    };
    const Case Cases[] = {
        {u"-file=", 1, u"a b"},
        {u"-n=", 1, u"3"},
        {u"-empty=", 1, u""},
        {u"-open=", 1, u"x y -last=tail"},  // no closing quote: to the end of the line
        {u"-last=", 1, u"tail"},
        {u"-m=", 0, u"unchanged"},
        {u"run", 0, u"unchanged"},          // at the start of the line
        {u"", 0, u"unchanged"},
        {u"file=", 0, u"unchanged"},        // found, but not after a space
    };
    for (const Case& C : Cases) {
        FString Value(u"unchanged");
        EXPECT_EQ(parse_param(Line, FString(C.Key), Value), C.Result) << Text(FString(C.Key)).size();
        EXPECT_EQ(Text(Value), C.Value);
    }
    FString StartsWithKey(u"-n=3 x");
    FString Value(u"unchanged");
    EXPECT_EQ(parse_param(StartsWithKey, FString(u"-n="), Value), 0);
    EXPECT_EQ(Text(Value), u"unchanged");
}

TEST(ParseParam, OnlyTheFirstOccurrenceCounts)
{
    // The first "-k=" is inside another word; a later proper one is not looked at.
    FString Line(u"cmd x-k=1 -k=2");
    FString Value(u"unchanged");
    EXPECT_EQ(parse_param(Line, FString(u"-k="), Value), 0);
    EXPECT_EQ(Text(Value), u"unchanged");
}

TEST(ParseParam, NumbersAndFlags)
{
    FString Line(u"set -i=-42abc -f=2.5 -t=7 -z=0 -x=0x10");
    int I = 99;
    float F = 0;
    bool T = false, Z = true, Missing = true;
    EXPECT_EQ(parse_param(Line, FString(u"-i="), I), 1);
    EXPECT_EQ(I, -42);
    EXPECT_EQ(parse_param(Line, FString(u"-x="), I), 1);
    EXPECT_EQ(I, 0) << "_wtoi reads base 10 only";
    EXPECT_EQ(parse_param(Line, FString(u"-f="), F), 1);
    EXPECT_FLOAT_EQ(F, 2.5f);
    EXPECT_EQ(parse_param(Line, FString(u"-t="), T), 1);
    EXPECT_TRUE(T);
    EXPECT_EQ(parse_param(Line, FString(u"-z="), Z), 1);
    EXPECT_FALSE(Z);
    I = 5;
    EXPECT_EQ(parse_param(Line, FString(u"-q="), I), 0);
    EXPECT_EQ(parse_param(Line, FString(u"-q="), Missing), 0);
    EXPECT_EQ(I, 5);
    EXPECT_TRUE(Missing);
}
