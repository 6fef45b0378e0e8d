// Asynchronous reads from several threads at once: four callers send requests of random sizes
// and positions to archive items and loose files, finishing them by SyncRead, by callbacks
// through Tick, by polling, by waiting, or destroying them early, while another thread reads
// the same archive synchronously. Every byte delivered is checked against the files' contents.
// Meant to run clean under the thread and address sanitizers as well.
#include "img/ImgTestSupport.h"

#include "support/WideText.h"

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

using namespace Tolvane;
using ImgTest::FDataRoot;
using ImgTest::Pattern;

namespace {

constexpr int GCallers = 4;
constexpr int GRequestsPerCaller = 1000;

struct FTarget {
    const tvWChar* Name;
    std::vector<unsigned char> Bytes;
    bool Loose;
};

// A request finished by a callback: its buffer lives here until the end of the test.
struct FCallbackRecord {
    std::vector<unsigned char> Buffer;
    const std::vector<unsigned char>* Expected = nullptr;
    tvULong Position = 0;
    std::atomic<bool> Delivered{false};
    std::atomic<bool> Correct{false};
};
std::vector<FCallbackRecord>* GRecords = nullptr;
thread_local bool GInsideTick = false;
std::atomic<int> GCallbacksOutsideTick{0};

tvULong CheckDelivery(READREQUEST Record)
{
    if (!GInsideTick)
        ++GCallbacksOutsideTick;
    FCallbackRecord& R = (*GRecords)[std::size_t(Record.UserData)];
    const bool Correct = Record.Remaining == 0 && Record.Current == Record.Start + Record.Size &&
                         Record.Start == R.Position && Record.Size == R.Buffer.size() &&
                         std::equal(R.Buffer.begin(), R.Buffer.end(), R.Expected->begin() + std::ptrdiff_t(R.Position));
    R.Correct = Correct;
    R.Delivered = true;
    return 0;
}

void TickHere(FImgFileSystem& FileSystem)
{
    GInsideTick = true;
    FileSystem.Tick();
    GInsideTick = false;
}

bool Matches(const std::vector<unsigned char>& Got, const std::vector<unsigned char>& Bytes, tvULong Position)
{
    return std::equal(Got.begin(), Got.end(), Bytes.begin() + std::ptrdiff_t(Position));
}

void SetPosition(FFileAsyncReader& Reader, tvULong Position)
{
    if (auto* Archive = dynamic_cast<FImgFileReaderAsync*>(&Reader))
        Archive->SetCurrentPos(Position);
    else
        static_cast<FRawFileReaderAsync&>(Reader).SetCurrentPos(Position);
}

} // namespace

