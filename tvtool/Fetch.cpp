// tvtool fetch: one download through the library's download manager, resumable from its
// ".tmp", with a progress bar, and Ctrl+C cancelling cleanly.
#include "ToolCommon.h"
#include "Commands.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace tvtool {

using namespace Tolvane;

namespace {

const char* const FetchUsage = "tvtool fetch URL PATH [--force] [--quiet]";

const char* const FetchHelp =
    "Downloads URL (HTTP or HTTPS) into PATH with the library's download manager. The bytes\n"
    "go to PATH.tmp first, which replaces PATH when the download is complete. A download that\n"
    "fails, is killed or is cancelled with Ctrl+C keeps PATH.tmp: running the same command\n"
    "again resumes from there.\n"
    "\n"
    "A progress bar is drawn on a terminal; when standard error is not a terminal, a plain\n"
    "line is written at every tenth (--quiet: neither). An existing PATH is replaced only with\n"
    "--force.\n";

std::atomic<bool> GInterrupted{false};

void OnInterrupt(int) { GInterrupted = true; }

class FEvents : public IDownloadEvents {
public:
    std::atomic<int> Outcome{0};  // 0 running, 1 finished, -1 failed
    void OnProgress(const char*, double, double, double) override {}
    void OnFailed(const char*) override { Outcome = -1; }
    void OnFinished(const char*) override { Outcome = 1; }
    void OnStart(const char*, double) override {}
};

std::uint64_t FileSize(const std::string& Path)
{
    std::FILE* File = std::fopen(Path.c_str(), "rb");
    if (!File)
        return 0;
    std::fseek(File, 0, SEEK_END);
    const long Size = std::ftell(File);
    std::fclose(File);
    return Size > 0 ? static_cast<std::uint64_t>(Size) : 0;
}

int Fetch(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 2)
        return UsageError("fetch needs URL and PATH", FetchUsage);
    const std::string& Url = Line.Positionals[0];
    const std::string& Path = Line.Positionals[1];
    if (Url.size() >= static_cast<std::size_t>(CDownLoadMgr::TextCapacity) ||
        Path.size() + 4 >= static_cast<std::size_t>(CDownLoadMgr::TextCapacity))
        return Fail(Url.size() >= static_cast<std::size_t>(CDownLoadMgr::TextCapacity) ? Url : Path,
                    "too long for the download manager (259 bytes at most, the path 255)");
    if (IsDirectory(Path))
        return Fail(Path, "is a folder");
    if (PathExists(Path) && !GSettings.Force)
        return Fail(Path, "exists (use --force to replace it)");
    const std::string Temporary = Path + ".tmp";
    const std::uint64_t Resumed = FileSize(Temporary);
    if (Resumed > 0)
        Verbose("resuming from " + std::to_string(Resumed) + " bytes in " + Temporary);

    // Ctrl+C asks the download to stop; the ".tmp" stays for the next run.
    struct sigaction Action {};
    Action.sa_handler = &OnInterrupt;
    sigemptyset(&Action.sa_mask);
    sigaction(SIGINT, &Action, nullptr);

    IDownloadMgr* Manager = appCreateDownLoadMgr();
    CDownLoadMgr* Counts = dynamic_cast<CDownLoadMgr*>(Manager);
    FEvents Events;
    Manager->SetEvents(&Events);
    const int Started = Manager->DownloadFileAsync(Url.c_str(), Path.c_str(), 0, 0, 0);
    if (Started != 0) {
        appDestroyDownLoadMgr();
        return Fail(Url, Started == -2 ? "the download manager is busy" : "the download cannot start");
    }
    FProgress Progress("downloading", 0, true);
    bool Cancelled = false;
    while (Events.Outcome == 0) {
        Manager->Tick(0);
        if (Events.Outcome != 0)
            break;
        if (GInterrupted) {
            Manager->Cancel();
            Cancelled = true;
            break;
        }
        if (Counts) {
            double Total = 0.0, Received = 0.0;
            Counts->GetLiveCounts(Total, Received);
            Progress.SetTotal(static_cast<std::uint64_t>(Total));
            Progress.Set(static_cast<std::uint64_t>(Received));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (Events.Outcome > 0) {
        // The last counts may not have been shown: the whole file is there now.
        const std::uint64_t Size = FileSize(Path);
        Progress.SetTotal(Size);
        Progress.Set(Size);
    }
    Progress.Finish();
    appDestroyDownLoadMgr();
    if (Cancelled)
        return Fail(Url, "cancelled; " + Temporary + " keeps " + std::to_string(FileSize(Temporary)) +
                             " bytes (run the same command again to resume)");
    if (Events.Outcome < 0)
        return Fail(Url, "download failed; " + Temporary + " keeps " + std::to_string(FileSize(Temporary)) +
                             " bytes (run the same command again to resume)");
    return ExitOk;
}

const FSubcommand FetchCommands[] = {
    {"", Fetch, {nullptr, nullptr}},
    {nullptr, nullptr, {nullptr, nullptr}},
};

} // namespace

const FCommandGroup FetchGroup = {"fetch", "download a file over HTTP, resumable", FetchUsage, FetchHelp, FetchCommands};

} // namespace tvtool
