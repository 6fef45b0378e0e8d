// The demo host's sections. Each area's Demo<Area>.cpp defines one section function; main runs
// them in order. A section prints what it did and reports each check through DemoCheck.
#pragma once

#include <tvCore/core/tvTypes.h>

#include <filesystem>
#include <string>

// Library text held by the demo.
using DemoText = std::basic_string<Tolvane::tvWChar>;
// A new, empty folder in the system's temporary folder; an empty path when none can be made.
std::filesystem::path DemoMakeTempFolder(const char* Prefix);
// A system path as library text, ending in the system's separator.
DemoText DemoFolderText(const std::filesystem::path& Folder);
// The system's path separator as library text.
DemoText DemoSeparator();

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
