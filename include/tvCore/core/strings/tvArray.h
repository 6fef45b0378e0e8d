// TArray: the library's growable array. Elements lie in one GMalloc block and are moved as raw
// bytes when it moves, so an element type must not hold pointers into itself. New elements
// always start as zero bytes; what happens after that, and when an element is dropped, is the
// element type's TArrayElementTraits.
#pragma once

#include "tvCore/core/strings/tvArrayStorage.h"
#include "tvCore/core/strings/tvString.h"

#include <new>
#include <type_traits>
#include <utility>

namespace Tolvane {

// Whether two elements can be compared with ==.
template <class T, class = void>
struct TArrayHasEquality : std::false_type {};
template <class T>
struct TArrayHasEquality<T, std::void_t<decltype(std::declval<const T&>() == std::declval<const T&>())>>
    : std::true_type {};

// How FindItem and RemoveItem compare elements: with == where the type has it, otherwise by
// bytes, which only a plain type without padding allows (a handle-like class would compare its
// handles, padding would compare garbage).
template <class T>
struct TArrayDefaultEquality {
    static bool Equal(const T& A, const T& B)
    {
        if constexpr (TArrayHasEquality<T>::value) {
            return A == B;
        } else {
            static_assert(std::is_trivially_copyable<T>::value && std::has_unique_object_representations<T>::value,
                          "searching needs an element type with ==, or a plain one without padding bytes");
            return std::memcmp(&A, &B, sizeof(T)) == 0;
        }
    }
    // Whether a copy holds all of its source. A copy of a plain value always does; a type whose
    // copy can be refused memory (a string) says how to tell.
    static constexpr bool CopiedWhole(const T&, const T&) { return true; }
};

// How TArray treats an element type. The default: zero bytes are the new element and a
// dropped element is simply forgotten, which suits numbers, pointers and plain records.
// A type with a destructor must say how it is released (the TArray rejects it otherwise):
// specialise this template, usually by deriving from one of the two helpers below.
template <class T>
struct TArrayElementTraits : TArrayDefaultEquality<T> {
    static constexpr bool ConstructNew = false;   // run the default constructor on new elements
    static constexpr bool ReleaseDropped = false; // run the destructor on dropped elements
    // The IsPOD() constant: 1 for the built-in arithmetic types, 0 for records and pointers.
    static constexpr int IsPOD = std::is_arithmetic<T>::value ? 1 : 0;
};

// For a type whose new elements get its default construction after the zeroing (its
// constructor sees the zero bytes and sets what it sets), and whose destructor releases it.
template <class T>
struct TArrayConstructedElements : TArrayDefaultEquality<T> {
    static constexpr bool ConstructNew = true;
    static constexpr bool ReleaseDropped = !std::is_trivially_destructible<T>::value;
    static constexpr int IsPOD = 0;
};

// For a type whose zero bytes already are a valid empty value but that owns something its
// destructor gives back (an array of arrays).
template <class T>
struct TArrayZeroedOwningElements : TArrayDefaultEquality<T> {
    static constexpr bool ConstructNew = false;
    static constexpr bool ReleaseDropped = true;
    static constexpr int IsPOD = 0;
};

template <class T, class ARG_T = const T&>
class TArray : public FArrayStorage {
    typedef TArrayElementTraits<T> Traits;
    static_assert(alignof(T) <= alignof(std::max_align_t), "GMalloc blocks align to max_align_t only");
    static_assert(std::is_trivially_destructible<T>::value || Traits::ReleaseDropped,
                  "an element type with a destructor needs a TArrayElementTraits that releases it");

public:
    typedef T ElementType;

    TArray() = default;
    // Starts from all four fields 0, then copies the elements (empty if memory is refused).
    // The grow-by is not copied.
    TArray(const TArray& Source) : FArrayStorage() { Copy(Source); }
    TArray(TArray&& Source) noexcept : FArrayStorage() { TakeFields(Source); }
    // Frees the storage; elements whose type asks for it are released first.
    ~TArray() { ReleaseElements(0, Count); }

    TArray& operator=(const TArray& Source)
    {
        Copy(Source);
        return *this;
    }
    TArray& operator=(TArray&& Source) noexcept
    {
        if (this != &Source) {
            ReleaseElements(0, Count);
            ReleaseStorage();
            TakeFields(Source);
        }
        return *this;
    }

    static constexpr int IsPOD() { return Traits::IsPOD; }

