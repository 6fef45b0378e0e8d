// Cross-process locks between real processes: the helper program takes the same named lock.
#include "ProcessTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include "support/WideText.h"
#include "TestPlatform.h"

using namespace Tolvane;
using namespace ProcessTest;

namespace {

WideText LockName(const char* What)
{
    return Utf16("tvCoreTest." + std::to_string(TestPlatform::ProcessId()) + "." + What);
}

void RemoveLockFile(const WideText& Name)
{
    const std::string Narrow(Name.begin(), Name.end());
    for (const char* Folder : {"/dev/shm/", "/tmp/"})
        unlink((std::string(Folder) + "tvCoreLock." + Narrow + "_lock").c_str());
}

} // namespace

TEST(CrossProcessLock, TwoProcessesWithOneNameExcludeEachOther)
{
    FTempFolder Folder;
    const WideText Name = LockName("Count");
    const std::string Counter = Folder / "counter";
    constexpr int Rounds = 300;
    const WideText Arguments = Utf16("count " + std::string(Name.begin(), Name.end()) + " " + Counter + " " +
                                           (Folder / "inside") + " " + std::to_string(Rounds));
    void* Helpers[2];
    {
        // Both helpers start while this process holds the lock, so they begin together.
        FProcessLock Lock(Name.c_str());
        FScopedLock Guard(&Lock);
        for (void*& Helper : Helpers) {
            Helper = CProcessMgr::CreateProc(Utf16(HelperPath()).c_str(), Arguments.c_str());
            ASSERT_NE(Helper, nullptr);
        }
    }
    for (void* Helper : Helpers)
        EXPECT_EQ(WaitForExit(Helper), 0) << "exit 1: a helper found the other one inside the lock";
    long Total = 0;
    std::ifstream(Counter) >> Total;
    EXPECT_EQ(Total, 2 * Rounds);
    RemoveLockFile(Name);
}

TEST(CrossProcessLock, HolderKilledWhileHoldingDoesNotBlockTheNextOne)
{
    FTempFolder Folder;
    const WideText Name = LockName("Killed");
    const std::string Fifo = MakeFifo(Folder, "held");
    ASSERT_FALSE(Fifo.empty());
    void* Holder = CProcessMgr::CreateProc(Utf16(HelperPath()).c_str(),
                                           Utf16("hold " + std::string(Name.begin(), Name.end()) + " " + Fifo).c_str());
    ASSERT_NE(Holder, nullptr);
    ASSERT_EQ(ReadFifo(Fifo), "L");  // the helper holds the lock now

    CProcessMgr::KillProcess(static_cast<tvULong>(PidOf(Holder)));
    FProcessLock Lock(Name.c_str());
    Lock.Lock();  // would wait for ever if the dead holder's lock stayed taken
    Lock.Unlock();
    EXPECT_EQ(WaitForExit(Holder), 128 + SIGKILL);
    RemoveLockFile(Name);
}
