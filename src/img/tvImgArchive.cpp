// Making IMG archives and checking them. The writer keeps every item's full archive path in
// one pool, indexed by an open-addressing table, so adding stays linear in the archive's size.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgArchive.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"
#include "img/tvImgDirectory.h"
#include "platform/tvPlatformFileHandle.h"
#include "platform/tvPlatformFileReplace.h"
#include "platform/tvPlatformFiles.h"

namespace Tolvane {

namespace {

constexpr int GLongestPath = GImgPathCapacity - 2;

// Appends Extra zeroed elements, growing the storage geometrically; the old count, or -1.
template <class T>
int Grow(TArray<T>& Array, int Extra)
{
    const std::int64_t Needed = std::int64_t(Array.Num()) + Extra;
    if (Needed > Array.GetCapacity()) {
        std::int64_t Capacity = std::max<std::int64_t>(std::int64_t(Array.GetCapacity()) * 2, 64);
        if (Capacity < Needed)
            Capacity = Needed;
        if (Capacity > std::numeric_limits<int>::max() || !Array.ReserveSpace(int(Capacity)))
            return -1;
    }
    return Array.AddSize(Extra);
}

// The archive path as stored: ANSI, upper-cased, components joined by one '\'. False when it
// does not convert, is empty or too long.
bool NormalisePath(const tvWChar* Path, char (&Out)[GImgPathCapacity], int& Length)
{
    char Ansi[GImgPathCapacity];
    if (!Path || !*Path || appUnicodeToAnsi(Ansi, Path, GImgPathCapacity) == 0)
        return false;
    Length = 0;
    for (const char* P = Ansi; *P;) {
        if (*P == '\\' || *P == '/') {
            ++P;
            continue;
        }
        if (Length > 0)
            Out[Length++] = '\\';
        while (*P && *P != '\\' && *P != '/') {
            if (Length >= GLongestPath)
                return false;
            Out[Length++] = (*P >= 'a' && *P <= 'z') ? char(*P - 32) : *P;
            ++P;
        }
    }
    Out[Length] = 0;
    return Length > 0 && Length <= GLongestPath;
}

void PutWord(unsigned char* At, tvULong Value)
{
    At[0] = static_cast<unsigned char>(Value);
    At[1] = static_cast<unsigned char>(Value >> 8);
    At[2] = static_cast<unsigned char>(Value >> 16);
    At[3] = static_cast<unsigned char>(Value >> 24);
}

// Buffered output to a file handle; remembers the first failure.
class FOutput {
public:
    explicit FOutput(tvHandle InFile) : File(InFile) {}
    ~FOutput() { GMalloc->Free(Buffer); }
    FOutput(const FOutput&) = delete;
    FOutput& operator=(const FOutput&) = delete;

    bool Ok() const { return Good && Buffer; }
    void Put(const void* Data, tvULong Size)
    {
        const unsigned char* In = static_cast<const unsigned char*>(Data);
        while (Size > 0 && Ok()) {
            if (Used == Capacity)
                Drain();
            const tvULong Count = std::min(Size, Capacity - Used);
            std::memcpy(Buffer + Used, In, Count);
            Used += Count;
            In += Count;
            Size -= Count;
        }
    }
    bool Finish()
    {
        Drain();
        return Ok();
    }

private:
    void Drain()
    {
        if (Ok() && Used > 0)
            Good = Platform::FileHandleWrite(File, Buffer, Used);
        Used = 0;
    }

