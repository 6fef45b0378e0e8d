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

using namespace Tolvane;

namespace {

typedef std::vector<unsigned char> FBytes;

std::u16string Text(const FString& S) { return std::u16string(static_cast<const tvWChar*>(S), S.GetLength()); }

// The files the tests use, on whichever manager is installed.
class FFiles {
public:
    virtual ~FFiles() = default;
    virtual FFileManager& Manager() = 0;
    virtual std::u16string Path(const std::u16string& Name) = 0;
    virtual void Put(const std::u16string& Name, const FBytes& Bytes) = 0;
    // Null when there is no such file.
    virtual bool Get(const std::u16string& Name, FBytes& Bytes) = 0;
};

class FNativeFiles : public FFiles {
public:
    FTempFolder Folder;
    FFileManagerWin Native;
    FFileManager& Manager() override { return Native; }
    std::u16string Path(const std::u16string& Name) override { return Folder.Path(Name); }
    void Put(const std::u16string& Name, const FBytes& Bytes) override
    {
        Folder.Write(std::string(Name.begin(), Name.end()), Bytes);
    }
    bool Get(const std::u16string& Name, FBytes& Bytes) override
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
    std::u16string Path(const std::u16string& Name) override { return u"mem:" + Name; }
    void Put(const std::u16string& Name, const FBytes& Bytes) override { Memory.Files[Path(Name)] = Bytes; }
    bool Get(const std::u16string& Name, FBytes& Bytes) override
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
    std::u16string Path(const std::u16string& Name) { return Files->Path(Name); }
};

} // namespace

TEST_P(TextFiles, LoadingByTheFirstBytes)
{
    struct FCase {
        const char* What;
        FBytes Bytes;
        int Result;
        std::u16string Loaded;  // when Result is 0: the text stays "keep"
        bool SwapLogged;
    };
    const FCase Cases[] = {
        {"single-byte", {'a', 'b', 'c'}, 1, u"abc", false},
        {"little-endian mark", {0xFF, 0xFE, 0x2D, 0x4E}, 1, u"\u4E2D", false},
        {"big-endian mark", {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42}, 1, u"AB", true},
        {"two bytes, just a mark", {0xFF, 0xFE}, 0, u"keep", false},
        {"two bytes of text", {'a', 'b'}, 0, u"keep", false},
        {"one byte", {'a'}, 0, u"keep", false},
        {"empty", {}, 0, u"keep", false},
        {"single-byte 0 in the middle", {'a', 'b', 0, 'c', 'd'}, 1, u"ab", false},
        {"UTF-16 0 in the middle", {0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}, 1, u"A", false},
        {"UTF-16LE odd last byte dropped", {0xFF, 0xFE, 'A', 0, 'B'}, 1, u"A", false},
        {"UTF-16BE odd last byte dropped", {0xFE, 0xFF, 0, 'A', 'B'}, 1, u"A", true},
        {"only a mark and a 0 unit", {0xFF, 0xFE, 0, 0}, 1, u"", false},
        {"a mark and one odd byte", {0xFF, 0xFE, 'A'}, 1, u"", false},
        {"Windows-1252 bytes", {0x80, 0xE9, 0x41}, 1, u"\u20AC\u00E9A", false},
        {"UTF-16 surrogate pair", {0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}, 1, u"\U0001F600", false},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        Files->Put(u"t.txt", Case.Bytes);
        Hook.Lines.clear();
        FString Loaded(u"keep");
        EXPECT_EQ(appLoadFileToString(Loaded, Path(u"t.txt").c_str()), Case.Result);
        EXPECT_EQ(Text(Loaded), Case.Loaded);
        if (Case.SwapLogged) {
            ASSERT_EQ(Hook.Lines.size(), 1u);
            EXPECT_EQ(Hook.Lines[0], u"Log: We are changing byte order for file: " + Path(u"t.txt"));
        } else {
            EXPECT_TRUE(Hook.Lines.empty());
        }
    }
    FString Kept(u"keep");
    EXPECT_EQ(appLoadFileToString(Kept, Path(u"missing.txt").c_str()), 0);
    EXPECT_EQ(Text(Kept), u"keep");
}

