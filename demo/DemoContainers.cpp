// Demo section: the growable array and the name-addressed pointer array.
#include <tvCore/tvCore.h>

#include "DemoSections.h"

#include <cstdio>

using namespace Tolvane;

void DemoContainers()
{
    std::printf("Containers\n");
    TArray<float> Samples;
    int Growths = 0;
    int Capacity = 0;
    for (int i = 0; i < 5000; ++i) {
        Samples.AddItem(static_cast<float>(i) * 0.5f);
        if (Samples.GetCapacity() != Capacity) {
            Capacity = Samples.GetCapacity();
            ++Growths;
        }
    }
    std::printf("  5000 floats added: capacity %d after %d growths\n", Samples.GetCapacity(), Growths);
    DemoCheck(Samples.Num() == 5000 && Samples[4999] == 2499.5f, "every element kept through the growths");

    Samples.InsertAt(6000, 1.0f, 2);
    DemoCheck(Samples.Num() == 6002 && Samples[5500] == 0.0f && Samples[6001] == 1.0f,
              "insertion past the end zero-fills the gap");
    Samples.RemoveAt(0, 100000);
    DemoCheck(Samples.Num() == 0 && Samples.GetCapacity() > 0, "an over-long removal stops at the end");

    TArray<FString> Files;
    Files.AddItem(FString(TVTEXT("Engine.ini")));
    Files.SetSize(3);
    Files.RemoveAt(0, 1);
    DemoCheck(Files.Num() == 2 && static_cast<const tvWChar*>(Files[0]) == __GEmptyString,
              "new strings in an array are the shared empty string");

    int Engine = 1, Render = 2, Audio = 3;
    TNamedPtrArray<int> Sections(nullptr, 8);
    Sections.AddTail(12, &Engine);
    Sections.AddTail(3, &Render);
    Sections.AddTail(7, &Audio);
    Sections.Sort();
    DemoCheck(Sections.IsSorted() && Sections.BinarySearch(7) == &Audio && Sections.NameAt(0) == 3,
              "named pointers sorted and found by binary search");

    FBitFlag Flags;
    Flags.ToggleFlagBy(0x6, 1);
    Flags.ToggleFlagBy(0x4, 0);
    DemoCheck(Flags.GetValue() == 0x2 && Flags.HasFlag(0) == 0, "flags set and cleared");
}
