// The memory reader, the memory writer and their factory.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvMemoryArchive.h"

namespace Tolvane {

namespace {
// A position past the array, or a length running past 4 GiB, leaves the position at the end of
// the 32-bit range rather than wrapping to the start.
inline tvULong Advance(tvULong Position, tvULong Length)
{
    const std::uint64_t Next = std::uint64_t(Position) + Length;
    return Next > 0xFFFFFFFFull ? tvULong(0xFFFFFFFFu) : tvULong(Next);
}
} // namespace

FMemoryReader::FMemoryReader(TArray<unsigned char>& InBytes) : Bytes(InBytes), Position(0)
{
    ArFlags = FlagLoading;
}

FMemoryReader::~FMemoryReader() { Position = 0; }

void FMemoryReader::Serialize(void* Data, tvULong Length)
{
    if (Length == 0)
        return;
    if (!Data) {
        SetError();
        return;
    }
    const tvULong Count = Bytes.Num() > 0 ? tvULong(Bytes.Num()) : 0;
    const tvULong Available = Position < Count ? Count - Position : 0;
    const tvULong Copied = Length < Available ? Length : Available;
    if (Copied)
        std::memcpy(Data, Bytes.GetData() + Position, Copied);
    if (Copied < Length) {
        std::memset(static_cast<unsigned char*>(Data) + Copied, 0, Length - Copied);
        SetError();
    }
    Position = Advance(Position, Length);
}

void FMemoryReader::Close() { Position = 0; }

int FMemoryReader::GetSize() { return Bytes.Num(); }

tvULong FMemoryReader::Tell() { return Position; }

void FMemoryReader::Seek(tvULong Offset, ESeekMethod) { Position = Offset; }

int FMemoryReader::IsEof() { return std::int64_t(Position) >= std::int64_t(Bytes.Num()) ? 1 : 0; }

FMemoryWriter::FMemoryWriter(tvULong InitialSize) : Position(0)
{
    ArFlags = FlagSaving;
    if (InitialSize > 0 && InitialSize <= tvULong(std::numeric_limits<int>::max()))
        Bytes.ReserveSpace(static_cast<int>(InitialSize));
}

FMemoryWriter::~FMemoryWriter() { Position = 0; }

void FMemoryWriter::Serialize(void* Data, tvULong Length)
{
    if (Length == 0)
        return;
    const std::int64_t Count = Bytes.Num();
    const std::int64_t Gap = std::int64_t(Position) > Count ? std::int64_t(Position) - Count : 0;
    // The element count is an int: data that would take it past that is refused whole.
    if (!Data || Count + Gap + std::int64_t(Length) > std::numeric_limits<int>::max()) {
        SetError();
        return;
    }
    if (Gap)
        Bytes.AddZeroed(static_cast<int>(Gap));
    Bytes.AddZeroed(static_cast<int>(Length));
    if (!Bytes.GetData() || std::int64_t(Bytes.Num()) < std::int64_t(Position) + Length) {
        SetError();  // the allocator refused the growth
        return;
    }
    std::memcpy(Bytes.GetData() + Position, Data, Length);
    Position += Length;
}

void FMemoryWriter::Close() { Position = 0; }

int FMemoryWriter::GetSize() { return Bytes.Num(); }

tvULong FMemoryWriter::Tell() { return Position; }

void FMemoryWriter::Seek(tvULong Offset, ESeekMethod) { Position = Offset; }

int FMemoryWriter::IsEof() { return std::int64_t(Position) >= std::int64_t(Bytes.Num()) ? 1 : 0; }

FMemoryFileManager::FMemoryFileManager() = default;

FMemoryFileManager::~FMemoryFileManager() = default;

FMemoryReader* FMemoryFileManager::CreateReader(TArray<unsigned char>& Bytes) { return new FMemoryReader(Bytes); }

FMemoryWriter* FMemoryFileManager::CreateWriter(tvULong InitialSize) { return new FMemoryWriter(InitialSize); }

} // namespace Tolvane
