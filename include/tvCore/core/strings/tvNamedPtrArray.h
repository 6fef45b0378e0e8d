// TNamedPtrArray: (name, object) pairs searched by name, where a name is an index from a name
// table. The array holds the object pointers; only RemoveAndDeleteAll deletes the objects.
#pragma once

#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/strings/tvBitFlag.h"

#include <algorithm>

namespace Tolvane {

class FNameHash;

// One entry of a TNamedPtrArray: a name index and the object it names.
struct FNamedPair {
    tvULong Name = 0;
    void* Object = nullptr;

    FNamedPair() = default;
    FNamedPair(tvULong InName, void* InObject) : Name(InName), Object(InObject) {}

    bool operator==(const FNamedPair& Other) const { return Name == Other.Name && Object == Other.Object; }
    bool operator!=(const FNamedPair& Other) const { return !(*this == Other); }
};

template <class T>
class TNamedPtrArray {
public:
    enum { SORTED_BY_NAME = 1 };  // flag bit: the pairs are in ascending name order

    // Names is the table the pairs' names come from; the array never reads it. The pairs get
    // storage for InitialCapacity pairs up front.
    explicit TNamedPtrArray(FNameHash* InNames = nullptr, int InitialCapacity = 0) : Names(InNames)
    {
        Pairs.ReserveSpace(InitialCapacity);
    }
    // Copies share the objects: only the pointers are copied.
    TNamedPtrArray(const TNamedPtrArray& Source) : Names(Source.Names), Pairs(Source.Pairs), Flags(Source.Flags) {}
    TNamedPtrArray& operator=(const TNamedPtrArray& Source)
    {
        if (this != &Source) {
            Names = Source.Names;
            Pairs.Copy(Source.Pairs);
            Flags = Source.Flags;
        }
        return *this;
    }
    // Frees the pair storage; the objects stay.
    ~TNamedPtrArray() = default;

    // Appends the pair (names may repeat) and clears the sorted flag. Returns the pair's index,
    // or -1 when memory is refused.
    int AddTail(tvULong Name, T* Object)
    {
        Flags.ClearFlag(SORTED_BY_NAME);
        return Pairs.AddItem(FNamedPair(Name, Object));
    }

    // The object named Name, or null. Sorted: a binary search, giving the first pair of that
    // name in name order; otherwise the first such pair from the front.
    T* BinarySearch(tvULong Name) const
    {
        if (Pairs.Num() == 0)
            return nullptr;
        if (!IsSorted())
            return LinearSearch(Name);
        const FNamedPair* First = Pairs.GetData();
        const FNamedPair* Last = First + Pairs.Num();
        const FNamedPair* Found = std::lower_bound(First, Last, Name,
            [](const FNamedPair& Pair, tvULong Wanted) { return NameBefore(Pair.Name, Wanted); });
        return Found != Last && Found->Name == Name ? static_cast<T*>(Found->Object) : nullptr;
    }
    // The object of the first pair named Name, or null.
    T* LinearSearch(tvULong Name) const
    {
        for (const FNamedPair& Pair : Pairs)
            if (Pair.Name == Name)
                return static_cast<T*>(Pair.Object);
        return nullptr;
    }
    // Puts the pairs in ascending name order (not stable) and sets the sorted flag. Names
    // compare as signed 32-bit values: the order of their difference wherever it does not
    // overflow, so 0x80000000 and 0xFFFFFFFF (-1) sort before 0.
    void Sort()
    {
        std::sort(Pairs.begin(), Pairs.end(),
                  [](const FNamedPair& A, const FNamedPair& B) { return NameBefore(A.Name, B.Name); });
        Flags.SetFlag(SORTED_BY_NAME);
    }
    static bool NameBefore(tvULong A, tvULong B)
    {
        return static_cast<std::int32_t>(A) < static_cast<std::int32_t>(B);
    }

    // Pair access, no bounds check.
    T* ElementAt(int Index) const { return static_cast<T*>(Pairs[Index].Object); }
    tvULong NameAt(int Index) const { return Pairs[Index].Name; }
    int GetCount() const { return Pairs.Num(); }
    bool IsSorted() const { return Flags.HasFlag(SORTED_BY_NAME) != 0; }
    FNameHash* GetNames() const { return Names; }

    // Frees the pair storage; the objects stay.
    void RemoveAll() { Pairs.RemoveAll(1); }
    // Deletes every object that is not null, then frees the pair storage. The array is already
    // empty while the objects' destructors run.
    void RemoveAndDeleteAll()
    {
        static_assert(sizeof(T) > 0, "deleting needs the complete object type");
        TArray<FNamedPair> Doomed(std::move(Pairs));
        for (const FNamedPair& Pair : Doomed)
            delete static_cast<T*>(Pair.Object);
    }

private:
    FNameHash* Names;          // not owned
    TArray<FNamedPair> Pairs;  // insertion order, or name order after Sort
    FBitFlag Flags;
};

} // namespace Tolvane
