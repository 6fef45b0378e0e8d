// Injected system-call failures reach the library's callers as the failures they stand for: a
// full disk sets the writer's error flag, a copy that fails at any of its steps leaves the target
// as it was, a thread that cannot be started gives no handle.
#include <tvCore/tvCore.h>

#include "base/tvFaultInjection.h"
#include "support/FaultScope.h"
#include "platform/tvPlatformError.h"
#include "platform/tvPlatformFileReplace.h"
#include "files/TempFolder.h"
#include "support/CrashHarness.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;
using Faults::ESystemCall;
using tvtest::FFaultScope;

namespace {

std::vector<unsigned char> Bytes(std::size_t Count, unsigned char Seed)
{
    std::vector<unsigned char> Out(Count);
    for (std::size_t i = 0; i < Count; ++i)
        Out[i] = static_cast<unsigned char>(Seed + i * 7);
    return Out;
}

} // namespace

TEST(FaultInjection, NativeWriterReportsAFullDisk)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FFileManagerWin Manager;
    struct FCase {
        const char* Name;
        bool Short;
    } Cases[] = {{"write fails", false}, {"write comes up short", true}};
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        FFaultScope Scope;
        FFileWriter* Writer = Manager.CreateWriter(Folder.Path(TVTEXT("full.bin")).c_str());
        ASSERT_NE(Writer, nullptr);
        std::vector<unsigned char> Data = Bytes(1000, 1);
        Writer->Serialize(Data.data(), 500);
        EXPECT_FALSE(Writer->IsError());
        Faults::Arm(ESystemCall::Write, 1, ENOSPC, false, Case.Short);
        Writer->Serialize(Data.data() + 500, 500);
        EXPECT_TRUE(Writer->IsError());
        EXPECT_EQ(Platform::LastError(), ENOSPC);
        delete Writer;
    }
}

TEST(FaultInjection, OpenAndReadFailuresReachTheCaller)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("in.bin", Bytes(64, 3));
    FFileManagerWin Manager;
    FFaultScope Scope;
    Faults::Arm(ESystemCall::Open, 1, EMFILE);
    EXPECT_EQ(Manager.CreateReader(Folder.Path(TVTEXT("in.bin")).c_str()), nullptr);
    EXPECT_EQ(Platform::LastError(), EMFILE);

    Faults::Arm(ESystemCall::Read, 1, EIO, true);
    FFileReader* Reader = Manager.CreateReader(Folder.Path(TVTEXT("in.bin")).c_str());
    ASSERT_NE(Reader, nullptr);
    unsigned char Buffer[64];
    Reader->Serialize(Buffer, sizeof Buffer);
    EXPECT_TRUE(Reader->IsError());
    delete Reader;
}

// A replacing copy that fails at its open, its write, its sync or its rename leaves the old
// target whole and no temporary file beside it.
TEST(FaultInjection, FailedCopyLeavesTheTargetWhole)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const std::vector<unsigned char> Old = Bytes(5000, 9), New = Bytes(7000, 40);
    Folder.Write("from.bin", New);
    struct FCase {
        const char* Name;
        ESystemCall Call;
        int At;
    } Cases[] = {
        {"source open", ESystemCall::Open, 1},
        {"temporary open", ESystemCall::Open, 2},
        {"write", ESystemCall::Write, 1},
        {"sync", ESystemCall::Sync, 1},
        {"rename", ESystemCall::Rename, 1},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Folder.Write("to.bin", Old);
        {
            FFaultScope Scope;
            Faults::Arm(Case.Call, Case.At, EIO);
            EXPECT_EQ(appCopyFile(Folder.Path(TVTEXT("from.bin")).c_str(), Folder.Path(TVTEXT("to.bin")).c_str(), false), 0);
        }
        EXPECT_EQ(Folder.Read("to.bin"), Old);
        int Entries = 0;
        for (auto& Entry : std::filesystem::directory_iterator(Folder.Native()))
            Entries += Entry.is_regular_file() ? 1 : 0;
        EXPECT_EQ(Entries, 2) << "a temporary file was left behind";
    }
    FFaultScope Scope;
    EXPECT_NE(appCopyFile(Folder.Path(TVTEXT("from.bin")).c_str(), Folder.Path(TVTEXT("to.bin")).c_str(), false), 0);
    EXPECT_EQ(Folder.Read("to.bin"), New);
}

