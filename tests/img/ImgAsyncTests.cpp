// Asynchronous reads: request slots and handles, the worker's chunks, completions delivered by
// Tick, SyncRead, and what happens to requests whose reader, buffer or file system goes away.
#include "img/ImgTestSupport.h"
#include "img/tvImgWorkerHooks.h"
#include "support/WideText.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace Tolvane;
using ImgTest::FDataRoot;
using ImgTest::Pattern;

namespace {

constexpr tvULong GItemSize = 40000;

// A data root whose archive holds DATA\FIRST.BIN and DATA\SECOND.BIN (40000 bytes each, two
// patterns) and beside it the loose file Loose.bin (the first pattern) that the archive lacks.
struct FAsyncArchive {
    FDataRoot Data;
    std::vector<unsigned char> First = Pattern(GItemSize, 3);
    std::vector<unsigned char> Second = Pattern(GItemSize, 11);
    std::unique_ptr<FImgFileSystem> FileSystem;

    FAsyncArchive()
    {
        FImgArchiveWriter Writer;
        Writer.AddFile(TVTEXT("Data/First.bin"), First.data(), GItemSize);
        Writer.AddFile(TVTEXT("Data/Second.bin"), Second.data(), GItemSize);
        if (!Data.Save(Writer))
            return;
        Data.Folder.Write("Data/Loose.bin", First);
        FileSystem = Data.Open();
    }
    WideText Path(const WideText& Name) const { return WideText(Data.Root()) + Name; }
    std::unique_ptr<FFileAsyncReader> Open(const WideText& Name) const
    {
        return std::unique_ptr<FFileAsyncReader>(FileSystem->CreateAsyncReader(Path(Name).c_str()));
    }
};

// The two kinds of request: an archive item and a loose file with the same bytes.
struct FKind {
    const char* Name;
    const tvWChar* File;
    bool Archive;
};
const FKind GKinds[] = {
    {"archive item", TVTEXT("First.bin"), true},
    {"loose file", TVTEXT("Loose.bin"), false},
};

// What the callbacks saw, in the order Tick delivered them.
struct FDelivery {
    READREQUEST Record;
    std::thread::id Thread;
    bool InsideTick;
};
std::vector<FDelivery> GDeliveries;
thread_local bool GInsideTick = false;

tvULong RecordDelivery(READREQUEST Record)
{
    GDeliveries.push_back({Record, std::this_thread::get_id(), GInsideTick});
    return 0;
}

void Tick(FImgFileSystem& FileSystem)
{
    GInsideTick = true;
    FileSystem.Tick();
    GInsideTick = false;
}

// The read profile's "BEGIN:" lines as (archive offset, bytes, archive path).
struct FBegin {
    tvULong Offset;
    tvULong Bytes;
    std::string Path;
};
std::vector<FBegin> ProfileBegins(const std::vector<unsigned char>& Profile)
{
    std::vector<FBegin> Out;
    const std::string Text(Profile.begin(), Profile.end());
    for (std::size_t At = 0; (At = Text.find("BEGIN: ", At)) != std::string::npos; ++At) {
        unsigned Seconds = 0, Offset = 0, Bytes = 0;
        char Path[300] = {};
        if (std::sscanf(Text.c_str() + At, "BEGIN: %u\t%u\t%u\t%299[^\r]", &Seconds, &Offset, &Bytes, Path) == 4)
            Out.push_back({Offset, Bytes, Path});
    }
    return Out;
}

} // namespace

