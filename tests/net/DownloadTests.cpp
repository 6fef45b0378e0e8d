// The download manager against real servers on 127.0.0.1: nginx for ordinary serving, ranges,
// 404, redirects, gzip and HTTPS with HTTP/2, and the scripted fault server for answers nginx
// does not give on request. After every download the target is either absent or byte-identical
// to the served file.
#include "net/NetServers.h"
#include "net/tvDownloadTransfer.h"
#include "base/tvFaultInjection.h"

#include <cerrno>

#include <gtest/gtest.h>

#include <tvCore/tvCore.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace Tolvane;
using namespace NetTest;

namespace {

// Every notice a download sent, in order.
struct FRecordedEvents : public IDownloadEvents {
    struct FProgress {
        std::string Url;
        double Total, Received, Rate, At;
    };
    std::vector<std::pair<std::string, double>> Starts;
    std::vector<FProgress> Progress;
    std::vector<std::string> Finished, Failed;
    std::chrono::steady_clock::time_point Origin = std::chrono::steady_clock::now();

    double Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - Origin).count();
    }
    void OnProgress(const char* Url, double Total, double Received, double Rate) override
    {
        Progress.push_back({Url, Total, Received, Rate, Seconds()});
    }
    void OnFailed(const char* Url) override { Failed.push_back(Url); }
    void OnFinished(const char* Url) override { Finished.push_back(Url); }
    void OnStart(const char* Url, double Kilobytes) override { Starts.push_back({Url, Kilobytes}); }
    size_t Ends() const { return Finished.size() + Failed.size(); }
};

std::vector<unsigned char> ReadAll(const std::string& Path)
{
    std::vector<unsigned char> Bytes;
    if (std::FILE* File = std::fopen(Path.c_str(), "rb")) {
        unsigned char Buffer[65536];
        std::size_t Got;
        while ((Got = std::fread(Buffer, 1, sizeof Buffer, File)) > 0)
            Bytes.insert(Bytes.end(), Buffer, Buffer + Got);
        std::fclose(File);
    }
    return Bytes;
}

void WriteAll(const std::string& Path, const std::vector<unsigned char>& Bytes)
{
    std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()),
                                                static_cast<std::streamsize>(Bytes.size()));
}

bool Exists(const std::string& Path) { return std::filesystem::exists(Path); }

class DownloadManager : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Nginx = new FNginx;
        NginxUp = Nginx->Start();
        Nginx->Serve("file.bin", Pattern(0, FileSize));
        Nginx->Serve("norange/file.bin", Pattern(0, FileSize));
        std::string Text;
        while (Text.size() < 256 * 1024)
            Text += "The quick brown fox jumps over the lazy dog. ";
        Nginx->Serve("gz/text.txt", std::vector<unsigned char>(Text.begin(), Text.end()));
        Faults = new FFaultServer;
        FaultsUp = Faults->Start();
        if (Nginx->Tls())
            Net::SetTrustedCaFile(Nginx->CertificateFile().c_str());
    }
    static void TearDownTestSuite()
    {
        Net::SetTrustedCaFile(nullptr);
        delete Faults;
        delete Nginx;
        Faults = nullptr;
        Nginx = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(NginxUp) << "nginx (nginx-light) did not start on 127.0.0.1";
        ASSERT_TRUE(FaultsUp) << "the fault server (python3) did not start";
        ASSERT_TRUE(Folder.Ok());
        Manager = appCreateDownLoadMgr();
        ASSERT_NE(Manager, nullptr);
        Manager->SetEvents(&Events);
    }
    void TearDown() override
    {
        appDestroyDownLoadMgr();
        EXPECT_EQ(GDownloadMgr, nullptr);
    }

    std::string Local(const std::string& Name) const { return Folder.Native(Name); }

    // Ticks like a host's frame loop until the download reports its end or Seconds pass.
    bool TickUntilEnd(double Seconds)
    {
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds);
        while (std::chrono::steady_clock::now() < Deadline) {
            Manager->Tick(0);
            if (Events.Ends() > 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Ticks for a while more, so that a second report would show.
    void TickFor(double Seconds)
    {
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds);
        while (std::chrono::steady_clock::now() < Deadline) {
            Manager->Tick(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    static constexpr std::size_t FileSize = 1024 * 1024 + 37;
    static FNginx* Nginx;
    static FFaultServer* Faults;
    static bool NginxUp, FaultsUp;
    FTempFolder Folder;
    IDownloadMgr* Manager = nullptr;
    FRecordedEvents Events;
};

FNginx* DownloadManager::Nginx = nullptr;
FFaultServer* DownloadManager::Faults = nullptr;
bool DownloadManager::NginxUp = false;
bool DownloadManager::FaultsUp = false;

TEST_F(DownloadManager, SynchronousDownloadCreatesMissingDirectoriesAndSendsNoEvents)
{
    const std::string Target = Local("a/b/c/file.bin");
    EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), Target.c_str(), 0, 0, 0), 0);
    EXPECT_EQ(ReadAll(Target), Pattern(0, FileSize));
    EXPECT_FALSE(Exists(Target + ".tmp"));
    Manager->Tick(0);
    EXPECT_TRUE(Events.Starts.empty());
    EXPECT_EQ(Events.Ends(), 0u);
    EXPECT_FALSE(Manager->IsDownloading());
}

