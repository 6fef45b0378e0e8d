// FArchive: the one serialization stream of the library. A loading archive fills the caller's
// bytes, a saving archive consumes them, so one sequence of operator<< calls describes a
// format in both directions. Values are stored in their full width in little-endian order,
// without tags or padding.
#pragma once

#include "tvCore/core/tvBase.h"

#include <type_traits>

namespace Tolvane {

class FString;
class FBitFlag;

// The seek origin shared by all archives and loaders.
enum ESeekMethod {
    SEEK_FromCurrent = 0,
    SEEK_FromBegin = 1,
    SEEK_FromEnd = 2,
};

// The version every archive carries when it is constructed.
constexpr tvULong ArchiveDefaultVersion = 41;

// The stored widths are part of the format on every platform.
static_assert(sizeof(char) == 1 && sizeof(short) == 2 && sizeof(int) == 4, "archive widths");
static_assert(sizeof(float) == 4 && sizeof(unsigned long long) == 8, "archive widths");

class TVCORE_API FArchive : public FInterface {
public:
    // Flag bits.
    static constexpr tvULong FlagLoading = 1;
    static constexpr tvULong FlagSaving = 2;
    static constexpr tvULong FlagPersistent = 4;

    FArchive() : ArFlags(0), ArVersion(ArchiveDefaultVersion), ArError(0) {}
    // Copies carry the direction and the version; the failure state belongs to one stream.
    FArchive(const FArchive& Other) : FInterface(Other), ArFlags(Other.ArFlags), ArVersion(Other.ArVersion), ArError(0) {}
    FArchive& operator=(const FArchive& Other)
    {
        ArFlags = Other.ArFlags;
        ArVersion = Other.ArVersion;
        return *this;
    }
    ~FArchive() override;

    // Moves Length bytes between the stream and Data, in the archive's direction.
    virtual void Serialize(void* Data, tvULong Length) = 0;

    int IsLoading() const { return (ArFlags & FlagLoading) ? 1 : 0; }
    int IsSaving() const { return (ArFlags & FlagSaving) ? 1 : 0; }
    int IsPersistent() const { return (ArFlags & FlagPersistent) ? 1 : 0; }
    tvULong GetVersion() const { return ArVersion; }
    void SetVersion(tvULong Version) { ArVersion = Version; }

    // Sticky failure state. A reader sets it when it runs out of data (the missing bytes come
    // back as zeros), a writer when its target refuses bytes, and the string loader when a
    // stored count is negative or larger than the data that remains. Serialize itself still
    // returns nothing; callers that must know test IsError() after a sequence of values.
    int IsError() const { return ArError; }
    void SetError() { ArError = 1; }
    void ClearError() { ArError = 0; }

    // Values are never reordered: the library is little-endian on every platform.
    FArchive& ByteOrderSerialize(void* Data, tvULong Length)
    {
        Serialize(Data, Length);
        return *this;
    }

    // Built-in values, each in its full width. The const forms exist for saving and pass the
    // same address.
    FArchive& operator<<(char& Value) { return Pass(&Value, 1); }
    FArchive& operator<<(unsigned char& Value) { return Pass(&Value, 1); }
    FArchive& operator<<(short& Value) { return Pass(&Value, 2); }
    FArchive& operator<<(unsigned short& Value) { return Pass(&Value, 2); }
    FArchive& operator<<(int& Value) { return Pass(&Value, 4); }
    FArchive& operator<<(unsigned int& Value) { return Pass(&Value, 4); }
    FArchive& operator<<(float& Value) { return Pass(&Value, 4); }
    FArchive& operator<<(unsigned long long& Value) { return Pass(&Value, 8); }
    FArchive& operator<<(const char& Value) { return Pass(&Value, 1); }
    FArchive& operator<<(const unsigned char& Value) { return Pass(&Value, 1); }
    FArchive& operator<<(const short& Value) { return Pass(&Value, 2); }
    FArchive& operator<<(const unsigned short& Value) { return Pass(&Value, 2); }
    FArchive& operator<<(const int& Value) { return Pass(&Value, 4); }
    FArchive& operator<<(const unsigned int& Value) { return Pass(&Value, 4); }
    FArchive& operator<<(const float& Value) { return Pass(&Value, 4); }
    FArchive& operator<<(const unsigned long long& Value) { return Pass(&Value, 8); }
    // The interface's 32-bit unsigned long (tvULong) is unsigned int where that type is 32
    // bits wide, and a type of its own elsewhere; these overloads exist only in that case.
    template <class T, class = typename std::enable_if<std::is_same<T, tvULong>::value &&
                                                       !std::is_same<tvULong, unsigned int>::value>::type>
    FArchive& operator<<(T& Value) { return Pass(&Value, 4); }
    template <class T, class = typename std::enable_if<std::is_same<T, tvULong>::value &&
                                                       !std::is_same<tvULong, unsigned int>::value>::type>
    FArchive& operator<<(const T& Value) { return Pass(&Value, 4); }

    // Types without a stored form of their own would otherwise be promoted to a temporary int
    // (bool, signed char, the character types): a load would fill the temporary and lose the
    // value, a save would store a width nobody asked for. They are refused at compile time.
    FArchive& operator<<(bool&) = delete;
    FArchive& operator<<(const bool&) = delete;
    FArchive& operator<<(signed char&) = delete;
    FArchive& operator<<(const signed char&) = delete;
    FArchive& operator<<(wchar_t&) = delete;
    FArchive& operator<<(const wchar_t&) = delete;
    FArchive& operator<<(char16_t&) = delete;
    FArchive& operator<<(const char16_t&) = delete;
    FArchive& operator<<(char32_t&) = delete;
    FArchive& operator<<(const char32_t&) = delete;

protected:
    tvULong ArFlags;
    tvULong ArVersion;
    int ArError;

private:
    FArchive& Pass(const void* Data, tvULong Length)
    {
        Serialize(const_cast<void*>(Data), Length);
        return *this;
    }
};

// The string's stored form: a signed 32-bit count N (the characters before its first 0),
// then N UTF-16 code units, no terminator. A stored count that is negative or larger than the
// data left in a loading archive is not followed: the string comes back empty and the archive's
// error flag is set.
TVCORE_API FArchive& operator<<(FArchive& Ar, FString& Value);
// The flag set's 32-bit value as its 4 bytes.
TVCORE_API FArchive& operator<<(FArchive& Ar, FBitFlag& Value);

// The library stores little-endian data on every platform: always 0.
TVCORE_API int appIsBigEndian();

} // namespace Tolvane