TEST_P(TextFiles, SavingWritesLatin1BelowAndAMarkedUtf16LEFromCharacter256)
{
    struct FCase {
        const char* What;
        std::u16string Saved;
        FBytes Bytes;
        std::u16string LoadedBack;
    };
    const FCase Cases[] = {
        {"ASCII", u"abc", {0x61, 0x62, 0x63}, u"abc"},
        // Two bytes or less never load again (see the loading cases).
        {"one character at 0x4E2D", u"\u4E2D", {0xFF, 0xFE, 0x2D, 0x4E}, u"\u4E2D"},
        {"all below 256", u"\u00E9\u00FFz", {0xE9, 0xFF, 'z'}, u"\u00E9\u00FFz"},
        // Bytes 128 to 159 mean other characters in the ANSI code page.
        {"0x80 comes back through the code page", u"\u0080xy", {0x80, 'x', 'y'}, u"\u20ACxy"},
        {"one at 256 makes all two bytes", u"a\u0100", {0xFF, 0xFE, 'a', 0, 0x00, 0x01}, u"a\u0100"},
        {"a 0 inside a single-byte text is written", std::u16string(u"a\0b", 3), {'a', 0, 'b'}, u"a"},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        EXPECT_EQ(appSaveStringToFile(FString(Case.Saved.data(), int(Case.Saved.size())), Path(u"s.txt").c_str()), 1);
        FBytes Written;
        ASSERT_TRUE(Files->Get(u"s.txt", Written));
        EXPECT_EQ(Written, Case.Bytes);
        FString Loaded(u"keep");
        appLoadFileToString(Loaded, Path(u"s.txt").c_str());
        EXPECT_EQ(Text(Loaded), Case.LoadedBack);
    }
    // An empty text touches nothing.
    EXPECT_EQ(appSaveStringToFile(FString(), Path(u"empty.txt").c_str()), 0);
    FBytes None;
    EXPECT_FALSE(Files->Get(u"empty.txt", None));
}

TEST_P(TextFiles, LongTextsRoundTripAcrossTheWriteBuffer)
{
    std::u16string Wide, Narrow;
    for (int i = 0; i < 40000; ++i) {
        Wide += static_cast<char16_t>(0x4E00 + i % 500);
        Narrow += static_cast<char16_t>('a' + i % 26);
    }
    for (const std::u16string& Saved : {Wide, Narrow}) {
        ASSERT_EQ(appSaveStringToFile(FString(Saved.c_str()), Path(u"long.txt").c_str()), 1);
        FBytes Written;
        ASSERT_TRUE(Files->Get(u"long.txt", Written));
        EXPECT_EQ(Written.size(), Saved == Wide ? 2 + 2 * Saved.size() : Saved.size());
        FString Loaded;
        ASSERT_EQ(appLoadFileToString(Loaded, Path(u"long.txt").c_str()), 1);
        EXPECT_TRUE(Text(Loaded) == Saved);
    }
}

TEST_P(TextFiles, WholeFilesToArrays)
{
    TArray<unsigned char> Bytes;
    Bytes.AddItem(7);
    EXPECT_EQ(appLoadFileToArray(Bytes, Path(u"missing").c_str()), 0);
    ASSERT_EQ(Bytes.Num(), 1) << "a failed load leaves the array as it was";

    Files->Put(u"empty", {});
    EXPECT_EQ(appLoadFileToArray(Bytes, Path(u"empty").c_str()), 1);
    EXPECT_EQ(Bytes.Num(), 0);

    const FBytes Data = {0, 1, 2, 0xFF, 0xFE, 0};
    Files->Put(u"data", Data);
    ASSERT_EQ(appLoadFileToArray(Bytes, Path(u"data").c_str()), 1);
    EXPECT_EQ(FBytes(Bytes.GetData(), Bytes.GetData() + Bytes.Num()), Data);
}

