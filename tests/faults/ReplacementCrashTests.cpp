// Crash consistency of the writers that replace a file and had no crash test of their own: the
// IMG archive writer, the loose-file writer the IMG and package file systems hand out, the
// linear file system's recording, and a buffer saved whole. A child process performs the write
// and is killed inside each use of each system call the write makes; the file is then the old
// one or the new one, whole.
#include "faults/FaultTestSupport.h"
#include "files/TempFolder.h"
#include "support/CrashHarness.h"
#include "support/FaultScope.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace Tolvane;
using namespace FaultTest;
using Faults::ESystemCall;

TEST(ReplacementCrash, EachWriterKilledAtEveryStepLeavesTheOldFileOrTheNewOne)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FLibraryScope Library(Folder.Path());
    tvtest::FFaultScope Scope;
    const FBytes Data = Pattern(150000, 3), Source = Pattern(5000, 5), Old = Pattern(777, 9);
    Folder.Write("source.bin", Source);
    for (const FReplacingWrite& Case : ReplacingWrites(Data, Folder.Path(TVTEXT("source.bin")), Folder.Path(TVTEXT("run")),
                                                       &Library.Native)) {
        SCOPED_TRACE(Case.Name);
        const std::string Name = Case.File;
        const WideText Path = Folder.Path(WideText(Name.begin(), Name.end()));
        // The new file, from a child that is never killed (no write starts a million threads).
        Folder.Write(Name, Old);
        ASSERT_FALSE(tvtest::RunKilledAt(ESystemCall::CreateThread, 1000000, [&] { Case.Write(Path); }));
        const FBytes New = Folder.Read(Name);
        ASSERT_NE(New, Old) << "the write did not replace the file";

        // A killed write leaves its temporary file beside the target (nothing of the library
        // runs after the kill); Prepare clears it so every run starts alike.
        auto Prepare = [&] {
            for (auto& Entry : std::filesystem::directory_iterator(Folder.Native())) {
                const std::string Left = Entry.path().filename().string();
                if (Left != Name && Left.rfind(Name, 0) == 0)
                    std::filesystem::remove(Entry.path());
            }
            Folder.Write(Name, Old);
        };
        const tvtest::FOldOrNew Seen = tvtest::KillAtEveryStepOldOrNew<FBytes>(
            {ESystemCall::Open, ESystemCall::Write, ESystemCall::Sync, ESystemCall::Rename}, Prepare,
            [&] { Case.Write(Path); }, [&] { return Folder.Read(Name); }, Old, New);
        EXPECT_GE(Seen.Killed, 3);
        EXPECT_GT(Seen.OldSeen, 0);
        EXPECT_GT(Seen.NewSeen, 0);
        std::printf("[ crash    ] %-20s killed in %d runs: old file %d times, new file %d times, nothing lost\n",
                    Case.Name, Seen.Killed, Seen.OldSeen, Seen.NewSeen);
    }
}
