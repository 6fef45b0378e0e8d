// The linear file system: recording a run's opens and reads into a ".lin" file through the
// native manager, and replaying them from that file alone.
#include "files/TempFolder.h"
#include "support/CollectingLogHook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

typedef std::vector<unsigned char> FBytes;

// Installs a linear manager of one mode as GFileManager, with a log that the test reads, and
// puts the library-wide state back to off at the end.
class LinearFiles : public ::testing::Test {
protected:
    FTempFolder Folder;
    FFileManager* SavedManager = GFileManager;
    FLog* SavedLog = GLog;
    FLog Log;
    TestSupport::FCollectingLogHook Hook;
    std::unique_ptr<FFileManager> Manager;

    void SetUp() override
    {
        ASSERT_TRUE(Folder.Ok());
        GLog = &Log;
        Log.Hook(&Hook);
    }
    void TearDown() override
    {
        Use(LOADINGMODE_Off);
        Manager.reset();
        GFileManager = SavedManager;
        GLog = SavedLog;
    }
    // Ends whatever ran, then installs the manager for Mode.
    void Use(ELoadingMode Mode)
    {
        appLinearFileSystemEnd();
        appLinearFileSystemResume();
        Manager.reset(appLinearFileSystemInit(Mode));
        GFileManager = Manager.get();
    }
    WideText Path(const char* Name) const
    {
        const std::string N(Name);
        return Folder.Path(WideText(N.begin(), N.end()));
    }
    FFileReader* Open(const char* Name) { return GFileManager->CreateReader(Path(Name).c_str()); }
    static FBytes ReadBytes(FFileReader& Reader, tvULong Count, int* Result = nullptr)
    {
        FBytes Out(Count, 0xEE);
        const int Got = Reader.Read(Out.data(), Count);
        if (Result)
            *Result = Got;
        return Out;
    }
    bool Exists(const char* Name) const { return std::filesystem::exists(Folder.Native(Name)); }
};

const FBytes GTen = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};

} // namespace

TEST_F(LinearFiles, ARecordedRunReplaysFromTheLinFileAloneAndItsBytesAreExact)
{
    Folder.Write("ten.bin", GTen);
    Use(LOADINGMODE_Save);
    appLinearFileSystemStart(Path("run").c_str());
    EXPECT_EQ(appLinearFileSystemIsSaving(), 1);
    EXPECT_EQ(appLinearFileSystemIsLoading(), 0);
    EXPECT_EQ(WideText(appLinearFileSystemGetFileName()), Path("run"));
    {
        std::unique_ptr<FFileReader> Ten(Open("ten.bin"));
        ASSERT_NE(Ten, nullptr);
        EXPECT_EQ(Ten->GetSize(), 10);
        EXPECT_EQ(ReadBytes(*Ten, 4), FBytes(GTen.begin(), GTen.begin() + 4));
        EXPECT_EQ(ReadBytes(*Ten, 6), FBytes(GTen.begin() + 4, GTen.end()));
        EXPECT_EQ(Open("missing.bin"), nullptr);
    }
    appLinearFileSystemEnd();
    EXPECT_EQ(appLinearFileSystemIsSaving(), 0);

    FBytes Expected = {0x01, 0x0A, 0x00, 0x00, 0x00};
    Expected.insert(Expected.end(), GTen.begin(), GTen.end());
    Expected.push_back(0x00);
    EXPECT_EQ(Folder.Read("run.lin"), Expected);
    EXPECT_FALSE(Exists("run.lin.tvsave"));

    // The originals are gone; the missing file now exists. The replay does not look at either.
    std::filesystem::remove(Folder.Native("ten.bin"));
    Folder.Write("missing.bin", {1, 2, 3});
    Use(LOADINGMODE_Load);
    appLinearFileSystemStart(Path("run").c_str());
    EXPECT_EQ(appLinearFileSystemIsLoading(), 1);
    {
        std::unique_ptr<FFileReader> Ten(Open("ten.bin"));
        ASSERT_NE(Ten, nullptr);
        EXPECT_EQ(Ten->GetSize(), 10);
        int Got = 0;
        EXPECT_EQ(ReadBytes(*Ten, 4, &Got), FBytes(GTen.begin(), GTen.begin() + 4));
        EXPECT_EQ(Got, 4);
        EXPECT_EQ(ReadBytes(*Ten, 6), FBytes(GTen.begin() + 4, GTen.end()));
        EXPECT_EQ(Ten->IsError(), 0);
        EXPECT_EQ(Open("missing.bin"), nullptr) << "recorded as missing, reported missing";
    }
    EXPECT_TRUE(Hook.Lines.empty());
}

