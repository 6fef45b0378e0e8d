// The asynchronous readers of the IMG file system: an archive item or a loose file read in
// requests that the file system's worker serves. What the synchronous readers borrow from them
// (cache, item, loader) is here; the request operations join with the worker's service.
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
    _diFileItem* GetFileItem() const { return Item; }

protected:
    _diFileItem* Item;
    tvULong Position;
};

class TVCORE_API FRawFileReaderAsync : public FFileAsyncReader {
public:
    FRawFileReaderAsync();
    // Deletes its loader.
    ~FRawFileReaderAsync() override;

    // Opens the file through a loader of its own and allocates the cache; 0 when it cannot be
    // opened.
    int Initialize(FString Path);
    // The file's length.
    int GetSize() override;
    FImgLoader* GetLoader() const { return Loader; }

protected:
    FImgLoader* Loader;
};

} // namespace Tolvane
