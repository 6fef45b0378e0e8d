// The native file reader and writer: plain files of the machine through buffered binary
// streams, handed out by FFileManagerWin. The names are the interface's own and the same on
// every platform.
#pragma once

#include "tvCore/core/files/tvFileArchive.h"

namespace Tolvane {

class TVCORE_API FFileReaderWin : public FFileReader {
public:
    // Takes ownership of an open stream whose size is Size bytes.
    FFileReaderWin(tvHandle Stream, tvULong Size);
    ~FFileReaderWin() override;

    // The size measured at open; 0 after Close.
    int GetSize() override;
    // Closes the stream once.
    void Close() override;
    // Up to Length bytes at the stream's position; 0 once closed.
    int Read(void* Data, tvULong Length) override;

private:
    tvULong FileSize;
    tvHandle Stream;
};

class TVCORE_API FFileWriterWin : public FFileWriter {
public:
    // Takes ownership of an open stream.
    explicit FFileWriterWin(tvHandle Stream);
    ~FFileWriterWin() override;

    // Bytes written so far; 0 once closed.
    int GetSize() override;
    // Closes the stream once; a failure to write its last buffered bytes sets the error flag.
    void Close() override;
    // Nothing once closed (the error flag is set: the bytes are lost).
    void Write(void* Data, tvULong Length) override;
    void Flush() override;

private:
    tvHandle Stream;
};

} // namespace Tolvane
