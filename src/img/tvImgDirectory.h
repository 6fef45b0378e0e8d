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
    // The lookup index: slots of four words (path hash, item index, offset of the archive path
    // in LookupPaths, path length), open addressing, LookupMask + 1 slots; an item index of 0
    // marks an empty slot. Null when it could not be built. LookupPaths holds the indexed
    // items' archive paths back to back, so a hit is confirmed by one comparison of adjacent
    // bytes; null when memory was refused (the names are then compared along the Parent chain).
    tvULong* Lookup = nullptr;
    tvULong LookupMask = 0;
    char* LookupPaths = nullptr;
    int Count = 0;

    // Frees the blocks and clears the record.
    void Release();
};

// Reads the directory of the archive open in Loader into Out. Without Faults it returns 0 at
// the first fault (Out is then released); with Faults it appends a line for each fault it
// finds, going on wherever the rest can still be read safely, and returns 0 when there was any
// (Out is released then too).
TVCORE_INTERNAL int LoadImgDirectory(FImgLoader& Loader, FImgDirectory& Out, TArray<FString>* Faults);

// The hash of an archive path or lookup key in the lookup index.
std::uint32_t ImgPathHash(const char* Text, int Length);

// Builds Dir.Lookup over the items a chain walk can find: those reached through the hash table
// whose path hashes to the bucket they sit in, the first of each path in chain order. A lookup
// through the index therefore gives what walking the bucket's chain gives. Leaves Lookup null
// when memory is refused (the chain walk then serves).
void BuildImgLookup(FImgDirectory& Dir);

// The item of the index whose archive path is Key[0, Length), or null.
_diFileItem* FindInImgLookup(const tvULong* Lookup, tvULong Mask, const char* Paths, _diFileItem* Items,
                             const char* Key, int Length);

// Whether Item's archive path is Key[0, Length), compared name by name from the item up.
bool ImgPathMatches(const _diFileItem* Item, const char* Key, int Length);

} // namespace Tolvane
