// The demo host's sections. Each area's Demo<Area>.cpp defines one section function; main runs
// them in order. A section prints what it did and reports each check through DemoCheck.
#pragma once

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
