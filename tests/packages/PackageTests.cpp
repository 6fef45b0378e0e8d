// Reading and writing packages: packages made by the library and by Python's zipfile, the
// comment's marker and version, lookups, the zip write modes, the per-user copies, refused
// names, hostile directory entries, and updates that cannot complete.
#include "packages/PackageTestSupport.h"

#include <filesystem>
#include "support/WideText.h"

using namespace Tolvane;
using namespace PackageTest;

namespace {

class PackageTests : public PackageFixture {
protected:
    // A zip made by Python: members as (name, text) pairs, in order, with a comment (bytes, or
    // None for none). Extra statements may follow (z is the open ZipFile).
    std::string PeerZip(const std::string& File, const std::string& Members, const std::string& Comment,
                        const std::string& Extra = std::string())
    {
        return Python(Data, "import zipfile, warnings\n"
                            "warnings.simplefilter('ignore')\n"
                            "z = zipfile.ZipFile('" + Data.Native(File) + "', 'w', zipfile.ZIP_DEFLATED)\n"
                            "for n, t in " + Members + ":\n"
                            "    z.writestr(n, t)\n"
                            "c = " + Comment + "\n"
                            "if c is not None: z.comment = c\n" + Extra +
                            "z.close()\n"
                            "print('made')\n");
    }
    std::string Text(const Bytes& B) { return std::string(B.begin(), B.end()); }
    std::string ReadText(FUnzipPackage& Package, const WideText& Member)
    {
        Bytes Out;
        return ReadMember(Package, Member, Out) ? Text(Out) : std::string("<null>");
    }
};

} // namespace

TEST_F(PackageTests, CommentMarkerAndVersionFromAnIndependentWriter)
{
    ASSERT_EQ(PeerZip("v7.xup", "[('m.txt', 'seven')]", "b'X++M7'"), "made\n");
    FUnzipPackage Seven(TVTEXT("v7"));
    ASSERT_TRUE(Seven.Open());
    EXPECT_EQ(Seven.GetVersion(), 7u);
    std::unique_ptr<FZipFileReader> Reader(Seven.CreateMemberReader(TVTEXT("m.txt")));
    ASSERT_TRUE(Reader);
    EXPECT_EQ(Reader->GetVersion(), 7u);
    EXPECT_EQ(Reader->GetSize(), 5);

    // Only the first 9 bytes of a long comment count: at most 5 digits.
    ASSERT_EQ(PeerZip("long.xup", "[('m', 'x')]", "b'X++M1234567890' + b'z' * 300"), "made\n");
    FUnzipPackage Long(TVTEXT("long"));
    ASSERT_TRUE(Long.Open());
    EXPECT_EQ(Long.GetVersion(), 12345u);

    // No digits: the version stays 41.
    ASSERT_EQ(PeerZip("bare.xup", "[('m', 'x')]", "b'X++M'"), "made\n");
    FUnzipPackage Bare(TVTEXT("bare"));
    ASSERT_TRUE(Bare.Open());
    EXPECT_EQ(Bare.GetVersion(), 41u);

    // No comment, or another one: an illegal package, logged, never read.
    ASSERT_EQ(PeerZip("none.xup", "[('m', 'x')]", "None"), "made\n");
    ASSERT_EQ(PeerZip("other.xup", "[('m', 'x')]", "b'PKG1'"), "made\n");
    FUnzipPackage None(TVTEXT("none"));
    FUnzipPackage Other(TVTEXT("other"));
    EXPECT_FALSE(None.Open());
    EXPECT_EQ(None.CreateMemberReader(TVTEXT("m")), nullptr);
    EXPECT_FALSE(Other.Open());
    EXPECT_EQ(Hook.Lines, (std::vector<std::string>{"Log: illegal package:none", "Log: illegal package:none",
                                                     "Log: illegal package:other"}));

    // A missing package: false, nothing logged.
    FUnzipPackage Missing(TVTEXT("missing"));
    EXPECT_FALSE(Missing.Open());
    EXPECT_EQ(Hook.Lines.size(), 3u);
}