TEST(FaultInjection, ThreadThatCannotStartGivesNoHandle)
{
    FFaultScope Scope;
    Faults::Arm(ESystemCall::CreateThread, 1, EAGAIN);
    void* Handle = nullptr;
    EXPECT_FALSE(CThreadMgr::CreateThreadWin(&Handle, [](void*) -> tvULong { return 0; }, nullptr));
    Faults::Clear();
    EXPECT_TRUE(CThreadMgr::CreateThreadWin(&Handle, [](void*) -> tvULong { return 0; }, nullptr));
    CThreadMgr::TerminateThread(&Handle);
}

TEST(FaultInjection, DirectoryCreationFailureIsReported)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FFaultScope Scope;
    Faults::Arm(ESystemCall::CreateDirectory, 1, ENOSPC, true);
    appSafeCreateDirectory(Folder.Path(TVTEXT("a/b/c/")).c_str(), false);
    EXPECT_FALSE(Folder.IsDirectory("a"));
    Faults::Clear();
    appSafeCreateDirectory(Folder.Path(TVTEXT("a/b/c/")).c_str(), false);
    EXPECT_TRUE(Folder.IsDirectory("a/b/c"));
}

// A replacing copy killed at any of its steps leaves the old target or the new one, whole.
TEST(FaultInjection, CopyKilledAtEveryStepLeavesOldOrNew)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const std::vector<unsigned char> Old = Bytes(3000, 5), New = Bytes(200000, 77);
    Folder.Write("from.bin", New);
    int OldSeen = 0, NewSeen = 0;
    const int Killed = tvtest::KillAtEveryStep(
        {ESystemCall::Open, ESystemCall::Write, ESystemCall::Sync, ESystemCall::Rename},
        [&] { Folder.Write("to.bin", Old); },
        [&] { appCopyFile(Folder.Path(TVTEXT("from.bin")).c_str(), Folder.Path(TVTEXT("to.bin")).c_str(), false); },
        [&] {
            const std::vector<unsigned char> Now = Folder.Read("to.bin");
            EXPECT_TRUE(Now == Old || Now == New) << "the target is neither the old file nor the new one";
            OldSeen += Now == Old;
            NewSeen += Now == New;
        });
    EXPECT_GE(Killed, 4);
    EXPECT_GT(OldSeen, 0);
    EXPECT_GT(NewSeen, 0);
    std::printf("[ crash    ] copy killed in %d runs, old file %d times, new file %d times, nothing lost\n", Killed,
                OldSeen, NewSeen);
}

// The seam's whole-file replacement: a failed sync or rename leaves the old file and records why;
// a replacement killed inside either leaves the old file or the new one, whole.
TEST(FaultInjection, FileReplaceIsAllOrNothing)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const std::vector<unsigned char> Old = Bytes(100, 1), New = Bytes(9000, 2);
    for (ESystemCall Call : {ESystemCall::Sync, ESystemCall::Rename}) {
        Folder.Write("target.bin", Old);
        Folder.Write("target.new", New);
        FFaultScope Scope;
        Faults::Arm(Call, 1, EIO);
        EXPECT_FALSE(Platform::FileReplace(Folder.Path(TVTEXT("target.new")).c_str(), Folder.Path(TVTEXT("target.bin")).c_str()));
        EXPECT_EQ(Platform::LastError(), EIO);
        EXPECT_EQ(Folder.Read("target.bin"), Old);
    }
    int OldSeen = 0, NewSeen = 0;
    tvtest::KillAtEveryStep(
        {ESystemCall::Sync, ESystemCall::Rename},
        [&] {
            Folder.Write("target.bin", Old);
            Folder.Write("target.new", New);
        },
        [&] { Platform::FileReplace(Folder.Path(TVTEXT("target.new")).c_str(), Folder.Path(TVTEXT("target.bin")).c_str()); },
        [&] {
            const std::vector<unsigned char> Now = Folder.Read("target.bin");
            EXPECT_TRUE(Now == Old || Now == New);
            OldSeen += Now == Old;
            NewSeen += Now == New;
        });
    EXPECT_GT(OldSeen, 0);
    EXPECT_GT(NewSeen, 0);
}
