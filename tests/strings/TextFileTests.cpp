// Text files and whole-file byte arrays through GFileManager, on the native manager and on a
// memory manager (the functions reach files only through the installed manager).
#include "files/MemoryFileManager.h"
#include "files/TempFolder.h"
#include "support/CollectingLogHook.h"
#include "support/ScopedMalloc.h"
#include "support/CrashHarness.h"
#include "base/tvFaultInjection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

typedef std::vector<unsigned char> FBytes;

WideText Text(const FString& S) { return WideText(static_cast<const tvWChar*>(S), S.GetLength()); }

// The files the tests use, on whichever manager is installed.
class FFiles {
public:
    virtual ~FFiles() = default;
    virtual FFileManager& Manager() = 0;
    virtual WideText Path(const WideText& Name) = 0;
    virtual void Put(const WideText& Name, const FBytes& Bytes) = 0;
    // Null when there is no such file.
    virtual bool Get(const WideText& Name, FBytes& Bytes) = 0;
};

class FNativeFiles : public FFiles {
public:
    FTempFolder Folder;
    FFileManagerWin Native;
    FFileManager& Manager() override { return Native; }
    WideText Path(const WideText& Name) override { return Folder.Path(Name); }
    void Put(const WideText& Name, const FBytes& Bytes) override
    {
        Folder.Write(std::string(Name.begin(), Name.end()), Bytes);
    }
    bool Get(const WideText& Name, FBytes& Bytes) override
    {
        const std::string Narrow(Name.begin(), Name.end());
        if (!std::filesystem::exists(Folder.Native(Narrow)))
            return false;
        Bytes = Folder.Read(Narrow);
        return true;
    }
};

class FMemoryFiles : public FFiles {
public:
    FInMemoryFileManager Memory;
    FFileManager& Manager() override { return Memory; }
    WideText Path(const WideText& Name) override { return TVTEXT("mem:") + Name; }
    void Put(const WideText& Name, const FBytes& Bytes) override { Memory.Files[Path(Name)] = Bytes; }
    bool Get(const WideText& Name, FBytes& Bytes) override
    {
        auto Found = Memory.Files.find(Path(Name));
        if (Found == Memory.Files.end())
            return false;
        Bytes = Found->second;
        return true;
    }
};

class TextFiles : public ::testing::TestWithParam<const char*> {
protected:
    std::unique_ptr<FFiles> Files;
    FFileManager* SavedManager = nullptr;
    FLog* SavedLog = nullptr;
    FLog Log;
    TestSupport::FCollectingLogHook Hook;

    void SetUp() override
    {
        if (std::string(GetParam()) == "native")
            Files.reset(new FNativeFiles);
        else
            Files.reset(new FMemoryFiles);
        SavedManager = GFileManager;
        SavedLog = GLog;
        GFileManager = &Files->Manager();
        GLog = &Log;
        Log.Hook(&Hook);
    }
    void TearDown() override
    {
        GFileManager = SavedManager;
        GLog = SavedLog;
    }
    WideText Path(const WideText& Name) { return Files->Path(Name); }
};

} // namespace

