// Debugger output and breaks, and standard output, on POSIX. A debugger is "attached" when the
// kernel reports a tracer for this process.
#include "base/tvPrelude.h"
#include "platform/tvPlatformDebug.h"

#include "platform/tvPlatformText.h"
#include "base/tvUnicode.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {

void WriteAll(int Descriptor, const char* Text, std::size_t Length)
{
    while (Length > 0) {
        const ssize_t N = ::write(Descriptor, Text, Length);
        if (N <= 0)
            return;
        Text += N;
        Length -= std::size_t(N);
    }
}

// Wide text as UTF-8 in pieces, so that any length goes out without a large buffer.
template <class Sink>
void ForEachUtf8Piece(const tvWChar* Text, Sink Put)
{
    char Piece[1024];
    while (*Text) {
        int Units = 0;
        while (Units < 255 && Text[Units])
            ++Units;
        // Keep a surrogate pair together.
        if (Units == 255 && Unicode::IsHighSurrogate(Text[Units - 1]) && Text[Units])
            ++Units;
        const int Bytes = Unicode::Utf16ToUtf8(Text, Units, Piece, sizeof Piece);
        if (Bytes > 0)
            Put(Piece, std::size_t(Bytes));
        Text += Units;
    }
}

} // namespace

bool DebuggerAttached()
{
    const int Descriptor = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (Descriptor < 0)
        return false;
    char Status[4096];
    const ssize_t N = ::read(Descriptor, Status, sizeof Status - 1);
    ::close(Descriptor);
    if (N <= 0)
        return false;
    Status[N] = 0;
    const char* Tracer = std::strstr(Status, "TracerPid:");
    if (!Tracer)
        return false;
    Tracer += 10;
    while (*Tracer == ' ' || *Tracer == '\t')
        ++Tracer;
    return *Tracer >= '1' && *Tracer <= '9';
}

void DebugOutput(const char* Text)
{
    if (Text && DebuggerAttached())
        WriteAll(STDERR_FILENO, Text, std::strlen(Text));
}

void DebugOutput(const tvWChar* Text)
{
    if (Text && DebuggerAttached())
        ForEachUtf8Piece(Text, [](const char* P, std::size_t N) { WriteAll(STDERR_FILENO, P, N); });
}

void DebugBreak()
{
    std::raise(SIGTRAP);
}

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
    ForEachUtf8Piece(Text, [](const char* P, std::size_t N) { std::fwrite(P, 1, N, stdout); });
    std::fflush(stdout);
}

} // namespace Platform
} // namespace Tolvane
