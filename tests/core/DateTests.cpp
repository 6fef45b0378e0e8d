// The calendar: day arithmetic, spans, the leap-year rule, and the eight-digit date stamps.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

// Opens the protected calendar helpers to the tests.
class FCalendar : public FDateTime {
public:
    using FDateTime::FDateTime;
    using FDateTime::CalcDaysInThisMonth;
    using FDateTime::GetTotalDays;
    using FDateTime::IsLeapYear;
};

FDateTime Date(int Year, int Month, int Day) { return FDateTime(Year, Month, Day, 0, 0, 0); }

} // namespace

namespace Tolvane {
// Readable failure messages.
void PrintTo(const FDateTime& D, std::ostream* Out)
{
    *Out << D.Year << "-" << D.Month << "-" << D.Day << " " << D.Hour << ":" << D.Minute << ":" << D.Second;
}
} // namespace Tolvane

TEST(DateTime, ConstructionAndEquality)
{
    const FDateTime Zero;
    EXPECT_TRUE(Zero == FDateTime(0, 0, 0, 0, 0, 0));
    FDateTime D;
    D.SetDateTime(2022, 6, 27, 11, 57, 8);
    EXPECT_TRUE(D == FDateTime(2022, 6, 27, 11, 57, 8));
    // Each field takes part in the comparison.
    const FDateTime Others[] = {{2023, 6, 27, 11, 57, 8}, {2022, 7, 27, 11, 57, 8}, {2022, 6, 28, 11, 57, 8},
                                {2022, 6, 27, 12, 57, 8}, {2022, 6, 27, 11, 58, 8}, {2022, 6, 27, 11, 57, 9}};
    for (const FDateTime& Other : Others)
        EXPECT_FALSE(D == Other);
}

// The Gregorian rule: divisible by 4 and not by 100, or divisible by 400, so 2000 and 2400 are
// leap years and 1900 and 2100 are not; every operation agrees with that.
TEST(DateTime, LeapYearRuleIsGregorian)
{
    const FCalendar C;
    struct FCase {
        int Year;
        int Leap;
    } const Years[] = {{2004, 1}, {2020, 1}, {1996, 1}, {2000, 1}, {1900, 0}, {2100, 0}, {2400, 1},
                       {1600, 1}, {1700, 0}, {2021, 0}, {2022, 0}, {4, 1}, {0, 1}, {-4, 1}, {-100, 0}, {-400, 1}};
    for (const FCase& Case : Years) {
        EXPECT_EQ(C.IsLeapYear(Case.Year), Case.Leap) << Case.Year;
        EXPECT_EQ(C.CalcDaysInThisMonth(Case.Year, 2), 28 + Case.Leap) << Case.Year;
    }
    const int Lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int Month = 1; Month <= 12; ++Month) {
        EXPECT_EQ(FDateTime::_MonthDays[Month - 1], Lengths[Month - 1]);
        EXPECT_EQ(C.CalcDaysInThisMonth(2021, Month), Lengths[Month - 1]) << Month;
    }
    // A month outside 1..12 is read as the month it counts to, never outside the table.
    EXPECT_EQ(C.CalcDaysInThisMonth(2021, 0), 31);   // December 2020
    EXPECT_EQ(C.CalcDaysInThisMonth(2021, 14), 28);  // February 2022
    EXPECT_EQ(C.CalcDaysInThisMonth(2019, 14), 29);  // February 2020
    EXPECT_EQ(C.CalcDaysInThisMonth(2021, -10), 29); // February 2020
}

TEST(DateTime, DayNumbersCountFrom1900)
{
    struct FCase {
        int Year, Month, Day;
        tvLong Number;
    } const Cases[] = {
        {1900, 1, 1, 1},       {1900, 12, 31, 365},  {1901, 1, 1, 366},   {1904, 3, 1, 1521},
        {2000, 2, 28, 36583},  {2000, 2, 29, 36584},  {2000, 3, 1, 36585},  {2001, 1, 1, 36891},
        {2022, 6, 27, 44738},  {2100, 2, 28, 73108},  {2100, 3, 1, 73109},  {1899, 12, 31, 0},
        {1899, 1, 1, -364},    {1601, 1, 1, -109206},
    };
    for (const FCase& Case : Cases)
        EXPECT_EQ(FCalendar(Case.Year, Case.Month, Case.Day, 0, 0, 0).GetTotalDays(), Case.Number)
            << Case.Year << "-" << Case.Month << "-" << Case.Day;
}

