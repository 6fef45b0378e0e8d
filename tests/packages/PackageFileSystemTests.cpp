// The default file manager: plain paths under each package mode, package*member paths, the
// current-package shortcut, the 21 open reading packages, and the command language.
#include <tvCore/tvCore.h>

#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

    bool Write(const std::u16string& Path, const std::string& Text)
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
    std::string Read(const std::u16string& Path)
    {
        FFileReader* Reader = Files->CreateReader(Path.c_str());
        if (!Reader)
            return "<null>";
        std::string Text(static_cast<std::size_t>(Reader->GetSize()), '\0');
        Reader->Serialize(Text.data(), static_cast<tvULong>(Text.size()));
        delete Reader;
        return Text;
    }
    void Exec(const char16_t* Command)
    {
        std::u16string Text(Command);
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
    const std::u16string Full = Data.Path(u"plain.txt");
    struct FCase {
        int Mode;
        std::u16string Path;
        std::string Want;
    } Cases[] = {
        {3, Full, "data"},
        {3, u"plain.txt", "<null>"},  // relative to the working folder, not the data root
        {0, u"plain.txt", "data"},
        {0, Full, "<null>"},          // the data root is put in front of an absolute path too
        {4, Full, "data"},
        {4, u"plain.txt", "<null>"},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.Mode);
        Files->SetPackageMode(static_cast<EFilePackMode>(Case.Mode));
        EXPECT_EQ(Read(Case.Path), Case.Want);
    }
    Files->SetPackageMode(static_cast<EFilePackMode>(0));
    ASSERT_TRUE(Write(u"written.txt", "plain write"));
    EXPECT_EQ(Data.Read("written.txt"), std::vector<unsigned char>({'p', 'l', 'a', 'i', 'n', ' ', 'w', 'r', 'i', 't', 'e'}));
}

TEST_F(PackageFileSystemTests, MembersWrittenThenReadBackThroughTheStarSyntax)
{
    std::filesystem::create_directories(Data.Native("Models"));
    ASSERT_TRUE(Write(u"Models\\Chars*body/arm.msh", "arm"));
    ASSERT_TRUE(Write(u"Models\\Chars*body\\leg.msh", "leg"));
    ASSERT_TRUE(Write(u"Models\\Chars*head.msh", "head"));
    Exec(u"CLOSE ALL");  // the writing package finishes its file
    EXPECT_EQ(Files->GetWritingPackages().Num(), 0);

    EXPECT_EQ(Read(u"Models\\Chars*body/arm.msh"), "arm");
    EXPECT_EQ(Read(u"models\\chars*BODY/LEG.MSH"), "leg");  // packages and members ignore case
    EXPECT_EQ(Read(u"Models\\Chars*head.msh"), "head");
    EXPECT_EQ(OpenReading(), 1);  // one package, reused for every request

    // A missing member gives null; the package stays open (and current).
    EXPECT_EQ(Read(u"Models\\Chars*missing.msh"), "<null>");
    EXPECT_EQ(OpenReading(), 1);
    EXPECT_EQ(Read(u"Models\\Chars*head.msh"), "head");

    // After CLOSE ALL the next request opens the package again.
    Exec(u"close all");
    EXPECT_EQ(OpenReading(), 0);
    EXPECT_EQ(Read(u"Models\\Chars*body/arm.msh"), "arm");
    EXPECT_EQ(OpenReading(), 1);
    // No such package: null.
    EXPECT_EQ(Read(u"NoSuchPackage*x"), "<null>");
}

TEST_F(PackageFileSystemTests, TwentyTwoPackagesLeaveTwentyOneOpen)
{
    for (int i = 0; i < 22; ++i)
        ASSERT_TRUE(Write(u"P" + std::u16string(1, char16_t(u'A' + i)) + u"*m", std::string(1, char('a' + i))));
    Exec(u"CLOSE ALL");
    for (int i = 0; i < 22; ++i)
        ASSERT_EQ(Read(u"P" + std::u16string(1, char16_t(u'A' + i)) + u"*m"), std::string(1, char('a' + i)));
    EXPECT_EQ(OpenReading(), 21);
    // The first one was closed when the 22nd arrived.
    EXPECT_EQ(std::u16string(Files->GetReadingPackages()[0]->GetName()), u"PB");
    EXPECT_EQ(std::u16string(Files->GetReadingPackages()[20]->GetName()), u"PV");
}

TEST_F(PackageFileSystemTests, CommandsSetTheZipWriteModeAndAlwaysReturnZero)
{
    struct FCase {
        const char16_t* Command;
        int Before;
        int After;
    } Cases[] = {
        {u"ZIP UPDATE", 0, 3}, {u"zip append", 0, 2}, {u"Zip Write", 3, 0},
        {u"ZIP  APPEND", 0, 0},  // two spaces: the rest begins with a space, nothing changes
        {u"ZIP OTHER", 3, 3},    {u"CLOSE SOME", 2, 2}, {u"NOTHING", 2, 2},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Command, Case.Command + std::char_traits<char16_t>::length(Case.Command)));
        GZipWriteMode = Case.Before;
        Exec(Case.Command);
        EXPECT_EQ(GZipWriteMode, Case.After);
    }
}

TEST_F(PackageFileSystemTests, PackagePathsThatDoNotFitAreRefused)
{
    const std::u16string Long(300, u'p');
    EXPECT_EQ(Files->CreateReader((Long + u"*member").c_str()), nullptr);
    EXPECT_EQ(Files->CreateWriter((Long + u"*member").c_str()), nullptr);
    EXPECT_EQ(OpenReading(), 0);
    EXPECT_EQ(Files->GetWritingPackages().Num(), 0);
}
