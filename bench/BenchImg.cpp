// IMG archives against their limits, measured in the same run:
// - sequential 64 KiB reads of one large item through FImgFileReaderSync against read() of the
//   same bytes into a 64 KiB buffer plus a memcpy out (the two copies any buffered reader makes);
// - 100-byte sequential reads served by the reader's cache (goal: at least 1 GB/s);
// - SearchFileFromHash over 100,000 items with 6-component paths against
//   std::unordered_map<std::string, ...> lookups of the same keys.
// The large item is 256 MiB; TVCORE_BENCH_IMG_MIB sets another size. Archives are built once in
// a temporary folder (the data root) that the current directory moves to, and removed at exit.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <unistd.h>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

struct FBenchArchives {
    std::string Root;
    WideText DataRoot;
    tvULong BigSize = 0;
    std::unique_ptr<FImgFileSystem> Big;     // one large item, DATA\BIG.BIN, and a 1 MiB item
    std::unique_ptr<FImgFileSystem> Many;    // 100,000 files, 6 components each
    std::vector<WideText> Queries;     // absolute paths of the 100,000 files
    std::vector<std::string> Keys;           // their archive paths
    std::string BigArchive;                  // system path of the large archive
    tvULong BigOffset = 0;

    FBenchArchives()
    {
        const char* Mib = std::getenv("TVCORE_BENCH_IMG_MIB");
        BigSize = tvULong((Mib ? std::atoi(Mib) : 256)) * 1024u * 1024u;
        std::string Pattern = (std::filesystem::temp_directory_path() / "tvCoreBenchImg-XXXXXX").string();
        if (!mkdtemp(Pattern.data()))
            std::abort();
        Root = Pattern;
        std::filesystem::current_path(Root);  // the read profile lands here
        for (const char* Name : {"Big", "Many"})
            std::filesystem::create_directories(Root + "/" + Name + "/Data/Engine");
        BuildBig();
        BuildMany();
    }
    ~FBenchArchives()
    {
        Big.reset();
        Many.reset();
        std::error_code Ignored;
        std::filesystem::current_path("/", Ignored);
        std::filesystem::remove_all(Root, Ignored);
    }

    static WideText Wide(const std::string& Text) { return WideText(Text.begin(), Text.end()); }

    std::unique_ptr<FImgFileSystem> Open(const std::string& Name, FImgArchiveWriter& Writer)
    {
        const std::string Data = Root + "/" + Name + "/Data/";
        std::ofstream(Data + "Engine/Engine.ini") << "[Data]\nImg=Pack.img\n";
        if (!Writer.Save(Wide(Data + "Pack.img").c_str()))
            std::abort();
        std::unique_ptr<FImgFileSystem> FileSystem(new FImgFileSystem);
        FileSystem->SetDataRootDir(Wide(Data).c_str());
        if (FileSystem->Initialize() != 1)
            std::abort();
        return FileSystem;
    }

    void BuildBig()
    {
        const std::string Source = Root + "/big.src";
        {
            std::vector<char> Block(1 << 20);
            for (std::size_t i = 0; i < Block.size(); ++i)
                Block[i] = char(i * 7);
            std::ofstream Out(Source, std::ios::binary);
            for (tvULong Done = 0; Done < BigSize; Done += tvULong(Block.size()))
                Out.write(Block.data(), std::streamsize(std::min<tvULong>(BigSize - Done, tvULong(Block.size()))));
        }
        FImgArchiveWriter Writer;
        std::vector<unsigned char> Small(1 << 20, 0x5A);
        Writer.AddFile(TVTEXT("Data/Small.bin"), Small.data(), tvULong(Small.size()));
        Writer.AddDiskFile(TVTEXT("Data/Big.bin"), Wide(Source).c_str());
        Big = Open("Big", Writer);
        std::filesystem::remove(Source);
        BigArchive = Root + "/Big/Data/Pack.img";
        std::unique_ptr<FFileReader> Reader(Big->CreateReader(Wide(Root + "/Big/Data/Big.bin").c_str()));
        BigOffset = dynamic_cast<FImgFileReaderSync&>(*Reader).GetFileItem()->Offset;
    }

    void BuildMany()
    {
        FImgArchiveWriter Writer;
        const std::string Data = Root + "/Many/Data/";
        for (int i = 0; i < 100000; ++i) {
            char Path[128];
            std::snprintf(Path, sizeof Path, "DATA\\DIR%d\\SUB%d\\PART%d\\SET%d\\FILE%05d.DDS", i % 10, (i / 10) % 10,
                          (i / 100) % 10, (i / 1000) % 10, i);
            Keys.emplace_back(Path);
            std::string Query = Data + (Path + 5);
            for (char& C : Query)
                if (C == '\\')
                    C = '/';
            Queries.push_back(Wide(Query));
            Writer.AddFile(Wide(Path).c_str(), "x", 1);
        }
        Many = Open("Many", Writer);
    }
};

FBenchArchives& Archives()
{
    static FBenchArchives Made;
    return Made;
}

constexpr tvULong GChunk = 64 * 1024;