TEST_F(DownloadManager, AsynchronousDownloadStartsFinishesOnceAndReplacesTheTarget)
{
    const std::string Target = Local("file.bin");
    WriteAll(Target, {'o', 'l', 'd'});
    const std::string Url = Nginx->Url("/file.bin");
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    ASSERT_EQ(Events.Starts.size(), 1u);
    EXPECT_EQ(Events.Starts[0], std::make_pair(Url, 0.0));
    ASSERT_TRUE(TickUntilEnd(20.0));
    TickFor(0.1);
    EXPECT_EQ(Events.Finished, std::vector<std::string>{Url});
    EXPECT_TRUE(Events.Failed.empty());
    EXPECT_FALSE(Manager->IsDownloading());
    EXPECT_EQ(ReadAll(Target), Pattern(0, FileSize));
}

TEST_F(DownloadManager, ResumesFromTheBytesOfTheTemporaryFile)
{
    const std::string Target = Local("file.bin");
    const std::size_t Have = 300 * 1024 + 5;
    WriteAll(Target + ".tmp", Pattern(0, Have));
    const std::string Url = Nginx->Url("/file.bin");
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    ASSERT_EQ(Events.Starts.size(), 1u);
    EXPECT_DOUBLE_EQ(Events.Starts[0].second, Have / 1024.0);
    ASSERT_TRUE(TickUntilEnd(20.0));
    EXPECT_EQ(Events.Finished.size(), 1u);
    EXPECT_EQ(ReadAll(Target), Pattern(0, FileSize));
}

// A server that ignores the range: the ".tmp" cannot be continued, the worker starts again from
// byte 0 and the host sees one start and one end.
TEST_F(DownloadManager, AsynchronousRestartFromTheFirstByte)
{
    const std::string Target = Local("file.bin");
    WriteAll(Target + ".tmp", std::vector<unsigned char>(999, 0xEE));
    const std::string Url = Nginx->Url("/norange/file.bin");
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    ASSERT_TRUE(TickUntilEnd(20.0));
    EXPECT_EQ(Events.Starts.size(), 1u);
    EXPECT_EQ(Events.Finished, std::vector<std::string>{Url});
    EXPECT_EQ(ReadAll(Target), Pattern(0, FileSize));
}

// Failures leave no target; the ".tmp" holds nothing of an error body. Synchronous results and
// the one OnFailed of the asynchronous form, over a table of failing answers.
TEST_F(DownloadManager, FailedAnswersWriteNothingAndReportOnce)
{
    struct FCase {
        const char* Name;
        std::string Url;
    };
    const FCase Cases[] = {
        {"404 from nginx", Nginx->Url("/missing.bin")},
        {"500 whose reason holds 2001", Faults->Url("/status/500/Error%202001")},
        {"redirect loop", Nginx->Url("/loop")},
        {"unused port", "http://127.0.0.1:" + std::to_string(FreePort()) + "/file.bin"},
    };
    int Held = 0;
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const std::string Target = Local(std::string("sync-") + std::to_string(Held));
        EXPECT_EQ(Manager->DownloadFile(Case.Url.c_str(), Target.c_str(), 0, 0, 0), -1);
        EXPECT_FALSE(Exists(Target));
        EXPECT_EQ(std::filesystem::file_size(Target + ".tmp"), 0u);

        FRecordedEvents Fresh;
        Manager->SetEvents(&Fresh);
        const std::string AsyncTarget = Local(std::string("async-") + std::to_string(Held));
        ASSERT_EQ(Manager->DownloadFileAsync(Case.Url.c_str(), AsyncTarget.c_str(), 0, 0, 0), 0);
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Fresh.Ends() == 0 && std::chrono::steady_clock::now() < Deadline) {
            Manager->Tick(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        for (int i = 0; i < 20; ++i)
            Manager->Tick(0);
        EXPECT_EQ(Fresh.Failed, std::vector<std::string>{Case.Url});
        EXPECT_TRUE(Fresh.Finished.empty());
        EXPECT_FALSE(Exists(AsyncTarget));
        Manager->SetEvents(&Events);
        Held += !Exists(Target) && !Exists(AsyncTarget) && Fresh.Failed.size() == 1;
    }
    std::printf("failing answers: %d of %zu cases held\n", Held, std::size(Cases));
}

