// A command line split into the argument vector of a POSIX program, by the Windows rules.
#include "platform/posix/PosixCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

TEST(CommandLine, SplitsByTheWindowsRules)
{
    struct FCase {
        const tvWChar* Line;
        std::vector<std::string> Arguments;
    };
    const FCase Cases[] = {
        {TVTEXT(""), {}},
        {TVTEXT("   \t "), {}},
        {TVTEXT("prog a b"), {"prog", "a", "b"}},
        {TVTEXT("  prog\ta  \t b  "), {"prog", "a", "b"}},
        // The program's name: quotes only group, backslashes stay.
        {TVTEXT("\"C:\\Program Files\\x.exe\" arg"), {"C:\\Program Files\\x.exe", "arg"}},
        {TVTEXT("C:\\dir\\\"x\" y"), {"C:\\dir\\x", "y"}},
        // Later arguments: quotes group anywhere, "" is an empty argument.
        {TVTEXT("p \"a b\" c"), {"p", "a b", "c"}},
        {TVTEXT("p a\"b c\"d"), {"p", "ab cd"}},
        {TVTEXT("p \"\" x"), {"p", "", "x"}},
        {TVTEXT("p \"unterminated text"), {"p", "unterminated text"}},
        // Backslashes: literal unless before a quote; 2n give n and the quote groups, 2n+1
        // give n and a literal quote.
        {TVTEXT("p a\\b \\\\c"), {"p", "a\\b", "\\\\c"}},
        {TVTEXT("p a\\\"b"), {"p", "a\"b"}},
        {TVTEXT("p \"a\\\\\" b"), {"p", "a\\", "b"}},
        {TVTEXT("p a\\\\\\\"b"), {"p", "a\\\"b"}},
        // Inside quotes, "" is a literal quote and the quoted part goes on.
        {TVTEXT("p \"a\"\"b c\""), {"p", "a\"b c"}},
        // UTF-16 becomes UTF-8, a surrogate pair one character.
        {TVTEXT("p \u00e9 \U0001F600"), {"p", "\xC3\xA9", "\xF0\x9F\x98\x80"}},
    };
    for (const FCase& Case : Cases) {
        const Platform::FCommandLineArguments Split(Case.Line);
        ASSERT_TRUE(Split.Ok());
        std::vector<std::string> Got;
        for (int i = 0; i < Split.Count(); ++i)
            Got.emplace_back(Split.Argv()[i]);
        EXPECT_EQ(Got, Case.Arguments) << WideText(Case.Line).size() << " units";
        EXPECT_EQ(Split.Argv()[Split.Count()], nullptr);
    }
    EXPECT_FALSE(Platform::FCommandLineArguments(nullptr).Ok());
}
