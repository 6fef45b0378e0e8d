// The IMG file system over archives made by the archive writer: the hash, the prefix, lookups
// (nested, colliding buckets, case, separators), loose-file fall-back and the settings file.
#include "img/ImgTestSupport.h"

#include <map>
#include "support/WideText.h"

using namespace Tolvane;
using ImgTest::Bytes;
using ImgTest::FDataRoot;

namespace Tolvane {
namespace Platform {
tvULong ProfileGetString(const tvWChar* Section, const tvWChar* Key, const tvWChar* Default, tvWChar* Out,
                         tvULong Capacity, const tvWChar* FileName);
}
} // namespace Tolvane

namespace {

std::vector<unsigned char> ReadAll(FFileReader& Reader)
{
    std::vector<unsigned char> Got(std::size_t(Reader.GetSize()));
    if (!Got.empty()) {
        EXPECT_EQ(Reader.Read(Got.data(), tvULong(Got.size())), int(Got.size()));
    }
    return Got;
}

std::string NameOf(const _diFileItem* Item) { return Item ? diGetFullPath(Item, 0) : "(none)"; }

} // namespace

TEST(ImgHash, BucketsOfKnownStrings)
{
    const struct {
        const char* Text;
        int A, B;
    } Cases[] = {{"A", 1, 1}, {"AB", 3, 4}, {"\xE9", 23, 23}, {"", 0, 0}};
    for (const auto& Case : Cases) {
        int A = -1, B = -1;
        diHash(Case.Text, &A, &B);
        EXPECT_EQ(A, Case.A) << Case.Text;
        EXPECT_EQ(B, Case.B) << Case.Text;
    }
}

TEST(ImgHash, MissingOutputIsAnAssertion)
{
    int A = 0;
    EXPECT_DEATH(diHash("A", &A, nullptr), "");
}

TEST(ImgPrefix, LengthFromTheDataRoot)
{
    const struct {
        const Tolvane::tvWChar* Root;
        int Length;
    } Cases[] = {
        {TVTEXT("D:\\X\\Y\\"), 5}, {TVTEXT("Y"), 0}, {TVTEXT(""), 0}, {TVTEXT("C:\\Game\\Data\\"), 8}, {TVTEXT("C:\\Game\\Data"), 8},
        // POSIX: '/' separates as well.
        {TVTEXT("/srv/game/data/"), 10}, {TVTEXT("/srv/game\\data"), 10}, {TVTEXT("/data/"), 1},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(FImgFileSystem::ComputePrefixLength(Case.Root), Case.Length) << std::string(Case.Root, Case.Root + 0);
}

class ImgFileSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Data.Folder.Ok());
        Files = {
            {TVTEXT("Data\\Textures\\Sky.dds"), Bytes("sky")},
            {TVTEXT("data/textures/ground.DDS"), Bytes("ground")},
            {TVTEXT("Data\\Models\\Chars\\Body\\Arm\\arm.msh"), ImgTest::Pattern(3000)},
            {TVTEXT("Data\\Empty.txt"), {}},
            {TVTEXT("Top.ini"), Bytes("top")},
        };
        for (const auto& File : Files)
            ASSERT_EQ(Writer.AddFile(File.first.c_str(), File.second.data(), tvULong(File.second.size())), 1);
        ASSERT_TRUE(Data.Save(Writer));
        TArray<FString> Faults;
        ASSERT_EQ(appCheckImgArchive(Data.ArchivePath().c_str(), Faults), 0);
        FileSystem = Data.Open();
        ASSERT_NE(FileSystem, nullptr);
    }
    WideText Abs(const WideText& Rest) const { return Data.Root() + Rest; }

    FDataRoot Data;
    FImgArchiveWriter Writer;
    std::vector<std::pair<WideText, std::vector<unsigned char>>> Files;
    std::unique_ptr<FImgFileSystem> FileSystem;
};

