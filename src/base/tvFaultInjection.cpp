// Injected system-call failures, for tests.
#include "base/tvPrelude.h"
#include "base/tvFaultInjection.h"

#include <cstdlib>
#include <mutex>

namespace Tolvane {
namespace Faults {

std::atomic<bool> GArmed{false};

namespace {
struct FPlan {
    int AtCall = 0;  // 0: not armed
    int ErrorCode = 0;
    bool Sticky = false;
    bool Short = false;
    bool Kill = false;
    int Uses = 0;
};
constexpr int GCalls = static_cast<int>(ESystemCall::Count);
std::mutex GMutex;
FPlan GPlans[GCalls];
void DefaultKill() { std::abort(); }
std::atomic<FKillHandler> GKillHandler{&DefaultKill};
} // namespace

void ArmKill(ESystemCall Call, int AtCall)
{
    Arm(Call, AtCall, 0);
    std::lock_guard<std::mutex> Guard(GMutex);
    GPlans[static_cast<int>(Call)].Kill = true;
}

void SetKillHandler(FKillHandler Handler)
{
    GKillHandler.store(Handler ? Handler : &DefaultKill);
}

void Arm(ESystemCall Call, int AtCall, int ErrorCode, bool Sticky, bool Short)
{
    std::lock_guard<std::mutex> Guard(GMutex);
    FPlan& Plan = GPlans[static_cast<int>(Call)];
    Plan = FPlan{};
    Plan.AtCall = AtCall > 0 ? AtCall : 0;
    Plan.ErrorCode = ErrorCode;
    Plan.Sticky = Sticky;
    Plan.Short = Short;
    GArmed.store(true, std::memory_order_relaxed);
}

void Clear()
{
    std::lock_guard<std::mutex> Guard(GMutex);
    for (FPlan& Plan : GPlans)
        Plan = FPlan{};
    GArmed.store(false, std::memory_order_relaxed);
}

int Uses(ESystemCall Call)
{
    std::lock_guard<std::mutex> Guard(GMutex);
    return GPlans[static_cast<int>(Call)].Uses;
}

EOutcome CheckArmed(ESystemCall Call, int& Error)
{
    std::lock_guard<std::mutex> Guard(GMutex);
    FPlan& Plan = GPlans[static_cast<int>(Call)];
    const int Use = ++Plan.Uses;
    if (Plan.AtCall == 0 || Use < Plan.AtCall || (Use > Plan.AtCall && !Plan.Sticky))
        return EOutcome::Proceed;
    if (Plan.Kill)
        GKillHandler.load()();
    Error = Plan.ErrorCode;
    return Plan.Short ? EOutcome::Short : EOutcome::Fail;
}

} // namespace Faults
} // namespace Tolvane
