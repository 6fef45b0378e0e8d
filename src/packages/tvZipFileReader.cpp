// The member reader: the whole decompressed member in memory.
#include "base/tvPrelude.h"

#include "tvCore/packages/tvZipFile.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

FZipFileReader::FZipFileReader(tvULong Size)
{
    ArFlags = FlagLoading | FlagPersistent;
    ArVersion = ArchiveDefaultVersion;
    Cache = Size > 0 ? static_cast<unsigned char*>(GMalloc->Malloc(Size)) : nullptr;
    CacheSize = Cache ? Size : 0;
    CurrentPos = 0;
    CacheStartPos = 0;
}

FZipFileReader::~FZipFileReader() { FZipFileReader::Close(); }

int FZipFileReader::GetSize() { return static_cast<int>(CacheSize); }

void FZipFileReader::Close()
{
    if (Cache) {
        GMalloc->Free(Cache);
        Cache = nullptr;
    }
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
