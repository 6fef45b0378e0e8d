// What tools see of a package: the member list in directory order with the member table's view
// of each name, reading a member by its directory position, empty members stored on purpose,
// and whole files saved from bytes. Checked against Python's zipfile.
#include "packages/PackageTestSupport.h"

#include <filesystem>

using namespace Tolvane;
using namespace PackageTest;

namespace {

class PackageListingTests : public PackageFixture {};

std::string ReadAt(FUnzipPackage& Package, const FPackageMemberInfo& Member)
{
    std::unique_ptr<FZipFileReader> Reader(Package.CreateMemberReader(Member));
    if (!Reader)
        return "<null>";
    std::string Out(static_cast<std::size_t>(Reader->GetSize()), '\0');
    Reader->Serialize(Out.data(), static_cast<tvULong>(Out.size()));
    return Out;
}

} // namespace

TEST_F(PackageListingTests, MembersInDirectoryOrderWithTheTablesView)
{
    // The same name twice (letter case aside), a folder entry and an empty member.
    ASSERT_EQ(Python(Data, "import zipfile, zlib\n"
                           "z = zipfile.ZipFile('" + Data.Native("list.xup") + "', 'w', zipfile.ZIP_DEFLATED)\n"
                           "for n, t in [('Dup.txt', b'first'), ('dup.TXT', b'second!'), ('dir/', b''), ('e.txt', b'')]:\n"
                           "    z.writestr(n, t)\n"
                           "z.comment = b'X++M41'\n"
                           "z.close()\n"
                           "print(' '.join('%08x' % i.CRC for i in zipfile.ZipFile('" + Data.Native("list.xup") +
                           "').infolist()))\n"),
              "9271ee57 aab3393e 00000000 00000000\n");
    FUnzipPackage Package(TVTEXT("list"));
    TArray<FPackageMemberInfo> Members;
    ASSERT_TRUE(Package.GetMembers(Members));
    ASSERT_EQ(Members.Num(), 4);
    const char* Names[] = {"Dup.txt", "dup.TXT", "dir/", "e.txt"};
    const tvULong Sizes[] = {5, 7, 0, 0};
    const bool Found[] = {true, false, true, true};
    for (int Index = 0; Index < 4; ++Index) {
        EXPECT_STREQ(Members[Index].Name, Names[Index]);
        EXPECT_EQ(Members[Index].Size, Sizes[Index]);
        EXPECT_EQ(Members[Index].FoundByName, Found[Index]) << Names[Index];
        EXPECT_EQ(Members[Index].Bucket, Members[Index].NameHash & 3) << Names[Index];
    }
    EXPECT_EQ(Members[0].Crc, 0x9271ee57u);
    EXPECT_EQ(Members[1].Crc, 0xaab3393eu);
    EXPECT_EQ(Members[0].NameHash, Members[1].NameHash);  // the hash folds letter case
    EXPECT_EQ(Members[0].Method, 8u);

    // By position both members of the doubled name are reached; by name only the first.
    EXPECT_EQ(ReadAt(Package, Members[0]), "first");
    EXPECT_EQ(ReadAt(Package, Members[1]), "second!");
    Bytes ByName;
    ASSERT_TRUE(ReadMember(Package, TVTEXT("DUP.txt"), ByName));
    EXPECT_EQ(std::string(ByName.begin(), ByName.end()), "first");
    // A position that no longer holds the name, and empty members, give null.
    FPackageMemberInfo Moved = Members[1];
    std::strcpy(Moved.Name, "other.txt");
    EXPECT_EQ(ReadAt(Package, Moved), "<null>");
    EXPECT_EQ(ReadAt(Package, Members[3]), "<null>");

    // A package that is not there lists nothing and says so.
    FUnzipPackage Missing(TVTEXT("missing"));
    EXPECT_FALSE(Missing.GetMembers(Members));
    EXPECT_EQ(Members.Num(), 0);
}

TEST_F(PackageListingTests, EmptyMembersAreStoredAndReplaceOldOnes)
{
    ASSERT_TRUE(WritePackage(TVTEXT("empty"), {{TVTEXT("full.txt"), Bytes{'x', 'y'}}, {TVTEXT("keep.txt"), Bytes{'k'}}}));
    GZipWriteMode = ZIPWRITE_Update;
    {
        FZipPackage Package(TVTEXT("empty"));
        ASSERT_TRUE(Package.Open());
        EXPECT_TRUE(Package.StoreEmptyMember(TVTEXT("full.txt")));
        EXPECT_TRUE(Package.StoreEmptyMember(TVTEXT("folder\\")));
        Package.Close();
    }
    const std::string Listing = PeerListing(Data.Native("empty.xup"));
    EXPECT_EQ(Listing.substr(0, 10), "ok X++M41 ");
    EXPECT_NE(Listing.find("full.txt:0:"), std::string::npos) << Listing;
    EXPECT_NE(Listing.find("folder/:0:"), std::string::npos) << Listing;
    EXPECT_NE(Listing.find("keep.txt:1:"), std::string::npos) << Listing;
    EXPECT_EQ(Listing.find("full.txt:2:"), std::string::npos) << Listing;

    FZipPackage Closed(TVTEXT("nowhere/deeper/none"));
    EXPECT_FALSE(Closed.StoreEmptyMember(TVTEXT("a.txt")));
}

TEST_F(PackageListingTests, BytesSavedAsWholeFiles)
{
    const auto Path = Data.Path(TVTEXT("saved.bin"));
    const unsigned char Some[] = {0, 1, 2, 0xFF};
    ASSERT_EQ(appSaveBytesToFile(Some, 4, Path.c_str()), 1);
    EXPECT_EQ(Data.Read("saved.bin"), Bytes(Some, Some + 4));
    // Nothing is an empty file, replacing the old one; a null source with bytes is refused.
    ASSERT_EQ(appSaveBytesToFile(nullptr, 0, Path.c_str()), 1);
    EXPECT_TRUE(Data.Read("saved.bin").empty());
    ASSERT_EQ(appSaveBytesToFile(Some, 4, Path.c_str()), 1);
    EXPECT_EQ(appSaveBytesToFile(nullptr, 4, Path.c_str()), 0);
    EXPECT_EQ(appSaveBytesToFile(Some, 4, nullptr), 0);
    EXPECT_EQ(Data.Read("saved.bin"), Bytes(Some, Some + 4));
    EXPECT_EQ(appSaveBytesToFile(Some, 4, Data.Path(TVTEXT("no/such/folder/x.bin")).c_str()), 0);
}