TEST_P(TextFiles, LoadingByTheFirstBytes)
{
    struct FCase {
        const char* What;
        FBytes Bytes;
        int Result;
        WideText Loaded;  // when Result is 0: the text stays "keep"
        bool SwapLogged;
    };
    const FCase Cases[] = {
        {"single-byte", {'a', 'b', 'c'}, 1, TVTEXT("abc"), false},
        {"little-endian mark", {0xFF, 0xFE, 0x2D, 0x4E}, 1, TVTEXT("\u4E2D"), false},
        {"big-endian mark", {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42}, 1, TVTEXT("AB"), true},
        {"two bytes, just a mark", {0xFF, 0xFE}, 0, TVTEXT("keep"), false},
        {"two bytes of text", {'a', 'b'}, 0, TVTEXT("keep"), false},
        {"one byte", {'a'}, 0, TVTEXT("keep"), false},
        {"empty", {}, 0, TVTEXT("keep"), false},
        {"single-byte 0 in the middle", {'a', 'b', 0, 'c', 'd'}, 1, TVTEXT("ab"), false},
        {"UTF-16 0 in the middle", {0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}, 1, TVTEXT("A"), false},
        {"UTF-16LE odd last byte dropped", {0xFF, 0xFE, 'A', 0, 'B'}, 1, TVTEXT("A"), false},
        {"UTF-16BE odd last byte dropped", {0xFE, 0xFF, 0, 'A', 'B'}, 1, TVTEXT("A"), true},
        {"only a mark and a 0 unit", {0xFF, 0xFE, 0, 0}, 1, TVTEXT(""), false},
        {"a mark and one odd byte", {0xFF, 0xFE, 'A'}, 1, TVTEXT(""), false},
        {"Windows-1252 bytes", {0x80, 0xE9, 0x41}, 1, TVTEXT("\u20AC\u00E9A"), false},
        {"UTF-16 surrogate pair", {0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}, 1, TVTEXT("\U0001F600"), false},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        Files->Put(TVTEXT("t.txt"), Case.Bytes);
        Hook.Lines.clear();
        FString Loaded(TVTEXT("keep"));
        EXPECT_EQ(appLoadFileToString(Loaded, Path(TVTEXT("t.txt")).c_str()), Case.Result);
        EXPECT_EQ(Text(Loaded), Case.Loaded);
        if (Case.SwapLogged) {
            ASSERT_EQ(Hook.Lines.size(), 1u);
            EXPECT_EQ(Hook.Lines[0], TVTEXT("Log: We are changing byte order for file: ") + Path(TVTEXT("t.txt")));
        } else {
            EXPECT_TRUE(Hook.Lines.empty());
        }
    }
    FString Kept(TVTEXT("keep"));
    EXPECT_EQ(appLoadFileToString(Kept, Path(TVTEXT("missing.txt")).c_str()), 0);
    EXPECT_EQ(Text(Kept), TVTEXT("keep"));
}

TEST_P(TextFiles, SavingWritesLatin1BelowAndAMarkedUtf16LEFromCharacter256)
{
    struct FCase {
        const char* What;
        WideText Saved;
        FBytes Bytes;
        WideText LoadedBack;
    };
    const FCase Cases[] = {
        {"ASCII", TVTEXT("abc"), {0x61, 0x62, 0x63}, TVTEXT("abc")},
        // Two bytes or less never load again (see the loading cases).
        {"one character at 0x4E2D", TVTEXT("\u4E2D"), {0xFF, 0xFE, 0x2D, 0x4E}, TVTEXT("\u4E2D")},
        {"all below 256", TVTEXT("\u00E9\u00FFz"), {0xE9, 0xFF, 'z'}, TVTEXT("\u00E9\u00FFz")},
        // Bytes 128 to 159 mean other characters in the ANSI code page.
        {"0x80 comes back through the code page", TVTEXT("\u0080xy"), {0x80, 'x', 'y'}, TVTEXT("\u20ACxy")},
        {"one at 256 makes all two bytes", TVTEXT("a\u0100"), {0xFF, 0xFE, 'a', 0, 0x00, 0x01}, TVTEXT("a\u0100")},
        {"a 0 inside a single-byte text is written", WideText(TVTEXT("a\0b"), 3), {'a', 0, 'b'}, TVTEXT("a")},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        EXPECT_EQ(appSaveStringToFile(FString(Case.Saved.data(), int(Case.Saved.size())), Path(TVTEXT("s.txt")).c_str()), 1);
        FBytes Written;
        ASSERT_TRUE(Files->Get(TVTEXT("s.txt"), Written));
        EXPECT_EQ(Written, Case.Bytes);
        FString Loaded(TVTEXT("keep"));
        appLoadFileToString(Loaded, Path(TVTEXT("s.txt")).c_str());
        EXPECT_EQ(Text(Loaded), Case.LoadedBack);
    }
    // An empty text touches nothing.
    EXPECT_EQ(appSaveStringToFile(FString(), Path(TVTEXT("empty.txt")).c_str()), 0);
    FBytes None;
    EXPECT_FALSE(Files->Get(TVTEXT("empty.txt"), None));
}

