// TArray: growth rule, sizes, adding and removing, copies, refused memory and the per-type
// handling of new and dropped elements.
#include <tvCore/tvCore.h>

#include "support/CountingMalloc.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace Tolvane;
using tvtest::FCountingMalloc;

namespace {

template <class T>
std::vector<T> Items(const TArray<T>& Array)
{
    return std::vector<T>(Array.begin(), Array.end());
}

TArray<int> MakeInts(std::initializer_list<int> Values)
{
    TArray<int> Array;
    for (int Value : Values)
        Array.AddItem(Value);
    return Array;
}

// A point-like record whose constructor leaves a mark: TArray must not run it, new elements
// are zero bytes.
struct FMarkedPoint {
    float X, Y, Z;
    FMarkedPoint() : X(-1.0f), Y(-1.0f), Z(-1.0f) {}
    FMarkedPoint(float InX, float InY, float InZ) : X(InX), Y(InY), Z(InZ) {}
    bool operator==(const FMarkedPoint& Other) const { return X == Other.X && Y == Other.Y && Z == Other.Z; }
};

// A request-like record that opts into default construction after the zeroing; its
// constructor sets one field and relies on the zeroing for the rest.
struct FRequestRecord {
    tvULong Handle;
    int Priority;
    void* Buffer;
    FRequestRecord() : Handle(0xFFFFFFFFu) {}
};

// A record without == and without padding: searched by its bytes.
struct FPairOfInts {
    int A;
    int B;
};

} // namespace

namespace Tolvane {
template <>
struct TArrayElementTraits<FRequestRecord> : TArrayConstructedElements<FRequestRecord> {};
} // namespace Tolvane

// --- Growth -----------------------------------------------------------------------------------

TEST(ArrayGrowth, AutomaticStepIsThreeEighthsOfTheCountPlus32UpTo1024)
{
    struct FCase { int Count, GrowBy, Step; } Cases[] = {
        {0, 0, 32}, {1, 0, 32}, {33, 0, 44}, {2645, 0, 1023}, {2646, 0, 1024}, {INT_MAX, 0, 1024},
        {0, 5, 5}, {5000, 7, 7},
    };
    for (const FCase& Case : Cases)
        EXPECT_EQ(FArrayStorage::GrowthStep(Case.Count, Case.GrowBy), Case.Step)
            << "count " << Case.Count << ", grow-by " << Case.GrowBy;
}

TEST(ArrayGrowth, AddItemOneByOneGivesCapacities1_33_77AndStepsCappedAt1024)
{
    TArray<float> Array;
    std::vector<int> Capacities;
    for (int i = 0; i < 6000; ++i) {
        ASSERT_EQ(Array.AddItem(static_cast<float>(i)), i);
        if (Capacities.empty() || Capacities.back() != Array.GetCapacity())
            Capacities.push_back(Array.GetCapacity());
    }
    ASSERT_GE(Capacities.size(), 4u);
    EXPECT_EQ(Capacities[0], 1);
    EXPECT_EQ(Capacities[1], 33);
    EXPECT_EQ(Capacities[2], 77);
    EXPECT_EQ(Capacities[3], 137);  // 77 * 3 / 8 + 32 = 60
    for (std::size_t i = 1; i < Capacities.size(); ++i) {
        const int Full = Capacities[i - 1];
        if (Full >= 2646)
            EXPECT_EQ(Capacities[i] - Full, 1024) << "growth from " << Full;
        else
            EXPECT_LT(Capacities[i] - Full, 1024) << "growth from " << Full;
    }
    for (int i = 0; i < 6000; ++i)
        ASSERT_EQ(Array[i], static_cast<float>(i)) << "raw-byte moves keep every element";
}

// --- SetSize ----------------------------------------------------------------------------------

TEST(ArraySetSize, GrowByDecidesTheStepUnlessTheNewSizeIsLarger)
{
    TArray<float> Array;
    ASSERT_EQ(Array.SetSize(10, 5), 1);
    EXPECT_EQ(Array.GetCapacity(), 10);
    EXPECT_EQ(Array.GetGrowBy(), 5);
    Array.SetSize(11);
    EXPECT_EQ(Array.GetCapacity(), 15);
    Array.SetSize(40);
    EXPECT_EQ(Array.GetCapacity(), 40);
    EXPECT_EQ(Array.Num(), 40);

    TArray<float> Small;
    Small.SetSize(2, 16);  // first storage: max(new size, grow-by)
    EXPECT_EQ(Small.GetCapacity(), 16);
}

