// The memory archives: FMemoryReader loads from a caller's byte array, FMemoryWriter saves into
// a byte array of its own; FMemoryFileManager hands out either. Every seek is absolute (the
// seek method is accepted and ignored).
#pragma once

#include "tvCore/core/files/tvArchive.h"
#include "tvCore/core/strings/tvArray.h"

namespace Tolvane {

class TVCORE_API FMemoryReader : public FArchive {
public:
    // Reads Bytes, which is not owned and must outlive the reader.
    explicit FMemoryReader(TArray<unsigned char>& Bytes);
    ~FMemoryReader() override;

    // Copies Length bytes at the position and advances by Length. What lies beyond the array
    // comes back as zero bytes and sets the error flag.
    void Serialize(void* Data, tvULong Length) override;
    // Rewinds; the array is untouched.
    virtual void Close();
    virtual int GetSize();
    virtual tvULong Tell();

    void Seek(tvULong Offset, ESeekMethod Method);
    int IsEof();

private:
    TArray<unsigned char>& Bytes;
    tvULong Position;
};

class TVCORE_API FMemoryWriter : public FArchive {
public:
    // Reserves InitialSize bytes (capacity, not count).
    explicit FMemoryWriter(tvULong InitialSize);
    ~FMemoryWriter() override;

    // Grows the array by Length zero bytes, then copies Length bytes at the position and
    // advances. After a seek beyond the end the array first grows with zero bytes up to the
    // position. Bytes that cannot be stored (no memory, beyond 2 GiB) set the error flag.
    void Serialize(void* Data, tvULong Length) override;
    // Rewinds; the data stays.
    virtual void Close();
    virtual int GetSize();
    virtual tvULong Tell();

    void Seek(tvULong Offset, ESeekMethod Method);
    int IsEof();
    // The owned array; the written bytes are its first GetSize() elements.
    TArray<unsigned char>& GetData() { return Bytes; }

private:
    TArray<unsigned char> Bytes;
    tvULong Position;
};

class TVCORE_API FMemoryFileManager : public FInterface {
public:
    FMemoryFileManager();
    ~FMemoryFileManager() override;

    // A new reader over Bytes, or null when memory is refused. The caller deletes it.
    virtual FMemoryReader* CreateReader(TArray<unsigned char>& Bytes);
    // A new writer reserving InitialSize bytes, or null when memory is refused.
    virtual FMemoryWriter* CreateWriter(tvULong InitialSize);
};

} // namespace Tolvane
