// Configuration files: the line rules, the exact bytes written, numbers and their cache, the
// name table, the file kinds Load accepts, merging, and saves that never damage a file.
#include "config/ConfigTestSupport.h"

#include <fstream>
#include "support/WideText.h"

using namespace Tolvane;
using namespace ConfigTest;

namespace {

// Section, key, value of every value, in the arrays' order.
std::vector<WideText> Dump(const FConfigFile& Config)
{
    FNameHash& Names = const_cast<FConfigFile&>(Config).GetNames();
    std::vector<WideText> Out;
    const TNamedPtrArray<FConfigSection>& Sections = Config.GetSections();
    for (int s = 0; s < Sections.GetCount(); ++s) {
        const TNamedPtrArray<FConfigVar>& Values = Sections.ElementAt(s)->GetValues();
        Out.push_back(TVTEXT("[") + WideText(Names.GetName(Sections.NameAt(s))) + TVTEXT("]"));
        for (int v = 0; v < Values.GetCount(); ++v)
            Out.push_back(WideText(Names.GetName(Values.NameAt(v))) + TVTEXT("=") + Text(Values.ElementAt(v)->GetString()));
    }
    return Out;
}

class FExposedConfig : public FConfigFile {
public:
    using FConfigFile::ParseBuffer;
    void Parse(const WideText& Source)
    {
        WideText Copy = Source;
        ParseBuffer(Copy.data());
    }
};

// Records the debug information given before each allocation.
class FDebugInfoMalloc : public FMalloc {
public:
    FMalloc* Inner = GMalloc;
    std::vector<std::pair<std::string, int>> Sites;
    void* Malloc(unsigned int Size) override { return Inner->Malloc(Size); }
    void* Realloc(void* Ptr, unsigned int Size) override { return Inner->Realloc(Ptr, Size); }
    void Free(void* Ptr) override { Inner->Free(Ptr); }
    void SetDebugInfo(const char* File, int Line) override { Sites.emplace_back(File, Line); }
};

using ConfigFiles = FFileFixture;

} // namespace

TEST_F(ConfigFiles, SixLinesLoadMergedAndSaveToTheExactBytes)
{
    Folder.Write("six.ini", Bytes("[A]\r\nx=1\r\n[B]\r\ny = 2\r\n[a]\r\nz=3\r\n"));
    FConfigFile Config;
    ASSERT_EQ(Config.Load(P(TVTEXT("six.ini"))), 1);
    EXPECT_EQ(Dump(Config), (std::vector<WideText>{TVTEXT("[A]"), TVTEXT("x=1"), TVTEXT("z=3"), TVTEXT("[B]"), TVTEXT("y=2")}));
    EXPECT_EQ(Text(Config.GetFileName()), Folder.Path(TVTEXT("six.ini")));

    ASSERT_EQ(Config.SaveAs(P(TVTEXT("out.ini"))), 1);
    EXPECT_EQ(Folder.Read("out.ini"), Utf16Le(TVTEXT("[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n")));
    // Saving to the loaded name writes the same bytes there.
    ASSERT_EQ(Config.Save(), 1);
    EXPECT_EQ(Folder.Read("six.ini"), Utf16Le(TVTEXT("[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n")));
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"out.ini", "six.ini"})) << "no temporary file stays";
}

TEST(ConfigParse, LineRules)
{
    struct FCase {
        const Tolvane::tvWChar* Source;
        std::vector<WideText> Expected;
    };
    const FCase Cases[] = {
        {TVTEXT("x=0\n[S]\nkey=\n=v\nk v\n ; c=1\n;d=2\n\t \n"), {TVTEXT("[S]")}},
        {TVTEXT("[S]\nk = a b ; x\n"), {TVTEXT("[S]"), TVTEXT("k=a b ; x")}},
        {TVTEXT("[S]\n#k=1\nq=\"a=b\"\n"), {TVTEXT("[S]"), TVTEXT("#k=1"), TVTEXT("q=\"a=b\"")}},
        {TVTEXT("[S]\na=1\n[Name\nb=2\n"), {TVTEXT("[S]"), TVTEXT("a=1"), TVTEXT("b=2")}},
        {TVTEXT("[ \tT x\t ] trailing\nk\t =\t v \t\n"), {TVTEXT("[T x]"), TVTEXT("k=v")}},
        {TVTEXT("[S]\rA=1\r\r\na=2\nB=3\n[s]\nb=4"), {TVTEXT("[S]"), TVTEXT("A=2"), TVTEXT("B=4")}},
        {TVTEXT("  [S]  \n  key with spaces  =  value with spaces  \n"), {TVTEXT("[S]"), TVTEXT("key with spaces=value with spaces")}},
    };
    for (const FCase& Case : Cases) {
        FExposedConfig Config;
        Config.Parse(Case.Source);
        EXPECT_EQ(Dump(Config), Case.Expected) << std::string(Case.Source, Case.Source + std::char_traits<Tolvane::tvWChar>::length(Case.Source));
    }
}

