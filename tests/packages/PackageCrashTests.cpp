// A writing package killed while it closes: a child process updates a package and is killed
// with SIGKILL inside each sync and rename of its Close, and at random moments of it (while
// members are carried over, while the zip is finished, around the rename). After every kill the
// package must open and hold either the old members or the new ones, whole.
#include "packages/PackageTestSupport.h"
#include "support/CrashHarness.h"

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>
#include "support/WideText.h"

using namespace Tolvane;
using namespace PackageTest;

namespace {

class PackageCrashTests : public PackageFixture {
protected:
    const Bytes OldA = Pattern(64000, 11), OldB = Pattern(48000, 12), NewB = Pattern(56000, 13), NewC = Pattern(20000, 14);

    // Forks a child that opens the package in update mode, writes b and c, tells the parent it
    // is about to close (one byte on the pipe), closes and exits. The parent kills it DelayUs
    // microseconds after that byte (never, when DelayUs < 0). Returns the microseconds from the
    // byte to the child's end.
    long RunChild(long DelayUs)
    {
        int Pipe[2];
        if (pipe(Pipe) != 0)
            return -1;
        const pid_t Child = fork();
        if (Child == 0) {
            close(Pipe[0]);
            // The byte goes out just before Close: Update's open and writes are quick.
            const char Ready = 'r';
            if (write(Pipe[1], &Ready, 1) != 1)
                _exit(2);
            Update();
            _exit(0);
        }
        close(Pipe[1]);
        char Ready = 0;
        const bool Signalled = read(Pipe[0], &Ready, 1) == 1;
        const auto Start = std::chrono::steady_clock::now();
        if (Signalled && DelayUs >= 0) {
            if (DelayUs > 0)
                usleep(static_cast<useconds_t>(DelayUs));
            kill(Child, SIGKILL);
        }
        int Status = 0;
        waitpid(Child, &Status, 0);
        close(Pipe[0]);
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - Start).count());
    }

    // The child's work: open in update mode, write b and c, close.
    void Update()
    {
        GZipWriteMode = ZIPWRITE_Update;
        FZipPackage Package(TVTEXT("crash"));
        if (!Package.Open())
            return;
        for (const auto& Member : {std::make_pair(TVTEXT("b"), &NewB), std::make_pair(TVTEXT("c"), &NewC)}) {
            FZipFileWriter* Writer = Package.CreateMemberWriter(Member.first);
            Writer->Write(const_cast<unsigned char*>(Member.second->data()), static_cast<tvULong>(Member.second->size()));
            delete Writer;
        }
        Package.Close();
    }

    // "old", "new", or what was wrong.
    std::string State()
    {
        FUnzipPackage Package(TVTEXT("crash"));
        if (!Package.Open())
            return "does not open";
        Bytes A, B, C;
        if (!ReadMember(Package, TVTEXT("a"), A) || A != OldA)
            return "a lost";
        const bool HasB = ReadMember(Package, TVTEXT("b"), B);
        const bool HasC = ReadMember(Package, TVTEXT("c"), C);
        if (HasB && B == OldB && !HasC)
            return "old";
        if (HasB && B == NewB && HasC && C == NewC)
            return "new";
        return "mixed";
    }
};

} // namespace

TEST_F(PackageCrashTests, KilledInsideEachSyncAndRenameOfTheReplacement)
{
    ASSERT_TRUE(WritePackage(TVTEXT("crash"), {{TVTEXT("a"), OldA}, {TVTEXT("b"), OldB}}));
    const Bytes Original = Data.Read("crash.xup");
    std::vector<std::string> Seen;
    const int Killed = tvtest::KillAtEveryStep(
        {Faults::ESystemCall::Sync, Faults::ESystemCall::Rename}, [&] { Data.Write("crash.xup", Original); },
        [&] { Update(); }, [&] { Seen.push_back(State()); });
    // Killed before the rename (file sync, the rename itself): old; after it (directory sync):
    // new; and each kind's run that finished: new.
    EXPECT_EQ(Killed, 3);
    EXPECT_EQ(Seen, (std::vector<std::string>{"old", "new", "new", "old", "new"}));
}

TEST_F(PackageCrashTests, EveryKillDuringCloseLeavesTheOldOrTheNewPackageWhole)
{
    ASSERT_TRUE(WritePackage(TVTEXT("crash"), {{TVTEXT("a"), OldA}, {TVTEXT("b"), OldB}}));
    const Bytes Original = Data.Read("crash.xup");

    // Undisturbed closes measure how long a close takes here (the shortest of three).
    long CloseUs = 0;
    for (int i = 0; i < 3; ++i) {
        const long Took = RunChild(-1);
        CloseUs = (i == 0 || Took < CloseUs) ? Took : CloseUs;
        ASSERT_EQ(State(), "new");
        Data.Write("crash.xup", Original);
    }

    std::mt19937 Random(12345);
    std::uniform_int_distribution<long> Delay(0, CloseUs + CloseUs / 5);
    int Runs = 0, Old = 0, New = 0;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    while (Runs < 400 && std::chrono::steady_clock::now() < Deadline) {
        RunChild(Delay(Random));
        const std::string Seen = State();
        ++Runs;
        ASSERT_TRUE(Seen == "old" || Seen == "new") << "run " << Runs << ": " << Seen;
        if (Seen == "new") {
            ++New;
            Data.Write("crash.xup", Original);
        } else {
            ++Old;
        }
    }
    std::printf("package crash test: %d runs killed during close (close takes %ld us): %d old, %d new, 0 damaged\n",
                Runs, CloseUs, Old, New);
    EXPECT_GE(Runs, 20);
    // The kills landed on both sides of the replacement.
    EXPECT_GT(Old, 0);
    EXPECT_GT(New, 0);
}
