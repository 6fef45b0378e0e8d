// Demo section on Windows: the download demo's local server is written for POSIX sockets, so the
// Windows build of the demo names the section and leaves it out. The download manager itself is
// part of the Windows DLL and of its tests.
#include <cstdio>

#include "../DemoSections.h"

void DemoNet()
{
    std::printf("Downloads\n  (the demo's local server runs on POSIX only; section left out)\n");
}
