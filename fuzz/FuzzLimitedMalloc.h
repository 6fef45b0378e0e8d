// An allocator for fuzz targets: forwards to the library's own and refuses any block above a
// limit, so sizes taken from the input (a file's recorded size) exercise the refusal paths
// instead of the fuzzer's memory limit.
#pragma once

#include <tvCore/tvCore.h>

class FLimitedMalloc : public Tolvane::FMalloc {
public:
    Tolvane::FMalloc* Inner = Tolvane::GMalloc;
    unsigned int Limit = 16u << 20;
    void* Malloc(unsigned int Size) override { return Size > Limit ? nullptr : Inner->Malloc(Size); }
    void* Realloc(void* Ptr, unsigned int Size) override { return Size > Limit ? nullptr : Inner->Realloc(Ptr, Size); }
    void Free(void* Ptr) override { Inner->Free(Ptr); }
};
