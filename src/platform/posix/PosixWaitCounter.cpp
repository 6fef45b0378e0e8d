// Wait counters on POSIX: a counter under a mutex with a condition variable on the monotonic
// clock, all placed in the caller's storage.
#include "base/tvPrelude.h"
#include "platform/tvPlatformWaitCounter.h"

#include <errno.h>
#include <new>
#include <pthread.h>
#include <time.h>

namespace Tolvane {
namespace Platform {

namespace {

struct FWaitCounter {
    pthread_mutex_t Mutex;
    pthread_cond_t Changed;
    tvULong Value;
};
static_assert(sizeof(FWaitCounter) <= GWaitCounterStorageBytes, "a wait counter fits its storage");
static_assert(alignof(FWaitCounter) <= GWaitCounterStorageAlign, "the storage is aligned for a wait counter");

inline FWaitCounter* CounterOf(void* Storage) { return static_cast<FWaitCounter*>(Storage); }

} // namespace

void WaitCounterInit(void* Storage)
{
    FWaitCounter* Counter = new (Storage) FWaitCounter;
    pthread_mutex_init(&Counter->Mutex, nullptr);
    pthread_condattr_t Attributes;
    pthread_condattr_init(&Attributes);
    // Deadlines count on the monotonic clock: setting the system time moves none.
    pthread_condattr_setclock(&Attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&Counter->Changed, &Attributes);
    pthread_condattr_destroy(&Attributes);
    Counter->Value = 0;
}

void WaitCounterDelete(void* Storage)
{
    FWaitCounter* Counter = CounterOf(Storage);
    pthread_cond_destroy(&Counter->Changed);
    pthread_mutex_destroy(&Counter->Mutex);
    Counter->~FWaitCounter();
}

tvULong WaitCounterValue(void* Storage)
{
    FWaitCounter* Counter = CounterOf(Storage);
    pthread_mutex_lock(&Counter->Mutex);
    const tvULong Value = Counter->Value;
    pthread_mutex_unlock(&Counter->Mutex);
    return Value;
}

void WaitCounterAdvance(void* Storage)
{
    FWaitCounter* Counter = CounterOf(Storage);
    pthread_mutex_lock(&Counter->Mutex);
    ++Counter->Value;
    pthread_cond_broadcast(&Counter->Changed);
    pthread_mutex_unlock(&Counter->Mutex);
}

bool WaitCounterWait(void* Storage, tvULong Seen, tvULong Milliseconds)
{
    FWaitCounter* Counter = CounterOf(Storage);
    timespec Deadline{};
    if (Milliseconds != 0xFFFFFFFFu) {
        clock_gettime(CLOCK_MONOTONIC, &Deadline);
        Deadline.tv_sec += time_t(Milliseconds / 1000);
        Deadline.tv_nsec += long(Milliseconds % 1000) * 1000000L;
        if (Deadline.tv_nsec >= 1000000000L) {
            Deadline.tv_nsec -= 1000000000L;
            ++Deadline.tv_sec;
        }
    }
    pthread_mutex_lock(&Counter->Mutex);
    while (Counter->Value == Seen) {
        if (Milliseconds == 0xFFFFFFFFu)
            pthread_cond_wait(&Counter->Changed, &Counter->Mutex);
        else if (pthread_cond_timedwait(&Counter->Changed, &Counter->Mutex, &Deadline) == ETIMEDOUT)
            break;
    }
    const bool Changed = Counter->Value != Seen;
    pthread_mutex_unlock(&Counter->Mutex);
    return Changed;
}

} // namespace Platform
} // namespace Tolvane
