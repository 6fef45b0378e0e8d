// Allocation fault sweeps over string edits, array growth, archives and the name table
// (support/AllocationSweep.h runs them).
#include <tvCore/tvCore.h>

#include "support/AllocationSweep.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

using tvtest::FSweepResult;
using tvtest::Sweep;
using FOperation = tvtest::FSweepOperation;

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