TEST_F(LinearFiles, PausingRecordsNothingButEarlierReadersGoOnRecording)
{
    Folder.Write("a", {1, 2, 3});
    Folder.Write("b", {4, 5});
    Use(LOADINGMODE_Save);
    appLinearFileSystemStart(Path("p").c_str());
    std::unique_ptr<FFileReader> A(Open("a"));
    ASSERT_NE(A, nullptr);
    appLinearFileSystemPause();
    EXPECT_EQ(appLinearFileSystemIsSaving(), 0);
    std::unique_ptr<FFileReader> B(Open("b"));
    ASSERT_NE(B, nullptr);
    EXPECT_NE(dynamic_cast<FFileReaderWin*>(B.get()), nullptr) << "the wrapped manager's plain reader";
    ReadBytes(*B, 2);
    ReadBytes(*A, 3);  // opened before the pause: recorded
    EXPECT_EQ(Open("missing"), nullptr);
    appLinearFileSystemResume();
    EXPECT_EQ(appLinearFileSystemIsSaving(), 1);
    A.reset();
    B.reset();
    appLinearFileSystemEnd();
    EXPECT_EQ(Folder.Read("p.lin"), (FBytes{1, 3, 0, 0, 0, 1, 2, 3}));

    // Paused while replaying: the real file is read, and the replay keeps its place.
    Use(LOADINGMODE_Load);
    appLinearFileSystemStart(Path("p").c_str());
    appLinearFileSystemPause();
    std::unique_ptr<FFileReader> Real(Open("b"));
    ASSERT_NE(Real, nullptr);
    EXPECT_EQ(ReadBytes(*Real, 2), (FBytes{4, 5}));
    appLinearFileSystemResume();
    std::unique_ptr<FFileReader> Replayed(Open("anything"));
    ASSERT_NE(Replayed, nullptr);
    EXPECT_EQ(ReadBytes(*Replayed, 3), (FBytes{1, 2, 3}));
}

TEST_F(LinearFiles, ModeOffStartsNothingAndNamesAreKeptWithoutTheExtension)
{
    Use(LOADINGMODE_Off);
    EXPECT_NE(dynamic_cast<FFileManagerWin*>(GFileManager), nullptr);
    appLinearFileSystemStart(Path("off").c_str());
    EXPECT_EQ(appLinearFileSystemIsSaving(), 0);
    EXPECT_EQ(appLinearFileSystemIsLoading(), 0);
    EXPECT_EQ(WideText(appLinearFileSystemGetFileName()), Path("off"));
    EXPECT_FALSE(Exists("off.lin"));

    // Names: 255 units are taken, 256 are refused whole (with a log line) and change nothing.
    Use(LOADINGMODE_Save);
    const WideText Longest(255, TVTEXT('n')), TooLong(256, TVTEXT('n'));
    appLinearFileSystemStart(Longest.c_str());
    EXPECT_EQ(WideText(appLinearFileSystemGetFileName()), Longest);
    appLinearFileSystemEnd();  // (a 259-byte file name: the system refuses it, nothing is made)
    Hook.Lines.clear();
    appLinearFileSystemStart(TooLong.c_str());
    appLinearFileSystemStart(nullptr);
    EXPECT_EQ(appLinearFileSystemIsSaving(), 0);
    EXPECT_EQ(WideText(appLinearFileSystemGetFileName()), Longest);
    EXPECT_EQ(Hook.Lines.size(), 2u);
}

