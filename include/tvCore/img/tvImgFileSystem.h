// The IMG archive file system: a file manager that serves reads out of one IMG archive (a
// packed tree of directories and files with a 64 x 64 hash table for lookups) and falls back
// to loose files on the disk for paths the archive does not hold. Writers always write loose
// files. The archive is named by key "Img" of section "Data" in "Engine/Engine.ini" under the
// data root directory. Layout of the archive file: docs/formats/img.md.
#pragma once

#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/files/tvFileArchive.h"
#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/tvAsyncLock.h"
#include "tvCore/img/tvImgLoader.h"

#include <atomic>

namespace Tolvane {

class FImgFileReaderSync;
class FRawFileReaderSync;

// One item of the archive's directory in memory (48 bytes on disk). Indices of the stored
// record are turned into references when the archive is loaded; 0 becomes null.
struct TVCORE_API _diFileItem {
    char* Name;              // zero-terminated name in the names block; null for item 0
    _diFileItem* LinkA;      // never followed; item 0 keeps its stored word here, widened
    _diFileItem* Parent;     // the directory the item sits in; null at the top level
    _diFileItem* LinkB;      // never followed
    tvULong Reserved16;      // words carried over unchanged
    tvULong Reserved20;
    tvULong Reserved24;
    tvULong Size;            // length of the item's data
    tvULong Offset;          // offset of the item's data in the archive
    tvULong Reserved36;
    tvULong Reserved40;
    _diFileItem* HashNext;   // next item of the same hash bucket; null ends the chain
};

// Sizes of the stored forms.
constexpr tvULong GImgHeaderSize = 36;
constexpr tvULong GImgItemSize = 48;
constexpr int GImgHashSide = 64;
constexpr tvULong GImgHashTableSize = GImgHashSide * GImgHashSide * 4;
constexpr tvULong GImgEmptyBucket = 0xFFFFFFFFu;
// Archive paths, names and lookup keys are at most this many bytes with their terminator; an
// archive path with its leading backslash fits too.
constexpr int GImgPathCapacity = 260;

// The bucket (A, B) of a zero-terminated archive path. Both outputs are required: a null one
// writes "di_assert: dihash[42]" to the debugger output and ends the process.
TVCORE_API void diHash(const char* Path, int* A, int* B);
// The archive path of Item ("%s\\%s" from the item up to the top level), with one leading
// backslash when LeadingRoot is set. Written into a buffer of GImgPathCapacity bytes that
// belongs to the calling thread and is overwritten by its next call; "" for a null item.
TVCORE_API const char* diGetFullPath(const _diFileItem* Item, int LeadingRoot);

// One asynchronous read request: a slot of the file system's request queue, and the record a
// completion callback receives a copy of.
struct TVCORE_API READREQUEST {
    void* Buffer;                  // destination of the data
    FImgLoader* Loader;            // loose-file requests: the reader's loader; archive requests: null
    FFileAsyncReader* Requester;   // the reader that sent the request
    tvULong Start;                 // the reader's position when the request was sent
    tvULong Current;               // next position to read
    tvULong Size;                  // bytes requested
    tvULong Remaining;             // bytes not read yet
    _diFileItem* Item;             // archive requests: the item; loose-file requests: null
    FReadRequestCallback Callback; // called from Tick with a copy of the finished request, or null
    tvULong Type;                  // GReadRequestArchive or GReadRequestLooseFile
    tvLong Reserved;               // always 0
    int Free;                      // 1: the slot holds no live request
    int Notified;                  // 1: the completion has been queued for Tick
    tvLong UserData;               // the caller's value, passed through

    // An empty slot: free and notified, no loader.
    READREQUEST();
};

// READREQUEST::Type.
constexpr tvULong GReadRequestArchive = 1;
constexpr tvULong GReadRequestLooseFile = 2;
// The handle of a refused request.
constexpr tvULong GReadRequestRefused = 0xFFFFFFFFu;
// The worker reads at most this many bytes of one request before it turns to the next.
constexpr tvULong GReadRequestChunk = 16384;

// New request slots are zeroed and then constructed as empty slots.
template <>
struct TArrayElementTraits<READREQUEST> : TArrayConstructedElements<READREQUEST> {};

class TVCORE_API FImgFileSystem : public FFileManager {
public:
    FImgFileSystem();
    // Stops the worker, frees the directory, closes the read profile and the archive. Every
    // archive reader handed out must be destroyed before.
    ~FImgFileSystem() override;

