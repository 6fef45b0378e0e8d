// Allocation fault sweeps over the subsystems' open, read, write and close: IMG archives (the file
// system and the writer), packages (reading, rebuilding, the package*member file system), text
// files, the linear file system (recording and replay), configuration files, XML documents and
// log lines. At every refused request the operation reports a failure or the right result, leaks
// nothing, and a file that was there before is either untouched or wholly replaced.
#include <tvCore/tvCore.h>

#include "faults/FaultTestSupport.h"
#include "img/ImgTestSupport.h"
#include "support/AllocationSweep.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace Tolvane;
using tvtest::FSweepCheck;
using tvtest::FSweepOperation;
using tvtest::FSweepPrepare;

namespace {

typedef std::vector<unsigned char> FBytes;

FBytes Pattern(std::size_t Size, unsigned Seed) { return ImgTest::Pattern(Size, Seed); }

// The first bytes of a file as text, for failure messages (other bytes as '.').
std::string Printable(const FBytes& Bytes)
{
    std::string Text;
    for (std::size_t i = 0; i < Bytes.size() && i < 160; ++i)
        Text += Bytes[i] >= 32 && Bytes[i] < 127 ? char(Bytes[i]) : '.';
    return Text;
}

// True when Reader delivers exactly Want (then deletes it).
bool ReadsExactly(FFileReader* Reader, const FBytes& Want)
{
    if (!Reader)
        return false;
    bool Ok = Reader->GetSize() == int(Want.size());
    if (Ok) {
        FBytes Got(Want.size(), 0xEE);
        Reader->Serialize(Got.data(), tvULong(Got.size()));
        Ok = !Reader->IsError() && Got == Want;
    }
    delete Reader;
    return Ok;
}

// True when Writer took every byte of Data and closed without losing any (then deletes it).
bool WritesWhole(FFileWriter* Writer, const FBytes& Data)
{
    if (!Writer)
        return false;
    Writer->Serialize(const_cast<unsigned char*>(Data.data()), tvULong(Data.size()));
    Writer->Close();
    const bool Ok = !Writer->IsError();
    delete Writer;
    return Ok;
}

// A data root in a temporary folder (the current directory for the test, so the IMG read
// profile lands there) with the native manager as GFileManager and a silent log; the library's
// globals are put back afterwards.
class SubsystemSweep : public ::testing::Test {
protected:
    ImgTest::FDataRoot Root;
    FaultTest::FLibraryScope Library{Root.Root()};
    FFileManagerWin& Native = Library.Native;

    void SetUp() override { ASSERT_TRUE(Root.Folder.Ok()); }