TEST_F(PackageTests, LookupsFoldCaseTakeEitherSeparatorAndFindTheFirstDuplicate)
{
    ASSERT_EQ(PeerZip("dup.xup",
                      "[('textures/skin.dds', 'skin'), ('Same.txt', 'first'), ('same.TXT', 'second'), ('Same.txt', 'third'),"
                      " ('empty', ''), ('a/b', 'ab')]",
                      "b'X++M41'"),
              "made\n");
    FUnzipPackage Package(TVTEXT("dup"));
    EXPECT_EQ(ReadText(Package, TVTEXT("Textures\\Skin.dds")), "skin");
    EXPECT_EQ(ReadText(Package, TVTEXT("TEXTURES/SKIN.DDS")), "skin");
    EXPECT_EQ(ReadText(Package, TVTEXT("same.txt")), "first");
    EXPECT_EQ(ReadText(Package, TVTEXT("a\\b")), "ab");
    // An empty member cannot be read; a missing one is null; the package stays open.
    EXPECT_EQ(ReadText(Package, TVTEXT("empty")), "<null>");
    EXPECT_EQ(ReadText(Package, TVTEXT("nothere")), "<null>");
    EXPECT_EQ(ReadText(Package, TVTEXT("skin.dds")), "<null>");
    EXPECT_TRUE(Package.Open());

    // A package with no members opens (the zip library alone refuses it), finds nothing.
    ASSERT_EQ(PeerZip("empty.xup", "[]", "b'X++M9'"), "made\n");
    FUnzipPackage Empty(TVTEXT("empty"));
    ASSERT_TRUE(Empty.Open());
    EXPECT_EQ(Empty.GetVersion(), 9u);
    EXPECT_EQ(Empty.CreateMemberReader(TVTEXT("a")), nullptr);
    Empty.Close();
    EXPECT_TRUE(Empty.Open());
}

TEST_F(PackageTests, PackagesWrittenHereAreWholeForTheIndependentReaders)
{
    const Bytes Small = Pattern(3000, 7);
    const Bytes Mebibyte = Pattern(1 << 20, 8);
    const Bytes Largest = Pattern(FZipFileWriter::MaxMemberSize, 9);
    ASSERT_TRUE(WritePackage(TVTEXT("made"), {{TVTEXT("small\\one.bin"), Small}, {TVTEXT("zero"), {}}, {TVTEXT("mib"), Mebibyte},
                                                 {TVTEXT("largest"), Largest}}));
    EXPECT_EQ(PeerListing(Data.Native("made.xup")),
              "ok X++M41 small/one.bin:3000:8,mib:1048576:8,largest:16776192:8\n");
    const std::string Tested = Python(Data, "import subprocess\n"
                                            "r = subprocess.run(['unzip', '-tq', '" + Data.Native("made.xup") + "'],"
                                            " capture_output=True, text=True)\n"
                                            "print(r.returncode, r.stdout.strip())\n");
    EXPECT_EQ(Tested.substr(0, 2), "0 ") << Tested;

    FUnzipPackage Package(TVTEXT("made"));
    Bytes Out;
    ASSERT_TRUE(ReadMember(Package, TVTEXT("SMALL/ONE.BIN"), Out));
    EXPECT_EQ(Out, Small);
    ASSERT_TRUE(ReadMember(Package, TVTEXT("mib"), Out));
    EXPECT_EQ(Out, Mebibyte);
    ASSERT_TRUE(ReadMember(Package, TVTEXT("largest"), Out));
    EXPECT_EQ(Out, Largest);
    EXPECT_FALSE(ReadMember(Package, TVTEXT("zero"), Out));
    // No temporary file is left beside the package.
    EXPECT_FALSE(std::filesystem::exists(Data.Native("madeTemp.xup")));
}

