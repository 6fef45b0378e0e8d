// Malformed archives: each class of structural fault makes Initialize refuse the archive (no
// read out of bounds, no endless walk, no allocation the file cannot justify) and the checker
// report it. Run under ASan by the asan preset.
#include "img/ImgTestSupport.h"

#include <functional>
#include "support/WideText.h"

using namespace Tolvane;
using ImgTest::FDataRoot;
using ImgTest::SetWord;
using ImgTest::WordAt;

namespace {

// Items of the sound archive: 1 DATA, 2 DATA\A.TXT, 3 DATA\B, 4 DATA\B\C.BIN, 5 a long
// top-level name L..., 6 a top-level M... whose two names together pass the path limit.
constexpr std::size_t Item(int Index) { return 36 + 48 * std::size_t(Index); }
constexpr std::size_t Parent = 8, LinkA = 4, LinkB = 12, Size = 28, Offset = 32, HashNext = 44;

struct FArchiveBytes {
    std::vector<unsigned char> B;
    tvULong DirStart() const { return WordAt(B, 8); }
    tvULong DirEnd() const { return WordAt(B, 12); }
    tvULong NamesStart() const { return WordAt(B, 16); }
    tvULong NamesEnd() const { return WordAt(B, 20); }
    tvULong Table() const { return WordAt(B, 32); }
    // The table position of the first non-empty bucket.
    std::size_t FirstBucket() const
    {
        for (std::size_t At = Table(); At < Table() + 16384; At += 4)
            if (WordAt(B, At) != 0xFFFFFFFFu)
                return At;
        return 0;
    }
};

struct FCase {
    const char* Fault;
    const Tolvane::tvWChar* Reported;  // a piece of the checker's line for it
    std::function<void(FArchiveBytes&)> Break;
};

} // namespace

TEST(ImgMalformed, InitializeRefusesEachClassOfFault)
{
    const FCase Cases[] = {
        {"file shorter than its header", TVTEXT("shorter than"), [](FArchiveBytes& A) { A.B.resize(20); }},
        {"empty file", TVTEXT("shorter than"), [](FArchiveBytes& A) { A.B.clear(); }},
        {"directory end beyond the file", TVTEXT("directory ["), [](FArchiveBytes& A) { SetWord(A.B, 12, tvULong(A.B.size()) + 48); }},
        {"absurd item count", TVTEXT("directory ["), [](FArchiveBytes& A) { SetWord(A.B, 12, 0xFFFFFFF0u); }},
        {"directory end before its start", TVTEXT("directory ["), [](FArchiveBytes& A) { SetWord(A.B, 12, A.DirStart() - 48); }},
        {"directory size not a multiple of 48", TVTEXT("not a multiple"), [](FArchiveBytes& A) { SetWord(A.B, 12, A.DirEnd() - 1); }},
        {"directory without a root", TVTEXT("no root"), [](FArchiveBytes& A) { SetWord(A.B, 12, A.DirStart()); }},
        {"names block beyond the file", TVTEXT("names block ["), [](FArchiveBytes& A) { SetWord(A.B, 20, tvULong(A.B.size()) + 1); }},
        {"names end before names start", TVTEXT("names block ["), [](FArchiveBytes& A) { SetWord(A.B, 20, A.NamesStart() - 1); }},
        {"hash table beyond the file", TVTEXT("hash table at"), [](FArchiveBytes& A) { SetWord(A.B, 32, tvULong(A.B.size()) - 100); }},
        {"Parent beyond the items", TVTEXT("Parent 7"), [](FArchiveBytes& A) { SetWord(A.B, Item(2) + Parent, 7); }},
        {"LinkA beyond the items", TVTEXT("LinkA 1000"), [](FArchiveBytes& A) { SetWord(A.B, Item(2) + LinkA, 1000); }},
        {"LinkB beyond the items", TVTEXT("LinkB 4294967295"), [](FArchiveBytes& A) { SetWord(A.B, Item(3) + LinkB, 0xFFFFFFFFu); }},
        {"HashNext beyond the items", TVTEXT("HashNext 7"), [](FArchiveBytes& A) { SetWord(A.B, Item(4) + HashNext, 7); }},
        {"Parent cycle", TVTEXT("loops"), [](FArchiveBytes& A) { SetWord(A.B, Item(1) + Parent, 3); }},
        {"Parent of itself", TVTEXT("loops"), [](FArchiveBytes& A) { SetWord(A.B, Item(2) + Parent, 2); }},
        {"path longer than 258 bytes", TVTEXT("longer than 258"), [](FArchiveBytes& A) { SetWord(A.B, Item(6) + Parent, 5); }},
        {"HashNext loop", TVTEXT("reached twice"), [](FArchiveBytes& A) { SetWord(A.B, Item(2) + HashNext, 2); }},
        {"two buckets sharing a chain", TVTEXT("reached twice"),
         [](FArchiveBytes& A) {
             const std::size_t First = A.FirstBucket();
             const tvULong Head = WordAt(A.B, First);
             for (std::size_t At = First + 4; At < A.Table() + 16384; At += 4)
                 if (WordAt(A.B, At) != 0xFFFFFFFFu) {
                     SetWord(A.B, Item(int(WordAt(A.B, At))) + HashNext, Head);
                     break;
                 }
         }},
        {"table word beyond the items", TVTEXT("7 is not an item"), [](FArchiveBytes& A) { SetWord(A.B, A.FirstBucket(), 7); }},
        {"table word designating item 0", TVTEXT("0 is not an item"), [](FArchiveBytes& A) { SetWord(A.B, A.FirstBucket(), 0); }},
        {"fewer names than items", TVTEXT("names block ends"), [](FArchiveBytes& A) { SetWord(A.B, 20, A.NamesStart() + 5); }},
        {"names without a final terminator", TVTEXT("names block ends"), [](FArchiveBytes& A) { A.B[A.NamesEnd() - 1] = 'X'; }},
        {"item data beyond the file", TVTEXT("passes the end"), [](FArchiveBytes& A) { SetWord(A.B, Item(2) + Size, 0xFFFFFF00u); }},
        {"item offset beyond the file", TVTEXT("passes the end"), [](FArchiveBytes& A) { SetWord(A.B, Item(4) + Offset, tvULong(A.B.size())); }},
    };

    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data/A.txt"), "a", 1), 1);
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data/B/C.bin"), "cc", 2), 1);
    ASSERT_EQ(Writer.AddFile(WideText(200, TVTEXT('L')).c_str(), "l", 1), 1);
    ASSERT_EQ(Writer.AddFile(WideText(100, TVTEXT('M')).c_str(), "m", 1), 1);
    ASSERT_TRUE(Data.Save(Writer));
    const FArchiveBytes Sound{Data.ReadArchive()};
    ASSERT_EQ((Sound.DirEnd() - Sound.DirStart()) / 48, 7u);

    TArray<FString> Faults;
    ASSERT_EQ(appCheckImgArchive(Data.ArchivePath().c_str(), Faults), 0);
    ASSERT_NE(Data.Open(), nullptr);

    for (const FCase& Case : Cases) {
        FArchiveBytes Broken = Sound;
        Case.Break(Broken);
        ASSERT_NE(Broken.B, Sound.B) << Case.Fault;
        Data.WriteArchive(Broken.B);
        EXPECT_EQ(Data.Open(), nullptr) << Case.Fault;
        TArray<FString> Found;
        EXPECT_GE(appCheckImgArchive(Data.ArchivePath().c_str(), Found), 1) << Case.Fault;
        bool Reported = false;
        for (const FString& Line : Found)
            Reported |= WideText(static_cast<const tvWChar*>(Line)).find(Case.Reported) != WideText::npos;
        EXPECT_TRUE(Reported) << Case.Fault;
    }
    std::filesystem::remove(Data.Folder.Native("Data/Pack.img"));
    EXPECT_EQ(Data.Open(), nullptr);
    TArray<FString> Missing;
    EXPECT_EQ(appCheckImgArchive(Data.ArchivePath().c_str(), Missing), 1);
}

