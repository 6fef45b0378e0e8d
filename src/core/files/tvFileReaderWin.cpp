// The native file reader: a binary stream opened by FFileManagerWin, its size measured then.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileArchiveWin.h"
#include "platform/tvPlatformFiles.h"

namespace Tolvane {

FFileReaderWin::FFileReaderWin(tvHandle InStream, tvULong Size) : FileSize(Size), Stream(InStream) {}

FFileReaderWin::~FFileReaderWin() { FFileReaderWin::Close(); }

int FFileReaderWin::GetSize() { return static_cast<int>(FileSize); }

void FFileReaderWin::Close()
{
    if (Stream) {
        Platform::StreamClose(Stream);
        Stream = nullptr;
    }
    FileSize = 0;
}

int FFileReaderWin::Read(void* Data, tvULong Length)
{
    if (!Stream || !Data)
        return 0;
    const std::size_t Got = Platform::StreamRead(Stream, Data, Length);
    CurrentPos += static_cast<tvULong>(Got);
    return static_cast<int>(Got);
}

} // namespace Tolvane