TEST_P(TextFiles, LongTextsRoundTripAcrossTheWriteBuffer)
{
    WideText Wide, Narrow;
    for (int i = 0; i < 40000; ++i) {
        Wide += static_cast<Tolvane::tvWChar>(0x4E00 + i % 500);
        Narrow += static_cast<Tolvane::tvWChar>('a' + i % 26);
    }
    for (const WideText& Saved : {Wide, Narrow}) {
        ASSERT_EQ(appSaveStringToFile(FString(Saved.c_str()), Path(TVTEXT("long.txt")).c_str()), 1);
        FBytes Written;
        ASSERT_TRUE(Files->Get(TVTEXT("long.txt"), Written));
        EXPECT_EQ(Written.size(), Saved == Wide ? 2 + 2 * Saved.size() : Saved.size());
        FString Loaded;
        ASSERT_EQ(appLoadFileToString(Loaded, Path(TVTEXT("long.txt")).c_str()), 1);
        EXPECT_TRUE(Text(Loaded) == Saved);
    }
}

TEST_P(TextFiles, WholeFilesToArrays)
{
    TArray<unsigned char> Bytes;
    Bytes.AddItem(7);
    EXPECT_EQ(appLoadFileToArray(Bytes, Path(TVTEXT("missing")).c_str()), 0);
    ASSERT_EQ(Bytes.Num(), 1) << "a failed load leaves the array as it was";

    Files->Put(TVTEXT("empty"), {});
    EXPECT_EQ(appLoadFileToArray(Bytes, Path(TVTEXT("empty")).c_str()), 1);
    EXPECT_EQ(Bytes.Num(), 0);

    const FBytes Data = {0, 1, 2, 0xFF, 0xFE, 0};
    Files->Put(TVTEXT("data"), Data);
    ASSERT_EQ(appLoadFileToArray(Bytes, Path(TVTEXT("data")).c_str()), 1);
    EXPECT_EQ(FBytes(Bytes.GetData(), Bytes.GetData() + Bytes.Num()), Data);
}

TEST_P(TextFiles, AWriterThatLosesBytesReportsFailureAndKeepsTheGoodFile)
{
    Files->Put(TVTEXT("good.txt"), {'o', 'l', 'd'});
    WideText Long(5000, TVTEXT('x'));
    if (std::string(GetParam()) == "memory") {
        static_cast<FMemoryFiles&>(*Files).Memory.FailAfter = 100;
        EXPECT_EQ(appSaveStringToFile(FString(Long.c_str()), Path(TVTEXT("good.txt")).c_str()), 0);
    } else {
        // A file size limit stands in for a full disk: writes past it fail.
        struct rlimit Saved;
        getrlimit(RLIMIT_FSIZE, &Saved);
        struct rlimit Small = Saved;
        Small.rlim_cur = 100;
        std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
        const int Result = appSaveStringToFile(FString(Long.c_str()), Path(TVTEXT("good.txt")).c_str());
        setrlimit(RLIMIT_FSIZE, &Saved);
        EXPECT_EQ(Result, 0);
        FNativeFiles& Native = static_cast<FNativeFiles&>(*Files);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Native.Folder.Native()),
                                std::filesystem::directory_iterator()), 1)
            << "nothing is left beside the file";
    }
    FBytes Kept;
    ASSERT_TRUE(Files->Get(TVTEXT("good.txt"), Kept));
    EXPECT_EQ(Kept, (FBytes{'o', 'l', 'd'}));
}

INSTANTIATE_TEST_SUITE_P(Managers, TextFiles, ::testing::Values("native", "memory"));

namespace {

// Hands out readers that claim a size they cannot deliver: the first bytes come from Start,
// and no more than 4 bytes arrive in all.
class FClaimingManager : public FFileManager {
public:
    int ClaimedSize = 0;
    const char* Start = "abcd";
    class FReader : public FFileReader {
    public:
        FReader(int InSize, const char* InStart) : Size(InSize), Start(InStart) {}
        int GetSize() override { return Size; }
        void Close() override {}
        int Read(void* Data, tvULong Length) override
        {
            const tvULong Count = std::min<tvULong>(Length, 4 - Given);
            std::memcpy(Data, Start + Given, Count);
            Given += Count;
            return static_cast<int>(Count);
        }
        int Size;
        const char* Start;
        tvULong Given = 0;
    };
    FFileReader* CreateReader(const tvWChar*) override { return new FReader(ClaimedSize, Start); }
    FFileWriter* CreateWriter(const tvWChar*) override { return nullptr; }
};

// Records the debug info given just before each allocation and refuses blocks above a limit.
class FDebugInfoMalloc : public FMalloc {
public:
    FMalloc* Inner = GMalloc;
    std::string PendingFile;
    int PendingLine = -1;
    std::vector<std::string> Requests;  // "file:line:size" for requests that followed debug info
    unsigned int Limit = 1u << 30;
    void SetDebugInfo(const char* File, int Line) override
    {
        PendingFile = File ? File : "";
        PendingLine = Line;
    }
    void* Malloc(unsigned int Size) override
    {
        if (PendingLine >= 0)
            Requests.push_back(PendingFile + ":" + std::to_string(PendingLine) + ":" + std::to_string(Size));
        PendingLine = -1;
        return Size > Limit ? nullptr : Inner->Malloc(Size);
    }
    void* Realloc(void* Ptr, unsigned int Size) override { return Inner->Realloc(Ptr, Size); }
    void Free(void* Ptr) override { Inner->Free(Ptr); }
};

struct FManagerScope {
    FFileManager* Saved = GFileManager;
    explicit FManagerScope(FFileManager* With) { GFileManager = With; }
    ~FManagerScope() { GFileManager = Saved; }
};

} // namespace

