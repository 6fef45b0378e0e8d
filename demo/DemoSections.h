// The demo host's sections. Each area's Demo<Area>.cpp defines one section function; main runs
// them in order. A section prints what it did and reports each check through DemoCheck.
#pragma once

#include <tvCore/core/tvTypes.h>

#include <filesystem>
#include <string>

// Library text held by the host: UTF-16 code units in the library's code-unit type.
using WideText = std::basic_string<Tolvane::tvWChar>;

// A system path as library text.
inline WideText PathText(const std::filesystem::path& Path)
{
    const std::u16string Units = Path.u16string();
    return WideText(Units.begin(), Units.end());
}

// A new, empty folder in the system's temporary folder; an empty path when none can be made.
std::filesystem::path DemoMakeTempFolder(const char* Prefix);
// The system's path separator as library text.
WideText DemoSeparator();

void DemoCheck(bool Ok, const char* What);

void DemoFrame();
void DemoAllocator();
void DemoClocks();
void DemoContainers();
void DemoFiles();
void DemoTextFiles();
void DemoNames();
void DemoMath();
void DemoThreads();
void DemoImg();
void DemoNet();
void DemoHost();
