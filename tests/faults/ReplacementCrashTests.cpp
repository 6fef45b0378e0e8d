// Crash consistency of the writers that replace a file and had no crash test of their own: the
// IMG archive writer, the loose-file writer the IMG and package file systems hand out, the
// linear file system's recording, and a buffer saved whole. A child process performs the write
// and is killed inside each use of each system call the write makes; the file is then the old
// one or the new one, whole, and nothing but the file is left in its folder.
#include <tvCore/tvCore.h>

#include "base/tvFaultInjection.h"
#include "core/files/tvFileSave.h"
#include "files/TempFolder.h"
#include "support/CrashHarness.h"
#include "support/FaultScope.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace Tolvane;
using Faults::ESystemCall;

namespace {

typedef std::vector<unsigned char> FBytes;

FBytes Pattern(std::size_t Size, unsigned Seed)
{
    FBytes Out(Size);
    for (std::size_t i = 0; i < Size; ++i)
        Out[i] = static_cast<unsigned char>((i * 31 + Seed * 7 + (i >> 9)) & 0xFF);
    return Out;
}

struct FWriterCase {
    const char* Name;
    const char* File;                      // the file the write replaces, in the folder
    std::function<void(const WideText&)> Write;  // writes the new file at the path (in the child)
};

// The native manager as GFileManager for the writes that go through it.
struct FNativeManager {
    FFileManagerWin Native;
    FFileManager* Saved = GFileManager;
    FNativeManager() { GFileManager = &Native; }
    ~FNativeManager() { GFileManager = Saved; }
};

} // namespace

TEST(ReplacementCrash, EachWriterKilledAtEveryStepLeavesTheOldFileOrTheNewOne)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FNativeManager Manager;
    tvtest::FFaultScope Scope;
    const FBytes Data = Pattern(150000, 3), Source = Pattern(10, 5);
    Folder.Write("source.bin", Source);
    const WideText SourcePath = Folder.Path(TVTEXT("source.bin"));
    const WideText Run = Folder.Path(TVTEXT("run"));

    const FWriterCase Cases[] = {
        {"IMG archive writer", "pack.img",
         [&](const WideText& Path) {
             FImgArchiveWriter Writer;
             Writer.AddFile(TVTEXT("Data\\Big.bin"), Data.data(), tvULong(Data.size()));
             Writer.AddDiskFile(TVTEXT("Data\\Small.bin"), SourcePath.c_str());
             Writer.Save(Path.c_str());
         }},
        {"loose-file writer", "loose.bin",
         [&](const WideText& Path) {
             FRawFileWriterSync Writer{FString(Path.c_str())};
             if (!Writer.Initialize())
                 return;
             for (std::size_t At = 0; At < Data.size(); At += 16384)
                 Writer.Write(const_cast<unsigned char*>(Data.data() + At), tvULong(std::min<std::size_t>(16384, Data.size() - At)));
             Writer.Close();
         }},
        {"linear recording", "run.lin",
         [&](const WideText&) {
             FFileManager* Linear = appLinearFileSystemInit(LOADINGMODE_Save);
             GFileManager = Linear;
             appLinearFileSystemStart(Run.c_str());
             for (int i = 0; i < 3; ++i) {
                 FFileReader* Reader = Linear->CreateReader(SourcePath.c_str());
                 unsigned char Bytes[10];
                 Reader->Read(Bytes, 10);
                 delete Reader;
             }
             appLinearFileSystemEnd();
         }},
        {"whole buffer save", "buffer.bin",
         [&](const WideText& Path) { appSaveFileReplacing(Path.c_str(), Data.data(), tvULong(Data.size())); }},
    };
    for (const FWriterCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const std::string Name = Case.File;
        const WideText Path = Folder.Path(WideText(Name.begin(), Name.end()));
        const FBytes Old = Pattern(777, 9);
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