// Answers that the transfer must turn into a whole, byte-identical file.
TEST_F(DownloadManager, FaultMatrixEndsWithTheServedBytes)
{
    struct FCase {
        const char* Name;
        std::string Url;
        std::vector<unsigned char> TempBefore;  // what the ".tmp" holds before the download
        int Attempts;                           // downloads until success
        std::vector<unsigned char> Expected;
    };
    std::string Text;
    while (Text.size() < 256 * 1024)
        Text += "The quick brown fox jumps over the lazy dog. ";
    const std::vector<unsigned char> Whole = Pattern(0, FileSize);
    std::vector<unsigned char> Longer = Whole;
    Longer.push_back(7);
    const std::vector<FCase> Cases = {
        {"302 to 200", Nginx->Url("/moved"), {}, 1, Whole},
        {"416: the .tmp already holds the whole file", Nginx->Url("/file.bin"), Whole, 1, Whole},
        {"416: the .tmp is longer than the file", Nginx->Url("/file.bin"), Longer, 1, Whole},
        {"200 to a range (nginx, ranges off)", Nginx->Url("/norange/file.bin"), std::vector<unsigned char>(999, 0xEE), 1,
         Whole},
        {"200 to a range (scripted)", Faults->Url("/norange/" + std::to_string(FileSize)),
         std::vector<unsigned char>(4096, 0xEE), 1, Whole},
        {"gzip offered by the server", Nginx->Url("/gz/text.txt"), {}, 1,
         std::vector<unsigned char>(Text.begin(), Text.end())},
        {"connection dropped mid-body, then resumed", Faults->Url("/drop/" + std::to_string(FileSize)), {}, 2, Whole},
    };
    int Held = 0;
    for (std::size_t i = 0; i < Cases.size(); ++i) {
        const FCase& Case = Cases[i];
        SCOPED_TRACE(Case.Name);
        const std::string Target = Local("fault-" + std::to_string(i));
        if (!Case.TempBefore.empty())
            WriteAll(Target + ".tmp", Case.TempBefore);
        for (int Attempt = 1; Attempt < Case.Attempts; ++Attempt) {
            EXPECT_EQ(Manager->DownloadFile(Case.Url.c_str(), Target.c_str(), 0, 0, 0), -1);
            EXPECT_FALSE(Exists(Target));
            EXPECT_GT(std::filesystem::file_size(Target + ".tmp"), 0u);
        }
        EXPECT_EQ(Manager->DownloadFile(Case.Url.c_str(), Target.c_str(), 0, 0, 0), 0);
        const bool Identical = ReadAll(Target) == Case.Expected;
        EXPECT_TRUE(Identical);
        EXPECT_FALSE(Exists(Target + ".tmp"));
        Held += Identical;
    }
    std::printf("fault matrix: %d of %zu cases held\n", Held, Cases.size());
}

