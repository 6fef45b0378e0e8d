// Demo section: the library as a host uses it. Start-up, a log file, the file manager's data
// root, a package written with three members through package*member paths and read back in a
// second pass, a shared-memory block, shut-down.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace Tolvane;

namespace {
bool WriteMember(const WideText& Path, const std::string& Text)
{
    FFileWriter* Writer = GFileManager->CreateWriter(Path.c_str());
    if (!Writer)
        return false;
    Writer->Serialize(const_cast<char*>(Text.data()), static_cast<tvULong>(Text.size()));
    const bool Ok = !Writer->IsError();
    delete Writer;
    return Ok;
}

std::string ReadMember(const WideText& Path)
{
    FFileReader* Reader = GFileManager->CreateReader(Path.c_str());
    if (!Reader)
        return "<missing>";
    std::string Text(static_cast<std::size_t>(Reader->GetSize()), '\0');
    Reader->Serialize(Text.data(), static_cast<tvULong>(Text.size()));
    delete Reader;
    return Text;
}
} // namespace

void DemoHost()
{
    std::printf("Host: start-up, packages, shared memory, shut-down\n");
    const std::string Root = DemoMakeTempFolder("tvCoreHost").string();
    if (Root.empty()) {
        DemoCheck(false, "temporary data root created");
        return;
    }
    const WideText DataRoot = PathText(Root) + DemoSeparator();

    DemoCheck(appInitCore() == 1, "appInitCore created the singletons");
    DemoCheck(GFileManager && GFileManager->IsPackageMode() == 3, "the package file system is GFileManager, mode 3");
    GLog->Open((DataRoot + TVTEXT("host.log")).c_str());
    appLog(TVTEXT("host started; data root %s"), DataRoot.c_str());
    GFileManager->SetDataRootDir(DataRoot.c_str());
    // Outside the editor a package is written to the user's data root; this host keeps both in
    // one folder.
    GFileManager->SetUserDataRootDir(DataRoot.c_str());
    std::filesystem::create_directories(Root + "/Models");
    GFileManager->Initialize();

    const struct {
        const Tolvane::tvWChar* Path;
        const char* Text;
    } Members[] = {
        {TVTEXT("Models\\Chars*body/arm.msh"), "arm mesh"},
        {TVTEXT("Models\\Chars*body/leg.msh"), "leg mesh"},
        {TVTEXT("Models\\Chars*readme.txt"), "three members in one package"},
    };
    bool Written = true;
    for (const auto& Member : Members)
        Written = WriteMember(Member.Path, Member.Text) && Written;
    WideText Close = TVTEXT("CLOSE ALL");
    FString Output;
    GFileManager->Exec(Close.data(), Output);  // the package finishes its file
    DemoCheck(Written && std::filesystem::exists(Root + "/Models/Chars.xup"), "Models/Chars.xup written with 3 members");

    bool ReadBack = true;
    for (const auto& Member : Members) {
        const std::string Text = ReadMember(Member.Path);
        std::printf("  %s -> \"%s\"\n", std::string(Member.Path, Member.Path + std::char_traits<Tolvane::tvWChar>::length(Member.Path)).c_str(),
                    Text.c_str());
        ReadBack = ReadBack && Text == Member.Text;
    }
    DemoCheck(ReadBack, "members read back in a second pass");

    FMemoryMap* Block = GMemMapPool->Get(FString(TVTEXT("tvCoreDemoBlock")), 64);
    TArray<unsigned char> Bytes;
    for (char C : std::string("shared between processes"))
        Bytes.AddItem(static_cast<unsigned char>(C));
    TArray<unsigned char> Back;
    const bool Shared = Block && Block->Write(Bytes) && Block->Read(Back) && Back.Num() == 64 &&
                        std::string(Back.begin(), Back.begin() + Bytes.Num()) == "shared between processes";
    DemoCheck(Shared, "shared-memory block written and read (64 bytes)");

    appLog(TVTEXT("host stopping"));
    DemoCheck(appExitCore() == 1 && !GFileManager && !GLog, "appExitCore removed the singletons");
    std::printf("  log written to %s/host.log\n", Root.c_str());
    std::error_code Ignored;
    std::filesystem::remove_all(Root, Ignored);
}
