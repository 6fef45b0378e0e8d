// Arbitrary bytes as an IMG archive: Initialize either refuses them or loads a directory whose
// every item can be looked up by its archive path and read to its end, never a read beyond the
// file's bytes, an endless walk, or an allocation the bytes cannot justify.
#include <tvCore/tvCore.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace Tolvane;

namespace {

struct FPlace {
    std::string Root;         // the temporary folder
    std::string Caller;       // the current directory the fuzzer runs in (its corpus paths are relative)
    std::u16string DataRoot;  // Root + "/Data/"
    std::string Archive;
};

const FPlace& Place()
{
    static const FPlace Made = [] {
        FPlace P;
        std::string Pattern = (std::filesystem::temp_directory_path() / "tvCoreFuzzImg-XXXXXX").string();
        if (!mkdtemp(Pattern.data()))
            std::abort();
        P.Root = Pattern;
        std::filesystem::create_directories(P.Root + "/Data/Engine");
        std::ofstream(P.Root + "/Data/Engine/Engine.ini") << "[Data]\nImg=Fuzz.img\n";
        P.DataRoot = std::filesystem::path(P.Root).u16string() + u"/Data/";
        P.Archive = P.Root + "/Data/Fuzz.img";
        P.Caller = std::filesystem::current_path().string();
        return P;
    }();
    return Made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const FPlace& P = Place();
    {
        std::ofstream Out(P.Archive, std::ios::binary | std::ios::trunc);
        Out.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
    }
    FImgFileSystem FileSystem;
    FileSystem.SetDataRootDir(P.DataRoot.c_str());
    // Initialize creates the read profile ".\game.profile": in the temporary folder, not in the
    // fuzzer's own folder.
    std::filesystem::current_path(P.Root);
    const int Initialized = FileSystem.Initialize();
    std::filesystem::current_path(P.Caller);
    if (Initialized == 1) {
        // Queries are absolute: the data root's parent folder, then the archive path.
        const std::u16string Parent = P.DataRoot.substr(0, std::size_t(FileSystem.GetPrefixLength()));
        const char16_t* Probes[] = {u"DATA\\A.TXT", u"DATA/B/C.BIN", u"data\\b", u"X", u"", u"DATA\\\\A.TXT"};
        for (const char16_t* Probe : Probes) {
            const std::u16string Query = Parent + Probe;
            // The lookup index answers as the literal chain walk does.
            if (FileSystem.SearchFileFromHash(Query.c_str()) != FileSystem.SearchFileInChain(Query.c_str()))
                std::abort();
            if (_diFileItem* Item = FileSystem.SearchFileFromHash(Query.c_str())) {
                // The item's own archive path finds it again (ASCII paths convert back unchanged).
                const char* Full = diGetFullPath(Item, 0);
                std::u16string Again = Parent;
                bool Ascii = true;
                for (const char* C = Full; *C; ++C) {
                    Ascii &= static_cast<unsigned char>(*C) < 0x80;
                    Again += char16_t(static_cast<unsigned char>(*C));
                }
                if (Ascii && FileSystem.SearchFileFromHash(Again.c_str()) != Item)
                    std::abort();
            }
            if (FFileReader* Reader = FileSystem.CreateReader(Query.c_str())) {
                unsigned char Chunk[700];
                const tvULong Length = tvULong(Reader->GetSize());
                for (tvULong At = 0; At < Length;) {
                    const tvULong Step = Length - At < sizeof(Chunk) ? Length - At : tvULong(sizeof(Chunk));
                    if (Reader->Read(Chunk, Step) != int(Step))
                        std::abort();
                    At += Step;
                }
                delete Reader;
            }
        }
    }
    TArray<FString> Faults;
    appCheckImgArchive(std::u16string(P.Archive.begin(), P.Archive.end()).c_str(), Faults);
    return 0;
}
