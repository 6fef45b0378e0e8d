// The memory stack and its marks: chunks from GMalloc, handed out in stack order and given back
// whole.
#include "base/tvPrelude.h"
#include "tvCore/core/tvMemStack.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

namespace {
// The largest alignment a push honours; larger requests are served at this one.
constexpr int MaxAlign = 1 << 30;

std::uintptr_t Address(const void* Ptr) { return reinterpret_cast<std::uintptr_t>(Ptr); }
} // namespace

void FMemStack::Init(int ChunkSize, int Align)
{
    DefaultChunkSize = ChunkSize;
    DefaultAlign = Align;
    Top = nullptr;
    End = nullptr;
    TopChunk = nullptr;
}

std::uintptr_t FMemStack::RoundedAlignMask(int Align)
{
    if (Align <= 1)
        return 0;
    if (Align > MaxAlign)
        return static_cast<std::uintptr_t>(MaxAlign - 1);
    const int Log = appCeilLogTwo(static_cast<tvULong>(Align));
    return (static_cast<std::uintptr_t>(1) << Log) - 1;
}

unsigned char* FMemStack::PushBytesInNewChunk(int Size, std::uintptr_t Mask)
{
    if (Size < 0)
        return nullptr;
    // The current chunk may still hold the piece: a zero-size push on a fresh stack arrives
    // here with room to spare only once a chunk exists.
    if (TopChunk != nullptr) {
        const std::uintptr_t Result = (Address(Top) + Mask) & ~Mask;
        if (Result + static_cast<unsigned>(Size) <= Address(End)) {
            Top = reinterpret_cast<unsigned char*>(Result + static_cast<unsigned>(Size));
            return reinterpret_cast<unsigned char*>(Result);
        }
    }
    // Room for the piece at any alignment of the chunk's data start.
    const std::size_t MinSize = static_cast<std::size_t>(Size) + Mask + 1;
    unsigned char* Data = AllocateNewChunk(MinSize);
    if (Data == nullptr)
        return nullptr;
    const std::uintptr_t Result = (Address(Data) + Mask) & ~Mask;
    Top = reinterpret_cast<unsigned char*>(Result + static_cast<unsigned>(Size));
    return reinterpret_cast<unsigned char*>(Result);
}

unsigned char* FMemStack::AllocateNewChunk(std::size_t MinSize)
{
    const std::size_t Normal = DefaultChunkSize > ChunkHeaderSize
        ? static_cast<std::size_t>(DefaultChunkSize - ChunkHeaderSize) : 0;
    const std::size_t DataSize = MinSize > Normal ? MinSize : Normal;
    // DataSize is an int field and GMalloc takes an unsigned int.
    if (DataSize > static_cast<std::size_t>(std::numeric_limits<int>::max()) - ChunkHeaderSize)
        return nullptr;
    void* Block = GMalloc->Malloc(static_cast<unsigned int>(DataSize + ChunkHeaderSize));
    if (Block == nullptr)
        return nullptr;
    CTaggedMemory* Chunk = static_cast<CTaggedMemory*>(Block);
    Chunk->Next = TopChunk;
    Chunk->DataSize = static_cast<int>(DataSize);
    TopChunk = Chunk;
    Top = Chunk->Data();
    End = Top + DataSize;
    return Top;
}

void FMemStack::FreeChunks(CTaggedMemory* NewTop)
{
    while (TopChunk != nullptr && TopChunk != NewTop) {
        CTaggedMemory* Older = TopChunk->Next;
        GMalloc->Free(TopChunk);
        TopChunk = Older;
    }
    if (TopChunk == nullptr) {
        Top = nullptr;
        End = nullptr;
    } else {
        Top = TopChunk->Data();
        End = Top + TopChunk->DataSize;
    }
}

void FMemStack::Reset()
{
    FreeChunks(nullptr);
}

int FMemStack::GetByteCount() const
{
    if (TopChunk == nullptr)
        return 0;
    long long Count = Top - TopChunk->Data();
    for (const CTaggedMemory* Chunk = TopChunk->Next; Chunk != nullptr; Chunk = Chunk->Next)
        Count += Chunk->DataSize;
    return Count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(Count);
}

int FMemMark::Pop()
{
    if (Mem == nullptr)
        return 0;
    FMemStack& Stack = *Mem;
    // The saved chunk must still be on this stack's chain (null: the stack was empty at the
    // mark), and the saved position inside its data; otherwise the mark is not this stack's
    // or was popped past, and freeing by it would release or reuse memory still in use.
    FMemStack::CTaggedMemory* Chunk = Stack.TopChunk;
    while (Chunk != nullptr && Chunk != SavedChunk)
        Chunk = Chunk->Next;
    if (Chunk != SavedChunk)
        return 0;
    if (SavedChunk == nullptr) {
        if (SavedTop != nullptr)
            return 0;
    } else {
        unsigned char* Data = SavedChunk->Data();
        unsigned char* Limit = SavedChunk == Stack.TopChunk ? Stack.Top : Data + SavedChunk->DataSize;
        if (Address(SavedTop) < Address(Data) || Address(SavedTop) > Address(Limit))
            return 0;
    }
    if (SavedChunk != Stack.TopChunk)
        Stack.FreeChunks(SavedChunk);
    Stack.Top = SavedTop;
    return 1;
}

} // namespace Tolvane