// A file system that fails under the download: the old target stays whole, the failure is
// reported, and the next attempt (from what the ".tmp" kept) ends byte-identical.
TEST_F(DownloadManager, FailingFileSystemKeepsTheOldTarget)
{
    using Faults::ESystemCall;
    const struct {
        const char* Name;
        ESystemCall Call;
        int At;
        bool Sticky;
    } Cases[] = {
        {"every open fails", ESystemCall::Open, 1, true},
        {"the commit to disk fails", ESystemCall::Sync, 1, false},
        {"the rename over the target fails", ESystemCall::Rename, 1, false},
    };
    const std::vector<unsigned char> Old = {'o', 'l', 'd'};
    int Held = 0;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const std::string Target = Local(std::string("kept-") + std::to_string(Held));
        WriteAll(Target, Old);
        Faults::Clear();
        Faults::Arm(Case.Call, Case.At, Case.Call == ESystemCall::Sync ? ENOSPC : EIO, Case.Sticky);
        const int Failed = Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), Target.c_str(), 0, 0, 0);
        Faults::Clear();
        EXPECT_EQ(Failed, -1);
        const bool OldKept = ReadAll(Target) == Old;
        EXPECT_TRUE(OldKept);
        EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), Target.c_str(), 0, 0, 0), 0);
        const bool Identical = ReadAll(Target) == Pattern(0, FileSize);
        EXPECT_TRUE(Identical);
        Held += Failed == -1 && OldKept && Identical;
    }
    std::printf("failing file system: %d of %zu cases held\n", Held, std::size(Cases));
}

TEST_F(DownloadManager, HttpsWithHttp2SetsTheStatus)
{
    ASSERT_TRUE(Nginx->Tls()) << "nginx did not start its HTTPS server (openssl missing?)";
    const std::string Target = Local("tls.bin");
    EXPECT_EQ(Manager->DownloadFile(Nginx->TlsUrl("/file.bin").c_str(), Target.c_str(), 0, 0, 0), 0);
    EXPECT_EQ(ReadAll(Target), Pattern(0, FileSize));
    EXPECT_NE(Nginx->TlsLog().find("HTTP/2.0 200 /file.bin"), std::string::npos) << Nginx->TlsLog();
    EXPECT_EQ(Manager->DownloadFile(Nginx->TlsUrl("/missing").c_str(), Local("none").c_str(), 0, 0, 0), -1);
    EXPECT_FALSE(Exists(Local("none")));
}

TEST_F(DownloadManager, BusyManagerRefusesAndEventsKeepTheRunningUrl)
{
    const std::size_t Size = 40 * 1024;
    const std::string Url = Faults->Url("/slow/" + std::to_string(Size) + "/20");
    const std::string Target = Local("slow.bin");
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    EXPECT_TRUE(Manager->IsDownloading());
    EXPECT_EQ(Manager->DownloadFileAsync(Nginx->Url("/file.bin").c_str(), Local("other").c_str(), 0, 0, 0), -2);
    EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), Local("other").c_str(), 0, 0, 0), -2);
    EXPECT_FALSE(Exists(Local("other.tmp")));
    ASSERT_TRUE(TickUntilEnd(20.0));
    EXPECT_EQ(Events.Finished, std::vector<std::string>{Url});
    EXPECT_EQ(Events.Starts.size(), 1u);
    EXPECT_EQ(ReadAll(Target), Pattern(0, Size));
    EXPECT_FALSE(Exists(Local("other")));
}

TEST_F(DownloadManager, CancelEndsWithoutEventsAndKeepsTheTemporaryFile)
{
    const std::size_t Size = 200 * 1024;
    const std::string Url = Faults->Url("/slow/" + std::to_string(Size) + "/20");
    const std::string Target = Local("slow.bin");
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    TickFor(1.0);
    Manager->Cancel();
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Manager->IsDownloading() && std::chrono::steady_clock::now() < Deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(Manager->IsDownloading());
    TickFor(0.3);
    EXPECT_EQ(Events.Ends(), 0u);
    EXPECT_FALSE(Exists(Target));
    // The ".tmp" keeps what arrived: a true prefix of the file, to resume from.
    const std::vector<unsigned char> Kept = ReadAll(Target + ".tmp");
    EXPECT_GT(Kept.size(), 0u);
    EXPECT_LT(Kept.size(), Size);
    EXPECT_EQ(Kept, Pattern(0, Kept.size()));
    EXPECT_FALSE(Manager->Pause());
    EXPECT_FALSE(Manager->Resume());
    // The next download of the target resumes from there and completes the file.
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    EXPECT_DOUBLE_EQ(Events.Starts.back().second, Kept.size() / 1024.0);
    ASSERT_TRUE(TickUntilEnd(30.0));
    EXPECT_EQ(Events.Finished, std::vector<std::string>{Url});
    EXPECT_EQ(ReadAll(Target), Pattern(0, Size));
}