    // A file under the data root ("Data/<Name>"): its library path, and its bytes on disk.
    WideText Path(const char* Name) const
    {
        const std::string N(Name);
        return Root.Root() + WideText(N.begin(), N.end());
    }
    std::string Disk(const char* Name) const { return std::string("Data/") + Name; }
    FBytes Read(const char* Name) const { return Root.Folder.Read(Disk(Name)); }
    void Write(const char* Name, const FBytes& Bytes) const { Root.Folder.Write(Disk(Name), Bytes); }
    bool Exists(const char* Name) const { return std::filesystem::exists(Root.Folder.Native(Disk(Name))); }
    // The entries of the data root, so a step that leaves a temporary file behind is seen.
    std::string Entries() const
    {
        std::vector<std::string> Names;
        for (auto& Entry : std::filesystem::directory_iterator(Root.Folder.Native("Data")))
            if (Entry.is_regular_file())
                Names.push_back(Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        std::string List;
        for (const std::string& Name : Names)
            List += Name + " ";
        return List;
    }

    // Sweeps Operation with request N refused alone, then with every request from N on.
    void SweepBoth(const char* Name, const FSweepOperation& Operation, const FSweepPrepare& Prepare = {},
                   const FSweepCheck& Check = {})
    {
        for (bool RefuseLater : {false, true}) {
            SCOPED_TRACE(std::string(Name) + (RefuseLater ? ", every request from N on" : ", request N only"));
            const tvtest::FSweepResult Result = tvtest::Sweep(Operation, RefuseLater, Prepare, Check);
            EXPECT_TRUE(Result.Completed);
            EXPECT_GT(Result.Steps, 0);
            std::printf("[ sweep    ] %-28s %-26s %d refusals survived\n", Name,
                        RefuseLater ? "(every request from N on)" : "(request N only)", Result.Steps);
        }
    }

    // Sweeps a save that replaces the file Name: before each step the file holds Old; after it
    // the file holds Old (a failure) or the bytes a clean run writes (success), and no other
    // file is left in the folder.
    void SweepReplacement(const char* Name, const FBytes& Old, const FSweepOperation& Operation)
    {
        Write(Name, Old);
        ASSERT_TRUE(Operation()) << Name << ": the clean run fails";
        const FBytes New = Read(Name);
        ASSERT_NE(New, Old);
        Write(Name, Old);
        const std::string Files = Entries();
        SweepBoth(
            Name, Operation, [&] { Write(Name, Old); },
            [&](bool Done) {
                const FBytes Now = Read(Name);
                EXPECT_TRUE(Now == (Done ? New : Old))
                    << (Done ? "reported saved but not the new file" : "reported failed but the old file changed")
                    << ": " << Printable(Now);
                EXPECT_EQ(Entries(), Files) << "a temporary file was left behind";
            });
    }
};

// IMG archives: the file system's start-up over an archive and a read of one item through its
// cached reader; the archive writer replacing an existing archive.
TEST_F(SubsystemSweep, ImgArchives)
{
    const FBytes Arm = Pattern(3000, 3);
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data\\Textures\\Sky.dds"), "sky", 3), 1);
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data\\Models\\Chars\\arm.msh"), Arm.data(), tvULong(Arm.size())), 1);
    ASSERT_TRUE(Root.Save(Writer));
    const WideText Root_ = Root.Root();
    const WideText ArmPath = Path("Models/Chars/ARM.msh");
    SweepBoth("img open and read", [&] {
        FImgFileSystem FileSystem;
        FileSystem.SetDataRootDir(Root_.c_str());
        return FileSystem.Initialize() == 1 && ReadsExactly(FileSystem.CreateReader(ArmPath.c_str()), Arm);
    });

    const WideText Target = Path("Out.img");
    SweepReplacement("Out.img", ImgTest::Bytes("old archive"), [&] {
        FImgArchiveWriter Out;
        return Out.AddFile(TVTEXT("Data\\Textures\\Sky.dds"), "sky", 3) == 1 &&
               Out.AddFile(TVTEXT("Data/Models/Chars/arm.msh"), Arm.data(), tvULong(Arm.size())) == 1 &&
               Out.AddDirectory(TVTEXT("Data\\Empty")) == 1 && Out.Save(Target.c_str()) == 1;
    });
}

// Packages: a reading package's open and a member read; a package rebuilt in update mode with
// one member written again (the others carried over); the package*member file system's reader
// and writer. The rebuilt package is always the old one or the new one, whole.
TEST_F(SubsystemSweep, Packages)
{
    const FBytes A = Pattern(20000, 1), OldB = Pattern(9000, 2), NewB = Pattern(12000, 3);
    auto WritePack = [](const tvWChar* Name, const std::vector<std::pair<const tvWChar*, const FBytes*>>& Members) {
        FZipPackage Package(Name);
        if (!Package.Open())
            return false;
        bool Ok = true;
        for (const auto& Member : Members)
            Ok = WritesWhole(Package.CreateMemberWriter(Member.first), *Member.second) && Ok;
        Package.Close();
        return Ok;
    };
    GZipWriteMode = ZIPWRITE_Write;
    ASSERT_TRUE(WritePack(TVTEXT("pack"), {{TVTEXT("a.bin"), &A}, {TVTEXT("dir/b.bin"), &OldB}}));
    const FBytes Original = Read("pack.xup");
    const WideText DataRoot = Root.Root();

    SweepBoth("package open and read", [&] {
        FUnzipPackage Package(TVTEXT("pack"));
        return Package.Open() && ReadsExactly(Package.CreateMemberReader(TVTEXT("dir\\b.bin")), OldB);
    });

    // "old", "new", or what is wrong with the package.
    auto State = [&]() -> std::string {
        FUnzipPackage Package(TVTEXT("pack"));
        if (!Package.Open())
            return "does not open";
        if (!ReadsExactly(Package.CreateMemberReader(TVTEXT("a.bin")), A))
            return "a lost";
        if (ReadsExactly(Package.CreateMemberReader(TVTEXT("dir/b.bin")), OldB))
            return "old";
        if (ReadsExactly(Package.CreateMemberReader(TVTEXT("dir/b.bin")), NewB))
            return "new";
        return "b damaged";
    };
    auto Restore = [&] { Write("pack.xup", Original); };
    const std::string Files = Entries();
    auto OldOrNew = [&](bool) {
        const std::string Now = State();
        EXPECT_TRUE(Now == "old" || Now == "new") << Now;
        EXPECT_EQ(Entries(), Files) << "a temporary package was left behind";
    };
    SweepBoth(
        "package rebuild",
        [&] {
            GZipWriteMode = ZIPWRITE_Update;
            return WritePack(TVTEXT("pack"), {{TVTEXT("dir\\b.bin"), &NewB}});
        },
        Restore, OldOrNew);
    EXPECT_EQ(State(), "new");  // the last step ran without a refusal

    SweepBoth(
        "package*member file system",
        [&] {
            GZipWriteMode = ZIPWRITE_Update;
            FPackageFileSystem Packages;
            if (Packages.SetDataRootDir(DataRoot.c_str()) != 1 || Packages.Initialize() != 1)
                return false;
            GFileManager = &Packages;
            const bool Ok = ReadsExactly(Packages.CreateReader(TVTEXT("pack*a.bin")), A) &&
                            WritesWhole(Packages.CreateWriter(TVTEXT("pack*dir/b.bin")), NewB);
            GFileManager = &Native;
            return Ok;  // the package is rebuilt as the file system ends
        },
        Restore, OldOrNew);
    EXPECT_EQ(State(), "new");
}

// Text files: a save that replaces a file, and a load of UTF-16 and of single-byte text.
TEST_F(SubsystemSweep, TextFiles)
{
    const WideText Want = WideText(TVTEXT("first line\r\nsecond line \x4E2D\r\n")) + WideText(3000, TVTEXT('x'));
    const WideText Target = Path("text.txt");
    SweepReplacement("text.txt", ImgTest::Bytes("old text"), [&] {
        const FString Text(Want.c_str());
        if (WideText(static_cast<const tvWChar*>(Text)) != Want)
            return false;  // the text itself was refused its memory
        return appSaveStringToFile(Text, Target.c_str()) == 1;
    });

    Write("single.txt", ImgTest::Bytes("single-byte text\r\n"));
    const WideText Single = Path("single.txt");
    for (const WideText& File : {Target, Single}) {
        const WideText Expected = File == Target ? Want : WideText(TVTEXT("single-byte text\r\n"));
        SweepBoth(File == Target ? "text load (UTF-16)" : "text load (single byte)", [&] {
            FString Text;
            return appLoadFileToString(Text, File.c_str()) == 1 &&
                   WideText(static_cast<const tvWChar*>(Text)) == Expected;
        });
    }
}

// The linear file system: a recording of one file's open and reads into a ".lin" file that
// replaces an earlier one, and the replay of that recording.
TEST_F(SubsystemSweep, LinearFileSystem)
{
    const FBytes Ten = Pattern(10, 9);
    Write("ten.bin", Ten);
    const WideText Run = Path("run"), TenPath = Path("ten.bin");
    // Runs the linear file system in Mode for one open and read of ten.bin; true when the
    // bytes came whole.
    auto RunOnce = [&](ELoadingMode Mode) {
        FFileManager* Manager = appLinearFileSystemInit(Mode);
        if (!Manager)
            return false;
        GFileManager = Manager;
        appLinearFileSystemStart(Run.c_str());
        const bool Started = Mode == LOADINGMODE_Save ? appLinearFileSystemIsSaving() : appLinearFileSystemIsLoading();
        const bool Ok = Started && ReadsExactly(Manager->CreateReader(TenPath.c_str()), Ten);
        appLinearFileSystemEnd();
        GFileManager = &Native;
        delete Manager;
        return Ok;
    };
    // The recording reports nothing: the file is the older recording, or a whole new one (the
    // open recorded as made, with its size and bytes, or as failed when the reader was refused).
    const FBytes Older = ImgTest::Bytes("an older recording");
    FBytes Recorded{0x01, 0x0A, 0x00, 0x00, 0x00};
    for (unsigned char Byte : Ten)
        Recorded.push_back(Byte);
    const std::string Files = (Write("run.lin", Older), Entries());
    SweepBoth(
        "linear recording", [&] { return RunOnce(LOADINGMODE_Save); }, [&] { Write("run.lin", Older); },
        [&](bool) {
            const FBytes Now = Read("run.lin");
            EXPECT_TRUE(Now == Older || Now == Recorded || Now == FBytes{0x00}) << Printable(Now);
            EXPECT_EQ(Entries(), Files) << "a temporary file was left behind";
        });
    EXPECT_EQ(Read("run.lin"), Recorded);  // the last step ran without a refusal
    std::filesystem::remove(Root.Folder.Native(Disk("ten.bin")));  // the replay reads the recording alone
    SweepBoth("linear replay", [&] { return RunOnce(LOADINGMODE_Load); });
    delete appLinearFileSystemInit(LOADINGMODE_Off);  // the library-wide mode back to off
}

// Configuration files: a load, a value read, two values set (each checked: setting reports
// nothing, so the caller reads it back) and a save over an existing file.
TEST_F(SubsystemSweep, ConfigFiles)
{
    Write("in.ini", ImgTest::Bytes("[Main]\r\nName=value one\r\nCount=7\r\n[Other]\r\nKey=x\r\n"));
    const WideText In = Path("in.ini"), Out = Path("out.ini");
    SweepReplacement("out.ini", ImgTest::Bytes("[Old]\r\nk=v\r\n"), [&] {
        FConfigFile Config;
        FString Value;
        int Count = 0;
        if (Config.Load(In.c_str()) != 1 || !Config.GetString(TVTEXT("Main"), TVTEXT("Name"), Value) ||
            WideText(static_cast<const tvWChar*>(Value)) != TVTEXT("value one") ||
            !Config.GetInt(TVTEXT("Main"), TVTEXT("Count"), Count) || Count != 7)
            return false;
        const FString Added(TVTEXT("added"));
        Config.SetString(TVTEXT("New"), TVTEXT("Text"), Added);
        Config.SetInt(TVTEXT("Main"), TVTEXT("Count"), 8);
        if (!Config.GetString(TVTEXT("New"), TVTEXT("Text"), Value) ||
            WideText(static_cast<const tvWChar*>(Value)) != TVTEXT("added") ||
            !Config.GetInt(TVTEXT("Main"), TVTEXT("Count"), Count) || Count != 8)
            return false;  // a value was refused its memory: not saved
        return Config.SaveAs(Out.c_str()) == 1;
    });
}

// XML documents: a load, a child added with an attribute (read back), and the save that
// replaces the file.
TEST_F(SubsystemSweep, XmlDocuments)
{
    const WideText File = Path("doc.xml");
    SweepReplacement("doc.xml", ImgTest::Bytes("<Root><Old a=\"1\"/></Root>"), [&] {
        FXmlFile Xml;
        if (Xml.Load(File.c_str()) != 1 || !Xml.RootNode())
            return false;
        FXmlNode* Child = Xml.RootNode()->AddChild(TVTEXT("Child"));
        if (!Child)
            return false;
        Child->SetAttribute(FString(TVTEXT("name")), FString(TVTEXT("value")));
        FString Value;
        if (!Child->GetAttribute(FString(TVTEXT("name")), Value) ||
            WideText(static_cast<const tvWChar*>(Value)) != TVTEXT("value"))
            return false;
        return Xml.SaveFile() == 1;
    });
}

// Log lines: a log file opened through the file manager and lines written to it.
TEST_F(SubsystemSweep, LogLines)
{
    const WideText File = Path("run.log");
    auto LogSome = [&] {
        FLog Lines;
        if (!Lines.Open(File.c_str()))
            return false;
        Lines.Log(TVTEXT("Init"), TVTEXT("line %d of %s"), 1, TVTEXT("two"));
        Lines.Log(TVTEXT("Init"), TVTEXT("line %d of %s"), 2, TVTEXT("two"));
        Lines.Close();
        return true;
    };
    ASSERT_TRUE(LogSome());
    const FBytes Whole = Read("run.log");
    SweepBoth(
        "log lines", LogSome, [&] { std::filesystem::remove(Root.Folder.Native(Disk("run.log"))); },
        [&](bool Done) {
            if (Done) {
                EXPECT_EQ(Read("run.log"), Whole);
            }
        });
}

} // namespace
