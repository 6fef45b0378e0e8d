// The abstract file archives: the reader and writer bases every concrete file archive
// derives from, and the asynchronous reader's defaults.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileArchive.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

FFileReader::FFileReader() : CurrentPos(0), Cache(nullptr), CacheStartPos(0), CacheSize(0)
{
    ArFlags = FlagLoading | FlagPersistent;
}

FFileReader::~FFileReader()
{
    if (Cache) {
        GMalloc->Free(Cache);
        Cache = nullptr;
    }
}

void FFileReader::Serialize(void* Data, tvULong Length)
{
    const int Delivered = Read(Data, Length);
    const tvULong Got = Delivered > 0 ? static_cast<tvULong>(Delivered) : 0;
    if (Got < Length) {
        std::memset(static_cast<unsigned char*>(Data) + Got, 0, Length - Got);
        SetError();
    }
}

FFileWriter::FFileWriter() { ArFlags = FlagSaving | FlagPersistent; }

FFileWriter::~FFileWriter() = default;

void FFileWriter::Serialize(void* Data, tvULong Length) { Write(Data, Length); }

FFileAsyncReader::FFileAsyncReader() = default;

FFileAsyncReader::~FFileAsyncReader() = default;

void FFileAsyncReader::Close() {}

int FFileAsyncReader::Read(void* Data, tvULong Length) { return SyncRead(Data, Length); }

} // namespace Tolvane
