// The download manager: one file at a time over HTTP into "<path>.tmp", which survives a failed
// attempt so that the next one resumes where it stopped, then replaces the target at once.
//
// The host takes the one manager from appCreateDownLoadMgr, gives it an IDownloadEvents of its
// own, starts DownloadFileAsync and calls Tick regularly (each frame): OnProgress, OnFinished and
// OnFailed arrive from Tick on the host's thread. Narrow texts (URLs, paths) are in the file
// system's encoding: UTF-8 on POSIX, the ANSI code page on Windows.
#pragma once

#include "tvCore/core/tvBase.h"
#include "tvCore/core/tvLock.h"
#include "tvCore/core/strings/tvArray.h"

#include <atomic>

namespace Tolvane {

// The receiver of a download's notices, implemented by the host and never deleted by the
// library. Kilobytes are bytes / 1024; the URL is the manager's copy of the download's URL.
class IDownloadEvents {
public:
    // From Tick while a download runs, and only after its first 10 seconds. Total and received
    // count the bytes already on disk when the download started. Rate is kilobytes per second,
    // averaged over the recent samples; never infinite or NaN.
    virtual void OnProgress(const char* Url, double TotalKilobytes, double ReceivedKilobytes, double Rate) = 0;
    // From Tick, once, after a failed download that was not cancelled.
    virtual void OnFailed(const char* Url) = 0;
    // From Tick, once, after a successful download.
    virtual void OnFinished(const char* Url) = 0;
    // Right after an asynchronous download starts, on the starting thread, with the kilobytes
    // the download resumes from.
    virtual void OnStart(const char* Url, double KilobytesOnDisk) = 0;

protected:
    IDownloadEvents() = default;
    IDownloadEvents(const IDownloadEvents&) = default;
    IDownloadEvents& operator=(const IDownloadEvents&) = default;
    virtual ~IDownloadEvents() = default;
};

// The manager's interface. The host never deletes it: appDestroyDownLoadMgr does.
class TVCORE_API IDownloadMgr {
public:
    virtual void SetEvents(IDownloadEvents* Events) = 0;
    // Downloads Url into LocalPath on the calling thread, sending no events. 0 done, -1 failed
    // (also for a null or over-long URL or path), -2 busy with another download. The three
    // further arguments are ignored.
    virtual int DownloadFile(const char* Url, const char* LocalPath, int Reserved1, int Reserved2, int Reserved3) = 0;
    // Starts the download on a worker thread and sends OnStart. 0 started, -1 refused (a null or
    // over-long URL or path, or no thread), -2 busy.
    virtual int DownloadFileAsync(const char* Url, const char* LocalPath, int Reserved1, int Reserved2, int Reserved3) = 0;
    // Delivers the notices of the running or finished download. The argument is ignored.
    virtual void Tick(int Reserved) = 0;
    // Holds the running transfer where it is (the connection stays open); false when idle.
    virtual bool Pause() = 0;
    // Lets a held transfer continue; false when idle.
    virtual bool Resume() = 0;
    // Ends the running download without any event; its ".tmp" keeps what was received.
    virtual void Cancel() = 0;
    virtual bool IsDownloading() = 0;

protected:
    IDownloadMgr() = default;
    IDownloadMgr(const IDownloadMgr&) = default;
    IDownloadMgr& operator=(const IDownloadMgr&) = default;
    virtual ~IDownloadMgr();
};

class CDownLoadMgr;

// The download in hand.
struct TVCORE_API DownloadTask : public FFundament {
    static constexpr int TextCapacity = 260;  // terminator included
    char Url[TextCapacity];
    char LocalPath[TextCapacity];
    CDownLoadMgr* Owner;
};

class TVCORE_API CDownLoadMgr : public IDownloadMgr, public FFundament {
public:
    static constexpr int TextCapacity = DownloadTask::TextCapacity;

    CDownLoadMgr();
    ~CDownLoadMgr() override;
    CDownLoadMgr(const CDownLoadMgr&) = delete;
    CDownLoadMgr& operator=(const CDownLoadMgr&) = delete;

    void SetEvents(IDownloadEvents* InEvents) override;
    int DownloadFile(const char* InUrl, const char* LocalPath, int Reserved1, int Reserved2, int Reserved3) override;
    int DownloadFileAsync(const char* InUrl, const char* LocalPath, int Reserved1, int Reserved2, int Reserved3) override;
    void Tick(int Reserved) override;
    bool Pause() override;
    bool Resume() override;
    void Cancel() override;
    bool IsDownloading() override;

    // The state below is shared between the host's thread and the worker: the flags are
    // atomic; Thread, the byte counts and Samples are guarded by StateLock.
    DownloadTask* Task;
    tvHandle Thread;                  // the worker; null when idle
    std::atomic<bool> Succeeded;      // outcome of the last finished asynchronous download
    std::atomic<bool> Finished;       // set by the worker when it ends, cleared by Tick
    bool UseLogin;                    // always false
    char User[TextCapacity];          // always empty
    char Password[TextCapacity];      // always empty
    char Url[TextCapacity];           // the key passed to events
    IDownloadEvents* Events;
    double MaxSamples;                // 1000: the cap of Samples
    std::uint64_t ResumeSize;         // bytes of the ".tmp" when the download started
    double TotalBytes;                // of the current transfer, as last sampled
    double DoneBytes;
    double StartTime;                 // seconds (appGetHightSystemTime)
    double LastTickTime;
    TArray<double> Samples;           // transfer rates in kilobytes per second, oldest first
    std::atomic<bool> Cancelled;

    // Beyond the interface's fields.
    std::atomic<bool> PauseRequested;  // the transfer's callbacks hold while it is set
    FThreadLock StateLock;
    tvHandle Worker;                   // the last worker, kept to wait for its end
    bool SyncRunning;                  // a synchronous download runs (under StateLock)
    bool FinishedCancelled;            // whether the finished download was cancelled
    char FinishedUrl[TextCapacity];    // the URL of the finished, unreported download

    // The progress function: called by the transfer with the byte counts of the current
    // transfer. Returns non-zero to abort (cancelled).
    int Progress(double Total, double Received);
    // The byte counts of the running transfer as the transfer last reported them (every call,
    // not every 10 seconds as the progress notices), the bytes that were on disk when the
    // download started included; Total is 0 while the size is not known. For progress bars.
    void GetLiveCounts(double& Total, double& Received);
    double LiveTotal = 0.0;     // of the current transfer, under StateLock
    double LiveReceived = 0.0;

private:
    int Start(const char* InUrl, const char* LocalPath, bool Async);
    bool IsActive();
    static tvULong WorkerMain(void* Argument);
};

// The process-wide state of the download manager.
extern TVCORE_API IDownloadMgr* GDownloadMgr;            // the one manager, created on demand
extern TVCORE_API DownloadTask* GDownloadTask;           // the task of the first manager constructed
extern TVCORE_API std::atomic<void*> GCurrentEasy;       // the transfer being performed, or null
extern TVCORE_API std::atomic<bool> GStatusOk;           // the last status line seen was a success
extern TVCORE_API std::atomic<double> GLastSampleTime;   // time mark of the rate samples (seconds)
extern TVCORE_API void* GHttpShare;                      // the DNS cache shared by appHttpPost

// The one manager, created on the first call.
TVCORE_API IDownloadMgr* appCreateDownLoadMgr();
// Deletes the manager; a running download is cancelled and waited for first.
TVCORE_API void appDestroyDownLoadMgr();

} // namespace Tolvane