TEST(ArraySetSize, ZeroFreesTheStorageWhileRemoveAllKeepsItUnlessAsked)
{
    TArray<float> Array;
    Array.SetSize(20, 8);
    Array.SetSize(0);
    EXPECT_EQ(Array.GetData(), nullptr);
    EXPECT_EQ(Array.GetCapacity(), 0);
    EXPECT_EQ(Array.GetGrowBy(), 8);

    Array.SetSize(20);
    const float* Storage = Array.GetData();
    Array.RemoveAll(0);
    EXPECT_EQ(Array.Num(), 0);
    EXPECT_EQ(Array.GetData(), Storage);
    EXPECT_EQ(Array.GetCapacity(), 20);
    Array.RemoveAll(1);
    EXPECT_EQ(Array.GetData(), nullptr);
    EXPECT_EQ(Array.GetCapacity(), 0);
    EXPECT_EQ(Array.GetGrowBy(), 8);
}

// Slots that come back into use hold old bytes (shrunk away, removed, moved down); every way
// back must hand them out as zero.
TEST(ArraySetSize, ElementsComingBackIntoUseAreZero)
{
    TArray<int> Array = MakeInts({1, 2, 3, 4, 5, 6});
    Array.SetSize(2);
    Array.SetSize(6);
    EXPECT_EQ(Items(Array), (std::vector<int>{1, 2, 0, 0, 0, 0}));

    Array = MakeInts({1, 2, 3, 4, 5, 6});
    Array.RemoveAt(0, 3);
    EXPECT_EQ(Array.AddZeroed(3), 3);
    EXPECT_EQ(Items(Array), (std::vector<int>{4, 5, 6, 0, 0, 0}));

    Array.RemoveAll(0);
    EXPECT_EQ(Array.AddSize(4, 0), 0) << "AddSize returns the old count";
    EXPECT_EQ(Items(Array), (std::vector<int>{0, 0, 0, 0}));
    Array.SetAtGrow(6, 7);
    EXPECT_EQ(Items(Array), (std::vector<int>{0, 0, 0, 0, 0, 0, 7}));
}

TEST(ArraySetSize, ImpossibleSizesAreRefusedAndChangeNothing)
{
    TArray<FMarkedPoint> Array;
    Array.AddItem(FMarkedPoint(1, 2, 3));
    Array.AddItem(FMarkedPoint(4, 5, 6));
    const FMarkedPoint* Storage = Array.GetData();
    const int Capacity = Array.GetCapacity();
    const int TooMany = FArrayStorage::MaxElements(sizeof(FMarkedPoint)) + 1;  // bytes past 32 bits

    struct FCase { const char* What; int Result; } Cases[] = {
        {"SetSize(-1)", Array.SetSize(-1)},
        {"SetSize(INT_MIN)", Array.SetSize(INT_MIN)},
        {"SetSize(too many)", Array.SetSize(TooMany)},
        {"SetSize(INT_MAX)", Array.SetSize(INT_MAX)},
        {"AddSize(-1)", Array.AddSize(-1) == -1 ? 0 : 1},
        {"AddSize(INT_MAX)", Array.AddSize(INT_MAX) == -1 ? 0 : 1},
        {"AddZeroed(too many)", Array.AddZeroed(TooMany) == -1 ? 0 : 1},
        {"InsertAt(1, x, INT_MAX)", Array.InsertAt(1, FMarkedPoint(), INT_MAX)},
        {"InsertAt(INT_MAX, x, 2)", Array.InsertAt(INT_MAX, FMarkedPoint(), 2)},
        {"SetAtGrow(INT_MAX)", Array.SetAtGrow(INT_MAX, FMarkedPoint())},
        {"SetAtGrow(-1)", Array.SetAtGrow(-1, FMarkedPoint())},
        {"ReserveSpace(-1)", Array.ReserveSpace(-1)},
        {"ReserveSpace(INT_MAX)", Array.ReserveSpace(INT_MAX)},
    };
    for (const FCase& Case : Cases)
        EXPECT_EQ(Case.Result, 0) << Case.What;
    EXPECT_EQ(Array.GetData(), Storage);
    EXPECT_EQ(Array.GetCapacity(), Capacity);
    EXPECT_EQ(Items(Array), (std::vector<FMarkedPoint>{FMarkedPoint(1, 2, 3), FMarkedPoint(4, 5, 6)}));
}

