// What the fault-injection check costs when nothing is armed, as in every production run: the
// open, read and close of a small file, each call preceded by the seam's check, against the same
// three system calls made bare; the check alone against that bare path; and, for scale, the
// native file manager's reader of the same file.
//
// The machine these run on is shared: the system-call benchmarks count the thread's own CPU
// time (manual time from CLOCK_THREAD_CPUTIME_ID, system time included), so waiting for a core
// does not land on one side of a ratio.
//
// The check is an inline function of base/tvFaultInjection.h over a flag the library keeps
// hidden; this program compiles src/base/tvFaultInjection.cpp itself (bench/CMakeLists.txt) so
// it runs the library's own check code, not a copy of it.
#include "BenchRatio.h"

#include "base/tvFaultInjection.h"
#include "support/WideText.h"

#include <tvCore/tvCore.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace Tolvane;

namespace {

// A 200-byte file in a temporary folder, made on first use and removed at exit.
struct FSmallFile {
    std::string Folder;
    std::string Path;
    FSmallFile()
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / "tvCoreBenchFaults-XXXXXX").string();
        Folder = mkdtemp(Pattern.data()) ? Pattern : std::string();
        Path = Folder + "/small.bin";
        std::ofstream(Path, std::ios::binary) << std::string(200, 'x');
    }
    ~FSmallFile()
    {
        std::error_code Ignored;
        if (!Folder.empty())
            std::filesystem::remove_all(Folder, Ignored);
    }
};

const FSmallFile& Small()
{
    static FSmallFile Made;
    return Made;
}

// The seam's question before a system call: false when the call goes ahead.
inline bool Refused(Faults::ESystemCall Call)
{
    int Error = 0;
    return Faults::Check(Call, Error) != Faults::EOutcome::Proceed;
}

double ThreadSeconds()
{
    timespec Now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &Now);
    return double(Now.tv_sec) + double(Now.tv_nsec) * 1e-9;
}

// Runs Body once per iteration and books the thread's CPU time it took.
template <class FBody>
void CpuTimed(benchmark::State& State, FBody Body)
{
    for (auto _ : State) {
        const double Start = ThreadSeconds();
        Body();
        State.SetIterationTime(ThreadSeconds() - Start);
    }
}

void BM_RawOpenReadClose(benchmark::State& State)
{
    const char* Path = Small().Path.c_str();
    char Buffer[256];
    CpuTimed(State, [&] {
        const int File = ::open(Path, O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(::read(File, Buffer, sizeof Buffer));
        ::close(File);
    });
}

void BM_CheckedOpenReadClose(benchmark::State& State)
{
    const char* Path = Small().Path.c_str();
    char Buffer[256];
    CpuTimed(State, [&] {
        if (Refused(Faults::ESystemCall::Open))
            return;
        const int File = ::open(Path, O_RDONLY | O_CLOEXEC);
        if (!Refused(Faults::ESystemCall::Read))
            benchmark::DoNotOptimize(::read(File, Buffer, sizeof Buffer));
        ::close(File);
    });
}

// The three checks of one open, read and close, without the calls.
void BM_UnarmedCheckAlone(benchmark::State& State)
{
    for (auto _ : State) {
        benchmark::DoNotOptimize(Refused(Faults::ESystemCall::Open));
        benchmark::DoNotOptimize(Refused(Faults::ESystemCall::Read));
        benchmark::DoNotOptimize(Refused(Faults::ESystemCall::Write));
    }
}

// The library's whole path: a reader from the native manager (path conversion, the reader
// object, the checked calls), one read, and its deletion.
void BM_NativeReaderOpenReadClose(benchmark::State& State)
{
    const std::string& Narrow = Small().Path;
    const WideText Path(Narrow.begin(), Narrow.end());
    FFileManagerWin Native;
    char Buffer[256];
    CpuTimed(State, [&] {
        FFileReader* Reader = Native.CreateReader(Path.c_str());
        benchmark::DoNotOptimize(Reader->Read(Buffer, 200));
        delete Reader;
    });
}

} // namespace

BENCHMARK(BM_RawOpenReadClose)->UseManualTime();
BENCHMARK(BM_CheckedOpenReadClose)->UseManualTime();
BENCHMARK(BM_UnarmedCheckAlone);
BENCHMARK(BM_NativeReaderOpenReadClose)->UseManualTime();
TVCORE_BENCH_RATIO("BM_CheckedOpenReadClose/manual_time", "BM_RawOpenReadClose/manual_time", "goal <= 1.02 (the unarmed check is not measurable)");
TVCORE_BENCH_RATIO("BM_UnarmedCheckAlone", "BM_RawOpenReadClose/manual_time", "reported: the checks' share of one open/read/close");
TVCORE_BENCH_RATIO("BM_NativeReaderOpenReadClose/manual_time", "BM_RawOpenReadClose/manual_time", "reported: the native reader's whole path");
