// The readers of the linear file system: FFileReaderLinearSave records what a wrapped reader
// delivers into the ".lin" file, FFileReaderLinearLoad delivers it again from there.
#pragma once

#include "tvCore/core/files/tvFileArchive.h"

namespace Tolvane {

// The ".lin" stream as its manager and its readers share it. The manager ends the stream at
// End; readers that outlive it see the stream gone instead of a deleted archive.
class FLinearChannel;

class TVCORE_API FFileReaderLinearSave : public FFileReader {
public:
    // Takes ownership of Wrapped; records into Channel's stream.
    FFileReaderLinearSave(FLinearChannel* Channel, FFileReader* Wrapped);
    // Deletes the wrapped reader.
    ~FFileReaderLinearSave() override;
    FFileReaderLinearSave(const FFileReaderLinearSave&) = delete;
    FFileReaderLinearSave& operator=(const FFileReaderLinearSave&) = delete;

    // The wrapped reader's size.
    int GetSize() override;
    // Closes the wrapped reader.
    void Close() override;
    // Reads through the wrapped reader, then appends all Length bytes to the ".lin" file: what
    // was delivered, and zero bytes for what was not. Returns the wrapped reader's count.
    int Read(void* Data, tvULong Length) override;

private:
    FLinearChannel* Channel;
    FFileReader* Wrapped;
};

class TVCORE_API FFileReaderLinearLoad : public FFileReader {
public:
    FFileReaderLinearLoad(FLinearChannel* Channel, tvULong RecordedSize);
    ~FFileReaderLinearLoad() override;
    FFileReaderLinearLoad(const FFileReaderLinearLoad&) = delete;
    FFileReaderLinearLoad& operator=(const FFileReaderLinearLoad&) = delete;

    // The recorded size; 0 after Close, as the recorded reader reported.
    int GetSize() override;
    // The shared ".lin" stream stays open. Later reads still take their bytes from the
    // recording (the recording run appended them too) but deliver 0, as the closed reader did.
    void Close() override;
    // Length bytes from the ".lin" file. When the recording holds fewer (or its stream has
    // ended), nothing is delivered: the buffer is zeroed, the result is 0, the error flag is
    // set, and the replay goes on with real files from the next open.
    int Read(void* Data, tvULong Length) override;

private:
    tvULong RecordedSize;
    FLinearChannel* Channel;
    bool Closed;
};

} // namespace Tolvane
