// The entries of one directory search, collected whole and put in the order the interface
// promises whatever the file system's own order: "." first, ".." second, then case-insensitive
// name order (ties by code unit). Each platform's search fills one and hands its entries out.
// Names are kept back to back (terminated) in one block, so a large directory costs two
// allocations.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvWideText.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Tolvane {

class FFindList {
public:
    FFindList() = default;
    FFindList(const FFindList&) = delete;
    FFindList& operator=(const FFindList&) = delete;
    ~FFindList()
    {
        delete[] Entries;
        delete[] Names;
    }

    // Adds one entry; false when memory is out.
    bool Add(const tvWChar* Name, tvULong Attributes)
    {
        const std::size_t Units = Wide::Length(Name) + 1;
        if (!Grow(Entries, Count, EntryCapacity, Count + 1) || !Grow(Names, NamesUsed, NamesCapacity, NamesUsed + Units))
            return false;
        std::memcpy(Names + NamesUsed, Name, Units * sizeof(tvWChar));
        Entries[Count++] = FEntry{NamesUsed, Attributes};
        NamesUsed += Units;
        return true;
    }

    std::size_t Size() const { return Count; }

    void Sort()
    {
        auto Rank = [](const tvWChar* Name) {
            if (Name[0] == tvWChar('.') && Name[1] == 0)
                return 0;
            if (Name[0] == tvWChar('.') && Name[1] == tvWChar('.') && Name[2] == 0)
                return 1;
            return 2;
        };
        std::sort(Entries, Entries + Count, [&](const FEntry& A, const FEntry& B) {
            const tvWChar* NameA = NameOf(A);
            const tvWChar* NameB = NameOf(B);
            const int RankA = Rank(NameA), RankB = Rank(NameB);
            if (RankA != RankB)
                return RankA < RankB;
            const int Folded = Wide::CompareNoCase(NameA, NameB);
            return Folded != 0 ? Folded < 0 : Wide::Compare(NameA, NameB) < 0;
        });
    }

    // The next entry in order: its name copied into Name (Capacity units, cut to fit) and its
    // attributes. False after the last.
    bool Next(tvWChar* Name, std::size_t Capacity, tvULong& Attributes)
    {
        if (NextIndex >= Count)
            return false;
        const FEntry& Entry = Entries[NextIndex++];
        Attributes = Entry.Attributes;
        Wide::CopyBounded(Name, Capacity, NameOf(Entry));
        return true;
    }

private:
    struct FEntry {
        std::size_t NameOffset;  // into Names
        tvULong Attributes;
    };

    template <class T>
    static bool Grow(T*& Block, std::size_t Used, std::size_t& Capacity, std::size_t Needed)
    {
        if (Needed <= Capacity)
            return true;
        std::size_t NewCapacity = Capacity ? Capacity * 2 : 64;
        while (NewCapacity < Needed)
            NewCapacity *= 2;
        T* NewBlock = new (std::nothrow) T[NewCapacity];
        if (!NewBlock)
            return false;
        if (Used)
            std::memcpy(NewBlock, Block, Used * sizeof(T));
        delete[] Block;
        Block = NewBlock;
        Capacity = NewCapacity;
        return true;
    }

    const tvWChar* NameOf(const FEntry& Entry) const { return Names + Entry.NameOffset; }

    FEntry* Entries = nullptr;
    tvWChar* Names = nullptr;
    std::size_t Count = 0;
    std::size_t EntryCapacity = 0;
    std::size_t NamesUsed = 0;
    std::size_t NamesCapacity = 0;
    std::size_t NextIndex = 0;
};

} // namespace Tolvane
