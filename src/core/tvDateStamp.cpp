// Eight-digit date stamps (year, month, day: "20220627") in narrow text: today's local date and
// the date this file was compiled.
#include "base/tvPrelude.h"
#include "tvCore/core/tvDate.h"
#include "platform/tvPlatformClock.h"

namespace Tolvane {

namespace {

// Writes YYYYMMDD and a terminator into Out (9 bytes), or "" when a field cannot be written in
// its digits, so the caller's buffer is never overrun.
void WriteEightDigitDate(char* Out, int Year, int Month, int Day)
{
    if (Year < 0 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > 31) {
        Out[0] = '\0';
        return;
    }
    const int Fields[3][2] = {{Year, 4}, {Month, 2}, {Day, 2}};
    char* Digit = Out;
    for (const auto& Field : Fields) {
        int Value = Field[0];
        for (int Place = Field[1] - 1; Place >= 0; --Place) {
            Digit[Place] = static_cast<char>('0' + Value % 10);
            Value /= 10;
        }
        Digit += Field[1];
    }
    *Digit = '\0';
}

// Reads the compiler's date text "Mmm dd yyyy" (the day may be space-padded).
bool ParseCompilerDate(const char* Text, int& Year, int& Month, int& Day)
{
    static const char Months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    Month = 0;
    for (int Index = 0; Index < 12; ++Index) {
        if (std::strncmp(Text, Months + 3 * Index, 3) == 0) {
            Month = Index + 1;
            break;
        }
    }
    if (Month == 0)
        return false;
    const char* Cursor = Text + 3;
    auto ReadNumber = [&Cursor](int& Value) {
        while (*Cursor == ' ')
            ++Cursor;
        if (*Cursor < '0' || *Cursor > '9')
            return false;
        Value = 0;
        for (; *Cursor >= '0' && *Cursor <= '9' && Value < 100000; ++Cursor)
            Value = Value * 10 + (*Cursor - '0');
        return true;
    };
    return ReadNumber(Day) && ReadNumber(Year);
}

} // namespace

void appGetCurSysTime(char* Out)
{
    if (Out == nullptr)
        return;
    Platform::FLocalTime Now;
    if (!Platform::LocalTimeNow(Now)) {
        Out[0] = '\0';
        return;
    }
    WriteEightDigitDate(Out, Now.Year, Now.Month, Now.Day);
}

void appGetCompileDateTime(char* Out)
{
    if (Out == nullptr)
        return;
    int Year = 0, Month = 0, Day = 0;
    if (!ParseCompilerDate(__DATE__, Year, Month, Day)) {
        Out[0] = '\0';
        return;
    }
    WriteEightDigitDate(Out, Year, Month, Day);
}

} // namespace Tolvane
