// Injected system-call failures under the IMG readers and writers: a writer whose write, flush
// or rename fails leaves the old file whole and no temporary file behind, and sets its error
// flag; a loader whose disk read fails hands out no bytes.
#include "img/ImgTestSupport.h"

#include "base/tvFaultInjection.h"
#include "support/FaultScope.h"
#include "support/WideText.h"

using namespace Tolvane;
using Faults::ESystemCall;
using tvtest::FFaultScope;

TEST(ImgFaults, FailedWriterKeepsTheOldFile)
{
    for (ESystemCall Call : {ESystemCall::Write, ESystemCall::Sync, ESystemCall::Rename}) {
        FTempFolder Folder;
        ASSERT_TRUE(Folder.Ok());
        Folder.Write("save.bin", ImgTest::Bytes("old"));
        const WideText Path = Folder.Path(TVTEXT("save.bin"));
        FFaultScope Scope;
        FRawFileWriterSync Writer(FString(Path.c_str()));
        ASSERT_EQ(Writer.Initialize(), 1);
        Faults::Arm(Call, 1, 28 /* ENOSPC */);
        unsigned char Text[] = {'n', 'e', 'w'};
        Writer.Write(Text, 3);
        Writer.Close();
        EXPECT_EQ(Writer.IsError(), 1) << int(Call);
        EXPECT_EQ(Folder.Read("save.bin"), ImgTest::Bytes("old")) << int(Call);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Native()), {}), 1) << int(Call);
    }
}

TEST(ImgFaults, FailedDiskReadGivesNoBytes)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    Folder.Write("data.bin", ImgTest::Pattern(1000));
    FFaultScope Scope;
    FImgLoaderSync Loader;
    ASSERT_EQ(Loader.Initialize(FString(Folder.Path(TVTEXT("data.bin")).c_str())), 1);
    Faults::Arm(ESystemCall::Read, 1, 5 /* EIO */);
    unsigned char Byte = 1;
    EXPECT_EQ(Loader.Read(&Byte, 1), 0);
    EXPECT_TRUE(Loader.HasFailed());
    EXPECT_EQ(Byte, 1);
    Faults::Arm(ESystemCall::Open, 1, 13 /* EACCES */);
    FImgArchiveWriter Writer;
    ASSERT_EQ(Writer.AddFile(TVTEXT("A"), "a", 1), 1);
    EXPECT_EQ(Writer.Save(Folder.Path(TVTEXT("pack.img")).c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(Folder.Native("pack.img")));
}