TEST_F(PackageTests, WriteModesRebuildAppendOrUpdate)
{
    const Bytes OldA = Pattern(4000, 1), OldB = Pattern(5000, 2), NewB = Pattern(6000, 3), C = Pattern(100, 4);
    struct FCase {
        int Mode;
        const char* Expected;  // a, b, c as read back afterwards
    } const Cases[] = {
        {ZIPWRITE_Update, "old-a new-b none"},
        {ZIPWRITE_Write, "none new-b none"},
        // Appending adds members in place; a name written again stays found as the old one.
        {ZIPWRITE_Append, "old-a old-b c"},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.Mode);
        GZipWriteMode = ZIPWRITE_Write;
        ASSERT_TRUE(WritePackage(TVTEXT("modes"), {{TVTEXT("a"), OldA}, {TVTEXT("b"), OldB}}));
        GZipWriteMode = Case.Mode;
        {
            FZipPackage Package(TVTEXT("modes"));
            ASSERT_TRUE(Package.Open());
            // Appending writes into the package itself: no temporary file at any time.
            EXPECT_EQ(std::filesystem::exists(Data.Native("modesTemp.xup")), Case.Mode != ZIPWRITE_Append);
            std::unique_ptr<FZipFileWriter> Writer(Package.CreateMemberWriter(Case.Mode == ZIPWRITE_Append ? TVTEXT("c") : TVTEXT("B")));
            const Bytes& Content = Case.Mode == ZIPWRITE_Append ? C : NewB;
            Writer->Write(const_cast<unsigned char*>(Content.data()), static_cast<tvULong>(Content.size()));
            Writer.reset();
            if (Case.Mode == ZIPWRITE_Append) {
                std::unique_ptr<FZipFileWriter> Again(Package.CreateMemberWriter(TVTEXT("b")));
                Again->Write(const_cast<unsigned char*>(NewB.data()), static_cast<tvULong>(NewB.size()));
            }
        }
        EXPECT_FALSE(std::filesystem::exists(Data.Native("modesTemp.xup")));
        EXPECT_EQ(PeerListing(Data.Native("modes.xup")).substr(0, 10), "ok X++M41 ");
        FUnzipPackage Reading(TVTEXT("modes"));
        Bytes A, B, Got;
        std::string Seen;
        Seen += !ReadMember(Reading, TVTEXT("a"), A) ? "none" : A == OldA ? "old-a" : "?";
        Seen += !ReadMember(Reading, TVTEXT("b"), B) ? " none" : B == OldB ? " old-b" : B == NewB ? " new-b" : " ?";
        Seen += !ReadMember(Reading, TVTEXT("c"), Got) ? " none" : Got == C ? " c" : " ?";
        EXPECT_EQ(Seen, Case.Expected);
    }
}

TEST_F(PackageTests, UpdateCarriesOverWhatAnIndependentWriterStored)
{
    // Members the library cannot write itself (empty, stored without compression) survive.
    ASSERT_EQ(PeerZip("peer.xup", "[('keep.txt', 'kept'), ('empty', ''), ('old', 'replace me')]", "b'X++M41'",
                      "z.writestr(zipfile.ZipInfo('stored'), b'raw bytes', zipfile.ZIP_STORED)\n"),
              "made\n");
    GZipWriteMode = ZIPWRITE_Update;
    ASSERT_TRUE(WritePackage(TVTEXT("peer"), {{TVTEXT("OLD"), Bytes{'n', 'e', 'w'}}}));
    EXPECT_EQ(PeerListing(Data.Native("peer.xup")).substr(0, 10), "ok X++M41 ");
    const std::string Names = Python(Data, "import zipfile\n"
                                           "z = zipfile.ZipFile('" + Data.Native("peer.xup") + "')\n"
                                           "print(sorted((i.filename, z.read(i).decode()) for i in z.infolist()))\n");
    EXPECT_EQ(Names, "[('OLD', 'new'), ('empty', ''), ('keep.txt', 'kept'), ('stored', 'raw bytes')]\n");
}

