// The asynchronous side of the IMG file system: the request queue with its slots, the worker
// that serves them one 16384-byte chunk per pending request and pass, the notification queue
// that Tick delivers, and the asynchronous readers' ties to their file system.
//
// The worker never holds a slot's address while the async lock is released: it copies the slot
// under the lock, reads the chunk without it, and writes the slot back by index under the lock.
// While it reads, ServingSlot and ServingReader name the slot and the reader; DestroyRequest and
// a reader's destruction wait for that chunk, so a slot is never freed or reused under the
// worker, and a buffer or reader released after them is never written again.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgFileSystem.h"
#include "tvCore/img/tvImgAsyncReaders.h"
#include "tvCore/img/tvImgReaders.h"
#include "img/tvImgWorkerHooks.h"
#include "platform/tvPlatformThread.h"
#include "platform/tvPlatformWaitCounter.h"

namespace Tolvane {

std::atomic<FImgWorkerHook> GImgWorkerGoingIdle{nullptr};

READREQUEST::READREQUEST()
    : Buffer(nullptr), Loader(nullptr), Requester(nullptr), Start(0), Current(0), Size(0), Remaining(0), Item(nullptr),
      Callback(nullptr), Type(0), Reserved(0), Free(1), Notified(1), UserData(0)
{
}

namespace {

// Holds the async lock for a scope.
class FAsyncLockScope {
public:
    explicit FAsyncLockScope(FAsyncLock* InLock) : Lock(InLock) { Lock->Lock(); }
    ~FAsyncLockScope() { Lock->Unlock(); }
    FAsyncLockScope(const FAsyncLockScope&) = delete;
    FAsyncLockScope& operator=(const FAsyncLockScope&) = delete;

private:
    FAsyncLock* Lock;
};

} // namespace

void FImgFileSystem::WaitForProgress()
{
    const tvULong Seen = Platform::WaitCounterValue(Progress);
    AsyncLock.Unlock();
    Platform::WaitCounterWait(Progress, Seen, Platform::GInfiniteWait);
    AsyncLock.Lock();
}

void FImgFileSystem::WaitForServedChunk(int Index, const FFileAsyncReader* Reader)
{
    ++ChunkWaiters;
    while (ServingSlot >= 0 && (ServingSlot == Index || (Reader && ServingReader == Reader)))
        WaitForProgress();
    --ChunkWaiters;
}

tvULong FImgFileSystem::SendRequest(READREQUEST Request)
{
    FAsyncLockScope Scope(&AsyncLock);
    // Without a worker nothing would ever serve the request: refused rather than left waiting.
    if (!Thread || ExitRequested || WorkerEnded)
        return GReadRequestRefused;
    Request.Current = Request.Start;
    Request.Remaining = Request.Size;
    Request.Free = 0;
    Request.Notified = 0;
    int Index = 0;
    while (Index < RequestQueue.Num() && !RequestQueue[Index].Free)
        ++Index;
    if (Index < RequestQueue.Num())
        RequestQueue[Index] = Request;
    else if (RequestQueue.AddItem(Request) < 0)
        return GReadRequestRefused;
    // The worker clears the flag under this lock before it suspends itself, and a resume that
    // reaches it before it suspends is kept: no request waits for the next one.
    if (!ThreadRunning) {
        ThreadRunning = 1;
        Platform::ThreadResume(Thread);
    }
    return tvULong(Index);
}

void FImgFileSystem::SendNotify(READREQUEST Request)
{
    FAsyncLockScope Scope(&AsyncLock);
    NotifyQueue.AddItem(Request);
}

int FImgFileSystem::DestroyRequest(tvULong Handle)
{
    FAsyncLockScope Scope(&AsyncLock);
    if (!IsSlot(Handle) || RequestQueue[int(Handle)].Free)
        return 0;
    // Read no further: the worker passes over notified slots, and a chunk it reads now
    // completes without a notification.
    RequestQueue[int(Handle)].Notified = 1;
    WaitForServedChunk(int(Handle), nullptr);
    // Another thread may have freed it while this one waited.
    if (RequestQueue[int(Handle)].Free)
        return 0;
    RequestQueue[int(Handle)].Free = 1;
    // Waiters for this request return now.
    Platform::WaitCounterAdvance(Progress);
    return 1;
}

tvULong FImgFileSystem::GetRequestReadSize(tvULong Handle)
{
    FAsyncLockScope Scope(&AsyncLock);
    if (!IsSlot(Handle) || RequestQueue[int(Handle)].Free)
        return 0;
    const READREQUEST& Slot = RequestQueue[int(Handle)];
    return Slot.Size - Slot.Remaining;
}

void FImgFileSystem::WaitForRequest(tvULong Handle)
{
    FAsyncLockScope Scope(&AsyncLock);
    while (IsSlot(Handle) && !RequestQueue[int(Handle)].Free && RequestQueue[int(Handle)].Remaining != 0 &&
           Thread && !WorkerEnded)
        WaitForProgress();
}

int FImgFileSystem::GetRequestSlotCount()
{
    FAsyncLockScope Scope(&AsyncLock);
    return RequestQueue.Num();
}

int FImgFileSystem::GetPendingNotifyCount()
{
    FAsyncLockScope Scope(&AsyncLock);
    return NotifyQueue.Num();
}

void FImgFileSystem::Tick()
{
    for (;;) {
        READREQUEST Entry;
        {
            FAsyncLockScope Scope(&AsyncLock);
            if (NotifyQueue.Num() == 0)
                return;
            Entry = NotifyQueue[0];
            NotifyQueue.RemoveAt(0);
        }
        // Outside the lock: a callback may send or destroy requests.
        if (Entry.Callback)
            Entry.Callback(Entry);
    }
}

void FImgFileSystem::WaitForWoringThread()
{
    tvHandle Worker = nullptr;
    {
        FAsyncLockScope Scope(&AsyncLock);
        ExitRequested = 1;
        Worker = Thread;
        if (Worker && !ThreadRunning) {
            ThreadRunning = 1;
            Platform::ThreadResume(Worker);
        }
    }
    if (!Worker)
        return;
    Platform::ThreadWaitForEnd(Worker, Platform::GInfiniteWait);
    FAsyncLockScope Scope(&AsyncLock);
    Thread = nullptr;
}

tvULong FImgFileSystem::AsyncThreadProc(void* Argument)
{
    static_cast<FImgFileSystem*>(Argument)->ServeRequests();
    return 0;
}

void FImgFileSystem::ServeRequests()
{
    // The worker's two borrowing readers, attached to one requester at a time.
    FImgFileReaderSync ArchiveReader;
    ArchiveReader.SetLoaderLock(&LoaderLock);
    FRawFileReaderSync LooseReader;
    for (;;) {
        AsyncLock.Lock();
        if (ExitRequested)
            break;
        bool Pending = false;
        for (const READREQUEST& Slot : RequestQueue)
            if (!Slot.Free && !Slot.Notified) {
                Pending = true;
                break;
            }
        if (!Pending) {
            // Cleared under the lock that SendRequest takes: a request sent from here on
            // resumes the worker, and a resume given before it suspends is kept.
            ThreadRunning = 0;
            AsyncLock.Unlock();
            if (FImgWorkerHook Hook = GImgWorkerGoingIdle.load(std::memory_order_acquire))
                Hook();
            if (!Platform::ThreadSuspendSelf()) {
                AsyncLock.Lock();
                break;
            }
            continue;
        }
        AsyncLock.Unlock();
        // One pass: one chunk for each pending slot, in index order, the count re-read for each.
        for (int Index = 0; !ExitRequested && ServeChunk(Index, ArchiveReader, LooseReader); ++Index) {
        }
    }
    // Under the async lock: waiters learn that nothing more will be served.
    WorkerEnded = true;
    Platform::WaitCounterAdvance(Progress);
    AsyncLock.Unlock();
}

bool FImgFileSystem::ServeChunk(int Index, FImgFileReaderSync& ArchiveReader, FRawFileReaderSync& LooseReader)
{
    READREQUEST Request;
    {
        FAsyncLockScope Scope(&AsyncLock);
        if (Index >= RequestQueue.Num())
            return false;
        Request = RequestQueue[Index];
        // Free slots, and finished ones waiting to be destroyed, are passed over.
        if (Request.Free || Request.Notified)
            return true;
        ServingSlot = Index;
        ServingReader = Request.Requester;
    }

    const tvULong Chunk = Request.Remaining < GReadRequestChunk ? Request.Remaining : GReadRequestChunk;
    unsigned char* Dest = static_cast<unsigned char*>(Request.Buffer) + (Request.Current - Request.Start);
    if (Chunk != 0) {
        // A record sent without one of the two readers (SendRequest called directly) is read
        // through its item or loader alone, without a cache.
        if (Request.Type == GReadRequestArchive && Request.Item) {
            if (auto* Requester = dynamic_cast<FImgFileReaderAsync*>(Request.Requester))
                ArchiveReader.Attach(Requester, &Loader);
            else
                ArchiveReader.Attach(&Loader, Request.Item);
            ArchiveReader.SetCurrentPos(Request.Current);
            ArchiveReader.Read(Dest, Chunk);
            ArchiveReader.Detach();
        } else if (Request.Type == GReadRequestLooseFile) {
            if (auto* Requester = dynamic_cast<FRawFileReaderAsync*>(Request.Requester))
                LooseReader.Attach(Requester);
            else
                LooseReader.Attach(Request.Loader);
            LooseReader.SetCurrentPos(Request.Current);
            LooseReader.Read(Dest, Chunk);
            LooseReader.Detach();
        }
    }

    FAsyncLockScope Scope(&AsyncLock);
    READREQUEST& Slot = RequestQueue[Index];
    if (Slot.Remaining > GReadRequestChunk) {
        Slot.Current += GReadRequestChunk;
        Slot.Remaining -= GReadRequestChunk;
    } else {
        Slot.Remaining = 0;
        Slot.Current = Slot.Start + Slot.Size;
    }
    if (Slot.Remaining == 0 && !Slot.Notified) {
        // Requests without a callback (SyncRead) are not queued: Tick would only drop them, and
        // a host that reads synchronously without ticking would see the queue grow.
        if (Slot.Callback)
            NotifyQueue.AddItem(Slot);
        Slot.Notified = 1;
    }
    // Waiters are woken only when there is something for them: a finished request, or the
    // end of the chunk someone waits for (not after every chunk of a long request).
    if (Slot.Remaining == 0 || ChunkWaiters > 0)
        Platform::WaitCounterAdvance(Progress);
    ServingSlot = -1;
    ServingReader = nullptr;
    return true;
}

FImgFileSystem** FImgFileSystem::ReaderLink(FFileAsyncReader* Reader)
{
    if (auto* Archive = dynamic_cast<FImgFileReaderAsync*>(Reader))
        return &Archive->FileSystem;
    if (auto* Loose = dynamic_cast<FRawFileReaderAsync*>(Reader))
        return &Loose->FileSystem;
    return nullptr;
}

void FImgFileSystem::BindAsyncReader(FFileAsyncReader* Reader)
{
    FImgFileSystem** Link = ReaderLink(Reader);
    if (!Link || *Link == this)
        return;
    if (*Link)
        (*Link)->UnbindAsyncReader(Reader);
    FAsyncLockScope Scope(&AsyncLock);
    if (!ExitRequested && AsyncReaders.AddItem(Reader) >= 0)
        *Link = this;
}

void FImgFileSystem::UnbindAllAsyncReaders()
{
    FAsyncLockScope Scope(&AsyncLock);
    for (FFileAsyncReader* Reader : AsyncReaders) {
        *ReaderLink(Reader) = nullptr;
        // Its item lies in the directory about to be freed.
        if (auto* Archive = dynamic_cast<FImgFileReaderAsync*>(Reader))
            Archive->Item = nullptr;
    }
    AsyncReaders.RemoveAll(1);
}

void FImgFileSystem::UnbindAsyncReader(FFileAsyncReader* Reader)
{
    FImgFileSystem** Link = ReaderLink(Reader);
    if (!Link || *Link != this)
        return;
    FAsyncLockScope Scope(&AsyncLock);
    AsyncReaders.RemoveItem(Reader);
    *Link = nullptr;
    // Its requests are dropped: pending ones are read no further and never notified, finished
    // ones are forgotten (their handles can no longer be destroyed through the reader).
    // Completions already queued stay queued for Tick.
    for (READREQUEST& Slot : RequestQueue)
        if (!Slot.Free && Slot.Requester == Reader)
            Slot.Notified = 1;
    WaitForServedChunk(-1, Reader);
    for (READREQUEST& Slot : RequestQueue)
        if (!Slot.Free && Slot.Requester == Reader)
            Slot.Free = 1;
    Platform::WaitCounterAdvance(Progress);
}

} // namespace Tolvane
