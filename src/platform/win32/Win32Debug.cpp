// Debugger output and breaks, and standard output, on Windows: OutputDebugString, DebugBreak,
// and the console (or UTF-8 bytes where standard output is a file or a pipe).
#include "base/tvPrelude.h"
#include "platform/tvPlatformDebug.h"
#include "platform/win32/Win32Api.h"
#include "base/tvUnicode.h"

#include <cstdio>
#include <cstring>

namespace Tolvane {
namespace Platform {

namespace {

// Wide text as UTF-8 in pieces, so that any length goes out without a large buffer.
template <class Sink>
void ForEachUtf8Piece(const tvWChar* Text, Sink Put)
{
    char Piece[1024];
    while (*Text) {
        int Units = 0;
        while (Units < 255 && Text[Units])
            ++Units;
        if (Units == 255 && Unicode::IsHighSurrogate(Text[Units - 1]) && Text[Units])
            ++Units;
        const int Bytes = Unicode::Utf16ToUtf8(Text, Units, Piece, sizeof Piece);
        if (Bytes > 0)
            Put(Piece, std::size_t(Bytes));
        Text += Units;
    }
}

} // namespace

bool DebuggerAttached() { return IsDebuggerPresent() != FALSE; }

void DebugOutput(const char* Text)
{
    if (Text)
        OutputDebugStringA(Text);
}

void DebugOutput(const tvWChar* Text)
{
    if (Text)
        OutputDebugStringW(SystemText(Text));
}

void DebugBreak() { ::DebugBreak(); }

void StandardOutput(const char* Text)
{
    if (!Text)
        return;
    std::fwrite(Text, 1, std::strlen(Text), stdout);
    std::fflush(stdout);
}

void StandardOutput(const tvWChar* Text)
{
    if (!Text)
        return;
    std::fflush(stdout);
    const HANDLE Output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD Mode;
    if (Output && Output != INVALID_HANDLE_VALUE && GetConsoleMode(Output, &Mode)) {
        // A console shows wide text as it is.
        const tvWChar* End = Text;
        while (*End)
            ++End;
        DWORD Written;
        WriteConsoleW(Output, SystemText(Text), static_cast<DWORD>(End - Text), &Written, nullptr);
        return;
    }
    // A file or a pipe gets the same bytes as on every other platform.
    ForEachUtf8Piece(Text, [](const char* P, std::size_t N) { std::fwrite(P, 1, N, stdout); });
    std::fflush(stdout);
}

} // namespace Platform
} // namespace Tolvane
