// Second process for tests that need one. Each mode is one small job; the exit code reports.
//   tvCoreTestHelper sleep <ms>
//       sleeps, then exits 0
//   tvCoreTestHelper count <lock> <counter file> <marker file> <rounds>
//       <rounds> times, under FProcessLock <lock>: creates the marker file (which must not
//       exist: another holder would be inside), adds one to the number in the counter file,
//       removes the marker. Exits 0, or 1 when it found another holder inside.
//   tvCoreTestHelper hold <lock> <fifo>
//       takes FProcessLock <lock>, writes "L" into the fifo and waits until it is killed
//   tvCoreTestHelper mapwrite <name> <size> <text> <fifo>
//       opens the shared block <name> asking for <size> bytes, writes <text> at its start,
//       writes the block's size into the fifo and waits until it is killed (keeping the block)
//   tvCoreTestHelper ctrlc <log file> <fifo>
//       calls appInitCore, opens the log in <log file>, writes "R" into the fifo and waits (at
//       most 10 s) until the console handler has logged; then appExitCore and exit 0 (4 on
//       time-out)
//   tvCoreTestHelper report <fifo> [arguments...]
//       writes its whole argument vector (argument zero first), joined by '|', into the fifo
//   tvCoreTestHelper linrecord <name> <file>...
//       records into <name>.lin, through the linear file system, the whole loads of the files
//       (a missing one records a failed open); exits 0
//   tvCoreTestHelper            (no arguments at all)
//       the same as report, into the fifo named by the environment variable TVCORE_HELPER_FIFO
#include <tvCore/tvCore.h>

#include <atomic>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace {

std::u16string Wide(const char* Text)
{
    std::u16string Out;
    for (; *Text; ++Text)
        Out += static_cast<char16_t>(static_cast<unsigned char>(*Text));
    return Out;
}

bool WriteFifo(const char* Fifo, const std::string& Text)
{
    const int File = open(Fifo, O_WRONLY);
    if (File < 0)
        return false;
    const bool Ok = write(File, Text.data(), Text.size()) == static_cast<ssize_t>(Text.size());
    close(File);
    return Ok;
}

int Report(const char* Fifo, int argc, char** argv)
{
    std::string Text;
    for (int i = 0; i < argc; ++i)
        Text += (i ? "|" : "") + std::string(argv[i]);
    return Fifo && WriteFifo(Fifo, Text) ? 0 : 3;
}

int Count(const char* LockName, const char* Counter, const char* Marker, int Rounds)
{
    Tolvane::FProcessLock Lock(Wide(LockName).c_str());
    for (int Round = 0; Round < Rounds; ++Round) {
        Tolvane::FScopedLock Guard(&Lock);
        const int Inside = open(Marker, O_CREAT | O_EXCL | O_WRONLY, 0600);
        if (Inside < 0)
            return 1;
        close(Inside);
        long Value = 0;
        if (FILE* In = std::fopen(Counter, "r")) {
            if (std::fscanf(In, "%ld", &Value) != 1)
                Value = 0;
            std::fclose(In);
        }
        sched_yield();  // widen the window another holder would need
        if (FILE* Out = std::fopen(Counter, "w")) {
            std::fprintf(Out, "%ld", Value + 1);
            std::fclose(Out);
        }
        unlink(Marker);
    }
    return 0;
}

} // namespace

struct FSeenHook final : public Tolvane::FLogHook {
    std::atomic<int> Lines{0};
    void Log(const Tolvane::tvWChar*, const Tolvane::tvWChar*, va_list) override { ++Lines; }
};

int CtrlC(const char* LogFile, const char* Fifo)
{
    // As a host does: start the library, give the log a file, then wait for the interrupt.
    if (!Tolvane::appInitCore())
        return 5;
    Tolvane::GLog->Open(Wide(LogFile).c_str());
    static FSeenHook Seen;
    Tolvane::GLog->Hook(&Seen);
    if (!WriteFifo(Fifo, "R"))
        return 3;
    for (int Waited = 0; Seen.Lines.load() == 0; Waited += 10) {
        if (Waited >= 10000)
            return 4;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Tolvane::appExitCore();  // closes the log
    return 0;
}

int LinRecord(int Count, char** Args)
{
    using namespace Tolvane;
    if (!appInitCore())
        return 1;
    FFileManager* Saved = GFileManager;
    GFileManager = appLinearFileSystemInit(LOADINGMODE_Save);
    appLinearFileSystemStart(Wide(Args[0]).c_str());
    for (int Index = 1; Index < Count; ++Index) {
        TArray<unsigned char> Bytes;
        appLoadFileToArray(Bytes, Wide(Args[Index]).c_str());
    }
    appLinearFileSystemEnd();
    delete GFileManager;
    delete appLinearFileSystemInit(LOADINGMODE_Off);
    GFileManager = Saved;
    appExitCore();
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 1)
        return Report(std::getenv("TVCORE_HELPER_FIFO"), argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
    if (argc >= 6 && std::strcmp(argv[1], "count") == 0)
        return Count(argv[2], argv[3], argv[4], std::atoi(argv[5]));
    if (argc >= 4 && std::strcmp(argv[1], "hold") == 0) {
        Tolvane::FProcessLock Lock(Wide(argv[2]).c_str());
        Lock.Lock();
        if (!WriteFifo(argv[3], "L"))
            return 3;
        for (;;)
            pause();
    }
    if (argc >= 6 && std::strcmp(argv[1], "mapwrite") == 0) {
        Tolvane::FMemoryMap Map(Wide(argv[2]).c_str(), static_cast<unsigned>(std::atoi(argv[3])));
        Tolvane::TArray<unsigned char> Bytes;
        for (const char* P = argv[4]; *P; ++P)
            Bytes.AddItem(static_cast<unsigned char>(*P));
        if (!Map.Write(Bytes) || !WriteFifo(argv[5], std::to_string(Map.GetSize())))
            return 3;
        for (;;)
            pause();
    }
    if (argc >= 4 && std::strcmp(argv[1], "ctrlc") == 0)
        return CtrlC(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "linrecord") == 0)
        return LinRecord(argc - 2, argv + 2);
    if (argc >= 3 && std::strcmp(argv[1], "report") == 0)
        return Report(argv[2], argc, argv);
    return 2;
}
