// The linear file system's library-wide state and the free functions that drive the managers.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileManagerLinear.h"
#include "tvCore/core/files/tvFileManagerWin.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvLogDevice.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

namespace {
ELoadingMode GMode = LOADINGMODE_Off;
int GStarted = 0;
int GPaused = 0;
tvWChar GFileName[GLinearFileNameMaxLength + 1] = {};
} // namespace

FFileManager* appLinearFileSystemInit(ELoadingMode Mode)
{
    GMode = Mode;
    FFileManager* Native = new FFileManagerWin();
    if (!Native || (Mode != LOADINGMODE_Save && Mode != LOADINGMODE_Load))
        return Native;
    FFileManager* Linear = nullptr;
    if (Mode == LOADINGMODE_Save)
        Linear = new FFileManagerLinearSave(Native);
    else
        Linear = new FFileManagerLinearLoad(Native);
    if (!Linear)
        delete Native;
    return Linear;
}

void appLinearFileSystemStart(const tvWChar* Name)
{
    if (!Name || Wide::LengthBounded(Name, GLinearFileNameMaxLength + 1) > std::size_t(GLinearFileNameMaxLength)) {
        // A cut name would record into, or replay from, another file.
        appLog(TVTEXT("Linear file system: the name is missing or longer than %d units; not started"),
               GLinearFileNameMaxLength);
        return;
    }
    Wide::Copy(GFileName, Name);
    GPaused = 0;
    GStarted = 0;
    if (GMode == LOADINGMODE_Off)
        return;
    FFileManagerLinear* Linear = dynamic_cast<FFileManagerLinear*>(GFileManager);
    if (!Linear)
        return;
    Linear->Start(GFileName);
    if (Linear->IsStreamOpen())
        GStarted = 1;
    else
        appLog(TVTEXT("Linear file system: %s.lin could not be opened; files are read directly"), GFileName);
}

void appLinearFileSystemEnd()
{
    if (GStarted) {
        if (FFileManagerLinear* Linear = dynamic_cast<FFileManagerLinear*>(GFileManager))
            Linear->End();
    }
    GStarted = 0;
}

void appLinearFileSystemPause() { GPaused = 1; }

void appLinearFileSystemResume() { GPaused = 0; }

int appLinearFileSystemIsSaving() { return GMode == LOADINGMODE_Save && GStarted && !GPaused ? 1 : 0; }

int appLinearFileSystemIsLoading() { return GMode == LOADINGMODE_Load && GStarted && !GPaused ? 1 : 0; }

const tvWChar* appLinearFileSystemGetFileName() { return GFileName; }

} // namespace Tolvane
