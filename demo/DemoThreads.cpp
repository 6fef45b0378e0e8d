// Demo section: locks, a worker thread and a started process.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <atomic>
#include <cstdio>

using namespace Tolvane;

namespace {

struct FShared {
    FThreadLock Lock;
    int Counter = 0;
    std::atomic<bool> Done{false};
};

tvULong AddUnderLock(void* Context)
{
    FShared& Shared = *static_cast<FShared*>(Context);
    for (int i = 0; i < 100000; ++i) {
        FScopedLock Guard(&Shared.Lock);
        ++Shared.Counter;
    }
    Shared.Done = true;
    return 0;
}

} // namespace

void DemoThreads()
{
    std::printf("Locks, threads and processes\n");
    FShared Shared;
    void* Worker = nullptr;
    const bool Started = CThreadMgr::CreateThreadWin(&Worker, AddUnderLock, &Shared);
    for (int i = 0; i < 100000; ++i) {
        FScopedLock Guard(&Shared.Lock);
        ++Shared.Counter;
    }
    while (Started && !Shared.Done)
        appSleep(1);
    std::printf("  two threads added %d under one FThreadLock\n", Shared.Counter);
    DemoCheck(Started && Shared.Counter == 200000, "no update lost");

    FProcessLock Named(TVTEXT("tvCoreDemo"));
    Named.Lock();
    Named.Lock();  // recursive for its holder
    Named.Unlock();
    Named.Unlock();
    DemoCheck(true, "cross-process lock \"tvCoreDemo_lock\" taken twice by its holder");

    int Id = -1;
    void* Missing = CProcessMgr::FindProcess(FString(TVTEXT("tvCore-no-such-process")), Id);
    DemoCheck(Missing == nullptr && Id == -1, "FindProcess finds no process of a name nobody runs");
}
