// The synchronous readers' caches, the read profile's lines, the loose-file writer and the
// borrowing of an asynchronous reader's cache.
#include "img/ImgTestSupport.h"

#include <regex>
#include <sstream>
#include "support/WideText.h"

using namespace Tolvane;
using ImgTest::FDataRoot;
using ImgTest::Pattern;

namespace {

std::vector<std::string> Lines(const std::vector<unsigned char>& Bytes)
{
    std::vector<std::string> Out;
    std::string Text(Bytes.begin(), Bytes.end());
    std::size_t Start = 0;
    for (std::size_t End; (End = Text.find("\r\n", Start)) != std::string::npos; Start = End + 2)
        Out.push_back(Text.substr(Start, End - Start));
    return Out;
}

} // namespace

TEST(ImgReaders, ItemReadInSmallStepsComesMostlyFromTheCacheAndIsProfiled)
{
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    const std::vector<unsigned char> Item = Pattern(3000);
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data/Model.bin"), "xy", 2), 1);
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data/Item.bin"), Item.data(), 3000), 1);
    ASSERT_TRUE(Data.Save(Writer));
    tvULong ItemOffset = 0;
    {
        auto FileSystem = Data.Open();
        ASSERT_NE(FileSystem, nullptr);
        EXPECT_TRUE(appProfileStarted());
        std::unique_ptr<FFileReader> Base(FileSystem->CreateReader((Data.Root() + TVTEXT("Item.bin")).c_str()));
        auto* Reader = dynamic_cast<FImgFileReaderSync*>(Base.get());
        ASSERT_NE(Reader, nullptr);
        ItemOffset = Reader->GetFileItem()->Offset;
        std::vector<unsigned char> Got(3000);
        // Cache (start, size) after each 100-byte read.
        std::vector<std::pair<tvULong, tvULong>> Caches;
        for (tvULong At = 0; At < 3000; At += 100) {
            ASSERT_EQ(Reader->Read(Got.data() + At, 100), 100);
            Caches.emplace_back(Reader->GetCacheStart(), Reader->GetCacheBytes());
        }
        EXPECT_EQ(Got, Item);
        EXPECT_EQ(Caches[0], std::make_pair(tvULong(100), tvULong(1024)));
        EXPECT_EQ(Caches[10], std::make_pair(tvULong(100), tvULong(1024)));
        EXPECT_EQ(Caches[11], std::make_pair(tvULong(1200), tvULong(1024)));
        EXPECT_EQ(Caches[22], std::make_pair(tvULong(2300), tvULong(700)));
        unsigned char Byte;
        EXPECT_EQ(Reader->Read(&Byte, 1), 0);
        EXPECT_EQ(Reader->GetCurrentPos(), 3000u);
        // A read outside the cache goes to the loader; one that ends the item empties the cache.
        unsigned char Ten[10];
        Reader->SetCurrentPos(1000);
        ASSERT_EQ(Reader->Read(Ten, 10), 10);
        EXPECT_EQ(Reader->GetCacheStart(), 1010u);
        Reader->SetCurrentPos(2990);
        ASSERT_EQ(Reader->Read(Ten, 10), 10);
        EXPECT_TRUE(std::equal(Ten, Ten + 10, Item.begin() + 2990));
        EXPECT_EQ(Reader->GetCacheBytes(), 0u);
        EXPECT_EQ(Reader->GetSize(), 3000);
    }
    // The profile reached its file when the file system closed it: one begin and one end line
    // for each read that went to the loader (at 0, 1100, 2200, 1000 and 2990).
    EXPECT_FALSE(appProfileStarted());
    const std::vector<std::string> Profile = Lines(Data.Folder.Read("game.profile"));
    ASSERT_EQ(Profile.size(), 10u);
    const tvULong Starts[] = {0, 1124, 2224, 1000, 2990};
    const tvULong Counts[] = {100, 76, 76, 10, 10};
    for (int i = 0; i < 5; ++i) {
        char Expected[128];
        std::snprintf(Expected, sizeof Expected, "\t%010u\t%010u\t\\DATA\\ITEM.BIN", unsigned(ItemOffset + Starts[i]),
                      unsigned(Counts[i]));
        EXPECT_TRUE(std::regex_match(Profile[2 * i], std::regex("BEGIN: [0-9]{10}.*")));
        EXPECT_EQ(Profile[2 * i].substr(17), Expected);
        EXPECT_TRUE(std::regex_match(Profile[2 * i + 1], std::regex("END: [0-9]{10}\t\\\\DATA\\\\ITEM\\.BIN")));
    }
}

