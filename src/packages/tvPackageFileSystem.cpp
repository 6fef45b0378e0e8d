// The default file manager: plain files and package*member paths, and its command language.
#include "base/tvPrelude.h"
#include "tvCore/packages/tvPackageFileSystem.h"
#include "tvCore/packages/tvZipFile.h"
#include "tvCore/img/tvImgReaders.h"
#include "tvCore/core/strings/tvParse.h"
#include "base/tvPathLimits.h"
#include "base/tvWideText.h"
#include "core/tvStartup.h"

namespace Tolvane {

namespace {

// The package path before the first '*' of Path, in Out; false when there is no star or the
// package path does not fit a working path (it is refused, never cut).
bool SplitAtStar(const tvWChar* Path, tvWChar (&Out)[GWorkingPathUnits], const tvWChar*& Member)
{
    const tvWChar* Star = Wide::FindChar(Path, TVTEXT('*'));
    if (!Star)
        return false;
    const std::size_t Units = static_cast<std::size_t>(Star - Path);
    if (Units >= GWorkingPathUnits) {
        Member = nullptr;
        return true;
    }
    for (std::size_t i = 0; i < Units; ++i)
        Out[i] = Path[i];
    Out[Units] = 0;
    Member = Star + 1;
    return true;
}

template <class TPackage>
TPackage* FindByName(TArray<TPackage*>& Packages, TPackage*& Current, const tvWChar* Name)
{
    if (Current && Wide::CompareNoCase(Current->GetName(), Name) == 0)
        return Current;
    Current = nullptr;
    for (int i = 0; i < Packages.Num(); ++i)
        if (Packages[i] && Wide::CompareNoCase(Packages[i]->GetName(), Name) == 0)
            return Current = Packages[i];
    return nullptr;
}

// Stores an opened package in the first empty slot, else at the end; false when memory for
// the slot is refused.
template <class TPackage>
bool StoreInSlot(TArray<TPackage*>& Packages, TPackage* Package)
{
    for (int i = 0; i < Packages.Num(); ++i)
        if (!Packages[i]) {
            Packages[i] = Package;
            return true;
        }
    return Packages.AddItem(Package) >= 0;
}

template <class TPackage>
TPackage* OpenPackage(const tvWChar* Name)
{
    TPackage* Package = new TPackage(Name);
    if (Package && !Package->Open()) {
        delete Package;
        Package = nullptr;
    }
    return Package;
}

template <class TPackage>
void DeleteAll(TArray<TPackage*>& Packages)
{
    for (int i = 0; i < Packages.Num(); ++i)
        delete Packages[i];
    Packages.RemoveAll(1);
}

FFileManager* CreateDefaultFileManager() { return new FPackageFileSystem; }
// Start-up (in the core) creates the default file manager through this, so the core needs no
// knowledge of packages.
const bool GRegistered = (appSetDefaultFileManagerFactory(&CreateDefaultFileManager), true);

} // namespace

FPackageFileSystem::FPackageFileSystem() : CurrentReadingPackage(nullptr), CurrentWritingPackage(nullptr) {}

FPackageFileSystem::~FPackageFileSystem() { CloseAll(); }

int FPackageFileSystem::Initialize()
{
    SetPackageMode(static_cast<EFilePackMode>(FILEPACK_ReadFromPackages | FILEPACK_WriteToPackages));
    ReadingPackages.ReserveSpace(256);
    WritingPackages.ReserveSpace(256);
    return 1;
}

void FPackageFileSystem::CloseAll()
{
    DeleteAll(ReadingPackages);
    DeleteAll(WritingPackages);
    CurrentReadingPackage = nullptr;
    CurrentWritingPackage = nullptr;
}

int FPackageFileSystem::Exec(tvWChar* Command, FString& /*Output*/)
{
    if (!Command)
        return 0;
    FString Line(Command);
    Line.MakeUpper();
    FString Word, Rest;
    parse_command(Line, Word, Rest);
    if (Word == TVTEXT("CLOSE")) {
        if (Rest == TVTEXT("ALL"))
            CloseAll();
    } else if (Word == TVTEXT("ZIP")) {
        if (Rest == TVTEXT("UPDATE"))
            GZipWriteMode = ZIPWRITE_Update;
        else if (Rest == TVTEXT("APPEND"))
            GZipWriteMode = ZIPWRITE_Append;
        else if (Rest == TVTEXT("WRITE"))
            GZipWriteMode = ZIPWRITE_Write;
    }
    return 0;
}

FFileReader* FPackageFileSystem::CreatePlainReader(const tvWChar* Path, bool UnderDataRoot)
{
    FString FullPath = UnderDataRoot ? FString(GetDataRootDir()) + Path : FString(Path);
    if (UnderDataRoot && FullPath.GetLength() >= int(GWorkingPathUnits))
        return nullptr;  // the data root and the path do not fit a working path
    FRawFileReaderSync* Reader = new FRawFileReaderSync(FullPath);
    if (Reader && !Reader->Initialize()) {
        delete Reader;
        Reader = nullptr;
    }
    return Reader;
}

FFileWriter* FPackageFileSystem::CreatePlainWriter(const tvWChar* Path, bool UnderDataRoot)
{
    FString FullPath = UnderDataRoot ? FString(GetDataRootDir()) + Path : FString(Path);
    if (UnderDataRoot && FullPath.GetLength() >= int(GWorkingPathUnits))
        return nullptr;
    FRawFileWriterSync* Writer = new FRawFileWriterSync(FullPath);
    if (Writer && !Writer->Initialize()) {
        delete Writer;
        Writer = nullptr;
    }
    return Writer;
}

FUnzipPackage* FPackageFileSystem::ReadingPackage(const tvWChar* PackagePath)
{
    if (FUnzipPackage* Found = FindByName(ReadingPackages, CurrentReadingPackage, PackagePath))
        return Found;
    FUnzipPackage* Package = OpenPackage<FUnzipPackage>(PackagePath);
    if (!Package)
        return nullptr;
    bool HasEmptySlot = false;
    for (int i = 0; i < ReadingPackages.Num(); ++i)
        HasEmptySlot = HasEmptySlot || !ReadingPackages[i];
    // At most 21 stay open: the oldest added is closed first.
    if (!HasEmptySlot && ReadingPackages.Num() >= MaxReadingPackages) {
        delete ReadingPackages[0];
        ReadingPackages.RemoveAt(0);
    }
    if (!StoreInSlot(ReadingPackages, Package)) {
        delete Package;
        return nullptr;
    }
    return CurrentReadingPackage = Package;
}

FZipPackage* FPackageFileSystem::WritingPackage(const tvWChar* PackagePath)
{
    if (FZipPackage* Found = FindByName(WritingPackages, CurrentWritingPackage, PackagePath))
        return Found;
    FZipPackage* Package = OpenPackage<FZipPackage>(PackagePath);
    if (!Package)
        return nullptr;
    if (!StoreInSlot(WritingPackages, Package)) {
        delete Package;
        return nullptr;
    }
    return CurrentWritingPackage = Package;
}

FFileReader* FPackageFileSystem::CreateReader(const tvWChar* Path)
{
    if (!Path)
        return nullptr;
    const int Mode = IsPackageMode();
    if (!(Mode & FILEPACK_ReadFromPackages))
        return CreatePlainReader(Path, !(Mode & FILEPACK_PlainPaths));
    tvWChar PackagePath[GWorkingPathUnits];
    const tvWChar* Member = nullptr;
    if (!SplitAtStar(Path, PackagePath, Member))
        return CreatePlainReader(Path, false);
    if (!Member)
        return nullptr;  // a package path that does not fit a working path is refused
    if (FUnzipPackage* Package = ReadingPackage(PackagePath))
        if (FFileReader* Reader = Package->CreateMemberReader(Member))
            return Reader;
    // No such package or member: the whole path, star included, names no plain file either.
    return CreatePlainReader(Path, false);
}

FFileWriter* FPackageFileSystem::CreateWriter(const tvWChar* Path)
{
    if (!Path)
        return nullptr;
    const int Mode = IsPackageMode();
    if (!(Mode & FILEPACK_WriteToPackages))
        return CreatePlainWriter(Path, !(Mode & FILEPACK_PlainPaths));
    tvWChar PackagePath[GWorkingPathUnits];
    const tvWChar* Member = nullptr;
    if (!SplitAtStar(Path, PackagePath, Member))
        return CreatePlainWriter(Path, false);
    if (!Member)
        return nullptr;
    if (FZipPackage* Package = WritingPackage(PackagePath))
        return Package->CreateMemberWriter(Member);
    return CreatePlainWriter(Path, false);
}

} // namespace Tolvane