TEST_F(LinearFiles, AReplayThatRunsOutGoesOnWithRealFilesAndSaysSoOnce)
{
    Folder.Write("a", {1, 2, 3, 4});
    Use(LOADINGMODE_Save);
    appLinearFileSystemStart(Path("short").c_str());
    {
        std::unique_ptr<FFileReader> A(Open("a"));
        ReadBytes(*A, 2);
    }
    appLinearFileSystemEnd();
    ASSERT_EQ(Folder.Read("short.lin"), (FBytes{1, 4, 0, 0, 0, 1, 2}));

    Use(LOADINGMODE_Load);
    appLinearFileSystemStart(Path("short").c_str());
    std::unique_ptr<FFileReader> A(Open("a"));
    ASSERT_NE(A, nullptr);
    // More than the recording holds: nothing is handed out, and the error shows.
    int Got = -1;
    EXPECT_EQ(ReadBytes(*A, 3, &Got), FBytes(3, 0));
    EXPECT_EQ(Got, 0);
    EXPECT_EQ(A->IsError(), 1);
    EXPECT_EQ(ReadBytes(*A, 1, &Got), FBytes(1, 0));
    EXPECT_EQ(Got, 0);
    // Every later open reads the real file.
    std::unique_ptr<FFileReader> Again(Open("a"));
    ASSERT_NE(Again, nullptr);
    EXPECT_EQ(ReadBytes(*Again, 4), (FBytes{1, 2, 3, 4}));
    EXPECT_EQ(Open("missing"), nullptr);
    ASSERT_EQ(Hook.Lines.size(), 1u);
    EXPECT_NE(Hook.Lines[0].find(TVTEXT("short.lin has run out")), WideText::npos);

    // An open past the end of a recording does the same.
    Use(LOADINGMODE_Load);
    Hook.Lines.clear();
    appLinearFileSystemStart(Path("short").c_str());
    std::unique_ptr<FFileReader> First(Open("a"));
    ReadBytes(*First, 2);
    std::unique_ptr<FFileReader> Second(Open("a"));
    ASSERT_NE(Second, nullptr);
    EXPECT_EQ(ReadBytes(*Second, 4), (FBytes{1, 2, 3, 4}));
    EXPECT_EQ(Hook.Lines.size(), 1u);
}

TEST_F(LinearFiles, ClosedAndOutlivingReadersKeepTheReplayInStepAndNeverReadAnEndedStream)
{
    Folder.Write("a", {1, 2, 3, 4});
    Folder.Write("b", {9});
    Folder.Write("c", {7, 8, 9, 10});
    Use(LOADINGMODE_Save);
    appLinearFileSystemStart(Path("c").c_str());
    std::unique_ptr<FFileReader> A(Open("a"));
    ReadBytes(*A, 2);
    A->Close();
    int Got = -1;
    ReadBytes(*A, 2, &Got);
    EXPECT_EQ(Got, 0);
    EXPECT_EQ(A->GetSize(), 0);
    std::unique_ptr<FFileReader> B(Open("b"));
    ReadBytes(*B, 1);
    std::unique_ptr<FFileReader> C(Open("c"));
    EXPECT_EQ(C->Read(nullptr, 3), 0);
    ReadBytes(*C, 1);
    C.reset();
    appLinearFileSystemEnd();
    // Still alive after End: reads on, records nothing.
    EXPECT_EQ(ReadBytes(*B, 1, &Got), FBytes(1, 0xEE));
    EXPECT_EQ(Got, 0);
    A.reset();
    B.reset();
    EXPECT_EQ(Folder.Read("c.lin"), (FBytes{1, 4, 0, 0, 0, 1, 2, 0, 0, 1, 1, 0, 0, 0, 9, 1, 4, 0, 0, 0, 0, 0, 0, 7}))
        << "what a closed reader did not deliver is recorded as zero bytes";

    Use(LOADINGMODE_Load);
    appLinearFileSystemStart(Path("c").c_str());
    std::unique_ptr<FFileReader> RA(Open("a"));
    EXPECT_EQ(ReadBytes(*RA, 2), (FBytes{1, 2}));
    RA->Close();
    EXPECT_EQ(RA->GetSize(), 0);
    EXPECT_EQ(ReadBytes(*RA, 2, &Got), FBytes(2, 0));
    EXPECT_EQ(Got, 0) << "as the closed reader delivered";
    std::unique_ptr<FFileReader> RB(Open("b"));
    ASSERT_NE(RB, nullptr);
    EXPECT_EQ(ReadBytes(*RB, 1), FBytes{9});
    // A read with no buffer delivers nothing and keeps the replay in step.
    std::unique_ptr<FFileReader> RC(Open("c"));
    ASSERT_NE(RC, nullptr);
    EXPECT_EQ(RC->Read(nullptr, 3), 0);
    EXPECT_EQ(RC->IsError(), 1);
    EXPECT_EQ(ReadBytes(*RC, 1), FBytes{7});
    appLinearFileSystemEnd();
    EXPECT_EQ(ReadBytes(*RB, 1, &Got), FBytes(1, 0));
    EXPECT_EQ(Got, 0);
    EXPECT_EQ(RB->IsError(), 1);
    // The manager goes before its readers: they hold the channel, not the manager.
    Manager.reset();
    GFileManager = SavedManager;
    EXPECT_EQ(ReadBytes(*RA, 1, &Got), FBytes(1, 0));
}

