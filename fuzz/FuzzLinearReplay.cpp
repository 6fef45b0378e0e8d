// An arbitrary ".lin" file replayed against a fixed run of opens and reads: every read either
// delivers bytes of the file or fails with the error flag, never bytes from elsewhere, and a
// replay that runs out goes on with the real (here: in-memory) files.
#include "FuzzLimitedMalloc.h"
#include "files/MemoryFileManager.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace Tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static FLimitedMalloc Limited;
    static const bool Ready = (Limited.Limit = 1u << 20, GMalloc = &Limited, true);
    (void)Ready;
    // Sets the library-wide mode to replay; the native manager it makes is not used.
    delete appLinearFileSystemInit(LOADINGMODE_Load);

    FInMemoryFileManager* Files = new FInMemoryFileManager;
    Files->Files[u"run.lin"] = FInMemoryFileManager::FBytes(Data, Data + Size);
    Files->Files[u"a"] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    Files->Files[u"t.txt"] = {0xFF, 0xFE, 'a', 0};
    FFileManagerLinearLoad* Replay = new FFileManagerLinearLoad(Files);
    FFileManager* Saved = GFileManager;
    GFileManager = Replay;
    appLinearFileSystemStart(u"run");

    unsigned char Buffer[64];
    for (int Round = 0; Round < 3; ++Round) {
        FFileReader* A = GFileManager->CreateReader(u"a");
        if (A) {
            const int Size0 = A->GetSize();
            (void)Size0;
            for (tvULong Count : {4u, 6u, 0u, 64u}) {
                const int Got = A->Read(Buffer, Count);
                if (Got < 0 || Got > static_cast<int>(Count))
                    __builtin_trap();
            }
            if (Round == 1)
                A->Close();
            A->Read(Buffer, 3);
        }
        FString Text;
        appLoadFileToString(Text, u"t.txt");
        TArray<unsigned char> Bytes;
        appLoadFileToArray(Bytes, u"a");
        if (Round == 0)
            appLinearFileSystemPause();
        else
            appLinearFileSystemResume();
        delete A;
    }
    appLinearFileSystemEnd();
    GFileManager = Saved;
    delete Replay;
    return 0;
}