    // --- Size ---------------------------------------------------------------------------------
    // Sets the count to NewSize; a NewGrowBy of 0 or more becomes the grow-by first. New
    // elements are zeroed (and constructed), dropped ones released; NewSize 0 frees the
    // storage. Returns 1, or 0 with the elements unchanged for a negative NewSize, a size
    // beyond MaxElements or refused memory (a valid NewGrowBy is kept even then).
    int SetSize(int NewSize, int NewGrowBy = -1)
    {
        if (NewGrowBy >= 0)
            GrowBy = NewGrowBy;
        return Resize(NewSize);
    }
    // Storage for at least Number elements: an array without storage gets exactly Number
    // zeroed slots, one with storage grows to exactly Number when it holds fewer and never
    // shrinks. The count is unchanged. Returns 1, or 0 for a negative Number or refused memory.
    int ReserveSpace(int Number) { return ReserveExactly(Number, sizeof(T)); }
    // Appends Number new elements, all zero bytes (and constructed): every new element starts
    // zeroed, so the Zero flag changes nothing. Returns the old count, or -1 with nothing
    // changed for a negative Number, a count beyond the limit or refused memory.
    int AddSize(int Number, int /*Zero*/ = 0)
    {
        if (Number < 0)
            return -1;
        const int OldCount = Count;
        if (Number > 0 && !Resize(static_cast<std::int64_t>(OldCount) + Number))
            return -1;
        return OldCount;
    }
    int AddZeroed(int Number) { return AddSize(Number, 1); }

    // --- Adding -------------------------------------------------------------------------------
    // Appends a copy of Value and returns its index; -1 when memory is refused. Value may be an
    // element of this array.
    int AddItem(ARG_T Value)
    {
        if (Count < Capacity) {
            ::new (static_cast<void*>(Elements() + Count)) T(Value);
            return KeptWhole(Count, Value) ? Count++ : -1;
        }
        return AddItemGrowing(Value);
    }
    // As AddItem, but returns the new count (-1 when memory is refused).
    int PushBack(ARG_T Value) { return AddItem(Value) < 0 ? -1 : Count; }
    // Stores Value at Index, first growing the count to Index + 1 when Index is at or beyond
    // the end. Returns 1, or 0 with nothing changed for a negative Index or refused memory.
    int SetAtGrow(int Index, ARG_T Value)
    {
        if (Index < 0)
            return 0;
        if (Index < Count) {
            Elements()[Index] = Value;
            // A copy refused its memory leaves the element as it was.
            return Traits::CopiedWhole(Elements()[Index], Value) ? 1 : 0;
        }
        const int Alias = IndexOfAddress(&Value, sizeof(T));
        const int OldCount = Count;
        if (!Resize(static_cast<std::int64_t>(Index) + 1))
            return 0;
        const T& Source = Alias >= 0 ? Elements()[Alias] : Value;
        Elements()[Index] = Source;
        if (!Traits::CopiedWhole(Elements()[Index], Source)) {
            Resize(OldCount);
            return 0;
        }
        return 1;
    }
    // Inserts Number copies of Value at Index. Inside the array the elements from Index move up
    // by Number; at or beyond the end the array first grows to Index, the new elements zeroed.
    // Returns 1 (Number 0 changes nothing), or 0 with nothing changed for a negative Index or
    // Number, a count beyond the limit or refused memory. Value may be an element of this array.
    int InsertAt(int Index, ARG_T Value, int Number = 1)
    {
        if (Index < 0 || Number < 0)
            return 0;
        if (Number == 0)
            return 1;
        int Alias = IndexOfAddress(&Value, sizeof(T));
        const int OldCount = Count;
        if (Index < OldCount) {
            if (!GrowTo(static_cast<std::int64_t>(OldCount) + Number, sizeof(T)))
                return 0;
            MoveSlots(Index + Number, Index, OldCount - Index, sizeof(T));
            PrepareElements(Index, Index + Number);
            Count = OldCount + Number;
            if (Alias >= Index)
                Alias += Number;
        } else if (!Resize(static_cast<std::int64_t>(Index) + Number)) {
            return 0;
        }
        const T& Source = Alias >= 0 ? Elements()[Alias] : Value;
        bool Whole = true;
        for (int i = Index; i < Index + Number && Whole; ++i) {
            Elements()[i] = Source;
            Whole = Traits::CopiedWhole(Elements()[i], Source);
        }
        if (!Whole) {
            // A copy refused its memory: nothing changed, as with any refused growth.
            RemoveAt(Index, Number);
            if (OldCount < Count)
                Resize(OldCount);
            return 0;
        }
        return 1;
    }

    // --- Removing -----------------------------------------------------------------------------
    // Removes Number elements from Index (released where the type asks for it); the tail moves
    // down and the capacity stays. A range reaching past the end stops at the end. Returns the
    // number removed: 0 for an Index outside the elements or a Number below 1.
    int RemoveAt(int Index, int Number = 1)
    {
        if (!IsValidIndex(Index) || Number < 1)
            return 0;
        if (Number > Count - Index)
            Number = Count - Index;
        ReleaseElements(Index, Index + Number);
        MoveSlots(Index, Index + Number, Count - Index - Number, sizeof(T));
        Count -= Number;
        return Number;
    }
    // Removes the first element equal to Value; returns its index, or -1 when there is none.
    int RemoveItem(ARG_T Value)
    {
        const int Index = FindItem(Value);
        if (Index >= 0)
            RemoveAt(Index, 1);
        return Index;
    }
    // Count 0 (elements released where the type asks for it). A nonzero FreeStorage also frees
    // the storage: data null, capacity 0. The grow-by stays either way.
    void RemoveAll(int FreeStorage = 0)
    {
        ReleaseElements(0, Count);
        Count = 0;
        if (FreeStorage)
            ReleaseStorage();
    }