TEST_F(PackageTests, UserCopiesOutsideTheEditor)
{
    GIsEditor = 0;
    std::filesystem::create_directories(User.Native("Chars"));
    std::filesystem::create_directories(Data.Native("Chars"));
    // Writing goes to the user data root, through HeroTemp.xup there, renamed to Hero.xup.
    {
        FZipPackage Package(TVTEXT("Chars\\Hero"));
        ASSERT_TRUE(Package.Open());
        EXPECT_TRUE(std::filesystem::exists(User.Native("Chars/HeroTemp.xup")));
        std::unique_ptr<FZipFileWriter> Writer(Package.CreateMemberWriter(TVTEXT("m")));
        unsigned char Byte = 'u';
        Writer->Write(&Byte, 1);
    }
    EXPECT_TRUE(std::filesystem::exists(User.Native("Chars/Hero.xup")));
    EXPECT_FALSE(std::filesystem::exists(User.Native("Chars/HeroTemp.xup")));
    EXPECT_FALSE(std::filesystem::exists(Data.Native("Chars/Hero.xup")));

    // Reading a FinalFaceTexture package: the user copy when there is one, else the data root.
    ASSERT_EQ(PeerZip("FinalFaceTexture.xup", "[('f', 'from data')]", "b'X++M41'"), "made\n");
    {
        FUnzipPackage FromData(TVTEXT("FinalFaceTexture"));
        EXPECT_EQ(ReadText(FromData, TVTEXT("f")), "from data");
    }
    ASSERT_EQ(Python(User, "import zipfile\n"
                           "z = zipfile.ZipFile('" + User.Native("FinalFaceTexture.xup") + "', 'w')\n"
                           "z.writestr('f', 'from user')\n"
                           "z.comment = b'X++M41'\n"
                           "z.close()\n"),
              "");
    {
        FUnzipPackage FromUser(TVTEXT("FinalFaceTexture"));
        EXPECT_EQ(ReadText(FromUser, TVTEXT("f")), "from user");
        // Other folders are not redirected.
        ASSERT_EQ(PeerZip("Plain.xup", "[('f', 'plain')]", "b'X++M41'"), "made\n");
        FUnzipPackage Plain(TVTEXT("Plain"));
        EXPECT_EQ(ReadText(Plain, TVTEXT("f")), "plain");
    }
    // Update outside the editor without a user copy: nothing is carried over, and the package
    // in the data root is neither read nor touched.
    ASSERT_EQ(PeerZip("Chars/Villain.xup", "[('old', 'data root')]", "b'X++M41'"), "made\n");
    GZipWriteMode = ZIPWRITE_Update;
    ASSERT_TRUE(WritePackage(TVTEXT("Chars\\Villain"), {{TVTEXT("new"), Bytes{'n'}}}));
    EXPECT_EQ(PeerListing(User.Native("Chars/Villain.xup")).substr(0, 16), "ok X++M41 new:1:");
    EXPECT_EQ(PeerListing(Data.Native("Chars/Villain.xup")).substr(0, 16), "ok X++M41 old:9:");
    // In the editor the same paths are the data root's.
    GIsEditor = 1;
    FUnzipPackage Editor(TVTEXT("FinalFaceTexture"));
    EXPECT_EQ(ReadText(Editor, TVTEXT("f")), "from data");
}

TEST_F(PackageTests, NamesThatDoNotFitAreRefusedNotCut)
{
    const WideText Long127(127, TVTEXT('p')), Long128(128, TVTEXT('p'));
    FUnzipPackage Fits(Long127.c_str());
    EXPECT_EQ(WideText(Fits.GetName()), Long127);
    FUnzipPackage TooLong(Long128.c_str());
    EXPECT_EQ(TooLong.GetName()[0], 0);
    EXPECT_EQ(TooLong.GetPath()[0], 0);
    EXPECT_FALSE(TooLong.Open());
    FZipPackage TooLongWriter(Long128.c_str());
    EXPECT_FALSE(TooLongWriter.Open());
    // An absolute name is its own file name; a data root that leaves no room for the name and
    // ".xup" in 255 bytes refuses the package.
    const WideText Exact = TVTEXT("/") + WideText(126, TVTEXT('x'));  // 127 + ".xup" + "Temp" fit
    FZipPackage Rooted(Exact.c_str());
    EXPECT_TRUE(Rooted.IsAbsolute());
    EXPECT_EQ(std::string(Rooted.GetPath()), "/" + std::string(126, 'x') + ".xup");
    Native.SetDataRootDir((Data.Path() + WideText(250 - Data.Path().size(), TVTEXT('r')) + TVTEXT("/")).c_str());
    FUnzipPackage OverRoot(TVTEXT("abcdef"));
    EXPECT_EQ(OverRoot.GetPath()[0], 0);
    EXPECT_FALSE(OverRoot.Open());
    Native.SetDataRootDir(Data.Path().c_str());

    // Member names: 255 bytes are stored, 256 refused (null writer, null reader).
    FZipPackage Package(TVTEXT("names"));
    ASSERT_TRUE(Package.Open());
    const WideText Name255(255, TVTEXT('m')), Name256(256, TVTEXT('m'));
    std::unique_ptr<FZipFileWriter> Fit(Package.CreateMemberWriter(Name255.c_str()));
    ASSERT_TRUE(Fit);
    unsigned char Byte = 'k';
    Fit->Write(&Byte, 1);
    Fit.reset();
    EXPECT_EQ(Package.CreateMemberWriter(Name256.c_str()), nullptr);
    // Narrow names are held to the same limit.
    EXPECT_EQ(Package.OpenEntryWriter(std::string(256, 'q').c_str(), false), nullptr);
    Package.Close();
    FUnzipPackage Reading(TVTEXT("names"));
    EXPECT_EQ(ReadText(Reading, Name255), "k");
    EXPECT_EQ(Reading.CreateMemberReader(Name256.c_str()), nullptr);
}