TEST(ConfigParse, NumbersAndTheirCache)
{
    FExposedConfig Config;
    Config.Parse(TVTEXT("[N]\nhex=0x10\nmixed=12abc\nf=2.5x\n"));
    int I = 0;
    EXPECT_EQ(Config.GetInt(TVTEXT("N"), TVTEXT("hex"), I), 1);
    EXPECT_EQ(I, 16);
    EXPECT_EQ(Config.GetInt(TVTEXT("N"), TVTEXT("mixed"), I), 1);
    EXPECT_EQ(I, 12);
    FConfigVar* Mixed = Config.FindSection(TVTEXT("N"))->FindVar(TVTEXT("MIXED"));
    ASSERT_NE(Mixed, nullptr);
    EXPECT_EQ(Mixed->GetCachedKind(), FConfigVar::CACHED_INT);
    EXPECT_EQ(Mixed->GetInt(), 12);
    float F = 0;
    EXPECT_EQ(Config.GetFloat(TVTEXT("n"), TVTEXT("F"), F), 1);
    EXPECT_EQ(F, 2.5f);
    EXPECT_EQ(Config.FindSection(TVTEXT("N"))->FindVar(TVTEXT("f"))->GetCachedKind(), FConfigVar::CACHED_FLOAT);
    // A float read after an int read parses again: the cache holds one kind at a time.
    EXPECT_EQ(Mixed->GetFloat(), 12.0f);
    EXPECT_EQ(Mixed->GetCachedKind(), FConfigVar::CACHED_FLOAT);

    Config.SetFloat(TVTEXT("N"), TVTEXT("pi"), 1.5f);
    Config.SetInt(TVTEXT("N"), TVTEXT("neg"), -3);
    FString S;
    ASSERT_EQ(Config.GetString(TVTEXT("N"), TVTEXT("pi"), S), 1);
    EXPECT_EQ(Text(S), TVTEXT("1.500000"));
    EXPECT_EQ(Config.FindSection(TVTEXT("N"))->FindVar(TVTEXT("pi"))->GetCachedKind(), FConfigVar::CACHED_FLOAT);
    ASSERT_EQ(Config.GetString(TVTEXT("N"), TVTEXT("neg"), S), 1);
    EXPECT_EQ(Text(S), TVTEXT("-3"));
    EXPECT_EQ(Config.FindSection(TVTEXT("N"))->FindVar(TVTEXT("neg"))->GetCachedKind(), FConfigVar::CACHED_INT);
    // SetString drops the cached number.
    Config.SetString(TVTEXT("N"), TVTEXT("neg"), FString(TVTEXT("7")));
    EXPECT_EQ(Config.FindSection(TVTEXT("N"))->FindVar(TVTEXT("neg"))->GetCachedKind(), FConfigVar::CACHED_NONE);
    EXPECT_EQ(Config.GetInt(TVTEXT("N"), TVTEXT("neg"), I), 1);
    EXPECT_EQ(I, 7);

    FConfigVar Copy(*Mixed);
    EXPECT_EQ(Copy.GetCachedKind(), FConfigVar::CACHED_FLOAT);
    EXPECT_EQ(Text(Copy.GetString()), TVTEXT("12abc"));
}

