// Demo section: an IMG archive made with the archive writer under a data root in a temporary
// folder, the Engine.ini that names it, and a file system that serves an item from it and a
// loose file beside it, and an item read asynchronously with its callback delivered by Tick.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

using namespace Tolvane;

namespace {

// The completion of the asynchronous read: called by Tick on the host's thread.
char GHeroMesh[16];
int GHeroDelivered = 0;
tvULong OnHeroRead(READREQUEST Request)
{
    std::printf("  callback from Tick: %lu bytes from position %lu, user data %ld: \"%.*s\"\n",
                static_cast<unsigned long>(Request.Size), static_cast<unsigned long>(Request.Start),
                static_cast<long>(Request.UserData), int(Request.Size), static_cast<const char*>(Request.Buffer));
    GHeroDelivered = 1;
    return 0;
}

} // namespace

void DemoImg()
{
    std::printf("IMG archives\n");
    const std::string Root = DemoMakeTempFolder("tvCoreDemoImg").string();
    if (Root.empty()) {
        DemoCheck(false, "temporary folder created");
        return;
    }
    const std::filesystem::path Previous = std::filesystem::current_path();
    std::filesystem::current_path(Root);  // the read profile goes to ./game.profile
    std::filesystem::create_directories(Root + "/Data/Engine");
    std::ofstream(Root + "/Data/Engine/Engine.ini") << "[Data]\r\nImg=\\Game.img\r\n";
    std::ofstream(Root + "/Data/readme.txt") << "a loose file";
    const WideText DataRoot = PathText(Root) + DemoSeparator() + TVTEXT("Data") + DemoSeparator();

    {
        FImgArchiveWriter Writer;
        const char Sky[] = "sky texture bytes";
        Writer.AddFile(TVTEXT("Data\\Textures\\Sky.dds"), Sky, sizeof(Sky) - 1);
        Writer.AddFile(TVTEXT("Data\\Models\\Hero.msh"), "mesh", 4);
        DemoCheck(Writer.Save((DataRoot + TVTEXT("Game.img")).c_str()) == 1, "archive written with 2 files");
        TArray<FString> Faults;
        DemoCheck(appCheckImgArchive((DataRoot + TVTEXT("Game.img")).c_str(), Faults) == 0, "checker finds no fault");
    }

    {
        FImgFileSystem FileSystem;
        FileSystem.SetDataRootDir(DataRoot.c_str());
        const int Ok = FileSystem.Initialize();
        DemoCheck(Ok == 1, "file system initialised from Engine.ini");
        std::printf("  %d items, prefix of %d characters stripped from queries\n", FileSystem.GetItemCount(),
                    FileSystem.GetPrefixLength());

        char Text[64] = {};
        if (FFileReader* Reader = FileSystem.CreateReader((DataRoot + TVTEXT("textures") + DemoSeparator() + TVTEXT("sky.dds")).c_str())) {
            Reader->Serialize(Text, tvULong(Reader->GetSize()));
            std::printf("  archive item textures/sky.dds: \"%s\"\n", Text);
            delete Reader;
        }
        DemoCheck(std::string(Text) == "sky texture bytes", "item read from the archive");

        char Loose[64] = {};
        if (FFileReader* Reader = FileSystem.CreateReader((DataRoot + TVTEXT("readme.txt")).c_str())) {
            Reader->Serialize(Loose, tvULong(Reader->GetSize()));
            std::printf("  loose file readme.txt: \"%s\"\n", Loose);
            delete Reader;
        }
        DemoCheck(std::string(Loose) == "a loose file", "loose file read beside the archive");

        // Asynchronously: the request is queued, the worker reads it, and the host's frame loop
        // calls Tick, which delivers the callback on this thread.
        if (FFileAsyncReader* Reader = FileSystem.CreateAsyncReader((DataRoot + TVTEXT("models/hero.msh")).c_str())) {
            const tvULong Handle = Reader->SendReadRequest(GHeroMesh, tvULong(Reader->GetSize()), &OnHeroRead, 42);
            int Frames = 0;
            for (; !GHeroDelivered && Handle != GReadRequestRefused && Frames < 1000; ++Frames) {
                FileSystem.Tick();
                if (!GHeroDelivered)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            std::printf("  delivered after %d frame(s)\n", Frames);
            Reader->DestroyRequest(Handle);
            delete Reader;
        }
        DemoCheck(GHeroDelivered == 1 && std::string(GHeroMesh) == "mesh", "item read asynchronously, callback by Tick");
    }
    std::ifstream Profile(Root + "/game.profile");
    std::string First;
    std::getline(Profile, First);
    std::printf("  read profile: %s\n", First.c_str());
    DemoCheck(First.rfind("BEGIN: ", 0) == 0, "the archive read was profiled");

    std::error_code Ignored;
    std::filesystem::current_path(Previous, Ignored);
    std::filesystem::remove_all(Root, Ignored);
}
