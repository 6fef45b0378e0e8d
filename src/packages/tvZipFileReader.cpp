// The member reader: the whole decompressed member in memory.
#include "base/tvPrelude.h"

#include "tvCore/packages/tvZipFile.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

FZipFileReader::FZipFileReader(tvULong Size) : FZipFileReader(0, nullptr)
{
    Cache = Size > 0 ? static_cast<unsigned char*>(GMalloc->Malloc(Size)) : nullptr;
    CacheSize = Cache ? Size : 0;
}

FZipFileReader::FZipFileReader(tvULong Size, unsigned char* SharedCache) : CacheShared(SharedCache != nullptr)
{
    ArFlags = FlagLoading | FlagPersistent;
    ArVersion = ArchiveDefaultVersion;
    Cache = SharedCache;
    CacheSize = Size;
    CurrentPos = 0;
    CacheStartPos = 0;
}

FZipFileReader* FZipFileReader::CreateWithCache(tvULong Size)
{
    // The cache starts behind the reader, at an offset that keeps the reader's alignment.
    constexpr std::size_t Head = (sizeof(FZipFileReader) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                                 alignof(std::max_align_t);
    if (Size > 0xFFFFFFFFu - Head)
        return nullptr;
    void* Block = GMalloc->Malloc(static_cast<unsigned int>(Head + Size));
    if (!Block)
        return nullptr;
    return new (Block) FZipFileReader(Size, static_cast<unsigned char*>(Block) + Head);
}

FZipFileReader::~FZipFileReader() { FZipFileReader::Close(); }

int FZipFileReader::GetSize() { return static_cast<int>(CacheSize); }

void FZipFileReader::Close()
{
    if (Cache && !CacheShared)
        GMalloc->Free(Cache);
    Cache = nullptr;
}

int FZipFileReader::Read(void* Data, tvULong Length)
{
    const tvULong Remaining = (Cache && CurrentPos < CacheSize) ? CacheSize - CurrentPos : 0;
    const tvULong Count = Length < Remaining ? Length : Remaining;
    if (Count < Length)
        SetError();
    if (Count > 0) {
        std::memcpy(Data, Cache + CurrentPos, Count);
        CurrentPos += Count;
    }
    return static_cast<int>(Count);
}

} // namespace Tolvane
