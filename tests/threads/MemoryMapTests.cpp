// Named shared-memory blocks: the pool's lookups, whole-block reads and writes, sharing with a
// second process, the first opener's size, and blocks that end with their last user (a killed
// one included).
#include <tvCore/tvCore.h>

#include "threads/ProcessTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/WideText.h"
#include "TestPlatform.h"

using namespace Tolvane;
using namespace ProcessTest;

namespace {

WideText MapName(const char* Base)
{
    return Utf16(std::string("tvCoreTestMap.") + Base + "." + std::to_string(TestPlatform::ProcessId()));
}

std::vector<unsigned char> Bytes(const TArray<unsigned char>& Array) { return {Array.begin(), Array.end()}; }

TArray<unsigned char> Array(const std::string& Text)
{
    TArray<unsigned char> Out;
    for (char C : Text)
        Out.AddItem(static_cast<unsigned char>(C));
    return Out;
}

void* StartWriter(const WideText& Name, int Size, const std::string& Text, const std::string& Fifo)
{
    return CProcessMgr::CreateProc(Utf16(HelperPath()).c_str(),
                                   Utf16("mapwrite " + std::string(Name.begin(), Name.end()) + " " +
                                         std::to_string(Size) + " " + Text + " " + Fifo)
                                       .c_str());
}

} // namespace

TEST(MemoryMap, PoolFindsByNameIgnoringCase)
{
    FMemMapPool Pool;
    const WideText Name = MapName("Pool");
    FMemoryMap* First = Pool.Get(FString(Name.c_str()), 16);
    ASSERT_NE(First, nullptr);
    ASSERT_NE(First->GetData(), nullptr);
    WideText Upper = Name;
    for (Tolvane::tvWChar& C : Upper)
        C = (C >= TVTEXT('a') && C <= TVTEXT('z')) ? Tolvane::tvWChar(C - 32) : C;
    EXPECT_EQ(Pool.Get(FString(Upper.c_str()), 64), First);  // the second size is ignored
    EXPECT_EQ(First->GetSize(), 16u);
    EXPECT_EQ(Pool.Find(FString(Upper.c_str())), First);
    EXPECT_EQ(Pool.Free(FString(TVTEXT("no such block"))), 0);
    EXPECT_EQ(Pool.Find(FString(Name.c_str())), First);
    EXPECT_EQ(Pool.Free(FString(Upper.c_str())), 1);
    EXPECT_EQ(Pool.Find(FString(Name.c_str())), nullptr);
}

TEST(MemoryMap, WritesStayInsideTheBlock)
{
    FMemoryMap Map(MapName("Write").c_str(), 16);
    ASSERT_NE(Map.GetData(), nullptr);
    ASSERT_EQ(Map.Write(Array("abc")), 1);
    TArray<unsigned char> Read;
    ASSERT_EQ(Map.Read(Read), 1);
    std::vector<unsigned char> Want(16, 0);
    Want[0] = 'a', Want[1] = 'b', Want[2] = 'c';
    EXPECT_EQ(Bytes(Read), Want);

    // A longer array is cut at the block's end.
    ASSERT_EQ(Map.Write(Array("0123456789abcdefOVERFLOW")), 1);
    ASSERT_EQ(Map.Read(Read), 1);
    EXPECT_EQ(Bytes(Read), Bytes(Array("0123456789abcdef")));
}

TEST(MemoryMap, FailedOpenReadsAndWritesNothing)
{
    FMemoryMap Map(MapName("Empty").c_str(), 0);
    EXPECT_EQ(Map.GetData(), nullptr);
    TArray<unsigned char> Read;
    EXPECT_EQ(Map.Read(Read), 0);
    EXPECT_EQ(Map.Write(Array("x")), 0);
    EXPECT_EQ(Read.Num(), 0);
}

// A second process sees the first one's bytes and size; when every user has gone (the writer
// killed, this process closed), the name starts afresh.
TEST(MemoryMap, SharedWithAnotherProcessAndGoneWithItsLastUser)
{
    FTempFolder Folder;
    const WideText Name = MapName("Shared");
    const std::string Fifo = MakeFifo(Folder, "written");
    ASSERT_FALSE(Fifo.empty());
    void* Writer = StartWriter(Name, 64, "hello", Fifo);
    ASSERT_NE(Writer, nullptr);
    ASSERT_EQ(ReadFifo(Fifo), "64");
    {
        FMemoryMap Map(Name.c_str(), 128);  // asks for more: gets the first opener's size
        ASSERT_NE(Map.GetData(), nullptr);
        EXPECT_EQ(Map.GetSize(), 64u);
        TArray<unsigned char> Read;
        ASSERT_EQ(Map.Read(Read), 1);
        ASSERT_EQ(Read.Num(), 64);
        EXPECT_EQ(std::string(Read.begin(), Read.begin() + 5), "hello");
        CProcessMgr::KillProcess(static_cast<tvULong>(PidOf(Writer)));
        EXPECT_EQ(WaitForExit(Writer), 128 + SIGKILL);
        // Still open here: the block lives on with this user.
        FMemoryMap Again(Name.c_str(), 8);
        EXPECT_EQ(Again.GetSize(), 64u);
    }
    FMemoryMap Fresh(Name.c_str(), 32);
    ASSERT_NE(Fresh.GetData(), nullptr);
    EXPECT_EQ(Fresh.GetSize(), 32u);
    TArray<unsigned char> Read;
    ASSERT_EQ(Fresh.Read(Read), 1);
    EXPECT_EQ(Bytes(Read), std::vector<unsigned char>(32, 0));
}

// A writer killed while it is the block's only user leaves nothing behind for the next run.
TEST(MemoryMap, BlockOfAKilledRunDoesNotOutliveIt)
{
    FTempFolder Folder;
    const WideText Name = MapName("Crashed");
    const std::string Fifo = MakeFifo(Folder, "written");
    void* Writer = StartWriter(Name, 100, "stale", Fifo);
    ASSERT_NE(Writer, nullptr);
    ASSERT_EQ(ReadFifo(Fifo), "100");
    CProcessMgr::KillProcess(static_cast<tvULong>(PidOf(Writer)));
    EXPECT_EQ(WaitForExit(Writer), 128 + SIGKILL);
    FMemoryMap Next(Name.c_str(), 10);
    EXPECT_EQ(Next.GetSize(), 10u);
    TArray<unsigned char> Read;
    ASSERT_EQ(Next.Read(Read), 1);
    EXPECT_EQ(Bytes(Read), std::vector<unsigned char>(10, 0));
}

// A holder of the block's lock killed while holding it does not block the next reader.
TEST(MemoryMap, LockHolderKilledDoesNotBlockTheNextRead)
{
    FTempFolder Folder;
    const WideText Name = MapName("Locked");
    FMemoryMap Map(Name.c_str(), 16);
    ASSERT_NE(Map.GetData(), nullptr);
    const std::string Fifo = MakeFifo(Folder, "held");
    const WideText LockName = Name + TVTEXT("_lock");
    void* Holder = CProcessMgr::CreateProc(Utf16(HelperPath()).c_str(),
                                           Utf16("hold " + std::string(LockName.begin(), LockName.end()) + " " + Fifo).c_str());
    ASSERT_NE(Holder, nullptr);
    ASSERT_EQ(ReadFifo(Fifo), "L");
    CProcessMgr::KillProcess(static_cast<tvULong>(PidOf(Holder)));
    TArray<unsigned char> Read;
    EXPECT_EQ(Map.Read(Read), 1);  // would wait for ever if the dead holder's lock stayed taken
    EXPECT_EQ(WaitForExit(Holder), 128 + SIGKILL);
}
