// FString: the library's one string type. One pointer to zero-terminated UTF-16 text; the
// header (reference count, length, capacity) sits in front of the characters in the same
// block. Buffers are never shared and capacities are exact; an empty string points at the
// shared empty record, never at null.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class FArchive;

// The header in front of every string buffer, followed by Capacity + 1 code units.
struct FStringData {
    tvLong RefCount;  // 1 owned, -1 locked or the shared empty record
    tvLong Length;    // code units in use, without the terminator
    tvLong Capacity;  // code units that fit, without the terminator slot

    tvWChar* Chars() { return reinterpret_cast<tvWChar*>(this + 1); }
    const tvWChar* Chars() const { return reinterpret_cast<const tvWChar*>(this + 1); }
};
static_assert(sizeof(FStringData) == 12, "the string header is three 32-bit fields");

// The terminator of the shared empty record; every empty FString points here.
extern TVCORE_API const tvWChar* const __GEmptyString;

class TVCORE_API FString {
public:
    FString() noexcept { Init(); }
    FString(const FString& Source);
    FString(const tvWChar* Text);
    FString(const tvWChar* Text, int Count);  // exactly Count units; a negative Count gives empty
    FString(tvWChar Char, int Repeat);
    ~FString();

    FString& operator=(const FString& Source);
    FString& operator=(const tvWChar* Text);
    FString& operator=(tvWChar Char);

    // Access
    int GetLength() const { return GetData()->Length; }
    int GetAllocLength() const { return GetData()->Capacity; }
    int IsEmpty() const { return GetData()->Length == 0; }
    operator tvWChar*() { return Text; }
    operator const tvWChar*() const { return Text; }
    tvWChar GetAt(int Index) const { return Text[Index]; }
    tvWChar operator[](int Index) const { return Text[Index]; }
    void SetAt(int Index, tvWChar Char);

    // Concatenation
    FString& operator+=(const FString& Other);
    FString& operator+=(const tvWChar* Other);
    FString& operator+=(tvWChar Char);
    friend TVCORE_API FString operator+(const FString& A, const FString& B);
    friend TVCORE_API FString operator+(const FString& A, const tvWChar* B);
    friend TVCORE_API FString operator+(const FString& A, tvWChar B);
    friend TVCORE_API FString operator+(const tvWChar* A, const FString& B);
    friend TVCORE_API FString operator+(tvWChar A, const FString& B);

    // Comparison: Compare gives exactly -1, 0 or 1; CompareNoCase folds A-Z only.
    int Compare(const tvWChar* Other) const;
    int CompareNoCase(const tvWChar* Other) const;

    // Search: index of the first unit of the match, or -1.
    int Find(tvWChar Char) const;
    int Find(tvWChar Char, int Start) const;
    int Find(const tvWChar* Sub) const;
    int Find(const tvWChar* Sub, int Start) const;
    int FindOneOf(const tvWChar* Set) const;
    int ReverseFind(tvWChar Char) const;

    // Extraction: new strings, the source unchanged.
    FString Mid(int First, int Count) const;
    FString Mid(int First) const;
    FString Left(int Count) const;
    FString Right(int Count) const;

    // Modification in place
    int Insert(int Index, const tvWChar* Text);
    int Insert(int Index, tvWChar Char);
    int Delete(int Index, int Count = 1);
    int Remove(tvWChar Char);
    int Replace(tvWChar Old, tvWChar New);
    int Replace(const tvWChar* Old, const tvWChar* New);
    void TrimLeft();
    void TrimRight();
    void TrimLeft(tvWChar Char);
    void TrimRight(tvWChar Char);
    void TrimLeft(const tvWChar* Set);
    void TrimRight(const tvWChar* Set);
    void MakeUpper();
    void MakeLower();
    void MakeReverse();
    void Empty();
    void FreeExtra();

    // Direct buffer access
    tvWChar* GetBuffer(int MinLength);
    tvWChar* GetBufferSetLength(int Length);
    void ReleaseBuffer(int Length = -1);
    tvWChar* LockBuffer();
    void UnlockBuffer();

    // Formatting with the library's wide formatter (%s wide, %S narrow).
    void Format(const tvWChar* Format, ...);
    void FormatV(const tvWChar* Format, va_list Args);

    // Conversions on plain buffers, with the system conversion calls' conventions.
    static int CaculateUtf16Length(const tvUShort* Text, int Max);
    static void UTF8ToUnicode(tvUShort* Dest, int DestLength, char* Source, int SourceLength);
    static void UnicodeToUTF8(char* Dest, int DestLength, tvUShort* Source, int SourceLength);
    static void GB2312ToUTF8(char* Dest, int DestLength, char* Source, int SourceLength);
    static void UTF8ToGB2312(char* Dest, int DestLength, char* Source, int SourceLength);
    static void WCharToChar(const tvWChar* Source, char* Dest, int Room);
    static void CharToWChar(const char* Source, tvWChar* Dest, int Room);

protected:
    // Write preparation: the public operations are built from these.
    void AllocBeforeWrite(int Length);
    void CopyBeforeWrite();
    void AllocBuffer(int Length);
    void AllocCopy(FString& Dest, int Count, int Start, int Extra) const;
    void AssignCopy(int Count, const tvWChar* Source);
    void ConcatCopy(int FirstCount, const tvWChar* First, int SecondCount, const tvWChar* Second);
    void ConcatInPlace(int Count, const tvWChar* Source);
    void Release();
    static void Release(FStringData* Data);
    static void FreeData(FStringData* Data);
    void Init() noexcept { Text = const_cast<tvWChar*>(__GEmptyString); }
    FStringData* GetData() const { return reinterpret_cast<FStringData*>(Text) - 1; }

private:
    static FStringData* NewData(int Length);  // null when the length cannot be allocated
    bool IsEmptyRecord() const { return Text == __GEmptyString; }
    bool PointsInside(const tvWChar* Pointer) const;
    int InsertUnits(int Index, const tvWChar* Units, int Count);
    bool Regrow(int Capacity);  // moves the text into a buffer of exactly Capacity units
    void FormatApart(const tvWChar* Format, va_list Args);  // the old buffer outlives the formatting
    void TrimLeftWhile(bool (*Match)(tvWChar, const void*), const void* Context);
    void TrimRightWhile(bool (*Match)(tvWChar, const void*), const void* Context);

    tvWChar* Text;
};

static_assert(sizeof(FString) == sizeof(void*), "a string is one pointer");

// Equality by code units (every unit up to the length, zeros inside included). Without these,
// "A == B" would compile as a comparison of the two buffer addresses, which are never equal.
TVCORE_API bool operator==(const FString& A, const FString& B);
TVCORE_API bool operator==(const FString& A, const tvWChar* B);  // B up to its first 0; null is ""
inline bool operator==(const tvWChar* A, const FString& B) { return B == A; }
inline bool operator!=(const FString& A, const FString& B) { return !(A == B); }
inline bool operator!=(const FString& A, const tvWChar* B) { return !(A == B); }
inline bool operator!=(const tvWChar* A, const FString& B) { return !(B == A); }

} // namespace Tolvane
