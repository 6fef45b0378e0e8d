// The log file's exact bytes, the hook chain, concurrent logging, message boxes, the
// debugger break and the traces.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>
#include "support/WideText.h"
#include "TestPlatform.h"

using namespace Tolvane;

namespace {

std::string ReadBytes(const std::filesystem::path& Path)
{
    std::string Bytes;
    if (std::FILE* F = std::fopen(Path.string().c_str(), "rb")) {
        char Chunk[65536];
        for (std::size_t N; (N = std::fread(Chunk, 1, sizeof Chunk, F)) > 0;)
            Bytes.append(Chunk, N);
        std::fclose(F);
    }
    return Bytes;
}

// UTF-16LE bytes of ASCII text.
std::string Le(const std::string& Ascii)
{
    std::string Out;
    for (char C : Ascii) {
        Out += C;
        Out += '\0';
    }
    return Out;
}

WideText Utf16(const std::string& Path)
{
    WideText Out;
    for (char C : Path)
        Out += Tolvane::tvWChar(static_cast<unsigned char>(C));
    return Out;
}

// A temporary folder, the native file manager as GFileManager, and GLog pointing at a log of
// the test's own; everything is put back afterwards.
class LogFixture : public ::testing::Test {
protected:
    std::filesystem::path Folder;
    FFileManagerWin Native;
    FFileManager* SavedManager = nullptr;
    FLog* SavedLog = nullptr;
    FLog Log;

    void SetUp() override
    {
        Folder = std::filesystem::temp_directory_path() /
                 ("tvcore-log-" + std::to_string(TestPlatform::ProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Folder);
        SavedManager = GFileManager;
        SavedLog = GLog;
        GFileManager = &Native;
        GLog = &Log;
    }
    void TearDown() override
    {
        Log.Close();
        GLog = SavedLog;
        GFileManager = SavedManager;
        std::filesystem::remove_all(Folder);
    }
    std::filesystem::path PathOf(const char* Name) const { return Folder / Name; }
    int OpenLog(const char* Name) { return Log.Open(Utf16(PathOf(Name).string()).c_str()); }
};

// Records what it receives, formatting the arguments with its own copy of the list.
struct FRecordingHook final : FLogHook {
    const char* Name;
    std::vector<std::string>* Calls;
    FRecordingHook(const char* N, std::vector<std::string>* C) : Name(N), Calls(C) {}
    void Log(const tvWChar* Category, const tvWChar* Format, va_list Args) override
    {
        FString Text;
        if (Format)
            Text.FormatV(Format, Args);
        std::string Line = Name;
        Line += '|';
        for (const tvWChar* P = Category ? Category : TVTEXT("(none)"); *P; ++P)
            Line += char(*P);
        Line += '|';
        if (!Format)
            Line += "(none)";
        for (int i = 0; i < Text.GetLength(); ++i)
            Line += char(Text[i]);
        Calls->push_back(Line);
    }
};

} // namespace

TEST_F(LogFixture, FileBytesForEachKindOfLine)
{
    ASSERT_NE(OpenLog("a.log"), 0);
    appLog(TVTEXT("x=%d"), 5);
    Log.Log(nullptr, TVTEXT("abc"));
    Log.Log(TVTEXT("Cat"), nullptr);
    appWarning(TVTEXT("%s"), TVTEXT("w"));
    Log.Close();
    EXPECT_EQ(ReadBytes(PathOf("a.log")),
              std::string("\xFF\xFE", 2) + Le("Log: x=5\r\nabc\r\nCat: Warning: w\r\n"));

    // Opening again starts a new file with its own mark; Flush on a closed log is harmless.
    Log.Flush();
    ASSERT_NE(OpenLog("a.log"), 0);
    Log.Log(TVTEXT("Error"), TVTEXT("%s"), TVTEXT("\u00E9"));
    Log.Flush();
    EXPECT_EQ(ReadBytes(PathOf("a.log")), std::string("\xFF\xFE", 2) + Le("Error: ") + std::string("\xE9\0\r\0\n\0", 6));
}

TEST_F(LogFixture, OpenFailureLeavesTheLogClosed)
{
    EXPECT_EQ(OpenLog("missing-folder/a.log"), 0);
    EXPECT_EQ(Log.Writer, nullptr);
    std::vector<std::string> Calls;
    FRecordingHook Hook("A", &Calls);
    Log.Hook(&Hook);
    appLog(TVTEXT("still %s"), TVTEXT("heard"));  // no file, but the hooks hear every line
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0], "A|Log|still heard");
}

