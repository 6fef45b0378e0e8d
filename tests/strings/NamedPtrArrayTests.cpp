// TNamedPtrArray: search by name before and after sorting, shared objects in copies, and which
// removal deletes the objects.
#include <tvCore/tvCore.h>

#include "support/CountingMalloc.h"

#include <gtest/gtest.h>

using namespace Tolvane;
using tvtest::FCountingMalloc;

namespace {

// Objects that count their own destruction.
struct FCountedObject {
    static int Destroyed;
    int Id;
    explicit FCountedObject(int InId) : Id(InId) {}
    ~FCountedObject() { ++Destroyed; }
};
int FCountedObject::Destroyed = 0;

class NamedPtrArray : public ::testing::Test {
protected:
    int A = 1, B = 2, C = 3, D = 4;
    TNamedPtrArray<int> Array{nullptr, 0};

    // Names 30, 10, 20, 10 in that order.
    void AddFour()
    {
        Array.AddTail(30, &A);
        Array.AddTail(10, &B);
        Array.AddTail(20, &C);
        Array.AddTail(10, &D);
    }
};

} // namespace

TEST_F(NamedPtrArray, ConstructorReservesPairsAndKeepsTheNameTable)
{
    FNameHash* Table = reinterpret_cast<FNameHash*>(&A);  // never read by the array
    TNamedPtrArray<int> Reserved(Table, 16);
    EXPECT_EQ(Reserved.GetNames(), Table);
    EXPECT_EQ(Reserved.GetCount(), 0);
    EXPECT_FALSE(Reserved.IsSorted());
    EXPECT_EQ(Reserved.BinarySearch(0), nullptr);
    EXPECT_EQ(Reserved.LinearSearch(0), nullptr);
}

TEST_F(NamedPtrArray, UnsortedSearchesGiveTheFirstMatchFromTheFront)
{
    AddFour();
    EXPECT_EQ(Array.BinarySearch(10), &B);
    EXPECT_EQ(Array.LinearSearch(10), &B);
    EXPECT_EQ(Array.BinarySearch(30), &A);
    EXPECT_EQ(Array.BinarySearch(11), nullptr);
    EXPECT_EQ(Array.GetCount(), 4);
    EXPECT_EQ(Array.NameAt(2), 20u);
    EXPECT_EQ(Array.ElementAt(2), &C);
}

TEST_F(NamedPtrArray, SortOrdersByNameAndAddTailMakesTheSearchLinearAgain)
{
    AddFour();
    Array.Sort();
    EXPECT_TRUE(Array.IsSorted());
    const tvULong Sorted[] = {10, 10, 20, 30};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Array.NameAt(i), Sorted[i]);
    EXPECT_EQ(Array.BinarySearch(20), &C);
    EXPECT_EQ(Array.BinarySearch(30), &A);
    const int* Ten = Array.BinarySearch(10);
    EXPECT_TRUE(Ten == &B || Ten == &D);
    EXPECT_EQ(Array.BinarySearch(25), nullptr);

    // 5 at the tail is out of order: only a linear search finds it.
    int E = 5;
    Array.AddTail(5, &E);
    EXPECT_FALSE(Array.IsSorted());
    EXPECT_EQ(Array.BinarySearch(5), &E);
}

// Names compare as signed 32-bit values (the sign of their difference where it does not
// overflow): 0x80000000 and the "no such name" value 0xFFFFFFFF (-1) sort before 0.
TEST_F(NamedPtrArray, LargeNamesSortAsSignedNumbers)
{
    Array.AddTail(0xFFFFFFFFu, &A);
    Array.AddTail(0, &B);
    Array.AddTail(0x80000000u, &C);
    Array.AddTail(7, &D);
    Array.Sort();
    const tvULong Sorted[] = {0x80000000u, 0xFFFFFFFFu, 0, 7};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Array.NameAt(i), Sorted[i]);
    EXPECT_EQ(Array.BinarySearch(0xFFFFFFFFu), &A);
    EXPECT_EQ(Array.BinarySearch(0x80000000u), &C);
    EXPECT_EQ(Array.BinarySearch(0), &B);
}

TEST_F(NamedPtrArray, CopiesShareTheObjectsAndKeepTheSortedFlag)
{
    AddFour();
    Array.Sort();
    TNamedPtrArray<int> Copy(Array);
    EXPECT_TRUE(Copy.IsSorted());
    EXPECT_EQ(Copy.BinarySearch(20), &C);
    TNamedPtrArray<int> Assigned;
    Assigned.AddTail(99, &A);
    Assigned = Array;
    EXPECT_EQ(Assigned.GetCount(), 4);
    EXPECT_EQ(Assigned.BinarySearch(30), &A);
    Copy.RemoveAll();
    EXPECT_EQ(Copy.GetCount(), 0);
    EXPECT_EQ(Array.GetCount(), 4);
}

TEST(NamedPtrArrayObjects, OnlyRemoveAndDeleteAllDeletesAndItSkipsNull)
{
    FCountingMalloc Counting;
    FCountedObject::Destroyed = 0;
    FCountedObject Kept(0);
    {
        TNamedPtrArray<FCountedObject> Array(nullptr, 4);
        Array.AddTail(1, &Kept);
        Array.RemoveAll();
        EXPECT_EQ(FCountedObject::Destroyed, 0);

        Array.AddTail(1, new FCountedObject(1));
        Array.AddTail(2, nullptr);
        Array.AddTail(3, new FCountedObject(3));
        TNamedPtrArray<FCountedObject> Copy(Array);  // shares; its destruction deletes nothing
        Array.RemoveAndDeleteAll();
        EXPECT_EQ(FCountedObject::Destroyed, 2);
        EXPECT_EQ(Array.GetCount(), 0);
        EXPECT_EQ(Array.BinarySearch(1), nullptr);
    }
    EXPECT_EQ(FCountedObject::Destroyed, 2);
    EXPECT_EQ(Counting.Live, 0) << "pair storage freed";
}
