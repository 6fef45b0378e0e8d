// Whole-file saves through a temporary file and one replacement.
#include "base/tvPrelude.h"

#include "core/files/tvFileSave.h"

#include "tvCore/core/files/tvFileFunctions.h"
#include "tvCore/core/files/tvFileManagerWin.h"
#include "tvCore/core/tvGlobals.h"
#include "platform/tvPlatformFileReplace.h"

namespace Tolvane {

int appSaveFileReplacing(const tvWChar* Path, const void* Data, tvULong Size, int ThroughFileManager)
{
    FFileManagerWin Native;
    FFileManager* Manager = ThroughFileManager ? GFileManager : &Native;
    if (!Path || !*Path || !Manager || (!Data && Size))
        return 0;
    const FString Temporary = FString(Path) + GSaveTemporarySuffix;
    const EFilePackMode SavedMode = Manager->IsPackageMode();
    Manager->SetPackageMode(FILEPACK_PlainPaths);
    FFileWriter* Writer = Manager->CreateWriter(Temporary);
    Manager->SetPackageMode(SavedMode);
    if (!Writer)
        return 0;
    if (Size)
        Writer->Write(const_cast<void*>(Data), Size);
    Writer->Flush();
    bool Ok = !Writer->IsError();
    Writer->Close();
    Ok = Ok && !Writer->IsError();
    delete Writer;
    Ok = Ok && Platform::FileReplace(Temporary, Path);
    if (!Ok)
        appDeleteFile(Temporary);
    return Ok ? 1 : 0;
}

} // namespace Tolvane