TEST(ImgMalformed, CheckerReportsWhatLookupsCannotReach)
{
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data/A.txt"), "a", 1), 1);
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data/B.txt"), "b", 1), 1);
    ASSERT_TRUE(Data.Save(Writer));
    FArchiveBytes A{Data.ReadArchive()};
    // A lower-case name, and an item taken out of its bucket.
    A.B[A.NamesStart()] = 'd';
    for (std::size_t At = A.Table(); At < A.Table() + 16384; At += 4)
        if (WordAt(A.B, At) == 3)
            SetWord(A.B, At, 0xFFFFFFFFu);
    Data.WriteArchive(A.B);
    TArray<FString> Faults;
    const int Count = appCheckImgArchive(Data.ArchivePath().c_str(), Faults);
    // "DATA" became "dATA": its path hashes elsewhere now, so every item below it sits in the
    // wrong bucket too; item 3 is not reached; item 1 has a lower-case letter.
    EXPECT_GE(Count, 3);
    bool Lower = false, Unreached = false, Misplaced = false;
    for (const FString& Line : Faults) {
        const WideText Text(static_cast<const tvWChar*>(Line));
        Lower |= Text.find(TVTEXT("lower-case")) != WideText::npos;
        Unreached |= Text.find(TVTEXT("item 3 (dATA\\B.TXT) is not reached")) != WideText::npos;
        Misplaced |= Text.find(TVTEXT("but its path hashes to")) != WideText::npos;
    }
    EXPECT_TRUE(Lower && Unreached && Misplaced);
    // The file system still loads it: these faults only hide items from lookups, through the
    // index as through the chains.
    auto FileSystem = Data.Open();
    ASSERT_NE(FileSystem, nullptr);
    for (const Tolvane::tvWChar* Query : {TVTEXT("A.TXT"), TVTEXT("B.TXT"), TVTEXT("a.txt")}) {
        const WideText Path = Data.Root() + Query;
        EXPECT_EQ(FileSystem->SearchFileFromHash(Path.c_str()), nullptr);
        EXPECT_EQ(FileSystem->SearchFileInChain(Path.c_str()), nullptr);
    }
}
