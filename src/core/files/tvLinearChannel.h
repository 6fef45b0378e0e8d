// The ".lin" stream shared by a linear manager and the readers it handed out. The manager holds
// one reference and each reader one; the last to let go frees the channel. Ending the stream
// deletes the archive at once, so readers that outlive End find no stream, never a deleted one.
#pragma once

#include "tvCore/core/files/tvFileArchive.h"
#include "core/files/tvReplacingWriter.h"

namespace Tolvane {

class FLinearChannel : public FFundament {
public:
    // A reading stream (replay).
    FLinearChannel(FFileReader* Reader, const tvWChar* LinName);
    // A writing stream (recording), replacing its target when finished.
    FLinearChannel(FReplacingWriter* Writer, const tvWChar* LinName);

    void AddRef() { ++References; }
    // Drops one reference; the channel is deleted with the last.
    void Release();

    FFileReader* GetReader() const { return Reader; }
    FFileWriter* GetWriter() const { return Writer ? Writer->GetWriter() : nullptr; }
    // Appends Length bytes (Data null: zero bytes) to a recording stream.
    void Record(const void* Data, tvULong Length);
    // Closes the stream (a recording takes its final name then); later uses find none.
    void EndStream();

    // Replay ran past the end of the recording: from now on opens go to the real files.
    bool IsExhausted() const { return Exhausted; }
    void MarkExhausted();

private:
    ~FLinearChannel();

    FString LinName;
    FFileReader* Reader;
    FReplacingWriter* Writer;
    int References;
    bool Exhausted;
};

} // namespace Tolvane
