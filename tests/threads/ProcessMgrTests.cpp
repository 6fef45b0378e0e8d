// Processes started, found and ended through the process manager, with the helper program.
#include "ProcessTestSupport.h"
#include "core/strings/tvWideRuntime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>
#include "support/WideText.h"
#include "TestPlatform.h"

using namespace Tolvane;
using namespace ProcessTest;

namespace {

// Open descriptors of this process: nothing the manager does may leave one behind.
int OpenDescriptors()
{
    int Count = 0;
    for (const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)Entry;
        ++Count;
    }
    return Count;
}

// A log with a hook that keeps every line, installed as GLog for one scope.
class FCapturedLog final : public FLogHook {
public:
    FCapturedLog()
    {
        Device.Hook(this);
        GLog = &Device;
    }
    ~FCapturedLog() { GLog = nullptr; }
    FCapturedLog(const FCapturedLog&) = delete;
    FCapturedLog& operator=(const FCapturedLog&) = delete;
    void Log(const tvWChar*, const tvWChar* Format, va_list Args) override
    {
        tvWChar Line[GLogBufferUnits];
        Wide::FormatV(Line, GLogBufferUnits, Format, Args);
        Lines.emplace_back(Line);
    }
    std::vector<WideText> Lines;

private:
    FLog Device;
};

} // namespace

TEST(ProcessMgr, StartedProcessIsFoundByItsExactNameAndEndedByKillProcess)
{
    // The helper runs under a name of this test alone, so other tests' helpers never match.
    FTempFolder Folder;
    const std::string Name = "tvHelper" + std::to_string(TestPlatform::ProcessId());
    std::filesystem::copy_file(HelperPath(), Folder / Name);
    const int DescriptorsBefore = OpenDescriptors();

    void* Started = CProcessMgr::CreateProc(Utf16(Folder / Name).c_str(), TVTEXT("sleep 600000"));
    ASSERT_NE(Started, nullptr);
    int Id = -7;
    {
        FCapturedLog Log;
        void* Found = CProcessMgr::FindProcess(FString(Utf16(Name).c_str()), Id);
        EXPECT_NE(Found, nullptr);
        EXPECT_EQ(Id, PidOf(Started));
        // The match's name, then its three lines, end the log.
        ASSERT_GE(Log.Lines.size(), 4u);
        EXPECT_EQ(Log.Lines[Log.Lines.size() - 4], Utf16(Name));
        EXPECT_EQ(Log.Lines[Log.Lines.size() - 3], TVTEXT("Find deamon!!!"));
    }

    std::string Upper = Name;
    Upper[0] = 'T';
    int Untouched = -7;
    EXPECT_EQ(CProcessMgr::FindProcess(FString(Utf16(Upper).c_str()), Untouched), nullptr) << "names match case-sensitively";
    EXPECT_EQ(Untouched, -7);

    CProcessMgr::KillProcess(static_cast<tvULong>(Id));
    ASSERT_TRUE(WaitUntilEnded(Started));
    EXPECT_EQ(CProcessMgr::FindProcess(FString(Utf16(Name).c_str()), Untouched), nullptr) << "an ended process is not running";
    EXPECT_EQ(WaitForExit(Started), 128 + SIGKILL);
    EXPECT_EQ(OpenDescriptors(), DescriptorsBefore) << "no handle is left open";
}

TEST(ProcessMgr, CreateProcRefusesMissingProgramsAndCommandLinesBeyondItsBuffer)
{
    for (const tvWChar* Missing : {TVTEXT("/no/such/program"), TVTEXT("tvCoreNoSuchProgram"), TVTEXT(""), static_cast<const tvWChar*>(nullptr)})
        EXPECT_EQ(CProcessMgr::CreateProc(Missing, TVTEXT("x")), nullptr);

    // "program arguments" with its terminator fills the 1024 units exactly, or one more.
    const WideText Program = Utf16(HelperPath());
    const WideText Fits = TVTEXT("sleep 0 ") + WideText(1023 - Program.size() - 1 - 8, TVTEXT('x'));
    void* Started = CProcessMgr::CreateProc(Program.c_str(), Fits.c_str());
    ASSERT_NE(Started, nullptr);
    EXPECT_EQ(WaitForExit(Started), 0);
    EXPECT_EQ(CProcessMgr::CreateProc(Program.c_str(), (Fits + TVTEXT("x")).c_str()), nullptr) << "refused, never cut";
}

TEST(ProcessMgr, CreateProcFindsABareNameInTheCallersOwnFolder)
{
    // The helper is built next to this test program, and is on no PATH.
    void* Started = CProcessMgr::CreateProc(TVTEXT("tvCoreTestHelper"), TVTEXT("sleep 0"));
    ASSERT_NE(Started, nullptr);
    EXPECT_EQ(WaitForExit(Started), 0);
}

TEST(ProcessMgr, CreateProcessWPassesItsCommandLineAsTheWholeArgumentVector)
{
    FTempFolder Folder;
    const std::string Fifo = MakeFifo(Folder, "report");
    const WideText Line = Utf16("self report " + Fifo + " \"a b\" c\\\"d");
    ASSERT_TRUE(CProcessMgr::CreateProcessW(Utf16(HelperPath()).c_str(), Line.c_str()));
    EXPECT_EQ(ReadFifo(Fifo), "self|report|" + Fifo + "|a b|c\"d");
}

TEST(ProcessMgr, CreateProcessWWithoutCommandLineStartsWithAnEmptyOne)
{
    FTempFolder Folder;
    const std::string Fifo = MakeFifo(Folder, "empty");
    setenv("TVCORE_HELPER_FIFO", Fifo.c_str(), 1);  // the caller's environment is passed on
    ASSERT_TRUE(CProcessMgr::CreateProcessW(Utf16(HelperPath()).c_str(), nullptr));
    EXPECT_EQ(ReadFifo(Fifo), HelperPath()) << "only the program's own name as argument zero";
    ASSERT_TRUE(CProcessMgr::CreateProcessW(Utf16(HelperPath()).c_str(), TVTEXT("")));
    EXPECT_EQ(ReadFifo(Fifo), HelperPath());
    unsetenv("TVCORE_HELPER_FIFO");
}

TEST(ProcessMgr, CreateProcessWRefusesMissingApplicationsAndCommandLinesBeyondItsBuffer)
{
    EXPECT_FALSE(CProcessMgr::CreateProcessW(TVTEXT("/no/such/program"), TVTEXT("x")));
    EXPECT_FALSE(CProcessMgr::CreateProcessW(nullptr, nullptr));

    FTempFolder Folder;
    const std::string Fifo = MakeFifo(Folder, "long");
    const std::string Start = "self report " + Fifo + " ";
    const WideText Fits = Utf16(Start + std::string(259 - Start.size(), 'y'));  // 259 units and the terminator
    ASSERT_TRUE(CProcessMgr::CreateProcessW(Utf16(HelperPath()).c_str(), Fits.c_str()));
    EXPECT_EQ(ReadFifo(Fifo).size(), 259u);
    EXPECT_FALSE(CProcessMgr::CreateProcessW(Utf16(HelperPath()).c_str(), (Fits + TVTEXT("y")).c_str())) << "refused, never cut";
}