TEST_F(ImgFileSystem, QueriesFindTheirItemsInAnyCaseAndWithEitherSeparator)
{
    EXPECT_EQ(FileSystem->GetItemCount(), 1 + 11);
    const struct {
        WideText Query;
        const char* Item;
    } Cases[] = {
        {TVTEXT("Textures/Sky.dds"), "DATA\\TEXTURES\\SKY.DDS"},
        {TVTEXT("TEXTURES\\SKY.DDS"), "DATA\\TEXTURES\\SKY.DDS"},
        {TVTEXT("textures\\sky.dds"), "DATA\\TEXTURES\\SKY.DDS"},
        {TVTEXT("Textures/Ground.dds"), "DATA\\TEXTURES\\GROUND.DDS"},
        {TVTEXT("Models/Chars/Body/Arm/ARM.msh"), "DATA\\MODELS\\CHARS\\BODY\\ARM\\ARM.MSH"},
        {TVTEXT("Models"), "DATA\\MODELS"},  // directories are items too
        {TVTEXT("Empty.txt"), "DATA\\EMPTY.TXT"},
        {TVTEXT("Textures/Sky.dd"), "(none)"},
        {TVTEXT("Textures/Sky.ddsx"), "(none)"},
        {TVTEXT("Sky.dds"), "(none)"},
        {TVTEXT("Arm/arm.msh"), "(none)"},
    };
    for (const auto& Case : Cases) {
        const WideText Query = Abs(Case.Query);
        EXPECT_EQ(NameOf(FileSystem->SearchFileFromHash(Query.c_str())), Case.Item)
            << std::string(Case.Query.begin(), Case.Query.end());
        EXPECT_EQ(FileSystem->SearchFileFromHash(Query.c_str()), FileSystem->SearchFileInChain(Query.c_str()));
    }
    // The stripped prefix is not compared: any parent folder of the same length will do.
    WideText Other = Abs(TVTEXT("Textures/Sky.dds"));
    Other[1] = TVTEXT('Q');
    EXPECT_EQ(NameOf(FileSystem->SearchFileFromHash(Other.c_str())), "DATA\\TEXTURES\\SKY.DDS");
    // Empty, shorter than the prefix, or a top-level item outside the data root's folder.
    EXPECT_EQ(FileSystem->SearchFileFromHash(TVTEXT("")), nullptr);
    EXPECT_EQ(FileSystem->SearchFileFromHash(TVTEXT("/x")), nullptr);
}

TEST_F(ImgFileSystem, ReadersServeItemsAndLooseFilesAndFindFileIgnoresTheArchive)
{
    for (const auto& File : Files) {
        if (File.first == TVTEXT("Top.ini"))
            continue;
        WideText Query = File.first.substr(5);  // after "Data\" or "data/"
        std::unique_ptr<FFileReader> Reader(FileSystem->CreateReader(Abs(Query).c_str()));
        ASSERT_NE(Reader, nullptr);
        EXPECT_NE(dynamic_cast<FImgFileReaderSync*>(Reader.get()), nullptr);
        EXPECT_EQ(ReadAll(*Reader), File.second);
    }
    // Not in the archive: the loose file on the disk, or nothing.
    Data.Folder.Write("Data/Loose.txt", Bytes("loose bytes"));
    std::unique_ptr<FFileReader> Loose(FileSystem->CreateReader(Abs(TVTEXT("Loose.txt")).c_str()));
    ASSERT_NE(Loose, nullptr);
    EXPECT_NE(dynamic_cast<FRawFileReaderSync*>(Loose.get()), nullptr);
    EXPECT_EQ(ReadAll(*Loose), Bytes("loose bytes"));
    EXPECT_EQ(FileSystem->CreateReader(Abs(TVTEXT("Missing.txt")).c_str()), nullptr);
    EXPECT_FALSE(FileSystem->FindFile(Abs(TVTEXT("Textures/Sky.dds")).c_str()));
    TArray<FString> Listed;
    FileSystem->GetFilesFromDirectory(Abs(TVTEXT("Textures/")).c_str(), Listed);
    EXPECT_EQ(Listed.Num(), 0);
    // Writers write loose files and never touch the archive.
    const std::vector<unsigned char> Archive = Data.ReadArchive();
    std::unique_ptr<FFileWriter> Out(FileSystem->CreateWriter(Abs(TVTEXT("Textures.out")).c_str()));
    ASSERT_NE(Out, nullptr);
    unsigned char Text[] = {'o', 'u', 't'};
    Out->Write(Text, 3);
    Out.reset();
    EXPECT_EQ(Data.Folder.Read("Data/Textures.out"), Bytes("out"));
    EXPECT_EQ(Data.ReadArchive(), Archive);
}

