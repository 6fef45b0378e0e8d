// The package*member path syntax against opening the package once with minizip: reading 1,000
// small members of one package through GFileManager->CreateReader("Pkg*member") (star split,
// current-package shortcut, member table, checked inflate) against reading every member of the
// package, opened once, in directory order with minizip.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unzip.h>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

constexpr int MemberCount = 1000;

WideText MemberName(int Index)
{
    const std::string Name = "dir/member" + std::to_string(Index) + ".txt";
    return WideText(Name.begin(), Name.end());
}

// The package file system with one package of 1,000 members of 400 bytes each, made once.
FPackageFileSystem& Files()
{
    static FPackageFileSystem* Manager = [] {
        std::string Pattern = (std::filesystem::temp_directory_path() / "tvCoreBenchPkg-XXXXXX").string();
        const std::string Root = mkdtemp(Pattern.data()) ? Pattern + "/" : std::string("/tmp/");
        static const std::string Kept = Root;
        std::atexit([] { std::filesystem::remove_all(Kept); });
        FPackageFileSystem* Made = new FPackageFileSystem;
        GFileManager = Made;
        GIsEditor = 1;
        Made->SetDataRootDir(WideText(Root.begin(), Root.end()).c_str());
        Made->Initialize();
        std::string Text;
        for (int i = 0; i < 20; ++i)
            Text += "line of member text\n";
        for (int i = 0; i < MemberCount; ++i) {
            FFileWriter* Writer = Made->CreateWriter((TVTEXT("Pkg*") + MemberName(i)).c_str());
            if (Writer) {
                Writer->Serialize(Text.data(), static_cast<tvULong>(Text.size()));
                delete Writer;
            }
        }
        WideText Close = TVTEXT("CLOSE ALL");
        FString Output;
        Made->Exec(Close.data(), Output);
        return Made;
    }();
    return *Manager;
}


void BM_PackageFileSystemMembers(benchmark::State& State)
{
    FPackageFileSystem& Manager = Files();
    std::vector<WideText> Paths;
    for (int i = 0; i < MemberCount; ++i)
        Paths.push_back(TVTEXT("Pkg*") + MemberName(i));
    for (auto _ : State) {
        for (const WideText& Path : Paths) {
            FFileReader* Reader = Manager.CreateReader(Path.c_str());
            if (!Reader) {
                State.SkipWithError("member not read");
                return;
            }
            benchmark::DoNotOptimize(Reader->GetSize());
            delete Reader;
        }
    }
    State.SetItemsProcessed(State.iterations() * MemberCount);
}
BENCHMARK(BM_PackageFileSystemMembers)->Unit(benchmark::kMillisecond);

void BM_MinizipMembers(benchmark::State& State)
{
    const FPackageFileSystem& Manager = Files();
    std::string Root;
    for (const tvWChar* P = Manager.GetDataRootDir(); *P; ++P)
        Root += static_cast<char>(*P);
    unzFile Zip = unzOpen((Root + "Pkg.xup").c_str());
    if (!Zip) {
        State.SkipWithError("package not opened");
        return;
    }
    // The limit: every member in directory order, no lookup at all (unzLocateFile would scan the
    // directory for each name).
    std::vector<char> Buffer;
    for (auto _ : State) {
        int Read = 0;
        for (int Status = unzGoToFirstFile(Zip); Status == UNZ_OK; Status = unzGoToNextFile(Zip)) {
            unz_file_info Info;
            if (unzGetCurrentFileInfo(Zip, &Info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
                unzOpenCurrentFile(Zip) != UNZ_OK) {
                State.SkipWithError("member not read");
                unzClose(Zip);
                return;
            }
            Buffer.resize(Info.uncompressed_size);
            benchmark::DoNotOptimize(unzReadCurrentFile(Zip, Buffer.data(), static_cast<unsigned>(Buffer.size())));
            unzCloseCurrentFile(Zip);
            ++Read;
        }
        benchmark::DoNotOptimize(Read);
    }
    unzClose(Zip);
    State.SetItemsProcessed(State.iterations() * MemberCount);
}
BENCHMARK(BM_MinizipMembers)->Unit(benchmark::kMillisecond);
TVCORE_BENCH_RATIO("BM_PackageFileSystemMembers", "BM_MinizipMembers", "goal <= 1.2");

} // namespace
