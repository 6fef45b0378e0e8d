// The process search over a fixed list of processes: what it matches and the lines it logs.
#include "core/tvProcessSearch.h"
#include "core/strings/tvWideRuntime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tolvane;

namespace {

struct FListed {
    const tvWChar* Name;
    tvULong Id;
};

// The fake system: a list of processes, error codes that count up, and the logged lines.
std::vector<FListed> GListed;
std::vector<std::u16string> GLines;
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
        GListed = {{u"init", 1}, {u"50%d done", 17}, {u"Game.exe", 30}, {u"game.exe", 31}, {u"game.exe", 32}};
        GLines.clear();
        GListReadable = true;
        GNextError = 5;
    }
};

} // namespace

TEST_F(ProcessSearch, FirstExactMatchIsOpenedAfterOneLinePerProcessAndThreeForTheMatch)
{
    int Id = -7;
    EXPECT_EQ(SearchProcess(u"game.exe", Id, GFake), OpenListed(31));
    EXPECT_EQ(Id, 31);
    const std::vector<std::u16string> Expected = {u"init", u"50%d done", u"Game.exe", u"game.exe",
                                                  u"Find deamon!!!", u"5", u"6"};
    EXPECT_EQ(GLines, Expected);  // names logged as text, never as formats
}

TEST_F(ProcessSearch, NamesThatDifferInCaseOrLengthAreNotFound)
{
    for (const tvWChar* Wanted : {u"GAME.EXE", u"game", u"game.exe ", u""}) {
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
    EXPECT_EQ(SearchProcess(u"init", Id, GFake), nullptr);
    GListReadable = true;
    EXPECT_EQ(SearchProcess(nullptr, Id, GFake), nullptr);
    EXPECT_EQ(Id, -7);
    EXPECT_TRUE(GLines.empty());
}
