// Loading an archive's directory with every index, range and chain checked: a malformed
// archive is refused instead of being read out of bounds or walked for ever.
#include "base/tvPrelude.h"
#include "img/tvImgDirectory.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

namespace Tolvane {

namespace {

// Longest archive path without its terminator: room is kept for the leading backslash of the
// profile lines.
constexpr int GLongestPath = GImgPathCapacity - 2;

class FFaultList {
public:
    explicit FFaultList(TArray<FString>* InList) : List(InList) {}

    // Records a fault; true when loading may go on (a checker that collects them all).
    bool Add(const tvWChar* Format, ...)
    {
        ++Count;
        if (!List)
            return false;
        va_list Args;
        va_start(Args, Format);
        FString Line;
        Line.FormatV(Format, Args);
        va_end(Args);
        List->AddItem(Line);
        return true;
    }
    int Num() const { return Count; }

private:
    TArray<FString>* List;
    int Count = 0;
};

tvULong Word(const unsigned char* Bytes)
{
    return tvULong(Bytes[0]) | (tvULong(Bytes[1]) << 8) | (tvULong(Bytes[2]) << 16) | (tvULong(Bytes[3]) << 24);
}

bool ReadAt(FImgLoader& Loader, tvULong Offset, void* Dest, tvULong Size)
{
    return Loader.SeekFile(Offset, SEEK_FromBegin) && Loader.Read(Dest, Size);
}

bool CheckHeader(const FImgHeader& H, tvULong Length, FFaultList& Faults)
{
    const int Before = Faults.Num();
    if (H.DirectoryStart > H.DirectoryEnd || H.DirectoryEnd > Length)
        Faults.Add(TVTEXT("directory [%u, %u) is not a range inside the file of %u bytes"), H.DirectoryStart,
                   H.DirectoryEnd, Length);
    else if ((H.DirectoryEnd - H.DirectoryStart) % GImgItemSize != 0)
        Faults.Add(TVTEXT("directory size %u is not a multiple of %u bytes"), H.DirectoryEnd - H.DirectoryStart, GImgItemSize);
    else if (H.DirectoryEnd == H.DirectoryStart)
        Faults.Add(TVTEXT("directory holds no root item"));
    if (H.NamesStart > H.NamesEnd || H.NamesEnd > Length)
        Faults.Add(TVTEXT("names block [%u, %u) is not a range inside the file of %u bytes"), H.NamesStart, H.NamesEnd,
                   Length);
    if (std::uint64_t(H.HashTableOffset) + GImgHashTableSize > Length)
        Faults.Add(TVTEXT("hash table at %u passes the end of the file of %u bytes"), H.HashTableOffset, Length);
    return Faults.Num() == Before;
}

// A stored index as a reference: 0 is none; an index beyond the directory is a fault.
bool Link(tvULong Index, FImgDirectory& Dir, _diFileItem*& Out, int Item, const tvWChar* Field, FFaultList& Faults)
{
    Out = nullptr;
    if (Index == 0)
        return true;
    if (Index >= tvULong(Dir.Count))
        return Faults.Add(TVTEXT("item %d: %s %u is not an item (%d items)"), Item, Field, Index, Dir.Count);
    Out = &Dir.Items[Index];
    return true;
}

bool LoadItems(FImgLoader& Loader, FImgDirectory& Dir, FFaultList& Faults)
{
    const tvULong Count = tvULong(Dir.Count);
    // The allocator takes 32-bit sizes.
    if (std::uint64_t(sizeof(_diFileItem)) * Count > 0xFFFFFFFFu)
        return Faults.Add(TVTEXT("%u items are more than memory can hold"), Count) && false;
    Dir.Items = static_cast<_diFileItem*>(GMalloc->Malloc(unsigned(sizeof(_diFileItem) * Count)));
    Dir.PathLengths = static_cast<unsigned short*>(GMalloc->Malloc(unsigned(sizeof(unsigned short) * Count)));
    if (!Dir.Items || !Dir.PathLengths)
        return Faults.Add(TVTEXT("no memory for %u items"), Count) && false;
    std::memset(Dir.Items, 0, sizeof(_diFileItem) * Count);
    std::memset(Dir.PathLengths, 0, sizeof(unsigned short) * Count);
    if (!Loader.SeekFile(Dir.Header.DirectoryStart, SEEK_FromBegin))
        return Faults.Add(TVTEXT("directory cannot be read")) && false;
    const int Before = Faults.Num();
    for (tvULong i = 0; i < Count; ++i) {
        unsigned char Record[GImgItemSize];
        if (!Loader.Read(Record, GImgItemSize))
            return Faults.Add(TVTEXT("directory cannot be read")) && false;
        _diFileItem& Item = Dir.Items[i];
        const int Index = int(i);
        if (i == 0)
            Item.LinkA = reinterpret_cast<_diFileItem*>(static_cast<std::uintptr_t>(Word(Record + 4)));
        else if (!Link(Word(Record + 4), Dir, Item.LinkA, Index, TVTEXT("LinkA"), Faults))
            return false;
        if (!Link(Word(Record + 8), Dir, Item.Parent, Index, TVTEXT("Parent"), Faults) ||
            !Link(Word(Record + 12), Dir, Item.LinkB, Index, TVTEXT("LinkB"), Faults) ||
            !Link(Word(Record + 44), Dir, Item.HashNext, Index, TVTEXT("HashNext"), Faults))
            return false;
        Item.Reserved16 = Word(Record + 16);
        Item.Reserved20 = Word(Record + 20);
        Item.Reserved24 = Word(Record + 24);
        Item.Size = Word(Record + 28);
        Item.Offset = Word(Record + 32);
        Item.Reserved36 = Word(Record + 36);
        Item.Reserved40 = Word(Record + 40);
        if (i != 0 && std::uint64_t(Item.Offset) + Item.Size > Loader.GetLength() &&
            !Faults.Add(TVTEXT("item %d: data [%u, +%u) passes the end of the file"), Index, Item.Offset, Item.Size))
            return false;
    }
    return Faults.Num() == Before;
}

bool LoadHashTable(FImgLoader& Loader, FImgDirectory& Dir, FFaultList& Faults)
{
    constexpr int Buckets = GImgHashSide * GImgHashSide;
    Dir.HashTable = static_cast<_diFileItem**>(GMalloc->Malloc(unsigned(sizeof(_diFileItem*) * Buckets)));
    if (!Dir.HashTable)
        return Faults.Add(TVTEXT("no memory for the hash table")) && false;
    unsigned char Table[GImgHashTableSize];
    if (!ReadAt(Loader, Dir.Header.HashTableOffset, Table, GImgHashTableSize))
        return Faults.Add(TVTEXT("hash table cannot be read")) && false;
    const int Before = Faults.Num();
    for (int Bucket = 0; Bucket < Buckets; ++Bucket) {
        const tvULong Index = Word(Table + Bucket * 4);
        Dir.HashTable[Bucket] = nullptr;
        if (Index == GImgEmptyBucket)
            continue;
        if (Index == 0 || Index >= tvULong(Dir.Count)) {
            if (!Faults.Add(TVTEXT("bucket (%d, %d): %u is not an item that can be looked up"), Bucket / GImgHashSide,
                            Bucket % GImgHashSide, Index))
                return false;
            continue;
        }
        Dir.HashTable[Bucket] = &Dir.Items[Index];
    }
    return Faults.Num() == Before;
}

bool LoadNames(FImgLoader& Loader, FImgDirectory& Dir, FFaultList& Faults)
{
    const tvULong Size = Dir.Header.NamesEnd - Dir.Header.NamesStart;
    // One byte more than stored, always zero: no name can run past the block.
    Dir.Names = Size < 0xFFFFFFFFu ? static_cast<char*>(GMalloc->Malloc(Size + 1)) : nullptr;
    if (!Dir.Names)
        return Faults.Add(TVTEXT("no memory for the names block")) && false;
    Dir.Names[Size] = 0;
    if (!ReadAt(Loader, Dir.Header.NamesStart, Dir.Names, Size))
        return Faults.Add(TVTEXT("names block cannot be read")) && false;
    tvULong Position = 0;
    for (int i = 1; i < Dir.Count; ++i) {
        const char* Name = Dir.Names + Position;
        const std::size_t Length = std::strlen(Name);
        if (Position + Length >= Size)
            return Faults.Add(TVTEXT("names block ends at item %d of %d (a name without its terminator, or too few names)"),
                              i, Dir.Count) && false;
        Dir.Items[i].Name = Dir.Names + Position;
        Position += tvULong(Length) + 1;
    }
    return true;
}

// Every archive path fits its buffer, which also proves that no Parent chain loops (each step
// adds at least its separator).
bool CheckPaths(FImgDirectory& Dir, FFaultList& Faults)
{
    const int Before = Faults.Num();
    for (int i = 1; i < Dir.Count; ++i) {
        int Total = -1;
        for (const _diFileItem* It = &Dir.Items[i]; It; It = It->Parent) {
            Total += int(std::strlen(It->Name ? It->Name : "")) + 1;
            if (Total > GLongestPath)
                break;
        }
        if (Total > GLongestPath) {
            if (!Faults.Add(TVTEXT("item %d: archive path longer than %d bytes, or a Parent chain that loops"), i,
                            GLongestPath))
                return false;
            continue;
        }
        Dir.PathLengths[i] = static_cast<unsigned short>(Total);
    }
    return Faults.Num() == Before;
}

// Every chain ends: no item is reached twice through the table (a loop, or two buckets that
// share a tail).
bool CheckChains(FImgDirectory& Dir, FFaultList& Faults)
{
    unsigned char* Seen = static_cast<unsigned char*>(GMalloc->Malloc(tvULong(Dir.Count)));
    if (!Seen)
        return Faults.Add(TVTEXT("no memory to check the hash chains")) && false;
    std::memset(Seen, 0, std::size_t(Dir.Count));
    bool Ok = true;
    for (int Bucket = 0; Bucket < GImgHashSide * GImgHashSide && Ok; ++Bucket) {
        for (const _diFileItem* It = Dir.HashTable[Bucket]; It; It = It->HashNext) {
            const std::ptrdiff_t Index = It - Dir.Items;
            if (Seen[Index]) {
                Ok = Faults.Add(TVTEXT("bucket (%d, %d): item %d is reached twice (a HashNext loop or a shared chain)"),
                                Bucket / GImgHashSide, Bucket % GImgHashSide, int(Index));
                break;
            }
            Seen[Index] = 1;
        }
    }
    GMalloc->Free(Seen);
    return Faults.Num() == 0;
}

} // namespace

void FImgDirectory::Release()
{
    if (Items)
        GMalloc->Free(Items);
    if (Names)
        GMalloc->Free(Names);
    if (HashTable)
        GMalloc->Free(HashTable);
    if (PathLengths)
        GMalloc->Free(PathLengths);
    if (Lookup)
        GMalloc->Free(Lookup);
    if (LookupPaths)
        GMalloc->Free(LookupPaths);
    *this = FImgDirectory();
}

std::uint32_t ImgPathHash(const char* Text, int Length)
{
    // Eight bytes per step, each step mixed by one multiplication.
    std::uint64_t H = 0x9E3779B97F4A7C15ull ^ std::uint64_t(Length);
    int i = 0;
    for (; i + 8 <= Length; i += 8) {
        std::uint64_t Word;
        std::memcpy(&Word, Text + i, 8);
        H = (H ^ Word) * 0xFF51AFD7ED558CCDull;
        H ^= H >> 32;
    }
    std::uint64_t Tail = 0;
    std::memcpy(&Tail, Text + i, std::size_t(Length - i));
    H = (H ^ Tail) * 0xC4CEB9FE1A85EC53ull;
    H ^= H >> 29;
    return std::uint32_t(H);
}

bool ImgPathMatches(const _diFileItem* Item, const char* Key, int Length)
{
    int End = Length;
    for (const _diFileItem* It = Item; It; It = It->Parent) {
        const int NameLength = int(std::strlen(It->Name));
        if (NameLength > End || std::memcmp(Key + End - NameLength, It->Name, std::size_t(NameLength)) != 0)
            return false;
        End -= NameLength;
        if (It->Parent) {
            if (End == 0 || Key[End - 1] != '\\')
                return false;
            --End;
        }
    }
    return End == 0;
}

_diFileItem* FindInImgLookup(const tvULong* Lookup, tvULong Mask, const char* Paths, _diFileItem* Items,
                             const char* Key, int Length)
{
    const std::uint32_t Hash = ImgPathHash(Key, Length);
    for (tvULong Slot = Hash & Mask;; Slot = (Slot + 1) & Mask) {
        const tvULong* Entry = Lookup + 4 * Slot;
        if (Entry[1] == 0)
            return nullptr;
        if (Entry[0] != Hash || Entry[3] != tvULong(Length))
            continue;
        _diFileItem* Item = &Items[Entry[1]];
        if (Paths ? std::memcmp(Paths + Entry[2], Key, std::size_t(Length)) == 0 : ImgPathMatches(Item, Key, Length))
            return Item;
    }
}

void BuildImgLookup(FImgDirectory& Dir)
{
    // At most half full: every probe ends at an empty slot.
    tvULong Slots = 16;
    while (Slots < 2 * tvULong(Dir.Count))
        Slots *= 2;
    if (std::uint64_t(Slots) * 16 > 0xFFFFFFFFu)
        return;
    tvULong* Lookup = static_cast<tvULong*>(GMalloc->Malloc(unsigned(Slots * 16)));
    if (!Lookup)
        return;
    std::memset(Lookup, 0, Slots * 16);
    // The paths' copies, when memory allows: at most the sum of the path lengths.
    std::uint64_t PathBytes = 0;
    for (int i = 1; i < Dir.Count; ++i)
        PathBytes += Dir.PathLengths[i];
    char* Paths = PathBytes < 0x7FFFFFFFu ? static_cast<char*>(GMalloc->Malloc(unsigned(PathBytes + 1))) : nullptr;
    tvULong PathsUsed = 0;
    const tvULong Mask = Slots - 1;
    for (int Bucket = 0; Bucket < GImgHashSide * GImgHashSide; ++Bucket) {
        for (_diFileItem* Item = Dir.HashTable[Bucket]; Item; Item = Item->HashNext) {
            const char* Path = diGetFullPath(Item, 0);
            int A = 0, B = 0;
            diHash(Path, &A, &B);
            if (A * GImgHashSide + B != Bucket)
                continue;  // no key reaches this bucket with this path
            const int Length = int(std::strlen(Path));
            if (FindInImgLookup(Lookup, Mask, Paths, Dir.Items, Path, Length))
                continue;  // an earlier item of the chain has the same path
            const std::uint32_t Hash = ImgPathHash(Path, Length);
            tvULong Slot = Hash & Mask;
            while (Lookup[4 * Slot + 1] != 0)
                Slot = (Slot + 1) & Mask;
            tvULong* Entry = Lookup + 4 * Slot;
            Entry[0] = Hash;
            Entry[1] = tvULong(Item - Dir.Items);
            Entry[2] = PathsUsed;
            Entry[3] = tvULong(Length);
            if (Paths) {
                std::memcpy(Paths + PathsUsed, Path, std::size_t(Length));
                PathsUsed += tvULong(Length);
            }
        }
    }
    Dir.Lookup = Lookup;
    Dir.LookupMask = Mask;
    Dir.LookupPaths = Paths;
}

int LoadImgDirectory(FImgLoader& Loader, FImgDirectory& Out, TArray<FString>* FaultLines)
{
    FFaultList Faults(FaultLines);
    Out.Release();
    const tvULong Length = Loader.GetLength();
    unsigned char Header[GImgHeaderSize];
    if (Length < GImgHeaderSize || !ReadAt(Loader, 0, Header, GImgHeaderSize)) {
        Faults.Add(TVTEXT("file of %u bytes is shorter than the %u-byte header"), Length, GImgHeaderSize);
        return 0;
    }
    Out.Header.DirectoryStart = Word(Header + 8);
    Out.Header.DirectoryEnd = Word(Header + 12);
    Out.Header.NamesStart = Word(Header + 16);
    Out.Header.NamesEnd = Word(Header + 20);
    Out.Header.HashTableOffset = Word(Header + 32);
    if (!CheckHeader(Out.Header, Length, Faults)) {
        Out.Release();
        return 0;
    }
    // The count is bounded by the file: a directory inside it holds at most Length / 48 items.
    Out.Count = int((Out.Header.DirectoryEnd - Out.Header.DirectoryStart) / GImgItemSize);
    bool Ok = LoadItems(Loader, Out, Faults);
    if ((Ok || FaultLines) && Out.Items)
        Ok = LoadHashTable(Loader, Out, Faults) && Ok;
    if ((Ok || FaultLines) && Out.HashTable)
        Ok = LoadNames(Loader, Out, Faults) && Ok;
    if ((Ok || FaultLines) && Out.Names && Faults.Num() == 0)
        Ok = CheckPaths(Out, Faults) && Ok;
    if ((Ok || FaultLines) && Out.HashTable && Faults.Num() == 0)
        Ok = CheckChains(Out, Faults) && Ok;
    if (!Ok || Faults.Num() != 0) {
        Out.Release();
        return 0;
    }
    return 1;
}

} // namespace Tolvane
