// Object locks: the in-process lock, the scope guard, the lock with explicit initialisation,
// and cross-process locks as seen from the threads of one process.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <future>
#include <new>
#include <string>
#include <thread>
#include <type_traits>

#include <sys/stat.h>
#include <unistd.h>
#include "support/WideText.h"
#include "TestPlatform.h"

using namespace Tolvane;

namespace {

// Copies would share one system lock without a count of owners: they are refused.
static_assert(!std::is_copy_constructible<FThreadLock>::value && !std::is_copy_assignable<FThreadLock>::value, "");
static_assert(!std::is_copy_constructible<FProcessLock>::value && !std::is_copy_assignable<FProcessLock>::value, "");
static_assert(!std::is_copy_constructible<FAsyncLock>::value && !std::is_copy_assignable<FAsyncLock>::value, "");
static_assert(!std::is_copy_constructible<FScopedLock>::value, "");

// Counts what a guard does to its lock.
class FCountingLock : public FLock {
public:
    void Lock() override { ++Depth; ++Takes; }
    void Unlock() override { --Depth; }
    int Depth = 0;
    int Takes = 0;
};

// Two threads each add to one plain counter under their own view of a lock; a lost update or
// (under ThreadSanitizer) a race report shows missing exclusion.
template <class FTake, class FGive>
int CountUnderLock(FTake TakeA, FGive GiveA, FTake TakeB, FGive GiveB)
{
    int Counter = 0;
    constexpr int Rounds = 20000;
    auto Work = [&Counter](FTake Take, FGive Give) {
        for (int i = 0; i < Rounds; ++i) {
            Take();
            const int Seen = Counter;
            Counter = Seen + 1;
            Give();
        }
    };
    std::thread A(Work, TakeA, GiveA);
    std::thread B(Work, TakeB, GiveB);
    A.join();
    B.join();
    return Counter - 2 * Rounds;
}

// A lock name of this test process, and the removal of its lock file afterwards.
class FLockName {
public:
    explicit FLockName(const char* What)
        : Name(TVTEXT("tvCoreTest.") + Utf16(std::to_string(TestPlatform::ProcessId())) + TVTEXT(".") + Utf16(What))
    {
    }
    ~FLockName()
    {
        for (const char* Folder : {"/dev/shm/", "/tmp/"})
            unlink((std::string(Folder) + "tvCoreLock." + Narrow() + "_lock").c_str());
    }
    const tvWChar* Get() const { return Name.c_str(); }
    std::string Narrow() const { return std::string(Name.begin(), Name.end()); }
    static WideText Utf16(const std::string& Text) { return WideText(Text.begin(), Text.end()); }

private:
    WideText Name;
};

} // namespace

TEST(ThreadLock, ExcludesOtherThreadsAndIsRecursive)
{
    FThreadLock Lock;
    Lock.Lock();
    Lock.Lock();  // the holder takes it again
    Lock.Unlock();
    Lock.Unlock();
    auto Take = [&Lock] { Lock.Lock(); };
    auto Give = [&Lock] { Lock.Unlock(); };
    EXPECT_EQ(CountUnderLock(Take, Give, Take, Give), 0);
}

TEST(ScopedLock, ReleasesOnEveryExitFromItsScope)
{
    struct FExit {
        const char* Name;
        void (*Run)(FLock& Lock);
        int Takes;
    };
    const FExit Exits[] = {
        {"end of scope", [](FLock& Lock) { FScopedLock Guard(&Lock); }, 1},
        {"return", [](FLock& Lock) {
             for (;;) {
                 FScopedLock Guard(&Lock);
                 return;
             }
         }, 1},
        {"break", [](FLock& Lock) {
             for (int i = 0; i < 5; ++i) {
                 FScopedLock Guard(&Lock);
                 if (i == 1)
                     break;
             }
         }, 2},
        {"continue", [](FLock& Lock) {
             for (int i = 0; i < 3; ++i) {
                 FScopedLock Guard(&Lock);
                 if (i < 2)
                     continue;
             }
         }, 3},
        {"exception", [](FLock& Lock) {
             try {
                 FScopedLock Guard(&Lock);
                 throw 7;
             } catch (int) {
             }
         }, 1},
        {"nested guards", [](FLock& Lock) {
             FScopedLock Outer(&Lock);
             FScopedLock Inner(&Lock);
         }, 2},
    };
    for (const FExit& Exit : Exits) {
        FCountingLock Lock;
        Exit.Run(Lock);
        EXPECT_EQ(Lock.Depth, 0) << Exit.Name;
        EXPECT_EQ(Lock.Takes, Exit.Takes) << Exit.Name;
    }
}

TEST(ScopedLock, ThreadLockLeftByAnExceptionIsFreeForOtherThreads)
{
    FThreadLock Lock;
    EXPECT_THROW(
        {
            FScopedLock Guard(&Lock);
            throw std::string("leaving");
        },
        std::string);
    // Would wait for ever if the exception had left the section entered.
    std::thread Other([&Lock] { FScopedLock Guard(&Lock); });
    Other.join();
}

