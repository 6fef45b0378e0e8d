// The demo host: loads the library and walks through what it offers, the way an engine's
// start-up would. Each section prints what it did; the exit code is 0 when everything held.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <cstdio>
#include <random>
#include <system_error>

using namespace Tolvane;

namespace {
int GFailures = 0;
} // namespace

void DemoCheck(bool Ok, const char* What)
{
    std::printf("  [%s] %s\n", Ok ? " ok " : "FAIL", What);
    if (!Ok)
        ++GFailures;
}

std::filesystem::path DemoMakeTempFolder(const char* Prefix)
{
    std::random_device Seed;
    std::mt19937 Random(Seed());
    std::error_code Error;
    const std::filesystem::path Temporary = std::filesystem::temp_directory_path(Error);
    for (int Attempt = 0; !Error && Attempt < 100; ++Attempt) {
        const std::filesystem::path Candidate = Temporary / (std::string(Prefix) + "-" + std::to_string(Random() % 1000000u));
        if (std::filesystem::create_directory(Candidate, Error))
            return Candidate;
    }
    return std::filesystem::path();
}

WideText DemoSeparator()
{
    return WideText(1, static_cast<tvWChar>(std::filesystem::path::preferred_separator));
}

void DemoFrame()
{
    std::printf("Frame: globals at load time\n");
    DemoCheck(GMalloc != nullptr, "GMalloc points at the default allocator");
    DemoCheck(GLog == nullptr && GFileManager == nullptr && GAppTime == nullptr, "singletons are null before start-up");
    DemoCheck(GRenderThreadId == 0xFFFFFFFFu, "no render thread yet");
    {
        FCriticalSection Outer;
        FCriticalSection Inner;
        DemoCheck(true, "library lock entered twice by one thread");
    }
}

void DemoAllocator()
{
    std::printf("Allocator\n");
    const int Before = GMalloc->MallocCount;
    void* Blocks[100];
    for (void*& Block : Blocks)
        Block = GMalloc->Malloc(64);
    for (void* Block : Blocks)
        GMalloc->Free(Block);
    std::printf("  100 blocks: %d mallocs counted, %.3f us spent in Malloc so far\n",
                GMalloc->MallocCount - Before, GMalloc->MallocTime * 1e6);
    DemoCheck(GMalloc->MallocCount - Before == 100, "every call counted");
}

void DemoClocks()
{
    std::printf("Clocks\n");
    FAppTime Time;
    Time.Init();
    const double Start = appGetHightSystemTime();
    double Now = Start;
    while (Now - Start < 0.01)
        Now = appGetHightSystemTime();
    const float Seconds = Time.Get();
    std::printf("  seconds clock %.6f s, tick %u ms, application time %.3f s\n", Now,
                static_cast<unsigned>(appGetTimeTick()), static_cast<double>(Seconds));
    DemoCheck(Now >= Start + 0.01, "seconds clock advances");
}

int main()
{
    std::printf("tvCore demo host\n");
    DemoFrame();
    DemoAllocator();
    DemoClocks();
    DemoContainers();
    DemoFiles();
    DemoTextFiles();
    DemoNames();
    DemoMath();
    DemoThreads();
    DemoImg();
    DemoNet();
    DemoHost();
    std::printf("%s\n", GFailures == 0 ? "demo: all checks held" : "demo: some checks FAILED");
    std::printf("Packages, IMG archives, INI, text and .lin files are made and looked into with the command-line\n"
                "tool build/gcc/tvtool/tvtool: README.md, section \"Command-line tool\", or 'tvtool --help'.\n");
    return GFailures == 0 ? 0 : 1;
}