TEST_F(PackageTests, HostileDirectoryEntriesAreRefusedNotTrusted)
{
    // A name of 300 bytes (the zip library would leave it unterminated), a forged size, a
    // corrupted member and an encrypted-flag member beside a good one.
    ASSERT_EQ(PeerZip("hostile.xup",
                      "[('n' * 300, 'long'), ('good', 'fine'), ('forged', 'a' * 1000), ('crc', 'b' * 1000)]",
                      "b'X++M41'"),
              "made\n");
    ASSERT_EQ(Python(Data, "import struct\n"
                           "p = '" + Data.Native("hostile.xup") + "'\n"
                           "b = bytearray(open(p, 'rb').read())\n"
                           "def central(name):\n"
                           "    i = b.index(b'PK\\x01\\x02' + b'\\x00' * 0, 0)\n"
                           "    while True:\n"
                           "        n = struct.unpack_from('<H', b, i + 28)[0]\n"
                           "        if b[i + 46:i + 46 + n] == name: return i\n"
                           "        i = b.index(b'PK\\x01\\x02', i + 4)\n"
                           "struct.pack_into('<I', b, central(b'forged') + 24, 0x7FFFFFF0)\n"
                           "local = struct.unpack_from('<I', b, central(b'crc') + 42)[0]\n"
                           "n, e = struct.unpack_from('<HH', b, local + 26)\n"
                           "b[local + 30 + n + e + 2] ^= 0x55\n"
                           "open(p, 'wb').write(b)\n"),
              "");
    FUnzipPackage Package(TVTEXT("hostile"));
    ASSERT_TRUE(Package.Open());
    EXPECT_EQ(ReadText(Package, TVTEXT("good")), "fine");
    EXPECT_EQ(ReadText(Package, TVTEXT("forged")), "<null>");
    EXPECT_EQ(ReadText(Package, TVTEXT("crc")), "<null>");
    EXPECT_EQ(Package.CreateMemberReader(WideText(255, TVTEXT('n')).c_str()), nullptr);

    // An update of such a package would lose or corrupt members: refused, old package intact.
    const Bytes Before = Data.Read("hostile.xup");
    GZipWriteMode = ZIPWRITE_Update;
    {
        FZipPackage Update(TVTEXT("hostile"));
        EXPECT_FALSE(Update.Open());
        EXPECT_EQ(Update.CreateMemberWriter(TVTEXT("x")), nullptr);
    }
    EXPECT_EQ(Data.Read("hostile.xup"), Before);
}

TEST_F(PackageTests, AnUpdateThatCannotReadAnOldMemberKeepsTheOldPackage)
{
    ASSERT_EQ(PeerZip("bad.xup", "[('good', 'fine'), ('crc', 'b' * 1000)]", "b'X++M41'"), "made\n");
    ASSERT_EQ(Python(Data, "import struct\n"
                           "p = '" + Data.Native("bad.xup") + "'\n"
                           "b = bytearray(open(p, 'rb').read())\n"
                           "i = b.index(b'PK\\x03\\x04', 1)\n"
                           "n, e = struct.unpack_from('<HH', b, i + 26)\n"
                           "b[i + 30 + n + e + 2] ^= 0x55\n"
                           "open(p, 'wb').write(b)\n"),
              "");
    const Bytes Before = Data.Read("bad.xup");
    GZipWriteMode = ZIPWRITE_Update;
    ASSERT_TRUE(WritePackage(TVTEXT("bad"), {{TVTEXT("new"), Bytes{'n'}}}));
    EXPECT_EQ(Data.Read("bad.xup"), Before);
    EXPECT_FALSE(std::filesystem::exists(Data.Native("badTemp.xup")));

    // A read-only package is still replaced by a successful update, in one step.
    ASSERT_EQ(PeerZip("ro.xup", "[('a', 'old')]", "b'X++M41'"), "made\n");
    Data.MakeReadOnly("ro.xup");
    ASSERT_TRUE(WritePackage(TVTEXT("ro"), {{TVTEXT("b"), Bytes{'b'}}}));
    EXPECT_EQ(PeerListing(Data.Native("ro.xup")).substr(0, 10), "ok X++M41 ");
    FUnzipPackage Reading(TVTEXT("ro"));
    EXPECT_EQ(ReadText(Reading, TVTEXT("a")), "old");
    EXPECT_EQ(ReadText(Reading, TVTEXT("b")), "b");
}