TEST(ConfigParse, MissingNamesGrowOnlyTheNameTableAndLeaveOutputsAlone)
{
    FExposedConfig Config;
    Config.Parse(TVTEXT("[S]\nk=v\n"));
    const int Names = Config.GetNames().Num();
    FString Value(TVTEXT("untouched"));
    int I = 41;
    float F = 0.25f;
    EXPECT_EQ(Config.GetString(TVTEXT("Missing"), TVTEXT("k"), Value), 0);
    EXPECT_EQ(Config.GetNames().Num(), Names + 1) << "the section's name only";
    EXPECT_EQ(Config.GetInt(TVTEXT("S"), TVTEXT("nokey"), I), 0);
    EXPECT_EQ(Config.GetFloat(TVTEXT("missing"), TVTEXT("k"), F), 0);
    EXPECT_EQ(Config.GetNames().Num(), Names + 2) << "the key's name; the section name again is no new name";
    EXPECT_EQ(Config.FindSection(TVTEXT("Other")), nullptr);
    EXPECT_EQ(Text(Value), TVTEXT("untouched"));
    EXPECT_EQ(I, 41);
    EXPECT_EQ(F, 0.25f);
    EXPECT_EQ(Config.GetSections().GetCount(), 1);
    EXPECT_EQ(Config.FindSection(TVTEXT("S"))->GetValues().GetCount(), 1);
    // AddSection gives the existing section in any case, or appends one.
    EXPECT_EQ(Config.AddSection(TVTEXT("s")), Config.FindSection(TVTEXT("S")));
    FConfigSection* Added = Config.AddSection(TVTEXT("New"));
    EXPECT_EQ(Config.GetSections().GetCount(), 2);
    EXPECT_EQ(Config.GetSections().ElementAt(1), Added);
}

TEST(ConfigParse, SetStringSortsTheValuesByNameIndexSetIntAndParsingAppend)
{
    FExposedConfig Config;
    Config.GetNames().Add(TVTEXT("alpha"));  // the table sees alpha before the file names it
    Config.Parse(TVTEXT("[S]\nzeta=1\nalpha=2\n"));
    EXPECT_EQ(Dump(Config), (std::vector<WideText>{TVTEXT("[S]"), TVTEXT("zeta=1"), TVTEXT("alpha=2")}));
    Config.SetInt(TVTEXT("S"), TVTEXT("mid"), 3);
    EXPECT_EQ(Dump(Config), (std::vector<WideText>{TVTEXT("[S]"), TVTEXT("zeta=1"), TVTEXT("alpha=2"), TVTEXT("mid=3")}));
    Config.SetString(TVTEXT("S"), TVTEXT("zeta"), FString(TVTEXT("9")));
    EXPECT_EQ(Dump(Config), (std::vector<WideText>{TVTEXT("[S]"), TVTEXT("alpha=2"), TVTEXT("zeta=9"), TVTEXT("mid=3")}));
    Config.SetString(TVTEXT("S"), TVTEXT("beta"), FString(TVTEXT("b")));
    EXPECT_EQ(Dump(Config), (std::vector<WideText>{TVTEXT("[S]"), TVTEXT("alpha=2"), TVTEXT("zeta=9"), TVTEXT("mid=3"), TVTEXT("beta=b")}));
    // Every key still answers after the reordering.
    for (const Tolvane::tvWChar* Key : {TVTEXT("ALPHA"), TVTEXT("zeta"), TVTEXT("Mid"), TVTEXT("beta")}) {
        FString V;
        EXPECT_EQ(Config.GetString(TVTEXT("s"), Key, V), 1);
    }
}

TEST_F(ConfigFiles, FileKindsAndSizes)
{
    struct FCase {
        const char* Name;
        std::vector<unsigned char> Content;
        int Result;
        std::vector<WideText> Expected;
    };
    const std::vector<unsigned char> BigEndian = {0xFE, 0xFF, 0, '[', 0, 'B', 0, ']', 0, '\n', 0, 'k', 0, '=', 0x00, 0xE9};
    const FCase Cases[] = {
        {"empty.ini", {}, 0, {}},
        {"one.ini", Bytes("["), 0, {}},
        {"two.ini", Bytes("a\n"), 0, {}},
        {"three.ini", Bytes("[A]"), 1, {TVTEXT("[A]")}},
        {"ansi.ini", Bytes("[W]\ncaf\xE9=\xE0 la\n"), 1, {TVTEXT("[W]"), TVTEXT("caf\u00E9=\u00E0 la")}},
        {"le.ini", Utf16Le(TVTEXT("[L]\r\n\u4E2D=\u6587\r\n")), 1, {TVTEXT("[L]"), TVTEXT("\u4E2D=\u6587")}},
        {"le-odd.ini", [] { auto B = Utf16Le(TVTEXT("[L]\nk=v")); B.push_back('x'); return B; }(), 1, {TVTEXT("[L]"), TVTEXT("k=vx")}},
        {"be.ini", BigEndian, 1, {TVTEXT("[B]"), TVTEXT("k=\u00E9")}},
    };
    for (const FCase& Case : Cases) {
        Folder.Write(Case.Name, Case.Content);
        FConfigFile Config;
        const WideText Path = Folder.Path(WideText(Case.Name, Case.Name + std::strlen(Case.Name)));
        EXPECT_EQ(Config.Load(Path.c_str()), Case.Result) << Case.Name;
        EXPECT_EQ(Dump(Config), Case.Expected) << Case.Name;
        EXPECT_EQ(Text(Config.GetFileName()), Case.Result ? Path : TVTEXT("")) << Case.Name;
    }
    FConfigFile Missing;
    EXPECT_EQ(Missing.Load(P(TVTEXT("absent.ini"))), 0);
    EXPECT_EQ(Missing.Load(nullptr), 0);
}

