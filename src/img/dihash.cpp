// The archive's path hash and archive paths of items.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgFileSystem.h"
#include "platform/tvPlatformDebug.h"

namespace Tolvane {

void diHash(const char* Path, int* A, int* B)
{
    if (!A || !B) {
        char Line[64];
        std::snprintf(Line, sizeof(Line), "di_assert: %s[%d]\n", "dihash", 42);
        Platform::DebugOutput(Line);
        std::abort();
    }
    std::int32_t Sum = 0;
    std::uint32_t H = 0;
    for (const char* P = Path; *P; ++P) {
        const std::int32_t Byte = static_cast<signed char>(*P);
        Sum += Byte;
        H = H * 2u + static_cast<std::uint32_t>(Byte);
    }
    const std::int32_t RemA = Sum % GImgHashSide;
    const std::int32_t RemB = static_cast<std::int32_t>(H) % GImgHashSide;
    *A = RemA < 0 ? -RemA : RemA;
    *B = RemB < 0 ? -RemB : RemB;
}

const char* diGetFullPath(const _diFileItem* Item, int LeadingRoot)
{
    // One buffer per thread: the worker's profile lines never overwrite a caller's path.
    thread_local char Buffer[GImgPathCapacity];
    Buffer[0] = 0;
    if (!Item)
        return Buffer;
    int Total = LeadingRoot ? 1 : 0;
    int Steps = 0;
    for (const _diFileItem* It = Item; It; It = It->Parent) {
        Total += static_cast<int>(std::strlen(It->Name ? It->Name : "")) + (It->Parent ? 1 : 0);
        if (Total >= GImgPathCapacity || ++Steps > GImgPathCapacity)
            return Buffer;  // the loaded directory never holds such a path
    }
    Buffer[Total] = 0;
    int End = Total;
    for (const _diFileItem* It = Item; It; It = It->Parent) {
        const char* Name = It->Name ? It->Name : "";
        const int Length = static_cast<int>(std::strlen(Name));
        End -= Length;
        std::memcpy(Buffer + End, Name, static_cast<std::size_t>(Length));
        if (It->Parent)
            Buffer[--End] = '\\';
    }
    if (LeadingRoot)
        Buffer[0] = '\\';
    return Buffer;
}

} // namespace Tolvane
