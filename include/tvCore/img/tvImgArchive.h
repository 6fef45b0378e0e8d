// Making and checking IMG archives. FImgArchiveWriter builds an archive from files given as
// bytes, as disk files or as whole folders; appCheckImgArchive walks an archive and reports
// each structural fault it finds. The file layout is described in docs/formats/img.md.
#pragma once

#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/strings/tvString.h"
#include "tvCore/img/tvImgFileSystem.h"

namespace Tolvane {

class TVCORE_API FImgArchiveWriter : public FInterface {
public:
    FImgArchiveWriter();
    ~FImgArchiveWriter() override;
    FImgArchiveWriter(const FImgArchiveWriter&) = delete;
    FImgArchiveWriter& operator=(const FImgArchiveWriter&) = delete;

    // Archive paths are components separated by '\' or '/' (leading, trailing and repeated
    // separators are ignored), converted to the ANSI code page and upper-cased, so lookups find
    // them. The directories on the way are created as needed. Each adder returns 1, or 0 (and
    // adds nothing) when the path is empty, does not convert, is longer than an archive path
    // may be, names an item that exists already, or passes through a file.

    // A file holding a copy of Size bytes of Data.
    int AddFile(const tvWChar* ArchivePath, const void* Data, tvULong Size);
    // A file whose bytes are read from DiskPath when the archive is saved.
    int AddDiskFile(const tvWChar* ArchivePath, const tvWChar* DiskPath);
    // An empty directory.
    int AddDirectory(const tvWChar* ArchivePath);
    // Every file and folder below DiskFolder (which ends in its separator), placed under
    // ArchivePrefix ("" for the top level). 0 when the folder cannot be listed or an entry
    // cannot be added (what was added before stays).
    int AddFolder(const tvWChar* DiskFolder, const tvWChar* ArchivePrefix);

    // Items so far, the root included.
    int GetItemCount() const { return Entries.Num() + 1; }

    // Writes the archive: header, directory, names, hash table, then the data of each file in
    // item order. The bytes go to a temporary file beside Path that replaces Path only when it
    // is complete. 0 when a disk file cannot be read, the archive would reach 4 GiB, or the
    // file cannot be written (Path is then unchanged).
    int Save(const tvWChar* Path);

private:
    struct FEntry {
        int Parent;      // item index of the parent directory, 0 at the top level
        int PathOffset;  // full archive path in PathPool
        int PathLength;
        int NameOffset;  // the last component, inside the path
        int Source;      // -1 for a directory; else an index into Sources
    };
    struct FSource {
        tvULong Offset;  // into Bytes, for data held in memory
        tvULong Size;
        int DiskPath;    // index into DiskPaths, -1 for data held in memory
    };

    // The item index of Path, 0 when absent.
    int Find(const char* Path, int Length) const;
    // Adds the item for Path[0, Length) with the given source; creates missing parents.
    int AddPath(const tvWChar* ArchivePath, int Source);
    int NewItem(const char* Path, int Length, int Parent, int Source);
    void Rehash(int NewSize);

    TArray<FEntry> Entries;    // item i is Entries[i - 1]
    TArray<char> PathPool;
    TArray<FSource> Sources;
    TArray<unsigned char> Bytes;
    TArray<FString> DiskPaths;
    TArray<int> Index;         // open addressing over item indices; 0 is an empty slot
};

// Checks the archive at Path and appends one line per structural fault to Faults: header
// ranges, directory size, item references, names, archive paths (length, loops), data ranges,
// hash chains, and beyond what the file system refuses: items that sit in a bucket their path
// does not hash to, items the hash table does not reach, and names with lower-case letters
// (which no lookup can find). Returns the number of faults; 0 for a sound archive.
TVCORE_API int appCheckImgArchive(const tvWChar* Path, TArray<FString>& Faults);

} // namespace Tolvane
