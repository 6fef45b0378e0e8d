// The library's small calendar: a local date and time with day arithmetic and a text form, a
// day-hour-minute-second span, and two eight-digit date stamps.
//
// Calendar rule: a year is a leap year when it is divisible by 4 and not by 100. The year 2000
// is therefore not a leap year here (February 2000 has 28 days); every operation of this header
// follows the same rule, so day arithmetic, spans and month lengths always agree.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class FString;

// Days, hours, minutes and seconds. The parts are kept as given; the totals combine them.
class TVCORE_API FDateTimeSpan {
public:
    tvLong Days;
    int Hours;
    int Minutes;
    int Seconds;

    FDateTimeSpan() : Days(0), Hours(0), Minutes(0), Seconds(0) {}
    FDateTimeSpan(tvLong InDays, int InHours, int InMinutes, int InSeconds)
        : Days(InDays), Hours(InHours), Minutes(InMinutes), Seconds(InSeconds) {}

    // Days; Days x 24 + Hours; that x 60 + Minutes; that x 60 + Seconds. Exact for any parts
    // (computed in 64-bit integers, so long spans do not wrap).
    double GetTotalDays() const;
    double GetTotalHours() const;
    double GetTotalMinutes() const;
    double GetTotalSeconds() const;
};

// A local date and time: Month 1 to 12, Day 1 to 31. Fields are public and kept as set; day
// arithmetic reads a month or day outside its range as the date it counts to (month 13 of a
// year is January of the next, day 0 the last day of the month before).
class TVCORE_API FDateTime {
public:
    int Year;
    int Month;
    int Day;
    int Hour;
    int Minute;
    int Second;

    // Lengths of the twelve months of a common year.
    static const int _MonthDays[12];

    FDateTime() : Year(0), Month(0), Day(0), Hour(0), Minute(0), Second(0) {}
    FDateTime(int InYear, int InMonth, int InDay, int InHour, int InMinute, int InSecond)
        : Year(InYear), Month(InMonth), Day(InDay), Hour(InHour), Minute(InMinute), Second(InSecond) {}
    // Reads "year-month-day:hour:minute:second" (decimal, as FormatString writes it). Fields
    // from the first one that does not match on keep 0.
    FDateTime(FString& Text);
    explicit FDateTime(const FString& Text);  // the same, for a constant text

    void SetDateTime(int InYear, int InMonth, int InDay, int InHour, int InMinute, int InSecond);
    // Writes the fields as "%d-%d-%d:%d:%d:%d", e.g. 2022-6-27:11:57:8 (no leading zeros).
    void FormatString(FString& Out);
    void FormatString(FString& Out) const;  // the same, for a constant date

    // The local date and time now, to the second (all fields 0 if the system cannot tell).
    static FDateTime GetTickCount();

    int operator==(const FDateTime& Other) const;
    // The date moved forward or back by the span's Days (the time of day and the span's other
    // parts play no part; Days < 1 leaves the date as it is). A result whose year does not fit
    // in an int leaves the date as it is too.
    FDateTime operator+(FDateTimeSpan Span) const;
    FDateTime operator-(FDateTimeSpan Span) const;
    // The span from Other to this date: hours, minutes and seconds borrow from the next larger
    // part, Days is the difference of the day numbers less the borrow (limited to tvLong).
    FDateTimeSpan operator-(const FDateTime& Other) const;

protected:
    int IsLeapYear(int InYear) const;
    // February: 29 in a leap year, else 28; the other months from _MonthDays.
    int CalcDaysInThisMonth(int InYear, int InMonth) const;
    // The day number of the date: 1900-01-01 is day 1 (limited to tvLong).
    tvLong GetTotalDays() const;
};

// Today's local date as eight digits and a terminator, e.g. "20220627"; Out must hold 9 bytes.
// Writes "" when the system cannot tell the date.
TVCORE_API void appGetCurSysTime(char* Out);
// The date on which the library was compiled, as eight digits and a terminator; Out must hold
// 9 bytes.
TVCORE_API void appGetCompileDateTime(char* Out);

} // namespace Tolvane
