// The default file manager: plain paths under each package mode, package*member paths, the
// current-package shortcut, the 21 open reading packages, and the command language.
#include <tvCore/tvCore.h>

#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

class PackageFileSystemTests : public ::testing::Test {
protected:
    FTempFolder Data;
    FPackageFileSystem* Files = nullptr;
    FFileManager* Saved = nullptr;
    int SavedMode = 0;
    int SavedEditor = 0;

    void SetUp() override
    {
        ASSERT_TRUE(Data.Ok());
        Saved = GFileManager;
        SavedMode = GZipWriteMode;
        SavedEditor = GIsEditor;
        GIsEditor = 1;  // packages are written in the data root, not the user's copies
        Files = new FPackageFileSystem;
        GFileManager = Files;
        ASSERT_EQ(Files->SetDataRootDir(Data.Path().c_str()), 1);
        ASSERT_EQ(Files->Initialize(), 1);
    }
    void TearDown() override
    {
        delete Files;
        GFileManager = Saved;
        GZipWriteMode = SavedMode;
        GIsEditor = SavedEditor;
    }

    bool Write(const WideText& Path, const std::string& Text)
    {
        FFileWriter* Writer = Files->CreateWriter(Path.c_str());
        if (!Writer)
            return false;
        Writer->Serialize(const_cast<char*>(Text.data()), static_cast<tvULong>(Text.size()));
        const bool Ok = !Writer->IsError();
        delete Writer;
        return Ok;
    }
    // The whole contents, or "<null>" when no reader was given.
    std::string Read(const WideText& Path)
    {
        FFileReader* Reader = Files->CreateReader(Path.c_str());
        if (!Reader)
            return "<null>";
        std::string Text(static_cast<std::size_t>(Reader->GetSize()), '\0');
        Reader->Serialize(Text.data(), static_cast<tvULong>(Text.size()));
        delete Reader;
        return Text;
    }
    void Exec(const Tolvane::tvWChar* Command)
    {
        WideText Text(Command);
        FString Output;
        EXPECT_EQ(Files->Exec(Text.data(), Output), 0);
    }
    int OpenReading() const
    {
        int Open = 0;
        for (int i = 0; i < Files->GetReadingPackages().Num(); ++i)
            Open += Files->GetReadingPackages()[i] != nullptr;
        return Open;
    }
};

} // namespace

// Plain paths: with the package bits (mode 3) a path without '*' is used exactly as given; with
// mode 0 the data root comes in front; with mode 4 it does not.
TEST_F(PackageFileSystemTests, PlainPathsUnderEachMode)
{
    Data.Write("plain.txt", {'d', 'a', 't', 'a'});
    const WideText Full = Data.Path(TVTEXT("plain.txt"));
    struct FCase {
        int Mode;
        WideText Path;
        std::string Want;
    } Cases[] = {
        {3, Full, "data"},
        {3, TVTEXT("plain.txt"), "<null>"},  // relative to the working folder, not the data root
        {0, TVTEXT("plain.txt"), "data"},
        {0, Full, "<null>"},          // the data root is put in front of an absolute path too
        {4, Full, "data"},
        {4, TVTEXT("plain.txt"), "<null>"},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.Mode);
        Files->SetPackageMode(static_cast<EFilePackMode>(Case.Mode));
        EXPECT_EQ(Read(Case.Path), Case.Want);
    }
    Files->SetPackageMode(static_cast<EFilePackMode>(0));
    ASSERT_TRUE(Write(TVTEXT("written.txt"), "plain write"));
    EXPECT_EQ(Data.Read("written.txt"), std::vector<unsigned char>({'p', 'l', 'a', 'i', 'n', ' ', 'w', 'r', 'i', 't', 'e'}));
}

