// Members' checksums: the CRC-32 the reader checks against a plain bitwise CRC-32, and members
// whose data inflates but whose checksum does not match, refused at every size and method, and
// members read one after another through the inflater a package keeps.
#include "packages/PackageTestSupport.h"

#include "packages/tvZipChecksum.h"
#include "support/WideText.h"

using namespace Tolvane;
using namespace PackageTest;

namespace {

// The CRC-32 of zip, one bit at a time: the definition, independent of any table or folding.
std::uint32_t BitwiseCrc32(std::uint32_t Crc, const unsigned char* Data, std::size_t Length)
{
    Crc = ~Crc;
    for (std::size_t i = 0; i < Length; ++i) {
        Crc ^= Data[i];
        for (int Bit = 0; Bit < 8; ++Bit)
            Crc = (Crc >> 1) ^ (0xEDB88320u & (0u - (Crc & 1u)));
    }
    return ~Crc;
}

} // namespace

TEST(ZipChecksum, MatchesTheBitwiseDefinitionAtEveryLengthAndAlignment)
{
    const Bytes Data = Pattern((1 << 20) + 200, 3);
    const std::size_t Lengths[] = {0, 1, 15, 16, 17, 63, 64, 65, 79, 80, 127, 128, 129, 191, 255, 256, 1000, 4109, (1 << 20) + 7};
    const std::uint32_t Starts[] = {0u, 0xFFFFFFFFu, 0x12345678u};
    for (std::size_t Length : Lengths)
        for (std::size_t Offset : {0, 1, 7})
            for (std::uint32_t Start : Starts)
                EXPECT_EQ(ZipCrc32(Start, Data.data() + Offset, Length), BitwiseCrc32(Start, Data.data() + Offset, Length))
                    << "length " << Length << " offset " << Offset << " start " << Start;
    // Continuing from an earlier result is the checksum of the whole.
    const std::uint32_t Whole = BitwiseCrc32(0, Data.data(), 5000);
    for (std::size_t Split : {1, 63, 64, 100, 4096})
        EXPECT_EQ(ZipCrc32(ZipCrc32(0, Data.data(), Split), Data.data() + Split, 5000 - Split), Whole) << Split;
}

class ZipChecksumFixture : public PackageFixture {};

TEST_F(ZipChecksumFixture, MembersWhoseChecksumDoesNotMatchAreRefused)
{
    // Python writes each member deflated or stored; then the checksum in both the local header
    // and the directory of every member named "bad..." is changed, so the data itself still
    // reads and inflates whole.
    const std::string Made = Python(Data, "import zipfile, struct\n"
                                          "p = '" + Data.Native("sums.xup") + "'\n"
                                          "z = zipfile.ZipFile(p, 'w')\n"
                                          "for size in (10, 70, 300000):\n"
                                          "    data = bytes((i * 7 + i // 13) % 251 for i in range(size))\n"
                                          "    for method, tag in ((zipfile.ZIP_DEFLATED, 'd'), (zipfile.ZIP_STORED, 's')):\n"
                                          "        for kind in ('good', 'bad'):\n"
                                          "            z.writestr(zipfile.ZipInfo('%s%s%d' % (kind, tag, size)), data, method)\n"
                                          "z.comment = b'X++M41'\n"
                                          "z.close()\n"
                                          "b = bytearray(open(p, 'rb').read())\n"
                                          "for sig, crc_at, name_len_at, name_at in ((b'PK\\x03\\x04', 14, 26, 30), (b'PK\\x01\\x02', 16, 28, 46)):\n"
                                          "    i = b.find(sig)\n"
                                          "    while i >= 0:\n"
                                          "        n = struct.unpack_from('<H', b, i + name_len_at)[0]\n"
                                          "        if b[i + name_at:i + name_at + 3] == b'bad':\n"
                                          "            struct.pack_into('<I', b, i + crc_at, struct.unpack_from('<I', b, i + crc_at)[0] ^ 1)\n"
                                          "        i = b.find(sig, i + 4)\n"
                                          "open(p, 'wb').write(b)\n"
                                          "print('made')\n");
    ASSERT_EQ(Made, "made\n");
    FUnzipPackage Package(TVTEXT("sums"));
    ASSERT_TRUE(Package.Open());
    for (const char* Method : {"d", "s"}) {
        for (int Size : {10, 70, 300000}) {
            const std::string Good = std::string("good") + Method + std::to_string(Size);
            const std::string Bad = std::string("bad") + Method + std::to_string(Size);
            Bytes Expected(static_cast<std::size_t>(Size));
            for (int i = 0; i < Size; ++i)
                Expected[static_cast<std::size_t>(i)] = static_cast<unsigned char>((i * 7 + i / 13) % 251);
            Bytes Out;
            ASSERT_TRUE(ReadMember(Package, WideText(Good.begin(), Good.end()), Out)) << Good;
            EXPECT_EQ(Out, Expected) << Good;
            EXPECT_FALSE(ReadMember(Package, WideText(Bad.begin(), Bad.end()), Out)) << Bad;
        }
    }
}