TEST(DateTime, MovingByDaysAcrossMonthsYearsAndFebruary)
{
    struct FCase {
        FDateTime From;
        tvLong Days;
        FDateTime Forward;   // From + Days
        FDateTime Backward;  // From - Days
    } const Cases[] = {
        {Date(2000, 2, 28), 1, Date(2000, 2, 29), Date(2000, 2, 27)},
        {Date(2000, 2, 28), 2, Date(2000, 3, 1), Date(2000, 2, 26)},
        {Date(2100, 2, 28), 1, Date(2100, 3, 1), Date(2100, 2, 27)},
        {Date(2020, 1, 30), 2, Date(2020, 2, 1), Date(2020, 1, 28)},
        {Date(2020, 12, 31), 1, Date(2021, 1, 1), Date(2020, 12, 30)},
        {Date(2020, 3, 5), 5, Date(2020, 3, 10), Date(2020, 2, 29)},
        {Date(2020, 3, 5), 6, Date(2020, 3, 11), Date(2020, 2, 28)},
        {Date(2021, 1, 1), 1, Date(2021, 1, 2), Date(2020, 12, 31)},
        {Date(2000, 3, 1), 1, Date(2000, 3, 2), Date(2000, 2, 29)},
        {Date(2020, 2, 28), 1, Date(2020, 2, 29), Date(2020, 2, 27)},
        {Date(2020, 1, 1), 366, Date(2021, 1, 1), Date(2018, 12, 31)},
        {Date(1900, 1, 1), 36524, Date(2000, 1, 1), Date(1800, 1, 1)},
        {Date(2022, 6, 27), 0, Date(2022, 6, 27), Date(2022, 6, 27)},   // n < 1: unchanged
        {Date(2022, 6, 27), -5, Date(2022, 6, 27), Date(2022, 6, 27)},
        {Date(2022, 6, 27), std::numeric_limits<tvLong>::min(), Date(2022, 6, 27), Date(2022, 6, 27)},
    };
    for (const FCase& Case : Cases) {
        EXPECT_EQ(Case.From + FDateTimeSpan(Case.Days, 0, 0, 0), Case.Forward) << Case.Days;
        EXPECT_EQ(Case.From - FDateTimeSpan(Case.Days, 0, 0, 0), Case.Backward) << Case.Days;
    }
    // The time of day is kept, and the span's hours, minutes and seconds play no part.
    const FDateTime Noon(2020, 2, 28, 12, 34, 56);
    EXPECT_EQ(Noon + FDateTimeSpan(1, 23, 59, 59), FDateTime(2020, 2, 29, 12, 34, 56));
    EXPECT_EQ(Noon - FDateTimeSpan(1, 23, 59, 59), FDateTime(2020, 2, 27, 12, 34, 56));
    EXPECT_EQ(Noon + FDateTimeSpan(0, 48, 0, 0), Noon);
    EXPECT_EQ(Noon - FDateTimeSpan(0, 0, 0, 100000), Noon);
}

// Moving and spans go through the same calendar, so they undo each other in every year,
// across 1900, 2000 and 2100 included.
TEST(DateTime, MovingAndSpansAreInversesAcrossCenturies)
{
    const FDateTime Starts[] = {Date(1899, 11, 20), Date(1900, 2, 27), Date(1999, 12, 30), Date(2000, 2, 27),
                                Date(2099, 12, 1), Date(2100, 2, 27), Date(2023, 5, 31)};
    const tvLong Steps[] = {1, 2, 3, 28, 29, 59, 365, 366, 1461, 36524, 100000};
    for (const FDateTime& Start : Starts) {
        for (tvLong Step : Steps) {
            const FDateTime Later = Start + FDateTimeSpan(Step, 0, 0, 0);
            EXPECT_EQ((Later - Start).Days, Step);
            EXPECT_EQ(Later - FDateTimeSpan(Step, 0, 0, 0), Start) << Step;
            const FCalendar Check(Later.Year, Later.Month, Later.Day, 0, 0, 0);
            EXPECT_GE(Later.Day, 1);
            EXPECT_LE(Later.Day, Check.CalcDaysInThisMonth(Later.Year, Later.Month));
        }
    }
}

TEST(DateTime, FieldsOutOfRangeStillGiveAValidDate)
{
    // Month 13 counts on into January, day 0 back into the month before.
    EXPECT_EQ(Date(2020, 13, 5) + FDateTimeSpan(1, 0, 0, 0), Date(2021, 1, 6));
    EXPECT_EQ(Date(2020, 3, 0) - FDateTimeSpan(1, 0, 0, 0), Date(2020, 2, 28));
    EXPECT_EQ(Date(2021, 2, 31) + FDateTimeSpan(1, 0, 0, 0), Date(2021, 3, 4));
    EXPECT_EQ(Date(2021, 0, 1) - FDateTimeSpan(1, 0, 0, 0), Date(2020, 11, 30));
    // A result whose year does not fit leaves the date as it is.
    EXPECT_EQ(Date(INT_MAX, 12, 31) + FDateTimeSpan(1, 0, 0, 0), Date(INT_MAX, 12, 31));
    EXPECT_EQ(Date(INT_MIN, 1, 1) - FDateTimeSpan(1, 0, 0, 0), Date(INT_MIN, 1, 1));
}

