// Configuration and XML saves under injected system-call failures and crashes: a save that
// fails at any step returns 0 and leaves the old file whole; a save killed at any step leaves
// the old file or the new one, whole.
#include "config/ConfigTestSupport.h"

#include "base/tvFaultInjection.h"
#include "support/FaultScope.h"
#include "support/CrashHarness.h"

#include <cerrno>
#include <functional>
#include "support/WideText.h"

using namespace Tolvane;
using namespace ConfigTest;
using Faults::ESystemCall;
using tvtest::FFaultScope;

namespace {

// The two savers over one file each: a configuration of about 40 KB and an XML document.
struct FSaver {
    const char* Name;
    std::string File;
    std::vector<unsigned char> Old;
    std::function<int(const WideText&)> Save;  // saves the new content to the path
};

std::vector<FSaver> Savers()
{
    return {
        {"config", "c.ini", Bytes("[Old]\nk=v\n"),
         [](const WideText& Path) {
             FConfigFile Config;
             for (int i = 0; i < 1000; ++i)
                 Config.SetInt(TVTEXT("S"), (TVTEXT("key") + WideText(1, Tolvane::tvWChar(TVTEXT('A') + i % 26)) + WideText(i / 26 + 1, TVTEXT('x'))).c_str(), i);
             return Config.SaveAs(Path.c_str());
         }},
        {"xml", "d.xml", Bytes("<Old/>"),
         [](const WideText& Path) {
             FXmlFile Xml;
             if (!Xml.Load(Path.c_str()))
                 return -1;
             FString Big(WideText(30000, TVTEXT('z')).c_str());
             Xml.RootNode()->SetText(Big);
             return Xml.SaveFile();
         }},
    };
}

using SaveFaults = FFileFixture;

} // namespace

TEST_F(SaveFaults, EveryFailingStepGivesZeroAndKeepsTheOldFile)
{
    FFaultScope Scope;
    struct FCase {
        ESystemCall Call;
        int At;
        int Error;
        bool Short;
    };
    const FCase Cases[] = {
        {ESystemCall::Open, 1, EACCES, false}, {ESystemCall::Write, 1, ENOSPC, false}, {ESystemCall::Write, 1, ENOSPC, true},
        {ESystemCall::Sync, 1, EIO, false},     {ESystemCall::Rename, 1, EXDEV, false},
    };
    for (FSaver& Saver : Savers()) {
        for (const FCase& Case : Cases) {
            Folder.Write(Saver.File, Saver.Old);
            const WideText Path = Folder.Path(WideText(Saver.File.begin(), Saver.File.end()));
            // The XML saver reads the old file first: the fault is armed for the save only.
            Faults::Clear();
            if (std::string(Saver.Name) == "xml") {
                // Opening for the load is one Open use before the save's own.
                Faults::Arm(Case.Call, Case.Call == ESystemCall::Open ? Case.At + 1 : Case.At, Case.Error, true, Case.Short);
            } else {
                Faults::Arm(Case.Call, Case.At, Case.Error, true, Case.Short);
            }
            EXPECT_EQ(Saver.Save(Path), 0) << Saver.Name << " call " << int(Case.Call);
            Faults::Clear();
            EXPECT_EQ(Folder.Read(Saver.File), Saver.Old) << Saver.Name << " call " << int(Case.Call);
            EXPECT_EQ(FolderEntries(), (std::vector<std::string>{Saver.File})) << Saver.Name << " call " << int(Case.Call);
        }
        // Without faults the same save succeeds.
        Folder.Write(Saver.File, Saver.Old);
        EXPECT_EQ(Saver.Save(Folder.Path(WideText(Saver.File.begin(), Saver.File.end()))), 1) << Saver.Name;
        EXPECT_NE(Folder.Read(Saver.File), Saver.Old) << Saver.Name;
        std::filesystem::remove(Folder.Native(Saver.File));
    }
}

TEST_F(SaveFaults, KilledAtEveryStepLeavesTheOldFileOrTheNewOne)
{
    FFaultScope Scope;
    for (FSaver& Saver : Savers()) {
        const WideText Path = Folder.Path(WideText(Saver.File.begin(), Saver.File.end()));
        Folder.Write(Saver.File, Saver.Old);
        ASSERT_EQ(Saver.Save(Path), 1);
        const std::vector<unsigned char> New = Folder.Read(Saver.File);
        int OldSeen = 0, NewSeen = 0;
        const int Killed = tvtest::KillAtEveryStep(
            {ESystemCall::Open, ESystemCall::Write, ESystemCall::Sync, ESystemCall::Rename},
            [&] { Folder.Write(Saver.File, Saver.Old); },
            [&] { Saver.Save(Path); },
            [&] {
                const std::vector<unsigned char> Now = Folder.Read(Saver.File);
                EXPECT_TRUE(Now == Saver.Old || Now == New) << Saver.Name << ": neither the old file nor the new one";
                OldSeen += Now == Saver.Old;
                NewSeen += Now == New;
            });
        EXPECT_GE(Killed, 4) << Saver.Name;
        EXPECT_GT(OldSeen, 0) << Saver.Name;
        EXPECT_GT(NewSeen, 0) << Saver.Name;
    }
}