TEST(ImgLookup, ItemsSharingABucketAreTellApartAlongTheChain)
{
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    // Collect file names whose archive paths share one bucket.
    std::map<int, std::vector<std::string>> Buckets;
    std::vector<std::string> Same;
    for (int i = 0; Same.size() < 4 && i < 100000; ++i) {
        const std::string Name = "F" + std::to_string(i) + ".BIN";
        int A, B;
        diHash(("DATA\\" + Name).c_str(), &A, &B);
        auto& List = Buckets[A * 64 + B];
        List.push_back(Name);
        if (List.size() == 4)
            Same = List;
    }
    ASSERT_EQ(Same.size(), 4u);
    FImgArchiveWriter Writer;
    for (const std::string& Name : Same) {
        const WideText Path = TVTEXT("Data\\") + WideText(Name.begin(), Name.end());
        ASSERT_EQ(Writer.AddFile(Path.c_str(), Name.data(), tvULong(Name.size())), 1);
    }
    ASSERT_TRUE(Data.Save(Writer));
    auto FileSystem = Data.Open();
    ASSERT_NE(FileSystem, nullptr);
    for (const std::string& Name : Same) {
        const WideText Query = Data.Root() + WideText(Name.begin(), Name.end());
        EXPECT_EQ(NameOf(FileSystem->SearchFileFromHash(Query.c_str())), "DATA\\" + Name);
        EXPECT_EQ(FileSystem->SearchFileInChain(Query.c_str()), FileSystem->SearchFileFromHash(Query.c_str()));
    }
    const std::string Absent = Buckets.begin()->second.front() == Same.front() ? "NOPE.BIN" : Same.front() + "X";
    EXPECT_EQ(FileSystem->SearchFileFromHash((Data.Root() + WideText(Absent.begin(), Absent.end())).c_str()),
              nullptr);
}

TEST(ImgLookup, WriterNamesAndRefusals)
{
    FImgArchiveWriter Writer;
    const unsigned char Byte = 1;
    EXPECT_EQ(Writer.AddFile(TVTEXT("/a//b/c.txt/"), &Byte, 1), 1);
    EXPECT_EQ(Writer.GetItemCount(), 4);
    EXPECT_EQ(Writer.AddFile(TVTEXT("A\\B\\C.TXT"), &Byte, 1), 0);   // exists already
    EXPECT_EQ(Writer.AddFile(TVTEXT("a\\b\\c.txt\\d"), &Byte, 1), 0);  // through a file
    EXPECT_EQ(Writer.AddFile(TVTEXT("//"), &Byte, 1), 0);
    EXPECT_EQ(Writer.AddFile(WideText(300, TVTEXT('n')).c_str(), &Byte, 1), 0);
    EXPECT_EQ(Writer.AddDirectory(TVTEXT("a/b")), 1);  // an existing directory is no fault
    EXPECT_EQ(Writer.GetItemCount(), 4);
}

TEST(ImgSettings, TheArchiveNameFromEngineIni)
{
    const struct {
        std::string Ini;
        bool Opens;
    } Cases[] = {
        {"[Data]\r\nImg=Pack.img\r\n", true},
        {"[Data]\nImg=\\Pack.img\n", true},                       // one leading backslash is dropped
        {"; settings\n[ data ]\n  img =  \"Pack.img\"  \n", true},  // case, blanks and quotes
        {"[Other]\nImg=Pack.img\n[DATA]\nIMG='Pack.img'\n", true},
        {"[Data]\nImg=error\n", false},
        {"[Data]\nImg=ERROR\n", false},
        {"[Data]\n;Img=Pack.img\n", false},
        {"[Other]\nImg=Pack.img\n", false},
        {"[Data]\nImg=Missing.img\n", false},
    };
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data\\X"), "x", 1), 1);
    ASSERT_TRUE(Data.Save(Writer));
    for (const auto& Case : Cases) {
        Data.SetIni(Case.Ini);
        EXPECT_EQ(Data.Open() != nullptr, Case.Opens) << Case.Ini;
    }
    // A UTF-16LE file with its byte-order mark.
    std::vector<unsigned char> Wide = {0xFF, 0xFE};
    for (char C : std::string("[Data]\r\nImg=Pack.img\r\n")) {
        Wide.push_back(static_cast<unsigned char>(C));
        Wide.push_back(0);
    }
    Data.Folder.Write("Data/Engine/Engine.ini", Wide);
    EXPECT_NE(Data.Open(), nullptr);
    // No settings file at all.
    std::filesystem::remove(Data.Folder.Native("Data/Engine/Engine.ini"));
    EXPECT_EQ(Data.Open(), nullptr);
}

