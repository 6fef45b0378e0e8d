// The native file manager, its readers and writers, on real files in a temporary folder.
#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include "support/WideText.h"

using namespace Tolvane;

namespace {
// Every built-in value and both free stored forms, in one direction-neutral sequence.
struct FAllTypes {
    char C = 'z';
    unsigned char UC = 0xF0;
    short S = -300;
    unsigned short US = 0xABCD;
    int I = -123456;
    unsigned int UI = 0xDEADBEEFu;
    tvULong UL = 0x0A0B0C0Du;
    float F = -2.75f;
    unsigned long long ULL = 0x0102030405060708ull;
    FString Text = FString(TVTEXT("h\u00e9llo \U0001F600"));
    FBitFlag Flags = FBitFlag(0x11);

    void Serialize(FArchive& Ar) { Ar << C << UC << S << US << I << UI << UL << F << ULL << Text << Flags; }
};

WideText Text(const FString& S) { return WideText(static_cast<const tvWChar*>(S)); }
} // namespace

TEST(NativeFiles, EveryBuiltInTypeGivesTheSameBytesOnDiskAsInMemory)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FFileManagerWin Manager;
    FAllTypes Saved;

    FMemoryWriter Memory(0);
    Saved.Serialize(Memory);
    std::unique_ptr<FFileWriter> Writer(Manager.CreateWriter(Folder.Path(TVTEXT("all.bin")).c_str()));
    ASSERT_NE(Writer, nullptr);
    EXPECT_EQ(Writer->IsSaving(), 1);
    EXPECT_EQ(Writer->IsPersistent(), 1);
    Saved.Serialize(*Writer);
    EXPECT_EQ(Writer->GetSize(), Memory.GetSize());
    Writer.reset();

    const std::vector<unsigned char> OnDisk = Folder.Read("all.bin");
    const unsigned char* InMemory = Memory.GetData().GetData();
    EXPECT_EQ(OnDisk, std::vector<unsigned char>(InMemory, InMemory + Memory.GetSize()));

    std::unique_ptr<FFileReader> Reader(Manager.CreateReader(Folder.Path(TVTEXT("all.bin")).c_str()));
    ASSERT_NE(Reader, nullptr);
    EXPECT_EQ(Reader->IsLoading(), 1);
    EXPECT_EQ(Reader->IsPersistent(), 1);
    EXPECT_EQ(Reader->GetSize(), static_cast<int>(OnDisk.size()));
    FAllTypes Loaded;
    Loaded.C = 0; Loaded.UC = 0; Loaded.S = 0; Loaded.US = 0; Loaded.I = 0; Loaded.UI = 0;
    Loaded.UL = 0; Loaded.F = 0; Loaded.ULL = 0; Loaded.Text = FString(); Loaded.Flags = FBitFlag(0);
    Loaded.Serialize(*Reader);
    EXPECT_EQ(Reader->IsError(), 0);
    EXPECT_EQ(Loaded.C, Saved.C);
    EXPECT_EQ(Loaded.UC, Saved.UC);
    EXPECT_EQ(Loaded.S, Saved.S);
    EXPECT_EQ(Loaded.US, Saved.US);
    EXPECT_EQ(Loaded.I, Saved.I);
    EXPECT_EQ(Loaded.UI, Saved.UI);
    EXPECT_EQ(Loaded.UL, Saved.UL);
    EXPECT_EQ(Loaded.F, Saved.F);
    EXPECT_EQ(Loaded.ULL, Saved.ULL);
    EXPECT_EQ(Text(Loaded.Text), Text(Saved.Text));
    EXPECT_EQ(Loaded.Flags.GetValue(), Saved.Flags.GetValue());
}

