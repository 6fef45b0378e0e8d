// The process search over a fixed list of processes: what it matches and the lines it logs.
#include "core/tvProcessSearch.h"
#include "core/strings/tvWideRuntime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

struct FListed {
    const tvWChar* Name;
    tvULong Id;
};

// The fake system: a list of processes, error codes that count up, and the logged lines.
std::vector<FListed> GListed;
std::vector<WideText> GLines;
bool GListReadable = true;
int GNextError = 0;

bool VisitListed(Platform::FProcessVisitor Visitor, void* Context)
{
    if (!GListReadable)
        return false;
    for (const FListed& Process : GListed)
        if (!Visitor(Context, Process.Name, Process.Id))
            break;
    return true;
}

tvHandle OpenListed(tvULong Id) { return reinterpret_cast<tvHandle>(static_cast<std::uintptr_t>(0x1000 + Id)); }
int CountingError() { return GNextError++; }

void CaptureLine(const tvWChar* Format, ...)
{
    tvWChar Line[2048];
    va_list Args;
    va_start(Args, Format);
    Wide::FormatV(Line, 2048, Format, Args);
    va_end(Args);
    GLines.emplace_back(Line);
}

const FProcessSearchSystem GFake{VisitListed, OpenListed, CountingError, CaptureLine};

class ProcessSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        GListed = {{TVTEXT("init"), 1}, {TVTEXT("50%d done"), 17}, {TVTEXT("Game.exe"), 30}, {TVTEXT("game.exe"), 31}, {TVTEXT("game.exe"), 32}};
        GLines.clear();
        GListReadable = true;
        GNextError = 5;
    }
};

} // namespace

TEST_F(ProcessSearch, FirstExactMatchIsOpenedAfterOneLinePerProcessAndThreeForTheMatch)
{
    int Id = -7;
    EXPECT_EQ(SearchProcess(TVTEXT("game.exe"), Id, GFake), OpenListed(31));
    EXPECT_EQ(Id, 31);
    const std::vector<WideText> Expected = {TVTEXT("init"), TVTEXT("50%d done"), TVTEXT("Game.exe"), TVTEXT("game.exe"),
                                                  TVTEXT("Find deamon!!!"), TVTEXT("5"), TVTEXT("6")};
    EXPECT_EQ(GLines, Expected);  // names logged as text, never as formats
}

TEST_F(ProcessSearch, NamesThatDifferInCaseOrLengthAreNotFound)
{
    for (const tvWChar* Wanted : {TVTEXT("GAME.EXE"), TVTEXT("game"), TVTEXT("game.exe "), TVTEXT("")}) {
        GLines.clear();
        int Id = -7;
        EXPECT_EQ(SearchProcess(Wanted, Id, GFake), nullptr);
        EXPECT_EQ(Id, -7) << "untouched when nothing matches";
        EXPECT_EQ(GLines.size(), GListed.size()) << "every process looked at is logged";
    }
}

TEST_F(ProcessSearch, UnreadableListOrNoNameFindsNothing)
{
    int Id = -7;
    GListReadable = false;
    EXPECT_EQ(SearchProcess(TVTEXT("init"), Id, GFake), nullptr);
    GListReadable = true;
    EXPECT_EQ(SearchProcess(nullptr, Id, GFake), nullptr);
    EXPECT_EQ(Id, -7);
    EXPECT_TRUE(GLines.empty());
}
