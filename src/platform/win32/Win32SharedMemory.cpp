// Named shared memory on Windows: file mappings on the paging file (CreateFileMappingW with no
// file) and views of them. The system ends a mapping with its last handle, a crashed user's
// included, which is the block's lifetime as the seam states it.
//
// A mapping does not tell its size to a later opener (a view is rounded up to whole pages), so
// every block starts with a small header that holds the first opener's size; the caller's view
// begins after it.
#include "base/tvPrelude.h"
#include "platform/tvPlatformSharedMemory.h"
#include "platform/win32/Win32Faults.h"

namespace Tolvane {
namespace Platform {

namespace {

struct FHeader {
    volatile LONG Size;  // the block's size for its users, 0 until the creator has set it
    LONG Reserved;       // keeps the users' bytes 8-byte aligned
};

} // namespace

tvHandle SharedMemoryOpen(const tvWChar* Name, std::uint32_t Size, FSharedMemoryView& View)
{
    View = FSharedMemoryView{};
    if (!Name || Size == 0 || Size > 0x7FFFFFFFu - sizeof(FHeader)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (Injected(Faults::ESystemCall::MapMemory))
        return nullptr;
    const std::uint64_t Total = std::uint64_t(Size) + sizeof(FHeader);
    const HANDLE Mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              static_cast<DWORD>(Total), SystemText(Name));
    if (!Mapping) {
        RecordSystemError();
        return nullptr;
    }
    const bool Created = GetLastError() != ERROR_ALREADY_EXISTS;
    FHeader* Header = static_cast<FHeader*>(MapViewOfFile(Mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!Header) {
        RecordSystemError();
        CloseHandle(Mapping);
        return nullptr;
    }
    if (Created) {
        InterlockedExchange(&Header->Size, static_cast<LONG>(Size));
    } else {
        // The creator sets the size right after creating the mapping; wait the moment it takes.
        for (int Spin = 0; Spin < 10000 && InterlockedCompareExchange(&Header->Size, 0, 0) == 0; ++Spin)
            Sleep(Spin < 100 ? 0 : 1);
        MEMORY_BASIC_INFORMATION Region;
        const LONG Existing = InterlockedCompareExchange(&Header->Size, 0, 0);
        if (Existing <= 0 || VirtualQuery(Header, &Region, sizeof Region) == 0 ||
            Region.RegionSize < std::size_t(Existing) + sizeof(FHeader)) {
            SetLastError(ERROR_INVALID_DATA);
            UnmapViewOfFile(Header);
            CloseHandle(Mapping);
            return nullptr;
        }
    }
    View.Data = Header + 1;
    View.Size = static_cast<std::uint32_t>(Header->Size);
    return Mapping;
}

void SharedMemoryFlush(tvHandle, const FSharedMemoryView& View)
{
    // The pages are shared: other processes see the bytes at once; the barrier orders them.
    if (View.Data)
        MemoryBarrier();
}

void SharedMemoryClose(tvHandle Block, FSharedMemoryView& View)
{
    if (View.Data)
        UnmapViewOfFile(static_cast<FHeader*>(View.Data) - 1);
    View = FSharedMemoryView{};
    if (Block)
        CloseHandle(Block);
}

} // namespace Platform
} // namespace Tolvane