TEST_P(TextFiles, AWriterThatLosesBytesReportsFailureAndKeepsTheGoodFile)
{
    Files->Put(u"good.txt", {'o', 'l', 'd'});
    std::u16string Long(5000, u'x');
    if (std::string(GetParam()) == "memory") {
        static_cast<FMemoryFiles&>(*Files).Memory.FailAfter = 100;
        EXPECT_EQ(appSaveStringToFile(FString(Long.c_str()), Path(u"good.txt").c_str()), 0);
    } else {
        // A file size limit stands in for a full disk: writes past it fail.
        struct rlimit Saved;
        getrlimit(RLIMIT_FSIZE, &Saved);
        struct rlimit Small = Saved;
        Small.rlim_cur = 100;
        std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
        const int Result = appSaveStringToFile(FString(Long.c_str()), Path(u"good.txt").c_str());
        setrlimit(RLIMIT_FSIZE, &Saved);
        EXPECT_EQ(Result, 0);
        FNativeFiles& Native = static_cast<FNativeFiles&>(*Files);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Native.Folder.Native()),
                                std::filesystem::directory_iterator()), 1)
            << "nothing is left beside the file";
    }
    FBytes Kept;
    ASSERT_TRUE(Files->Get(u"good.txt", Kept));
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
    Memory.Files[u"a"] = {'a', 'b', 'c', 'd', 'e'};
    Memory.Files[u"w"] = {0xFF, 0xFE, 'a', 0, 'b', 0};
    FManagerScope Scope(&Memory);
    FDebugInfoMalloc Recorder;
    {
        TestSupport::FScopedMalloc Use(&Recorder);
        FString Single, Wide;
        EXPECT_EQ(appLoadFileToString(Single, u"a"), 1);
        EXPECT_EQ(appLoadFileToString(Wide, u"w"), 1);
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
        FString Loaded(u"keep");
        {
            TestSupport::FScopedMalloc Use(&Recorder);
            EXPECT_EQ(appLoadFileToString(Loaded, u"any"), 0);
        }
        EXPECT_EQ(Text(Loaded), u"keep");
        EXPECT_EQ(Recorder.Requests, Case.Requests);
    }
    Claiming.ClaimedSize = 10;
    TArray<unsigned char> Bytes;
    EXPECT_EQ(appLoadFileToArray(Bytes, u"short"), 0);
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
    EXPECT_EQ(appSaveStringToFile(FString(u"new"), Folder.Path(u"ro.txt").c_str()), 1);
    EXPECT_EQ(Folder.Read("ro.txt"), (FBytes{'n', 'e', 'w'}));

    // The new file cannot be made beside the old one: nothing changes.
    Folder.Write("blocked.txt", {'o', 'l', 'd'});
    std::filesystem::create_directory(Folder.Native("blocked.txt.tvsave"));
    EXPECT_EQ(appSaveStringToFile(FString(u"new"), Folder.Path(u"blocked.txt").c_str()), 0);
    EXPECT_EQ(Folder.Read("blocked.txt"), (FBytes{'o', 'l', 'd'}));

    // A directory in the target's place is not replaced, and the new file is removed again.
    std::filesystem::create_directory(Folder.Native("dir.txt"));
    EXPECT_EQ(appSaveStringToFile(FString(u"new"), Folder.Path(u"dir.txt").c_str()), 0);
    EXPECT_TRUE(Folder.IsDirectory("dir.txt"));
    EXPECT_FALSE(std::filesystem::exists(Folder.Native("dir.txt.tvsave")));

    EXPECT_EQ(appSaveStringToFile(FString(u"x"), Folder.Path(u"no/such/dir/x.txt").c_str()), 0);
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
        EXPECT_EQ(appSaveStringToFile(FString(u"new text"), Folder.Path(u"keep.txt").c_str()), 0);
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
    const std::u16string NewText(100000, u'\u4E2D');
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
            appSaveStringToFile(FString(NewText.c_str()), Folder.Path(u"t.txt").c_str());
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
