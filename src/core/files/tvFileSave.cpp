// Whole-file saves of one buffer through a temporary file and one replacement.
#include "base/tvPrelude.h"

#include "core/files/tvFileSave.h"

#include "core/files/tvReplacingWriter.h"
#include "tvCore/core/files/tvFileManagerWin.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

int appSaveFileReplacing(const tvWChar* Path, const void* Data, tvULong Size, int ThroughFileManager)
{
    FFileManagerWin Native;
    FFileManager* Manager = ThroughFileManager ? GFileManager : &Native;
    if (!Path || !*Path || !Manager || (!Data && Size))
        return 0;
    FReplacingWriter File(Manager, Path, true);
    if (!File.GetWriter())
        return 0;
    if (Size)
        File.GetWriter()->Write(const_cast<void*>(Data), Size);
    return File.Commit();
}

} // namespace Tolvane