TEST(ImgReaders, RawReaderCacheBeforeInsideAndAtTheEnd)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const std::vector<unsigned char> Contents = Pattern(5000, 3);
    Folder.Write("loose.bin", Contents);
    FRawFileReaderSync Reader(FString(Folder.Path(TVTEXT("loose.bin")).c_str()));
    ASSERT_EQ(Reader.Initialize(), 1);
    EXPECT_EQ(Reader.GetSize(), 5000);
    unsigned char Buffer[2000];
    Reader.SetCurrentPos(1000);
    ASSERT_EQ(Reader.Read(Buffer, 100), 100);
    EXPECT_EQ(Reader.GetCacheStart(), 1100u);
    EXPECT_EQ(Reader.GetCacheBytes(), 1024u);
    // Starts 10 bytes before the cache and ends inside it: 10 bytes come from the file.
    Reader.SetCurrentPos(1090);
    ASSERT_EQ(Reader.Read(Buffer, 110), 110);
    EXPECT_TRUE(std::equal(Buffer, Buffer + 110, Contents.begin() + 1090));
    EXPECT_EQ(Reader.GetCurrentPos(), 1200u);
    EXPECT_EQ(Reader.GetCacheStart(), 1100u);
    // The exact rest succeeds and leaves the cache as it was; one byte more is refused.
    Reader.SetCurrentPos(3500);
    ASSERT_EQ(Reader.Read(Buffer, 1500), 1500);
    EXPECT_TRUE(std::equal(Buffer, Buffer + 1500, Contents.begin() + 3500));
    EXPECT_EQ(Reader.GetCacheStart(), 1100u);
    EXPECT_EQ(Reader.GetCacheBytes(), 1024u);
    Reader.SetCurrentPos(4999);
    EXPECT_EQ(Reader.Read(Buffer, 2), 0);
    EXPECT_EQ(Reader.GetCurrentPos(), 4999u);
    Reader.Close();
    EXPECT_EQ(Reader.GetCurrentPos(), 0u);

    FRawFileReaderSync Missing(FString(Folder.Path(TVTEXT("none.bin")).c_str()));
    EXPECT_EQ(Missing.Initialize(), 0);
}

TEST(ImgReaders, WriterReplacesReadOnlyFilesWhole)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("old.txt", ImgTest::Bytes("old contents"));
    Folder.MakeReadOnly("old.txt");
    const WideText Path = Folder.Path(TVTEXT("old.txt"));
    EXPECT_TRUE(FRawFileWriterSync::IsExisted(Path.c_str()));
    EXPECT_TRUE(FRawFileWriterSync::IsExisted(Folder.Path(TVTEXT("")).c_str()));
    EXPECT_FALSE(FRawFileWriterSync::IsExisted(Folder.Path(TVTEXT("new.txt")).c_str()));
    {
        FRawFileWriterSync Writer(FString(Path.c_str()));
        ASSERT_EQ(Writer.Initialize(), 1);
        unsigned char Text[] = {'n', 'e', 'w'};
        Writer.Write(Text, 3);
        EXPECT_EQ(Writer.GetSize(), 3);
        // Until the writer closes, the old file is intact.
        EXPECT_EQ(Folder.Read("old.txt"), ImgTest::Bytes("old contents"));
    }
    EXPECT_EQ(Folder.Read("old.txt"), ImgTest::Bytes("new"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Native()), {}), 1);
    FRawFileWriterSync Nowhere(FString(Folder.Path(TVTEXT("no/such/dir.txt")).c_str()));
    EXPECT_EQ(Nowhere.Initialize(), 0);
}

namespace {
// The asynchronous readers' request operations join with the worker's service; these stand-ins
// make them whole so the borrowing can be tested now.
template <class Base>
class FStubAsync : public Base {
public:
    using Base::Base;
    tvULong SendReadRequest(void*, tvULong, FReadRequestCallback, tvLong) override { return 0xFFFFFFFFu; }
    tvULong GetRequestReadSize(tvULong) override { return 0; }
    void WaitForRequest(tvULong) override {}
    int DestroyRequest(tvULong) override { return 0; }
    int SyncRead(void*, tvULong) override { return 0; }
};
} // namespace

TEST(ImgReaders, BorrowingAReaderTakesItsCacheAndGivesItBack)
{
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    const std::vector<unsigned char> Item = Pattern(2000, 5);
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("Data/A.bin"), Item.data(), 2000), 1);
    ASSERT_TRUE(Data.Save(Writer));
    auto FileSystem = Data.Open();
    ASSERT_NE(FileSystem, nullptr);
    _diFileItem* Found = FileSystem->SearchFileFromHash((Data.Root() + TVTEXT("a.bin")).c_str());
    ASSERT_NE(Found, nullptr);

    FStubAsync<FImgFileReaderAsync> Async(Found);
    EXPECT_EQ(Async.GetSize(), 2000);
    FImgFileReaderSync Borrower;
    Borrower.Attach(&Async, FileSystem->GetLoader());
    EXPECT_EQ(Borrower.GetCache(), Async.GetCacheBuffer());
    Borrower.SetCurrentPos(500);
    unsigned char Buffer[100];
    ASSERT_EQ(Borrower.Read(Buffer, 100), 100);
    EXPECT_TRUE(std::equal(Buffer, Buffer + 100, Item.begin() + 500));
    Borrower.Detach();
    EXPECT_EQ(Borrower.GetCache(), nullptr);
    EXPECT_EQ(Async.GetCacheStartPos(), 600u);
    EXPECT_EQ(Async.GetCacheSize(), 1024u);
    EXPECT_EQ(Async.GetCacheBuffer()[0], Item[600]);

    Data.Folder.Write("loose.bin", Item);
    FStubAsync<FRawFileReaderAsync> RawAsync;
    ASSERT_EQ(RawAsync.Initialize(FString(Data.Folder.Path(TVTEXT("loose.bin")).c_str())), 1);
    FRawFileReaderSync RawBorrower;
    RawBorrower.Attach(&RawAsync);
    EXPECT_EQ(RawBorrower.GetLoader(), RawAsync.GetLoader());
    ASSERT_EQ(RawBorrower.Read(Buffer, 100), 100);
    EXPECT_TRUE(std::equal(Buffer, Buffer + 100, Item.begin()));
    RawBorrower.Detach();
    EXPECT_EQ(RawBorrower.GetLoader(), nullptr);
    EXPECT_EQ(RawAsync.GetCacheStartPos(), 100u);
    EXPECT_EQ(RawAsync.GetCacheSize(), 1024u);
}