TEST(ImgAsync, LongRequestsAreReadInChunksThatAlternate)
{
    FAsyncArchive A;
    ASSERT_NE(A.FileSystem, nullptr);
    auto First = A.Open(TVTEXT("First.bin"));
    auto Second = A.Open(TVTEXT("Second.bin"));
    ASSERT_NE(dynamic_cast<FImgFileReaderAsync*>(First.get()), nullptr);
    const tvULong FirstOffset = static_cast<FImgFileReaderAsync&>(*First).GetFileItem()->Offset;
    const tvULong SecondOffset = static_cast<FImgFileReaderAsync&>(*Second).GetFileItem()->Offset;
    std::vector<unsigned char> BufferA(GItemSize), BufferB(GItemSize);
    // Both are queued before the worker may look at the queue.
    A.FileSystem->GetAsyncLock()->Lock();
    const tvULong HandleA = First->SendReadRequest(BufferA.data(), GItemSize, nullptr, 0);
    const tvULong HandleB = Second->SendReadRequest(BufferB.data(), GItemSize, nullptr, 0);
    A.FileSystem->GetAsyncLock()->Unlock();
    EXPECT_EQ(HandleA, 0u);
    EXPECT_EQ(HandleB, 1u);
    First->WaitForRequest(HandleA);
    Second->WaitForRequest(HandleB);
    EXPECT_EQ(BufferA, A.First);
    EXPECT_EQ(BufferB, A.Second);
    EXPECT_EQ(First->DestroyRequest(HandleA), 1);
    EXPECT_EQ(Second->DestroyRequest(HandleB), 1);
    First.reset();
    Second.reset();
    A.FileSystem.reset();  // the profile reaches its file

    // Each chunk reaches the loader once; its first 1024 bytes come from the cache that the
    // previous chunk of the same request filled, so a chunk's read ends where the chunk ends:
    // 16384, 32768 and 40000, the two requests taking turns.
    const std::vector<FBegin> Begins = ProfileBegins(A.Data.Folder.Read("game.profile"));
    ASSERT_EQ(Begins.size(), 6u);
    const tvULong Ends[] = {16384, 16384, 32768, 32768, 40000, 40000};
    for (std::size_t i = 0; i < 6; ++i) {
        const bool IsFirst = i % 2 == 0;
        SCOPED_TRACE(i);
        EXPECT_EQ(Begins[i].Path, IsFirst ? "\\DATA\\FIRST.BIN" : "\\DATA\\SECOND.BIN");
        EXPECT_EQ(Begins[i].Offset + Begins[i].Bytes - (IsFirst ? FirstOffset : SecondOffset), Ends[i]);
    }
}

TEST(ImgAsync, RequestsReadConsecutiveBlocksAndCompleteThroughTick)
{
    for (const FKind& Kind : GKinds) {
        SCOPED_TRACE(Kind.Name);
        FAsyncArchive A;
        ASSERT_NE(A.FileSystem, nullptr);
        auto Reader = A.Open(Kind.File);
        ASSERT_NE(Reader, nullptr);
        EXPECT_EQ(Kind.Archive, dynamic_cast<FImgFileReaderAsync*>(Reader.get()) != nullptr);
        EXPECT_EQ(Reader->GetSize(), int(GItemSize));
        GDeliveries.clear();
        std::vector<unsigned char> Got(GItemSize, 0xCD);
        // Sent without waiting: each request starts where the previous one ended.
        const tvULong Sizes[] = {5000, 20000, 0, 15000};
        std::vector<tvULong> Handles;
        tvULong At = 0;
        for (tvULong Size : Sizes) {
            Handles.push_back(Reader->SendReadRequest(Got.data() + At, Size, &RecordDelivery, tvLong(At) + 7));
            At += Size;
        }
        EXPECT_EQ(Handles, (std::vector<tvULong>{0, 1, 2, 3}));
        for (tvULong Handle : Handles)
            Reader->WaitForRequest(Handle);
        EXPECT_EQ(Got, A.First);
        for (std::size_t i = 0; i < Handles.size(); ++i)
            EXPECT_EQ(Reader->GetRequestReadSize(Handles[i]), Sizes[i]);
        // Nothing is delivered before Tick; Tick delivers every completion on its own thread.
        EXPECT_TRUE(GDeliveries.empty());
        Tick(*A.FileSystem);
        ASSERT_EQ(GDeliveries.size(), 4u);
        std::vector<tvLong> UserData;
        for (const FDelivery& D : GDeliveries) {
            EXPECT_TRUE(D.InsideTick);
            EXPECT_EQ(D.Thread, std::this_thread::get_id());
            EXPECT_EQ(D.Record.Remaining, 0u);
            EXPECT_EQ(D.Record.Current, D.Record.Start + D.Record.Size);
            EXPECT_EQ(tvLong(D.Record.Start) + 7, D.Record.UserData);
            EXPECT_EQ(D.Record.Requester, Reader.get());
            EXPECT_EQ(D.Record.Type, Kind.Archive ? GReadRequestArchive : GReadRequestLooseFile);
            EXPECT_EQ(D.Record.Item != nullptr, Kind.Archive);
            EXPECT_EQ(D.Record.Loader != nullptr, !Kind.Archive);
            EXPECT_EQ(D.Record.Free, 0);
            UserData.push_back(D.Record.UserData);
        }
        std::sort(UserData.begin(), UserData.end());
        EXPECT_EQ(UserData, (std::vector<tvLong>{7, 5007, 25007, 25007}));
        EXPECT_EQ(A.FileSystem->GetPendingNotifyCount(), 0);
        for (tvULong Handle : Handles)
            EXPECT_EQ(Reader->DestroyRequest(Handle), 1);
        GDeliveries.clear();
    }
}

