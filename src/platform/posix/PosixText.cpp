// Text on POSIX: code pages through iconv, and system paths.
#include "base/tvPrelude.h"
#include "platform/tvPlatformText.h"
#include "base/tvUnicode.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>

namespace Tolvane {
namespace Platform {

// ----------------------------------------------------------------------------------------------
// UTF-16 <-> UTF-8 at the system boundary, and system paths.

FSystemPath::FSystemPath(const tvWChar* Path)
    : Valid(Path && Unicode::Utf16ToUtf8(Path, -1, Text, Capacity) >= 0)
{
    if (!Path)
        Text[0] = 0;
    for (char* P = Text; *P; ++P)
        if (*P == '\\')
            *P = '/';
}

// ----------------------------------------------------------------------------------------------
// Code-page conversion on POSIX. Windows-1252, the default ANSI code page, is converted here
// with its table (the system's converter rejects the five bytes that Windows passes through
// unchanged); every other code page goes through iconv, with one converter per code page and
// direction cached per thread, since a converter holds state and must not be shared.

namespace {

std::atomic<unsigned> GAnsiCodePage{1252};

constexpr unsigned GWindows1252 = 1252;

// 0x80-0x9F are the only bytes of Windows-1252 that differ from Latin-1; the five unassigned
// ones map to the same code, as Windows maps them.
const tvWChar GHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};


// Units a valid character takes at Source[i] (1 or 2), or 0 for a lone surrogate.
inline int CharacterUnits(const tvWChar* Source, std::size_t i, std::size_t Count)
{
    if (Unicode::IsHighSurrogate(Source[i]))
        return (i + 1 < Count && Unicode::IsLowSurrogate(Source[i + 1])) ? 2 : 0;
    return Unicode::IsLowSurrogate(Source[i]) ? 0 : 1;
}

int Encode1252(tvWChar C)
{
    if (C < 0x80 || (C >= 0xA0 && C <= 0xFF))
        return int(C);
    for (int i = 0; i < 32; ++i)
        if (GHigh1252[i] == C)
            return 0x80 + i;
    return -1;
}

// Counts or writes output with the room rules of the conversion calls.
template <class Unit>
struct FOutput {
    Unit* Dest;
    std::size_t Room;   // 0: only counting
    std::size_t Count = 0;
    bool Overflow = false;

