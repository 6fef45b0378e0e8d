// The transfer of one URL into a temporary file with libcurl, and the plain download that moves
// the finished file into place.
//
// Each transfer keeps its state in its own record, handed to every callback: the file, the
// status of the last response and the manager whose cancel and pause flags it obeys. Pausing
// is a flag the transfer's own callbacks act on (they hold the transfer on the worker while it
// is set): libcurl's pause call may only be made from inside its callbacks.
#include "base/tvPrelude.h"
#include "net/tvDownloadTransfer.h"
#include "net/tvHttpHeaderParse.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"
#include "tvCore/core/tvThreadMgr.h"
#include "platform/tvPlatformDebug.h"
#include "platform/tvPlatformFileReplace.h"
#include "platform/tvPlatformStdio.h"

#include <curl/curl.h>

namespace Tolvane {
namespace Net {

namespace {

// The request headers, in the order they are sent. Neither an Accept-Encoding (the transfer
// would store the compressed bytes, and a range of them cannot resume a decoded file) nor a
// Host line (libcurl derives it from the URL of every request, redirects and HTTPS included).
const char* const GRequestHeaders[] = {
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, application/x-ms-application, "
    "application/x-ms-xbap, application/vnd.ms-xpsdocument, application/xaml+xml, */*",
    "Accept-Language: zh-cn",
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322; .NET CLR 2.0.50727; "
    "InfoPath.2; .NET CLR 3.0.04506.648; .NET CLR 3.5.21022; AskTbFXTV5/5.11.3.15590; .NET CLR 3.0.4506.2152; "
    ".NET CLR 3.5.30729; .NET4.0C; .NET4.0E)",
    "Connection: Keep-Alive",
};

constexpr long GConnectTimeoutSeconds = 30;
// A redirect loop ends as a failure after this many hops instead of running for ever.
constexpr long GMaxRedirects = 10;
// The receive buffer of libcurl and the stream buffer of the file: large enough that one
// write call moves a good part of a megabyte.
constexpr long GReceiveBufferBytes = 512 * 1024;
constexpr unsigned GFileBufferBytes = 1024 * 1024;
// How long a held (paused) transfer sleeps between looks at its flags.
constexpr int GPausePollMilliseconds = 10;
// libcurl's code for an unsuccessful status, as the download counts it.
constexpr int GStatusFailureCode = 10;

char GTrustedCaFile[4096];  // under the library-wide critical section; "" for the system's

enum class EOutcome { Done, Failed, RestartFromZero };

struct FTransfer {
    CDownLoadMgr* Owner = nullptr;
    std::FILE* File = nullptr;
    int Status = -1;             // the code of the last status line
    bool StatusOk = false;       // that code was a success
    std::int64_t RangeTotal = -1;  // the complete length a Content-Range of that response gave
};

// Holds the transfer while the host has it paused; false when it is cancelled.
bool HoldWhilePaused(CDownLoadMgr& Owner)
{
    while (Owner.PauseRequested.load(std::memory_order_acquire) && !Owner.Cancelled.load(std::memory_order_acquire))
        appSleep(GPausePollMilliseconds);
    return !Owner.Cancelled.load(std::memory_order_acquire);
}

// The status parser: every status line (each response of a redirect chain, HTTP/1.x and
// HTTP/2) sets the status; the last one decides.
std::size_t OnHeaderLine(char* Line, std::size_t Size, std::size_t Count, void* Context)
{
    FTransfer& Transfer = *static_cast<FTransfer*>(Context);
    const std::size_t Bytes = Size * Count;
    const int Code = ParseStatusLine(Line, Bytes);
    if (Code >= 0) {
        Transfer.Status = Code;
        Transfer.StatusOk = IsSuccessStatus(Code);
        Transfer.RangeTotal = -1;
        GStatusOk.store(Transfer.StatusOk, std::memory_order_relaxed);
    } else {
        const std::int64_t Total = ParseContentRangeTotal(Line, Bytes);
        if (Total >= 0)
            Transfer.RangeTotal = Total;
    }
    return Bytes;
}

// The gated file writer: only the body of a successful response reaches the file.
std::size_t OnBody(char* Data, std::size_t Size, std::size_t Count, void* Context)
{
    FTransfer& Transfer = *static_cast<FTransfer*>(Context);
    if (!Transfer.StatusOk || !HoldWhilePaused(*Transfer.Owner))
        return 0;
    return std::fwrite(Data, Size, Count, Transfer.File);
}

int OnProgress(void* Context, curl_off_t Total, curl_off_t Received, curl_off_t, curl_off_t)
{
    FTransfer& Transfer = *static_cast<FTransfer*>(Context);
    if (!HoldWhilePaused(*Transfer.Owner))
        return 1;
    return Transfer.Owner->Progress(static_cast<double>(Total), static_cast<double>(Received));
}

// The transfer of Url into the file at TempPath. With AllowResume, a file that holds bytes is
// continued from its end.
EOutcome Transfer(const char* Url, const char* TempPath, bool AllowResume, CDownLoadMgr& Owner)
{
    std::int64_t Length = static_cast<std::int64_t>(FileLengthOf(TempPath));
    bool Resuming = AllowResume && Length > 0;
    std::FILE* File = Platform::StdioOpen(TempPath, Resuming ? "ab+" : "wb");
    if (!File) {
        Resuming = false;
        Length = 0;
        File = Platform::StdioOpen(TempPath, "wb");
        if (!File)
            return EOutcome::Failed;
    }
    void* FileBuffer = GMalloc->Malloc(GFileBufferBytes);
    if (FileBuffer)
        std::setvbuf(File, static_cast<char*>(FileBuffer), _IOFBF, GFileBufferBytes);

    char Trace[64];
    std::snprintf(Trace, sizeof Trace, "DownLoadFile last size %lld", static_cast<long long>(Length));
    Platform::DebugOutput(Trace);

    char CaFile[sizeof GTrustedCaFile];
    {
        FCriticalSection Lock;
        std::memcpy(CaFile, GTrustedCaFile, sizeof CaFile);
    }

    FTransfer State;
    State.Owner = &Owner;
    State.File = File;
    CURLcode Result = CURLE_FAILED_INIT;
    CURL* Easy = curl_easy_init();
    if (Easy) {
        GCurrentEasy.store(Easy);
        curl_slist* Headers = nullptr;
        bool HeadersOk = true;
        for (const char* Header : GRequestHeaders) {
            curl_slist* Longer = curl_slist_append(Headers, Header);
            HeadersOk = HeadersOk && Longer;
            Headers = Longer ? Longer : Headers;
        }
        curl_easy_setopt(Easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(Easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(Easy, CURLOPT_MAXREDIRS, GMaxRedirects);
        curl_easy_setopt(Easy, CURLOPT_HTTPHEADER, Headers);
        curl_easy_setopt(Easy, CURLOPT_URL, Url);
        curl_easy_setopt(Easy, CURLOPT_CONNECTTIMEOUT, GConnectTimeoutSeconds);
        curl_easy_setopt(Easy, CURLOPT_HEADERFUNCTION, &OnHeaderLine);
        curl_easy_setopt(Easy, CURLOPT_HEADERDATA, &State);
        if (Resuming) {
            curl_easy_setopt(Easy, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(Length));
            Owner.Progress(0.0, static_cast<double>(Length));
        }
        curl_easy_setopt(Easy, CURLOPT_FAILONERROR, 0L);
        curl_easy_setopt(Easy, CURLOPT_WRITEDATA, &State);
        curl_easy_setopt(Easy, CURLOPT_WRITEFUNCTION, &OnBody);
        curl_easy_setopt(Easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(Easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
        curl_easy_setopt(Easy, CURLOPT_XFERINFODATA, &State);
        curl_easy_setopt(Easy, CURLOPT_BUFFERSIZE, GReceiveBufferBytes);
        if (CaFile[0])
            curl_easy_setopt(Easy, CURLOPT_CAINFO, CaFile);
        Result = HeadersOk ? curl_easy_perform(Easy) : CURLE_OUT_OF_MEMORY;
        curl_slist_free_all(Headers);
        curl_easy_cleanup(Easy);
        GCurrentEasy.store(nullptr);
    }

    EOutcome Outcome = EOutcome::Failed;
    const bool Cancelled = Owner.Cancelled.load();
    if (!Cancelled && Resuming && Result == CURLE_OK && State.Status == 416 && State.RangeTotal == Length) {
        // The ".tmp" already holds the whole file: the server has no byte left to send.
        State.StatusOk = true;
        GStatusOk.store(true, std::memory_order_relaxed);
    } else if (!Cancelled && Resuming &&
               (Result == CURLE_RANGE_ERROR || (Result == CURLE_OK && State.Status == 416))) {
        // The server ignores ranges (a whole 200 answer), or the ".tmp" is longer than the file
        // and cannot be a part of it: only a transfer from the first byte can succeed.
        Outcome = EOutcome::RestartFromZero;
    }
    if (!State.StatusOk && Result == CURLE_OK)
        Result = static_cast<CURLcode>(GStatusFailureCode);
    if (Result == CURLE_OK && State.StatusOk)
        Outcome = EOutcome::Done;
    if (std::fclose(File) != 0 && Outcome == EOutcome::Done)
        Outcome = EOutcome::Failed;
    if (FileBuffer)
        GMalloc->Free(FileBuffer);
    return Outcome;
}

} // namespace

bool MakeTempPath(const char* LocalPath, char* Out)
{
    const int Written = std::snprintf(Out, GTempPathCapacity, "%s%s", LocalPath, GTempSuffix);
    return Written >= 0 && Written < GTempPathCapacity;
}

std::uint64_t FileLengthOf(const char* Path)
{
    std::FILE* File = Platform::StdioOpen(Path, "ab+");
    if (!File)
        return 0;
    const std::int64_t Length = Platform::StdioLength(File);
    std::fclose(File);
    return Length > 0 ? static_cast<std::uint64_t>(Length) : 0;
}

bool RunPlainDownload(const DownloadTask& Task, CDownLoadMgr& Owner)
{
    char TempPath[GTempPathCapacity];
    if (!MakeTempPath(Task.LocalPath, TempPath))
        return false;
    EOutcome Outcome = Transfer(Task.Url, TempPath, true, Owner);
    if (Outcome == EOutcome::RestartFromZero) {
        {
            // Nothing on disk counts any more: progress starts from zero with the new transfer.
            FScopedLock Guard(&Owner.StateLock);
            Owner.ResumeSize = 0;
            Owner.TotalBytes = 0.0;
            Owner.DoneBytes = 0.0;
        }
        Outcome = Transfer(Task.Url, TempPath, false, Owner);
    }
    // The finished file is made durable and takes the target's place in one step: the old
    // target stays whole until then.
    tvWChar WideTemp[GTempPathCapacity];
    tvWChar WideTarget[DownloadTask::TextCapacity];
    return Outcome == EOutcome::Done && Platform::StdioPathToLibrary(TempPath, WideTemp, GTempPathCapacity) &&
           Platform::StdioPathToLibrary(Task.LocalPath, WideTarget, DownloadTask::TextCapacity) &&
           Platform::FileReplace(WideTemp, WideTarget);
}

void SetTrustedCaFile(const char* Path)
{
    FCriticalSection Lock;
    GTrustedCaFile[0] = 0;
    if (Path && std::strlen(Path) < sizeof GTrustedCaFile)
        std::strcpy(GTrustedCaFile, Path);
}

} // namespace Net
} // namespace Tolvane
