// The name table: bucket chains over entries kept in the table's own memory stack.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvNameHash.h"
#include "tvCore/core/tvGlobals.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

namespace {

constexpr int DefaultCapacity = 1024;
constexpr int DefaultTableSize = 1024;
// The largest bucket array still fits one allocation (GMalloc sizes are 32-bit).
constexpr int LargestTableSize = 1 << 28;
// The text store's chunks: 256 KiB, pieces aligned to 4 bytes unless they ask for more.
constexpr int TextStoreChunkSize = 262144;
constexpr int TextStoreAlign = 4;

// Index 0: the library's own text, never copied.
const tvWChar NoneText[] = TVTEXT("None");

// The upper-case folding the hash applies to the codes 0 to 255 (codes above are kept):
// a-z and the Latin-1 small letters move down by 32, except 240 and 247; 156 becomes 140 and
// 255 becomes 159 (the Windows-1252 positions of the matching capitals).
struct FHashFold {
    unsigned short Code[256];
    constexpr FHashFold() : Code()
    {
        for (int C = 0; C < 256; ++C) {
            int Folded = C;
            if (C == 156)
                Folded = 140;
            else if (C == 255)
                Folded = 159;
            else if ((C >= 97 && C <= 122) || (C >= 224 && C <= 254 && C != 240 && C != 247))
                Folded = C - 32;
            Code[C] = static_cast<unsigned short>(Folded);
        }
    }
};
constexpr FHashFold GHashFold;

std::uint32_t FoldedHash(const tvWChar* Text)
{
    std::uint32_t Hash = 0;
    for (; *Text != 0; ++Text) {
        const unsigned Code = *Text;
        const unsigned Folded = Code < 256 ? GHashFold.Code[Code] : Code;
        Hash ^= (Folded & 255u) + 8u * Hash;
        Hash ^= (Folded >> 8) + 8u * Hash;
    }
    return Hash;
}

// Wide::CompareNoCase(A, B) == 0, quicker for the usual case of a name given in the spelling it
// was added with: units are folded only where they differ.
bool EqualNoCase(const tvWChar* A, const tvWChar* B)
{
    for (;; ++A, ++B) {
        const tvWChar CA = *A, CB = *B;
        if (CA != CB) {
            if (Wide::ToLower(CA) != Wide::ToLower(CB))
                return false;
        } else if (CA == 0) {
            return true;
        }
    }
}

// The bucket count a table uses for a requested size.
int BucketCount(int Requested)
{
    if (Requested < 1)
        return DefaultTableSize;
    if (Requested > LargestTableSize)
        return LargestTableSize;
    return 1 << appCeilLogTwo(static_cast<tvULong>(Requested));
}

// Keeps GMalloc's name-table tag pushed for the length of a scope.
class FNameTableTag {
public:
    FNameTableTag() { GMalloc->PushMallocTag(MALLOC_TAG_NAMETABLE); }
    ~FNameTableTag() { GMalloc->PopMallocTag(MALLOC_TAG_NAMETABLE); }
    FNameTableTag(const FNameTableTag&) = delete;
    FNameTableTag& operator=(const FNameTableTag&) = delete;
};

} // namespace

FNameHash::FNameHash() : FNameHash(DefaultCapacity, DefaultTableSize) {}

FNameHash::FNameHash(int EntryCapacity, int InTableSize)
    : TextStore(nullptr), Mark(nullptr), TableSize(BucketCount(InTableSize)), Buckets(nullptr)
{
    if (EntryCapacity > 0)
        Entries.ReserveSpace(EntryCapacity);  // only a hint: refused, the array grows later
    void* StoreBlock = GMalloc->Malloc(sizeof(FMemStack));
    void* MarkBlock = StoreBlock != nullptr ? GMalloc->Malloc(sizeof(FMemMark)) : nullptr;
    void* BucketBlock = MarkBlock != nullptr
        ? GMalloc->Malloc(static_cast<unsigned int>(sizeof(FNameEntry*)) * static_cast<unsigned int>(TableSize))
        : nullptr;
    if (BucketBlock == nullptr) {
        GMalloc->Free(MarkBlock);
        GMalloc->Free(StoreBlock);
        return;
    }
    TextStore = static_cast<FMemStack*>(StoreBlock);
    TextStore->Init(TextStoreChunkSize, TextStoreAlign);
    Mark = ::new (MarkBlock) FMemMark(*TextStore);
    Buckets = static_cast<FNameEntry**>(BucketBlock);
    std::memset(Buckets, 0, sizeof(FNameEntry*) * static_cast<std::size_t>(TableSize));

    FNameTableTag Tag;
    if (AppendEntry(NoneText, 1) != 0)
        Release();  // without "None" at index 0 the indices cannot hold: the table stays unusable
}