// --- Adding -----------------------------------------------------------------------------------

TEST(ArrayAdd, AddItemReturnsTheIndexPushBackTheNewCount)
{
    TArray<float> Added, Pushed;
    EXPECT_EQ(Added.AddItem(1.5f), 0);
    EXPECT_EQ(Added.AddItem(2.5f), 1);
    EXPECT_EQ(Pushed.PushBack(1.5f), 1);
    EXPECT_EQ(Pushed.PushBack(2.5f), 2);
    EXPECT_EQ(Items(Added), Items(Pushed));
}

// A value passed by reference into the array's own storage must still be read correctly when
// the storage moves or the elements shift under it.
TEST(ArrayAdd, ValueTakenFromTheArrayItselfSurvivesGrowthAndShifts)
{
    TArray<int> Array;
    Array.SetSize(0, 3);
    for (int Value : {10, 20, 30})
        Array.AddItem(Value);
    ASSERT_EQ(Array.Num(), Array.GetCapacity());
    Array.AddItem(Array[0]);                 // full: the storage moves
    EXPECT_EQ(Items(Array), (std::vector<int>{10, 20, 30, 10}));
    Array.InsertAt(0, Array[1], 2);          // the value moves up with the tail
    EXPECT_EQ(Items(Array), (std::vector<int>{20, 20, 10, 20, 30, 10}));
    Array.SetAtGrow(40, Array[4]);
    EXPECT_EQ(Array[40], 30);
    Array.InsertAt(41, Array[0], 1);
    EXPECT_EQ(Array[41], 20);
}

TEST(ArrayInsert, InsertAtInsideAtAndPastTheEnd)
{
    struct FCase { int Index, Number, Result; std::vector<int> Expected; } Cases[] = {
        {5, 2, 1, {1, 2, 3, 0, 0, 9, 9}},
        {3, 1, 1, {1, 2, 3, 9}},
        {1, 2, 1, {1, 9, 9, 2, 3}},
        {0, 1, 1, {9, 1, 2, 3}},
        {1, 0, 1, {1, 2, 3}},
        {-1, 1, 0, {1, 2, 3}},
        {1, -1, 0, {1, 2, 3}},
    };
    for (const FCase& Case : Cases) {
        TArray<int> Array = MakeInts({1, 2, 3});
        EXPECT_EQ(Array.InsertAt(Case.Index, 9, Case.Number), Case.Result) << "at " << Case.Index;
        EXPECT_EQ(Items(Array), Case.Expected) << "at " << Case.Index << ", " << Case.Number;
    }
}

// --- Removing ---------------------------------------------------------------------------------

TEST(ArrayRemove, RemoveAtCutsRangesAtTheEndAndIgnoresBadOnes)
{
    struct FCase { int Index, Number, Removed; std::vector<int> Expected; } Cases[] = {
        {1, 2, 2, {0, 3, 4, 5}},
        {0, 6, 6, {}},
        {5, 1, 1, {0, 1, 2, 3, 4}},
        {4, 10, 2, {0, 1, 2, 3}},
        {2, INT_MAX, 4, {0, 1}},
        {6, 1, 0, {0, 1, 2, 3, 4, 5}},
        {-1, 2, 0, {0, 1, 2, 3, 4, 5}},
        {INT_MIN, 1, 0, {0, 1, 2, 3, 4, 5}},
        {2, 0, 0, {0, 1, 2, 3, 4, 5}},
        {2, -3, 0, {0, 1, 2, 3, 4, 5}},
    };
    for (const FCase& Case : Cases) {
        TArray<int> Array = MakeInts({0, 1, 2, 3, 4, 5});
        const int Capacity = Array.GetCapacity();
        EXPECT_EQ(Array.RemoveAt(Case.Index, Case.Number), Case.Removed) << Case.Index << ", " << Case.Number;
        EXPECT_EQ(Items(Array), Case.Expected) << Case.Index << ", " << Case.Number;
        EXPECT_EQ(Array.GetCapacity(), Capacity);
    }
}

