// The member reader and writer: the writer's doubling chunks, its limit, one store per member,
// and a reader that never delivers bytes beyond its member.
#include "packages/PackageTestSupport.h"
#include "packages/tvPackageMembers.h"
#include "support/WideText.h"

using namespace Tolvane;
using namespace PackageTest;

namespace {

// The writer's bookkeeping, visible to the tests.
struct FWriterProbe : FZipFileWriter {
    tvULong Start() const { return ChunkStart; }
    tvULong Count() const { return ChunkCount; }
    tvULong Cache(tvULong Chunk) { return GetCacheSize(Chunk); }
    const unsigned char* Chunk(int Index) const { return Chunks[Index]; }
};

class ZipFileFixture : public PackageFixture {};

} // namespace

TEST(PackageNameHash, WorkedExamplesAndBuckets)
{
    EXPECT_EQ(PackageNameHash("abc"), 35312);
    EXPECT_EQ(PackageNameHash("ABC"), 35312);
    EXPECT_EQ(PackageNameHash("a\\b"), 29037);
    EXPECT_EQ(PackageNameHash("a/b"), 29037);
    EXPECT_EQ(PackageNameHash(""), 0);
    EXPECT_EQ(35312 & 7, 0);
    EXPECT_EQ(35312 & 4, 0);
    EXPECT_EQ(29037 & 7, 5);
    // Bytes from 0x80 count as negative values: the sum can go below zero and the shifts
    // are arithmetic.
    const std::int32_t High = PackageNameHash("\xE9\xE9\xE9");
    const std::int32_t Sum = (119 + 120 + 121) * -23;
    EXPECT_EQ(High, ((((Sum >> 10) ^ Sum) >> 10) ^ Sum));
    EXPECT_LT(High, 0);
}

TEST(ZipFileWriter, ThreeThousandBytesFillTheFirstChunkAndStartTheSecond)
{
    // 3000 bytes at once: chunk 1 filled, 1976 bytes at the start of chunk 2.
    FWriterProbe Writer;
    const Bytes Data = Pattern(3000, 1);
    Writer.Write(const_cast<unsigned char*>(Data.data()), 3000);
    EXPECT_EQ(Writer.GetSize(), 3000);
    EXPECT_EQ(Writer.Start(), 1024u);
    EXPECT_EQ(Writer.Count(), 2u);
    EXPECT_EQ(0, std::memcmp(Writer.Chunk(0), Data.data(), 1024));
    EXPECT_EQ(0, std::memcmp(Writer.Chunk(1), Data.data() + 1024, 1976));
    EXPECT_EQ(Writer.Chunk(2), nullptr);
    EXPECT_EQ(Writer.Cache(0), 0u);
    EXPECT_EQ(Writer.Cache(1), 1024u);
    EXPECT_EQ(Writer.Cache(14), 8388608u);
    EXPECT_EQ(Writer.GetVersion(), 41u);
    EXPECT_TRUE(Writer.IsSaving() && Writer.IsPersistent() && !Writer.IsLoading());

    // Exactly 1024 bytes use one chunk; one more byte opens the 2048-byte chunk at its start.
    FWriterProbe Edge;
    Edge.Write(const_cast<unsigned char*>(Data.data()), 1024);
    EXPECT_EQ(Edge.Count(), 1u);
    unsigned char One = 'z';
    Edge.Write(&One, 1);
    EXPECT_EQ(Edge.Count(), 2u);
    EXPECT_EQ(Edge.Start(), 1024u);
    EXPECT_EQ(Edge.Chunk(1)[0], 'z');
}

TEST(ZipFileWriter, LimitRefusesTheExcessWhole)
{
    FWriterProbe Writer;
    std::vector<unsigned char> Big(FZipFileWriter::MaxMemberSize - 10, 'x');
    Writer.Write(Big.data(), static_cast<tvULong>(Big.size()));
    EXPECT_FALSE(Writer.IsError());
    Writer.Write(Big.data(), 10);
    EXPECT_EQ(Writer.GetSize(), static_cast<int>(FZipFileWriter::MaxMemberSize));
    EXPECT_EQ(Writer.Count(), 14u);
    EXPECT_FALSE(Writer.IsError());
    // One byte more does not fit the 14 chunks: refused, flagged, nothing written past them.
    Writer.Write(Big.data(), 1);
    EXPECT_TRUE(Writer.IsError());
    EXPECT_EQ(Writer.GetSize(), static_cast<int>(FZipFileWriter::MaxMemberSize));
}