TEST(ImgSettings, ValuesDefaultsAndTruncation)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("a.ini", Bytes("\xEF\xBB\xBF[S]\nK=caf\xC3\xA9\nLong=abcdefgh\nEmpty=\n[T]\nK=t\n"));
    Folder.Write("ansi.ini", Bytes("[S]\nK=caf\xE9\n"));  // not UTF-8: the ANSI code page (1252)
    const WideText File = Folder.Path(TVTEXT("a.ini"));
    const WideText Ansi = Folder.Path(TVTEXT("ansi.ini"));
    const struct {
        const WideText* FileName;
        const Tolvane::tvWChar* Section;
        const Tolvane::tvWChar* Key;
        const Tolvane::tvWChar* Default;
        tvULong Capacity;
        WideText Value;
    } Cases[] = {
        {&File, TVTEXT("S"), TVTEXT("K"), TVTEXT("d"), 260, TVTEXT("caf\u00e9")},
        {&Ansi, TVTEXT("s"), TVTEXT("k"), TVTEXT("d"), 260, TVTEXT("caf\u00e9")},
        {&File, TVTEXT("T"), TVTEXT("K"), TVTEXT("d"), 260, TVTEXT("t")},
        {&File, TVTEXT("S"), TVTEXT("Long"), TVTEXT("d"), 5, TVTEXT("abcd")},
        {&File, TVTEXT("S"), TVTEXT("Empty"), TVTEXT("d"), 260, TVTEXT("")},
        {&File, TVTEXT("S"), TVTEXT("None"), TVTEXT("dflt  "), 260, TVTEXT("dflt")},
        {&File, TVTEXT("S"), TVTEXT("None"), TVTEXT("dflt"), 3, TVTEXT("df")},
        {&File, TVTEXT("S"), TVTEXT("None"), nullptr, 260, TVTEXT("")},
        {&File, TVTEXT("Q"), TVTEXT("K"), TVTEXT("d"), 260, TVTEXT("d")},
    };
    for (const auto& Case : Cases) {
        tvWChar Out[260] = {TVTEXT('?')};
        const tvULong Units = Platform::ProfileGetString(Case.Section, Case.Key, Case.Default, Out, Case.Capacity,
                                                         Case.FileName->c_str());
        EXPECT_EQ(WideText(Out), Case.Value);
        EXPECT_EQ(Units, tvULong(Case.Value.size()));
    }
}

TEST(ImgFormat, TheWorkedExampleByteForByte)
{
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data\\a.txt"), "hi", 2), 1);
    ASSERT_TRUE(Data.Save(Writer));
    std::vector<unsigned char> Expected(16577, 0);
    const std::pair<std::size_t, tvULong> Words[] = {
        {8, 36}, {12, 180}, {16, 180}, {20, 191}, {32, 191}, {132 + 8, 1}, {132 + 28, 2}, {132 + 32, 16575}};
    for (const auto& Word : Words)
        ImgTest::SetWord(Expected, Word.first, Word.second);
    const char Names[] = "DATA\0A.TXT";
    std::copy(Names, Names + 11, Expected.begin() + 180);
    for (std::size_t At = 191; At < 191 + 16384; At += 4)
        ImgTest::SetWord(Expected, At, 0xFFFFFFFFu);
    ImgTest::SetWord(Expected, 6899, 1);
    ImgTest::SetWord(Expected, 9743, 2);
    Expected[16575] = 'h';
    Expected[16576] = 'i';
    EXPECT_EQ(Data.ReadArchive(), Expected);
}
