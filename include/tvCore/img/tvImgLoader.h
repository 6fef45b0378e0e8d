// Buffered random-access reading of one disk file through a read-ahead window of two 64 KiB
// buffers. The IMG file system keeps one loader over its archive, shared by every archive
// reader; every loose-file reader keeps a loader of its own.
#pragma once

#include "tvCore/core/tvBase.h"
#include "tvCore/core/files/tvArchive.h"
#include "tvCore/core/strings/tvString.h"

namespace Tolvane {

// One window buffer.
struct TVCORE_API IMGBUFFER {
    unsigned char* Data;  // 65536-byte block from GMalloc
    tvULong Start;        // file offset of Data[0]
    tvULong Size;         // valid bytes in Data (0 to 65536)
    IMGBUFFER* Next;      // next buffer in whichever list holds this one

    IMGBUFFER() : Data(nullptr), Start(0), Size(0), Next(nullptr) {}
};

// The window bookkeeping and seeking. Invariant: the in-use list holds consecutive file bytes
// [head.Start, tail.Start + tail.Size), ending at the load position; every in-use buffer but
// the tail is full, and the tail too unless it ends at the end of the file.
class TVCORE_API FImgLoader : public FInterface {
public:
    static constexpr tvULong BufferSize = 65536;

    FImgLoader();
    // Closes the file and frees both blocks.
    ~FImgLoader() override;

    // Opens Path; 1 on success, 0 when the file cannot be opened or a block not allocated.
    virtual int Initialize(FString Path) = 0;
    // Copies Size bytes at the cursor into Dest and advances the cursor: 1, or 0 when fewer
    // bytes remain (nothing is copied). A Size of 0 gives 1.
    virtual int Read(void* Dest, tvULong Size) = 0;
    // SeekFile(0, SEEK_FromBegin).
    virtual int ResetFile();
    // Moves the cursor: 0 (and nothing changes) beyond the length, for SEEK_FromEnd with a
    // non-zero offset, or for an unknown method; 1 otherwise.
    virtual int SeekFile(tvULong Offset, ESeekMethod Method);
    // Stores the new cursor position.
    virtual void UpdateUserCursorPosition(tvULong Position);

    tvULong GetLength() const { return Length; }
    // The cursor and the window, for readers and tests that look at the loader's state.
    tvULong GetUserPosition() const { return UserPosition; }
    tvULong GetLoadPosition() const { return LoadPosition; }
    const IMGBUFFER* GetInuseHead() const { return InuseHead; }
    const IMGBUFFER* GetInuseTail() const { return InuseTail; }
    const IMGBUFFER* GetFreeList() const { return FreeList; }
    const IMGBUFFER* GetBuffer(int Index) const { return &Buffers[Index]; }

    // List primitives: push at the front of the free list; append at the in-use tail; pop the
    // first buffer of either list (whichever buffer is named).
    void AddToFreeList(IMGBUFFER* Buffer);
    void AddToInuseList(IMGBUFFER* Buffer);
    void RemoveFromFreeList(IMGBUFFER* Buffer);
    void RemoveFromInuseList(IMGBUFFER* Buffer);

protected:
    tvHandle File;
    IMGBUFFER Buffers[2];
    IMGBUFFER* FreeList;
    IMGBUFFER* InuseHead;
    IMGBUFFER* InuseTail;
    tvULong Length;
    tvULong LoadPosition;
    tvULong UserPosition;
};

// Fills the window with ordinary blocking reads.
class TVCORE_API FImgLoaderSync : public FImgLoader {
public:
    FImgLoaderSync();
    ~FImgLoaderSync() override;

    // Opens an existing file for reading (others may read it too), records its length and
    // allocates the two blocks; no data is read yet. Files of 4 GiB or more are refused.
    int Initialize(FString Path) override;
    int Read(void* Dest, tvULong Size) override;
    // Stores the cursor and slides or reloads the window around it.
    void UpdateUserCursorPosition(tvULong Position) override;

    void LoadToBuffer();
    void LoadToFreeList();
    void UnloadAllBuffers();
    void UnloadFirstInuseBuffer();

    // Whether a disk read delivered fewer bytes than the file's length promised (the file
    // shrank or failed under the loader). From then on Read returns 0.
    bool HasFailed() const { return Failed; }

private:
    // Reads Bytes from the disk into Dest; a short read is zero-filled and marks the loader
    // failed.
    void ReadFromDisk(unsigned char* Dest, tvULong Bytes);

    bool Failed;
};

} // namespace Tolvane