TEST_F(LinearFiles, ALinFileThatCannotBeOpenedLeavesReplayOffAndAnEarlierRecordingIsKeptUntilTheNewOneEnds)
{
    Folder.Write("a", {5, 6});
    Use(LOADINGMODE_Load);
    appLinearFileSystemStart(Path("none").c_str());
    EXPECT_EQ(appLinearFileSystemIsLoading(), 0);
    ASSERT_EQ(Hook.Lines.size(), 1u);
    std::unique_ptr<FFileReader> Real(Open("a"));
    ASSERT_NE(Real, nullptr);
    EXPECT_EQ(ReadBytes(*Real, 2), (FBytes{5, 6}));
    Real.reset();

    Folder.Write("keep.lin", {0});
    Use(LOADINGMODE_Save);
    appLinearFileSystemStart(Path("keep").c_str());
    std::unique_ptr<FFileReader> A(Open("a"));
    ReadBytes(*A, 2);
    EXPECT_EQ(Folder.Read("keep.lin"), FBytes{0}) << "the earlier recording stays until the new one is complete";
    appLinearFileSystemEnd();
    EXPECT_EQ(Folder.Read("keep.lin"), (FBytes{1, 2, 0, 0, 0, 5, 6}));

    // Writers pass straight to the wrapped manager, recording or not.
    appLinearFileSystemStart(Path("w").c_str());
    std::unique_ptr<FFileWriter> Writer(GFileManager->CreateWriter(Path("out").c_str()));
    ASSERT_NE(Writer, nullptr);
    Writer->Write(const_cast<char*>("xy"), 2);
    Writer.reset();
    appLinearFileSystemEnd();
    EXPECT_EQ(Folder.Read("out"), (FBytes{'x', 'y'}));
    EXPECT_TRUE(Folder.Read("w.lin").empty());
}

TEST_F(LinearFiles, TextFilesReplayAfterTheirOriginalsAreDeleted)
{
    Folder.Write("t.txt", {0xFF, 0xFE, 0x2D, 0x4E, 'a', 0});
    Folder.Write("b.bin", {1, 2, 3});
    Use(LOADINGMODE_Save);
    appLinearFileSystemStart(Path("text").c_str());
    FString Loaded;
    ASSERT_EQ(appLoadFileToString(Loaded, Path("t.txt").c_str()), 1);
    TArray<unsigned char> Bytes;
    ASSERT_EQ(appLoadFileToArray(Bytes, Path("b.bin").c_str()), 1);
    appLinearFileSystemEnd();
    std::filesystem::remove(Folder.Native("t.txt"));
    std::filesystem::remove(Folder.Native("b.bin"));

    Use(LOADINGMODE_Load);
    appLinearFileSystemStart(Path("text").c_str());
    FString Replayed;
    ASSERT_EQ(appLoadFileToString(Replayed, Path("t.txt").c_str()), 1);
    EXPECT_EQ(WideText(static_cast<const tvWChar*>(Replayed)), TVTEXT("\u4E2Da"));
    TArray<unsigned char> ReplayedBytes;
    ASSERT_EQ(appLoadFileToArray(ReplayedBytes, Path("b.bin").c_str()), 1);
    EXPECT_EQ(FBytes(ReplayedBytes.GetData(), ReplayedBytes.GetData() + ReplayedBytes.Num()), (FBytes{1, 2, 3}));
}
