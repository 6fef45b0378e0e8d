// Crash consistency: a child process performs a write and is killed with SIGKILL inside its Nth
// use of a system call, for N = 1, 2, ... until the write runs to its end without reaching N.
// After every run the caller checks that what is on disk is the old state or the new one, whole.
// POSIX only (fork).
#pragma once

#include "base/tvFaultInjection.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace tvtest {

inline void KillSelf() { ::kill(::getpid(), SIGKILL); }

// Runs Write in a child killed at its AtCall-th use of Call; true when the child was killed,
// false when it finished first (or could not be started).
inline bool RunKilledAt(Tolvane::Faults::ESystemCall Call, int AtCall, const std::function<void()>& Write)
{
    const pid_t Child = ::fork();
    if (Child < 0)
        return false;
    if (Child == 0) {
        Tolvane::Faults::SetKillHandler(&KillSelf);
        Tolvane::Faults::ArmKill(Call, AtCall);
        Write();
        ::_exit(0);
    }
    int Status = 0;
    while (::waitpid(Child, &Status, 0) < 0) {}
    return WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL;
}

// Kills the write at every use of each call in Calls in turn; after each run calls Check (which
// asserts the old-or-new state). Returns the number of runs that were killed.
inline int KillAtEveryStep(std::initializer_list<Tolvane::Faults::ESystemCall> Calls, const std::function<void()>& Prepare,
                           const std::function<void()>& Write, const std::function<void()>& Check)
{
    int Killed = 0;
    for (Tolvane::Faults::ESystemCall Call : Calls) {
        for (int N = 1; N < 1000; ++N) {
            Prepare();
            const bool WasKilled = RunKilledAt(Call, N, Write);
            Check();
            if (!WasKilled)
                break;
            ++Killed;
        }
    }
    return Killed;
}

// How often a killed write left the old state and the new one.
struct FOldOrNew {
    int Killed = 0;
    int OldSeen = 0;
    int NewSeen = 0;
};

// KillAtEveryStep for a write that replaces one file: after each run Now() must give Old or New
// (anything else fails the test), and each is counted.
template <class FState>
inline FOldOrNew KillAtEveryStepOldOrNew(std::initializer_list<Tolvane::Faults::ESystemCall> Calls,
                                         const std::function<void()>& Prepare, const std::function<void()>& Write,
                                         const std::function<FState()>& Now, const FState& Old, const FState& New)
{
    FOldOrNew Seen;
    Seen.Killed = KillAtEveryStep(Calls, Prepare, Write, [&] {
        const FState State = Now();
        EXPECT_TRUE(State == Old || State == New) << "neither the old file nor the new one";
        Seen.OldSeen += State == Old;
        Seen.NewSeen += State == New;
    });
    return Seen;
}

} // namespace tvtest