TEST(ImgAsync, HandlesAreSlotsReusedLowestFirstAndUnknownOnesAreHarmless)
{
    FAsyncArchive A;
    ASSERT_NE(A.FileSystem, nullptr);
    auto Reader = A.Open(TVTEXT("First.bin"));
    unsigned char Buffer[3][100];
    EXPECT_EQ(Reader->SendReadRequest(Buffer[0], 100, nullptr, 0), 0u);
    EXPECT_EQ(Reader->SendReadRequest(Buffer[1], 100, nullptr, 0), 1u);
    EXPECT_EQ(Reader->SendReadRequest(Buffer[2], 100, nullptr, 0), 2u);
    EXPECT_EQ(Reader->DestroyRequest(2), 1);
    EXPECT_EQ(Reader->DestroyRequest(0), 1);
    EXPECT_EQ(Reader->DestroyRequest(0), 0);  // already free
    EXPECT_EQ(Reader->SendReadRequest(Buffer[0], 100, nullptr, 0), 0u);
    EXPECT_EQ(Reader->SendReadRequest(Buffer[2], 100, nullptr, 0), 2u);
    EXPECT_EQ(Reader->SendReadRequest(Buffer[2], 100, nullptr, 0), 3u);
    EXPECT_EQ(A.FileSystem->GetRequestSlotCount(), 4);
    // Handles that were never given out, or name a free slot: defined answers, at once.
    for (tvULong Handle : {tvULong(4), tvULong(1000000), GReadRequestRefused}) {
        EXPECT_EQ(Reader->DestroyRequest(Handle), 0);
        EXPECT_EQ(Reader->GetRequestReadSize(Handle), 0u);
        Reader->WaitForRequest(Handle);
    }
    for (tvULong Handle = 0; Handle < 4; ++Handle) {
        Reader->WaitForRequest(Handle);
        EXPECT_EQ(Reader->DestroyRequest(Handle), 1);
        EXPECT_EQ(Reader->GetRequestReadSize(Handle), 0u);
        Reader->WaitForRequest(Handle);
    }
    EXPECT_TRUE(std::equal(Buffer[0], Buffer[0] + 100, A.First.begin() + 300));
}

TEST(ImgAsync, SyncReadReadsAtThePositionAndRefusesBlocksPastTheEnd)
{
    for (const FKind& Kind : GKinds) {
        SCOPED_TRACE(Kind.Name);
        FAsyncArchive A;
        ASSERT_NE(A.FileSystem, nullptr);
        auto Reader = A.Open(Kind.File);
        ASSERT_NE(Reader, nullptr);
        std::vector<unsigned char> Got(GItemSize);
        ASSERT_EQ(Reader->SyncRead(Got.data(), 30000), 30000);
        EXPECT_TRUE(std::equal(Got.begin(), Got.begin() + 30000, A.First.begin()));
        // Past the end: 0, and the position stays.
        EXPECT_EQ(Reader->SyncRead(Got.data(), 10001), 0);
        EXPECT_EQ(Reader->SendReadRequest(Got.data(), 10001, nullptr, 0), GReadRequestRefused);
        // Read and Serialize are SyncReads; exactly the rest fits.
        ASSERT_EQ(Reader->Read(Got.data(), 9000), 9000);
        Reader->Serialize(Got.data() + 9000, 1000);
        EXPECT_FALSE(Reader->IsError());
        EXPECT_TRUE(std::equal(Got.begin(), Got.begin() + 10000, A.First.begin() + 30000));
        // The slots were freed and the notification queue stays empty without Tick.
        EXPECT_EQ(Reader->SendReadRequest(Got.data(), 0, nullptr, 0), 0u);
        EXPECT_EQ(A.FileSystem->GetPendingNotifyCount(), 0);
    }
}

