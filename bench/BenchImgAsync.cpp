// Asynchronous IMG reads against the synchronous ones, measured in the same run:
// - SyncRead of 1 MiB blocks of a 32 MiB item through FImgFileReaderAsync (the request goes to
//   the worker, which reads it in 16384-byte chunks, and the caller is woken when it is done)
//   against FImgFileReaderSync::Read of the same blocks on the caller's thread;
// - the latency from SendReadRequest of a 4 KiB block to its callback from Tick, the caller
//   ticking without pause, reported as median and 99th percentile, against the round trip of
//   waking a thread that copies 4 KiB and flags its end (a condition variable and an atomic).
// The archive is built once in a temporary folder (the data root; the current directory moves
// there for the read profile) and removed at exit.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/WideText.h"

using namespace Tolvane;

namespace {

constexpr tvULong GItemSize = 32u << 20;
constexpr tvULong GBlock = 1u << 20;
constexpr tvULong GSmallBlock = 4096;

struct FAsyncBenchArchive {
    std::string Root;
    WideText ItemPath;
    std::unique_ptr<FImgFileSystem> FileSystem;

    FAsyncBenchArchive()
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / "tvCoreBenchImgAsync-XXXXXX").string();
        if (!mkdtemp(Pattern.data()))
            std::abort();
        Root = Pattern;
        std::filesystem::current_path(Root);
        std::filesystem::create_directories(Root + "/Data/Engine");
        std::ofstream(Root + "/Data/Engine/Engine.ini") << "[Data]\nImg=Pack.img\n";
        const WideText Data = PathText(Root + "/Data/");
        std::vector<unsigned char> Bytes(GItemSize);
        for (tvULong i = 0; i < GItemSize; ++i)
            Bytes[i] = static_cast<unsigned char>(i * 7 + (i >> 12));
        FImgArchiveWriter Writer;
        Writer.AddFile(TVTEXT("Data/Item.bin"), Bytes.data(), GItemSize);
        if (!Writer.Save((Data + TVTEXT("Pack.img")).c_str()))
            std::abort();
        FileSystem.reset(new FImgFileSystem);
        FileSystem->SetDataRootDir(Data.c_str());
        if (FileSystem->Initialize() != 1)
            std::abort();
        ItemPath = Data + TVTEXT("Item.bin");
    }
    ~FAsyncBenchArchive()
    {
        FileSystem.reset();
        std::error_code Ignored;
        std::filesystem::current_path("/", Ignored);
        std::filesystem::remove_all(Root, Ignored);
    }
};

FAsyncBenchArchive& Archive()
{
    static FAsyncBenchArchive Made;
    return Made;
}

void BM_ImgAsyncSyncRead1M(benchmark::State& State)
{
    FAsyncBenchArchive& A = Archive();
    std::unique_ptr<FFileAsyncReader> Reader(A.FileSystem->CreateAsyncReader(A.ItemPath.c_str()));
    auto& Async = dynamic_cast<FImgFileReaderAsync&>(*Reader);
    std::vector<unsigned char> Dest(GBlock);
    for (auto _ : State) {
        Async.SetCurrentPos(0);
        for (tvULong At = 0; At < GItemSize; At += GBlock)
            if (Async.SyncRead(Dest.data(), GBlock) != int(GBlock))
                State.SkipWithError("a block was not read");
        benchmark::DoNotOptimize(Dest.data());
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * GItemSize);
}
BENCHMARK(BM_ImgAsyncSyncRead1M)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImgSyncRead1M(benchmark::State& State)
{
    FAsyncBenchArchive& A = Archive();
    std::unique_ptr<FFileReader> Reader(A.FileSystem->CreateReader(A.ItemPath.c_str()));
    std::vector<unsigned char> Dest(GBlock);
    for (auto _ : State) {
        Reader->SetCurrentPos(0);
        for (tvULong At = 0; At < GItemSize; At += GBlock)
            if (Reader->Read(Dest.data(), GBlock) != int(GBlock))
                State.SkipWithError("a block was not read");
        benchmark::DoNotOptimize(Dest.data());
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * GItemSize);
}
BENCHMARK(BM_ImgSyncRead1M)->Unit(benchmark::kMillisecond)->UseRealTime();
TVCORE_BENCH_RATIO("BM_ImgAsyncSyncRead1M/real_time", "BM_ImgSyncRead1M/real_time", "goal <= 1.2");

