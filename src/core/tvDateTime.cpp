// Calendar arithmetic of FDateTime and FDateTimeSpan. Dates are moved and compared through one
// day number (1900-01-01 is day 1) under the library's leap-year rule, so adding days, going
// back and taking spans are exact inverses of one another for every year.
#include "base/tvPrelude.h"
#include "tvCore/core/tvDate.h"
#include "platform/tvPlatformClock.h"

namespace Tolvane {

const int FDateTime::_MonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

namespace {

typedef long long FDayNumber;

// The leap-year rule repeats every 100 years: 24 leap years per century.
constexpr FDayNumber DaysPerCentury = 100 * 365 + 24;
constexpr FDayNumber DaysPerFourYears = 4 * 365 + 1;

FDayNumber FloorDiv(FDayNumber A, FDayNumber B)
{
    const FDayNumber Q = A / B;
    return (A % B != 0 && ((A < 0) != (B < 0))) ? Q - 1 : Q;
}

bool IsLeap(long long Year) { return Year % 4 == 0 && Year % 100 != 0; }

// Leap years in [1, Year] (counted backwards for Year < 1), under the library's rule.
FDayNumber LeapYearsThrough(long long Year) { return FloorDiv(Year, 4) - FloorDiv(Year, 100); }

// A month outside 1..12 counts on into the years around: month 13 is January of the next year.
void NormalizeMonth(long long& Year, long long& Month)
{
    const long long Zero = Month - 1;
    Year += FloorDiv(Zero, 12);
    Month = Zero - FloorDiv(Zero, 12) * 12 + 1;
}

int DaysInMonth(long long Year, long long Month)
{
    return Month == 2 && IsLeap(Year) ? 29 : FDateTime::_MonthDays[Month - 1];
}

FDayNumber DayNumber(long long Year, long long Month, long long Day)
{
    NormalizeMonth(Year, Month);
    FDayNumber Days = (Year - 1900) * 365 + LeapYearsThrough(Year - 1) - LeapYearsThrough(1899);
    for (long long M = 1; M < Month; ++M)
        Days += DaysInMonth(Year, M);
    return Days + Day;
}

FDayNumber DayNumber(const FDateTime& Date) { return DayNumber(Date.Year, Date.Month, Date.Day); }

// The date of a day number; false when its year does not fit in an int.
bool DateOfDayNumber(FDayNumber Number, int& Year, int& Month, int& Day)
{
    FDayNumber Rest = Number - 1;  // days since 1900-01-01
    const FDayNumber Centuries = FloorDiv(Rest, DaysPerCentury);
    Rest -= Centuries * DaysPerCentury;
    long long Y = 1900 + 100 * Centuries;
    // A century starts with a common year (its first year is divisible by 100), then runs in
    // four-year groups that end with their leap year.
    if (Rest >= 365) {
        Rest -= 365;
        const FDayNumber Groups = Rest / DaysPerFourYears;
        Rest -= Groups * DaysPerFourYears;
        const FDayNumber InGroup = std::min<FDayNumber>(Rest / 365, 3);
        Rest -= InGroup * 365;
        Y += 1 + 4 * Groups + InGroup;
    }
    if (Y < std::numeric_limits<int>::min() || Y > std::numeric_limits<int>::max())
        return false;
    int M = 1;
    while (Rest >= DaysInMonth(Y, M)) {
        Rest -= DaysInMonth(Y, M);
        ++M;
    }
    Year = static_cast<int>(Y);
    Month = M;
    Day = static_cast<int>(Rest) + 1;
    return true;
}

FDateTime MovedByDays(const FDateTime& Date, FDayNumber Days)
{
    FDateTime Result = Date;
    if (!DateOfDayNumber(DayNumber(Date) + Days, Result.Year, Result.Month, Result.Day))
        return Date;
    return Result;
}

tvLong ClampToLong(long long Value)
{
    return static_cast<tvLong>(std::clamp<long long>(Value, std::numeric_limits<tvLong>::min(),
                                                     std::numeric_limits<tvLong>::max()));
}

} // namespace

// --- FDateTimeSpan ------------------------------------------------------------------------------

double FDateTimeSpan::GetTotalDays() const { return static_cast<double>(Days); }

double FDateTimeSpan::GetTotalHours() const
{
    return static_cast<double>(static_cast<long long>(Days) * 24 + Hours);
}

double FDateTimeSpan::GetTotalMinutes() const
{
    return static_cast<double>((static_cast<long long>(Days) * 24 + Hours) * 60 + Minutes);
}

double FDateTimeSpan::GetTotalSeconds() const
{
    return static_cast<double>(((static_cast<long long>(Days) * 24 + Hours) * 60 + Minutes) * 60 + Seconds);
}

// --- FDateTime ----------------------------------------------------------------------------------

void FDateTime::SetDateTime(int InYear, int InMonth, int InDay, int InHour, int InMinute, int InSecond)
{
    Year = InYear;
    Month = InMonth;
    Day = InDay;
    Hour = InHour;
    Minute = InMinute;
    Second = InSecond;
}

FDateTime FDateTime::GetTickCount()
{
    Platform::FLocalTime Now;
    if (!Platform::LocalTimeNow(Now))
        return FDateTime();
    return FDateTime(Now.Year, Now.Month, Now.Day, Now.Hour, Now.Minute, Now.Second);
}

int FDateTime::operator==(const FDateTime& Other) const
{
    return Year == Other.Year && Month == Other.Month && Day == Other.Day && Hour == Other.Hour &&
           Minute == Other.Minute && Second == Other.Second;
}

FDateTime FDateTime::operator+(FDateTimeSpan Span) const
{
    return Span.Days < 1 ? *this : MovedByDays(*this, Span.Days);
}

FDateTime FDateTime::operator-(FDateTimeSpan Span) const
{
    return Span.Days < 1 ? *this : MovedByDays(*this, -static_cast<FDayNumber>(Span.Days));
}

FDateTimeSpan FDateTime::operator-(const FDateTime& Other) const
{
    // Borrowing from minutes, hours and days, as on paper; 64-bit so no field can overflow.
    long long Seconds = static_cast<long long>(Second) - Other.Second;
    long long Borrow = Seconds < 0 ? 1 : 0;
    Seconds += 60 * Borrow;
    long long Minutes = static_cast<long long>(Minute) - Other.Minute - Borrow;
    Borrow = Minutes < 0 ? 1 : 0;
    Minutes += 60 * Borrow;
    long long Hours = static_cast<long long>(Hour) - Other.Hour - Borrow;
    Borrow = Hours < 0 ? 1 : 0;
    Hours += 24 * Borrow;
    const long long Days = DayNumber(*this) - Borrow - DayNumber(Other);
    return FDateTimeSpan(ClampToLong(Days), static_cast<int>(Hours), static_cast<int>(Minutes),
                         static_cast<int>(Seconds));
}

int FDateTime::IsLeapYear(int InYear) const { return IsLeap(InYear) ? 1 : 0; }

int FDateTime::CalcDaysInThisMonth(int InYear, int InMonth) const
{
    long long Y = InYear, M = InMonth;
    NormalizeMonth(Y, M);
    return DaysInMonth(Y, M);
}

tvLong FDateTime::GetTotalDays() const { return ClampToLong(DayNumber(*this)); }

} // namespace Tolvane