TEST(DateTimeSpan, BorrowsFromTheNextLargerPart)
{
    struct FCase {
        FDateTime Later, Earlier;
        tvLong Days;
        int Hours, Minutes, Seconds;
    } const Cases[] = {
        {{2020, 1, 2, 1, 30, 15}, {2020, 1, 1, 23, 0, 0}, 0, 2, 30, 15},
        {{2020, 1, 2, 0, 0, 0}, {2020, 1, 1, 0, 0, 1}, 0, 23, 59, 59},
        {{2000, 3, 1, 0, 0, 0}, {2000, 2, 28, 0, 0, 0}, 2, 0, 0, 0},
        {{2020, 3, 1, 0, 0, 0}, {2020, 2, 28, 0, 0, 0}, 2, 0, 0, 0},
        {{2021, 1, 1, 12, 0, 0}, {2020, 1, 1, 12, 0, 0}, 366, 0, 0, 0},
        {{2020, 1, 1, 0, 0, 0}, {2020, 1, 2, 0, 0, 0}, -1, 0, 0, 0},
        {{2020, 1, 1, 0, 0, 0}, {2020, 1, 1, 0, 0, 1}, -1, 23, 59, 59},
    };
    for (const FCase& Case : Cases) {
        const FDateTimeSpan Span = Case.Later - Case.Earlier;
        EXPECT_EQ(Span.Days, Case.Days);
        EXPECT_EQ(Span.Hours, Case.Hours);
        EXPECT_EQ(Span.Minutes, Case.Minutes);
        EXPECT_EQ(Span.Seconds, Case.Seconds);
    }
    const FDateTimeSpan Span = FDateTime(2020, 1, 2, 1, 30, 15) - FDateTime(2020, 1, 1, 23, 0, 0);
    EXPECT_EQ(Span.GetTotalDays(), 0.0);
    EXPECT_EQ(Span.GetTotalHours(), 2.0);
    EXPECT_EQ(Span.GetTotalMinutes(), 150.0);
    EXPECT_EQ(Span.GetTotalSeconds(), 9015.0);
}

TEST(DateTimeSpan, TotalsAreExactForLongSpans)
{
    const FDateTimeSpan Span(100000, 1, 2, 3);  // about 274 years: beyond 32-bit seconds
    EXPECT_EQ(Span.GetTotalDays(), 100000.0);
    EXPECT_EQ(Span.GetTotalHours(), 2400001.0);
    EXPECT_EQ(Span.GetTotalMinutes(), 144000062.0);
    EXPECT_EQ(Span.GetTotalSeconds(), 8640003723.0);
    const FDateTimeSpan Back(-2, -1, 0, 0);
    EXPECT_EQ(Back.GetTotalHours(), -49.0);
    EXPECT_EQ(FDateTimeSpan(std::numeric_limits<tvLong>::min(), 0, 0, 0).GetTotalSeconds(),
              static_cast<double>(std::numeric_limits<tvLong>::min()) * 86400.0);
}

namespace {

bool IsEightDigitDate(const char* Stamp, int& Year, int& Month, int& Day)
{
    if (std::strlen(Stamp) != 8)
        return false;
    for (int i = 0; i < 8; ++i)
        if (Stamp[i] < '0' || Stamp[i] > '9')
            return false;
    auto Number = [Stamp](int From, int Count) {
        int Value = 0;
        for (int i = From; i < From + Count; ++i)
            Value = Value * 10 + (Stamp[i] - '0');
        return Value;
    };
    Year = Number(0, 4);
    Month = Number(4, 2);
    Day = Number(6, 2);
    return Month >= 1 && Month <= 12 && Day >= 1 && Day <= 31;
}

} // namespace

// Both stamps write exactly eight digits and a terminator: the trailing lone '%' of their
// format writes nothing, and nothing lands beyond the ninth byte.
TEST(DateStamp, TodayIsTheLocalDateAsEightDigits)
{
    for (int Attempt = 0; Attempt < 3; ++Attempt) {
        const FDateTime Before = FDateTime::GetTickCount();
        char Stamp[16];
        std::memset(Stamp, '#', sizeof(Stamp));
        appGetCurSysTime(Stamp);
        const FDateTime After = FDateTime::GetTickCount();
        EXPECT_EQ(Stamp[9], '#');
        int Year = 0, Month = 0, Day = 0;
        ASSERT_TRUE(IsEightDigitDate(Stamp, Year, Month, Day)) << Stamp;
        if (Before.Day != After.Day)
            continue;  // midnight passed between the readings
        EXPECT_EQ(Year, Before.Year);
        EXPECT_EQ(Month, Before.Month);
        EXPECT_EQ(Day, Before.Day);
        EXPECT_GE(Before.Hour, 0);
        EXPECT_LE(Before.Hour, 23);
        EXPECT_GE(Before.Minute, 0);
        EXPECT_LE(Before.Minute, 59);
        EXPECT_GE(Before.Second, 0);
        EXPECT_LE(Before.Second, 60);
        return;
    }
    FAIL() << "the date kept changing";
}

