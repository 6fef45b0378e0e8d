// Demo section: a text file saved and loaded through GFileManager, then a run of reads recorded
// into a ".lin" file and replayed from it after the text file is gone.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace Tolvane;

void DemoTextFiles()
{
    std::printf("Text files and the linear file system\n");
    const std::string Root = DemoMakeTempFolder("tvCoreDemo").string();
    if (Root.empty()) {
        DemoCheck(false, "temporary folder created");
        return;
    }
    const WideText Folder = PathText(Root) + DemoSeparator();
    const WideText TextFile = Folder + TVTEXT("greeting.txt");
    const WideText Run = Folder + TVTEXT("startup");
    FFileManager* Saved = GFileManager;

    // Recording: every read through the manager goes into startup.lin as well.
    GFileManager = appLinearFileSystemInit(LOADINGMODE_Save);
    const FString Greeting(TVTEXT("Tolvane \u4E2D"));
    DemoCheck(appSaveStringToFile(Greeting, TextFile.c_str()) == 1, "saved as FF FE and UTF-16LE");
    appLinearFileSystemStart(Run.c_str());
    FString Loaded;
    DemoCheck(appLoadFileToString(Loaded, TextFile.c_str()) == 1 && Loaded.Compare(Greeting) == 0,
              "loaded back while recording");
    appLinearFileSystemEnd();
    delete GFileManager;
    std::printf("  recorded %d bytes into startup.lin\n",
                static_cast<int>(std::filesystem::file_size(Root + "/startup.lin")));

    // Replay: the text file is gone, the recording serves the same load.
    std::filesystem::remove(Root + "/greeting.txt");
    GFileManager = appLinearFileSystemInit(LOADINGMODE_Load);
    appLinearFileSystemStart(Run.c_str());
    FString Replayed;
    DemoCheck(appLoadFileToString(Replayed, TextFile.c_str()) == 1 && Replayed.Compare(Greeting) == 0,
              "replayed from startup.lin after the file was deleted");
    appLinearFileSystemEnd();
    delete GFileManager;
    delete appLinearFileSystemInit(LOADINGMODE_Off);
    GFileManager = Saved;

    std::error_code Ignored;
    std::filesystem::remove_all(Root, Ignored);
}
