// A download that replaces a file, killed: a child process downloads over an existing target
// from nginx on 127.0.0.1 and is killed with SIGKILL inside each open, sync and rename of its
// files. The target is then the old file or the served one, whole; the next download after a
// kill ends byte-identical.
#include "net/NetServers.h"
#include "support/CrashHarness.h"
#include "support/FaultScope.h"

#include <gtest/gtest.h>

#include <tvCore/tvCore.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace Tolvane;
using namespace NetTest;

namespace {

std::vector<unsigned char> ReadFile(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

} // namespace

TEST(DownloadCrash, KilledAtEveryStepLeavesTheOldFileOrTheServedOne)
{
    FNginx Nginx;
    ASSERT_TRUE(Nginx.Start()) << "nginx (nginx-light) did not start on 127.0.0.1";
    const std::vector<unsigned char> Served = Pattern(0, 300000), Old = {'o', 'l', 'd'};
    Nginx.Serve("crash.bin", Served);
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const std::string Target = Folder.Native("target.bin"), Url = Nginx.Url("/crash.bin");
    tvtest::FFaultScope Scope;

    // Each run starts from the old target and no partial download beside it.
    auto Prepare = [&] {
        std::ofstream(Target, std::ios::binary).write(reinterpret_cast<const char*>(Old.data()), std::streamsize(Old.size()));
        std::error_code Ignored;
        std::filesystem::remove(Target + ".tmp", Ignored);
    };
    // The child takes the one manager and downloads synchronously.
    auto Download = [&] {
        IDownloadMgr* Manager = appCreateDownLoadMgr();
        if (Manager)
            Manager->DownloadFile(Url.c_str(), Target.c_str(), 0, 0, 0);
    };
    typedef std::vector<unsigned char> FBytes;
    const tvtest::FOldOrNew Seen = tvtest::KillAtEveryStepOldOrNew<FBytes>(
        {Faults::ESystemCall::Open, Faults::ESystemCall::Sync, Faults::ESystemCall::Rename}, Prepare, Download,
        [&] { return ReadFile(Target); }, Old, Served);
    EXPECT_GE(Seen.Killed, 3);
    EXPECT_GT(Seen.OldSeen, 0);
    EXPECT_GT(Seen.NewSeen, 0);
    std::printf("[ crash    ] download killed in %d runs: old file %d times, served file %d times, nothing lost\n",
                Seen.Killed, Seen.OldSeen, Seen.NewSeen);

    // After a kill the partial download is resumed or restarted: the target ends whole.
    Prepare();
    ASSERT_TRUE(tvtest::RunKilledAt(Faults::ESystemCall::Sync, 1, Download));
    IDownloadMgr* Manager = appCreateDownLoadMgr();
    ASSERT_NE(Manager, nullptr);
    EXPECT_EQ(Manager->DownloadFile(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    EXPECT_EQ(ReadFile(Target), Served);
    appDestroyDownLoadMgr();
}