TEST_F(PackageFileSystemTests, MembersWrittenThenReadBackThroughTheStarSyntax)
{
    std::filesystem::create_directories(Data.Native("Models"));
    ASSERT_TRUE(Write(TVTEXT("Models\\Chars*body/arm.msh"), "arm"));
    ASSERT_TRUE(Write(TVTEXT("Models\\Chars*body\\leg.msh"), "leg"));
    ASSERT_TRUE(Write(TVTEXT("Models\\Chars*head.msh"), "head"));
    Exec(TVTEXT("CLOSE ALL"));  // the writing package finishes its file
    EXPECT_EQ(Files->GetWritingPackages().Num(), 0);

    EXPECT_EQ(Read(TVTEXT("Models\\Chars*body/arm.msh")), "arm");
    EXPECT_EQ(Read(TVTEXT("models\\chars*BODY/LEG.MSH")), "leg");  // packages and members ignore case
    EXPECT_EQ(Read(TVTEXT("Models\\Chars*head.msh")), "head");
    EXPECT_EQ(OpenReading(), 1);  // one package, reused for every request

    // A missing member gives null; the package stays open (and current).
    EXPECT_EQ(Read(TVTEXT("Models\\Chars*missing.msh")), "<null>");
    EXPECT_EQ(OpenReading(), 1);
    EXPECT_EQ(Read(TVTEXT("Models\\Chars*head.msh")), "head");

    // After CLOSE ALL the next request opens the package again.
    Exec(TVTEXT("close all"));
    EXPECT_EQ(OpenReading(), 0);
    EXPECT_EQ(Read(TVTEXT("Models\\Chars*body/arm.msh")), "arm");
    EXPECT_EQ(OpenReading(), 1);
    // No such package: null.
    EXPECT_EQ(Read(TVTEXT("NoSuchPackage*x")), "<null>");
}

TEST_F(PackageFileSystemTests, TwentyTwoPackagesLeaveTwentyOneOpen)
{
    for (int i = 0; i < 22; ++i)
        ASSERT_TRUE(Write(TVTEXT("P") + WideText(1, Tolvane::tvWChar(TVTEXT('A') + i)) + TVTEXT("*m"), std::string(1, char('a' + i))));
    Exec(TVTEXT("CLOSE ALL"));
    for (int i = 0; i < 22; ++i)
        ASSERT_EQ(Read(TVTEXT("P") + WideText(1, Tolvane::tvWChar(TVTEXT('A') + i)) + TVTEXT("*m")), std::string(1, char('a' + i)));
    EXPECT_EQ(OpenReading(), 21);
    // The first one was closed when the 22nd arrived.
    EXPECT_EQ(WideText(Files->GetReadingPackages()[0]->GetName()), TVTEXT("PB"));
    EXPECT_EQ(WideText(Files->GetReadingPackages()[20]->GetName()), TVTEXT("PV"));
}

TEST_F(PackageFileSystemTests, CommandsSetTheZipWriteModeAndAlwaysReturnZero)
{
    struct FCase {
        const Tolvane::tvWChar* Command;
        int Before;
        int After;
    } Cases[] = {
        {TVTEXT("ZIP UPDATE"), 0, 3}, {TVTEXT("zip append"), 0, 2}, {TVTEXT("Zip Write"), 3, 0},
        {TVTEXT("ZIP  APPEND"), 0, 0},  // two spaces: the rest begins with a space, nothing changes
        {TVTEXT("ZIP OTHER"), 3, 3},    {TVTEXT("CLOSE SOME"), 2, 2}, {TVTEXT("NOTHING"), 2, 2},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Command, Case.Command + std::char_traits<Tolvane::tvWChar>::length(Case.Command)));
        GZipWriteMode = Case.Before;
        Exec(Case.Command);
        EXPECT_EQ(GZipWriteMode, Case.After);
    }
}

TEST_F(PackageFileSystemTests, PackagePathsThatDoNotFitAreRefused)
{
    const WideText Long(300, TVTEXT('p'));
    EXPECT_EQ(Files->CreateReader((Long + TVTEXT("*member")).c_str()), nullptr);
    EXPECT_EQ(Files->CreateWriter((Long + TVTEXT("*member")).c_str()), nullptr);
    EXPECT_EQ(OpenReading(), 0);
    EXPECT_EQ(Files->GetWritingPackages().Num(), 0);
}
