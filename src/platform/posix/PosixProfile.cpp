// Initialisation-file values on POSIX: the file is read whole, decoded to UTF-16 and scanned
// line by line. Windows has the real GetPrivateProfileStringW, so this reader lives here only.
#include "base/tvPrelude.h"
#include "platform/tvPlatformProfile.h"
#include "base/tvUnicode.h"
#include "platform/tvPlatformText.h"
#include "platform/tvPlatformFileHandle.h"

namespace Tolvane {
namespace Platform {

namespace {

// Settings files are small; a larger file is not read (the default is used).
constexpr std::int64_t GLargestProfile = 16 * 1024 * 1024;

inline bool IsBlank(tvWChar C) { return C == u' ' || C == u'\t'; }
inline tvWChar Fold(tvWChar C) { return (C >= u'a' && C <= u'z') ? tvWChar(C - 32) : C; }

struct FRange {
    const tvWChar* Begin;
    const tvWChar* End;
};

FRange Trim(const tvWChar* Begin, const tvWChar* End)
{
    while (Begin < End && IsBlank(*Begin))
        ++Begin;
    while (End > Begin && IsBlank(End[-1]))
        --End;
    return {Begin, End};
}

bool SameName(FRange Range, const tvWChar* Name)
{
    for (const tvWChar* P = Range.Begin; P < Range.End; ++P, ++Name)
        if (*Name == 0 || Fold(*P) != Fold(*Name))
            return false;
    return *Name == 0;
}

tvULong CopyOut(const tvWChar* Begin, const tvWChar* End, tvWChar* Out, tvULong Capacity)
{
    std::size_t Units = static_cast<std::size_t>(End - Begin);
    if (Units > Capacity - 1)
        Units = Capacity - 1;
    std::memcpy(Out, Begin, Units * sizeof(tvWChar));
    Out[Units] = 0;
    return static_cast<tvULong>(Units);
}

// The file's text as UTF-16 in a block from new[] (Units without a terminator); null when it
// cannot be read.
tvWChar* LoadText(const tvWChar* FileName, std::size_t& Units)
{
    tvHandle File = FileHandleOpenRead(FileName);
    if (!File)
        return nullptr;
    const std::int64_t Size = FileHandleSize(File);
    char* Bytes = (Size >= 0 && Size <= GLargestProfile) ? new (std::nothrow) char[std::size_t(Size) + 1] : nullptr;
    const bool Read = Bytes && FileHandleRead(File, Bytes, static_cast<tvULong>(Size)) == static_cast<tvULong>(Size);
    FileHandleClose(File);
    if (!Read) {
        delete[] Bytes;
        return nullptr;
    }
    const std::size_t Length = static_cast<std::size_t>(Size);
    tvWChar* Text = nullptr;
    Units = 0;
    const unsigned char* U = reinterpret_cast<const unsigned char*>(Bytes);
    if (Length >= 2 && U[0] == 0xFF && U[1] == 0xFE) {
        Units = (Length - 2) / 2;
        Text = new (std::nothrow) tvWChar[Units + 1];
        for (std::size_t i = 0; Text && i < Units; ++i)
            Text[i] = static_cast<tvWChar>(U[2 + 2 * i] | (U[3 + 2 * i] << 8));
    } else {
        std::size_t Skip = (Length >= 3 && U[0] == 0xEF && U[1] == 0xBB && U[2] == 0xBF) ? 3 : 0;
        const int Count = static_cast<int>(Length - Skip);
        Text = new (std::nothrow) tvWChar[Length - Skip + 1];
        if (Text && Count > 0) {
            // UTF-8 when the bytes are valid UTF-8 (or marked so), else the ANSI code page. (The
            // conversion itself no longer fails on invalid input, so validity is tested first.)
            const bool Utf8 = Skip != 0 || Unicode::IsValidUtf8(Bytes + Skip, std::size_t(Count));
            const int Got = MultiByteToWide(Utf8 ? GCodePageUtf8 : GCodePageAnsi, Bytes + Skip, Count, Text, Count);
            Units = Got > 0 ? static_cast<std::size_t>(Got) : 0;
        }
    }
    delete[] Bytes;
    return Text;
}

// Finds Key in Section; true with the value's range when found.
bool FindValue(const tvWChar* Text, std::size_t Units, const tvWChar* Section, const tvWChar* Key, FRange& Value)
{
    const tvWChar* P = Text;
    const tvWChar* End = Text + Units;
    bool InSection = false;
    while (P < End) {
        const tvWChar* LineEnd = P;
        while (LineEnd < End && *LineEnd != u'\r' && *LineEnd != u'\n')
            ++LineEnd;
        const FRange Line = Trim(P, LineEnd);
        P = LineEnd < End ? LineEnd + 1 : End;
        if (Line.Begin == Line.End || *Line.Begin == u';')
            continue;
        if (*Line.Begin == u'[') {
            const tvWChar* Close = Line.Begin + 1;
            while (Close < Line.End && *Close != u']')
                ++Close;
            InSection = SameName(Trim(Line.Begin + 1, Close), Section);
            continue;
        }
        if (!InSection)
            continue;
        const tvWChar* Equals = Line.Begin;
        while (Equals < Line.End && *Equals != u'=')
            ++Equals;
        if (Equals == Line.End || !SameName(Trim(Line.Begin, Equals), Key))
            continue;
        Value = Trim(Equals + 1, Line.End);
        const std::ptrdiff_t Length = Value.End - Value.Begin;
        if (Length >= 2 && (*Value.Begin == u'"' || *Value.Begin == u'\'') && Value.End[-1] == *Value.Begin) {
            ++Value.Begin;
            --Value.End;
        }
        return true;
    }
    return false;
}

} // namespace

tvULong ProfileGetString(const tvWChar* Section, const tvWChar* Key, const tvWChar* Default, tvWChar* Out,
                         tvULong Capacity, const tvWChar* FileName)
{
    if (!Out || Capacity == 0)
        return 0;
    std::size_t Units = 0;
    tvWChar* Text = (Section && Key && FileName) ? LoadText(FileName, Units) : nullptr;
    FRange Value;
    tvULong Written;
    if (Text && FindValue(Text, Units, Section, Key, Value)) {
        Written = CopyOut(Value.Begin, Value.End, Out, Capacity);
    } else {
        const tvWChar* DefaultEnd = Default;
        while (DefaultEnd && *DefaultEnd)
            ++DefaultEnd;
        while (DefaultEnd && DefaultEnd > Default && IsBlank(DefaultEnd[-1]))
            --DefaultEnd;
        Written = Default ? CopyOut(Default, DefaultEnd, Out, Capacity) : CopyOut(Out, Out, Out, Capacity);
    }
    delete[] Text;
    return Written;
}

} // namespace Platform
} // namespace Tolvane
