// Demo section: a record saved through an archive into a native file in a temporary folder,
// loaded back, listed, and a command line parsed.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace Tolvane;

namespace {
// The same function saves and loads: the archive decides the direction.
void SerializeRecord(FArchive& Ar, int& Version, FString& Name, float& Scale)
{
    Ar << Version << Name << Scale;
}
} // namespace

void DemoFiles()
{
    std::printf("Archives and native files\n");
    const std::string Root = DemoMakeTempFolder("tvCoreDemo").string();
    if (Root.empty()) {
        DemoCheck(false, "temporary folder created");
        return;
    }
    const WideText Folder = PathText(Root) + DemoSeparator();
    const WideText Deep = Folder + TVTEXT("saves\\slot1") + DemoSeparator() + TVTEXT("record.bin");
    appSafeCreateDirectory(Deep.c_str(), true);

    FFileManagerWin Manager;
    int Version = 41;
    FString Name(TVTEXT("Tolvane"));
    float Scale = 0.75f;
    if (FFileWriter* Writer = Manager.CreateWriter(Deep.c_str())) {
        SerializeRecord(*Writer, Version, Name, Scale);
        std::printf("  wrote %d bytes to saves/slot1/record.bin\n", Writer->GetSize());
        delete Writer;
    }
    int LoadedVersion = 0;
    FString LoadedName;
    float LoadedScale = 0.0f;
    if (FFileReader* Reader = Manager.CreateReader(Deep.c_str())) {
        SerializeRecord(*Reader, LoadedVersion, LoadedName, LoadedScale);
        DemoCheck(!Reader->IsError() && Reader->GetSize() == 26, "read back the 26 bytes");
        delete Reader;
    }
    DemoCheck(LoadedVersion == 41 && LoadedName.Compare(Name) == 0 && LoadedScale == 0.75f, "record loaded as saved");

    TArray<FString> Files;
    const WideText Slot = Folder + TVTEXT("saves") + DemoSeparator() + TVTEXT("slot1") + DemoSeparator();
    Manager.GetFilesFromDirectory(Slot.c_str(), Files);
    DemoCheck(Files.Num() == 1 && WideText(static_cast<const tvWChar*>(Files[0])) == Slot + TVTEXT("record.bin"),
              "the folder lists the one file");

    FString Line(TVTEXT("ZIP WRITE -name=\"my pack\" -level=1"));
    FString Command, Rest, PackName;
    int Level = 0;
    const bool Parsed = parse_command(Line, Command, Rest) && parse_param(Line, FString(TVTEXT("-name=")), PackName) &&
                        parse_param(Line, FString(TVTEXT("-level=")), Level);
    DemoCheck(Parsed && Command.Compare(TVTEXT("ZIP")) == 0 && PackName.Compare(TVTEXT("my pack")) == 0 && Level == 1,
              "command line parsed");

    std::error_code Ignored;
    std::filesystem::remove_all(Root, Ignored);
}
