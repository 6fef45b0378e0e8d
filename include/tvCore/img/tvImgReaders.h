// The synchronous readers and the writer that the IMG file system hands out, and the read
// profile. FImgFileReaderSync reads one archive item through the file system's shared loader;
// FRawFileReaderSync reads a loose file through a loader of its own; FRawFileWriterSync writes
// a loose file. Both readers keep a 1024-byte read-ahead cache in front of their loader.
#pragma once

#include "tvCore/core/files/tvFileArchive.h"
#include "tvCore/img/tvImgFileSystem.h"

namespace Tolvane {

class FImgFileReaderAsync;
class FRawFileReaderAsync;

// Size of the readers' read-ahead cache.
constexpr tvULong GImgReaderCacheSize = 1024;

class TVCORE_API FImgFileReaderSync : public FFileReader {
public:
    // Unbound, without a cache: the worker's borrowing reader.
    FImgFileReaderSync();
    // Bound to an item of the archive open in Loader, at position 0, with its own cache.
    FImgFileReaderSync(FImgLoader* Loader, _diFileItem* Item);
    ~FImgFileReaderSync() override;

    // The item's size.
    int GetSize() override;
    // Nothing to close: the archive belongs to the file system.
    void Close() override;
    // Length bytes at the position: Length, or 0 (nothing changes) when they do not all lie in
    // the item. Small reads come from the cache; a read that reaches the loader writes a begin
    // and an end line to the read profile.
    int Read(void* Data, tvULong Length) override;

    void Attach(FImgLoader* Loader, _diFileItem* Item);
    // Borrows the asynchronous reader's cache, cache start, cache size and item (not its
    // position) until Detach.
    void Attach(FImgFileReaderAsync* Reader, FImgLoader* Loader);
    // Forgets loader and item, and hands the cache state back to a borrowed reader.
    void Detach();

    _diFileItem* GetFileItem() const { return Item; }
    tvULong GetCacheStart() const { return CacheStartPos; }
    tvULong GetCacheBytes() const { return CacheSize; }
    // The lock held around every use of the loader (the file system's loader lock for the
    // readers it hands out, since its loader is shared with the worker); null: none.
    void SetLoaderLock(FAsyncLock* Lock) { LoaderLock = Lock; }

protected:
    FImgLoader* Loader;
    _diFileItem* Item;
    FImgFileReaderAsync* AttachedReader;
    FAsyncLock* LoaderLock;
};

class TVCORE_API FRawFileReaderSync : public FFileReader {
public:
    FRawFileReaderSync();
    explicit FRawFileReaderSync(FString FileName);
    // Deletes the loader it holds; a borrowing reader must be detached first.
    ~FRawFileReaderSync() override;

    // Opens the file through a loader of its own and allocates the cache; 0 when the file
    // cannot be opened.
    int Initialize();
    // The file's length.
    int GetSize() override;
    // Puts the position back to 0 (the file stays open).
    void Close() override;
    // Length bytes at the position: Length, or 0 (nothing changes) past the end of the file.
    int Read(void* Data, tvULong Length) override;

    void Attach(FImgLoader* Loader);
    // Borrows the asynchronous reader's cache and loader until Detach.
    void Attach(FRawFileReaderAsync* Reader);
    // Forgets loader and cache, and hands the cache state back to the borrowed reader.
    void Detach();

    FImgLoader* GetLoader() const { return Loader; }
    tvULong GetCacheStart() const { return CacheStartPos; }
    tvULong GetCacheBytes() const { return CacheSize; }

protected:
    FString FileName;
    FImgLoader* Loader;
    FRawFileReaderAsync* AttachedReader;
};

class TVCORE_API FRawFileWriterSync : public FFileWriter {
public:
    explicit FRawFileWriterSync(FString FileName);
    // Closes the file.
    ~FRawFileWriterSync() override;

    // Clears the read-only attribute of an existing file (0 when that fails), then creates a
    // new, empty temporary file beside it for writing. 1 when it was created.
    int Initialize();
    // Bytes written so far; 0 when closed.
    int GetSize() override;
    // Flushes the temporary file and puts it in the target's place. When a write, the flush or
    // that move fails, the temporary file is removed, the target stays as it was and the error
    // flag is set.
    void Close() override;
    // Writes the bytes when the file is open; a failed write sets the error flag.
    void Write(void* Data, tvULong Length) override;
    void Flush() override;

    // Whether a file or directory of that path exists.
    static bool IsExisted(const tvWChar* Path);

protected:
    tvHandle File;
    FString FileName;
    FString TemporaryName;
};

// The read profile: a log of every archive read that reaches the disk, collected in a buffer
// and written to its file when the buffer is full and when the profile is closed. One per
// process; FImgFileSystem::Initialize starts it (capacity 1024) with the file ".\game.profile"
// in the current directory, and the file system's destructor closes it.
TVCORE_API void appProfileStart(tvULong Capacity);
// Creates the profile file anew (closing a previous one); only when started. A file that
// cannot be created leaves the profile collecting lines that are then dropped.
TVCORE_API void appProfileOpen(const tvWChar* FileName);
// "BEGIN: <seconds>\t<archive offset>\t<bytes>\t\<archive path>\r\n"
TVCORE_API void appProfileBegin(const _diFileItem* Item, tvULong ArchiveOffset, tvULong Bytes);
// "END: <seconds>\t\<archive path>\r\n"
TVCORE_API void appProfileEnd(const _diFileItem* Item);
TVCORE_API void appProfileFlush();
// Flushes, closes the file, frees the buffers; the profile is stopped.
TVCORE_API void appProfileClose();
TVCORE_API bool appProfileStarted();

} // namespace Tolvane
