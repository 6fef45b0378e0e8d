// The abstract file archives every concrete reader and writer derives from: FFileReader
// (loading, persistent), FFileWriter (saving, persistent) and FFileAsyncReader, whose requests
// are queued and completed by the asynchronous readers.
#pragma once

#include "tvCore/core/files/tvArchive.h"

namespace Tolvane {

// The asynchronous read request record (defined with the asynchronous readers); completion
// callbacks receive a copy of it.
struct READREQUEST;
typedef tvULong (*FReadRequestCallback)(READREQUEST);

// The base of every file reader. A derived reader may keep a cache (allocated through
// GMalloc); this base releases it exactly once, in its destructor, so derived destructors that
// free it themselves set the pointer to null first.
class TVCORE_API FFileReader : public FArchive {
public:
    FFileReader();
    ~FFileReader() override;

    // Reads through Read. When fewer bytes arrive than asked, the rest of Data is zero-filled
    // and the error flag is set, so a short file never leaves stale bytes in a value.
    void Serialize(void* Data, tvULong Length) override;
    // The file's total size in bytes.
    virtual int GetSize() = 0;
    virtual void Close() = 0;
    // Copies up to Length bytes at the reader's position into Data; returns how many came.
    virtual int Read(void* Data, tvULong Length) = 0;

    tvULong GetCurrentPos() const { return CurrentPos; }
    void SetCurrentPos(tvULong Position) { CurrentPos = Position; }
    unsigned char* GetCache() const { return Cache; }

protected:
    tvULong CurrentPos;
    unsigned char* Cache;
    tvULong CacheStartPos;
    tvULong CacheSize;
};

// The base of every file writer. Writers that lose bytes (a closed stream, a full disk) set
// the error flag.
class TVCORE_API FFileWriter : public FArchive {
public:
    FFileWriter();
    ~FFileWriter() override;

    // Writes through Write.
    void Serialize(void* Data, tvULong Length) override;
    // Bytes written so far.
    virtual int GetSize() = 0;
    virtual void Close() = 0;
    virtual void Write(void* Data, tvULong Length) = 0;
    virtual void Flush() = 0;
};

// The base of the asynchronous readers: a plain Read is a blocking SyncRead.
class TVCORE_API FFileAsyncReader : public FFileReader {
public:
    FFileAsyncReader();
    ~FFileAsyncReader() override;

    void Close() override;
    int Read(void* Data, tvULong Length) override;
    // Queues a read of Size bytes into Buffer; Callback receives the finished request with
    // UserData. Returns the request's identifier.
    virtual tvULong SendReadRequest(void* Buffer, tvULong Size, FReadRequestCallback Callback, tvLong UserData) = 0;
    // Bytes delivered so far for a request.
    virtual tvULong GetRequestReadSize(tvULong Request) = 0;
    // Blocks until the request is done.
    virtual void WaitForRequest(tvULong Request) = 0;
    // Forgets a request.
    virtual int DestroyRequest(tvULong Request) = 0;
    // A blocking read at the reader's position.
    virtual int SyncRead(void* Data, tvULong Length) = 0;

    unsigned char* GetCacheBuffer() const { return Cache; }
    tvULong GetCacheStartPos() const { return CacheStartPos; }
    void SetCacheStartPos(tvULong Position) { CacheStartPos = Position; }
    tvULong GetCacheSize() const { return CacheSize; }
    void SetCacheSize(tvULong Size) { CacheSize = Size; }
};

} // namespace Tolvane