TEST(NativeFiles, MissingEmptyAndShortFiles)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FFileManagerWin Manager;
    EXPECT_EQ(Manager.CreateReader(Folder.Path(TVTEXT("missing")).c_str()), nullptr);
    EXPECT_EQ(Manager.CreateReader(Folder.Path().c_str()), nullptr) << "a directory is no file";
    EXPECT_EQ(Manager.CreateReader(nullptr), nullptr);
    EXPECT_EQ(Manager.CreateWriter(Folder.Path(TVTEXT("no/such/dir")).c_str()), nullptr);

    Folder.Write("empty", {});
    std::unique_ptr<FFileReader> Empty(Manager.CreateReader(Folder.Path(TVTEXT("empty")).c_str()));
    ASSERT_NE(Empty, nullptr);
    EXPECT_EQ(Empty->GetSize(), 0);

    // A value cut short by the end of the file comes back zero-filled, with the error flag.
    Folder.Write("short", {0x11, 0x22});
    std::unique_ptr<FFileReader> Short(Manager.CreateReader(Folder.Path(TVTEXT("short")).c_str()));
    ASSERT_NE(Short, nullptr);
    int Value = -1;
    *Short << Value;
    EXPECT_EQ(Value, 0x2211);
    EXPECT_EQ(Short->IsError(), 1);

    // A closed reader reports size 0 and reads nothing.
    Folder.Write("data", {1, 2, 3});
    std::unique_ptr<FFileReader> Closed(Manager.CreateReader(Folder.Path(TVTEXT("data")).c_str()));
    ASSERT_NE(Closed, nullptr);
    EXPECT_EQ(Closed->GetSize(), 3);
    Closed->Close();
    Closed->Close();
    unsigned char Byte = 0;
    EXPECT_EQ(Closed->GetSize(), 0);
    EXPECT_EQ(Closed->Read(&Byte, 1), 0);
}

TEST(NativeFiles, WriterClearsTheReadOnlyAttributeAndTruncates)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("ro", {1, 2, 3, 4, 5});
    Folder.MakeReadOnly("ro");
    FFileManagerWin Manager;
    std::unique_ptr<FFileWriter> Writer(Manager.CreateWriter(Folder.Path(TVTEXT("ro")).c_str()));
    ASSERT_NE(Writer, nullptr);
    *Writer << static_cast<unsigned short>(0x0201);
    Writer->Flush();
    EXPECT_EQ(Writer->GetSize(), 2);
    Writer->Close();
    EXPECT_EQ(Writer->GetSize(), 0);
    Writer->Write(const_cast<char*>("x"), 1);
    EXPECT_EQ(Writer->IsError(), 1) << "bytes written after Close are lost, and that shows";
    Writer.reset();
    EXPECT_EQ(Folder.Read("ro"), (std::vector<unsigned char>{1, 2}));
    EXPECT_EQ(appIsFileWritable(Folder.Path(TVTEXT("ro")).c_str()), 1);
}

TEST(NativeFiles, ListingYieldsThePlainFilesOfADirectoryAfterWhatTheArrayHeld)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    std::filesystem::create_directory(Folder.Native("dir"));
    Folder.Write("dir/y", {1});
    Folder.Write("dir/x", {1});
    Folder.Write("dir/.hidden", {1});
    std::filesystem::create_directory(Folder.Native("dir/s"));
    Folder.Write("dir/s/inner", {1});

    FFileManagerWin Manager;
    TArray<FString> Files;
    Files.AddItem(FString(TVTEXT("kept")));
    const WideText Dir = Folder.Path(TVTEXT("dir/"));
    Manager.GetFilesFromDirectory(Dir.c_str(), Files);
    std::vector<WideText> Names;
    for (int i = 0; i < Files.Num(); ++i)
        Names.push_back(Text(Files[i]));
    EXPECT_EQ(Names, (std::vector<WideText>{TVTEXT("kept"), Dir + TVTEXT(".hidden"), Dir + TVTEXT("x"), Dir + TVTEXT("y")}));

    // The directory text is a plain prefix: a backslash form is kept as given.
    TArray<FString> Back;
    const WideText BackDir = Folder.Path(TVTEXT("dir\\s\\"));
    Manager.GetFilesFromDirectory(BackDir.c_str(), Back);
    ASSERT_EQ(Back.Num(), 1);
    EXPECT_EQ(Text(Back[0]), BackDir + TVTEXT("inner"));

    TArray<FString> None;
    Manager.GetFilesFromDirectory(Folder.Path(TVTEXT("missing/")).c_str(), None);
    Manager.GetFilesFromDirectory(nullptr, None);
    EXPECT_EQ(None.Num(), 0);
}

