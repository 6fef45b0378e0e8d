// The loader's window: what it holds after each read and seek, on files of known contents.
#include "img/ImgTestSupport.h"
#include "support/WideText.h"

using namespace Tolvane;
using ImgTest::Pattern;

namespace {

struct FWindow {
    tvULong HeadStart, HeadSize, TailStart, TailSize;
};

FWindow WindowOf(const FImgLoader& Loader)
{
    const IMGBUFFER* Head = Loader.GetInuseHead();
    const IMGBUFFER* Tail = Loader.GetInuseTail();
    return {Head ? Head->Start : 0xFFFFFFFFu, Head ? Head->Size : 0, Tail ? Tail->Start : 0xFFFFFFFFu,
            Tail ? Tail->Size : 0};
}

#define EXPECT_WINDOW(Loader, HS, HZ, TS, TZ)                                                     \
    do {                                                                                          \
        const FWindow W = WindowOf(Loader);                                                       \
        EXPECT_EQ(W.HeadStart, tvULong(HS)); EXPECT_EQ(W.HeadSize, tvULong(HZ));                  \
        EXPECT_EQ(W.TailStart, tvULong(TS)); EXPECT_EQ(W.TailSize, tvULong(TZ));                  \
    } while (0)

class ImgLoader : public ::testing::Test {
protected:
    void Open(std::size_t Size)
    {
        ASSERT_TRUE(Folder.Ok());
        Contents = Pattern(Size);
        Folder.Write("file.bin", Contents);
        ASSERT_EQ(Loader.Initialize(FString(Folder.Path(TVTEXT("file.bin")).c_str())), 1);
    }
    FTempFolder Folder;
    std::vector<unsigned char> Contents;
    FImgLoaderSync Loader;
};

} // namespace

TEST_F(ImgLoader, InitializeReadsNothingAndFreesBothBuffers)
{
    Open(100000);
    EXPECT_EQ(Loader.GetLength(), 100000u);
    EXPECT_EQ(Loader.GetInuseHead(), nullptr);
    EXPECT_EQ(Loader.GetLoadPosition(), 0u);
    // Buffer 0 was pushed first, so buffer 1 is at the front of the free list.
    EXPECT_EQ(Loader.GetFreeList(), Loader.GetBuffer(1));
    EXPECT_EQ(Loader.GetFreeList()->Next, Loader.GetBuffer(0));
}

TEST_F(ImgLoader, SmallFileIsWholeInTheWindowAndNothingIsDropped)
{
    Open(100000);
    std::vector<unsigned char> Got(100000);
    ASSERT_EQ(Loader.Read(Got.data(), 10), 1);
    EXPECT_WINDOW(Loader, 0, 65536, 65536, 100000 - 65536);
    ASSERT_EQ(Loader.Read(Got.data() + 10, 100000 - 10), 1);
    EXPECT_EQ(Got, Contents);
    EXPECT_WINDOW(Loader, 0, 65536, 65536, 100000 - 65536);
    EXPECT_EQ(Loader.GetUserPosition(), 100000u);
}

TEST_F(ImgLoader, ReadingForwardSlidesTheWindowOneBufferAtATime)
{
    Open(200000);
    std::vector<unsigned char> Got(200000);
    // Steps chosen to stop just before and at each buffer boundary.
    struct FStep {
        tvULong To;
        tvULong HeadStart, HeadSize, TailStart, TailSize;
    };
    const FStep Steps[] = {
        {1, 0, 65536, 65536, 65536},
        {65535, 0, 65536, 65536, 65536},
        {65536, 65536, 65536, 131072, 65536},
        {131071, 65536, 65536, 131072, 65536},
        {131072, 131072, 65536, 196608, 3392},
        {200000, 131072, 65536, 196608, 3392},
    };
    tvULong At = 0;
    for (const FStep& Step : Steps) {
        ASSERT_EQ(Loader.Read(Got.data() + At, Step.To - At), 1) << Step.To;
        At = Step.To;
        EXPECT_WINDOW(Loader, Step.HeadStart, Step.HeadSize, Step.TailStart, Step.TailSize);
    }
    EXPECT_EQ(Got, Contents);
    EXPECT_EQ(Loader.GetLoadPosition(), 200000u);
}

TEST_F(ImgLoader, SeeksAtTheEndsAndOutside)
{
    Open(200000);
    unsigned char Byte = 0;
    EXPECT_EQ(Loader.SeekFile(0, SEEK_FromEnd), 1);
    EXPECT_EQ(Loader.GetUserPosition(), 200000u);
    EXPECT_EQ(Loader.Read(&Byte, 1), 0);
    EXPECT_EQ(Loader.Read(&Byte, 0), 1);
    EXPECT_EQ(Loader.SeekFile(1, SEEK_FromEnd), 0);
    EXPECT_EQ(Loader.SeekFile(200001, SEEK_FromBegin), 0);
    EXPECT_EQ(Loader.SeekFile(0, ESeekMethod(3)), 0);
    EXPECT_EQ(Loader.GetUserPosition(), 200000u);
    // A relative seek by 0xFFFFFFFF is one byte back.
    EXPECT_EQ(Loader.SeekFile(0xFFFFFFFFu, SEEK_FromCurrent), 1);
    EXPECT_EQ(Loader.GetUserPosition(), 199999u);
    ASSERT_EQ(Loader.Read(&Byte, 1), 1);
    EXPECT_EQ(Byte, Contents[199999]);
    // Back to the start: before the window, so both buffers are reloaded from there.
    EXPECT_EQ(Loader.ResetFile(), 1);
    EXPECT_WINDOW(Loader, 0, 65536, 65536, 65536);
    EXPECT_EQ(Loader.GetLoadPosition(), 131072u);
    // A seek inside the window keeps it; one past it reloads at the new position.
    EXPECT_EQ(Loader.SeekFile(70000, SEEK_FromBegin), 1);
    EXPECT_WINDOW(Loader, 65536, 65536, 131072, 65536);
    EXPECT_EQ(Loader.SeekFile(199990, SEEK_FromBegin), 1);
    EXPECT_WINDOW(Loader, 199990, 10, 199990, 10);
    unsigned char Tail[10];
    ASSERT_EQ(Loader.Read(Tail, 10), 1);
    EXPECT_TRUE(std::equal(Tail, Tail + 10, Contents.begin() + 199990));
    EXPECT_EQ(Loader.Read(Tail, 1), 0);
}

TEST_F(ImgLoader, EmptyFileMissingFileAndDirectory)
{
    Open(0);
    unsigned char Byte = 0;
    EXPECT_EQ(Loader.Read(&Byte, 1), 0);
    EXPECT_EQ(Loader.Read(&Byte, 0), 1);
    EXPECT_EQ(Loader.SeekFile(0, SEEK_FromEnd), 1);

    FImgLoaderSync Missing;
    EXPECT_EQ(Missing.Initialize(FString(Folder.Path(TVTEXT("none.bin")).c_str())), 0);
    FImgLoaderSync Directory;
    EXPECT_EQ(Directory.Initialize(FString(Folder.Path(TVTEXT("")).c_str())), 0);
}
