// The download manager: its state, the worker, the events delivered by Tick, and the one
// process-wide manager.
//
// The worker and the host's thread share the manager: the flags are atomic, and Thread, the
// sampled byte counts and the rate samples are guarded by StateLock. Events are always called
// outside the lock, so a receiver may start the next download from inside one.
#include "base/tvPrelude.h"
#include "tvCore/net/tvDownloadMgr.h"
#include "net/tvDownloadTransfer.h"
#include "tvCore/core/files/tvFileFunctions.h"
#include "tvCore/core/tvThreadMgr.h"
#include "tvCore/core/tvTime.h"
#include "platform/tvPlatformStdio.h"
#include "platform/tvPlatformThread.h"

#include <curl/curl.h>

namespace Tolvane {

IDownloadMgr* GDownloadMgr = nullptr;
DownloadTask* GDownloadTask = nullptr;
std::atomic<void*> GCurrentEasy{nullptr};
std::atomic<bool> GStatusOk{false};
std::atomic<double> GLastSampleTime{-1.0};

namespace {
// Progress reaches the host only once a download has run this long, and the sampled byte
// counts move on at most this often.
constexpr double GProgressPeriodSeconds = 10.0;
// Byte totals at or below this count as unknown (the single-precision 0.001).
constexpr double GMinimumTotal = static_cast<double>(0.001f);
constexpr double GBytesPerKilobyte = 1024.0;
// A time mark below zero means "not set yet".
constexpr double GNoSampleTime = -1.0;

// Copies Text into a fixed buffer; false (the buffer left as it was) when it does not fit.
bool CopyText(char (&Out)[DownloadTask::TextCapacity], const char* Text)
{
    if (!Text || std::strlen(Text) >= sizeof Out)
        return false;
    std::strcpy(Out, Text);
    return true;
}
} // namespace

IDownloadMgr::~IDownloadMgr() = default;

CDownLoadMgr::CDownLoadMgr()
    : Task(nullptr), Thread(nullptr), Succeeded(false), Finished(false), UseLogin(false), User(), Password(), Url(),
      Events(nullptr), MaxSamples(1000.0), ResumeSize(0), TotalBytes(0.0), DoneBytes(0.0), StartTime(0.0),
      LastTickTime(0.0), Cancelled(false), PauseRequested(false), Worker(nullptr), SyncRunning(false),
      FinishedCancelled(false), FinishedUrl()
{
    Task = new DownloadTask;
    if (Task) {
        Task->Url[0] = 0;
        Task->LocalPath[0] = 0;
        Task->Owner = this;
        if (!GDownloadTask)
            GDownloadTask = Task;
    }
    curl_global_init(CURL_GLOBAL_ALL);
}

CDownLoadMgr::~CDownLoadMgr()
{
    // A running download is cancelled and waited for: the worker uses this object to its end.
    Cancelled.store(true);
    PauseRequested.store(false);
    // The last worker is waited for even when it has cleared Thread: it may still be leaving
    // StateLock. A handle of an ended thread returns at once.
    tvHandle Running = nullptr;
    {
        FScopedLock Guard(&StateLock);
        Running = Worker;
    }
    if (Running)
        Platform::ThreadWaitForEnd(Running, Platform::GInfiniteWait);
    Thread = nullptr;
    if (Task) {
        if (GDownloadTask == Task)
            GDownloadTask = nullptr;
        Task->Owner = nullptr;
        delete Task;
        Task = nullptr;
    }
    curl_global_cleanup();
    Samples.RemoveAll(1);
}

void CDownLoadMgr::SetEvents(IDownloadEvents* InEvents) { Events = InEvents; }

int CDownLoadMgr::DownloadFile(const char* InUrl, const char* LocalPath, int, int, int)
{
    return Start(InUrl, LocalPath, false);
}

int CDownLoadMgr::DownloadFileAsync(const char* InUrl, const char* LocalPath, int, int, int)
{
    return Start(InUrl, LocalPath, true);
}

int CDownLoadMgr::Start(const char* InUrl, const char* LocalPath, bool Async)
{
    if (!Task)
        return -1;
    {
        FScopedLock Guard(&StateLock);
        if (Thread || SyncRunning)
            return -2;
        // Texts that do not fit their buffers are refused whole: a cut URL or path would
        // fetch or write something else than asked.
        char TempPath[Net::GTempPathCapacity];
        if (!InUrl || !*InUrl || !LocalPath || !*LocalPath || std::strlen(InUrl) >= sizeof Url ||
            !Net::MakeTempPath(LocalPath, TempPath))
            return -1;
        CopyText(Url, InUrl);
        UseLogin = false;
        User[0] = 0;
        Password[0] = 0;
        ResumeSize = 0;
        TotalBytes = 0.0;
        LiveTotal = LiveReceived = 0.0;
        DoneBytes = 0.0;
        Cancelled.store(false);
        PauseRequested.store(false);
        StartTime = LastTickTime = appGetHightSystemTime();
        Samples.RemoveAll();
        // The rate samples of this download measure from its own start.
        GLastSampleTime.store(GNoSampleTime);
        CopyText(Task->Url, InUrl);
        CopyText(Task->LocalPath, LocalPath);
        SyncRunning = !Async;
    }

    // Every directory on the path, outermost first.
    tvWChar WidePath[DownloadTask::TextCapacity];
    if (Platform::StdioPathToLibrary(Task->LocalPath, WidePath, DownloadTask::TextCapacity))
        appSafeCreateDirectory(WidePath, true);
    char TempPath[Net::GTempPathCapacity];
    Net::MakeTempPath(Task->LocalPath, TempPath);
    const std::uint64_t OnDisk = Net::FileLengthOf(TempPath);
    {
        FScopedLock Guard(&StateLock);
        ResumeSize = OnDisk;
    }

    if (!Async) {
        const bool Ok = Net::RunPlainDownload(*Task, *this);
        FScopedLock Guard(&StateLock);
        SyncRunning = false;
        return Ok ? 0 : -1;
    }

    {
        // The worker clears Thread under the same lock, so it cannot end before Thread is set.
        FScopedLock Guard(&StateLock);
        if (!CThreadMgr::CreateThreadWin(&Thread, &CDownLoadMgr::WorkerMain, this)) {
            Thread = nullptr;
            return -1;
        }
        Worker = Thread;
    }
    if (Events)
        Events->OnStart(Url, static_cast<double>(OnDisk) / GBytesPerKilobyte);
    return 0;
}

tvULong CDownLoadMgr::WorkerMain(void* Argument)
{
    CDownLoadMgr& Manager = *static_cast<CDownLoadMgr*>(Argument);
    const bool Ok = Manager.Task && Net::RunPlainDownload(*Manager.Task, Manager);
    FScopedLock Guard(&Manager.StateLock);
    Manager.Succeeded.store(Ok);
    Manager.FinishedCancelled = Manager.Cancelled.load();
    std::memcpy(Manager.FinishedUrl, Manager.Url, sizeof Manager.FinishedUrl);
    Manager.Finished.store(true);
    Manager.Thread = nullptr;
    return 0;
}

int CDownLoadMgr::Progress(double Total, double Received)
{
    if (Cancelled.load())
        return -1;
    const double Now = appGetHightSystemTime();
    FScopedLock Guard(&StateLock);
    LiveTotal = Total;
    LiveReceived = Received;
    double Mark = GLastSampleTime.load();
    if (Mark < 0.0) {
        Mark = Now;
        GLastSampleTime.store(Now);
    }
    if (Total <= GMinimumTotal)
        return 0;
    const double Elapsed = Now - Mark;
    // Kilobytes per second since the last mark; no sample before any time has passed.
    if (Elapsed > 0.0) {
        Samples.AddItem((Received - DoneBytes) / GBytesPerKilobyte / Elapsed);
        if (Samples.Num() > static_cast<int>(MaxSamples))
            Samples.RemoveAt(0);
    }
    if (Elapsed > GProgressPeriodSeconds) {
        TotalBytes = Total;
        DoneBytes = Received;
        GLastSampleTime.store(Now);
    }
    return 0;
}

void CDownLoadMgr::GetLiveCounts(double& Total, double& Received)
{
    FScopedLock Guard(&StateLock);
    Total = LiveTotal > 0.0 ? LiveTotal + static_cast<double>(ResumeSize) : 0.0;
    Received = LiveReceived + static_cast<double>(ResumeSize);
}

void CDownLoadMgr::Tick(int)
{
    enum class EReport { None, Success, Failure, Progress } Report = EReport::None;
    char ReportUrl[TextCapacity];
    double Total = 0.0, Received = 0.0, Rate = 0.0;
    {
        FScopedLock Guard(&StateLock);
        const double Now = appGetHightSystemTime();
        if (Finished.load()) {
            Finished.store(false);
            std::memcpy(ReportUrl, FinishedUrl, sizeof ReportUrl);
            if (Succeeded.load())
                Report = EReport::Success;
            else if (!FinishedCancelled)
                Report = EReport::Failure;
        } else if (Thread) {
            LastTickTime = Now;
            if (TotalBytes > GMinimumTotal) {
                const double Elapsed = std::max(Now - StartTime, 0.0);
                if (Samples.Num() > static_cast<int>(MaxSamples))
                    Samples.RemoveAt(0);
                double Sum = 0.0;
                for (double Sample : Samples)
                    Sum += Sample;
                Rate = Samples.Num() > 0 ? Sum / Samples.Num() : 0.0;
                if (Elapsed > GProgressPeriodSeconds) {
                    Report = EReport::Progress;
                    std::memcpy(ReportUrl, Url, sizeof ReportUrl);
                    Total = (TotalBytes + static_cast<double>(ResumeSize)) / GBytesPerKilobyte;
                    Received = (DoneBytes + static_cast<double>(ResumeSize)) / GBytesPerKilobyte;
                }
            }
        }
    }
    if (!Events)
        return;
    switch (Report) {
    case EReport::Success: Events->OnFinished(ReportUrl); break;
    case EReport::Failure: Events->OnFailed(ReportUrl); break;
    case EReport::Progress: Events->OnProgress(ReportUrl, Total, Received, Rate); break;
    case EReport::None: break;
    }
}

bool CDownLoadMgr::IsActive()
{
    FScopedLock Guard(&StateLock);
    return Thread || SyncRunning;
}

bool CDownLoadMgr::Pause()
{
    if (!IsActive())
        return false;
    PauseRequested.store(true);
    return true;
}

bool CDownLoadMgr::Resume()
{
    if (!IsActive())
        return false;
    PauseRequested.store(false);
    return true;
}

void CDownLoadMgr::Cancel()
{
    if (IsActive())
        Cancelled.store(true);
}

bool CDownLoadMgr::IsDownloading() { return IsActive(); }

IDownloadMgr* appCreateDownLoadMgr()
{
    if (!GDownloadMgr)
        GDownloadMgr = new CDownLoadMgr;
    return GDownloadMgr;
}

void appDestroyDownLoadMgr()
{
    // The interface's destructor is protected: the manager is deleted as what it was created as.
    delete static_cast<CDownLoadMgr*>(GDownloadMgr);
    GDownloadMgr = nullptr;
}

} // namespace Tolvane