TEST_F(ZipChecksumFixture, BytesLeftAfterAMembersStreamDoNotReachTheNextMember)
{
    // "tail" holds a deflate stream followed by four bytes the stream never reaches (written
    // stored, then marked deflated with the sizes and checksum of what it inflates to); the
    // members after it must still read whole, whatever order they are read in.
    const std::string Made = Python(Data, "import zipfile, struct, zlib\n"
                                          "p = '" + Data.Native("tail.xup") + "'\n"
                                          "text = b'the member text ' * 500\n"
                                          "c = zlib.compressobj(1, zlib.DEFLATED, -15)\n"
                                          "packed = c.compress(text) + c.flush() + b'JUNK'\n"
                                          "z = zipfile.ZipFile(p, 'w', zipfile.ZIP_DEFLATED)\n"
                                          "z.writestr(zipfile.ZipInfo('tail'), packed, zipfile.ZIP_STORED)\n"
                                          "z.writestr('next', text[::-1])\n"
                                          "z.writestr('last', b'x' * 70000)\n"
                                          "z.comment = b'X++M41'\n"
                                          "z.close()\n"
                                          "b = bytearray(open(p, 'rb').read())\n"
                                          "for sig, method_at, crc_at, name_at in ((b'PK\\x03\\x04', 8, 14, 30), (b'PK\\x01\\x02', 10, 16, 46)):\n"
                                          "    i = b.find(sig)\n"
                                          "    while i >= 0:\n"
                                          "        if b[i + name_at:i + name_at + 4] == b'tail':\n"
                                          "            struct.pack_into('<H', b, i + method_at, 8)\n"
                                          "            struct.pack_into('<III', b, i + crc_at, zlib.crc32(text), len(packed), len(text))\n"
                                          "        i = b.find(sig, i + 4)\n"
                                          "open(p, 'wb').write(b)\n"
                                          "print('made')\n");
    ASSERT_EQ(Made, "made\n");
    const std::string Text = [] {
        std::string Out;
        for (int i = 0; i < 500; ++i)
            Out += "the member text ";
        return Out;
    }();
    FUnzipPackage Package(TVTEXT("tail"));
    ASSERT_TRUE(Package.Open());
    for (int Round = 0; Round < 2; ++Round) {
        Bytes Out;
        ASSERT_TRUE(ReadMember(Package, WideText(TVTEXT("tail")), Out));
        EXPECT_EQ(std::string(Out.begin(), Out.end()), Text);
        ASSERT_TRUE(ReadMember(Package, WideText(TVTEXT("next")), Out));
        EXPECT_EQ(std::string(Out.begin(), Out.end()), std::string(Text.rbegin(), Text.rend()));
        ASSERT_TRUE(ReadMember(Package, WideText(TVTEXT("last")), Out));
        EXPECT_EQ(Out, Bytes(70000, 'x'));
    }
}