FNameHash::~FNameHash()
{
    Release();
}

void FNameHash::Release()
{
    Entries.RemoveAll(1);
    if (TextStore != nullptr) {
        Mark->Pop();
        GMalloc->Free(Mark);
        TextStore->Reset();
        GMalloc->Free(TextStore);
    }
    GMalloc->Free(Buckets);
    TextStore = nullptr;
    Mark = nullptr;
    Buckets = nullptr;
}

int FNameHash::GetNameHash(const tvWChar* Text, int InTableSize)
{
    if (Text == nullptr || InTableSize < 1)
        return 0;
    return static_cast<int>(FoldedHash(Text) & static_cast<std::uint32_t>(InTableSize - 1));
}

FNameEntry* FNameHash::AllocNameEntry(const tvWChar* Text, tvULong Index, int KeepPointer)
{
    // The entry and, when copied, its text in one piece: the text follows the entry, so it is
    // aligned for its code units as well.
    std::size_t Bytes = sizeof(FNameEntry);
    const std::size_t Units = KeepPointer ? 0 : Wide::Length(Text) + 1;
    if (Units > (static_cast<std::size_t>(std::numeric_limits<int>::max()) - Bytes) / sizeof(tvWChar))
        return nullptr;
    Bytes += Units * sizeof(tvWChar);
    constexpr int EntryAlign = alignof(FNameEntry) > TextStoreAlign ? alignof(FNameEntry) : TextStoreAlign;
    unsigned char* Piece = TextStore->PushBytes(static_cast<int>(Bytes), EntryAlign);
    if (Piece == nullptr)
        return nullptr;
    FNameEntry* Entry = ::new (Piece) FNameEntry;
    if (KeepPointer) {
        Entry->Text = Text;
    } else {
        tvWChar* Copy = reinterpret_cast<tvWChar*>(Piece + sizeof(FNameEntry));
        std::memcpy(Copy, Text, Units * sizeof(tvWChar));
        Entry->Text = Copy;
    }
    Entry->Next = nullptr;
    Entry->Index = Index;
    return Entry;
}

tvULong FNameHash::AppendEntry(const tvWChar* Text, int KeepPointer)
{
    const int NewIndex = Entries.Num();
    FMemMark Undo(*TextStore);
    FNameEntry* Entry = AllocNameEntry(Text, static_cast<tvULong>(NewIndex), KeepPointer);
    if (Entry == nullptr)
        return NAME_NONE_INDEX;
    // Recorded before it is linked, so a refused array leaves no entry behind in a chain.
    if (Entries.AddItem(Entry) < 0) {
        Undo.Pop();
        return NAME_NONE_INDEX;
    }
    FNameEntry*& Head = Buckets[GetNameHash(Entry->Text, TableSize)];
    Entry->Next = Head;
    Head = Entry;
    return static_cast<tvULong>(NewIndex);
}

tvULong FNameHash::AddEx(const tvWChar* Text, int Unique, int KeepPointer)
{
    FNameTableTag Tag;
    if (Text == nullptr || Buckets == nullptr)
        return NAME_NONE_INDEX;
    if (Unique) {
        const tvULong Found = Find(Text);
        if (Found != NAME_NONE_INDEX)
            return Found;
    }
    return AppendEntry(Text, KeepPointer);
}

tvULong FNameHash::Find(const tvWChar* Text) const
{
    if (Text == nullptr || Buckets == nullptr)
        return NAME_NONE_INDEX;
    for (const FNameEntry* Entry = Buckets[GetNameHash(Text, TableSize)]; Entry != nullptr; Entry = Entry->Next)
        if (EqualNoCase(Entry->Text, Text))
            return Entry->Index;
    return NAME_NONE_INDEX;
}

void FNameHash::Remove(const tvWChar* Text)
{
    if (Text == nullptr || Buckets == nullptr)
        return;
    for (FNameEntry** Link = &Buckets[GetNameHash(Text, TableSize)]; *Link != nullptr; Link = &(*Link)->Next) {
        if (EqualNoCase((*Link)->Text, Text)) {
            *Link = (*Link)->Next;
            return;
        }
    }
}

const tvWChar* FNameHash::GetName(tvULong Index) const
{
    if (Index >= static_cast<tvULong>(Entries.Num()))
        return nullptr;
    return Entries[static_cast<int>(Index)]->Text;
}

} // namespace Tolvane