TEST(ImgAsync, ReadersWithoutAServingFileSystemRefuse)
{
    FAsyncArchive A;
    ASSERT_NE(A.FileSystem, nullptr);
    unsigned char Byte = 0;
    // Constructed directly while GFileManager is no IMG file system.
    ASSERT_EQ(GFileManager, nullptr);
    _diFileItem* Item = A.FileSystem->SearchFileFromHash(A.Path(TVTEXT("First.bin")).c_str());
    ASSERT_NE(Item, nullptr);
    FImgFileReaderAsync Orphan(Item);
    EXPECT_EQ(Orphan.GetFileSystem(), nullptr);
    EXPECT_EQ(Orphan.SendReadRequest(&Byte, 1, nullptr, 0), GReadRequestRefused);
    EXPECT_EQ(Orphan.SyncRead(&Byte, 1), 0);
    EXPECT_EQ(Orphan.GetCurrentPos(), 0u);
    // Installed as GFileManager, the file system serves readers constructed directly.
    GFileManager = A.FileSystem.get();
    FImgFileReaderAsync Installed(Item);
    FRawFileReaderAsync Loose;
    GFileManager = nullptr;
    ASSERT_EQ(Loose.Initialize(FString(A.Path(TVTEXT("Loose.bin")).c_str())), 1);
    EXPECT_EQ(Installed.GetFileSystem(), A.FileSystem.get());
    EXPECT_EQ(Installed.SyncRead(&Byte, 1), 1);
    EXPECT_EQ(Byte, A.First[0]);
    EXPECT_EQ(Loose.SyncRead(&Byte, 1), 1);
    // A file system that was not initialised has no worker: it refuses instead of queueing.
    FImgFileSystem Idle;
    EXPECT_EQ(Idle.SendRequest(READREQUEST()), GReadRequestRefused);
    EXPECT_EQ(Idle.DestroyRequest(0), 0);
    Idle.WaitForRequest(0);
    Idle.Tick();
    EXPECT_EQ(Idle.CreateAsyncReader(A.Path(TVTEXT("Missing.bin")).c_str()), nullptr);
}

