// Lookups convert only what follows the stripped prefix: the results must be those of
// converting the whole query, for data roots with and without characters beyond ASCII and for
// queries at the 260-byte bound of a whole path.
#include "img/ImgTestSupport.h"

#include "support/WideText.h"

using namespace Tolvane;

TEST(ImgLookup, OnlyTheWholeQueryCountsAgainstThePathBound)
{
    const struct {
        const char* Name;
        WideText Parent;  // the folder holding the data root
    } Roots[] = {
        {"ASCII parent", TVTEXT("Plain")},
        {"parent beyond ASCII", WideText(TVTEXT("Caf")) + tvWChar(0xE9)},
    };
    for (const auto& Root : Roots) {
        SCOPED_TRACE(Root.Name);
        FTempFolder Folder;
        ImgTest::FCurrentDirectory Current(Folder.Native());
        const std::filesystem::path Parent = std::filesystem::path(Folder.Native()) / std::filesystem::path(Root.Parent);
        std::filesystem::create_directories(Parent / "Data" / "Engine");
        std::ofstream(Parent / "Data" / "Engine" / "Engine.ini") << "[Data]\r\nImg=Pack.img\r\n";
        const WideText DataRoot = WideText(Folder.Path().c_str()) + Root.Parent + TVTEXT("/Data/");

        const int Prefix = FImgFileSystem::ComputePrefixLength(DataRoot.c_str());
        ASSERT_GT(Prefix, 0);
        // Names that make the whole query (prefix + "DATA\" + name) 258, 259 and 260 bytes long.
        // The ANSI bytes of the root before the prefix's end are Prefix; after it all is ASCII.
        const int Before = Prefix + 5;
        std::vector<WideText> Names;
        FImgArchiveWriter Writer;
        for (int Total : {258, 259, 260}) {
            WideText Name(std::size_t(Total - Before - 4), tvWChar('N'));
            Name += TVTEXT(".BIN");
            ASSERT_EQ(Writer.AddFile((TVTEXT("Data/") + Name).c_str(), "x", 1), 1);
            Names.push_back(Name);
        }
        ASSERT_EQ(Writer.AddFile(TVTEXT("Data/Short.txt"), "s", 1), 1);
        ASSERT_EQ(Writer.Save((DataRoot + TVTEXT("Pack.img")).c_str()), 1);
        FImgFileSystem FileSystem;
        FileSystem.SetDataRootDir(DataRoot.c_str());
        ASSERT_EQ(FileSystem.Initialize(), 1);
        EXPECT_EQ(FileSystem.GetPrefixLength(), Prefix);

        const struct {
            WideText Query;
            bool Found;
        } Cases[] = {
            {DataRoot + TVTEXT("short.txt"), true},
            {DataRoot + TVTEXT("Short.txt/"), false},
            {DataRoot + Names[0], true},
            {DataRoot + Names[1], true},
            {DataRoot + Names[2], false},  // 260 bytes and the terminator do not fit
            {DataRoot.substr(0, std::size_t(3)), false},
        };
        for (const auto& Case : Cases) {
            _diFileItem* Item = FileSystem.SearchFileFromHash(Case.Query.c_str());
            EXPECT_EQ(Item != nullptr, Case.Found) << Case.Query.size();
            EXPECT_EQ(Item, FileSystem.SearchFileInChain(Case.Query.c_str()));
        }
    }
}
