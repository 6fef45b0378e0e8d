// The free file functions on real files in a temporary folder.
#include "files/TempFolder.h"

#include <gtest/gtest.h>

using namespace Tolvane;

TEST(FileFunctions, AccessChecksFollowTheReadOnlyAttribute)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("f.bin", {1, 2, 3});
    const std::u16string File = Folder.Path(u"f.bin");
    const std::u16string Missing = Folder.Path(u"missing");

    EXPECT_EQ(appIsFileExist(File.c_str()), 1);
    EXPECT_EQ(appIsFileReadable(File.c_str()), 1);
    EXPECT_EQ(appIsFileWritable(File.c_str()), 1);
    EXPECT_EQ(appIsFileExist(Missing.c_str()), 0);
    EXPECT_EQ(appIsFileReadable(Missing.c_str()), 0);
    EXPECT_EQ(appIsFileWritable(Missing.c_str()), 0);
    EXPECT_EQ(appIsFileExist(Folder.Path().c_str()), 1) << "a directory exists too";

    Folder.MakeReadOnly("f.bin");
    EXPECT_EQ(appIsFileWritable(File.c_str()), 0);
    EXPECT_EQ(appIsFileReadable(File.c_str()), 1);
    appSetFileWritable(File.c_str());
    EXPECT_EQ(appIsFileWritable(File.c_str()), 1);
    EXPECT_EQ(Folder.Read("f.bin"), (std::vector<unsigned char>{1, 2, 3}));
}

TEST(FileFunctions, BackslashesSeparateDirectoriesToo)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    std::filesystem::create_directory(Folder.Native("d"));
    Folder.Write("d/x", {9});
    std::u16string Windowsy = Folder.Path(u"d\\x");
    EXPECT_EQ(appIsFileExist(Windowsy.c_str()), 1);
}

TEST(FileFunctions, CopyHonoursFailIfExistsAndLeavesTheTargetIntactOnFailure)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("a", {1, 2});
    Folder.Write("b", {7});
    const std::u16string A = Folder.Path(u"a"), B = Folder.Path(u"b"), C = Folder.Path(u"c");

    EXPECT_EQ(appCopyFile(A.c_str(), B.c_str(), true), 0);
    EXPECT_EQ(Folder.Read("b"), (std::vector<unsigned char>{7}));
    EXPECT_NE(appCopyFile(A.c_str(), C.c_str(), true), 0);
    EXPECT_EQ(Folder.Read("c"), (std::vector<unsigned char>{1, 2}));
    EXPECT_NE(appCopyFile(A.c_str(), B.c_str(), false), 0);
    EXPECT_EQ(Folder.Read("b"), (std::vector<unsigned char>{1, 2}));

    // A read-only target is refused, as the system copy refuses it, and stays as it was.
    Folder.Write("r", {5});
    Folder.MakeReadOnly("r");
    EXPECT_EQ(appCopyFile(A.c_str(), Folder.Path(u"r").c_str(), false), 0);
    EXPECT_EQ(Folder.Read("r"), (std::vector<unsigned char>{5}));
    // A missing source creates nothing.
    EXPECT_EQ(appCopyFile(Folder.Path(u"none").c_str(), Folder.Path(u"n2").c_str(), false), 0);
    EXPECT_EQ(appIsFileExist(Folder.Path(u"n2").c_str()), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Native()), std::filesystem::directory_iterator()), 4)
        << "no temporary copy is left behind";
}

TEST(FileFunctions, DeleteRemovesFilesButNotReadOnlyOnesOrDirectories)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("a", {1});
    Folder.Write("r", {1});
    Folder.MakeReadOnly("r");
    std::filesystem::create_directory(Folder.Native("d"));
    appDeleteFile(Folder.Path(u"a").c_str());
    appDeleteFile(Folder.Path(u"r").c_str());
    appDeleteFile(Folder.Path(u"d").c_str());
    appDeleteFile(Folder.Path(u"missing").c_str());
    EXPECT_EQ(appIsFileExist(Folder.Path(u"a").c_str()), 0);
    EXPECT_EQ(appIsFileExist(Folder.Path(u"r").c_str()), 1);
    EXPECT_TRUE(Folder.IsDirectory("d"));
}

TEST(FileFunctions, SafeCreateDirectoryBuildsEveryMissingLevel)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    struct Case {
        const char16_t* Path;
        bool Strip;
        const char* Created;     // the deepest directory expected
        const char* NotCreated;  // a name that must not appear ("" for none)
    };
    const Case Cases[] = {
        {u"a/b/c/", false, "a/b/c", ""},
        {u"d\\e\\f", false, "d/e/f", ""},
        {u"g\\h/i\\file.txt", true, "g/h/i", "g/h/i/file.txt"},
        {u"j/k/name", true, "j/k", "j/k/name"},
        {u"l//m/", false, "l/m", ""},
    };
    for (const Case& C : Cases) {
        appSafeCreateDirectory(Folder.Path(C.Path).c_str(), C.Strip);
        EXPECT_TRUE(Folder.IsDirectory(C.Created)) << std::filesystem::path(std::u16string(C.Path)).string();
        if (*C.NotCreated) {
            EXPECT_FALSE(std::filesystem::exists(Folder.Native(C.NotCreated)));
        }
    }
    // Existing levels are no error: the same call again changes nothing.
    appSafeCreateDirectory(Folder.Path(u"a/b/c/").c_str(), false);
    EXPECT_TRUE(Folder.IsDirectory("a/b/c"));
}

TEST(FileFunctions, SafeCreateDirectoryRefusesPathsBeyondItsWorkingBuffer)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const std::u16string Base = Folder.Path(u"long/");
    const std::u16string Fits = Base + std::u16string(259 - Base.size(), u'x');
    const std::u16string TooLong = Base + std::u16string(260 - Base.size(), u'y');
    appSafeCreateDirectory(TooLong.c_str(), false);
    EXPECT_FALSE(std::filesystem::exists(Folder.Native("long"))) << "refused whole: not even a parent";
    appSafeCreateDirectory(Fits.c_str(), false);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(Fits)));
    appSafeCreateDirectory(nullptr, true);
}
