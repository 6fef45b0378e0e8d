// The name table: case-insensitive interning of texts ("names") as small unsigned integers.
#pragma once

#include "tvCore/core/tvMemStack.h"
#include "tvCore/core/strings/tvArray.h"

namespace Tolvane {

class FArchive;

// The name index that means "no such name".
constexpr tvULong NAME_NONE_INDEX = 0xFFFFFFFFu;

// One interned name: its index, the next entry of the same bucket, and its text.
struct FNameEntry {
    tvULong Index;
    FNameEntry* Next;
    const tvWChar* Text;  // zero-terminated; the spelling the name was first added with
};

// Interns names: index i is the i-th name added, index 0 is always "None". Lookups fold
// A-Z and a-z only (as the C runtime's case-insensitive compare does in its default locale),
// through a power-of-two bucket table. Entries and copied texts live in the table's own
// memory stack and are given back only when the table is destroyed.
//
// A table whose construction was refused memory is left without buckets or text store: every
// Add and Find then gives NAME_NONE_INDEX and GetName null (IsValid tells). Not synchronised.
class TVCORE_API FNameHash {
public:
    // FNameHash(1024, 1024).
    FNameHash();
    // Storage for EntryCapacity entry pointers (a negative one counts as 0) and TableSize
    // buckets. A TableSize that is not a power of two is raised to the next one (up to 2^28);
    // one below 1 gives the default 1024 buckets.
    FNameHash(int EntryCapacity, int TableSize);
    ~FNameHash();
    // A table owns its text store and buckets; copying one is refused at compile time.
    FNameHash(const FNameHash&) = delete;
    FNameHash& operator=(const FNameHash&) = delete;

    // Adds Text and returns its index. Unique nonzero: the index of a name already held in any
    // case is returned instead. KeepPointer nonzero: the entry refers to the caller's text,
    // which must then outlive the table; else the text is copied into the table.
    // NAME_NONE_INDEX for a null text, a text too long to store, or refused memory (the table
    // is then unchanged).
    tvULong AddEx(const tvWChar* Text, int Unique, int KeepPointer);
    // AddEx(Text, 1, 0).
    tvULong Add(const tvWChar* Text) { return AddEx(Text, 1, 0); }
    // The index of the newest visible entry that equals Text case-insensitively, or
    // NAME_NONE_INDEX (also for a null text).
    tvULong Find(const tvWChar* Text) const;
    // Hides the newest entry that equals Text case-insensitively from Find. Its index and text
    // stay valid; adding the text again gives a new index. Nothing when there is no match.
    void Remove(const tvWChar* Text);
    // The text of name Index, or null for an index that was never given out.
    const tvWChar* GetName(tvULong Index) const;

    // The bucket of Text among TableSize buckets: the folded character hash AND (TableSize - 1),
    // so within 0..TableSize-1 for any TableSize of 1 or more (0 for a TableSize below 1, and
    // for an empty or null text).
    static int GetNameHash(const tvWChar* Text, int TableSize);

    int Num() const { return Entries.Num(); }
    int GetTableSize() const { return TableSize; }
    bool IsValid() const { return Buckets != nullptr; }

private:
    // Makes an entry in the text store; null (store unchanged) when memory is refused.
    FNameEntry* AllocNameEntry(const tvWChar* Text, tvULong Index, int KeepPointer);
    // Makes, links and records an entry; NAME_NONE_INDEX when memory is refused.
    tvULong AppendEntry(const tvWChar* Text, int KeepPointer);
    // Gives back every block the table holds and leaves it unusable.
    void Release();

    TArray<FNameEntry*> Entries;  // entry i has index i; never shrinks
    FMemStack* TextStore;         // owned: every entry and every copied text
    FMemMark* Mark;               // owned: taken on the text store right after it was made
    int TableSize;                // number of buckets, a power of two
    FNameEntry** Buckets;         // owned: chain heads, newest entry first
};

// The longest name appSerializeName loads.
constexpr int NAME_STORED_MAX_LENGTH = 255;

// Writes or reads one name as text, so a stream does not depend on the indices of one run. The
// stored form is a string's: a signed 32-bit count N, then N UTF-16 code units. Saving writes
// GetName(Name) up to its first 0. Loading reads the text and sets Name to its index in Names
// (AddEx(text, 1, 0): the name already held in any case, or a new one). Stored names hold at
// most NAME_STORED_MAX_LENGTH units.
//
// Refused, with Name = NAME_NONE_INDEX and the archive's error flag set: loading a negative
// count (nothing more is read), a longer name (its units are read past, so the next value is
// read in step), a name the archive could not deliver in full, or any name from an archive
// whose error flag is already set; saving an index the table never gave out (a count of 0 is
// written, which keeps the stream well-formed). A table that is refused memory for a new name
// gives NAME_NONE_INDEX without touching the archive's flag.
TVCORE_API FArchive& appSerializeName(FArchive& Ar, FNameHash& Names, tvULong& Name);

} // namespace Tolvane
