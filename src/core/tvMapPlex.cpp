// The fixed-size block chain: one GMalloc block per link, the data right after the link.
#include "base/tvPrelude.h"
#include "tvCore/core/tvMemStack.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

FMapPlex* FMapPlex::Create(FMapPlex*& Head, unsigned int Count, unsigned int ElementSize)
{
    if (Count == 0 || ElementSize == 0)
        return nullptr;
    // The whole block must fit the allocator's unsigned int size.
    const unsigned long long Bytes = static_cast<unsigned long long>(Count) * ElementSize + sizeof(FMapPlex);
    if (Bytes > std::numeric_limits<unsigned int>::max())
        return nullptr;
    FMapPlex* Block = static_cast<FMapPlex*>(GMalloc->Malloc(static_cast<unsigned int>(Bytes)));
    if (Block == nullptr)
        return nullptr;
    Block->Next = Head;
    Head = Block;
    return Block;
}

void FMapPlex::FreeDataChain()
{
    FMapPlex* Block = this;
    while (Block != nullptr) {
        FMapPlex* Following = Block->Next;
        GMalloc->Free(Block);
        Block = Following;
    }
}

} // namespace Tolvane
