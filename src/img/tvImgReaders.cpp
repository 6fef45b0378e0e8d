// The synchronous archive and loose-file readers: a 1024-byte read-ahead cache in front of a
// loader, refilled from where each loader read stopped.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgReaders.h"
#include "tvCore/img/tvImgAsyncReaders.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

namespace Tolvane {

namespace {

unsigned char* NewCache() { return static_cast<unsigned char*>(GMalloc->Malloc(GImgReaderCacheSize)); }

// Serves the start of [Position, Position + Length) from the cache when the cache holds
// Position; returns the bytes copied.
tvULong TakeFromCache(const unsigned char* Cache, tvULong CacheStart, tvULong CacheSize, tvULong Position,
                      unsigned char* Dest, tvULong Length)
{
    if (!Cache || CacheSize == 0 || Position < CacheStart || Position - CacheStart >= CacheSize)
        return 0;
    const tvULong Available = CacheStart + CacheSize - Position;
    const tvULong Count = Length < Available ? Length : Available;
    std::memcpy(Dest, Cache + (Position - CacheStart), Count);
    return Count;
}

} // namespace

// --- FImgFileReaderSync -----------------------------------------------------------------------

FImgFileReaderSync::FImgFileReaderSync() : Loader(nullptr), Item(nullptr), AttachedReader(nullptr), LoaderLock(nullptr)
{
}

FImgFileReaderSync::FImgFileReaderSync(FImgLoader* InLoader, _diFileItem* InItem)
    : Loader(InLoader), Item(InItem), AttachedReader(nullptr), LoaderLock(nullptr)
{
    Cache = NewCache();
}

FImgFileReaderSync::~FImgFileReaderSync()
{
    // A borrowed cache belongs to the asynchronous reader.
    if (AttachedReader)
        Cache = nullptr;
}

int FImgFileReaderSync::GetSize() { return Item ? static_cast<int>(Item->Size) : 0; }

void FImgFileReaderSync::Close() {}

int FImgFileReaderSync::Read(void* Data, tvULong Length)
{
    if (!Item || !Loader || std::uint64_t(CurrentPos) + Length > Item->Size)
        return 0;
    const tvULong Asked = Length;
    unsigned char* Dest = static_cast<unsigned char*>(Data);
    const tvULong FromCache = TakeFromCache(Cache, CacheStartPos, CacheSize, CurrentPos, Dest, Length);
    CurrentPos += FromCache;
    Dest += FromCache;
    Length -= FromCache;
    if (Length == 0)
        return static_cast<int>(Asked);

    // The loader's cursor and window are shared: the seek, both reads and the profile lines
    // belong together.
    if (LoaderLock)
        LoaderLock->Lock();
    const tvULong ArchiveOffset = Item->Offset + CurrentPos;
    Loader->SeekFile(ArchiveOffset, SEEK_FromBegin);
    appProfileBegin(Item, ArchiveOffset, Length);
    Loader->Read(Dest, Length);
    CurrentPos += Length;
    if (Cache) {
        CacheStartPos = CurrentPos;
        CacheSize = CurrentPos + GImgReaderCacheSize <= Item->Size ? GImgReaderCacheSize : Item->Size - CurrentPos;
        Loader->Read(Cache, CacheSize);
    }
    appProfileEnd(Item);
    if (LoaderLock)
        LoaderLock->Unlock();
    return static_cast<int>(Asked);
}

void FImgFileReaderSync::Attach(FImgLoader* InLoader, _diFileItem* InItem)
{
    Loader = InLoader;
    Item = InItem;
}

void FImgFileReaderSync::Attach(FImgFileReaderAsync* Reader, FImgLoader* InLoader)
{
    Cache = Reader->GetCacheBuffer();
    CacheStartPos = Reader->GetCacheStartPos();
    CacheSize = Reader->GetCacheSize();
    Item = Reader->GetFileItem();
    Loader = InLoader;
    AttachedReader = Reader;
}

void FImgFileReaderSync::Detach()
{
    Loader = nullptr;
    Item = nullptr;
    if (AttachedReader) {
        AttachedReader->SetCacheStartPos(CacheStartPos);
        AttachedReader->SetCacheSize(CacheSize);
        Cache = nullptr;
        AttachedReader = nullptr;
    }
}

// --- FRawFileReaderSync -----------------------------------------------------------------------

FRawFileReaderSync::FRawFileReaderSync() : Loader(nullptr), AttachedReader(nullptr) {}

FRawFileReaderSync::FRawFileReaderSync(FString InFileName)
    : FileName(InFileName), Loader(nullptr), AttachedReader(nullptr)
{
}

FRawFileReaderSync::~FRawFileReaderSync()
{
    if (AttachedReader) {
        // Still borrowing: the cache and the loader belong to the asynchronous reader.
        Cache = nullptr;
        Loader = nullptr;
    }
    delete Loader;
}

int FRawFileReaderSync::Initialize()
{
    if (!Loader)
        Loader = new FImgLoaderSync;
    if (!Loader || !Loader->Initialize(FileName))
        return 0;
    if (!Cache)
        Cache = NewCache();
    return Cache ? 1 : 0;
}

int FRawFileReaderSync::GetSize() { return Loader ? static_cast<int>(Loader->GetLength()) : 0; }

void FRawFileReaderSync::Close() { CurrentPos = 0; }

int FRawFileReaderSync::Read(void* Data, tvULong Length)
{
    if (!Loader)
        return 0;
    const tvULong FileLength = Loader->GetLength();
    if (std::uint64_t(CurrentPos) + Length > FileLength)
        return 0;
    const tvULong Asked = Length;
    unsigned char* Dest = static_cast<unsigned char*>(Data);
    const tvULong Start = CurrentPos;
    tvULong FromCache = TakeFromCache(Cache, CacheStartPos, CacheSize, Start, Dest, Length);
    tvULong FromDisk = Length - FromCache;
    tvULong DiskStart = Start + FromCache;
    // A read that starts before the cache and ends inside it takes its tail from the cache and
    // reads only the bytes before it.
    if (FromCache == 0 && Cache && CacheSize != 0 && Start < CacheStartPos && CacheStartPos < Start + Length &&
        Start + Length < CacheStartPos + CacheSize) {
        const tvULong Head = CacheStartPos - Start;
        std::memcpy(Dest + Head, Cache, Length - Head);
        FromDisk = Head;
        DiskStart = Start;
    }
    CurrentPos = Start + Length;
    if (FromDisk == 0)
        return static_cast<int>(Asked);

    Loader->SeekFile(DiskStart, SEEK_FromBegin);
    Loader->Read(Dest + (DiskStart - Start), FromDisk);
    const tvULong Stopped = DiskStart + FromDisk;
    if (Cache && Stopped < FileLength) {
        const tvULong Fill = Stopped + GImgReaderCacheSize <= FileLength ? GImgReaderCacheSize : FileLength - Stopped;
        CacheStartPos = Stopped;
        CacheSize = Fill;
        Loader->Read(Cache, Fill);
    }
    return static_cast<int>(Asked);
}

void FRawFileReaderSync::Attach(FImgLoader* InLoader) { Loader = InLoader; }

void FRawFileReaderSync::Attach(FRawFileReaderAsync* Reader)
{
    Cache = Reader->GetCacheBuffer();
    CacheStartPos = Reader->GetCacheStartPos();
    CacheSize = Reader->GetCacheSize();
    Loader = Reader->GetLoader();
    AttachedReader = Reader;
}

void FRawFileReaderSync::Detach()
{
    Loader = nullptr;
    Cache = nullptr;
    if (AttachedReader) {
        AttachedReader->SetCacheStartPos(CacheStartPos);
        AttachedReader->SetCacheSize(CacheSize);
        AttachedReader = nullptr;
    }
}

} // namespace Tolvane
