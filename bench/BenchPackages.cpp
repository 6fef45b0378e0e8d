// Package members against zlib alone: reading a member of 16 MiB - 1 KiB through
// CreateMemberReader (file reads, inflate, checksum, the reader's memory) against inflating the
// same deflate stream from memory, and storing it through a member writer (chunks, deflate at
// level 1, checksum, file writes) against deflating it at level 1 into memory.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <zlib.h>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

constexpr std::size_t MemberSize = FZipFileWriter::MaxMemberSize;

// Text-like bytes that deflate to about a third.
const std::vector<unsigned char>& Content()
{
    static const std::vector<unsigned char> Bytes = [] {
        std::vector<unsigned char> Out(MemberSize);
        unsigned State = 12345;
        for (std::size_t i = 0; i < Out.size(); ++i) {
            State = State * 1103515245u + 12345u;
            Out[i] = static_cast<unsigned char>("etaoin shrdlu\n"[(State >> 16) % 14]);
        }
        return Out;
    }();
    return Bytes;
}

// A folder for the benchmark's packages, removed at exit.
const std::string& Folder()
{
    static const std::string Path = [] {
        std::string Pattern = (std::filesystem::temp_directory_path() / "tvCoreBench-XXXXXX").string();
        const std::string Made = mkdtemp(Pattern.data()) ? Pattern : std::string("/tmp");
        std::atexit([] { std::filesystem::remove_all(Folder()); });
        return Made;
    }();
    return Path;
}

WideText PackagePath(const char* Name)
{
    const std::string Path = Folder() + "/" + Name;
    return WideText(Path.begin(), Path.end());
}

bool WriteMember(FZipPackage& Package)
{
    FZipFileWriter* Writer = Package.CreateMemberWriter(TVTEXT("member.bin"));
    if (!Writer)
        return false;
    Writer->Write(const_cast<unsigned char*>(Content().data()), static_cast<tvULong>(MemberSize));
    Writer->Close();
    const bool Ok = !Writer->IsError();
    delete Writer;
    return Ok;
}

// The raw deflate stream of the content at level 1, as the package stores it.
std::vector<unsigned char> Deflated()
{
    z_stream Stream{};
    deflateInit2(&Stream, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> Out(deflateBound(&Stream, MemberSize));
    Stream.next_in = const_cast<unsigned char*>(Content().data());
    Stream.avail_in = static_cast<uInt>(MemberSize);
    Stream.next_out = Out.data();
    Stream.avail_out = static_cast<uInt>(Out.size());
    deflate(&Stream, Z_FINISH);
    Out.resize(Stream.total_out);
    deflateEnd(&Stream);
    return Out;
}

void BM_PackageMemberRead(benchmark::State& State)
{
    GIsEditor = 1;
    GZipWriteMode = ZIPWRITE_Write;
    const WideText Path = PackagePath("read");
    {
        FZipPackage Package(Path.c_str());
        if (!Package.Open() || !WriteMember(Package)) {
            State.SkipWithError("package not written");
            return;
        }
    }
    FUnzipPackage Package(Path.c_str());
    for (auto _ : State) {
        FZipFileReader* Reader = Package.CreateMemberReader(TVTEXT("member.bin"));
        if (!Reader) {
            State.SkipWithError("member not read");
            return;
        }
        benchmark::DoNotOptimize(Reader->GetCache());
        delete Reader;
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(MemberSize));
}
BENCHMARK(BM_PackageMemberRead)->Unit(benchmark::kMillisecond);

// Inflates the content's deflate stream from memory into a new buffer; with Checked, also
// computes its CRC-32 as every zip reader must to refuse a damaged member.
void InflateLoop(benchmark::State& State, bool Checked)
{
    const std::vector<unsigned char> Packed = Deflated();
    for (auto _ : State) {
        unsigned char* Out = static_cast<unsigned char*>(std::malloc(MemberSize));
        z_stream Stream{};
        inflateInit2(&Stream, -MAX_WBITS);
        Stream.next_in = const_cast<unsigned char*>(Packed.data());
        Stream.avail_in = static_cast<uInt>(Packed.size());
        Stream.next_out = Out;
        Stream.avail_out = static_cast<uInt>(MemberSize);
        const int Result = inflate(&Stream, Z_FINISH);
        inflateEnd(&Stream);
        if (Checked)
            benchmark::DoNotOptimize(crc32(0, Out, static_cast<uInt>(MemberSize)));
        benchmark::DoNotOptimize(Out);
        std::free(Out);
        if (Result != Z_STREAM_END) {
            State.SkipWithError("inflate failed");
            return;
        }
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(MemberSize));
}

void BM_ZlibInflate(benchmark::State& State) { InflateLoop(State, false); }
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
void BM_ZlibInflateCrc32(benchmark::State& State) { InflateLoop(State, true); }
BENCHMARK(BM_ZlibInflateCrc32)->Unit(benchmark::kMillisecond);
TVCORE_BENCH_RATIO("BM_PackageMemberRead", "BM_ZlibInflate", "goal <= 1.075, i.e. speed >= 0.93x");
TVCORE_BENCH_RATIO("BM_PackageMemberRead", "BM_ZlibInflateCrc32", "the same work a checked read must do");

void BM_PackageMemberWrite(benchmark::State& State)
{
    GIsEditor = 1;
    GZipWriteMode = ZIPWRITE_Write;
    const WideText Path = PackagePath("write");
    for (auto _ : State) {
        // Opening and finishing the package (its sync and rename) are not the member's cost.
        State.PauseTiming();
        FZipPackage* Package = new FZipPackage(Path.c_str());
        const bool Opened = Package->Open();
        State.ResumeTiming();
        const bool Written = Opened && WriteMember(*Package);
        State.PauseTiming();
        delete Package;
        State.ResumeTiming();
        if (!Written) {
            State.SkipWithError("member not written");
            return;
        }
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(MemberSize));
}
BENCHMARK(BM_PackageMemberWrite)->Unit(benchmark::kMillisecond);

void BM_ZlibDeflateLevel1(benchmark::State& State)
{
    std::vector<unsigned char> Out;
    for (auto _ : State) {
        z_stream Stream{};
        deflateInit2(&Stream, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        Out.resize(deflateBound(&Stream, MemberSize));
        Stream.next_in = const_cast<unsigned char*>(Content().data());
        Stream.avail_in = static_cast<uInt>(MemberSize);
        Stream.next_out = Out.data();
        Stream.avail_out = static_cast<uInt>(Out.size());
        const int Result = deflate(&Stream, Z_FINISH);
        deflateEnd(&Stream);
        benchmark::DoNotOptimize(Out.data());
        if (Result != Z_STREAM_END) {
            State.SkipWithError("deflate failed");
            return;
        }
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(MemberSize));
}
BENCHMARK(BM_ZlibDeflateLevel1)->Unit(benchmark::kMillisecond);
TVCORE_BENCH_RATIO("BM_PackageMemberWrite", "BM_ZlibDeflateLevel1", "goal <= 1.11, i.e. speed >= 0.9x");

} // namespace