// Latency samples of one benchmark run, in microseconds: median and 99th percentile.
void ReportLatency(benchmark::State& State, std::vector<double>& Samples)
{
    if (Samples.empty())
        return;
    std::sort(Samples.begin(), Samples.end());
    State.counters["median_us"] = Samples[Samples.size() / 2];
    State.counters["p99_us"] = Samples[std::min(Samples.size() - 1, Samples.size() * 99 / 100)];
}

bool GDelivered = false;
tvULong OnDelivered(READREQUEST)
{
    GDelivered = true;
    return 0;
}

void BM_ImgAsyncRequestToCallback4K(benchmark::State& State)
{
    FAsyncBenchArchive& A = Archive();
    std::unique_ptr<FFileAsyncReader> Reader(A.FileSystem->CreateAsyncReader(A.ItemPath.c_str()));
    auto& Async = dynamic_cast<FImgFileReaderAsync&>(*Reader);
    std::vector<unsigned char> Dest(GSmallBlock);
    std::vector<double> Samples;
    tvULong At = 0;
    for (auto _ : State) {
        const auto Start = std::chrono::steady_clock::now();
        GDelivered = false;
        Async.SetCurrentPos(At);
        const tvULong Handle = Async.SendReadRequest(Dest.data(), GSmallBlock, &OnDelivered, 0);
        while (!GDelivered)
            A.FileSystem->Tick();
        Samples.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - Start).count());
        Async.DestroyRequest(Handle);
        At = (At + 1234567) % (GItemSize - GSmallBlock);
    }
    ReportLatency(State, Samples);
}
BENCHMARK(BM_ImgAsyncRequestToCallback4K)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The least a hand-off to another thread costs: wake it, let it copy 4 KiB, see its flag.
void BM_ThreadHandOff4K(benchmark::State& State)
{
    std::vector<unsigned char> Source(GItemSize / 8, 1), Dest(GSmallBlock);
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Work = false, Stop = false;
    std::atomic<bool> Finished{false};
    std::size_t At = 0;
    std::thread Worker([&] {
        std::unique_lock<std::mutex> Lock(Mutex);
        for (;;) {
            Wake.wait(Lock, [&] { return Work || Stop; });
            if (Stop)
                return;
            Work = false;
            std::memcpy(Dest.data(), Source.data() + At, GSmallBlock);
            Finished.store(true, std::memory_order_release);
        }
    });
    std::vector<double> Samples;
    for (auto _ : State) {
        const auto Start = std::chrono::steady_clock::now();
        Finished = false;
        {
            std::lock_guard<std::mutex> Lock(Mutex);
            Work = true;
            At = (At + 12345) % (Source.size() - GSmallBlock);
        }
        Wake.notify_one();
        while (!Finished.load(std::memory_order_acquire)) {
        }
        Samples.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - Start).count());
    }
    {
        std::lock_guard<std::mutex> Lock(Mutex);
        Stop = true;
    }
    Wake.notify_one();
    Worker.join();
    ReportLatency(State, Samples);
}
BENCHMARK(BM_ThreadHandOff4K)->Unit(benchmark::kMicrosecond)->UseRealTime();
TVCORE_BENCH_RATIO("BM_ImgAsyncRequestToCallback4K/real_time", "BM_ThreadHandOff4K/real_time",
                   "information: the median and p99 counters above are the figures");

} // namespace
