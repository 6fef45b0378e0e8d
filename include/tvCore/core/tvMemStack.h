// Chunk-chain allocators for many small objects that are freed together: the mark-and-release
// memory stack (FMemStack, FMemMark), the fixed-size block chain of hash-map style containers
// (FMapPlex), and the integer base-two logarithm that sizes them (appCeilLogTwo).
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// Hands out aligned pieces of large chunks in stack order. Chunks come from GMalloc and are
// given back whole: to a mark (FMemMark::Pop) or all at once (Reset). The stack has no
// destructor of its own; its owner calls Reset. Copying copies the five fields, so the two
// stacks then share their chunks (only one of them may be reset).
class TVCORE_API FMemStack {
public:
    // The header at the start of every chunk; the chunk's data follows it directly.
    struct CTaggedMemory {
        CTaggedMemory* Next;  // the chunk that was current before this one
        int DataSize;         // usable bytes after the header

        unsigned char* Data() { return reinterpret_cast<unsigned char*>(this + 1); }
    };
    // The header's size in the stack's figures: a chunk of the default size has
    // DefaultChunkSize - 12 data bytes on every platform. The header's real size (16 bytes on
    // 64-bit builds, 8 on 32-bit ones) is what the chunk allocates in front of the data, and at
    // least these 12: the data starts right after the fields, aligned for any fundamental type.
    static constexpr int ChunkHeaderSize = 12;
    static constexpr int ChunkHeaderBytes =
        static_cast<int>(sizeof(CTaggedMemory)) > ChunkHeaderSize ? static_cast<int>(sizeof(CTaggedMemory)) : ChunkHeaderSize;

    unsigned char* Top;        // next free byte in the current chunk; null before the first chunk
    unsigned char* End;        // one past the last usable byte of the current chunk
    int DefaultChunkSize;      // size of a normal chunk, header included
    int DefaultAlign;          // alignment used when a push asks for a negative one
    CTaggedMemory* TopChunk;   // the current chunk, head of the chain; null when empty

    // Sets the sizes and forgets any chunks without freeing them.
    void Init(int ChunkSize, int Align);

    // Size bytes at the next multiple of Align (Align < 0: DefaultAlign; an Align that is not a
    // power of two is raised to the next one). Null only on failure: a negative Size, a request
    // too large for one allocation, or GMalloc refusing a chunk; the stack is then unchanged.
    // A zero-size push returns the aligned position without claiming bytes; on a stack without
    // a chunk it allocates the first one, so the result is never null on success.
    unsigned char* PushBytes(int Size, int Align)
    {
        const std::uintptr_t Mask = AlignMask(Align);
        const std::uintptr_t Result = (reinterpret_cast<std::uintptr_t>(Top) + Mask) & ~Mask;
        // Result + Size <= End, with Result 0 (a stack that has no chunk yet) sent to the slow
        // path by the same comparison: Result - 1 then wraps around to the largest address.
        if (Size >= 0 && Result - 1 + static_cast<unsigned>(Size) < reinterpret_cast<std::uintptr_t>(End)) {
            Top = reinterpret_cast<unsigned char*>(Result + static_cast<unsigned>(Size));
            return reinterpret_cast<unsigned char*>(Result);
        }
        return PushBytesInNewChunk(Size, Mask);
    }

    // Frees every chunk; Top and End become null.
    void Reset();
    // Bytes in use: the used part of the current chunk plus the data of every older chunk
    // (saturates at the largest int).
    int GetByteCount() const;

private:
    friend class FMemMark;

    // Align - 1 for the alignment a push uses; the common power-of-two case stays inline.
    std::uintptr_t AlignMask(int Align) const
    {
        const int Wanted = Align < 0 ? DefaultAlign : Align;
        if (Wanted > 0 && (Wanted & (Wanted - 1)) == 0)
            return static_cast<std::uintptr_t>(Wanted - 1);
        return RoundedAlignMask(Wanted);
    }
    static std::uintptr_t RoundedAlignMask(int Align);
    unsigned char* PushBytesInNewChunk(int Size, std::uintptr_t Mask);
    // Links a chunk with at least MinSize data bytes in front of the chain and makes it
    // current; returns its data start, or null (stack unchanged) when GMalloc refuses.
    unsigned char* AllocateNewChunk(std::size_t MinSize);
    // Frees chunks from the top until NewTop is current (or the chain is empty).
    void FreeChunks(CTaggedMemory* NewTop);
};

// A position on a memory stack. Pop frees everything pushed after the mark; what was pushed
// before it stays valid. Marks are popped explicitly (never on destruction), newest first.
class TVCORE_API FMemMark {
public:
    FMemStack* Mem;
    unsigned char* SavedTop;
    FMemStack::CTaggedMemory* SavedChunk;

    // A mark that belongs to no stack; popping it does nothing.
    FMemMark() : Mem(nullptr), SavedTop(nullptr), SavedChunk(nullptr) {}
    explicit FMemMark(FMemStack& Stack) : Mem(&Stack), SavedTop(Stack.Top), SavedChunk(Stack.TopChunk) {}
    FMemMark(const FMemMark&) = default;
    // Takes the other mark's position but stays with its own stack.
    FMemMark& operator=(const FMemMark& Other)
    {
        SavedTop = Other.SavedTop;
        SavedChunk = Other.SavedChunk;
        return *this;
    }

    // Frees back to the mark. Returns 1, or 0 without touching the stack when the position is
    // not on this mark's stack: a position copied from another stack's mark, a mark already
    // popped past (an older mark was popped first, or the stack was reset), or no stack at all.
    void Pop();
    // Whether Pop would free back to this mark: 0 for a mark whose position is no longer on its
    // stack (popped past, taken from another stack's mark, or never set), which Pop ignores.
    int CanPop() const;
};

// A block in a chain of fixed-size blocks; the block's data follows the link directly.
class TVCORE_API FMapPlex {
public:
    FMapPlex* Next;

    // A new block of Count x ElementSize data bytes linked in front of Head (Head becomes the
    // block). Null, with Head unchanged, when Count or ElementSize is 0, when the size does not
    // fit one allocation, or when GMalloc refuses.
    static FMapPlex* Create(FMapPlex*& Head, unsigned int Count, unsigned int ElementSize);

    void* data() { return this + 1; }
    // Frees this block and every block after it along Next.
    void FreeDataChain();
};

// The smallest n with 2 to the power n >= Value; 0 for Value 0 and 1.
TVCORE_API unsigned char appCeilLogTwo(tvULong Value);

} // namespace Tolvane