TEST_F(LogFixture, HooksRunInChainOrderEachWithItsOwnArguments)
{
    std::vector<std::string> Calls;
    FRecordingHook A("A", &Calls), B("B", &Calls);
    Log.Hook(&A);
    Log.Hook(&B);
    Log.Hook(nullptr);
    Log.Log(TVTEXT("Cat"), TVTEXT("%d-%s-%.1f"), 7, TVTEXT("x"), 2.5);
    Log.Log(TVTEXT("Cat"), nullptr);
    const std::vector<std::string> Expected = {"B|Cat|7-x-2.5", "A|Cat|7-x-2.5", "B|Cat|(none)", "A|Cat|(none)"};
    EXPECT_EQ(Calls, Expected);
}

TEST_F(LogFixture, AnIntegerOrNullArgumentIsAValueNotAnArgumentList)
{
    std::vector<std::string> Calls;
    FRecordingHook A("A", &Calls);
    Log.Hook(&A);
    Log.Log(TVTEXT("Cat"), TVTEXT("n=%d"), 0);
    Log.Log(TVTEXT("Cat"), TVTEXT("p=%p"), nullptr);
    Log.Log(TVTEXT("Cat"), TVTEXT("c=%d"), 'A');
    ASSERT_EQ(Calls.size(), 3u);
    EXPECT_EQ(Calls[0], "A|Cat|n=0");
    EXPECT_EQ(Calls[1], "A|Cat|p=" + std::string(sizeof(void*) * 2, '0'));
    EXPECT_EQ(Calls[2], "A|Cat|c=65");
}

TEST_F(LogFixture, AHookAttachedTwiceIsHeardOnce)
{
    std::vector<std::string> Calls;
    FRecordingHook A("A", &Calls), B("B", &Calls);
    Log.Hook(&A);
    Log.Hook(&B);
    Log.Hook(&A);  // already in the chain: ignored
    Log.Hook(&B);
    Log.Log(TVTEXT("Cat"), TVTEXT("once"));
    const std::vector<std::string> Expected = {"B|Cat|once", "A|Cat|once"};
    EXPECT_EQ(Calls, Expected);
}

TEST_F(LogFixture, HooksAreCalledOutsideTheLibraryLock)
{
    // The hook waits for another thread that itself needs the library lock; if the hook ran
    // inside the lock, that thread could not finish.
    struct FWaitingHook final : FLogHook {
        bool Finished = false;
        void Log(const tvWChar*, const tvWChar*, va_list) override
        {
            auto Other = std::async(std::launch::async, [] { FCriticalSection Lock; });
            Finished = Other.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        }
    } Hook;
    Log.Hook(&Hook);
    appLog(TVTEXT("x"));
    EXPECT_TRUE(Hook.Finished);
}

TEST_F(LogFixture, ConcurrentLinesNeverInterleave)
{
    ASSERT_NE(OpenLog("threads.log"), 0);
    constexpr int Threads = 8, Lines = 10000;
    std::vector<std::thread> Workers;
    for (int t = 0; t < Threads; ++t)
        Workers.emplace_back([t] {
            for (int i = 0; i < Lines; ++i)
                appLog(TVTEXT("thread %d line %d end"), t, i);
        });
    for (std::thread& W : Workers)
        W.join();
    Log.Close();

    const std::string Bytes = ReadBytes(PathOf("threads.log"));
    ASSERT_GE(Bytes.size(), 2u);
    ASSERT_EQ(Bytes.size() % 2, 0u);
    std::string Text;  // the ASCII text back from UTF-16LE
    for (std::size_t i = 2; i < Bytes.size(); i += 2) {
        ASSERT_EQ(Bytes[i + 1], '\0');
        Text += Bytes[i];
    }
    std::vector<int> Next(Threads, 0);
    std::size_t Start = 0, Count = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find("\r\n", Start);
        ASSERT_NE(End, std::string::npos);
        int T = -1, I = -1;
        char Tail[8] = {};
        const std::string Line = Text.substr(Start, End - Start);
        ASSERT_EQ(std::sscanf(Line.c_str(), "Log: thread %d line %d %7s", &T, &I, Tail), 3) << Line;
        ASSERT_STREQ(Tail, "end");
        ASSERT_TRUE(T >= 0 && T < Threads);
        EXPECT_EQ(I, Next[T]++) << "each thread's lines stay in order";
        ++Count;
        Start = End + 2;
    }
    EXPECT_EQ(Count, std::size_t(Threads * Lines));
}

