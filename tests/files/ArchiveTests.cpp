// The archive base: direction flags, version, and the stored width of every built-in value.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

// A bare archive over a byte vector: saving appends, loading consumes from the front.
class FVectorArchive : public FArchive {
public:
    explicit FVectorArchive(bool Loading, std::vector<unsigned char> InBytes = {}) : Bytes(std::move(InBytes))
    {
        ArFlags = Loading ? FlagLoading : FlagSaving;
    }
    void Serialize(void* Data, tvULong Length) override
    {
        unsigned char* P = static_cast<unsigned char*>(Data);
        if (IsSaving()) {
            Bytes.insert(Bytes.end(), P, P + Length);
        } else {
            ASSERT_LE(Position + Length, Bytes.size());
            std::memcpy(P, Bytes.data() + Position, Length);
            Position += Length;
        }
    }
    std::vector<unsigned char> Bytes;
    std::size_t Position = 0;
};

template <class T, class = void>
struct TCanSerialize : std::false_type {};
template <class T>
struct TCanSerialize<T, decltype(void(std::declval<FArchive&>() << std::declval<T>()))> : std::true_type {};

} // namespace

TEST(Archive, StartsWithoutDirectionAtVersion41AndCopiesCarryBoth)
{
    FVectorArchive Saver(false);
    EXPECT_EQ(Saver.IsSaving(), 1);
    EXPECT_EQ(Saver.IsLoading(), 0);
    EXPECT_EQ(Saver.IsPersistent(), 0);
    EXPECT_EQ(Saver.GetVersion(), 41u);
    Saver.SetVersion(7);
    Saver.SetError();
    FVectorArchive Copy(true);
    Copy = Saver;
    EXPECT_EQ(Copy.IsSaving(), 1);
    EXPECT_EQ(Copy.GetVersion(), 7u);
    EXPECT_EQ(Copy.IsError(), 0) << "the failure state belongs to one stream";
    EXPECT_EQ(appIsBigEndian(), 0);
}

TEST(Archive, BuiltInValuesKeepTheirFullWidthInLittleEndianOrder)
{
    char C = 'A';
    unsigned char UC = 0xFE;
    short S = -2;
    unsigned short US = 0x1234;
    int I = -7;
    unsigned int UI = 0x89ABCDEFu;
    tvULong UL = 0x01020304u;
    float F = 1.5f;
    unsigned long long ULL = 0x1122334455667788ull;

    FVectorArchive Saver(false);
    Saver << C << UC << S << US << I << UI << UL << F << ULL;
    const std::vector<unsigned char> Expected = {
        0x41, 0xFE, 0xFE, 0xFF, 0x34, 0x12, 0xF9, 0xFF, 0xFF, 0xFF, 0xEF, 0xCD, 0xAB, 0x89,
        0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0xC0, 0x3F, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(Saver.Bytes, Expected);

    char C2 = 0;
    unsigned char UC2 = 0;
    short S2 = 0;
    unsigned short US2 = 0;
    int I2 = 0;
    unsigned int UI2 = 0;
    tvULong UL2 = 0;
    float F2 = 0;
    unsigned long long ULL2 = 0;
    FVectorArchive Loader(true, Expected);
    Loader << C2 << UC2 << S2 << US2 << I2 << UI2 << UL2 << F2 << ULL2;
    EXPECT_EQ(Loader.Position, Expected.size());
    EXPECT_EQ(C2, C);
    EXPECT_EQ(UC2, UC);
    EXPECT_EQ(S2, S);
    EXPECT_EQ(US2, US);
    EXPECT_EQ(I2, I);
    EXPECT_EQ(UI2, UI);
    EXPECT_EQ(UL2, UL);
    EXPECT_EQ(F2, F);
    EXPECT_EQ(ULL2, ULL);
}

TEST(Archive, ConstantsSaveAndByteOrderSerializeNeverReorders)
{
    FVectorArchive Saver(false);
    Saver << 7 << static_cast<const short&>(short(3));
    unsigned char Raw[4] = {1, 2, 3, 4};
    Saver.ByteOrderSerialize(Raw, 4);
    EXPECT_EQ(Saver.Bytes, (std::vector<unsigned char>{7, 0, 0, 0, 3, 0, 1, 2, 3, 4}));
}

TEST(Archive, TypesWithoutAStoredFormAreRefusedAtCompileTime)
{
    // Each of these would otherwise reach the archive as a temporary int: a load would be lost.
    EXPECT_FALSE(TCanSerialize<bool&>::value);
    EXPECT_FALSE(TCanSerialize<signed char&>::value);
    EXPECT_FALSE(TCanSerialize<Tolvane::tvWChar&>::value);
    EXPECT_FALSE(TCanSerialize<wchar_t&>::value);
    EXPECT_FALSE(TCanSerialize<double&>::value);
    EXPECT_FALSE(TCanSerialize<long long&>::value);
    EXPECT_TRUE(TCanSerialize<int&>::value);
    EXPECT_TRUE(TCanSerialize<tvULong&>::value);
    EXPECT_TRUE(TCanSerialize<const unsigned long long&>::value);
}

namespace {
// An asynchronous reader whose blocking read serves bytes from a fixed text and that keeps a
// cache the base class must release.
class FTextAsyncReader : public FFileAsyncReader {
public:
    FTextAsyncReader()
    {
        Cache = static_cast<unsigned char*>(GMalloc->Malloc(64));
        SetCacheSize(64);
    }
    int GetSize() override { return 3; }
    tvULong SendReadRequest(void*, tvULong, FReadRequestCallback, tvLong) override { return 0xFFFFFFFFu; }
    tvULong GetRequestReadSize(tvULong) override { return 0; }
    void WaitForRequest(tvULong) override {}
    int DestroyRequest(tvULong) override { return 0; }
    int SyncRead(void* Data, tvULong Length) override
    {
        const tvULong Left = 3 - GetCurrentPos();
        const tvULong Count = Length < Left ? Length : Left;
        static const char GText[] = "xyz";
        std::memcpy(Data, &GText[GetCurrentPos()], Count);
        SetCurrentPos(GetCurrentPos() + Count);
        ++SyncReads;
        return static_cast<int>(Count);
    }
    int SyncReads = 0;
};
} // namespace

TEST(FileArchives, AsyncReaderReadsThroughSyncReadAndTheBaseReleasesItsCache)
{
    FTextAsyncReader* Reader = new FTextAsyncReader;
    EXPECT_EQ(Reader->IsLoading(), 1);
    EXPECT_EQ(Reader->IsPersistent(), 1);
    EXPECT_EQ(Reader->IsSaving(), 0);
    EXPECT_NE(Reader->GetCacheBuffer(), nullptr);
    EXPECT_EQ(Reader->GetCacheSize(), 64u);
    unsigned short Two = 0;
    *Reader << Two;
    EXPECT_EQ(Two, 'x' | ('y' << 8));
    EXPECT_EQ(Reader->SyncReads, 1);
    EXPECT_EQ(Reader->IsError(), 0);
    int Four = -1;
    *Reader << Four;  // one byte left: the rest is zero, and the shortage shows
    EXPECT_EQ(Four, 'z');
    EXPECT_EQ(Reader->IsError(), 1);
    Reader->Close();  // does nothing for the base asynchronous reader
    delete Reader;    // the cache goes back through GMalloc (a leak would show under the sanitizer)
}