void BM_ImgReadSequential64K(benchmark::State& State)
{
    FBenchArchives& A = Archives();
    std::vector<unsigned char> Dest(GChunk);
    for (auto _ : State) {
        std::unique_ptr<FFileReader> Reader(A.Big->CreateReader(FBenchArchives::Wide(A.Root + "/Big/Data/Big.bin").c_str()));
        tvULong Delivered = 0;
        for (tvULong At = 0; At < A.BigSize; At += GChunk)
            Delivered += tvULong(Reader->Read(Dest.data(), std::min(GChunk, A.BigSize - At)));
        benchmark::DoNotOptimize(Dest.data());
        // The source repeats a 1 MiB block of (i * 7) bytes; the last chunk read ends the item.
        const tvULong Last = A.BigSize - GChunk;
        if (Delivered != A.BigSize || Dest[100] != static_cast<unsigned char>((Last + 100) % (1 << 20) * 7)) {
            State.SkipWithError("the item was not read whole");
            break;
        }
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * A.BigSize);
}
BENCHMARK(BM_ImgReadSequential64K)->Unit(benchmark::kMillisecond);

// The limit: read() of the same bytes into a 64 KiB buffer, then a memcpy out.
void BM_ReadSyscallPlusMemcpy64K(benchmark::State& State)
{
    FBenchArchives& A = Archives();
    // One block for both buffers, the second starting half a page off: two blocks at the same
    // offset within their pages would slow the copy by 4 KiB aliasing and flatter the subject.
    std::vector<unsigned char> Block(2 * GChunk + 4096);
    unsigned char* Buffer = Block.data();
    unsigned char* Dest = Block.data() + GChunk + 2048;
    for (auto _ : State) {
        const int Fd = open(A.BigArchive.c_str(), O_RDONLY);
        lseek(Fd, off_t(A.BigOffset), SEEK_SET);
        for (tvULong At = 0; At < A.BigSize; At += GChunk) {
            const ssize_t Got = read(Fd, Buffer, std::min(GChunk, A.BigSize - At));
            std::memcpy(Dest, Buffer, std::size_t(Got > 0 ? Got : 0));
        }
        close(Fd);
        benchmark::DoNotOptimize(Dest);
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * A.BigSize);
}
BENCHMARK(BM_ReadSyscallPlusMemcpy64K)->Unit(benchmark::kMillisecond);
TVCORE_BENCH_RATIO("BM_ImgReadSequential64K", "BM_ReadSyscallPlusMemcpy64K",
                   "goal <= 1.11: at least 0.9x the two-copy limit's throughput");

// 100-byte reads of a 1 MiB item, almost all from the reader's cache (the profile included).
void BM_ImgReadCached100(benchmark::State& State)
{
    FBenchArchives& A = Archives();
    constexpr tvULong Size = 1 << 20;
    unsigned char Dest[100];
    for (auto _ : State) {
        std::unique_ptr<FFileReader> Reader(A.Big->CreateReader(FBenchArchives::Wide(A.Root + "/Big/Data/Small.bin").c_str()));
        for (tvULong At = 0; At + 100 <= Size; At += 100)
            Reader->Read(Dest, 100);
        benchmark::DoNotOptimize(Dest);
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * (Size / 100 * 100));
}
BENCHMARK(BM_ImgReadCached100)->Unit(benchmark::kMicrosecond);

// The same bytes moved by 100-byte memcpy calls from memory: what the cache can at best be.
void BM_Memcpy100(benchmark::State& State)
{
    constexpr tvULong Size = 1 << 20;
    std::vector<unsigned char> Source(Size, 1);
    unsigned char Dest[100];
    for (auto _ : State) {
        for (tvULong At = 0; At + 100 <= Size; At += 100) {
            std::memcpy(Dest, Source.data() + At, 100);
            benchmark::DoNotOptimize(Dest);
        }
    }
    State.SetBytesProcessed(std::int64_t(State.iterations()) * (Size / 100 * 100));
}
BENCHMARK(BM_Memcpy100)->Unit(benchmark::kMicrosecond);
TVCORE_BENCH_RATIO("BM_ImgReadCached100", "BM_Memcpy100",
                   "information; the goal is the absolute bytes_per_second >= 1 GB/s above");

void BM_ImgSearchFileFromHash(benchmark::State& State)
{
    FBenchArchives& A = Archives();
    std::size_t i = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(A.Many->SearchFileFromHash(A.Queries[i].c_str()));
        i = (i + 7919) % A.Queries.size();
    }
}
BENCHMARK(BM_ImgSearchFileFromHash);

void BM_UnorderedMapFind(benchmark::State& State)
{
    FBenchArchives& A = Archives();
    std::unordered_map<std::string, int> Map;
    for (std::size_t k = 0; k < A.Keys.size(); ++k)
        Map.emplace(A.Keys[k], int(k));
    std::size_t i = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(Map.find(A.Keys[i]));
        i = (i + 7919) % A.Keys.size();
    }
}
BENCHMARK(BM_UnorderedMapFind);
TVCORE_BENCH_RATIO("BM_ImgSearchFileFromHash", "BM_UnorderedMapFind", "goal <= 1.5");

// The literal chain walk, for comparison with the index.
void BM_ImgSearchFileInChain(benchmark::State& State)
{
    FBenchArchives& A = Archives();
    std::size_t i = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(A.Many->SearchFileInChain(A.Queries[i].c_str()));
        i = (i + 7919) % A.Queries.size();
    }
}
BENCHMARK(BM_ImgSearchFileInChain);
TVCORE_BENCH_RATIO("BM_ImgSearchFileInChain", "BM_UnorderedMapFind", "information: the chain walk without the index");

} // namespace