TEST(DateStamp, CompileDateIsAValidDateNotAfterToday)
{
    char Stamp[16];
    std::memset(Stamp, '#', sizeof(Stamp));
    appGetCompileDateTime(Stamp);
    EXPECT_EQ(Stamp[9], '#');
    int Year = 0, Month = 0, Day = 0;
    ASSERT_TRUE(IsEightDigitDate(Stamp, Year, Month, Day)) << Stamp;
    char Today[9];
    appGetCurSysTime(Today);
    EXPECT_LE(std::strcmp(Stamp, Today), 0) << Stamp << " after " << Today;
    EXPECT_GE(Year, 2020);
    // Null buffers are ignored.
    appGetCompileDateTime(nullptr);
    appGetCurSysTime(nullptr);
}

TEST(DateTime, TextFormHasNoLeadingZerosAndReadsBack)
{
    const FDateTime Dates[] = {{2022, 6, 27, 11, 57, 8}, {0, 0, 0, 0, 0, 0}, {1999, 12, 31, 23, 59, 59},
                               {-5, -3, 1, 0, 0, 0}, {INT_MAX, INT_MIN, 7, 0, 0, -1}};
    const Tolvane::tvWChar* Texts[] = {TVTEXT("2022-6-27:11:57:8"), TVTEXT("0-0-0:0:0:0"), TVTEXT("1999-12-31:23:59:59"), TVTEXT("-5--3-1:0:0:0"),
                               TVTEXT("2147483647--2147483648-7:0:0:-1")};
    for (int i = 0; i < 5; ++i) {
        FString Text;
        Dates[i].FormatString(Text);
        EXPECT_EQ(WideText(Text), WideText(Texts[i]));
        EXPECT_EQ(FDateTime(Text), Dates[i]) << "reads back";
    }
}

// Reading stops at the first field or separator that does not match; the rest stay 0.
TEST(DateTime, TextThatDoesNotMatchKeepsTheFieldsReadSoFar)
{
    struct FCase {
        const Tolvane::tvWChar* Text;
        FDateTime Expected;
    } const Cases[] = {
        {TVTEXT(""), {}},
        {TVTEXT("abc"), {}},
        {TVTEXT("2022-6"), {2022, 6, 0, 0, 0, 0}},
        {TVTEXT("2022/6/27"), {2022, 0, 0, 0, 0, 0}},
        {TVTEXT("2022 -6-27"), {2022, 0, 0, 0, 0, 0}},
        {TVTEXT(" 2022- 6-\t27: 1: 2: 3"), {2022, 6, 27, 1, 2, 3}},  // white space before a number is skipped
        {TVTEXT("2022-6-27T11:57:8"), {2022, 6, 27, 0, 0, 0}},
        {TVTEXT("2022-6-27:11:57:8:99 trailing"), {2022, 6, 27, 11, 57, 8}},
        {TVTEXT("+2022-+6-27:11:57:-"), {2022, 6, 27, 11, 57, 0}},
        {TVTEXT("99999999999-1"), {INT_MAX, 1, 0, 0, 0, 0}},  // saturates
    };
    for (const FCase& Case : Cases)
        EXPECT_EQ(FDateTime(FString(Case.Text)), Case.Expected) << std::string(Case.Text, Case.Text + WideText(Case.Text).size());
}

TEST(DateTime, DeclaredTextFormsOfAMutableDate)
{
    FString Text(TVTEXT("2022-6-27:11:57:8"));
    const FDateTime Read = Text;  // FDateTime(FString&) converts
    EXPECT_EQ(Read, FDateTime(2022, 6, 27, 11, 57, 8));
    FDateTime Mutable(2020, 2, 29, 0, 0, 1);
    FString Out;
    Mutable.FormatString(Out);  // the non-constant member
    EXPECT_EQ(Out, TVTEXT("2020-2-29:0:0:1"));
    void (FDateTime::*Declared)(FString&) = &FDateTime::FormatString;
    (Mutable.*Declared)(Out);
    EXPECT_EQ(Out, TVTEXT("2020-2-29:0:0:1"));
}