TEST_F(ConfigFiles, SecondLoadMergesAndPackageModeIsRestored)
{
    Folder.Write("a.ini", Bytes("[S]\nx=1\ny=2\n[T]\nt=1\n"));
    Folder.Write("b.ini", Utf16Le(TVTEXT("[s]\nY=20\nz=30\n[U]\nu=1\n")));
    Native.SetPackageMode(FILEPACK_ReadFromPackages);
    FConfigFile Config;
    ASSERT_EQ(Config.Load(P(TVTEXT("a.ini"))), 1);
    ASSERT_EQ(Config.Load(P(TVTEXT("b.ini"))), 1);
    EXPECT_EQ(Native.IsPackageMode(), FILEPACK_ReadFromPackages);
    // One name table for sections and keys: key t is spelt as the section T that came first.
    EXPECT_EQ(Dump(Config), (std::vector<WideText>{TVTEXT("[S]"), TVTEXT("x=1"), TVTEXT("y=20"), TVTEXT("z=30"), TVTEXT("[T]"), TVTEXT("T=1"), TVTEXT("[U]"), TVTEXT("U=1")}));
    EXPECT_EQ(Text(Config.GetFileName()), Folder.Path(TVTEXT("b.ini")));
}

TEST_F(ConfigFiles, LoadNamesItsAllocationSites)
{
    Folder.Write("ansi.ini", Bytes("[A]\nk=v\n"));
    Folder.Write("wide.ini", Utf16Le(TVTEXT("[A]\nk=v\n")));
    FDebugInfoMalloc Recorder;
    FMalloc* Previous = GMalloc;
    GMalloc = &Recorder;
    {
        FConfigFile Config;
        Config.Load(P(TVTEXT("ansi.ini")));
        Config.Load(P(TVTEXT("wide.ini")));
    }
    GMalloc = Previous;
    using Site = std::pair<std::string, int>;
    EXPECT_EQ(Recorder.Sites, (std::vector<Site>{{"tvConfigFile.cpp", 188}, {"tvConfigFile.cpp", 252}, {"tvConfigFile.cpp", 188}}));
}

TEST_F(ConfigFiles, LongLinesAreWrittenWholeAndReadBack)
{
    FConfigFile Config;
    const WideText LongName(300, TVTEXT('n'));
    const WideText LongKey(200, TVTEXT('k'));
    const WideText LongValue(5000, TVTEXT('v'));
    Config.SetString(LongName.c_str(), LongKey.c_str(), FString(LongValue.c_str()));
    ASSERT_EQ(Config.SaveAs(P(TVTEXT("long.ini"))), 1);
    EXPECT_EQ(Folder.Read("long.ini"), Utf16Le(TVTEXT("[") + LongName + TVTEXT("]\r\n") + LongKey + TVTEXT("=") + LongValue + TVTEXT("\r\n")));
    FConfigFile Back;
    ASSERT_EQ(Back.Load(P(TVTEXT("long.ini"))), 1);
    EXPECT_EQ(Dump(Back), Dump(Config));
}