TEST(ImgAsync, DestroyingARequestWhileItsChunkIsReadWaitsForTheChunkOnly)
{
    FAsyncArchive A;
    ASSERT_NE(A.FileSystem, nullptr);
    auto Reader = A.Open(TVTEXT("First.bin"));
    // Every byte starts different from the item's.
    std::vector<unsigned char> Got(GItemSize);
    for (std::size_t i = 0; i < GItemSize; ++i)
        Got[i] = static_cast<unsigned char>(~A.First[i]);
    const std::vector<unsigned char> Untouched = Got;
    // The worker stops inside its first chunk: the loader is taken.
    A.FileSystem->GetLoaderLock()->Lock();
    const tvULong Handle = Reader->SendReadRequest(Got.data(), GItemSize, nullptr, 0);
    ASSERT_EQ(Handle, 0u);
    std::atomic<bool> WaitReturned{false};
    std::thread Waiter([&] {
        Reader->WaitForRequest(Handle);
        WaitReturned = true;
    });
    std::thread Destroyer([&] { EXPECT_EQ(Reader->DestroyRequest(Handle), 1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    A.FileSystem->GetLoaderLock()->Unlock();
    Destroyer.join();
    Waiter.join();
    EXPECT_TRUE(WaitReturned);
    // At most the chunk in progress arrived; nothing after the destruction.
    const std::size_t Written = std::size_t(std::mismatch(Got.begin(), Got.end(), A.First.begin()).first - Got.begin());
    EXPECT_TRUE(Written == 0 || Written == 16384) << Written;
    EXPECT_TRUE(std::equal(Got.begin() + std::ptrdiff_t(Written), Got.end(), Untouched.begin() + std::ptrdiff_t(Written)));
    Tick(*A.FileSystem);
    // The worker serves what comes next.
    static_cast<FImgFileReaderAsync&>(*Reader).SetCurrentPos(0);
    unsigned char Byte = 0;
    EXPECT_EQ(Reader->SyncRead(&Byte, 1), 1);
    EXPECT_EQ(Byte, A.First[0]);
}

TEST(ImgAsync, DestroyingAReaderDropsItsRequests)
{
    for (const FKind& Kind : GKinds) {
        SCOPED_TRACE(Kind.Name);
        FAsyncArchive A;
        ASSERT_NE(A.FileSystem, nullptr);
        GDeliveries.clear();
        auto Reader = A.Open(Kind.File);
        auto Other = A.Open(TVTEXT("Second.bin"));
        std::vector<unsigned char> Got(GItemSize), OtherGot(GItemSize);
        // Queued, none served yet, when the reader goes.
        A.FileSystem->GetAsyncLock()->Lock();
        EXPECT_EQ(Reader->SendReadRequest(Got.data(), 20000, &RecordDelivery, 1), 0u);
        EXPECT_EQ(Other->SendReadRequest(OtherGot.data(), GItemSize, &RecordDelivery, 2), 1u);
        EXPECT_EQ(Reader->SendReadRequest(Got.data() + 20000, 20000, &RecordDelivery, 3), 2u);
        Reader.reset();
        A.FileSystem->GetAsyncLock()->Unlock();
        Other->WaitForRequest(1);
        Tick(*A.FileSystem);
        // Only the other reader's request completed; the dropped slots are free for reuse.
        ASSERT_EQ(GDeliveries.size(), 1u);
        EXPECT_EQ(GDeliveries[0].Record.UserData, 2);
        EXPECT_EQ(OtherGot, A.Second);
        EXPECT_EQ(Other->DestroyRequest(0), 0);
        EXPECT_EQ(Other->DestroyRequest(2), 0);
        EXPECT_EQ(Other->DestroyRequest(1), 1);
        std::vector<unsigned char> Again(100);
        EXPECT_EQ(Other->SendReadRequest(Again.data(), 0, nullptr, 0), 0u);
        GDeliveries.clear();
    }
}

TEST(ImgAsync, DestroyingAReaderWhileAChunkIsReadIntoItWaitsForThatChunk)
{
    FAsyncArchive A;
    ASSERT_NE(A.FileSystem, nullptr);
    GDeliveries.clear();
    auto Reader = A.Open(TVTEXT("First.bin"));
    std::vector<unsigned char> Got(GItemSize);
    for (std::size_t i = 0; i < GItemSize; ++i)
        Got[i] = static_cast<unsigned char>(~A.First[i]);
    const std::vector<unsigned char> Untouched = Got;
    // The worker stops inside the first chunk (it borrows the reader's cache there).
    A.FileSystem->GetLoaderLock()->Lock();
    ASSERT_EQ(Reader->SendReadRequest(Got.data(), GItemSize, &RecordDelivery, 1), 0u);
    std::thread Destroyer([&] { Reader.reset(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    A.FileSystem->GetLoaderLock()->Unlock();
    Destroyer.join();
    const std::size_t Written = std::size_t(std::mismatch(Got.begin(), Got.end(), A.First.begin()).first - Got.begin());
    EXPECT_TRUE(Written == 0 || Written == 16384) << Written;
    EXPECT_TRUE(std::equal(Got.begin() + std::ptrdiff_t(Written), Got.end(), Untouched.begin() + std::ptrdiff_t(Written)));
    Tick(*A.FileSystem);
    EXPECT_TRUE(GDeliveries.empty());
    EXPECT_EQ(A.FileSystem->GetRequestSlotCount(), 1);
    auto Next = A.Open(TVTEXT("Second.bin"));
    unsigned char Byte = 0;
    EXPECT_EQ(Next->SendReadRequest(&Byte, 1, nullptr, 0), 0u);
}

TEST(ImgAsync, DestroyingTheFileSystemWithRequestsPendingEndsTheWorkerCleanly)
{
    FAsyncArchive A;
    ASSERT_NE(A.FileSystem, nullptr);
    GDeliveries.clear();
    auto Archive = A.Open(TVTEXT("First.bin"));
    auto Loose = A.Open(TVTEXT("Loose.bin"));
    std::vector<std::vector<unsigned char>> Buffers(16, std::vector<unsigned char>(GItemSize));
    for (int i = 0; i < 8; ++i) {
        static_cast<FImgFileReaderAsync&>(*Archive).SetCurrentPos(0);
        static_cast<FRawFileReaderAsync&>(*Loose).SetCurrentPos(0);
        Archive->SendReadRequest(Buffers[std::size_t(i)].data(), GItemSize, &RecordDelivery, i);
        Loose->SendReadRequest(Buffers[std::size_t(i + 8)].data(), GItemSize, &RecordDelivery, i + 8);
    }
    // The file system goes first (the worker may be inside a chunk); its readers stay behind,
    // untied: they refuse requests and their destruction touches nothing of it.
    A.FileSystem.reset();
    unsigned char Byte = 0;
    EXPECT_EQ(Archive->SendReadRequest(&Byte, 1, nullptr, 0), GReadRequestRefused);
    EXPECT_EQ(Loose->SyncRead(&Byte, 1), 0);
    EXPECT_EQ(Archive->GetSize(), 0);
    Archive->WaitForRequest(0);
    EXPECT_EQ(Loose->DestroyRequest(1), 0);
    Archive.reset();
    Loose.reset();
    EXPECT_TRUE(GDeliveries.empty());
}

namespace {
std::atomic<int> GIdleWindows{0};
std::atomic<bool> GSentInWindow{false};
// Holds the worker in its window between going idle and suspending until a request was sent.
void HoldWorkerBeforeSuspending()
{
    ++GIdleWindows;
    for (int i = 0; i < 2000 && !GSentInWindow; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
} // namespace

TEST(ImgAsync, ARequestSentAsTheWorkerGoesIdleIsServedAtOnce)
{
    FAsyncArchive A;
    ASSERT_NE(A.FileSystem, nullptr);
    auto Reader = A.Open(TVTEXT("Second.bin"));
    auto& Async = static_cast<FImgFileReaderAsync&>(*Reader);
    unsigned char Bytes[2] = {};
    GIdleWindows = 0;
    GSentInWindow = false;
    GImgWorkerGoingIdle = &HoldWorkerBeforeSuspending;
    // The first request wakes the worker; once it is done the worker goes idle and stops in
    // the window, where the second request is sent. Nothing follows it, so a worker that slept
    // through it would never serve it: the poll gives up after 10 seconds.
    const tvULong First = Reader->SendReadRequest(&Bytes[0], 1, nullptr, 0);
    Reader->WaitForRequest(First);
    while (GIdleWindows == 0)
        std::this_thread::yield();
    const tvULong Second = Reader->SendReadRequest(&Bytes[1], 1, nullptr, 0);
    GSentInWindow = true;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Reader->GetRequestReadSize(Second) != 1 && std::chrono::steady_clock::now() < Deadline)
        std::this_thread::yield();
    EXPECT_EQ(Reader->GetRequestReadSize(Second), 1u);
    GImgWorkerGoingIdle = nullptr;
    EXPECT_EQ(Bytes[0], A.Second[0]);
    EXPECT_EQ(Bytes[1], A.Second[1]);
    EXPECT_EQ(Reader->DestroyRequest(First), 1);
    EXPECT_EQ(Reader->DestroyRequest(Second), 1);

    // Many times over without the hook, the moment of sending moving across the window.
    for (int i = 0; i < 3000; ++i) {
        unsigned char Byte = 0;
        Async.SetCurrentPos(tvULong(i) % GItemSize);
        const tvULong Handle = Reader->SendReadRequest(&Byte, 1, nullptr, 0);
        ASSERT_EQ(Handle, 0u);
        const auto Until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Reader->GetRequestReadSize(Handle) != 1 && std::chrono::steady_clock::now() < Until)
            std::this_thread::yield();
        ASSERT_EQ(Reader->GetRequestReadSize(Handle), 1u) << "request " << i << " was not served";
        EXPECT_EQ(Byte, A.Second[std::size_t(i) % GItemSize]);
        EXPECT_EQ(Reader->DestroyRequest(Handle), 1);
        for (volatile int Spin = 0; Spin < i % 200; Spin = Spin + 1) {
        }
    }
}