TEST_F(LogFixture, LongLinesAreCutAtTheBuffer)
{
    ASSERT_NE(OpenLog("long.log"), 0);
    const WideText Long(5000, TVTEXT('a'));
    appLog(TVTEXT("%s"), Long.c_str());
    // A surrogate pair that would straddle the cut is dropped whole.
    const WideText Pair = WideText(GLogBufferUnits - 2, TVTEXT('b')) + TVTEXT("\U0001F600");
    Log.Log(nullptr, TVTEXT("%s"), Pair.c_str());
    Log.Close();
    const std::string Bytes = ReadBytes(PathOf("long.log"));
    const std::string Expected = std::string("\xFF\xFE", 2) + Le("Log: ") + Le(std::string(2047, 'a')) +
                                 Le("\r\n") + Le(std::string(2046, 'b')) + Le("\r\n");
    EXPECT_EQ(Bytes, Expected);
}

namespace {
std::vector<WideText> GBoxes;
void RecordBox(const tvWChar* Text, const tvWChar* Caption, tvULong Flags)
{
    GBoxes.push_back(WideText(Caption) + TVTEXT("|") + Text + TVTEXT("|") + (Flags == 0x2000 ? TVTEXT("task-modal") : TVTEXT("other")));
}
} // namespace

TEST_F(LogFixture, ErrorLogsAndBreaksEvenWithoutALog)
{
    ASSERT_NE(OpenLog("error.log"), 0);
    const TestPlatform::FBreakCatcher Breaks;  // the host handles the break
    appError(TVTEXT("bad %d"), 1);
    GLog = nullptr;
    appError(TVTEXT("nobody logs this"));
    appLog(TVTEXT("nor this"));
    EXPECT_EQ(Breaks.Breaks(), 2);
    Log.Close();
    EXPECT_EQ(ReadBytes(PathOf("error.log")), std::string("\xFF\xFE", 2) + Le("Error: bad 1\r\n"));
}

TEST_F(LogFixture, MessageGoesToTheMessageBoxAndNotToTheLog)
{
    ASSERT_NE(OpenLog("msg.log"), 0);
    GBoxes.clear();
    FMessageBoxHandler Saved = appSetMessageBoxHandler(RecordBox);
    appMsg(TVTEXT("%d files"), 3);
    appSetMessageBoxHandler(Saved);
    ASSERT_EQ(GBoxes.size(), 1u);
    EXPECT_EQ(GBoxes[0], TVTEXT("Message|3 files|task-modal"));
    Log.Close();
    EXPECT_EQ(ReadBytes(PathOf("msg.log")), std::string("\xFF\xFE", 2));
}

TEST_F(LogFixture, MessageOfAnEmptyFormat)
{
    GBoxes.clear();
    FMessageBoxHandler Saved = appSetMessageBoxHandler(RecordBox);
    appMsg(TVTEXT(""));
    appSetMessageBoxHandler(Saved);
    ASSERT_EQ(GBoxes.size(), 1u);
    EXPECT_EQ(GBoxes[0], TVTEXT("Message||task-modal"));
}

TEST(Trace, WritesTheFormattedTextVerbatimToStandardOutput)
{
    ::testing::internal::CaptureStdout();
    appTraceA("%s|%d", "100%", 5);
    appTraceW(TVTEXT("%s %S|"), TVTEXT("wide %d"), "\xE9");
    const std::string Long(3000, 'z');
    appTraceA("%s", Long.c_str());
    const std::string Out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(Out, "100%|5wide %d \xC3\xA9|" + std::string(1023, 'z'));
}