TEST(ArrayRemove, RemoveItemTakesTheFirstEqualElement)
{
    TArray<float> Empty;
    EXPECT_EQ(Empty.RemoveItem(1.0f), -1);

    TArray<int> Array = MakeInts({7, 8, 7});
    EXPECT_EQ(Array.RemoveItem(7), 0);
    EXPECT_EQ(Items(Array), (std::vector<int>{8, 7}));
    EXPECT_EQ(Array.RemoveItem(9), -1);
    EXPECT_EQ(Items(Array), (std::vector<int>{8, 7}));

    int A = 1, B = 2;
    TArray<int*> Pointers;
    Pointers.AddItem(&A);
    Pointers.AddItem(&B);
    EXPECT_EQ(Pointers.RemoveItem(&B), 1);
    EXPECT_EQ(Pointers.Num(), 1);

    TArray<FPairOfInts> Records;  // no ==: compared by bytes
    Records.AddItem({1, 2});
    Records.AddItem({3, 4});
    EXPECT_EQ(Records.RemoveItem({3, 4}), 1);
    EXPECT_EQ(Records.RemoveItem({2, 1}), -1);
}

// --- Copies and reserved space ----------------------------------------------------------------

TEST(ArrayCopy, CopiesAreIndependentAndStartWithoutGrowBy)
{
    TArray<int> Source = MakeInts({1, 2, 3});
    Source.SetSize(3, 50);
    TArray<int> Copy(Source);
    EXPECT_EQ(Items(Copy), Items(Source));
    EXPECT_NE(Copy.GetData(), Source.GetData());
    EXPECT_EQ(Copy.GetGrowBy(), 0);
    Copy[0] = 99;
    EXPECT_EQ(Source[0], 1);

    TArray<int> Longer = MakeInts({5, 6, 7, 8, 9});
    Longer = Source;
    EXPECT_EQ(Items(Longer), Items(Source));
    const int* Storage = Source.GetData();
    EXPECT_EQ(Source.Copy(Source), 1);
    Source = *&Source;
    EXPECT_EQ(Source.GetData(), Storage);
    EXPECT_EQ(Items(Source), (std::vector<int>{1, 2, 3}));

    TArray<int> Moved(std::move(Source));
    EXPECT_EQ(Moved.GetData(), Storage);
    EXPECT_EQ(Source.GetData(), nullptr);
    EXPECT_EQ(Source.Num(), 0);
}

TEST(ArrayReserve, ReservesExactlyAndNeverShrinks)
{
    TArray<unsigned char> Bytes;
    ASSERT_EQ(Bytes.ReserveSpace(64), 1);
    EXPECT_EQ(Bytes.GetCapacity(), 64);
    EXPECT_EQ(Bytes.Num(), 0);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(Bytes.GetData()[i], 0);

    for (unsigned char Value : {1, 2, 3})
        Bytes.AddItem(Value);
    ASSERT_EQ(Bytes.ReserveSpace(100), 1);  // already has storage: grows to exactly 100
    EXPECT_EQ(Bytes.GetCapacity(), 100);
    EXPECT_EQ(Bytes.Num(), 3);
    EXPECT_EQ(Items(Bytes), (std::vector<unsigned char>{1, 2, 3}));
    ASSERT_EQ(Bytes.ReserveSpace(10), 1);
    EXPECT_EQ(Bytes.GetCapacity(), 100);
}

// --- Refused memory ---------------------------------------------------------------------------

TEST(ArrayMemory, RefusedMemoryLeavesTheArrayAsItWas)
{
    FCountingMalloc Counting;
    {
        TArray<int> Array = MakeInts({1, 2, 3});
        Array.SetSize(3);
        while (Array.Num() < Array.GetCapacity())
            Array.AddItem(4);
        const std::vector<int> Before = Items(Array);
        const int* Storage = Array.GetData();
        Counting.RefuseAll = true;
        EXPECT_EQ(Array.AddItem(5), -1);
        EXPECT_EQ(Array.PushBack(5), -1);
        EXPECT_EQ(Array.SetSize(Array.Num() + 1), 0);
        EXPECT_EQ(Array.InsertAt(0, 5, 1), 0);
        EXPECT_EQ(Array.ReserveSpace(1000), 0);
        EXPECT_EQ(Array.GetData(), Storage);
        EXPECT_EQ(Items(Array), Before);
        TArray<int> Copy(Array);
        EXPECT_EQ(Copy.Num(), 0);
        EXPECT_EQ(Copy.GetData(), nullptr);
        Counting.RefuseAll = false;
    }
    EXPECT_EQ(Counting.Live, 0);
}

