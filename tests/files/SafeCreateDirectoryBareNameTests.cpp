// A bare file name with the strip flag: the file sits in the current directory, so nothing is
// created (a directory of the file's own name would keep the file from ever being written, as a
// download to "file.bin" showed).
#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Tolvane;

#include "support/WideText.h"

TEST(FileFunctions, SafeCreateDirectoryOfABareFileNameCreatesNothing)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const std::filesystem::path Saved = std::filesystem::current_path();
    std::filesystem::current_path(Folder.Native(""));
    const WideText Names[] = {TVTEXT("file.bin"), TVTEXT("data")};
    for (const WideText& Name : Names)
        appSafeCreateDirectory(Name.c_str(), true);
    const bool Empty = std::filesystem::is_empty(std::filesystem::current_path());
    // Without the strip flag the name is a directory to create, as before.
    appSafeCreateDirectory(TVTEXT("made"), false);
    const bool Made = std::filesystem::is_directory("made");
    std::filesystem::current_path(Saved);
    EXPECT_TRUE(Empty);
    EXPECT_TRUE(Made);
}