TEST(ZipFileReader, ReadsInOrderAndNeverPastTheMember)
{
    FZipFileReader Reader(10);
    ASSERT_NE(Reader.GetCache(), nullptr);
    for (int i = 0; i < 10; ++i)
        Reader.GetCache()[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(Reader.GetSize(), 10);
    EXPECT_TRUE(Reader.IsLoading() && Reader.IsPersistent());
    unsigned char Out[8] = {};
    EXPECT_EQ(Reader.Read(Out, 4), 4);
    EXPECT_EQ(Reader.Read(Out + 4, 4), 4);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Out[i], i);
    EXPECT_FALSE(Reader.IsError());
    // 8 asked, 2 remain: those 2 come, the rest of the value is zeros, the error flag is set.
    unsigned char Tail[8];
    std::memset(Tail, 0xEE, sizeof(Tail));
    Reader.Serialize(Tail, 8);
    EXPECT_EQ(Tail[0], 8);
    EXPECT_EQ(Tail[1], 9);
    EXPECT_EQ(Tail[2], 0);
    EXPECT_TRUE(Reader.IsError());
    EXPECT_EQ(Reader.Read(Tail, 1), 0);
    Reader.Close();
    EXPECT_EQ(Reader.GetCache(), nullptr);
    EXPECT_EQ(Reader.Read(Tail, 1), 0);
}

TEST_F(ZipFileFixture, EachMemberIsStoredOnceAndWritesAfterTheStoreAreRefused)
{
    const Bytes Content = Pattern(5000, 3);
    FZipPackage Package(TVTEXT("once"));
    ASSERT_TRUE(Package.Open());
    {
        // One byte at a time and all at once store the same member.
        std::unique_ptr<FZipFileWriter> Bytewise(Package.CreateMemberWriter(TVTEXT("bytewise")));
        std::unique_ptr<FZipFileWriter> Whole(Package.CreateMemberWriter(TVTEXT("whole")));
        ASSERT_TRUE(Bytewise && Whole);
        for (unsigned char C : Content)
            Bytewise->Write(&C, 1);
        Whole->Write(const_cast<unsigned char*>(Content.data()), 5000);
        // Closed, then deleted: stored once. A write after the store is refused.
        Bytewise->Close();
        unsigned char Late = 'q';
        Bytewise->Write(&Late, 1);
        EXPECT_TRUE(Bytewise->IsError());
        Bytewise->Flush();
        // Nothing written: no member.
        std::unique_ptr<FZipFileWriter> Empty(Package.CreateMemberWriter(TVTEXT("empty")));
        Empty->Close();
        // Past the limit: not stored at all, not stored in part.
        std::unique_ptr<FZipFileWriter> Huge(Package.CreateMemberWriter(TVTEXT("huge")));
        std::vector<unsigned char> Big(FZipFileWriter::MaxMemberSize, 'h');
        Huge->Write(Big.data(), static_cast<tvULong>(Big.size()));
        Huge->Write(Big.data(), 1);
        EXPECT_TRUE(Huge->IsError());
    }
    Package.Close();
    const std::string Listing = PeerListing(Data.Native("once.xup"));
    EXPECT_EQ(Listing, "ok X++M41 bytewise:5000:8,whole:5000:8\n");

    FUnzipPackage Reading(TVTEXT("once"));
    Bytes A, B;
    ASSERT_TRUE(ReadMember(Reading, TVTEXT("bytewise"), A));
    ASSERT_TRUE(ReadMember(Reading, TVTEXT("whole"), B));
    EXPECT_EQ(A, Content);
    EXPECT_EQ(B, Content);
    EXPECT_EQ(Python(Data, "import zipfile\n"
                                 "z = zipfile.ZipFile('" + Data.Native("once.xup") + "')\n"
                                 "a, b = z.getinfo('bytewise'), z.getinfo('whole')\n"
                                 "print(a.compress_size == b.compress_size and a.CRC == b.CRC)\n"),
              "True\n");
}

TEST_F(ZipFileFixture, WritersOutlivingTheirPackageAreDetachedNotLeftDangling)
{
    const Bytes Content = Pattern(2000, 5);
    FZipFileWriter* Stored = nullptr;
    FZipFileWriter* Pending = nullptr;
    {
        FZipPackage Package(TVTEXT("outlived"));
        ASSERT_TRUE(Package.Open());
        Stored = Package.CreateMemberWriter(TVTEXT("stored"));
        Pending = Package.CreateMemberWriter(TVTEXT("pending"));
        Stored->Write(const_cast<unsigned char*>(Content.data()), 2000);
        Stored->Close();
        Pending->Write(const_cast<unsigned char*>(Content.data()), 1000);
    }
    // The package is gone: the pending member was never stored and its writer says so; using and
    // deleting both writers touches nothing of the finished zip.
    EXPECT_FALSE(Stored->IsError());
    EXPECT_TRUE(Pending->IsError());
    Pending->Write(const_cast<unsigned char*>(Content.data()), 10);
    Pending->Flush();
    delete Pending;
    delete Stored;
    EXPECT_EQ(PeerListing(Data.Native("outlived.xup")), "ok X++M41 stored:2000:8\n");
}