TEST_F(DownloadManager, DestroyingTheManagerCancelsAndWaitsForTheDownload)
{
    const std::string Target = Local("slow.bin");
    ASSERT_EQ(Manager->DownloadFileAsync(Faults->Url("/slow/1000000/20").c_str(), Target.c_str(), 0, 0, 0), 0);
    ASSERT_TRUE(Manager->Pause());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    appDestroyDownLoadMgr();
    EXPECT_EQ(GCurrentEasy.load(), nullptr);
    EXPECT_FALSE(Exists(Target));
    EXPECT_TRUE(Exists(Target + ".tmp"));
    Manager = appCreateDownLoadMgr();
}

TEST_F(DownloadManager, OverLongTextsAreRefusedWhole)
{
    const std::string LongPath = Local(std::string(300, 'p'));
    const std::string LongUrl = Nginx->Url("/" + std::string(300, 'u'));
    EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), LongPath.c_str(), 0, 0, 0), -1);
    EXPECT_EQ(Manager->DownloadFileAsync(LongUrl.c_str(), Local("x").c_str(), 0, 0, 0), -1);
    EXPECT_EQ(Manager->DownloadFile(nullptr, Local("x").c_str(), 0, 0, 0), -1);
    EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), nullptr, 0, 0, 0), -1);
    EXPECT_EQ(Events.Starts.size(), 0u);
    EXPECT_FALSE(Manager->IsDownloading());
    EXPECT_TRUE(std::filesystem::is_empty(Local("")));
    // 259 characters fill the buffer and are taken whole (".tmp" has room of its own); 260 are not.
    std::string Edge = Local("");
    Edge += std::string(259 - Edge.size(), 'e');
    EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), (Edge + "f").c_str(), 0, 0, 0), -1);
    EXPECT_TRUE(std::filesystem::is_empty(Local("")));
    EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/file.bin").c_str(), Edge.c_str(), 0, 0, 0), 0);
    EXPECT_EQ(ReadAll(Edge), Pattern(0, FileSize));
}

// A slow download with a resumed start: no progress in the first 10 seconds, then progress that
// counts the bytes already on disk, a rate in kilobytes per second, and a pause that holds the
// transfer.
TEST_F(DownloadManager, SlowDownloadReportsProgressAfterTenSecondsAndPauses)
{
    const std::size_t Have = 10 * 1024;
    const std::size_t Size = Have + 300 * 1024;  // 300 pieces of 1 KiB, 40 ms apart: 12 s
    const std::string Url = Faults->Url("/slow/" + std::to_string(Size) + "/40");
    const std::string Target = Local("slow.bin");
    WriteAll(Target + ".tmp", Pattern(0, Have));
    Events.Origin = std::chrono::steady_clock::now();
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    ASSERT_EQ(Events.Starts.size(), 1u);
    EXPECT_DOUBLE_EQ(Events.Starts[0].second, 10.0);
    TickFor(2.0);
    const double PauseSeconds = 3.0;
    EXPECT_TRUE(Manager->Pause());
    TickFor(PauseSeconds);
    EXPECT_TRUE(Manager->IsDownloading());
    EXPECT_TRUE(Manager->Resume());
    ASSERT_TRUE(TickUntilEnd(40.0));
    ASSERT_EQ(Events.Finished, std::vector<std::string>{Url});
    EXPECT_EQ(ReadAll(Target), Pattern(0, Size));
    ASSERT_FALSE(Events.Progress.empty());
    for (const FRecordedEvents::FProgress& P : Events.Progress) {
        EXPECT_EQ(P.Url, Url);
        EXPECT_GT(P.At, 10.0);
        EXPECT_DOUBLE_EQ(P.Total, Size / 1024.0);
        EXPECT_GT(P.Received, Have / 1024.0);
        EXPECT_LE(P.Received, Size / 1024.0);
        EXPECT_TRUE(std::isfinite(P.Rate));
        EXPECT_GE(P.Rate, 0.0);
        EXPECT_LT(P.Rate, 100.0);  // the server sends 25 KiB/s at most
    }
}

