// Text files against the native reader alone, and the replay of a recorded run of small files
// against reading them natively. The files live in a temporary folder made on first use and
// removed at exit; reads come from the page cache after the first round.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

constexpr std::size_t GLargeBytes = 64u << 20;
constexpr int GSmallFiles = 10000;

struct FBenchFolder {
    std::string Root;
    FBenchFolder()
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / "tvCoreBench-XXXXXX").string();
        Root = mkdtemp(Pattern.data()) ? Pattern : std::string();
    }
    ~FBenchFolder()
    {
        std::error_code Ignored;
        if (!Root.empty())
            std::filesystem::remove_all(Root, Ignored);
    }
    WideText Path(const std::string& Name) const
    {
        const std::string Full = Root + "/" + Name;
        return WideText(Full.begin(), Full.end());
    }
    void Write(const std::string& Name, const std::vector<unsigned char>& Bytes) const
    {
        std::ofstream(Root + "/" + Name, std::ios::binary)
            .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
    }
};

FBenchFolder& Folder()
{
    static FBenchFolder Made;
    return Made;
}

// 64 MiB of UTF-16LE text with its mark (CJK and ASCII units, no 0), and 64 MiB of
// single-byte text (no 0 byte).
const WideText& LargeFile(bool Utf16)
{
    static WideText Names[2];
    WideText& Name = Names[Utf16 ? 1 : 0];
    if (Name.empty()) {
        std::vector<unsigned char> Bytes(GLargeBytes);
        if (Utf16) {
            Bytes[0] = 0xFF;
            Bytes[1] = 0xFE;
            for (std::size_t i = 2; i + 1 < Bytes.size(); i += 2) {
                const unsigned Unit = (i / 2) % 7 == 0 ? 0x4E2D : 'a' + (i / 2) % 26;
                Bytes[i] = static_cast<unsigned char>(Unit & 0xFF);
                Bytes[i + 1] = static_cast<unsigned char>(Unit >> 8);
            }
        } else {
            for (std::size_t i = 0; i < Bytes.size(); ++i)
                Bytes[i] = static_cast<unsigned char>(i % 80 == 79 ? '\n' : 0x20 + i % 95);
        }
        const std::string File = Utf16 ? "large16.txt" : "large8.txt";
        Folder().Write(File, Bytes);
        Name = Folder().Path(File);
    }
    return Name;
}

struct FManagerScope {
    FFileManager* Saved = GFileManager;
    explicit FManagerScope(FFileManager* With) { GFileManager = With; }
    ~FManagerScope() { GFileManager = Saved; }
};

void LoadText(benchmark::State& State, bool Utf16)
{
    const WideText& Name = LargeFile(Utf16);
    FFileManagerWin Native;
    FManagerScope Scope(&Native);
    for (auto _ : State) {
        FString Text;
        if (!appLoadFileToString(Text, Name.c_str()))
            State.SkipWithError("load failed");
        benchmark::DoNotOptimize(Text.GetLength());
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(GLargeBytes));
}

// The native reader alone: open, a buffer of the file's size from GMalloc, one read, close.
void NativeRead(benchmark::State& State, bool Utf16)
{
    const WideText& Name = LargeFile(Utf16);
    FFileManagerWin Native;
    for (auto _ : State) {
        FFileReader* Reader = Native.CreateReader(Name.c_str());
        const int Size = Reader->GetSize();
        void* Buffer = GMalloc->Malloc(static_cast<unsigned int>(Size));
        benchmark::DoNotOptimize(Reader->Read(Buffer, static_cast<tvULong>(Size)));
        GMalloc->Free(Buffer);
        delete Reader;
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(GLargeBytes));
}

void BM_LoadTextUtf16_64MiB(benchmark::State& State) { LoadText(State, true); }
void BM_NativeReadUtf16_64MiB(benchmark::State& State) { NativeRead(State, true); }
void BM_LoadTextSingleByte_64MiB(benchmark::State& State) { LoadText(State, false); }
void BM_NativeReadSingleByte_64MiB(benchmark::State& State) { NativeRead(State, false); }
BENCHMARK(BM_LoadTextUtf16_64MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NativeReadUtf16_64MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTextSingleByte_64MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NativeReadSingleByte_64MiB)->Unit(benchmark::kMillisecond);
TVCORE_BENCH_RATIO("BM_LoadTextUtf16_64MiB", "BM_NativeReadUtf16_64MiB", "goal <= 1.3");
TVCORE_BENCH_RATIO("BM_LoadTextSingleByte_64MiB", "BM_NativeReadSingleByte_64MiB", "reported: conversion through the code page");

// --- Replay of a recorded run of small files ---------------------------------------------------

// 10,000 files of 64 to 1,087 bytes, and the recording of one run that opens each and reads it
// whole ("run.lin").
const std::vector<WideText>& SmallFiles()
{
    static std::vector<WideText> Names;
    if (!Names.empty())
        return Names;
    for (int i = 0; i < GSmallFiles; ++i) {
        const std::string File = "small" + std::to_string(i) + ".bin";
        Folder().Write(File, std::vector<unsigned char>(64 + (i * 37) % 1024, static_cast<unsigned char>(i)));
        Names.push_back(Folder().Path(File));
    }
    FFileManager* Recorder = appLinearFileSystemInit(LOADINGMODE_Save);
    {
        FManagerScope Scope(Recorder);
        appLinearFileSystemStart(Folder().Path("run").c_str());
        std::vector<unsigned char> Buffer(2048);
        for (const WideText& Name : Names) {
            FFileReader* Reader = GFileManager->CreateReader(Name.c_str());
            Reader->Read(Buffer.data(), static_cast<tvULong>(Reader->GetSize()));
            delete Reader;
        }
        appLinearFileSystemEnd();
    }
    delete Recorder;
    return Names;
}

// Opens every file and reads it whole through the installed manager.
void ReadAll(const std::vector<WideText>& Names, std::vector<unsigned char>& Buffer)
{
    for (const WideText& Name : Names) {
        FFileReader* Reader = GFileManager->CreateReader(Name.c_str());
        benchmark::DoNotOptimize(Reader->Read(Buffer.data(), static_cast<tvULong>(Reader->GetSize())));
        delete Reader;
    }
}

void BM_ReplaySmallFiles(benchmark::State& State)
{
    const std::vector<WideText>& Names = SmallFiles();
    FFileManager* Replay = appLinearFileSystemInit(LOADINGMODE_Load);
    FManagerScope Scope(Replay);
    std::vector<unsigned char> Buffer(2048);
    const WideText Run = Folder().Path("run");
    for (auto _ : State) {
        appLinearFileSystemStart(Run.c_str());
        ReadAll(Names, Buffer);
        appLinearFileSystemEnd();
    }
    delete Replay;
    delete appLinearFileSystemInit(LOADINGMODE_Off);
}

void BM_NativeSmallFiles(benchmark::State& State)
{
    const std::vector<WideText>& Names = SmallFiles();
    FFileManagerWin Native;
    FManagerScope Scope(&Native);
    std::vector<unsigned char> Buffer(2048);
    for (auto _ : State)
        ReadAll(Names, Buffer);
}
BENCHMARK(BM_ReplaySmallFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NativeSmallFiles)->Unit(benchmark::kMillisecond);
TVCORE_BENCH_RATIO("BM_ReplaySmallFiles", "BM_NativeSmallFiles", "reported: replay reads one sequential file (< 1 expected)");

} // namespace
