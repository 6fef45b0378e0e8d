// Demo section: the memory stack, the name table and the calendar.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <cstdio>
#include <string>

using namespace Tolvane;

void DemoNames()
{
    std::printf("Memory stack, names and dates\n");

    FMemStack Stack;
    Stack.Init(4096, 8);
    FMemMark Mark(Stack);
    for (int i = 0; i < 100; ++i)
        Stack.PushBytes(64, 8);
    const int Used = Stack.GetByteCount();
    Mark.Pop();
    std::printf("  100 pushes of 64 bytes: %d bytes in use, %d after popping the mark\n", Used, Stack.GetByteCount());
    DemoCheck(Used >= 6400 && Stack.GetByteCount() == 0, "a mark gives back everything pushed after it");
    Stack.Reset();
    DemoCheck(appCeilLogTwo(257) == 9 && appCeilLogTwo(65537) == 17, "appCeilLogTwo rounds up to a power of two");

    FNameHash Names;
    const tvULong Color = Names.Add(TVTEXT("Color"));
    DemoCheck(Names.Find(TVTEXT("none")) == 0 && Names.Add(TVTEXT("COLOR")) == Color &&
                  WideText(Names.GetName(Color)) == TVTEXT("Color"),
              "names are interned case-insensitively; index 0 is None");
    DemoCheck(FNameHash::GetNameHash(TVTEXT("abc"), 1024) == 960, "the bucket hash of abc is 960");

    const FDateTime Leap(2000, 2, 28, 12, 0, 0);
    FString Text;
    (Leap + FDateTimeSpan(1, 0, 0, 0)).FormatString(Text);
    DemoCheck(WideText(Text) == TVTEXT("2000-2-29:12:0:0"), "Gregorian leap years: 2000-2-28 plus one day is 2000-2-29");
    char Today[9];
    appGetCurSysTime(Today);
    char Built[9];
    appGetCompileDateTime(Built);
    std::printf("  today %s, library built %s\n", Today, Built);
    DemoCheck(std::string(Today).size() == 8 && std::string(Built) <= std::string(Today), "eight-digit date stamps");
}
