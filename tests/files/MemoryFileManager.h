// A file manager that keeps its files in memory, keyed by path: for tests that show a caller
// reaches files only through the manager it is given. A writer's bytes become the file when it
// is destroyed; one that lost bytes (FailAfter) leaves the earlier file as it was.
#pragma once

#include <tvCore/tvCore.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "support/WideText.h"

class FInMemoryFileManager : public Tolvane::FFileManager {
public:
    typedef std::vector<unsigned char> FBytes;
    std::map<WideText, FBytes> Files;
    // Writers accept this many bytes, then lose the rest and set their error flag (negative:
    // no limit).
    long FailAfter = -1;
    int ReadersOpened = 0;

    class FReader : public Tolvane::FFileReader {
    public:
        explicit FReader(FBytes InBytes) : Bytes(std::move(InBytes)) {}
        int GetSize() override { return Open ? static_cast<int>(Bytes.size()) : 0; }
        void Close() override { Open = false; }
        int Read(void* Data, Tolvane::tvULong Length) override
        {
            if (!Open || !Data)
                return 0;
            const std::size_t Left = Bytes.size() - Position;
            const std::size_t Count = std::min<std::size_t>(Left, Length);
            if (Count > 0)
                std::memcpy(Data, Bytes.data() + Position, Count);
            Position += Count;
            CurrentPos = static_cast<Tolvane::tvULong>(Position);
            return static_cast<int>(Count);
        }

    private:
        FBytes Bytes;
        std::size_t Position = 0;
        bool Open = true;
    };

    class FWriter : public Tolvane::FFileWriter {
    public:
        FWriter(FInMemoryFileManager& InOwner, WideText InPath) : Owner(InOwner), Path(std::move(InPath)) {}
        ~FWriter() override { FWriter::Close(); }
        int GetSize() override { return static_cast<int>(Bytes.size()); }
        void Close() override
        {
            if (Open && !IsError())
                Owner.Files[Path] = Bytes;
            Open = false;
        }
        void Write(void* Data, Tolvane::tvULong Length) override
        {
            const unsigned char* In = static_cast<const unsigned char*>(Data);
            for (Tolvane::tvULong i = 0; i < Length; ++i) {
                if (!Open || (Owner.FailAfter >= 0 && static_cast<long>(Bytes.size()) >= Owner.FailAfter)) {
                    SetError();
                    return;
                }
                Bytes.push_back(In[i]);
            }
        }
        void Flush() override {}

    private:
        FInMemoryFileManager& Owner;
        WideText Path;
        FBytes Bytes;
        bool Open = true;
    };

    Tolvane::FFileReader* CreateReader(const Tolvane::tvWChar* Path) override
    {
        auto Found = Path ? Files.find(Path) : Files.end();
        if (Found == Files.end())
            return nullptr;
        ++ReadersOpened;
        return new FReader(Found->second);
    }
    Tolvane::FFileWriter* CreateWriter(const Tolvane::tvWChar* Path) override
    {
        return Path ? new FWriter(*this, Path) : nullptr;
    }
};
