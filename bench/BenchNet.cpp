// A large download over loopback from nginx into a file: DownloadFile against the curl command
// line fetching the same URL into the same folder in the same run. Both write to a folder in
// /dev/shm when it exists, so the disk does not decide. The size is TVCORE_BENCH_NET_MIB
// mebibytes (default 1024).
#include "BenchRatio.h"
#include "net/NetServers.h"

#include <tvCore/tvCore.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace Tolvane;

namespace {

struct FNetBench {
    NetTest::FNginx Nginx;
    std::string Url;
    std::string Folder;
    std::uint64_t Bytes = 0;
    bool Ok = false;

    FNetBench()
    {
        const char* Mib = std::getenv("TVCORE_BENCH_NET_MIB");
        Bytes = static_cast<std::uint64_t>(Mib ? std::atoi(Mib) : 1024) << 20;
        if (!Nginx.Start())
            return;
        const std::vector<unsigned char> Block = NetTest::Pattern(0, 1 << 20);
        {
            std::ofstream Out(Nginx.Native("www/big.bin"), std::ios::binary);
            for (std::uint64_t Done = 0; Done < Bytes; Done += Block.size())
                Out.write(reinterpret_cast<const char*>(Block.data()), static_cast<std::streamsize>(Block.size()));
        }
        Url = Nginx.Url("/big.bin");
        std::string Pattern = (std::filesystem::exists("/dev/shm") ? std::string("/dev/shm")
                                                                     : std::filesystem::temp_directory_path().string()) +
                              "/tvCoreBenchNet-XXXXXX";
        Ok = mkdtemp(Pattern.data()) != nullptr;
        Folder = Pattern;
    }
    ~FNetBench()
    {
        std::error_code Ignored;
        if (!Folder.empty())
            std::filesystem::remove_all(Folder, Ignored);
    }
    std::string Target(const char* Name) const { return Folder + "/" + Name; }
};

FNetBench& Bench()
{
    static FNetBench Shared;
    return Shared;
}

void BM_CurlCommandLineDownload(benchmark::State& State)
{
    FNetBench& B = Bench();
    if (!B.Ok) {
        State.SkipWithError("nginx did not start");
        return;
    }
    const std::string Target = B.Target("curl.bin");
    const std::string Command = "curl -s -o " + Target + " " + B.Url;
    for (auto _ : State) {
        if (std::system(Command.c_str()) != 0 || std::filesystem::file_size(Target) != B.Bytes)
            State.SkipWithError("curl failed");
        State.PauseTiming();
        std::filesystem::remove(Target);
        State.ResumeTiming();
    }
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * B.Bytes));
}
BENCHMARK(BM_CurlCommandLineDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_DownloadFileFromNginx(benchmark::State& State)
{
    FNetBench& B = Bench();
    if (!B.Ok) {
        State.SkipWithError("nginx did not start");
        return;
    }
    IDownloadMgr* Manager = appCreateDownLoadMgr();
    const std::string Target = B.Target("manager.bin");
    for (auto _ : State) {
        if (Manager->DownloadFile(B.Url.c_str(), Target.c_str(), 0, 0, 0) != 0 ||
            std::filesystem::file_size(Target) != B.Bytes)
            State.SkipWithError("DownloadFile failed");
        State.PauseTiming();
        std::filesystem::remove(Target);
        State.ResumeTiming();
    }
    appDestroyDownLoadMgr();
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * B.Bytes));
}
BENCHMARK(BM_DownloadFileFromNginx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

// Time per download; a speed of at least 0.95 x curl's is a time ratio of at most 1.05.
TVCORE_BENCH_RATIO("BM_DownloadFileFromNginx/iterations:3/real_time", "BM_CurlCommandLineDownload/iterations:3/real_time",
                   "goal <= 1.05, i.e. >= 0.95x curl's speed");