    void Put(Unit U)
    {
        if (Room) {
            if (Count < Room) Dest[Count] = U;
            else Overflow = true;
        }
        ++Count;
    }
    int Result() const { return Overflow || Count > 0x7FFFFFFF ? 0 : int(Count); }
};

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
const char GUtf16Name[] = "UTF-16BE";
#else
const char GUtf16Name[] = "UTF-16LE";
#endif

void IconvName(unsigned CodePage, char (&Name)[24])
{
    if (CodePage == GCodePageUtf8)
        std::snprintf(Name, sizeof Name, "UTF-8");
    else
        std::snprintf(Name, sizeof Name, "CP%u", CodePage);
}

iconv_t const GNoConverter = reinterpret_cast<iconv_t>(-1);

// A few converters per thread, opened on first use and closed when the thread ends.
class FConverters {
public:
    ~FConverters()
    {
        for (int i = 0; i < Used; ++i)
            iconv_close(Slots[i].Converter);
    }
    iconv_t Get(unsigned CodePage, bool ToWide)
    {
        for (int i = 0; i < Used; ++i)
            if (Slots[i].CodePage == CodePage && Slots[i].ToWide == ToWide) {
                iconv(Slots[i].Converter, nullptr, nullptr, nullptr, nullptr);  // reset state
                return Slots[i].Converter;
            }
        char Name[24];
        IconvName(CodePage, Name);
        iconv_t C = ToWide ? iconv_open(GUtf16Name, Name) : iconv_open(Name, GUtf16Name);
        if (C == GNoConverter)
            return C;
        int Index;
        if (Used < Capacity) {
            Index = Used++;
        } else {
            Index = int(Next++ % Capacity);  // the slots are reused in turn
            iconv_close(Slots[Index].Converter);
        }
        Slots[Index] = FSlot{CodePage, ToWide, C};
        return C;
    }

private:
    struct FSlot {
        unsigned CodePage = 0;
        bool ToWide = false;
        iconv_t Converter = nullptr;
    };
    static constexpr int Capacity = 6;
    FSlot Slots[Capacity];
    int Used = 0;
    unsigned Next = 0;
};

thread_local FConverters GConverters;

inline unsigned Resolve(unsigned CodePage)
{
    return CodePage == GCodePageAnsi ? GAnsiCodePage.load(std::memory_order_relaxed) : CodePage;
}

// Runs iconv over the whole input, writing through Out. Returns false on invalid input.
// For the narrow direction, a character the code page cannot hold becomes '?'.
template <class In, class OutUnit>
bool RunIconv(iconv_t C, const In* Source, std::size_t Count, FOutput<OutUnit>& Out, bool ToWide)
{
    char* InPtr = const_cast<char*>(reinterpret_cast<const char*>(Source));
    std::size_t InLeft = Count * sizeof(In);
    OutUnit Chunk[256];
    while (InLeft > 0) {
        char* OutPtr = reinterpret_cast<char*>(Chunk);
        std::size_t OutLeft = sizeof Chunk;
        const std::size_t R = iconv(C, &InPtr, &InLeft, &OutPtr, &OutLeft);
        const int Error = R == std::size_t(-1) ? errno : 0;
        const std::size_t Made = std::size_t(reinterpret_cast<OutUnit*>(OutPtr) - Chunk);
        for (std::size_t i = 0; i < Made; ++i)
            Out.Put(Chunk[i]);
        if (Error == 0 || Error == E2BIG)
            continue;
        if (ToWide || Error != EILSEQ)
            return false;  // malformed narrow text, or a character cut off at the end
        // The narrow direction stopped at a unit: a lone surrogate fails, a character the
        // code page cannot hold becomes the default character.
        const tvWChar* At = reinterpret_cast<const tvWChar*>(InPtr);
        const std::size_t Index = std::size_t(At - reinterpret_cast<const tvWChar*>(Source));
        const int Units = CharacterUnits(reinterpret_cast<const tvWChar*>(Source), Index, Count);
        if (Units == 0)
            return false;
        Out.Put(OutUnit('?'));
        InPtr += Units * sizeof(tvWChar);
        InLeft -= Units * sizeof(tvWChar);
    }
    // Flush any shift state the narrow side may need.
    if (!ToWide) {
        char* OutPtr = reinterpret_cast<char*>(Chunk);
        std::size_t OutLeft = sizeof Chunk;
        iconv(C, nullptr, nullptr, &OutPtr, &OutLeft);
        for (OutUnit* P = Chunk; P < reinterpret_cast<OutUnit*>(OutPtr); ++P)
            Out.Put(*P);
    }
    return true;
}

template <class In>
inline bool ValidArguments(const In* Source, int SourceLength, const void* Dest, int DestLength)
{
    return Source && (SourceLength > 0 || SourceLength == -1) && DestLength >= 0 && (DestLength == 0 || Dest);
}

} // namespace

unsigned AnsiCodePage()
{
    return GAnsiCodePage.load(std::memory_order_relaxed);
}

bool SetAnsiCodePage(unsigned CodePage)
{
    if (CodePage == GCodePageAnsi)
        return false;
    if (CodePage != GWindows1252 && GConverters.Get(CodePage, true) == GNoConverter)
        return false;
    GAnsiCodePage.store(CodePage, std::memory_order_relaxed);
    return true;
}

int MultiByteToWide(unsigned CodePage, const char* Source, int SourceLength, tvWChar* Dest, int DestLength)
{
    if (!ValidArguments(Source, SourceLength, Dest, DestLength))
        return 0;
    const std::size_t Count = SourceLength == -1 ? std::strlen(Source) + 1 : std::size_t(SourceLength);
    FOutput<tvWChar> Out{Dest, std::size_t(DestLength)};
    const unsigned Page = Resolve(CodePage);
    if (Page == GWindows1252) {
        for (std::size_t i = 0; i < Count; ++i) {
            const unsigned char B = static_cast<unsigned char>(Source[i]);
            Out.Put(B >= 0x80 && B <= 0x9F ? GHigh1252[B - 0x80] : tvWChar(B));
        }
        return Out.Result();
    }
    const iconv_t C = GConverters.Get(Page, true);
    if (C == GNoConverter || !RunIconv(C, Source, Count, Out, true))
        return 0;
    return Out.Result();
}

int WideToMultiByte(unsigned CodePage, const tvWChar* Source, int SourceLength, char* Dest, int DestLength)
{
    if (!ValidArguments(Source, SourceLength, Dest, DestLength))
        return 0;
    std::size_t Count = 0;
    if (SourceLength == -1) {
        while (Source[Count])
            ++Count;
        ++Count;
    } else {
        Count = std::size_t(SourceLength);
    }
    FOutput<char> Out{Dest, std::size_t(DestLength)};
    const unsigned Page = Resolve(CodePage);
    if (Page == GWindows1252) {
        for (std::size_t i = 0; i < Count;) {
            const int Units = CharacterUnits(Source, i, Count);
            if (Units == 0)
                return 0;
            const int Byte = Units == 1 ? Encode1252(Source[i]) : -1;
            Out.Put(char(Byte < 0 ? '?' : Byte));
            i += std::size_t(Units);
        }
        return Out.Result();
    }
    const iconv_t C = GConverters.Get(Page, false);
    if (C == GNoConverter || !RunIconv(C, Source, Count, Out, false))
        return 0;
    return Out.Result();
}

} // namespace Platform
} // namespace Tolvane
