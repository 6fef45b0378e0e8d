// Threads on Windows: identity, threads created suspended (CREATE_SUSPENDED) and resumed
// (ResumeThread) once their slot is ready, suspending themselves, sleeping.
//
// As on every platform, no thread suspends another: a thread that suspends itself waits on its
// own slot's resume signal (a condition variable), and a thread created suspended waits on the
// same signal before its routine, so that an end request can still keep the routine from
// running at all.
//
// A handle names a slot and the slot's generation: 12 bits of slot (4095 threads alive at once,
// more than a 32-bit process has room for stacks) and 20 bits of generation. When a thread ends
// its slot's generation moves on, so a handle of an ended thread matches no live thread and every
// call with it is harmless; nothing ever has to close a handle. Slots are never freed or moved.
#include "base/tvPrelude.h"
#include "platform/tvPlatformThread.h"
#include "platform/tvPlatformError.h"
#include "platform/win32/Win32Api.h"
#include "base/tvBaseAlloc.h"
#include "base/tvFaultInjection.h"

#include <new>

namespace Tolvane {
namespace Platform {

tvULong CurrentThreadId() { return static_cast<tvULong>(GetCurrentThreadId()); }

namespace {

struct FThreadSlot {
    CRITICAL_SECTION Mutex;
    CONDITION_VARIABLE Changed;
    tvULong Generation = 0;      // under Mutex; moves on when the slot's thread ends
    bool Live = false;           // under Mutex: a thread owns the slot
    bool ResumeSignal = false;   // under Mutex
    bool EndRequested = false;   // under Mutex
    FThreadRoutine Routine = nullptr;
    void* Argument = nullptr;
    tvULong Index = 0;
    FThreadSlot* NextFree = nullptr;  // under GTableMutex
};

constexpr unsigned GIndexBits = 12;
constexpr tvULong GIndexMask = (1u << GIndexBits) - 1;
constexpr tvULong GGenerationMask = (1u << (32 - GIndexBits)) - 1;
constexpr tvULong GSlotsPerChunk = 64;
constexpr tvULong GMaxChunks = GIndexMask / GSlotsPerChunk;  // slot numbers 1 to 4095 (0 is no slot)

struct FThreadChunk {
    FThreadSlot Slots[GSlotsPerChunk];
};

SRWLOCK GTableMutex = SRWLOCK_INIT;
std::atomic<FThreadChunk*> GChunks[GMaxChunks];
tvULong GChunkCount = 0;            // under GTableMutex
FThreadSlot* GFreeSlots = nullptr;  // under GTableMutex
thread_local FThreadSlot* GCurrentSlot = nullptr;

inline tvHandle HandleOf(const FThreadSlot& Slot, tvULong Generation)
{
    const std::uint32_t Value = ((Generation & GGenerationMask) << GIndexBits) | (Slot.Index + 1);
    return reinterpret_cast<tvHandle>(static_cast<std::uintptr_t>(Value));
}

FThreadSlot* SlotOf(tvHandle Thread, tvULong& Generation)
{
    const std::uintptr_t Value = reinterpret_cast<std::uintptr_t>(Thread);
    if (Value > 0xFFFFFFFFu)
        return nullptr;
    const tvULong Number = static_cast<tvULong>(Value) & GIndexMask;
    if (Number == 0 || Number > GSlotsPerChunk * GMaxChunks)
        return nullptr;
    const tvULong Index = Number - 1;
    FThreadChunk* Chunk = GChunks[Index / GSlotsPerChunk].load(std::memory_order_acquire);
    if (!Chunk)
        return nullptr;
    Generation = (static_cast<tvULong>(Value) >> GIndexBits) & GGenerationMask;
    return &Chunk->Slots[Index % GSlotsPerChunk];
}

inline bool Owns(const FThreadSlot& Slot, tvULong Generation)
{
    return Slot.Live && (Slot.Generation & GGenerationMask) == Generation;
}

bool GrowTable()
{
    if (GChunkCount == GMaxChunks)
        return false;
    void* Memory = BaseAlloc::Allocate(sizeof(FThreadChunk));
    if (!Memory)
        return false;
    FThreadChunk* Chunk = new (Memory) FThreadChunk;
    for (tvULong i = GSlotsPerChunk; i-- > 0;) {
        FThreadSlot& Slot = Chunk->Slots[i];
        InitializeCriticalSection(&Slot.Mutex);
        InitializeConditionVariable(&Slot.Changed);
        Slot.Index = GChunkCount * GSlotsPerChunk + i;
        Slot.NextFree = GFreeSlots;
        GFreeSlots = &Slot;
    }
    GChunks[GChunkCount++].store(Chunk, std::memory_order_release);
    return true;
}

FThreadSlot* TakeSlot()
{
    AcquireSRWLockExclusive(&GTableMutex);
    FThreadSlot* Slot = (GFreeSlots || GrowTable()) ? GFreeSlots : nullptr;
    if (Slot)
        GFreeSlots = Slot->NextFree;
    ReleaseSRWLockExclusive(&GTableMutex);
    return Slot;
}

void ReleaseSlot(FThreadSlot& Slot)
{
    EnterCriticalSection(&Slot.Mutex);
    Slot.Live = false;
    ++Slot.Generation;
    WakeAllConditionVariable(&Slot.Changed);
    LeaveCriticalSection(&Slot.Mutex);
    AcquireSRWLockExclusive(&GTableMutex);
    Slot.NextFree = GFreeSlots;
    GFreeSlots = &Slot;
    ReleaseSRWLockExclusive(&GTableMutex);
}

bool WaitForResume(FThreadSlot& Slot)
{
    EnterCriticalSection(&Slot.Mutex);
    while (!Slot.ResumeSignal && !Slot.EndRequested)
        SleepConditionVariableCS(&Slot.Changed, &Slot.Mutex, INFINITE);
    const bool Resumed = !Slot.EndRequested;
    Slot.ResumeSignal = false;
    LeaveCriticalSection(&Slot.Mutex);
    return Resumed;
}

DWORD WINAPI ThreadMain(LPVOID Context)
{
    FThreadSlot& Slot = *static_cast<FThreadSlot*>(Context);
    GCurrentSlot = &Slot;
    if (WaitForResume(Slot))
        Slot.Routine(Slot.Argument);
    GCurrentSlot = nullptr;
    ReleaseSlot(Slot);
    return 0;
}

template <class FChange>
void ChangeLiveThread(tvHandle Thread, FChange Change)
{
    tvULong Generation = 0;
    FThreadSlot* Slot = SlotOf(Thread, Generation);
    if (!Slot)
        return;
    EnterCriticalSection(&Slot->Mutex);
    if (Owns(*Slot, Generation)) {
        Change(*Slot);
        WakeAllConditionVariable(&Slot->Changed);
    }
    LeaveCriticalSection(&Slot->Mutex);
}

} // namespace

tvHandle ThreadCreate(FThreadRoutine Routine, void* Argument, bool Suspended)
{
    if (!Routine)
        return nullptr;
    FThreadSlot* Slot = TakeSlot();
    if (!Slot)
        return nullptr;
    EnterCriticalSection(&Slot->Mutex);
    Slot->Live = true;
    Slot->ResumeSignal = !Suspended;
    Slot->EndRequested = false;
    Slot->Routine = Routine;
    Slot->Argument = Argument;
    const tvHandle Handle = HandleOf(*Slot, Slot->Generation);
    LeaveCriticalSection(&Slot->Mutex);
    int Failed = 0;
    HANDLE System = nullptr;
    if (Faults::Check(Faults::ESystemCall::CreateThread, Failed) == Faults::EOutcome::Proceed) {
        System = CreateThread(nullptr, 0, &ThreadMain, Slot, CREATE_SUSPENDED, nullptr);
        Failed = System ? 0 : static_cast<int>(GetLastError());
    } else if (Failed == 0) {
        Failed = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (!System) {
        SetLastError(Failed);
        ReleaseSlot(*Slot);
        return nullptr;
    }
    ResumeThread(System);
    CloseHandle(System);  // the slot, not the system handle, stands for the thread
    return Handle;
}

void ThreadResume(tvHandle Thread)
{
    ChangeLiveThread(Thread, [](FThreadSlot& Slot) { Slot.ResumeSignal = true; });
}

bool ThreadSuspendSelf() { return GCurrentSlot ? WaitForResume(*GCurrentSlot) : true; }

void ThreadRequestEnd(tvHandle Thread)
{
    ChangeLiveThread(Thread, [](FThreadSlot& Slot) { Slot.EndRequested = true; });
}

bool ThreadEndRequested()
{
    FThreadSlot* Slot = GCurrentSlot;
    if (!Slot)
        return false;
    EnterCriticalSection(&Slot->Mutex);
    const bool Requested = Slot->EndRequested;
    LeaveCriticalSection(&Slot->Mutex);
    return Requested;
}

bool ThreadWaitForEnd(tvHandle Thread, tvULong Milliseconds)
{
    if (!Thread)
        return false;
    tvULong Generation = 0;
    FThreadSlot* Slot = SlotOf(Thread, Generation);
    if (!Slot)
        return true;
    const ULONGLONG Deadline = GetTickCount64() + Milliseconds;
    EnterCriticalSection(&Slot->Mutex);
    while (Owns(*Slot, Generation)) {
        DWORD Wait = INFINITE;
        if (Milliseconds != GInfiniteWait) {
            const ULONGLONG Now = GetTickCount64();
            if (Now >= Deadline)
                break;
            Wait = static_cast<DWORD>(Deadline - Now);
        }
        SleepConditionVariableCS(&Slot->Changed, &Slot->Mutex, Wait);
    }
    const bool Ended = !Owns(*Slot, Generation);
    LeaveCriticalSection(&Slot->Mutex);
    return Ended;
}

void SleepMilliseconds(tvULong Milliseconds) { Sleep(static_cast<DWORD>(Milliseconds)); }

} // namespace Platform
} // namespace Tolvane