// A paused transfer takes nothing more in: the server keeps sending (into the sockets' buffers),
// but what reaches the ".tmp" stops at the pause. Cancelled while paused, the ".tmp" holds no more
// than the server had sent by the time of the pause.
TEST_F(DownloadManager, PauseHoldsTheTransferUntilCancelled)
{
    const double BytesPerSecond = 1024 / 0.04;
    const std::string Url = Faults->Url("/slow/400000/40");
    const std::string Target = Local("paused.bin");
    const auto Start = std::chrono::steady_clock::now();
    ASSERT_EQ(Manager->DownloadFileAsync(Url.c_str(), Target.c_str(), 0, 0, 0), 0);
    TickFor(1.0);
    ASSERT_TRUE(Manager->Pause());
    const double PausedAt = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    TickFor(2.5);
    EXPECT_TRUE(Manager->IsDownloading());
    Manager->Cancel();
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Manager->IsDownloading() && std::chrono::steady_clock::now() < Deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(Manager->IsDownloading());
    TickFor(0.1);
    EXPECT_EQ(Events.Ends(), 0u);
    const std::vector<unsigned char> Kept = ReadAll(Target + ".tmp");
    EXPECT_GT(Kept.size(), 0u);
    EXPECT_LT(static_cast<double>(Kept.size()), (PausedAt + 1.0) * BytesPerSecond);
    EXPECT_EQ(Kept, Pattern(0, Kept.size()));
}

// A file of 3 GiB, resumed from past 2 GiB: the offset, the lengths and the progress are 64-bit.
// Served by nginx from a sparse file; the ".tmp" is a sparse copy of all but the last 2 MiB.
TEST_F(DownloadManager, ResumesPastTwoGigabytes)
{
    const std::uint64_t Size = 3ull << 30;
    const std::uint64_t Tail = 2u << 20;
    const std::vector<std::uint64_t> Marks = {0, (2ull << 30) + 1, Size - Tail - 10, Size - 100};
    auto MakeSparse = [&](const std::string& Path, std::uint64_t Length) {
        std::filesystem::resize_file(Path, Length);
        std::fstream File(Path, std::ios::in | std::ios::out | std::ios::binary);
        for (std::uint64_t Mark : Marks)
            if (Mark + 4 <= Length) {
                File.seekp(static_cast<std::streamoff>(Mark));
                File.write("MARK", 4);
            }
    };
    const std::string Served = Nginx->Native("www/big.bin");
    std::ofstream(Served).close();
    MakeSparse(Served, Size);
    const std::string Target = Local("big.bin");
    std::ofstream(Target + ".tmp").close();
    MakeSparse(Target + ".tmp", Size - Tail);
    EXPECT_EQ(Manager->DownloadFile(Nginx->Url("/big.bin").c_str(), Target.c_str(), 0, 0, 0), 0);
    ASSERT_EQ(std::filesystem::file_size(Target), Size);
    // The resumed tail and every mark are compared byte for byte.
    auto ReadAt = [](const std::string& Path, std::uint64_t Offset, std::size_t Length) {
        std::ifstream In(Path, std::ios::binary);
        In.seekg(static_cast<std::streamoff>(Offset));
        std::vector<char> Bytes(Length);
        In.read(Bytes.data(), static_cast<std::streamsize>(Length));
        return Bytes;
    };
    EXPECT_EQ(ReadAt(Target, Size - Tail - 4096, Tail + 4096), ReadAt(Served, Size - Tail - 4096, Tail + 4096));
    for (std::uint64_t Mark : Marks)
        EXPECT_EQ(ReadAt(Target, Mark, 4), ReadAt(Served, Mark, 4));
    std::filesystem::remove(Served);
}

TEST_F(DownloadManager, HttpPostSucceedsOnAnAnswerAndDiscardsTheBody)
{
    testing::internal::CaptureStdout();
    EXPECT_TRUE(appHttpPost(Nginx->Url("/file.bin").c_str(), 5));
    EXPECT_TRUE(appHttpPost(Nginx->Url("/missing").c_str(), 5));  // an answer, though an error status
    EXPECT_FALSE(appHttpPost(("http://127.0.0.1:" + std::to_string(FreePort()) + "/").c_str(), 5));
    EXPECT_FALSE(appHttpPost(nullptr, 5));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // The time-out ends a request that gets no answer in time.
    const auto Before = std::chrono::steady_clock::now();
    EXPECT_FALSE(appHttpPost(Faults->Url("/slow/100000/100").c_str(), 1));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - Before).count(), 5.0);
    EXPECT_NE(GHttpShare, nullptr);
}

} // namespace
