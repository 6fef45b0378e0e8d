// Allocation fault sweeps: each complex operation runs again and again with its 1st, 2nd, 3rd ...
// allocation refused, until it runs without a refusal. At every step it must end cleanly: no
// crash, a result that is either a reported failure or the right answer, and nothing leaked.
#include <tvCore/tvCore.h>

#include "support/FailingMalloc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

// An operation returns true when it completed with the right result, false when it reported a
// failure; it must never report success with a wrong result (it checks that itself).
using FOperation = std::function<bool()>;

struct FSweepResult {
    int Steps = 0;          // refusals survived
    bool Completed = false; // a run with no refusal completed
};

FSweepResult Sweep(const FOperation& Operation, bool RefuseLater)
{
    FSweepResult Result;
    for (int N = 1; N < 100000; ++N) {
        bool Done;
        int Refusals, Live;
        {
            tvtest::FFailingMalloc Failing(N, RefuseLater);
            Done = Operation();
            Refusals = Failing.Refusals;
            Live = Failing.Live;
        }
        EXPECT_EQ(Live, 0) << "blocks leaked with request " << N << " refused";
        if (Refusals == 0) {
            Result.Completed = Done;
            return Result;
        }
        ++Result.Steps;
    }
    return Result;
}

WideText Text(const FString& S) { return WideText(static_cast<const tvWChar*>(S)); }

bool StringEdits()
{
    FString S(TVTEXT("alpha"));
    S += TVTEXT(" beta");
    S += FString(TVTEXT(" gamma"));
    S.Insert(0, TVTEXT(">> "));
    S.Replace(TVTEXT("beta"), TVTEXT("BETA-BETA"));
    FString Copy = S + TVTEXT(" <<");
    Copy.Format(TVTEXT("%s|%d|%s"), static_cast<const tvWChar*>(S), 42, TVTEXT("end"));
    // A refused allocation leaves some step undone, but the string is always a whole text.
    EXPECT_EQ(Copy.GetLength(), int(Text(Copy).size()));
    return Text(Copy) == TVTEXT(">> alpha BETA-BETA gamma|42|end");
}

bool ArrayGrowth()
{
    TArray<FString> Names;
    for (int i = 0; i < 200; ++i) {
        FString Name;
        Name.Format(TVTEXT("name%d"), i);
        if (Name.GetLength() == 0 || Names.AddItem(Name) < 0)
            return false;
    }
    for (int i = 0; i < 200; i += 37) {
        FString Want;
        Want.Format(TVTEXT("name%d"), i);
        if (Want.GetLength() == 0)
            return false;
        EXPECT_TRUE(Names[i] == Want);
    }
    return Names.Num() == 200;
}

bool ArchiveRoundTrip()
{
    FMemoryWriter Writer(0);
    for (int i = 0; i < 50; ++i) {
        FString Value;
        Value.Format(TVTEXT("value %d"), i);
        Writer << Value << i;
    }
    if (Writer.IsError())
        return false;
    FMemoryReader Reader(Writer.GetData());
    for (int i = 0; i < 50; ++i) {
        FString Value;
        int Number = -1;
        Reader << Value << Number;
        if (Reader.IsError())
            return false;
        FString Want;
        Want.Format(TVTEXT("value %d"), i);
        if (Want.GetLength() == 0 || Value.GetLength() == 0)
            return false;  // a refused string reads as empty; the run reports it as not done
        EXPECT_TRUE(Value == Want);
        EXPECT_EQ(Number, i);
    }
    return true;
}

bool NameTableGrowth()
{
    FNameHash Names(16, 16);
    tvULong First = 0xFFFFFFFFu;
    for (int i = 0; i < 500; ++i) {
        FString Text;
        Text.Format(TVTEXT("Name_%d"), i);
        if (Text.GetLength() == 0)
            return false;
        const tvULong Index = Names.Add(Text);
        if (Index == 0xFFFFFFFFu)
            return false;
        if (i == 0)
            First = Index;
    }
    return Names.Find(TVTEXT("name_0")) == First;
}

} // namespace

TEST(AllocationSweep, EveryRefusalEndsCleanly)
{
    struct FCase {
        const char* Name;
        FOperation Operation;
    } Cases[] = {
        {"string edits", StringEdits},
        {"array growth", ArrayGrowth},
        {"archive round trip", ArchiveRoundTrip},
        {"name table growth", NameTableGrowth},
    };
    for (const FCase& Case : Cases) {
        for (bool RefuseLater : {false, true}) {
            SCOPED_TRACE(std::string(Case.Name) + (RefuseLater ? ", every request from N on" : ", request N only"));
            const FSweepResult Result = Sweep(Case.Operation, RefuseLater);
            EXPECT_TRUE(Result.Completed);
            EXPECT_GT(Result.Steps, 0);
            std::printf("[ sweep    ] %-20s %-28s %d refusals survived\n", Case.Name,
                        RefuseLater ? "(every request from N on)" : "(request N only)", Result.Steps);
        }
    }
}