TEST_F(ConfigFiles, ManySectionsAndKeysAllAnswer)
{
    std::string Source;
    for (int s = 0; s < 300; ++s) {
        Source += "[Section" + std::to_string(s) + "]\n";
        for (int k = 0; k < 30; ++k)
            Source += "Key" + std::to_string(k) + "_" + std::to_string(s % 7) + "=" + std::to_string(s * 100 + k) + "\n";
    }
    Folder.Write("many.ini", Bytes(Source));
    FConfigFile Config;
    ASSERT_EQ(Config.Load(P(TVTEXT("many.ini"))), 1);
    ASSERT_EQ(Config.GetSections().GetCount(), 300);
    for (int s = 0; s < 300; s += 13)
        for (int k = 0; k < 30; ++k) {
            const std::string Sec = "SECTION" + std::to_string(s);
            const std::string Key = "key" + std::to_string(k) + "_" + std::to_string(s % 7);
            int Value = -1;
            ASSERT_EQ(Config.GetInt(WideText(Sec.begin(), Sec.end()).c_str(), WideText(Key.begin(), Key.end()).c_str(), Value), 1);
            EXPECT_EQ(Value, s * 100 + k);
        }
}

TEST_F(ConfigFiles, SaveWithoutANameFails)
{
    FConfigFile Config;
    Config.SetInt(TVTEXT("S"), TVTEXT("k"), 1);
    EXPECT_EQ(Config.Save(), 0);
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(ConfigFiles, FailedSavesReturnZeroAndKeepTheOldFile)
{
    const std::vector<unsigned char> Old = Bytes("[Old]\nk=v\n");
    FConfigFile Config;
    for (int i = 0; i < 200; ++i)
        Config.SetInt(TVTEXT("New"), (TVTEXT("key") + WideText(1, Tolvane::tvWChar(TVTEXT('A') + i % 26)) + WideText(i / 26 + 1, TVTEXT('x'))).c_str(), i);

    // A disk that fills up part-way through the file.
    Folder.Write("full.ini", Old);
    FFailingManager Failing;
    Failing.Budget = 100;
    GFileManager = &Failing;
    EXPECT_EQ(Config.SaveAs(P(TVTEXT("full.ini"))), 0);
    EXPECT_EQ(Failing.WritersMade, 1);
    // A disk that refuses the very last bytes of the file.
    Failing.Budget = 2;
    EXPECT_EQ(Config.SaveAs(P(TVTEXT("full.ini"))), 0);
    GFileManager = &Native;
    EXPECT_EQ(Folder.Read("full.ini"), Old);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"full.ini"})) << "the temporary file is removed";

    // A folder that cannot take a new file.
    std::filesystem::create_directory(Folder.Native("locked"));
    Folder.Write("locked/c.ini", Old);
    std::filesystem::permissions(Folder.Native("locked"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(Folder.Native("locked").c_str(), W_OK) != 0) {
        EXPECT_EQ(Config.SaveAs(P(TVTEXT("locked/c.ini"))), 0);
        EXPECT_EQ(Folder.Read("locked/c.ini"), Old);
    }
    std::filesystem::permissions(Folder.Native("locked"), std::filesystem::perms::owner_all);
}

TEST_F(ConfigFiles, SaveToAFullFileSystemKeepsTheOldFile)
{
    std::filesystem::create_directory(Folder.Native("tmpfs"));
    FSmallTmpfs Small(Folder.Native("tmpfs"));
    if (!Small.Ok())
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    const std::vector<unsigned char> Old = Bytes("[Old]\nk=v\n");
    Folder.Write("tmpfs/c.ini", Old);
    FConfigFile Config;
    const WideText Value(20000, TVTEXT('v'));
    for (int i = 0; i < 4; ++i)
        Config.SetString(TVTEXT("S"), (TVTEXT("k") + WideText(1, Tolvane::tvWChar(TVTEXT('0') + i))).c_str(), FString(Value.c_str()));
    EXPECT_EQ(Config.SaveAs(P(TVTEXT("tmpfs/c.ini"))), 0) << "160 KB do not fit in 64 KiB";
    EXPECT_EQ(Folder.Read("tmpfs/c.ini"), Old);
    std::vector<std::string> Left;
    for (auto& Entry : std::filesystem::directory_iterator(Folder.Native("tmpfs")))
        Left.push_back(Entry.path().filename().string());
    EXPECT_EQ(Left, (std::vector<std::string>{"c.ini"}));
    // A smaller configuration fits and replaces the file.
    FConfigFile Small2;
    Small2.SetInt(TVTEXT("S"), TVTEXT("k"), 1);
    EXPECT_EQ(Small2.SaveAs(P(TVTEXT("tmpfs/c.ini"))), 1);
    EXPECT_EQ(Folder.Read("tmpfs/c.ini"), Utf16Le(TVTEXT("[S]\r\nk=1\r\n")));
}
