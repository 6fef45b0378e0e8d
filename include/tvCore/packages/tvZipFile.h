// The archives through which one member of a zip package is read or written. The reader holds
// the whole decompressed member in memory; the writer gathers everything written in chunks that
// double in size and stores the member in the package in one go when it is flushed.
#pragma once

#include "tvCore/core/files/tvFileArchive.h"

namespace Tolvane {

class FZipPackage;

// A member read from a package: the cache holds its bytes, CacheSize its size, CurrentPos the
// offset of the next byte to deliver.
class TVCORE_API FZipFileReader : public FFileReader {
public:
    // Loading and persistent, version 41, a cache of Size bytes (null, with size 0, when the
    // allocator refuses). The package then fills the cache and sets the version.
    explicit FZipFileReader(tvULong Size);
    ~FZipFileReader() override;

    int GetSize() override;
    void Close() override;
    // Copies up to Length bytes from the current position and advances past them. A read that
    // asks for more than remains delivers what remains and sets the error flag; nothing is
    // read beyond the member.
    int Read(void* Data, tvULong Length) override;

private:
    friend class FUnzipPackage;
    // A reader and its cache of Size bytes in one allocation, which delete releases; null when
    // the allocator refuses.
    static FZipFileReader* CreateWithCache(tvULong Size);
    FZipFileReader(tvULong Size, unsigned char* SharedCache);

    bool CacheShared = false;  // the cache lies in the reader's own allocation
};

// A member being written into a package. Bytes go to up to 14 chunks of 1 KiB, 2 KiB, ...
// 8 MiB; Flush opens the member in the package (deflate, level 1, stamped with the local time)
// and hands it every chunk.
class TVCORE_API FZipFileWriter : public FFileWriter {
public:
    static constexpr int ChunkLimit = 14;
    static constexpr int NameCapacity = 256;
    // The most one writer can hold: the 14 chunks together, 16 MiB less 1 KiB.
    static constexpr tvULong MaxMemberSize = 16776192;

    // Saving and persistent, version 41, no chunks, no package, an empty name.
    FZipFileWriter();
    // Flushes, finishes the member in the package, releases the chunks.
    ~FZipFileWriter() override;

    // Copies the member's name (narrow text as stored in the zip). A name that needs
    // NameCapacity bytes or more is refused: the name becomes empty and false comes back.
    bool SetFileName(const char* Name);
    // The package's open zip (not owned).
    void SetZipFile(void* ZipHandle) { ZipFile = ZipHandle; }
    const char* GetFileName() const { return FileName; }

    int GetSize() override;
    // Flush, then finish the member in the package; the writer is detached from it afterwards.
    void Close() override;
    // Appends the bytes. A write that would take the member past MaxMemberSize, or that comes
    // after the member was stored, is refused whole: the error flag is set and the member is
    // never stored in part.
    void Write(void* Data, tvULong Length) override;
    // Stores the member once: nothing when nothing was written or the error flag is set; when
    // the member cannot be opened in the package the bytes stay for a later flush.
    void Flush() override;

protected:
    // Bytes in chunk k (1 to 14): 1024 * 2^(k-1); 0 for k = 0.
    tvULong GetCacheSize(tvULong Chunk);
    // Opens the member in the package; true on success.
    bool Prepared();
    // Hands bytes to the open member.
    void WriteDataToFile(void* Data, tvULong Length);

    tvULong ChunkStart;
    tvULong Size;
    tvULong ChunkCount;
    unsigned char* Chunks[ChunkLimit];
    void* ZipFile;
    char FileName[NameCapacity];

private:
    friend class FZipPackage;
    // The package that handed the writer out (not owned): it detaches the writer when it
    // closes first, so the writer never touches a finished zip.
    FZipPackage* Package;
};

} // namespace Tolvane