TEST(ArrayMemory, WhenTheGrowthStepIsRefusedTheExactSizeIsTried)
{
    FCountingMalloc Counting;
    TArray<int> Array;
    Array.SetSize(1000);
    Counting.RefuseAbove = 1001 * sizeof(int);  // the step would ask for 1407 elements
    EXPECT_EQ(Array.AddItem(7), 1000);
    EXPECT_EQ(Array.GetCapacity(), 1001);
    EXPECT_EQ(Array[1000], 7);
}

// --- Element handling -------------------------------------------------------------------------

TEST(ArrayElements, NewRecordsAreZeroBytesWithoutTheirConstructor)
{
    TArray<FMarkedPoint> Points;
    Points.SetSize(3);
    Points.InsertAt(1, FMarkedPoint(1, 1, 1), 1);
    Points.AddZeroed(2);
    const FMarkedPoint Zero(0, 0, 0);
    const std::vector<FMarkedPoint> Expected{Zero, FMarkedPoint(1, 1, 1), Zero, Zero, Zero, Zero};
    EXPECT_EQ(Items(Points), Expected);
}

TEST(ArrayElements, OptedInRecordsGetTheirConstructorAfterTheZeroing)
{
    TArray<FRequestRecord> Requests;
    FRequestRecord Dirty;
    Dirty.Handle = 5;
    Dirty.Priority = 9;
    Dirty.Buffer = &Dirty;
    for (int i = 0; i < 4; ++i)
        Requests.AddItem(Dirty);
    Requests.SetSize(1);                      // slots 1..3 keep their old bytes
    Requests.SetSize(3);                      // grow within the storage
    Requests.InsertAt(5, Dirty, 1);           // past the end: 3 and 4 are new
    Requests.AddSize(40);                     // new storage
    ASSERT_EQ(Requests.Num(), 46);
    for (int i = 1; i < Requests.Num(); ++i) {
        if (i == 5)
            continue;
        EXPECT_EQ(Requests[i].Handle, 0xFFFFFFFFu) << i;
        EXPECT_EQ(Requests[i].Priority, 0) << i;
        EXPECT_EQ(Requests[i].Buffer, nullptr) << i;
    }
    EXPECT_EQ(Requests[5].Priority, 9);
}

TEST(ArrayElements, IsPODIsOneForNumbersOnly)
{
    EXPECT_EQ((TArray<char, const char&>::IsPOD()), 1);
    EXPECT_EQ(TArray<unsigned char>::IsPOD(), 1);
    EXPECT_EQ(TArray<float>::IsPOD(), 1);
    EXPECT_EQ(TArray<FMarkedPoint>::IsPOD(), 0);
    EXPECT_EQ(TArray<FRequestRecord>::IsPOD(), 0);
    EXPECT_EQ(TArray<FNamedPair>::IsPOD(), 0);
    EXPECT_EQ(TArray<FMarkedPoint*>::IsPOD(), 0);
}

// An array of arrays releases the inner storage whenever an inner array is dropped.
TEST(ArrayElements, ArraysOfArraysFreeTheInnerStorageTheyDrop)
{
    FCountingMalloc Counting;
    {
        TArray<TArray<int>> Outer;
        Outer.SetSize(4);
        for (int i = 0; i < 4; ++i)
            Outer[i].AddItem(i);
        Outer.AddItem(Outer[2]);   // a copy with storage of its own
        Outer.RemoveAt(0, 1);
        Outer.SetSize(2);
        EXPECT_EQ(Outer[1][0], 2);
        TArray<TArray<int>> Copy(Outer);
        Copy.RemoveAll(0);
        Outer.InsertAt(1, Outer[0], 3);
        EXPECT_EQ(Outer[2][0], 1);
        EXPECT_EQ(Outer[4][0], 2);
    }
    EXPECT_EQ(Counting.Live, 0);
}
