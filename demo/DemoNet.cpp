// Demo section: a download with a progress bar, interrupted and resumed. A small server in this
// program serves a file on 127.0.0.1 at about 100 KiB/s (honouring ranges), so the download
// runs long enough for progress to arrive (the manager reports it after 10 seconds).
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace Tolvane;

namespace {

constexpr std::size_t GDemoFileSize = 1400 * 1024;
constexpr std::size_t GPiece = 5 * 1024;
constexpr int GPieceMilliseconds = 50;

unsigned char DemoByte(std::size_t i) { return static_cast<unsigned char>(i % 251); }

// One connection at a time: reads the request, answers 200 or 206 from its Range, paced.
class FDemoServer {
public:
    bool Start()
    {
        Listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t Length = sizeof Address;
        if (Listener < 0 || bind(Listener, reinterpret_cast<sockaddr*>(&Address), sizeof Address) != 0 ||
            listen(Listener, 4) != 0 || getsockname(Listener, reinterpret_cast<sockaddr*>(&Address), &Length) != 0)
            return false;
        Port = ntohs(Address.sin_port);
        Thread = std::thread([this] { Serve(); });
        return true;
    }
    ~FDemoServer()
    {
        Stopping = true;
        shutdown(Listener, SHUT_RDWR);
        close(Listener);
        if (Thread.joinable())
            Thread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(Port) + "/demo.bin"; }

private:
    void Serve()
    {
        while (!Stopping) {
            const int Client = accept(Listener, nullptr, nullptr);
            if (Client < 0)
                return;
            std::string Request;
            char Buffer[2048];
            while (Request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t Got = recv(Client, Buffer, sizeof Buffer, 0);
                if (Got <= 0)
                    break;
                Request.append(Buffer, static_cast<std::size_t>(Got));
            }
            std::size_t From = 0;
            const std::size_t Range = Request.find("Range: bytes=");
            if (Range != std::string::npos)
                From = std::strtoull(Request.c_str() + Range + 13, nullptr, 10);
            From = std::min(From, GDemoFileSize);
            char Head[256];
            std::snprintf(Head, sizeof Head,
                          Range != std::string::npos
                              ? "HTTP/1.1 206 Partial Content\r\nContent-Length: %zu\r\nContent-Range: bytes %zu-%zu/%zu\r\n\r\n"
                              : "HTTP/1.1 200 OK\r\nContent-Length: %zu\r\n\r\n",
                          GDemoFileSize - From, From, GDemoFileSize - 1, GDemoFileSize);
            bool Open = send(Client, Head, std::strlen(Head), MSG_NOSIGNAL) > 0;
            for (std::size_t At = From; Open && At < GDemoFileSize && !Stopping; At += GPiece) {
                unsigned char Piece[GPiece];
                const std::size_t Size = std::min(GPiece, GDemoFileSize - At);
                for (std::size_t i = 0; i < Size; ++i)
                    Piece[i] = DemoByte(At + i);
                Open = send(Client, Piece, Size, MSG_NOSIGNAL) == static_cast<ssize_t>(Size);
                std::this_thread::sleep_for(std::chrono::milliseconds(GPieceMilliseconds));
            }
            close(Client);
        }
    }

    int Listener = -1;
    int Port = 0;
    std::atomic<bool> Stopping{false};
    std::thread Thread;
};

struct FProgressBar : public IDownloadEvents {
    bool Finished = false, Failed = false;
    double StartKilobytes = -1.0;
    int Bars = 0;
    double Shown = -1.0;
    // Called on every Tick once the download has run 10 s; the counts move every 10 s, so the
    // bar is drawn when they change.
    void OnProgress(const char*, double Total, double Received, double Rate) override
    {
        if (Received == Shown)
            return;
        Shown = Received;
        const int Width = 30;
        const int Filled = Total > 0 ? static_cast<int>(Width * Received / Total) : 0;
        std::printf("  [%s%s] %6.0f / %.0f KB  %.1f KB/s\n", std::string(static_cast<std::size_t>(Filled), '#').c_str(),
                    std::string(static_cast<std::size_t>(Width - Filled), '.').c_str(), Received, Total, Rate);
        ++Bars;
    }
    void OnFailed(const char*) override { Failed = true; }
    void OnFinished(const char*) override { Finished = true; }
    void OnStart(const char* Url, double Kilobytes) override
    {
        StartKilobytes = Kilobytes;
        std::printf("  start %s from %.1f KB on disk\n", Url, Kilobytes);
    }
};

} // namespace

void DemoNet()
{
    std::printf("Downloads\n");
    FDemoServer Server;
    std::string Folder = (std::filesystem::temp_directory_path() / "tvDemoNet-XXXXXX").string();
    if (!Server.Start() || !mkdtemp(Folder.data())) {
        DemoCheck(false, "local server and folder");
        return;
    }
    const std::string Target = Folder + "/downloads/demo.bin";
    IDownloadMgr* Manager = appCreateDownLoadMgr();
    FProgressBar Bar;
    Manager->SetEvents(&Bar);

    // Interrupted: cancelled after two seconds, as a closed game would leave it.
    Manager->DownloadFileAsync(Server.Url().c_str(), Target.c_str(), 0, 0, 0);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    Manager->Cancel();
    while (Manager->IsDownloading())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Manager->Tick(0);
    const auto Kept = std::filesystem::file_size(Target + ".tmp");
    std::printf("  interrupted with %llu bytes in %s.tmp\n", static_cast<unsigned long long>(Kept), Target.c_str());

    // Resumed: the host ticks each frame; progress arrives once the download has run 10 s.
    Manager->DownloadFileAsync(Server.Url().c_str(), Target.c_str(), 0, 0, 0);
    DemoCheck(Bar.StartKilobytes == Kept / 1024.0, "the second download resumes from the bytes on disk");
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Bar.Finished && !Bar.Failed && std::chrono::steady_clock::now() < Deadline) {
        Manager->Tick(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    DemoCheck(Bar.Finished, "OnFinished arrived from Tick");
    DemoCheck(Bar.Bars > 0, "OnProgress drove the bar");
    bool Identical = std::filesystem::file_size(Target) == GDemoFileSize;
    if (std::FILE* File = std::fopen(Target.c_str(), "rb")) {
        for (std::size_t i = 0; Identical && i < GDemoFileSize; ++i)
            Identical = std::fgetc(File) == DemoByte(i);
        std::fclose(File);
    }
    DemoCheck(Identical, "the resumed file is byte-identical to the served one");
    appDestroyDownLoadMgr();
    std::error_code Ignored;
    std::filesystem::remove_all(Folder, Ignored);
}
