// The asynchronous readers of the IMG file system: an archive item or a loose file read in
// requests that the file system's worker serves, chunk by chunk, while the caller goes on. A
// caller learns of a request's end by polling (GetRequestReadSize), by waiting
// (WaitForRequest), or by a callback that the file system's Tick delivers on the caller's
// thread. Read and Serialize are blocking SyncReads.
//
// A reader sends its requests to the file system that created it (CreateAsyncReader); one
// constructed directly takes the file manager installed in GFileManager at construction when
// that is an FImgFileSystem. A reader without a file system refuses every request. Destroying
// a reader drops its pending requests (their callbacks never run; a chunk being read into it
// is waited for); completions already queued are still delivered by Tick.
#pragma once

#include "tvCore/core/files/tvFileArchive.h"
#include "tvCore/img/tvImgFileSystem.h"

namespace Tolvane {

class TVCORE_API FImgFileReaderAsync : public FFileAsyncReader {
public:
    // Reads Item; position 0, with its own 1024-byte cache.
    explicit FImgFileReaderAsync(_diFileItem* Item);
    ~FImgFileReaderAsync() override;

    // The item's size.
    int GetSize() override;
    // Queues a read of Size bytes at the position into Buffer and advances the position by
    // Size at once. Returns the request's handle, or GReadRequestRefused (nothing changes) when
    // the block does not lie inside the item. Callback, when set, receives a copy of the
    // finished request from Tick, with UserData.
    tvULong SendReadRequest(void* Buffer, tvULong Size, FReadRequestCallback Callback, tvLong UserData) override;
    tvULong GetRequestReadSize(tvULong Handle) override;
    void WaitForRequest(tvULong Handle) override;
    int DestroyRequest(tvULong Handle) override;
    // Sends, waits for and destroys one request: Size, or 0 when the block does not fit.
    int SyncRead(void* Buffer, tvULong Size) override;

    tvULong GetCurrentPos() const { return Position; }
    void SetCurrentPos(tvULong NewPosition) { Position = NewPosition; }
    _diFileItem* GetFileItem() const { return Item; }
    // The file system serving the requests; null when there is none.
    FImgFileSystem* GetFileSystem() const { return FileSystem; }

protected:
    friend class FImgFileSystem;
    _diFileItem* Item;
    tvULong Position;
    FImgFileSystem* FileSystem;
};

class TVCORE_API FRawFileReaderAsync : public FFileAsyncReader {
public:
    FRawFileReaderAsync();
    // Drops its pending requests, then deletes its loader.
    ~FRawFileReaderAsync() override;

    // Opens the file through a loader of its own and allocates the cache; 0 when it cannot be
    // opened.
    int Initialize(FString Path);
    // The file's length.
    int GetSize() override;
    // As FImgFileReaderAsync's, bounded by the file's length.
    tvULong SendReadRequest(void* Buffer, tvULong Size, FReadRequestCallback Callback, tvLong UserData) override;
    tvULong GetRequestReadSize(tvULong Handle) override;
    void WaitForRequest(tvULong Handle) override;
    int DestroyRequest(tvULong Handle) override;
    int SyncRead(void* Buffer, tvULong Size) override;

    tvULong GetCurrentPos() const { return CurrentPos; }
    void SetCurrentPos(tvULong NewPosition) { CurrentPos = NewPosition; }
    FImgLoader* GetLoader() const { return Loader; }
    FImgFileSystem* GetFileSystem() const { return FileSystem; }

protected:
    friend class FImgFileSystem;
    FImgLoader* Loader;
    FImgFileSystem* FileSystem;
};

} // namespace Tolvane
