// The IMG archive file system: a file manager that serves reads out of one IMG archive (a
// packed tree of directories and files with a 64 x 64 hash table for lookups) and falls back
// to loose files on the disk for paths the archive does not hold. Writers always write loose
// files. The archive is named by key "Img" of section "Data" in "Engine/Engine.ini" under the
// data root directory. Layout of the archive file: docs/formats/img.md.
#pragma once

#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/tvAsyncLock.h"
#include "tvCore/img/tvImgLoader.h"

#include <atomic>

namespace Tolvane {

// One item of the archive's directory in memory (48 bytes on disk). Indices of the stored
// record are turned into references when the archive is loaded; 0 becomes null.
struct TVCORE_API _diFileItem {
    char* Name;              // zero-terminated name in the names block; null for item 0
    _diFileItem* LinkA;      // never followed; item 0 keeps its stored word here, widened
    _diFileItem* Parent;     // the directory the item sits in; null at the top level
    _diFileItem* LinkB;      // never followed
    tvULong Reserved16;      // words carried over unchanged
    tvULong Reserved20;
    tvULong Reserved24;
    tvULong Size;            // length of the item's data
    tvULong Offset;          // offset of the item's data in the archive
    tvULong Reserved36;
    tvULong Reserved40;
    _diFileItem* HashNext;   // next item of the same hash bucket; null ends the chain
};

// Sizes of the stored forms.
constexpr tvULong GImgHeaderSize = 36;
constexpr tvULong GImgItemSize = 48;
constexpr int GImgHashSide = 64;
constexpr tvULong GImgHashTableSize = GImgHashSide * GImgHashSide * 4;
constexpr tvULong GImgEmptyBucket = 0xFFFFFFFFu;
// Archive paths, names and lookup keys are at most this many bytes with their terminator; an
// archive path with its leading backslash fits too.
constexpr int GImgPathCapacity = 260;

// The bucket (A, B) of a zero-terminated archive path. Both outputs are required: a null one
// writes "di_assert: dihash[42]" to the debugger output and ends the process.
TVCORE_API void diHash(const char* Path, int* A, int* B);
// The archive path of Item ("%s\\%s" from the item up to the top level), with one leading
// backslash when LeadingRoot is set. Written into a buffer of GImgPathCapacity bytes that
// belongs to the calling thread and is overwritten by its next call; "" for a null item.
TVCORE_API const char* diGetFullPath(const _diFileItem* Item, int LeadingRoot);

class TVCORE_API FImgFileSystem : public FFileManager {
public:
    FImgFileSystem();
    // Stops the worker, frees the directory, closes the read profile and the archive. Every
    // archive reader handed out must be destroyed before.
    ~FImgFileSystem() override;

    // An item of the archive: an archive reader at position 0 with its 1024-byte cache.
    // Otherwise a reader of the loose file Path; null when that cannot be opened.
    FFileReader* CreateReader(const tvWChar* Path) override;
    // Always a loose-file writer; null when the file cannot be created. The archive is never
    // written.
    FFileWriter* CreateWriter(const tvWChar* Path) override;
    // Loads the archive named in the data root's Engine/Engine.ini, creates the worker thread
    // suspended and starts the read profile. 1 on success; 0 when the setting is missing, the
    // archive cannot be opened or is malformed (nothing of it is kept then), or the thread
    // cannot be created (the directory stays loaded).
    int Initialize() override;

    // Loads the archive at ArchivePath as Initialize loads the configured one, for tools that
    // look into an archive: no configuration file, no worker thread, no read profile. Lookups
    // strip the prefix of the data root set before. 1 on success; 0 when an archive is loaded
    // already, or when it cannot be opened or is malformed (nothing of it is kept then).
    int OpenArchive(const tvWChar* ArchivePath);
    // Item Index of the loaded directory (0, the root, to GetItemCount() - 1), or null.
    const _diFileItem* GetItem(int Index) const { return Items && Index >= 0 && Index < ItemCount ? Items + Index : nullptr; }
    // The first item of bucket (A, B) (0 to 63 each), or null for an empty bucket.
    const _diFileItem* GetBucketHead(int A, int B) const
    {
        return HashTable && A >= 0 && A < GImgHashSide && B >= 0 && B < GImgHashSide ? HashTable[A * GImgHashSide + B] : nullptr;
    }
    // The lock that guards the request queues.
    FAsyncLock* GetAsyncLock() { return &AsyncLock; }
    // Initialises the lock and creates the worker thread suspended; 1 when the thread exists.
    // Not for a file system whose Initialize succeeded (that has its thread already).
    int InitializeAsyncThread();

    // Characters stripped from the front of every query (the data root's parent directory).
    int GetPrefixLength() const { return PrefixLength; }
    // Items in the loaded directory, item 0 included; 0 before a successful Initialize.
    int GetItemCount() const { return ItemCount; }
    // The archive loader shared by every archive reader.
    FImgLoader* GetLoader() { return &Loader; }

    // The item whose archive path matches Path, or null. Path is absolute, under the data root;
    // it is converted to the ANSI code page and upper-cased, and the prefix is stripped. On
    // POSIX its '/' separators count as '\'.
    _diFileItem* SearchFileFromHash(const tvWChar* Path);
    // The same lookup by walking the bucket's chain item by item. SearchFileFromHash answers
    // through an index built at Initialize over exactly the items such a walk can find, and
    // gives the same item; this form is kept to check that.
    _diFileItem* SearchFileInChain(const tvWChar* Path);

    // The prefix length for a data root directory: one past the last separator before the
    // root's own last character, 0 when there is none.
    static int ComputePrefixLength(const tvWChar* DataRootDir);

    // The worker's entry; its argument is the file system. The request service joins it with
    // the asynchronous readers; until then the worker only waits to be ended.
    static tvULong AsyncThreadProc(void* FileSystem);

protected:
    // Loads the directory of the archive at Path; 1, or 0 with nothing kept.
    int LoadArchive(const FString& Path);
    // Frees the directory blocks.
    void ReleaseDirectory();
    // The lookup key of Path: Query + KeyStart, KeyLength bytes. False when Path is not found
    // whatever the archive holds (empty, not convertible, too long, shorter than the prefix).
    bool MakeKey(const tvWChar* Path, char (&Query)[GImgPathCapacity], int& KeyStart, int& KeyLength) const;

    std::atomic<int> ThreadRunning;
    std::atomic<int> ExitRequested;
    FImgLoaderSync Loader;
    _diFileItem** HashTable;
    _diFileItem* Items;
    char* Names;
    int PrefixLength;
    FAsyncLock AsyncLock;
    tvHandle Thread;
    // The request and notification queues join here with the asynchronous readers.
    // Beside the stored directory: the item count, each item's archive-path length, and the
    // lookup index (slots of path hash, item, path offset and length) with the paths it holds.
    int ItemCount;
    unsigned short* PathLengths;
    tvULong* Lookup;
    tvULong LookupMask;
    char* LookupPaths;
};

} // namespace Tolvane