    // --- Copying ------------------------------------------------------------------------------
    // Sizes this array to Source's count and assigns element by element; nothing when Source is
    // this array. Returns 1, or 0 with this array unchanged when memory is refused.
    int Copy(const TArray& Source)
    {
        if (&Source == this)
            return 1;
        if (!Resize(Source.Count))
            return 0;
        if constexpr (std::is_trivially_copy_assignable<T>::value) {
            if (Count > 0)
                std::memcpy(Data, Source.Data, static_cast<std::size_t>(Count) * sizeof(T));
        } else {
            for (int i = 0; i < Count; ++i)
                Elements()[i] = Source.Elements()[i];
        }
        return 1;
    }

    // --- Access (no bounds check; IsValidIndex tells whether an index is inside) --------------
    T* GetData() { return Elements(); }
    const T* GetData() const { return Elements(); }
    T& operator[](int Index) { return Elements()[Index]; }
    const T& operator[](int Index) const { return Elements()[Index]; }
    T& ElementAt(int Index) { return Elements()[Index]; }
    const T& ElementAt(int Index) const { return Elements()[Index]; }
    T& GetAt(int Index) { return Elements()[Index]; }
    const T& GetAt(int Index) const { return Elements()[Index]; }
    // Index of the first element equal to Value (as the element traits compare), or -1.
    int FindItem(ARG_T Value) const
    {
        for (int i = 0; i < Count; ++i)
            if (Traits::Equal(Elements()[i], Value))
                return i;
        return -1;
    }

    T* begin() { return Elements(); }
    T* end() { return Elements() + Count; }
    const T* begin() const { return Elements(); }
    const T* end() const { return Elements() + Count; }

private:
    T* Elements() const { return static_cast<T*>(Data); }

    // New elements From..To-1: zero bytes, then the default constructor where the type asks.
    void PrepareElements(int From, int To)
    {
        ZeroSlots(From, To - From, sizeof(T));
        if constexpr (Traits::ConstructNew)
            for (int i = From; i < To; ++i)
                ::new (Slot(i, sizeof(T))) T();
    }
    void ReleaseElements(int From, int To)
    {
        if constexpr (Traits::ReleaseDropped)
            for (int i = From; i < To; ++i)
                Elements()[i].~T();
    }

    int Resize(std::int64_t NewSize)
    {
        if (NewSize < 0 || NewSize > MaxElements(sizeof(T)))
            return 0;
        const int Size = static_cast<int>(NewSize);
        if (Size == 0) {
            ReleaseElements(0, Count);
            ReleaseStorage();
            return 1;
        }
        if (Size > Capacity && !GrowTo(Size, sizeof(T)))
            return 0;
        if (Size > Count)
            PrepareElements(Count, Size);
        else
            ReleaseElements(Size, Count);
        Count = Size;
        return 1;
    }

    // AddItem on full storage: Value may lie in the block that is about to move. A plain value
    // is copied out first (which also keeps the caller's variable out of memory in the common
    // path); any other is found again by its index.
    int AddItemGrowing(ARG_T Value)
    {
        if constexpr (std::is_trivially_copyable<T>::value) {
            const T Saved = Value;
            if (!GrowTo(static_cast<std::int64_t>(Count) + 1, sizeof(T)))
                return -1;
            ::new (static_cast<void*>(Elements() + Count)) T(Saved);
            return Count++;
        }
        const int Alias = IndexOfAddress(&Value, sizeof(T));
        if (!GrowTo(static_cast<std::int64_t>(Count) + 1, sizeof(T)))
            return -1;
        const T& Source = Alias >= 0 ? Elements()[Alias] : Value;
        ::new (static_cast<void*>(Elements() + Count)) T(Source);
        return KeptWhole(Count, Source) ? Count++ : -1;
    }

    // After constructing element Index (not yet counted) from Source: true when it holds all of
    // Source; otherwise it is released again.
    bool KeptWhole(int Index, const T& Source)
    {
        if (Traits::CopiedWhole(Elements()[Index], Source))
            return true;
        ReleaseElements(Index, Index + 1);
        return false;
    }
};

// An array of arrays: zero bytes are an empty array, and a dropped one frees its storage.
template <class T, class ARG_T>
struct TArrayElementTraits<TArray<T, ARG_T>> : TArrayZeroedOwningElements<TArray<T, ARG_T>> {};

// Strings: a new element is the empty string, a dropped one releases its buffer, and two are
// equal when they hold the same code units (zero units inside included).
template <>
struct TArrayElementTraits<FString> : TArrayConstructedElements<FString> {
    static bool Equal(const FString& A, const FString& B) { return A == B; }
    // A string copy refused its memory keeps its old (empty) text.
    static bool CopiedWhole(const FString& Copy, const FString& Source) { return Copy.GetLength() == Source.GetLength(); }
};

} // namespace Tolvane
