// Writing a whole file through a file manager without ever leaving a half-written file in place
// of a good one. When the manager writes the machine's files at the paths it is given (the
// native manager, and the linear managers over it, which pass writers on), the bytes go to a
// file beside the target, which replaces the target only once it is complete and flushed.
// Other managers (memory, packages) get their own writer for the path: what they guarantee is
// theirs to say. A caller that asks for plain paths (package mode 4 while the writer is made)
// takes the manager to write the machine's file at the path given, whatever its type.
#pragma once

#include "tvCore/core/files/tvFileManager.h"

namespace Tolvane {

// The suffix of the file written beside the target.
#define TVCORE_REPLACING_SUFFIX TVTEXT(".tvsave")

// True when the manager's writers write the machine's file at exactly the path given.
TVCORE_INTERNAL bool appManagerWritesFilesInPlace(FFileManager* Manager);

class TVCORE_INTERNAL FReplacingWriter : public FFundament {
public:
    // Opens the writer (beside the target, or the manager's own for the target). With
    // PlainPaths the manager's package mode is 4 while the writer is made (then restored), and
    // the bytes always go beside the target.
    FReplacingWriter(FFileManager* Manager, const tvWChar* Path, bool PlainPaths = false);
    // A writer that was not committed is abandoned: the target stays as it was and the file
    // beside it is removed.
    ~FReplacingWriter();
    FReplacingWriter(const FReplacingWriter&) = delete;
    FReplacingWriter& operator=(const FReplacingWriter&) = delete;

    // Null when the file could not be created.
    FFileWriter* GetWriter() const { return Writer; }
    // Flushes and closes the writer; when nothing was lost, puts the new file in the target's
    // place. 1 when the target now holds every byte written, else 0 (an in-place manager's
    // target is then untouched).
    int Commit();

private:
    void Abandon();

    FString Target;
    FString Temporary;  // empty when the manager writes the target itself
    FFileWriter* Writer;
};

} // namespace Tolvane