TEST(NativeFiles, FindFileAnswersForFilesDirectoriesAndWildcards)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("Name.TXT", {1});
    FFileManagerWin Manager;
    EXPECT_TRUE(Manager.FindFile(Folder.Path(TVTEXT("Name.TXT")).c_str()));
    EXPECT_TRUE(Manager.FindFile(Folder.Path(TVTEXT("*.txt")).c_str())) << "wildcards are case-insensitive";
    EXPECT_TRUE(Manager.FindFile(Folder.Path(TVTEXT("N?me.*")).c_str()));
    EXPECT_TRUE(Manager.FindFile(Folder.Path(TVTEXT("*.*")).c_str()));
    EXPECT_FALSE(Manager.FindFile(Folder.Path(TVTEXT("*.bin")).c_str()));
    EXPECT_FALSE(Manager.FindFile(Folder.Path(TVTEXT("other")).c_str()));
    EXPECT_FALSE(Manager.FindFile(nullptr));
}

TEST(FileManager, DirectorySettingsPackageModeAndBaseBehaviour)
{
    FFileManagerWin Manager;
    FFileManager& Base = Manager;
    EXPECT_EQ(Base.IsPackageMode(), 0);
    Base.SetPackageMode(static_cast<EFilePackMode>(FILEPACK_ReadFromPackages | FILEPACK_WriteToPackages));
    EXPECT_EQ(Base.IsPackageMode(), 3);
    EXPECT_EQ(Base.Initialize(), 1);
    EXPECT_EQ(Base.CreateAsyncReader(TVTEXT("x")), nullptr);
    Base.Tick();

    typedef const tvWChar* (FFileManager::*FGetter)() const;
    typedef int (FFileManager::*FSetter)(const tvWChar*);
    const std::pair<FGetter, FSetter> Settings[] = {
        {&FFileManager::GetExecRootDir, &FFileManager::SetExecRootDir},
        {&FFileManager::GetDataRootDir, &FFileManager::SetDataRootDir},
        {&FFileManager::GetUserDataRootDir, &FFileManager::SetUserDataRootDir},
        {&FFileManager::GetGameRootDir, &FFileManager::SetGameRootDir},
        {&FFileManager::GetFilesDir, &FFileManager::SetFilesDir},
        {&FFileManager::GetUserAccountDir, &FFileManager::SetUserAccountDir},
        {&FFileManager::GetUpdateConfigDir, &FFileManager::SetUpdateConfigDir},
        {&FFileManager::GetAndroidPackageName, &FFileManager::SetAndroidPackageName},
    };
    const WideText Longest(255, TVTEXT('d'));
    const WideText TooLong(256, TVTEXT('e'));
    int Index = 0;
    for (const auto& Setting : Settings) {
        EXPECT_EQ(WideText((Base.*Setting.first)()), TVTEXT("")) << Index;
        const WideText Own = TVTEXT("C:\\dir") + WideText(1, Tolvane::tvWChar(TVTEXT('0') + Index)) + TVTEXT("\\");
        EXPECT_EQ((Base.*Setting.second)(Own.c_str()), 1);
        EXPECT_EQ((Base.*Setting.second)(TooLong.c_str()), 0) << "refused, not cut";
        EXPECT_EQ((Base.*Setting.second)(nullptr), 0);
        EXPECT_EQ(WideText((Base.*Setting.first)()), Own) << Index;
        ++Index;
    }
    EXPECT_EQ(Base.SetDataRootDir(Longest.c_str()), 1);
    EXPECT_EQ(WideText(Base.GetDataRootDir()), Longest);
    EXPECT_EQ(WideText(Base.GetFilesDir()), TVTEXT("C:\\dir4\\")) << "each setting is its own";
}
