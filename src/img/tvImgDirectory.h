// Loading and checking an archive's directory: the header, the item records, the hash table
// and the names, each index and range checked before it is used. The file system loads
// through it and stops at the first fault; the archive checker collects every fault.
#pragma once

#include "tvCore/img/tvImgFileSystem.h"
#include "tvCore/core/strings/tvArray.h"

namespace Tolvane {

// The header words the library interprets.
struct FImgHeader {
    tvULong DirectoryStart;
    tvULong DirectoryEnd;
    tvULong NamesStart;
    tvULong NamesEnd;
    tvULong HashTableOffset;
};

// A loaded directory; the three stored blocks and the path lengths come from GMalloc.
struct FImgDirectory {
    FImgHeader Header{};
    _diFileItem* Items = nullptr;
    char* Names = nullptr;
    _diFileItem** HashTable = nullptr;
    unsigned short* PathLengths = nullptr;
    int Count = 0;

    // Frees the blocks and clears the record.
    void Release();
};

// Reads the directory of the archive open in Loader into Out. Without Faults it returns 0 at
// the first fault (Out is then released); with Faults it appends a line for each fault it
// finds, going on wherever the rest can still be read safely, and returns 0 when there was any
// (Out is released then too).
TVCORE_INTERNAL int LoadImgDirectory(FImgLoader& Loader, FImgDirectory& Out, TArray<FString>* Faults);

} // namespace Tolvane
