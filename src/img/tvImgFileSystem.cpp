// The IMG archive file system: the directory loaded at Initialize, hashed lookups of absolute
// paths under the data root, archive readers over the shared loader and loose files for the
// rest.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgFileSystem.h"
#include "tvCore/img/tvImgReaders.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"
#include "img/tvImgDirectory.h"
#include "platform/tvPlatformPathRules.h"
#include "platform/tvPlatformProfile.h"
#include "platform/tvPlatformThread.h"

namespace Tolvane {

namespace {

inline bool IsSeparator(char C) { return C == '\\' || (C == '/' && Platform::SlashIsSeparator()); }

inline char UpperAnsi(char C) { return (C >= 'a' && C <= 'z') ? char(C - 32) : C; }

// Path as upper-cased ANSI text of at most GImgPathCapacity bytes with its terminator; false
// when it does not convert or fit. ASCII text is narrowed directly: every ANSI code page the
// library serves keeps ASCII as it is. With SlashToBackslash, '/' becomes '\'.
bool ToUpperAnsi(const tvWChar* Path, char (&Out)[GImgPathCapacity], int& Length, bool SlashToBackslash = false)
{
    int i = 0;
    for (; Path[i] && Path[i] < 0x80; ++i) {
        if (i >= GImgPathCapacity - 1)
            return false;
        const char C = UpperAnsi(char(Path[i]));
        Out[i] = (SlashToBackslash && C == '/') ? '\\' : C;
    }
    if (Path[i] == 0) {
        Out[i] = 0;
        Length = i;
        return true;
    }
    if (appUnicodeToAnsi(Out, Path, GImgPathCapacity) == 0)
        return false;
    for (i = 0; Out[i]; ++i) {
        const char C = UpperAnsi(Out[i]);
        Out[i] = (SlashToBackslash && C == '/') ? '\\' : C;
    }
    Length = i;
    return true;
}

} // namespace

FImgFileSystem::FImgFileSystem()
    : ThreadRunning(0), ExitRequested(0), HashTable(nullptr), Items(nullptr), Names(nullptr), PrefixLength(0),
      Thread(nullptr), ItemCount(0), PathLengths(nullptr), Lookup(nullptr), LookupMask(0), LookupPaths(nullptr)
{
}

FImgFileSystem::~FImgFileSystem()
{
    ExitRequested = 1;
    if (Thread) {
        if (!ThreadRunning)
            Platform::ThreadResume(Thread);
        Platform::ThreadWaitForEnd(Thread, Platform::GInfiniteWait);
        Thread = nullptr;
    }
    ReleaseDirectory();
    appProfileClose();
}

void FImgFileSystem::ReleaseDirectory()
{
    FImgDirectory Directory;
    Directory.Items = Items;
    Directory.Names = Names;
    Directory.HashTable = HashTable;
    Directory.PathLengths = PathLengths;
    Directory.Lookup = Lookup;
    Directory.LookupPaths = LookupPaths;
    Directory.Release();
    Lookup = nullptr;
    LookupPaths = nullptr;
    Items = nullptr;
    Names = nullptr;
    HashTable = nullptr;
    PathLengths = nullptr;
    ItemCount = 0;
}

int FImgFileSystem::Initialize()
{
    if (Items)
        return 0;  // called once
    tvWChar ConfigPath[DirectoryCapacity + 32];
    const FString Config = FString(GetDataRootDir()) + TVTEXT("Engine/Engine.ini");
    if (Config.GetLength() >= int(sizeof(ConfigPath) / sizeof(tvWChar)))
        return 0;
    std::memcpy(ConfigPath, static_cast<const tvWChar*>(Config), sizeof(tvWChar) * std::size_t(Config.GetLength() + 1));

    tvWChar Value[GImgPathCapacity];
    Platform::ProfileGetString(TVTEXT("Data"), TVTEXT("Img"), TVTEXT("error"), Value, GImgPathCapacity, ConfigPath);
    if (FString(Value).CompareNoCase(TVTEXT("error")) == 0)
        return 0;
    const tvWChar* Name = Value[0] == u'\\' ? Value + 1 : Value;
    if (!LoadArchive(FString(GetDataRootDir()) + Name))
        return 0;
    if (!InitializeAsyncThread())
        return 0;
    appProfileStart(1024);
    appProfileOpen(TVTEXT(".\\game.profile"));
    return 1;
}

int FImgFileSystem::LoadArchive(const FString& Path)
{
    if (!Loader.Initialize(Path))
        return 0;
    FImgDirectory Directory;
    if (!LoadImgDirectory(Loader, Directory, nullptr))
        return 0;
    Items = Directory.Items;
    Names = Directory.Names;
    HashTable = Directory.HashTable;
    BuildImgLookup(Directory);
    PathLengths = Directory.PathLengths;
    Lookup = Directory.Lookup;
    LookupMask = Directory.LookupMask;
    LookupPaths = Directory.LookupPaths;
    ItemCount = Directory.Count;
    PrefixLength = ComputePrefixLength(GetDataRootDir());
    return 1;
}

int FImgFileSystem::OpenArchive(const tvWChar* ArchivePath)
{
    if (Items || !ArchivePath)
        return 0;
    return LoadArchive(FString(ArchivePath));
}

int FImgFileSystem::InitializeAsyncThread()
{
    AsyncLock.Initialize();
    if (Thread)
        return 0;
    Thread = Platform::ThreadCreate(&FImgFileSystem::AsyncThreadProc, this, true);
    return Thread ? 1 : 0;
}

tvULong FImgFileSystem::AsyncThreadProc(void* Argument)
{
    FImgFileSystem* FileSystem = static_cast<FImgFileSystem*>(Argument);
    while (!FileSystem->ExitRequested) {
        // Nothing is queued yet: the worker sleeps until it is woken, at the latest to end.
        FileSystem->ThreadRunning = 0;
        if (!Platform::ThreadSuspendSelf())
            break;
        FileSystem->ThreadRunning = 1;
    }
    return 0;
}

int FImgFileSystem::ComputePrefixLength(const tvWChar* DataRootDir)
{
    char Root[GImgPathCapacity];
    int Length = 0;
    if (!DataRootDir || !ToUpperAnsi(DataRootDir, Root, Length))
        return 0;
    for (int i = Length - 2; i >= 0; --i)
        if (IsSeparator(Root[i]))
            return i + 1;
    return 0;
}

bool FImgFileSystem::MakeKey(const tvWChar* Path, char (&Query)[GImgPathCapacity], int& KeyStart, int& KeyLength) const
{
    // The slashes of the stripped prefix become backslashes as well; those are never compared.
    int Length = 0;
    if (!Path || !*Path || !HashTable || !ToUpperAnsi(Path, Query, Length, Platform::SlashIsSeparator()) ||
        Length < PrefixLength)
        return false;
    KeyStart = PrefixLength;
    KeyLength = Length - PrefixLength;
    return true;
}

_diFileItem* FImgFileSystem::SearchFileFromHash(const tvWChar* Path)
{
    if (!Lookup)
        return SearchFileInChain(Path);
    char Query[GImgPathCapacity];
    int KeyStart = 0, KeyLength = 0;
    if (!MakeKey(Path, Query, KeyStart, KeyLength))
        return nullptr;
    return FindInImgLookup(Lookup, LookupMask, LookupPaths, Items, Query + KeyStart, KeyLength);
}

_diFileItem* FImgFileSystem::SearchFileInChain(const tvWChar* Path)
{
    char Query[GImgPathCapacity];
    int KeyStart = 0, KeyLength = 0;
    if (!MakeKey(Path, Query, KeyStart, KeyLength))
        return nullptr;
    const char* Key = Query + KeyStart;
    int A = 0, B = 0;
    diHash(Key, &A, &B);
    for (_diFileItem* Item = HashTable[A * GImgHashSide + B]; Item; Item = Item->HashNext)
        if (PathLengths[Item - Items] == KeyLength && ImgPathMatches(Item, Key, KeyLength))
            return Item;
    return nullptr;
}

FFileReader* FImgFileSystem::CreateReader(const tvWChar* Path)
{
    if (_diFileItem* Item = SearchFileFromHash(Path))
        return new FImgFileReaderSync(&Loader, Item);
    if (!Path)
        return nullptr;
    FRawFileReaderSync* Reader = new FRawFileReaderSync(FString(Path));
    if (Reader && !Reader->Initialize()) {
        delete Reader;
        Reader = nullptr;
    }
    return Reader;
}

FFileWriter* FImgFileSystem::CreateWriter(const tvWChar* Path)
{
    if (!Path)
        return nullptr;
    FRawFileWriterSync* Writer = new FRawFileWriterSync(FString(Path));
    if (Writer && !Writer->Initialize()) {
        delete Writer;
        Writer = nullptr;
    }
    return Writer;
}

} // namespace Tolvane
