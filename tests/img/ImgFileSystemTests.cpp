// The IMG file system over archives made by the archive writer: the hash, the prefix, lookups
// (nested, colliding buckets, case, separators), loose-file fall-back and the settings file.
#include "img/ImgTestSupport.h"

#include <map>

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
        const char16_t* Root;
        int Length;
    } Cases[] = {
        {u"D:\\X\\Y\\", 5}, {u"Y", 0}, {u"", 0}, {u"C:\\Game\\Data\\", 8}, {u"C:\\Game\\Data", 8},
        // POSIX: '/' separates as well.
        {u"/srv/game/data/", 10}, {u"/srv/game\\data", 10}, {u"/data/", 1},
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
            {u"Data\\Textures\\Sky.dds", Bytes("sky")},
            {u"data/textures/ground.DDS", Bytes("ground")},
            {u"Data\\Models\\Chars\\Body\\Arm\\arm.msh", ImgTest::Pattern(3000)},
            {u"Data\\Empty.txt", {}},
            {u"Top.ini", Bytes("top")},
        };
        for (const auto& File : Files)
            ASSERT_EQ(Writer.AddFile(File.first.c_str(), File.second.data(), tvULong(File.second.size())), 1);
        ASSERT_TRUE(Data.Save(Writer));
        TArray<FString> Faults;
        ASSERT_EQ(appCheckImgArchive(Data.ArchivePath().c_str(), Faults), 0);
        FileSystem = Data.Open();
        ASSERT_NE(FileSystem, nullptr);
    }
    std::u16string Abs(const std::u16string& Rest) const { return Data.Root() + Rest; }

    FDataRoot Data;
    FImgArchiveWriter Writer;
    std::vector<std::pair<std::u16string, std::vector<unsigned char>>> Files;
    std::unique_ptr<FImgFileSystem> FileSystem;
};

TEST_F(ImgFileSystem, QueriesFindTheirItemsInAnyCaseAndWithEitherSeparator)
{
    EXPECT_EQ(FileSystem->GetItemCount(), 1 + 11);
    const struct {
        std::u16string Query;
        const char* Item;
    } Cases[] = {
        {u"Textures/Sky.dds", "DATA\\TEXTURES\\SKY.DDS"},
        {u"TEXTURES\\SKY.DDS", "DATA\\TEXTURES\\SKY.DDS"},
        {u"textures\\sky.dds", "DATA\\TEXTURES\\SKY.DDS"},
        {u"Textures/Ground.dds", "DATA\\TEXTURES\\GROUND.DDS"},
        {u"Models/Chars/Body/Arm/ARM.msh", "DATA\\MODELS\\CHARS\\BODY\\ARM\\ARM.MSH"},
        {u"Models", "DATA\\MODELS"},  // directories are items too
        {u"Empty.txt", "DATA\\EMPTY.TXT"},
        {u"Textures/Sky.dd", "(none)"},
        {u"Textures/Sky.ddsx", "(none)"},
        {u"Sky.dds", "(none)"},
        {u"Arm/arm.msh", "(none)"},
    };
    for (const auto& Case : Cases) {
        const std::u16string Query = Abs(Case.Query);
        EXPECT_EQ(NameOf(FileSystem->SearchFileFromHash(Query.c_str())), Case.Item)
            << std::string(Case.Query.begin(), Case.Query.end());
        EXPECT_EQ(FileSystem->SearchFileFromHash(Query.c_str()), FileSystem->SearchFileInChain(Query.c_str()));
    }
    // The stripped prefix is not compared: any parent folder of the same length will do.
    std::u16string Other = Abs(u"Textures/Sky.dds");
    Other[1] = u'Q';
    EXPECT_EQ(NameOf(FileSystem->SearchFileFromHash(Other.c_str())), "DATA\\TEXTURES\\SKY.DDS");
    // Empty, shorter than the prefix, or a top-level item outside the data root's folder.
    EXPECT_EQ(FileSystem->SearchFileFromHash(u""), nullptr);
    EXPECT_EQ(FileSystem->SearchFileFromHash(u"/x"), nullptr);
}