TEST(TextFileAllocation, BuffersAreNamedForTheAllocatorWithTheirSizes)
{
    FInMemoryFileManager Memory;
    Memory.Files[TVTEXT("a")] = {'a', 'b', 'c', 'd', 'e'};
    Memory.Files[TVTEXT("w")] = {0xFF, 0xFE, 'a', 0, 'b', 0};
    FManagerScope Scope(&Memory);
    FDebugInfoMalloc Recorder;
    {
        TestSupport::FScopedMalloc Use(&Recorder);
        FString Single, Wide;
        EXPECT_EQ(appLoadFileToString(Single, TVTEXT("a")), 1);
        EXPECT_EQ(appLoadFileToString(Wide, TVTEXT("w")), 1);
    }
    // Single-byte: the raw bytes (size + 2), then the wide text (a string of size units: its
    // 12-byte header and size + 1 units). UTF-16: the text goes straight into the string.
    EXPECT_EQ(Recorder.Requests,
              (std::vector<std::string>{"tvCore_Win32:266:7", "tvCore_Win32:322:24", "tvCore_Win32:266:18"}));
}

TEST(TextFileAllocation, SizesThatCannotBeHeldAreRefusedWithoutAWrappedBuffer)
{
    constexpr int LargestSingleByte = (INT_MAX - 2) / 2;
    struct FCase {
        const char* What;
        int Size;
        const char* Start;
        std::vector<std::string> Requests;
    };
    const FCase Cases[] = {
        {"UTF-16 of the largest int size: one unwrapped request, refused", INT_MAX, "\xFF\xFE" "ab",
         {"tvCore_Win32:266:" + std::to_string(12ull + 2ull * ((unsigned(INT_MAX) - 2) / 2 + 1))}},
        {"single-byte whose wide buffer would not fit an int: no request", LargestSingleByte + 1, "abcd", {}},
        {"the largest single-byte size: asked for, refused", LargestSingleByte, "abcd",
         {"tvCore_Win32:266:" + std::to_string(unsigned(LargestSingleByte) + 2u)}},
        {"negative size", -5, "abcd", {}},
        {"a reader that delivers less than its size", 10, "abcd", {"tvCore_Win32:266:12"}},
        {"UTF-16 delivered short (a string of 5 units)", 12, "\xFF\xFE" "ab", {"tvCore_Win32:266:24"}},
    };
    FClaimingManager Claiming;
    FManagerScope Scope(&Claiming);
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        Claiming.ClaimedSize = Case.Size;
        Claiming.Start = Case.Start;
        FDebugInfoMalloc Recorder;
        Recorder.Limit = 1u << 20;
        FString Loaded(TVTEXT("keep"));
        {
            TestSupport::FScopedMalloc Use(&Recorder);
            EXPECT_EQ(appLoadFileToString(Loaded, TVTEXT("any")), 0);
        }
        EXPECT_EQ(Text(Loaded), TVTEXT("keep"));
        EXPECT_EQ(Recorder.Requests, Case.Requests);
    }
    Claiming.ClaimedSize = 10;
    TArray<unsigned char> Bytes;
    EXPECT_EQ(appLoadFileToArray(Bytes, TVTEXT("short")), 0);
    EXPECT_EQ(Bytes.Num(), 0);
}