TEST(ImgAsyncStress, CallersWorkerAndASynchronousReaderShareTheArchive)
{
    FDataRoot Data;
    ASSERT_TRUE(Data.Folder.Ok());
    std::vector<FTarget> Targets = {
        {TVTEXT("Models/Hero.bin"), Pattern(150000, 1), false},
        {TVTEXT("Models/Tree.bin"), Pattern(60000, 2), false},
        {TVTEXT("Sounds/Wind.bin"), Pattern(100000, 3), false},
        {TVTEXT("Tiny.bin"), Pattern(33, 4), false},
        {TVTEXT("LooseA.bin"), Pattern(70000, 5), true},
        {TVTEXT("LooseB.bin"), Pattern(20000, 6), true},
    };
    FImgArchiveWriter Writer;
    for (const FTarget& T : Targets) {
        if (T.Loose) {
            Data.Folder.Write("Data/" + std::string(T.Name, T.Name + std::char_traits<tvWChar>::length(T.Name)), T.Bytes);
            continue;
        }
        ASSERT_EQ(Writer.AddFile((WideText(TVTEXT("Data/")) + T.Name).c_str(), T.Bytes.data(), tvULong(T.Bytes.size())), 1);
    }
    ASSERT_TRUE(Data.Save(Writer));
    auto FileSystem = Data.Open();
    ASSERT_NE(FileSystem, nullptr);
    const WideText Root = Data.Root();

    std::vector<FCallbackRecord> Records(GCallers * GRequestsPerCaller);
    GRecords = &Records;
    GCallbacksOutsideTick = 0;
    std::atomic<int> Wrong{0}, Done{0}, SyncReads{0};
    std::atomic<bool> CallersDone{false};

    auto Caller = [&](int Number) {
        std::mt19937 Random(1234u + unsigned(Number));
        std::vector<std::unique_ptr<FFileAsyncReader>> Readers;
        for (const FTarget& T : Targets)
            Readers.emplace_back(FileSystem->CreateAsyncReader((Root + T.Name).c_str()));
        for (const auto& R : Readers)
            if (!R) {
                ++Wrong;
                ++Done;
                return;
            }
        std::vector<std::pair<FFileAsyncReader*, tvULong>> CallbackHandles;
        for (int i = 0; i < GRequestsPerCaller; ++i) {
            const std::size_t Which = Random() % Targets.size();
            const std::vector<unsigned char>& Bytes = Targets[Which].Bytes;
            FFileAsyncReader& Reader = *Readers[Which];
            const tvULong Length = tvULong(Bytes.size());
            const tvULong Position = tvULong(Random() % (Length + 1));
            const tvULong Largest = std::min<tvULong>(Length - Position, Random() % 4 == 0 ? 40000 : 4096);
            const tvULong Size = tvULong(Random() % (Largest + 1));
            SetPosition(Reader, Position);
            const int Mode = int(Random() % 5);
            if (Mode == 0) {  // a blocking read
                std::vector<unsigned char> Got(Size);
                if (Reader.SyncRead(Got.data(), Size) != int(Size) || !Matches(Got, Bytes, Position))
                    ++Wrong;
            } else if (Mode == 1) {  // a callback, delivered by some caller's Tick
                const int Index = Number * GRequestsPerCaller + i;
                FCallbackRecord& Record = Records[std::size_t(Index)];
                Record.Buffer.resize(Size);
                Record.Expected = &Bytes;
                Record.Position = Position;
                const tvULong Handle = Reader.SendReadRequest(Record.Buffer.data(), Size, &CheckDelivery, Index);
                if (Handle == GReadRequestRefused)
                    ++Wrong;
                else
                    CallbackHandles.emplace_back(&Reader, Handle);
            } else {
                // Bytes that differ from the file's everywhere: what was not delivered shows.
                std::vector<unsigned char> Got(Size);
                for (tvULong k = 0; k < Size; ++k)
                    Got[k] = static_cast<unsigned char>(~Bytes[Position + k]);
                const tvULong Handle = Reader.SendReadRequest(Got.data(), Size, nullptr, 0);
                if (Handle == GReadRequestRefused) {
                    ++Wrong;
                    continue;
                }
                if (Mode == 2) {  // polling
                    while (Reader.GetRequestReadSize(Handle) != Size)
                        std::this_thread::yield();
                } else if (Mode == 3) {  // waiting
                    Reader.WaitForRequest(Handle);
                }
                if (Reader.DestroyRequest(Handle) != 1)
                    ++Wrong;
                if (Mode == 4) {  // destroyed early: whole chunks arrived, then nothing
                    for (tvULong Chunk = 0; Chunk < Size; Chunk += GReadRequestChunk) {
                        const tvULong End = std::min(Size, Chunk + GReadRequestChunk);
                        const bool Arrived = Got[Chunk] == Bytes[Position + Chunk];
                        for (tvULong k = Chunk; k < End; ++k)
                            if ((Got[k] == Bytes[Position + k]) != Arrived)
                                ++Wrong;
                    }
                } else if (!Matches(Got, Bytes, Position)) {
                    ++Wrong;
                }
            }
            if (i % 10 == 0)
                TickHere(*FileSystem);
        }
        // The callback requests are waited for and destroyed; their completions stay queued
        // until some caller's Tick delivers them.
        for (const auto& [Reader, Handle] : CallbackHandles) {
            Reader->WaitForRequest(Handle);
            if (Reader->DestroyRequest(Handle) != 1)
                ++Wrong;
        }
        ++Done;
        while (Done < GCallers)
            TickHere(*FileSystem);
        TickHere(*FileSystem);
    };

    auto Synchronous = [&] {
        std::mt19937 Random(99);
        std::vector<unsigned char> Got;
        while (!CallersDone) {
            const std::size_t Which = Random() % 3;
            std::unique_ptr<FFileReader> Reader(FileSystem->CreateReader((Root + Targets[Which].Name).c_str()));
            const std::vector<unsigned char>& Bytes = Targets[Which].Bytes;
            for (int k = 0; Reader && k < 20; ++k) {
                const tvULong Position = tvULong(Random() % Bytes.size());
                const tvULong Size = tvULong(Random() % std::min<std::size_t>(Bytes.size() - Position + 1, 3000));
                Got.assign(Size, 0);
                Reader->SetCurrentPos(Position);
                if (Reader->Read(Got.data(), Size) != int(Size) || !Matches(Got, Bytes, Position))
                    ++Wrong;
                ++SyncReads;
            }
        }
    };

    std::vector<std::thread> Threads;
    std::thread SyncThread(Synchronous);
    for (int n = 0; n < GCallers; ++n)
        Threads.emplace_back(Caller, n);
    for (std::thread& T : Threads)
        T.join();
    CallersDone = true;
    SyncThread.join();
    TickHere(*FileSystem);

    EXPECT_EQ(Wrong, 0);
    EXPECT_EQ(GCallbacksOutsideTick, 0);
    EXPECT_GT(SyncReads, 0);
    for (const FCallbackRecord& R : Records)
        if (R.Expected) {
            EXPECT_TRUE(R.Delivered);
            EXPECT_TRUE(R.Correct);
        }
    EXPECT_EQ(FileSystem->GetPendingNotifyCount(), 0);
    FileSystem.reset();
    GRecords = nullptr;
}