TEST_F(ImgFileSystem, ReadersServeItemsAndLooseFilesAndFindFileIgnoresTheArchive)
{
    for (const auto& File : Files) {
        if (File.first == u"Top.ini")
            continue;
        std::u16string Query = File.first.substr(5);  // after "Data\" or "data/"
        std::unique_ptr<FFileReader> Reader(FileSystem->CreateReader(Abs(Query).c_str()));
        ASSERT_NE(Reader, nullptr);
        EXPECT_NE(dynamic_cast<FImgFileReaderSync*>(Reader.get()), nullptr);
        EXPECT_EQ(ReadAll(*Reader), File.second);
    }
    // Not in the archive: the loose file on the disk, or nothing.
    Data.Folder.Write("Data/Loose.txt", Bytes("loose bytes"));
    std::unique_ptr<FFileReader> Loose(FileSystem->CreateReader(Abs(u"Loose.txt").c_str()));
    ASSERT_NE(Loose, nullptr);
    EXPECT_NE(dynamic_cast<FRawFileReaderSync*>(Loose.get()), nullptr);
    EXPECT_EQ(ReadAll(*Loose), Bytes("loose bytes"));
    EXPECT_EQ(FileSystem->CreateReader(Abs(u"Missing.txt").c_str()), nullptr);
    EXPECT_FALSE(FileSystem->FindFile(Abs(u"Textures/Sky.dds").c_str()));
    TArray<FString> Listed;
    FileSystem->GetFilesFromDirectory(Abs(u"Textures/").c_str(), Listed);
    EXPECT_EQ(Listed.Num(), 0);
    // Writers write loose files and never touch the archive.
    const std::vector<unsigned char> Archive = Data.ReadArchive();
    std::unique_ptr<FFileWriter> Out(FileSystem->CreateWriter(Abs(u"Textures.out").c_str()));
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
        const std::u16string Path = u"Data\\" + std::u16string(Name.begin(), Name.end());
        ASSERT_EQ(Writer.AddFile(Path.c_str(), Name.data(), tvULong(Name.size())), 1);
    }
    ASSERT_TRUE(Data.Save(Writer));
    auto FileSystem = Data.Open();
    ASSERT_NE(FileSystem, nullptr);
    for (const std::string& Name : Same) {
        const std::u16string Query = Data.Root() + std::u16string(Name.begin(), Name.end());
        EXPECT_EQ(NameOf(FileSystem->SearchFileFromHash(Query.c_str())), "DATA\\" + Name);
        EXPECT_EQ(FileSystem->SearchFileInChain(Query.c_str()), FileSystem->SearchFileFromHash(Query.c_str()));
    }
    const std::string Absent = Buckets.begin()->second.front() == Same.front() ? "NOPE.BIN" : Same.front() + "X";
    EXPECT_EQ(FileSystem->SearchFileFromHash((Data.Root() + std::u16string(Absent.begin(), Absent.end())).c_str()),
              nullptr);
}

TEST(ImgLookup, WriterNamesAndRefusals)
{
    FImgArchiveWriter Writer;
    const unsigned char Byte = 1;
    EXPECT_EQ(Writer.AddFile(u"/a//b/c.txt/", &Byte, 1), 1);
    EXPECT_EQ(Writer.GetItemCount(), 4);
    EXPECT_EQ(Writer.AddFile(u"A\\B\\C.TXT", &Byte, 1), 0);   // exists already
    EXPECT_EQ(Writer.AddFile(u"a\\b\\c.txt\\d", &Byte, 1), 0);  // through a file
    EXPECT_EQ(Writer.AddFile(u"//", &Byte, 1), 0);
    EXPECT_EQ(Writer.AddFile(std::u16string(300, u'n').c_str(), &Byte, 1), 0);
    EXPECT_EQ(Writer.AddDirectory(u"a/b"), 1);  // an existing directory is no fault
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
    ASSERT_EQ(Writer.AddFile(u"Data\\X", "x", 1), 1);
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
    const std::u16string File = Folder.Path(u"a.ini");
    const std::u16string Ansi = Folder.Path(u"ansi.ini");
    const struct {
        const std::u16string* FileName;
        const char16_t* Section;
        const char16_t* Key;
        const char16_t* Default;
        tvULong Capacity;
        std::u16string Value;
    } Cases[] = {
        {&File, u"S", u"K", u"d", 260, u"caf\u00e9"},
        {&Ansi, u"s", u"k", u"d", 260, u"caf\u00e9"},
        {&File, u"T", u"K", u"d", 260, u"t"},
        {&File, u"S", u"Long", u"d", 5, u"abcd"},
        {&File, u"S", u"Empty", u"d", 260, u""},
        {&File, u"S", u"None", u"dflt  ", 260, u"dflt"},
        {&File, u"S", u"None", u"dflt", 3, u"df"},
        {&File, u"S", u"None", nullptr, 260, u""},
        {&File, u"Q", u"K", u"d", 260, u"d"},
    };
    for (const auto& Case : Cases) {
        tvWChar Out[260] = {u'?'};
        const tvULong Units = Platform::ProfileGetString(Case.Section, Case.Key, Case.Default, Out, Case.Capacity,
                                                         Case.FileName->c_str());
        EXPECT_EQ(std::u16string(Out), Case.Value);
        EXPECT_EQ(Units, tvULong(Case.Value.size()));
    }
}

TEST(ImgFormat, TheWorkedExampleByteForByte)
{
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(u"Data\\a.txt", "hi", 2), 1);
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