    // An item of the archive: an archive reader at position 0 with its 1024-byte cache.
    // Otherwise a reader of the loose file Path; null when that cannot be opened.
    FFileReader* CreateReader(const tvWChar* Path) override;
    // Always a loose-file writer; null when the file cannot be created. The archive is never
    // written.
    FFileWriter* CreateWriter(const tvWChar* Path) override;
    // An item of the archive: an asynchronous archive reader at position 0 with its 1024-byte
    // cache. Otherwise an asynchronous reader of the loose file Path; null when that cannot be
    // opened. The reader sends its requests to this file system.
    FFileAsyncReader* CreateAsyncReader(const tvWChar* Path) override;
    // Delivers the finished requests' callbacks on the calling thread, in completion order,
    // each with a copy of the finished record.
    void Tick() override;
    // Loads the archive named in the data root's Engine/Engine.ini, creates the worker thread
    // suspended and starts the read profile. 1 on success; 0 when the setting is missing, the
    // archive cannot be opened or is malformed (nothing of it is kept then), or the thread
    // cannot be created (the directory stays loaded).
    int Initialize() override;

    // Loads the archive at ArchivePath as Initialize loads the configured one, for tools that
    // look into an archive: no configuration file, no worker thread, no read profile. Lookups
    // strip the prefix of the data root set before. 1 on success; 0 when an archive is loaded
    // already, or when it cannot be opened or is malformed (nothing of it is kept then).
    int OpenArchive(const tvWChar* ArchivePath);
    // Item Index of the loaded directory (0, the root, to GetItemCount() - 1), or null.
    const _diFileItem* GetItem(int Index) const { return Items && Index >= 0 && Index < ItemCount ? Items + Index : nullptr; }
    // The first item of bucket (A, B) (0 to 63 each), or null for an empty bucket.
    const _diFileItem* GetBucketHead(int A, int B) const
    {
        return HashTable && A >= 0 && A < GImgHashSide && B >= 0 && B < GImgHashSide ? HashTable[A * GImgHashSide + B] : nullptr;
    }
    // The lock that guards the request queues.
    FAsyncLock* GetAsyncLock() { return &AsyncLock; }
    // Initialises the lock and creates the worker thread suspended; 1 when the thread exists.
    // Not for a file system whose Initialize succeeded (that has its thread already).
    int InitializeAsyncThread();

    // Characters stripped from the front of every query (the data root's parent directory).
    int GetPrefixLength() const { return PrefixLength; }
    // Items in the loaded directory, item 0 included; 0 before a successful Initialize.
    int GetItemCount() const { return ItemCount; }
    // The archive loader shared by every archive reader.
    FImgLoader* GetLoader() { return &Loader; }

    // The item whose archive path matches Path, or null. Path is absolute, under the data root;
    // it is converted to the ANSI code page and upper-cased, and the prefix is stripped. On
    // POSIX its '/' separators count as '\'.
    _diFileItem* SearchFileFromHash(const tvWChar* Path);
    // The same lookup by walking the bucket's chain item by item. SearchFileFromHash answers
    // through an index built at Initialize over exactly the items such a walk can find, and
    // gives the same item; this form is kept to check that.
    _diFileItem* SearchFileInChain(const tvWChar* Path);

    // The prefix length for a data root directory: one past the last separator before the
    // root's own last character, 0 when there is none.
    static int ComputePrefixLength(const tvWChar* DataRootDir);

