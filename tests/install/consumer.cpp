// An outside program that uses the installed library through its umbrella header.
#include <tvCore/tvCore.h>

#include <cstdio>

int main()
{
    using namespace Tolvane;
    void* Block = GMalloc->Malloc(16);
    GMalloc->Free(Block);
    if (GMalloc->MallocCount < 1 || GRenderThreadId != 0xFFFFFFFFu)
        return 1;
    std::printf("consumer: allocator works, %d allocations\n", GMalloc->MallocCount);
    return 0;
}
