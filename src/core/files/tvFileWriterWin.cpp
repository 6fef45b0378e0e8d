// The native file writer: a binary stream created by FFileManagerWin.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileArchiveWin.h"
#include "platform/tvPlatformFiles.h"

namespace Tolvane {

FFileWriterWin::FFileWriterWin(tvHandle InStream) : Stream(InStream) {}

FFileWriterWin::~FFileWriterWin() { FFileWriterWin::Close(); }

int FFileWriterWin::GetSize()
{
    if (!Stream)
        return 0;
    const std::int64_t Position = Platform::StreamTell(Stream);
    if (Position < 0)
        return 0;
    return Position > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(Position);
}

void FFileWriterWin::Close()
{
    if (!Stream)
        return;
    // Closing writes the last buffered bytes; a failure there loses data, so it is recorded.
    if (!Platform::StreamClose(Stream))
        SetError();
    Stream = nullptr;
}

void FFileWriterWin::Write(void* Data, tvULong Length)
{
    if (Length == 0)
        return;
    if (!Stream || !Data || Platform::StreamWrite(Stream, Data, Length) != Length)
        SetError();
}

void FFileWriterWin::Flush()
{
    if (Stream && !Platform::StreamFlush(Stream))
        SetError();
}

} // namespace Tolvane