    static constexpr tvULong Capacity = 64 * 1024;
    tvHandle File;
    unsigned char* Buffer = static_cast<unsigned char*>(GMalloc->Malloc(Capacity));
    tvULong Used = 0;
    bool Good = true;
};

} // namespace

// --- FImgArchiveWriter ------------------------------------------------------------------------

FImgArchiveWriter::FImgArchiveWriter() = default;

FImgArchiveWriter::~FImgArchiveWriter() = default;

int FImgArchiveWriter::Find(const char* Path, int Length) const
{
    if (Index.Num() == 0)
        return 0;
    const int Mask = Index.Num() - 1;
    for (int Slot = int(ImgPathHash(Path, Length) & std::uint32_t(Mask));; Slot = (Slot + 1) & Mask) {
        const int Item = Index[Slot];
        if (Item == 0)
            return 0;
        const FEntry& Entry = Entries[Item - 1];
        if (Entry.PathLength == Length && std::memcmp(&PathPool[Entry.PathOffset], Path, std::size_t(Length)) == 0)
            return Item;
    }
}

void FImgArchiveWriter::Rehash(int NewSize)
{
    Index.RemoveAll(1);
    if (Index.AddSize(NewSize) < 0)
        return;
    const int Mask = NewSize - 1;
    for (int Item = 1; Item <= Entries.Num(); ++Item) {
        const FEntry& Entry = Entries[Item - 1];
        int Slot = int(ImgPathHash(&PathPool[Entry.PathOffset], Entry.PathLength) & std::uint32_t(Mask));
        while (Index[Slot] != 0)
            Slot = (Slot + 1) & Mask;
        Index[Slot] = Item;
    }
}

int FImgArchiveWriter::NewItem(const char* Path, int Length, int Parent, int Source)
{
    const int Offset = Grow(PathPool, Length + 1);
    const int EntryIndex = Grow(Entries, 1);
    if (Offset < 0 || EntryIndex < 0)
        return 0;
    std::memcpy(&PathPool[Offset], Path, std::size_t(Length));
    PathPool[Offset + Length] = 0;
    int NameOffset = Length;
    while (NameOffset > 0 && Path[NameOffset - 1] != '\\')
        --NameOffset;
    Entries[EntryIndex] = FEntry{Parent, Offset, Length, NameOffset, Source};
    const int Item = EntryIndex + 1;
    // Kept at most half full, so every probe ends at an empty slot.
    if (Index.Num() < 2 * (Entries.Num() + 1))
        Rehash(std::max(64, Index.Num() * 2));
    else {
        const int Mask = Index.Num() - 1;
        int Slot = int(ImgPathHash(Path, Length) & std::uint32_t(Mask));
        while (Index[Slot] != 0)
            Slot = (Slot + 1) & Mask;
        Index[Slot] = Item;
    }
    return Item;
}

int FImgArchiveWriter::AddPath(const tvWChar* ArchivePath, int Source)
{
    char Path[GImgPathCapacity];
    int Length = 0;
    if (!NormalisePath(ArchivePath, Path, Length))
        return 0;
    const int Existing = Find(Path, Length);
    if (Existing)
        return Source < 0 && Entries[Existing - 1].Source < 0 ? 1 : 0;  // an existing directory is no fault
    // Every directory on the way must be a directory (existing, or created now).
    int Parent = 0;
    for (int End = 0; End < Length; ++End) {
        if (Path[End] != '\\')
            continue;
        int Item = Find(Path, End);
        if (Item && Entries[Item - 1].Source >= 0)
            return 0;
        if (!Item && !(Item = NewItem(Path, End, Parent, -1)))
            return 0;
        Parent = Item;
    }
    return NewItem(Path, Length, Parent, Source) ? 1 : 0;
}

int FImgArchiveWriter::AddFile(const tvWChar* ArchivePath, const void* Data, tvULong Size)
{
    if (Size > tvULong(std::numeric_limits<int>::max()) || (Size && !Data))
        return 0;
    const int ByteOffset = Grow(Bytes, int(Size));
    const int Source = Grow(Sources, 1);
    if (ByteOffset < 0 || Source < 0)
        return 0;
    if (Size)
        std::memcpy(&Bytes[ByteOffset], Data, Size);
    Sources[Source] = FSource{tvULong(ByteOffset), Size, -1};
    if (!AddPath(ArchivePath, Source)) {
        Bytes.SetSize(ByteOffset);
        Sources.SetSize(Source);
        return 0;
    }
    return 1;
}

int FImgArchiveWriter::AddDiskFile(const tvWChar* ArchivePath, const tvWChar* DiskPath)
{
    if (!DiskPath)
        return 0;
    const int Path = DiskPaths.AddItem(FString(DiskPath));
    const int Source = Grow(Sources, 1);
    if (Path < 0 || Source < 0)
        return 0;
    Sources[Source] = FSource{0, 0, Path};
    if (!AddPath(ArchivePath, Source)) {
        Sources.SetSize(Source);
        DiskPaths.SetSize(Path);
        return 0;
    }
    return 1;
}

int FImgArchiveWriter::AddDirectory(const tvWChar* ArchivePath) { return AddPath(ArchivePath, -1); }

int FImgArchiveWriter::AddFolder(const tvWChar* DiskFolder, const tvWChar* ArchivePrefix)
{
    if (!DiskFolder)
        return 0;
    const FString Folder(DiskFolder);
    const FString Prefix(ArchivePrefix ? ArchivePrefix : TVTEXT(""));
    Platform::FFindData Found;
    tvHandle Search = Platform::DirectorySearchFirst(Folder + TVTEXT("*.*"), Found);
    if (!Search)
        return 0;
    int Ok = 1;
    do {
        const FString Name(Found.Name);
        if (Name.Compare(TVTEXT(".")) == 0 || Name.Compare(TVTEXT("..")) == 0)
            continue;
        const FString Inside = Prefix.IsEmpty() ? Name : Prefix + TVTEXT("\\") + Name;
        if (Found.Attributes & Platform::FileAttributeDirectory)
            Ok = AddDirectory(Inside) && AddFolder(Folder + Name + TVTEXT("/"), Inside);
        else
            Ok = AddDiskFile(Inside, Folder + Name);
    } while (Ok && Platform::DirectorySearchNext(Search, Found));
    Platform::DirectorySearchClose(Search);
    return Ok;
}

int FImgArchiveWriter::Save(const tvWChar* Path)
{
    if (!Path)
        return 0;
    const tvULong Count = tvULong(Entries.Num()) + 1;
    // Sizes of the disk files, taken now; the layout is fixed before anything is written.
    std::uint64_t NamesSize = 0;
    for (const FEntry& Entry : Entries)
        NamesSize += tvULong(Entry.PathLength - Entry.NameOffset) + 1;
    for (FSource& Source : Sources) {
        if (Source.DiskPath < 0)
            continue;
        tvHandle File = Platform::FileHandleOpenRead(DiskPaths[Source.DiskPath]);
        const std::int64_t Size = Platform::FileHandleSize(File);
        Platform::FileHandleClose(File);
        if (!File || Size < 0 || Size > std::int64_t(0xFFFFFFFFu))
            return 0;
        Source.Size = tvULong(Size);
    }
    const std::uint64_t DirectoryStart = GImgHeaderSize;
    const std::uint64_t NamesStart = DirectoryStart + std::uint64_t(Count) * GImgItemSize;
    const std::uint64_t TableStart = NamesStart + NamesSize;
    std::uint64_t End = TableStart + GImgHashTableSize;
    for (const FSource& Source : Sources)
        End += Source.Size;
    if (End > 0xFFFFFFFFu)
        return 0;

    // Hash chains in item order: each item is appended to its bucket's chain.
    constexpr int Buckets = GImgHashSide * GImgHashSide;
    TArray<tvULong> Heads, Tails, Next;
    if (Heads.AddSize(Buckets) < 0 || Tails.AddSize(Buckets) < 0 || Next.AddSize(int(Count)) < 0)
        return 0;
    for (tvULong& Head : Heads)
        Head = GImgEmptyBucket;
    for (tvULong Item = 1; Item < Count; ++Item) {
        int A = 0, B = 0;
        diHash(&PathPool[Entries[int(Item) - 1].PathOffset], &A, &B);
        const int Bucket = A * GImgHashSide + B;
        if (Heads[Bucket] == GImgEmptyBucket)
            Heads[Bucket] = Item;
        else
            Next[int(Tails[Bucket])] = Item;
        Tails[Bucket] = Item;
    }

    tvWChar Temporary[4096];
    tvHandle File = Platform::FileHandleCreateTemporary(Path, Temporary, 4096);
    if (!File)
        return 0;
    bool Ok;
    {
        FOutput Out(File);
        unsigned char Header[GImgHeaderSize] = {};
        PutWord(Header + 8, tvULong(DirectoryStart));
        PutWord(Header + 12, tvULong(NamesStart));
        PutWord(Header + 16, tvULong(NamesStart));
        PutWord(Header + 20, tvULong(TableStart));
        PutWord(Header + 32, tvULong(TableStart));
        Out.Put(Header, GImgHeaderSize);

        unsigned char Record[GImgItemSize] = {};
        Out.Put(Record, GImgItemSize);  // the root
        tvULong DataOffset = tvULong(TableStart + GImgHashTableSize);
        for (tvULong Item = 1; Item < Count; ++Item) {
            const FEntry& Entry = Entries[int(Item) - 1];
            std::memset(Record, 0, sizeof(Record));
            PutWord(Record + 8, tvULong(Entry.Parent));
            if (Entry.Source >= 0) {
                const tvULong Size = Sources[Entry.Source].Size;
                PutWord(Record + 28, Size);
                PutWord(Record + 32, DataOffset);
                DataOffset += Size;
            }
            PutWord(Record + 44, Next[int(Item)]);
            Out.Put(Record, GImgItemSize);
        }
        for (const FEntry& Entry : Entries)
            Out.Put(&PathPool[Entry.PathOffset + Entry.NameOffset], tvULong(Entry.PathLength - Entry.NameOffset) + 1);
        for (const tvULong Head : Heads) {
            unsigned char Word[4];
            PutWord(Word, Head);
            Out.Put(Word, 4);
        }
        Ok = true;
        for (const FEntry& Entry : Entries) {
            if (Entry.Source < 0 || !Ok)
                continue;
            const FSource& Source = Sources[Entry.Source];
            if (Source.DiskPath < 0) {
                if (Source.Size)
                    Out.Put(&Bytes[int(Source.Offset)], Source.Size);
                continue;
            }
            // Disk files are copied through a block of their own, never held whole.
            tvHandle In = Platform::FileHandleOpenRead(DiskPaths[Source.DiskPath]);
            unsigned char* Block = static_cast<unsigned char*>(GMalloc->Malloc(64 * 1024));
            tvULong Left = Source.Size;
            Ok = In && Block;
            while (Ok && Left > 0) {
                const tvULong Want = std::min<tvULong>(Left, 64 * 1024);
                Ok = Platform::FileHandleRead(In, Block, Want) == Want;
                Out.Put(Block, Want);
                Left -= Want;
            }
            Platform::FileHandleClose(In);
            if (Block)
                GMalloc->Free(Block);
        }
        Ok = Out.Finish() && Ok;
    }
    Platform::FileHandleClose(File);
    if (!Ok || !Platform::FileReplace(Temporary, Path)) {
        Platform::FileRemove(Temporary);
        return 0;
    }
    return 1;
}

// --- The checker ------------------------------------------------------------------------------

int appCheckImgArchive(const tvWChar* Path, TArray<FString>& Faults)
{
    const int Before = Faults.Num();
    FImgLoaderSync Loader;
    if (!Path || !Loader.Initialize(FString(Path))) {
        Faults.AddItem(FString(TVTEXT("the archive cannot be opened")));
        return Faults.Num() - Before;
    }
    FImgDirectory Directory;
    if (!LoadImgDirectory(Loader, Directory, &Faults))
        return Faults.Num() - Before;

    TArray<unsigned char> Reached;
    Reached.AddSize(Directory.Count);
    for (int Bucket = 0; Bucket < GImgHashSide * GImgHashSide && Reached.Num(); ++Bucket) {
        for (const _diFileItem* Item = Directory.HashTable[Bucket]; Item; Item = Item->HashNext) {
            const int Index = int(Item - Directory.Items);
            Reached[Index] = 1;
            const char* FullPath = diGetFullPath(Item, 0);
            int A = 0, B = 0;
            diHash(FullPath, &A, &B);
            if (A * GImgHashSide + B != Bucket) {
                FString Line;
                Line.Format(TVTEXT("item %d (%S) sits in bucket (%d, %d) but its path hashes to (%d, %d)"), Index,
                            FullPath, Bucket / GImgHashSide, Bucket % GImgHashSide, A, B);
                Faults.AddItem(Line);
            }
        }
    }
    for (int Index = 1; Index < Directory.Count; ++Index) {
        const _diFileItem& Item = Directory.Items[Index];
        FString Line;
        if (Reached.Num() && !Reached[Index]) {
            Line.Format(TVTEXT("item %d (%S) is not reached through the hash table"), Index, diGetFullPath(&Item, 0));
            Faults.AddItem(Line);
        }
        for (const char* P = Item.Name; *P; ++P) {
            if (*P >= 'a' && *P <= 'z') {
                Line.Format(TVTEXT("item %d (%S) has lower-case letters: no lookup can find it"), Index,
                            diGetFullPath(&Item, 0));
                Faults.AddItem(Line);
                break;
            }
        }
    }
    Directory.Release();
    return Faults.Num() - Before;
}

} // namespace Tolvane
