// One request with a time-out. Calls share a DNS cache through one share handle, whose lock
// functions make the sharing safe between threads.
#include "base/tvPrelude.h"
#include "tvCore/net/tvHttpPost.h"
#include "tvCore/net/tvDownloadMgr.h"
#include "tvCore/core/tvGlobals.h"

#include <curl/curl.h>

namespace Tolvane {

void* GHttpShare = nullptr;

namespace {
constexpr long GDnsCacheSeconds = 300;

// The share handle's data is guarded by the library-wide critical section; libcurl asks for
// the lock and its release in pairs on one thread.
void LockShare(CURL*, curl_lock_data, curl_lock_access, void*) { appEnterCriticalSection(); }
void UnlockShare(CURL*, curl_lock_data, void*) { appLeaveCriticalSection(); }

// The response body is not the host's business: it is read and dropped, never written to the
// host's standard output.
std::size_t DiscardBody(char*, std::size_t Size, std::size_t Count, void*) { return Size * Count; }

CURLSH* SharedDnsCache()
{
    FCriticalSection Lock;
    if (!GHttpShare) {
        CURLSH* Share = curl_share_init();
        if (Share) {
            curl_share_setopt(Share, CURLSHOPT_LOCKFUNC, &LockShare);
            curl_share_setopt(Share, CURLSHOPT_UNLOCKFUNC, &UnlockShare);
            curl_share_setopt(Share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        }
        GHttpShare = Share;
    }
    return static_cast<CURLSH*>(GHttpShare);
}
} // namespace

bool appHttpPost(const char* Url, int Timeout)
{
    if (!Url)
        return false;
    CURL* Easy = curl_easy_init();
    if (!Easy)
        return false;
    const long Seconds = Timeout > 0 ? Timeout : 0;
    curl_easy_setopt(Easy, CURLOPT_SHARE, SharedDnsCache());
    curl_easy_setopt(Easy, CURLOPT_DNS_CACHE_TIMEOUT, GDnsCacheSeconds);
    curl_easy_setopt(Easy, CURLOPT_URL, Url);
    curl_easy_setopt(Easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(Easy, CURLOPT_CONNECTTIMEOUT, Seconds);
    curl_easy_setopt(Easy, CURLOPT_TIMEOUT, Seconds);
    curl_easy_setopt(Easy, CURLOPT_WRITEFUNCTION, &DiscardBody);
    const CURLcode Result = curl_easy_perform(Easy);
    curl_easy_cleanup(Easy);
    return Result == CURLE_OK;
}

} // namespace Tolvane
