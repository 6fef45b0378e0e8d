// The processor clock's rate and the console control handler.
#include <tvCore/tvCore.h>

#include "core/tvCycles.h"
#include "threads/ProcessTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include "support/WideText.h"

using namespace Tolvane;
using namespace ProcessTest;

TEST(Cycles, ConversionTakesTheCountAsUnsigned)
{
    const double Saved = GSecondsPerCycle;
    GSecondsPerCycle = 1.0;  // the rate before any measurement, or after a failed one
    EXPECT_EQ(appCyclesToSeconds(0), 0.0f);
    EXPECT_EQ(appCyclesToSeconds(5), 5.0f);
    EXPECT_EQ(appCyclesToSeconds(0x80000000u), 2147483648.0f);
    EXPECT_EQ(appCyclesToSeconds(0xFFFFFFFFu), 4294967296.0f);
    GSecondsPerCycle = Saved;
}

TEST(Cycles, MeasuredRateIsAPlausibleProcessorClock)
{
    appMeasureCycleRate();
    // Between 10 MHz and 20 GHz: a time-stamp counter, or the nanosecond stand-in (1 GHz).
    EXPECT_LT(GSecondsPerCycle, 1.0e-7);
    EXPECT_GT(GSecondsPerCycle, 5.0e-11);
    const float Second = appCyclesToSeconds(static_cast<tvULong>(1.0 / GSecondsPerCycle / 4));
    EXPECT_NEAR(Second, 0.25f, 0.001f);
}

// A real SIGINT sent to a process that called appInitCore does not end it, and its log holds
// the handler's line.
TEST(Cycles, InterruptDoesNotEndTheProcessAndIsLogged)
{
    FTempFolder Folder;
    const std::string Fifo = MakeFifo(Folder, "ready");
    const std::string LogFile = Folder / "ctrlc.log";
    void* Child = CProcessMgr::CreateProc(Utf16(HelperPath()).c_str(), Utf16("ctrlc " + LogFile + " " + Fifo).c_str());
    ASSERT_NE(Child, nullptr);
    ASSERT_EQ(ReadFifo(Fifo), "R");
    ASSERT_EQ(kill(PidOf(Child), SIGINT), 0);
    EXPECT_EQ(WaitForExit(Child), 0);
    std::string Bytes;
    if (FILE* In = std::fopen(LogFile.c_str(), "rb")) {
        char Buffer[4096];
        std::size_t Got;
        while ((Got = std::fread(Buffer, 1, sizeof Buffer, In)) > 0)
            Bytes.append(Buffer, Got);
        std::fclose(In);
    }
    WideText Text;
    for (std::size_t i = 0; i + 1 < Bytes.size(); i += 2)
        Text += Tolvane::tvWChar(static_cast<unsigned char>(Bytes[i]) | static_cast<unsigned char>(Bytes[i + 1]) << 8);
    EXPECT_NE(Text.find(TVTEXT("Log: Ctrl+C Pressed!\r\n")), WideText::npos);
}
