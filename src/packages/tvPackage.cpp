// What both kinds of package share: the name, the package file name with its ".xup", the
// per-user copy, and the library-wide zip write mode.
#include "base/tvPrelude.h"

#include "tvCore/packages/tvPackage.h"
#include "base/tvWideText.h"
#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

int GZipWriteMode = ZIPWRITE_Write;

namespace {

// A package path is absolute when it names a drive (':'); on POSIX a leading '/' does too.
bool IsAbsolutePath(const tvWChar* Path) { return Wide::FindChar(Path, TVTEXT(':')) != nullptr || Path[0] == TVTEXT('/'); }

// Appends Source to Dest (Capacity units in all); false when it does not fit.
bool AppendWide(tvWChar* Dest, std::size_t Capacity, const tvWChar* Source)
{
    const std::size_t Used = Wide::Length(Dest);
    const std::size_t Adding = Wide::LengthBounded(Source, Capacity);
    if (Used + Adding >= Capacity)
        return false;
    std::memcpy(Dest + Used, Source, (Adding + 1) * sizeof(tvWChar));
    return true;
}

// Wide text into the ANSI code page, refused (false, Out empty) when it needs Capacity bytes
// or more: a cut file name would name another file.
bool ToAnsiWhole(char* Out, int Capacity, const tvWChar* Text)
{
    Out[0] = 0;
    const int Needed = appUnicodeToAnsi(nullptr, Text, 0);
    if (Needed <= 0 || Needed > Capacity)
        return false;
    return appUnicodeToAnsi(Out, Text, Capacity) == Needed;
}

const tvWChar* ManagerDirectory(bool User)
{
    if (!GFileManager)
        return TVTEXT("");
    return User ? GFileManager->GetUserDataRootDir() : GFileManager->GetDataRootDir();
}

constexpr std::size_t WorkCapacity = FFileManager::DirectoryCapacity + FPackage::NameCapacity + 8;

} // namespace

FPackage::FPackage(const tvWChar* PackagePath) : Name{}, Path{}, Version(PackageVersion), Absolute(0)
{
    if (!PackagePath || Wide::LengthBounded(PackagePath, NameCapacity) >= NameCapacity)
        return;
    Wide::Copy(Name, PackagePath);
    Absolute = IsAbsolutePath(Name) ? 1 : 0;
    tvWChar FileName[WorkCapacity] = {};
    if ((!Absolute && !AppendWide(FileName, WorkCapacity, ManagerDirectory(false))) ||
        !AppendWide(FileName, WorkCapacity, Name) || !AppendWide(FileName, WorkCapacity, TVTEXT(".xup")) ||
        !ToAnsiWhole(Path, PathCapacity, FileName))
        Name[0] = 0;
}

FPackage::~FPackage() = default;

bool FPackage::UserCopyPath(char (&Out)[PathCapacity]) const
{
    tvWChar FileName[WorkCapacity] = {};
    return Name[0] && AppendWide(FileName, WorkCapacity, ManagerDirectory(true)) &&
           AppendWide(FileName, WorkCapacity, Name) && AppendWide(FileName, WorkCapacity, TVTEXT(".xup")) &&
           ToAnsiWhole(Out, PathCapacity, FileName);
}

} // namespace Tolvane
