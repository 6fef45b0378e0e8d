// Command-line splitting by the Windows runtime's rules (see PosixCommandLine.h).
#include "platform/posix/PosixCommandLine.h"
#include "platform/tvPlatformText.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {
namespace Platform {

namespace {

inline bool IsBlank(tvWChar C) { return C == u' ' || C == u'\t'; }

// Writes the arguments into Out, each followed by a terminator; returns their count. Out has
// room for twice the line's length plus two units, more than the worst case needs (every
// argument takes at least one unit of the line and adds one terminator).
int Split(const tvWChar* Line, tvWChar* Out)
{
    const tvWChar* P = Line;
    while (IsBlank(*P))
        ++P;
    if (!*P)
        return 0;

    // The program's name: quotes group, nothing escapes.
    bool Quoted = false;
    for (; *P && (Quoted || !IsBlank(*P)); ++P) {
        if (*P == u'"')
            Quoted = !Quoted;
        else
            *Out++ = *P;
    }
    *Out++ = 0;
    int Count = 1;

    for (;;) {
        while (IsBlank(*P))
            ++P;
        if (!*P)
            return Count;
        Quoted = false;
        while (*P && (Quoted || !IsBlank(*P))) {
            std::size_t Backslashes = 0;
            while (P[Backslashes] == u'\\')
                ++Backslashes;
            if (P[Backslashes] != u'"') {
                // Backslashes not before a quote are literal; so is any other character (the
                // loop's condition has already let it in: it is no blank outside quotes).
                for (std::size_t i = 0; i < Backslashes; ++i)
                    *Out++ = u'\\';
                if (Backslashes == 0)
                    *Out++ = *P++;
                P += Backslashes;
                continue;
            }
            for (std::size_t i = 0; i < Backslashes / 2; ++i)
                *Out++ = u'\\';
            P += Backslashes;  // now at the quote
            if (Backslashes % 2 == 1) {
                *Out++ = u'"';
                ++P;
            } else if (Quoted && P[1] == u'"') {
                *Out++ = u'"';
                P += 2;
            } else {
                Quoted = !Quoted;
                ++P;
            }
        }
        *Out++ = 0;
        ++Count;
    }
}

} // namespace

FCommandLineArguments::FCommandLineArguments(const tvWChar* CommandLine)
{
    if (!CommandLine)
        return;
    std::size_t Length = 0;
    while (CommandLine[Length])
        ++Length;
    // One block: the pointer vector, the split UTF-16 text, then its UTF-8 form.
    const std::size_t MaxArguments = Length + 1;
    const std::size_t WideUnits = 2 * Length + 2;
    const std::size_t NarrowBytes = 3 * Length + MaxArguments + 1;
    const std::size_t Bytes = (MaxArguments + 1) * sizeof(char*) + WideUnits * sizeof(tvWChar) + NarrowBytes;
    if (Bytes > 0x7FFFFFFFu)
        return;
    Block = GMalloc->Malloc(static_cast<unsigned int>(Bytes));
    if (!Block)
        return;
    char** Pointers = static_cast<char**>(Block);
    tvWChar* Wide = reinterpret_cast<tvWChar*>(Pointers + MaxArguments + 1);
    char* Narrow = reinterpret_cast<char*>(Wide + WideUnits);
    char* const NarrowEnd = Narrow + NarrowBytes;

    Arguments = Split(CommandLine, Wide);
    const tvWChar* Next = Wide;
    for (int i = 0; i < Arguments; ++i) {
        std::size_t Units = 0;
        while (Next[Units])
            ++Units;
        const int Written = Utf16ToUtf8(Next, static_cast<int>(Units), Narrow, static_cast<std::size_t>(NarrowEnd - Narrow));
        if (Written < 0) {
            Arguments = 0;
            return;
        }
        Pointers[i] = Narrow;
        Narrow += Written + 1;
        Next += Units + 1;
    }
    Pointers[Arguments] = nullptr;
    Vector = Pointers;
}

FCommandLineArguments::~FCommandLineArguments()
{
    if (Block)
        GMalloc->Free(Block);
}

} // namespace Platform
} // namespace Tolvane