    // --- Asynchronous requests ------------------------------------------------------------------
    // Handles are slot indices of the request queue; the lowest free slot is reused first.
    // Queues Request (current = start, remaining = size, live and not notified) and wakes the
    // worker when it sleeps. Returns the handle; GReadRequestRefused when memory for the slot
    // is refused.
    tvULong SendRequest(READREQUEST Request);
    // Appends a copy of Request to the notification queue that Tick delivers.
    void SendNotify(READREQUEST Request);
    // Frees the request's slot: 1, or 0 when it was free already or Handle is no slot. A
    // pending request is read no further; when the worker is reading a chunk of it right now,
    // this waits for that chunk, so the buffer may be released as soon as this returns.
    int DestroyRequest(tvULong Handle);
    // Bytes read so far (size - remaining); 0 for a free slot or a handle that is no slot.
    tvULong GetRequestReadSize(tvULong Handle);
    // Returns when the request has been read whole, its slot is freed, or Handle is no slot.
    // Woken by the worker when a request finishes: no polling delay.
    void WaitForRequest(tvULong Handle);
    // Ends the worker and waits until it has ended (it finishes the chunk it is reading). For
    // shutdown: no request is served afterwards.
    void WaitForWoringThread();
    // Requests in the queue, free slots included, and completions waiting for Tick.
    int GetRequestSlotCount();
    int GetPendingNotifyCount();

    // The lock that serialises the shared archive loader between the callers' archive readers
    // and the worker (CreateReader's readers take it around each use of the loader).
    FAsyncLock* GetLoaderLock() { return &LoaderLock; }

    // The worker's entry; its argument is the file system.
    static tvULong AsyncThreadProc(void* FileSystem);
    // Ties one of the two asynchronous readers to this file system (untying it from another
    // first), or unties it: its live requests are dropped (their slots freed; a chunk being
    // read into it is waited for). The destructor unties every reader still tied, which then
    // refuses requests.
    void BindAsyncReader(FFileAsyncReader* Reader);
    void UnbindAsyncReader(FFileAsyncReader* Reader);

protected:
    // Loads the directory of the archive at Path; 1, or 0 with nothing kept.
    int LoadArchive(const FString& Path);
    // Frees the directory blocks.
    void ReleaseDirectory();
    // The worker's loop, and one chunk of slot Index (false when the slot was not live).
    void ServeRequests();
    bool ServeChunk(int Index, FImgFileReaderSync& ArchiveReader, FRawFileReaderSync& LooseReader);
    // Under the async lock: whether Handle names a slot.
    bool IsSlot(tvULong Handle) { return Handle < tvULong(RequestQueue.Num()); }
    // Under the async lock: waits (releasing it meanwhile) until the worker reads nothing for
    // the slot Index (or, with Index < 0, for Reader).
    void WaitForServedChunk(int Index, const FFileAsyncReader* Reader);
    // Under the async lock: waits for the next change of the worker's progress.
    void WaitForProgress();
    // The pointer to its file system inside one of the two asynchronous readers; null for
    // another reader.
    static FImgFileSystem** ReaderLink(FFileAsyncReader* Reader);
    // Unties every reader (the destructor, after the worker has ended).
    void UnbindAllAsyncReaders();
    // The lookup key of Path: Query + KeyStart, KeyLength bytes. False when Path is not found
    // whatever the archive holds (empty, not convertible, too long, shorter than the prefix).
    bool MakeKey(const tvWChar* Path, char (&Query)[GImgPathCapacity], int& KeyStart, int& KeyLength) const;

    std::atomic<int> ThreadRunning;
    std::atomic<int> ExitRequested;
    FImgLoaderSync Loader;
    _diFileItem** HashTable;
    _diFileItem* Items;
    char* Names;
    int PrefixLength;
    FAsyncLock AsyncLock;
    tvHandle Thread;
    TArray<READREQUEST> RequestQueue;
    TArray<READREQUEST> NotifyQueue;
    // The slot and the reader the worker reads a chunk for without the async lock; -1 and
    // null between chunks. Under the async lock.
    int ServingSlot;
    const FFileAsyncReader* ServingReader;
    // The asynchronous readers tied to this file system. Under the async lock.
    TArray<FFileAsyncReader*> AsyncReaders;
    // Threads waiting for the chunk being read to end. Under the async lock.
    int ChunkWaiters;
    // Advanced (under the async lock) when a request finishes or is destroyed, when a chunk
    // ends that a thread waits for, and when the worker ends; waiters wait on it to change.
    alignas(8) unsigned char Progress[128];
    bool WorkerEnded;  // under the async lock
    FAsyncLock LoaderLock;
    // Beside the stored directory: the item count, each item's archive-path length, and the
    // lookup index (slots of path hash, item, path offset and length) with the paths it holds.
    int ItemCount;
    unsigned short* PathLengths;
    tvULong* Lookup;
    tvULong LookupMask;
    char* LookupPaths;
};

} // namespace Tolvane
