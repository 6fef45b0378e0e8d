// The allocation fault sweep: an operation runs again and again with its 1st, 2nd, 3rd ...
// allocation refused (only that one, or that one and every later one), until it runs without a
// refusal. At every step it must end cleanly: no crash, a result that is either a reported
// failure or the right answer, and nothing leaked through GMalloc.
#pragma once

#include "support/FailingMalloc.h"

#include <gtest/gtest.h>

#include <functional>

namespace tvtest {

// An operation returns true when it completed with the right result, false when it reported a
// failure; it must never report success with a wrong result (it checks that itself).
using FSweepOperation = std::function<bool()>;
// Runs before each step, outside the refusing allocator: puts the files back as they were.
using FSweepPrepare = std::function<void()>;
// Runs after each step, outside the refusing allocator, with the step's result: checks what it
// left on disk (the old files untouched by a failure, the new ones whole after success).
using FSweepCheck = std::function<void(bool Done)>;

struct FSweepResult {
    int Steps = 0;          // refusals survived
    bool Completed = false; // a run with no refusal completed
};

inline FSweepResult Sweep(const FSweepOperation& Operation, bool RefuseLater, const FSweepPrepare& Prepare = {},
                          const FSweepCheck& Check = {})
{
    FSweepResult Result;
    // A first run with nothing refused: what the library makes once per process (the thread
    // table, code pages) is made here, and is not counted as the operation's leak.
    if (Prepare)
        Prepare();
    Operation();
    for (int N = 1; N < 100000; ++N) {
        if (Prepare)
            Prepare();
        bool Done;
        int Refusals, Live;
        {
            FFailingMalloc Failing(N, RefuseLater);
            Done = Operation();
            Refusals = Failing.Refusals;
            Live = Failing.Live;
        }
        EXPECT_EQ(Live, 0) << "blocks leaked with request " << N << " refused";
        if (Check)
            Check(Done);
        if (Refusals == 0) {
            Result.Completed = Done;
            return Result;
        }
        ++Result.Steps;
    }
    return Result;
}

} // namespace tvtest
