// Threads on POSIX: identity, starting suspended or running, resuming, suspending themselves,
// sleeping.
#include "base/tvPrelude.h"
#include "platform/tvPlatformThread.h"
#include "platform/tvPlatformError.h"
#include "base/tvBaseAlloc.h"
#include "base/tvFaultInjection.h"

#include <sys/syscall.h>
#include <unistd.h>
#include <new>
#include <errno.h>
#include <pthread.h>
#include <time.h>
#include <sched.h>

namespace Tolvane {
namespace Platform {

// ----------------------------------------------------------------------------------------------
// Thread identity on POSIX.

tvULong CurrentThreadId()
{
    // The kernel thread id: unique among live threads of the system and 32 bits wide.
    static thread_local tvULong Cached = static_cast<tvULong>(syscall(SYS_gettid));
    return Cached;
}

// ----------------------------------------------------------------------------------------------
// Threads on POSIX: created suspended or running, resumed, suspending themselves.
//
// Every thread this layer starts owns one slot of a table: its resume signal, its end request,
// and whether it still runs, with the mutex and condition variable that guard them. No thread
// ever suspends another: a suspended thread waits on its own slot's resume signal. The signal
// is kept when it arrives while the thread runs, so a thread that suspends itself right after
// being resumed returns at once instead of sleeping through the wake-up.
//
// A handle names a slot and the slot's generation. When a thread ends, its slot's generation
// moves on and the slot is free for a later thread: a handle of an ended thread then matches no
// live thread, so every call with it is harmless, and nothing ever has to close a handle (the
// library's callers never do). Slots are never freed or moved, so a stale handle never reaches
// released memory. The system threads are detached; nothing joins them.

namespace {

struct FThreadSlot {
    pthread_mutex_t Mutex;
    pthread_cond_t Changed;
    tvULong Generation = 0;      // under Mutex; moves on when the slot's thread ends
    bool Live = false;           // under Mutex: a thread owns the slot
    bool ResumeSignal = false;   // under Mutex
    bool EndRequested = false;   // under Mutex
    FThreadRoutine Routine = nullptr;  // set before the thread starts, read by it
    void* Argument = nullptr;
    tvULong Index = 0;
    FThreadSlot* NextFree = nullptr;   // under GTableMutex
};

constexpr tvULong GSlotsPerChunk = 256;
constexpr tvULong GMaxChunks = 1024;  // 262144 threads alive at once

struct FThreadChunk {
    FThreadSlot Slots[GSlotsPerChunk];
};

// A handle carries the generation in its upper half and the slot index + 1 in its lower half.
static_assert(sizeof(tvHandle) >= 8, "a thread handle holds a slot index and a generation");

pthread_mutex_t GTableMutex = PTHREAD_MUTEX_INITIALIZER;
std::atomic<FThreadChunk*> GChunks[GMaxChunks];
tvULong GChunkCount = 0;               // under GTableMutex
FThreadSlot* GFreeSlots = nullptr;     // under GTableMutex

thread_local FThreadSlot* GCurrentSlot = nullptr;

inline tvHandle HandleOf(const FThreadSlot& Slot, tvULong Generation)
{
    const std::uint64_t Value = (static_cast<std::uint64_t>(Generation) << 32) | (static_cast<std::uint64_t>(Slot.Index) + 1);
    return reinterpret_cast<tvHandle>(static_cast<std::uintptr_t>(Value));
}

// The slot a handle names and the generation it expects; null for a handle of no slot.
FThreadSlot* SlotOf(tvHandle Thread, tvULong& Generation)
{
    const std::uint64_t Value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(Thread));
    const std::uint64_t Number = Value & 0xFFFFFFFFu;
    if (Number == 0 || Number > std::uint64_t(GSlotsPerChunk) * GMaxChunks)
        return nullptr;
    const std::uint64_t Index = Number - 1;
    FThreadChunk* Chunk = GChunks[Index / GSlotsPerChunk].load(std::memory_order_acquire);
    if (!Chunk)
        return nullptr;
    Generation = static_cast<tvULong>(Value >> 32);
    return &Chunk->Slots[Index % GSlotsPerChunk];
}

inline bool Owns(const FThreadSlot& Slot, tvULong Generation) { return Slot.Live && Slot.Generation == Generation; }

// Adds a chunk of free slots; under GTableMutex. False when the table is full or memory is out.
bool GrowTable()
{
    if (GChunkCount == GMaxChunks)
        return false;
    // Chunks live as long as the process: slots are never freed, so stale handles stay harmless.
    void* Memory = BaseAlloc::Allocate(sizeof(FThreadChunk));
    if (!Memory)
        return false;
    FThreadChunk* Chunk = new (Memory) FThreadChunk;
    pthread_condattr_t Attributes;
    pthread_condattr_init(&Attributes);
    // Timed waits count on the monotonic clock: setting the system time moves no deadline.
    pthread_condattr_setclock(&Attributes, CLOCK_MONOTONIC);
    for (tvULong i = GSlotsPerChunk; i-- > 0;) {
        FThreadSlot& Slot = Chunk->Slots[i];
        pthread_mutex_init(&Slot.Mutex, nullptr);
        pthread_cond_init(&Slot.Changed, &Attributes);
        Slot.Index = GChunkCount * GSlotsPerChunk + i;
        Slot.NextFree = GFreeSlots;
        GFreeSlots = &Slot;
    }
    pthread_condattr_destroy(&Attributes);
    GChunks[GChunkCount++].store(Chunk, std::memory_order_release);
    return true;
}

FThreadSlot* TakeSlot()
{
    pthread_mutex_lock(&GTableMutex);
    FThreadSlot* Slot = (GFreeSlots || GrowTable()) ? GFreeSlots : nullptr;
    if (Slot)
        GFreeSlots = Slot->NextFree;
    pthread_mutex_unlock(&GTableMutex);
    return Slot;
}

// Marks the slot's thread ended (its handles now match nothing) and frees the slot.
void ReleaseSlot(FThreadSlot& Slot)
{
    pthread_mutex_lock(&Slot.Mutex);
    Slot.Live = false;
    ++Slot.Generation;
    pthread_cond_broadcast(&Slot.Changed);
    pthread_mutex_unlock(&Slot.Mutex);
    pthread_mutex_lock(&GTableMutex);
    Slot.NextFree = GFreeSlots;
    GFreeSlots = &Slot;
    pthread_mutex_unlock(&GTableMutex);
}

// Waits for the resume signal or an end request and consumes the signal; false for the latter.
bool WaitForResume(FThreadSlot& Slot)
{
    pthread_mutex_lock(&Slot.Mutex);
    while (!Slot.ResumeSignal && !Slot.EndRequested)
        pthread_cond_wait(&Slot.Changed, &Slot.Mutex);
    const bool Resumed = !Slot.EndRequested;
    Slot.ResumeSignal = false;
    pthread_mutex_unlock(&Slot.Mutex);
    return Resumed;
}

void* ThreadMain(void* Context)
{
    FThreadSlot& Slot = *static_cast<FThreadSlot*>(Context);
    GCurrentSlot = &Slot;
    if (WaitForResume(Slot))
        Slot.Routine(Slot.Argument);
    GCurrentSlot = nullptr;
    ReleaseSlot(Slot);
    return nullptr;
}

// Runs Change on the slot of a live thread's handle, under the slot's mutex, and wakes it.
template <class FChange>
void ChangeLiveThread(tvHandle Thread, FChange Change)
{
    tvULong Generation = 0;
    FThreadSlot* Slot = SlotOf(Thread, Generation);
    if (!Slot)
        return;
    pthread_mutex_lock(&Slot->Mutex);
    if (Owns(*Slot, Generation)) {
        Change(*Slot);
        pthread_cond_broadcast(&Slot->Changed);
    }
    pthread_mutex_unlock(&Slot->Mutex);
}

} // namespace

tvHandle ThreadCreate(FThreadRoutine Routine, void* Argument, bool Suspended)
{
    if (!Routine)
        return nullptr;
    FThreadSlot* Slot = TakeSlot();
    if (!Slot)
        return nullptr;
    pthread_mutex_lock(&Slot->Mutex);
    Slot->Live = true;
    Slot->ResumeSignal = !Suspended;
    Slot->EndRequested = false;
    Slot->Routine = Routine;
    Slot->Argument = Argument;
    const tvHandle Handle = HandleOf(*Slot, Slot->Generation);
    pthread_mutex_unlock(&Slot->Mutex);

    pthread_attr_t Attributes;
    pthread_attr_init(&Attributes);
    pthread_attr_setdetachstate(&Attributes, PTHREAD_CREATE_DETACHED);
    pthread_t System;
    int Failed = 0;
    if (Faults::Check(Faults::ESystemCall::CreateThread, Failed) == Faults::EOutcome::Proceed)
        Failed = pthread_create(&System, &Attributes, ThreadMain, Slot);
    else if (Failed == 0)
        Failed = EAGAIN;
    pthread_attr_destroy(&Attributes);
    if (Failed) {
        SetLastError(Failed);
        ReleaseSlot(*Slot);
        return nullptr;
    }
    return Handle;
}

void ThreadResume(tvHandle Thread)
{
    ChangeLiveThread(Thread, [](FThreadSlot& Slot) { Slot.ResumeSignal = true; });
}

bool ThreadSuspendSelf()
{
    return GCurrentSlot ? WaitForResume(*GCurrentSlot) : true;
}

void ThreadRequestEnd(tvHandle Thread)
{
    ChangeLiveThread(Thread, [](FThreadSlot& Slot) { Slot.EndRequested = true; });
}

bool ThreadEndRequested()
{
    FThreadSlot* Slot = GCurrentSlot;
    if (!Slot)
        return false;
    pthread_mutex_lock(&Slot->Mutex);
    const bool Requested = Slot->EndRequested;
    pthread_mutex_unlock(&Slot->Mutex);
    return Requested;
}

bool ThreadWaitForEnd(tvHandle Thread, tvULong Milliseconds)
{
    if (!Thread)
        return false;
    tvULong Generation = 0;
    FThreadSlot* Slot = SlotOf(Thread, Generation);
    if (!Slot)
        return true;  // a handle of no slot names no running thread
    timespec Deadline;
    clock_gettime(CLOCK_MONOTONIC, &Deadline);
    Deadline.tv_sec += static_cast<time_t>(Milliseconds / 1000);
    Deadline.tv_nsec += static_cast<long>(Milliseconds % 1000) * 1000000L;
    if (Deadline.tv_nsec >= 1000000000L) {
        Deadline.tv_nsec -= 1000000000L;
        ++Deadline.tv_sec;
    }
    pthread_mutex_lock(&Slot->Mutex);
    while (Owns(*Slot, Generation)) {
        if (Milliseconds == GInfiniteWait)
            pthread_cond_wait(&Slot->Changed, &Slot->Mutex);
        else if (pthread_cond_timedwait(&Slot->Changed, &Slot->Mutex, &Deadline) == ETIMEDOUT)
            break;
    }
    const bool Ended = !Owns(*Slot, Generation);
    pthread_mutex_unlock(&Slot->Mutex);
    return Ended;
}

// ----------------------------------------------------------------------------------------------
// Sleeping on POSIX: nanosleep, resumed after signals until the whole time has passed.

void SleepMilliseconds(tvULong Milliseconds)
{
    if (Milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec Remaining;
    Remaining.tv_sec = static_cast<time_t>(Milliseconds / 1000);
    Remaining.tv_nsec = static_cast<long>(Milliseconds % 1000) * 1000000L;
    while (nanosleep(&Remaining, &Remaining) != 0 && errno == EINTR) {}
}

} // namespace Platform
} // namespace Tolvane