TEST(TextFileNative, ReplacesAnExistingFileOnlyWithACompleteOne)
{
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FFileManagerWin Native;
    FManagerScope Scope(&Native);

    // A read-only file is replaced, as the native writer would truncate it.
    Folder.Write("ro.txt", {'o', 'l', 'd'});
    Folder.MakeReadOnly("ro.txt");
    EXPECT_EQ(appSaveStringToFile(FString(TVTEXT("new")), Folder.Path(TVTEXT("ro.txt")).c_str()), 1);
    EXPECT_EQ(Folder.Read("ro.txt"), (FBytes{'n', 'e', 'w'}));

    // The new file cannot be made beside the old one: nothing changes.
    Folder.Write("blocked.txt", {'o', 'l', 'd'});
    std::filesystem::create_directory(Folder.Native("blocked.txt.tvsave"));
    EXPECT_EQ(appSaveStringToFile(FString(TVTEXT("new")), Folder.Path(TVTEXT("blocked.txt")).c_str()), 0);
    EXPECT_EQ(Folder.Read("blocked.txt"), (FBytes{'o', 'l', 'd'}));

    // A directory in the target's place is not replaced, and the new file is removed again.
    std::filesystem::create_directory(Folder.Native("dir.txt"));
    EXPECT_EQ(appSaveStringToFile(FString(TVTEXT("new")), Folder.Path(TVTEXT("dir.txt")).c_str()), 0);
    EXPECT_TRUE(Folder.IsDirectory("dir.txt"));
    EXPECT_FALSE(std::filesystem::exists(Folder.Native("dir.txt.tvsave")));

    EXPECT_EQ(appSaveStringToFile(FString(TVTEXT("x")), Folder.Path(TVTEXT("no/such/dir/x.txt")).c_str()), 0);
}

TEST(TextFileNative, AFailureAtAnyStepOfASaveKeepsTheOldFile)
{
    using Faults::ESystemCall;
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    FFileManagerWin Native;
    FManagerScope Scope(&Native);
    const FBytes Old = {'o', 'l', 'd'};
    struct FCase {
        const char* What;
        ESystemCall Call;
        int Error;
    } Cases[] = {
        {"the new file cannot be created", ESystemCall::Open, EACCES},
        {"the disk is full", ESystemCall::Write, ENOSPC},
        {"the new file cannot reach the disk", ESystemCall::Sync, EIO},
        {"the rename is refused", ESystemCall::Rename, EXDEV},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        Folder.Write("keep.txt", Old);
        Faults::Clear();
        Faults::Arm(Case.Call, 1, Case.Error);
        EXPECT_EQ(appSaveStringToFile(FString(TVTEXT("new text")), Folder.Path(TVTEXT("keep.txt")).c_str()), 0);
        Faults::Clear();
        EXPECT_EQ(Folder.Read("keep.txt"), Old);
        EXPECT_FALSE(std::filesystem::exists(Folder.Native("keep.txt.tvsave")));
    }
}

// A save killed at any of its system calls leaves the old file or the new one, whole.
TEST(TextFileNative, ASaveKilledAtEveryStepLeavesOldOrNew)
{
    using Faults::ESystemCall;
    FTempFolder Folder;
    ASSERT_TRUE(Folder.Ok());
    const FBytes Old(3000, 'o');
    const WideText NewText(100000, TVTEXT('\u4E2D'));
    FBytes New = {0xFF, 0xFE};
    for (std::size_t i = 0; i < NewText.size(); ++i) {
        New.push_back(0x2D);
        New.push_back(0x4E);
    }
    int OldSeen = 0, NewSeen = 0;
    const int Killed = tvtest::KillAtEveryStep(
        {ESystemCall::Open, ESystemCall::Write, ESystemCall::Sync, ESystemCall::Rename},
        [&] { Folder.Write("t.txt", Old); },
        [&] {
            FFileManagerWin Native;
            GFileManager = &Native;
            appSaveStringToFile(FString(NewText.c_str()), Folder.Path(TVTEXT("t.txt")).c_str());
        },
        [&] {
            const FBytes Now = Folder.Read("t.txt");
            EXPECT_TRUE(Now == Old || Now == New) << "the file is neither the old text nor the new one";
            OldSeen += Now == Old;
            NewSeen += Now == New;
        });
    EXPECT_GE(Killed, 4);
    EXPECT_GT(OldSeen, 0);
    EXPECT_GT(NewSeen, 0);
}
