// The free file functions on real files in a temporary folder.
#include "files/TempFolder.h"

#include <gtest/gtest.h>
#include "support/WideText.h"

using namespace Tolvane;

TEST(FileFunctions, AccessChecksFollowTheReadOnlyAttribute)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("f.bin", {1, 2, 3});
    const WideText File = Folder.Path(TVTEXT("f.bin"));
    const WideText Missing = Folder.Path(TVTEXT("missing"));

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
    WideText Windowsy = Folder.Path(TVTEXT("d\\x"));
    EXPECT_EQ(appIsFileExist(Windowsy.c_str()), 1);
}

TEST(FileFunctions, CopyHonoursFailIfExistsAndLeavesTheTargetIntactOnFailure)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("a", {1, 2});
    Folder.Write("b", {7});
    const WideText A = Folder.Path(TVTEXT("a")), B = Folder.Path(TVTEXT("b")), C = Folder.Path(TVTEXT("c"));

    EXPECT_EQ(appCopyFile(A.c_str(), B.c_str(), true), 0);
    EXPECT_EQ(Folder.Read("b"), (std::vector<unsigned char>{7}));
    EXPECT_NE(appCopyFile(A.c_str(), C.c_str(), true), 0);
    EXPECT_EQ(Folder.Read("c"), (std::vector<unsigned char>{1, 2}));
    EXPECT_NE(appCopyFile(A.c_str(), B.c_str(), false), 0);
    EXPECT_EQ(Folder.Read("b"), (std::vector<unsigned char>{1, 2}));

    // A read-only target is refused, as the system copy refuses it, and stays as it was.
    Folder.Write("r", {5});
    Folder.MakeReadOnly("r");
    EXPECT_EQ(appCopyFile(A.c_str(), Folder.Path(TVTEXT("r")).c_str(), false), 0);
    EXPECT_EQ(Folder.Read("r"), (std::vector<unsigned char>{5}));
    // A missing source creates nothing.
    EXPECT_EQ(appCopyFile(Folder.Path(TVTEXT("none")).c_str(), Folder.Path(TVTEXT("n2")).c_str(), false), 0);
    EXPECT_EQ(appIsFileExist(Folder.Path(TVTEXT("n2")).c_str()), 0);
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
    appDeleteFile(Folder.Path(TVTEXT("a")).c_str());
    appDeleteFile(Folder.Path(TVTEXT("r")).c_str());
    appDeleteFile(Folder.Path(TVTEXT("d")).c_str());
    appDeleteFile(Folder.Path(TVTEXT("missing")).c_str());
    EXPECT_EQ(appIsFileExist(Folder.Path(TVTEXT("a")).c_str()), 0);
    EXPECT_EQ(appIsFileExist(Folder.Path(TVTEXT("r")).c_str()), 1);
    EXPECT_TRUE(Folder.IsDirectory("d"));
}

TEST(FileFunctions, SafeCreateDirectoryBuildsEveryMissingLevel)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    struct Case {
        const Tolvane::tvWChar* Path;
        bool Strip;
        const char* Created;     // the deepest directory expected
        const char* NotCreated;  // a name that must not appear ("" for none)
    };
    const Case Cases[] = {
        {TVTEXT("a/b/c/"), false, "a/b/c", ""},
        {TVTEXT("d\\e\\f"), false, "d/e/f", ""},
        {TVTEXT("g\\h/i\\file.txt"), true, "g/h/i", "g/h/i/file.txt"},
        {TVTEXT("j/k/name"), true, "j/k", "j/k/name"},
        {TVTEXT("l//m/"), false, "l/m", ""},
    };
    for (const Case& C : Cases) {
        appSafeCreateDirectory(Folder.Path(C.Path).c_str(), C.Strip);
        EXPECT_TRUE(Folder.IsDirectory(C.Created)) << std::filesystem::path(WideText(C.Path)).string();
        if (*C.NotCreated) {
            EXPECT_FALSE(std::filesystem::exists(Folder.Native(C.NotCreated)));
        }
    }
    // Existing levels are no error: the same call again changes nothing.
    appSafeCreateDirectory(Folder.Path(TVTEXT("a/b/c/")).c_str(), false);
    EXPECT_TRUE(Folder.IsDirectory("a/b/c"));
}

TEST(FileFunctions, SafeCreateDirectoryRefusesPathsBeyondItsWorkingBuffer)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const WideText Base = Folder.Path(TVTEXT("long/"));
    const WideText Fits = Base + WideText(259 - Base.size(), TVTEXT('x'));
    const WideText TooLong = Base + WideText(260 - Base.size(), TVTEXT('y'));
    appSafeCreateDirectory(TooLong.c_str(), false);
    EXPECT_FALSE(std::filesystem::exists(Folder.Native("long"))) << "refused whole: not even a parent";
    appSafeCreateDirectory(Fits.c_str(), false);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(Fits)));
    appSafeCreateDirectory(nullptr, true);
}
