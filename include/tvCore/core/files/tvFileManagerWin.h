// The native file manager: plain files of the machine through buffered binary streams. The
// name is the interface's own and the same on every platform.
#pragma once

#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/files/tvFileArchiveWin.h"

namespace Tolvane {

class TVCORE_API FFileManagerWin : public FFileManager {
public:
    FFileManagerWin();
    ~FFileManagerWin() override;

    // Null when the file cannot be opened for reading, is a directory, or is 2 GiB or larger
    // (GetSize could not describe it).
    FFileReader* CreateReader(const tvWChar* Path) override;
    // Clears the read-only attribute of an existing file, then creates or truncates it.
    FFileWriter* CreateWriter(const tvWChar* Path) override;
    // True when anything (a file, a directory, a wildcard match) answers to the path.
    bool FindFile(const tvWChar* Path) override;
    // Appends Directory + name for every plain file of the directory (Directory ends in its
    // separator); directories and the search's first entry are skipped.
    void GetFilesFromDirectory(const tvWChar* Directory, TArray<FString>& Files) override;
};

} // namespace Tolvane
