// Configuration files from arbitrary bytes (either byte-order mark, ANSI text, anything): Load
// never fails on them beyond its result, and what it read survives a save and a second load
// unchanged, value for value.
#include <tvCore/tvCore.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Tolvane;

namespace {

// A reader over one buffer.
class FBufferReader : public FFileReader {
public:
    explicit FBufferReader(const std::vector<unsigned char>& InBytes) : Bytes(InBytes) {}
    int GetSize() override { return static_cast<int>(Bytes.size()); }
    void Close() override {}
    int Read(void* Data, tvULong Length) override
    {
        const std::size_t Left = Bytes.size() - Position;
        const std::size_t Count = Length < Left ? Length : Left;
        std::memcpy(Data, Bytes.data() + Position, Count);
        Position += Count;
        return static_cast<int>(Count);
    }

private:
    const std::vector<unsigned char>& Bytes;
    std::size_t Position = 0;
};

class FBufferWriter : public FFileWriter {
public:
    explicit FBufferWriter(std::vector<unsigned char>& InBytes) : Bytes(InBytes) { Bytes.clear(); }
    int GetSize() override { return static_cast<int>(Bytes.size()); }
    void Close() override {}
    void Flush() override {}
    void Write(void* Data, tvULong Length) override
    {
        const unsigned char* P = static_cast<const unsigned char*>(Data);
        Bytes.insert(Bytes.end(), P, P + Length);
    }

private:
    std::vector<unsigned char>& Bytes;
};

// Every path names the one buffer; saving fills it (the final rename finds no real file and
// fails, which the save reports, but the bytes were written first).
class FBufferManager : public FFileManager {
public:
    std::vector<unsigned char> Bytes;
    FFileReader* CreateReader(const tvWChar*) override { return new FBufferReader(Bytes); }
    FFileWriter* CreateWriter(const tvWChar*) override { return new FBufferWriter(Bytes); }
};

bool SameContent(FConfigFile& A, FConfigFile& B)
{
    const TNamedPtrArray<FConfigSection>& SA = A.GetSections();
    const TNamedPtrArray<FConfigSection>& SB = B.GetSections();
    if (SA.GetCount() != SB.GetCount())
        return false;
    for (int s = 0; s < SA.GetCount(); ++s) {
        if (FString(A.GetNames().GetName(SA.NameAt(s))) != FString(B.GetNames().GetName(SB.NameAt(s))))
            return false;
        const TNamedPtrArray<FConfigVar>& VA = SA.ElementAt(s)->GetValues();
        const TNamedPtrArray<FConfigVar>& VB = SB.ElementAt(s)->GetValues();
        if (VA.GetCount() != VB.GetCount())
            return false;
        for (int v = 0; v < VA.GetCount(); ++v)
            if (FString(A.GetNames().GetName(VA.NameAt(v))) != FString(B.GetNames().GetName(VB.NameAt(v))) ||
                VA.ElementAt(v)->GetString() != VB.ElementAt(v)->GetString())
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    FBufferManager Manager;
    Manager.Bytes.assign(Data, Data + Size);
    FFileManager* Saved = GFileManager;
    GFileManager = &Manager;
    {
        FConfigFile Config;
        if (Config.Load(TVTEXT("fuzz.ini"))) {
            // Numbers and lookups over what was read.
            const TNamedPtrArray<FConfigSection>& Sections = Config.GetSections();
            for (int s = 0; s < Sections.GetCount(); ++s) {
                const TNamedPtrArray<FConfigVar>& Values = Sections.ElementAt(s)->GetValues();
                for (int v = 0; v < Values.GetCount(); ++v) {
                    Values.ElementAt(v)->GetInt();
                    Values.ElementAt(v)->GetFloat();
                }
            }
            Config.SaveAs(TVTEXT("fuzz.ini"));
            FConfigFile Again;
            if (!Again.Load(TVTEXT("fuzz.ini")) && Sections.GetCount() > 0)
                std::abort();
            if (!SameContent(Config, Again))
                std::abort();
        }
    }
    GFileManager = Saved;
    return 0;
}