TEST(ScopedLock, AssignmentMovesTheGuardToTheOtherLockAndStaysBalanced)
{
    FCountingLock First, Second;
    {
        FScopedLock A(&First);
        FScopedLock B(&Second);
        A = B;  // A gives First back and now also guards Second
        EXPECT_EQ(First.Depth, 0);
        EXPECT_EQ(Second.Depth, 2);
        FScopedLock& Same = A;
        A = Same;  // itself: nothing changes
        A = B;     // a guard over the same lock: nothing changes
        EXPECT_EQ(Second.Depth, 2);
    }
    EXPECT_EQ(First.Depth, 0);
    EXPECT_EQ(Second.Depth, 0);

    FScopedLock Empty(nullptr);  // a guard over no lock does nothing, now or when assigned
    {
        FScopedLock C(&First);
        C = Empty;
        EXPECT_EQ(First.Depth, 0);
    }
    EXPECT_EQ(First.Depth, 0);
}

TEST(AsyncLock, NeverInitialisedLockIsNeitherUsedNorTouched)
{
    // The object lives over a known pattern: construction writes only the flag, and locking,
    // unlocking and destruction before Initialize leave the section's storage as it was.
    alignas(FAsyncLock) unsigned char Storage[sizeof(FAsyncLock)];
    std::memset(Storage, 0xA5, sizeof(Storage));
    FAsyncLock* Lock = ::new (Storage) FAsyncLock;
    Lock->Lock();
    Lock->Unlock();
    Lock->~FAsyncLock();
    for (std::size_t i = sizeof(int); i < sizeof(Storage); ++i)
        ASSERT_EQ(Storage[i], 0xA5) << "byte " << i;
}

TEST(AsyncLock, InitialisedLockExcludesAndSurvivesASecondInitialize)
{
    FAsyncLock Lock;
    Lock.Initialize();
    Lock.Lock();
    Lock.Initialize();  // must not re-create the section under its holder
    Lock.Lock();        // recursive for the holder
    Lock.Unlock();
    Lock.Unlock();
    auto Take = [&Lock] { Lock.Lock(); };
    auto Give = [&Lock] { Lock.Unlock(); };
    EXPECT_EQ(CountUnderLock(Take, Give, Take, Give), 0);
}

TEST(ProcessLock, TwoLocksOfOneNameInOneProcessAreOneLock)
{
    const FLockName Name("OneProcess");
    FProcessLock First(Name.Get());
    FProcessLock Second(Name.Get());
    // Recursive for the holding thread, through either object.
    First.Lock();
    Second.Lock();
    Second.Unlock();
    First.Unlock();
    // Exclusive between threads, each through its own object.
    auto TakeA = [&First] { First.Lock(); };
    auto GiveA = [&First] { First.Unlock(); };
    auto TakeB = [&Second] { Second.Lock(); };
    auto GiveB = [&Second] { Second.Unlock(); };
    EXPECT_EQ(CountUnderLock(std::function<void()>(TakeA), std::function<void()>(GiveA), std::function<void()>(TakeB),
                             std::function<void()>(GiveB)),
              0);
}

TEST(ProcessLock, SystemLockIsNamedWithTheSuffix)
{
    const FLockName Name("Suffix");
    FProcessLock Lock(Name.Get());
    struct stat Info;
    const bool InShm = stat(("/dev/shm/tvCoreLock." + Name.Narrow() + "_lock").c_str(), &Info) == 0;
    const bool InTmp = stat(("/tmp/tvCoreLock." + Name.Narrow() + "_lock").c_str(), &Info) == 0;
    EXPECT_TRUE(InShm || InTmp);
}

TEST(ProcessLock, UnlockByAThreadThatDoesNotHoldItChangesNothing)
{
    const FLockName Name("Foreign");
    FProcessLock Lock(Name.Get());
    Lock.Lock();
    std::thread Other([&Lock] { Lock.Unlock(); });
    Other.join();
    // Still held by this thread: another thread gets it only after this thread's release.
    std::promise<void> Released;
    std::thread Waiter([&Lock, Done = Released.get_future().share()] {
        Lock.Lock();
        EXPECT_EQ(Done.wait_for(std::chrono::seconds(0)), std::future_status::ready);
        Lock.Unlock();
    });
    Released.set_value();
    Lock.Unlock();
    Waiter.join();
}

TEST(ProcessLock, DistinctNamesAreDistinctLocks)
{
    // Pairs that a careless mapping to file names would merge: an escaped separator against
    // its escape, and long names that differ only past the readable beginning.
    const WideText Long(300, TVTEXT('n'));
    const std::pair<WideText, WideText> Pairs[] = {
        {TVTEXT("tvCoreTest.a/b"), TVTEXT("tvCoreTest.a%2Fb")},
        {TVTEXT("tvCoreTest.") + Long + TVTEXT("1"), TVTEXT("tvCoreTest.") + Long + TVTEXT("2")},
        {TVTEXT("tvCoreTest.Case"), TVTEXT("tvCoreTest.case")},
    };
    for (const auto& Pair : Pairs) {
        FProcessLock Held(Pair.first.c_str());
        Held.Lock();
        // Would wait for ever if both names reached one lock.
        std::thread Other([&Pair] {
            FProcessLock Free(Pair.second.c_str());
            Free.Lock();
            Free.Unlock();
        });
        Other.join();
        Held.Unlock();
    }
}

TEST(ProcessLock, OddNamesStillGiveAWorkingLock)
{
    const WideText Long(5000, TVTEXT('x'));
    const tvWChar* Names[] = {nullptr, TVTEXT(""), TVTEXT("tvCoreTest.%"), TVTEXT("tvCoreTest.with space"), TVTEXT("tvCoreTest.\u540d\u524d"),
                              TVTEXT("tvCoreTest.\xD800"), Long.c_str()};
    for (const tvWChar* Name : Names) {
        FProcessLock Lock(Name);
        Lock.Lock();
        Lock.Unlock();
    }
}
