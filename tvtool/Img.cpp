// tvtool img: IMG archives made from folders, listed, looked into, extracted and checked.
#include "ToolCommon.h"
#include "Commands.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace tvtool {

using namespace Tolvane;
namespace fs = std::filesystem;

namespace {

const char* const ImgUsage =
    "tvtool img create ARCHIVE.img DIR [--force]\n"
    "       tvtool img list ARCHIVE.img [--json]\n"
    "       tvtool img extract ARCHIVE.img DIR [--force]\n"
    "       tvtool img find ARCHIVE.img PATH [--json]\n"
    "       tvtool img check ARCHIVE.img";

const char* const ImgHelp =
    "IMG archives: a tree of folders and files with a 64 x 64 hash table for lookups. Names\n"
    "are upper-case text in the ANSI code page; archive paths join them with '\\'.\n"
    "\n"
    "  create ARCHIVE.img DIR   pack every file and folder under DIR (--force replaces ARCHIVE)\n"
    "  list ARCHIVE.img         every item: kind, size, offset, archive path (--json)\n"
    "  extract ARCHIVE.img DIR  write every item under DIR; names that would leave DIR are\n"
    "                           refused; existing files only with --force\n"
    "  find ARCHIVE.img PATH    the bucket PATH hashes to, the chain walked and the item found\n"
    "                           ('/' or '\\' separators, any letter case; status 1 when absent)\n"
    "  check ARCHIVE.img        every structural fault the library's checker finds (status 1\n"
    "                           when there is one)\n";

// The data root the archive's lookups are made under: a query "/" + archive path is then
// looked up as the archive path itself.
const tvWChar* const LookupRoot = TVTEXT("/tvtool/");

// An archive loaded for looking into; false (message printed) when it does not load.
bool Load(FImgFileSystem& Archive, const std::string& File)
{
    if (!PathExists(File))
        return Fail(File, "no such file"), false;
    Archive.SetDataRootDir(LookupRoot);
    if (!Archive.OpenArchive(ToWide(File).c_str()))
        return Fail(File, "not a sound IMG archive (see 'tvtool img check')"), false;
    return true;
}

// A folder has neither data nor a place for it; a file's data sits after the header.
bool IsFolder(const _diFileItem& Item) { return Item.Offset == 0 && Item.Size == 0; }

std::string ItemPath(const _diFileItem* Item) { return ToUtf8(FromAnsi(diGetFullPath(Item, 0))); }

// The archive path of a user's PATH: the library's key (ANSI, upper case, '\').
bool MakeKey(const std::string& Path, std::string& Key)
{
    WideString Wide = ToWide(Path);
    for (tvWChar& Unit : Wide)
        if (Unit == TVTEXT('/'))
            Unit = TVTEXT('\\');
    std::size_t Start = 0;
    while (Start < Wide.size() && Wide[Start] == TVTEXT('\\'))
        ++Start;
    if (!ToAnsi(Wide.substr(Start), Key))
        return false;
    for (char& C : Key)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return !Key.empty() && Key.size() < static_cast<std::size_t>(GImgPathCapacity) - 1;
}

int Create(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 2)
        return UsageError("img create needs ARCHIVE.img and DIR", ImgUsage);
    const std::string& File = Line.Positionals[0];
    const std::string& Dir = Line.Positionals[1];
    if (!IsDirectory(Dir))
        return Fail(Dir, "not a folder");
    if (PathExists(File) && !GSettings.Force)
        return Fail(File, "exists (use --force to replace it)");
    std::string Folder = Dir;
    if (Folder.back() != '/')
        Folder += '/';
    FImgArchiveWriter Writer;
    if (!Writer.AddFolder(ToWide(Folder).c_str(), TVTEXT("")))
        return Fail(Dir, "cannot be packed: a name does not fit the ANSI code page " + std::to_string(appGetAnsiCodePage()) +
                             ", a path is longer than 258 bytes, two names are the same in upper case, or the "
                             "folder cannot be listed");
    if (!Writer.Save(ToWide(File).c_str()))
        return Fail(File, "cannot be written (a file could not be read, or the archive would reach 4 GiB)");
    Verbose(File + ": " + std::to_string(Writer.GetItemCount() - 1) + " items");
    return ExitOk;
}

int List(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 1)
        return UsageError("img list needs ARCHIVE.img", ImgUsage);
    const std::string& File = Line.Positionals[0];
    std::unique_ptr<FImgFileSystem> Archive(new FImgFileSystem);
    if (!Load(*Archive, File))
        return ExitFailure;
    if (GSettings.Json)
        std::printf("{\"archive\": %s, \"items\": [", JsonString(File).c_str());
    for (int Index = 1; Index < Archive->GetItemCount(); ++Index) {
        const _diFileItem* Item = Archive->GetItem(Index);
        if (!Item)
            break;
        const std::string Path = ItemPath(Item);
        if (GSettings.Json)
            std::printf("%s\n  {\"path\": %s, \"folder\": %s, \"size\": %u, \"offset\": %u}", Index > 1 ? "," : "",
                        JsonString(Path).c_str(), IsFolder(*Item) ? "true" : "false", static_cast<unsigned>(Item->Size),
                        static_cast<unsigned>(Item->Offset));
        else
            std::printf("%-6s %10u %10u  %s\n", IsFolder(*Item) ? "folder" : "file", static_cast<unsigned>(Item->Size),
                        static_cast<unsigned>(Item->Offset), Path.c_str());
    }
    if (GSettings.Json)
        std::printf("\n]}\n");
    return ExitOk;
}

// The item's path as components on the disk ('/' separators), or why it is refused.
std::string DiskPath(const FImgFileSystem& Archive, const _diFileItem* Item, std::string& Reason)
{
    std::string Path;
    int Depth = 0;
    for (const _diFileItem* At = Item; At; At = At->Parent) {
        if (++Depth > Archive.GetItemCount() || !At->Name)
            return Reason = "folders that loop", std::string();
        const std::string Name = ToUtf8(FromAnsi(At->Name));
        if (Name.empty() || Name == "." || Name.find_first_of("/\\:") != std::string::npos || Name == "..")
            return Reason = "the name \"" + Name + "\" is not one plain path component", std::string();
        Path = Path.empty() ? Name : Name + "/" + Path;
    }
    Reason = UnsafeNameReason(Path);
    return Path;
}

int Extract(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 2)
        return UsageError("img extract needs ARCHIVE.img and DIR", ImgUsage);
    const std::string& File = Line.Positionals[0];
    const std::string& Dir = Line.Positionals[1];
    std::unique_ptr<FImgFileSystem> Archive(new FImgFileSystem);
    if (!Load(*Archive, File))
        return ExitFailure;
    // Every name is checked before anything is written.
    std::vector<std::string> Paths(static_cast<std::size_t>(Archive->GetItemCount()));
    int Status = ExitOk;
    std::uint64_t Total = 0;
    for (int Index = 1; Index < Archive->GetItemCount(); ++Index) {
        std::string Reason;
        const _diFileItem* Item = Archive->GetItem(Index);
        if (!Item)
            break;
        Paths[static_cast<std::size_t>(Index)] = DiskPath(*Archive, Item, Reason);
        if (!Reason.empty())
            Status = Fail(File, "item \"" + ItemPath(Item) + "\" refused: " + Reason);
        Total += Item->Size;
        const std::string Target = (fs::u8path(Dir) / fs::u8path(Paths[static_cast<std::size_t>(Index)])).u8string();
        if (Reason.empty() && !IsFolder(*Item) && !GSettings.Force && PathExists(Target))
            Status = Fail(Target, "exists (use --force to overwrite)");
    }
    if (Status != ExitOk)
        return Status;
    std::error_code Code;
    if (!IsDirectory(Dir) && !fs::create_directories(fs::u8path(Dir), Code))
        return Fail(Dir, "cannot create the folder: " + Code.message());
    FProgress Progress("extracting", Total, false);
    std::uint64_t Done = 0;
    std::vector<unsigned char> Bytes;
    FImgLoader* Loader = Archive->GetLoader();
    for (int Index = 1; Index < Archive->GetItemCount(); ++Index) {
        const _diFileItem* Item = Archive->GetItem(Index);
        if (!Item)
            break;
        const std::string& Name = Paths[static_cast<std::size_t>(Index)];
        std::string Path, Error;
        if (!PrepareOutputPath(Dir, IsFolder(*Item) ? Name + "/" : Name, Path, Error))
            return Fail(Name, Error);
        if (IsFolder(*Item))
            continue;
        Bytes.resize(Item->Size);
        if (!Loader->SeekFile(Item->Offset, SEEK_FromBegin) || !Loader->Read(Bytes.data(), Item->Size))
            return Fail(File, "item " + ItemPath(Item) + " cannot be read");
        if (!WriteOutputFile(Path, Bytes.data(), Bytes.size(), GSettings.Force, Error))
            return Fail(Path, Error);
        Verbose("extracted " + Name);
        Done += Item->Size;
        Progress.Set(Done);
    }
    return ExitOk;
}

int Find(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 2)
        return UsageError("img find needs ARCHIVE.img and PATH", ImgUsage);
    const std::string& File = Line.Positionals[0];
    std::string Key;
    if (!MakeKey(Line.Positionals[1], Key))
        return Fail(Line.Positionals[1], "not an archive path (empty, too long, or not in the ANSI code page)");
    std::unique_ptr<FImgFileSystem> Archive(new FImgFileSystem);
    if (!Load(*Archive, File))
        return ExitFailure;
    int A = 0, B = 0;
    diHash(Key.c_str(), &A, &B);
    // The chain as the lookup walks it, bounded by the item count (a damaged chain may loop).
    std::vector<const _diFileItem*> Chain;
    const _diFileItem* Found = nullptr;
    for (const _diFileItem* At = Archive->GetBucketHead(A, B); At && !Found; At = At->HashNext) {
        if (static_cast<int>(Chain.size()) >= Archive->GetItemCount())
            break;
        Chain.push_back(At);
        if (Key == diGetFullPath(At, 0))
            Found = At;
    }
    // The library's own lookup gives the same answer.
    const _diFileItem* Library = Archive->SearchFileFromHash((WideString(TVTEXT("/")) + FromAnsi(Key.c_str())).c_str());
    const std::string KeyText = ToUtf8(FromAnsi(Key.c_str()));
    if (GSettings.Json) {
        std::printf("{\"key\": %s, \"bucket\": [%d, %d], \"chain\": [", JsonString(KeyText).c_str(), A, B);
        for (std::size_t Index = 0; Index < Chain.size(); ++Index)
            std::printf("%s%s", Index ? ", " : "", JsonString(ItemPath(Chain[Index])).c_str());
        std::printf("], \"found\": ");
        if (Found)
            std::printf("{\"item\": %d, \"folder\": %s, \"size\": %u, \"offset\": %u}}\n",
                        static_cast<int>(Found - Archive->GetItem(0)), IsFolder(*Found) ? "true" : "false",
                        static_cast<unsigned>(Found->Size), static_cast<unsigned>(Found->Offset));
        else
            std::printf("null}\n");
    } else {
        std::printf("key     %s\nbucket  (%d, %d)\n", KeyText.c_str(), A, B);
        for (std::size_t Index = 0; Index < Chain.size(); ++Index)
            std::printf("chain   %zu: %s\n", Index + 1, ItemPath(Chain[Index]).c_str());
        if (Found)
            std::printf("found   item %d, %s, size %u, offset %u\n", static_cast<int>(Found - Archive->GetItem(0)),
                        IsFolder(*Found) ? "folder" : "file", static_cast<unsigned>(Found->Size),
                        static_cast<unsigned>(Found->Offset));
    }
    if (Library != Found)
        return Fail(File, "the library's lookup of " + KeyText + " finds " +
                              (Library ? "item " + ItemPath(Library) : std::string("nothing")) + " (see 'tvtool img check')");
    if (!Found)
        return Fail(File, "no item " + KeyText);
    return ExitOk;
}

int Check(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 1)
        return UsageError("img check needs ARCHIVE.img", ImgUsage);
    const std::string& File = Line.Positionals[0];
    if (!PathExists(File))
        return Fail(File, "no such file");
    TArray<FString> Faults;
    const int Count = appCheckImgArchive(ToWide(File).c_str(), Faults);
    for (int Index = 0; Index < Faults.Num(); ++Index)
        Fail(File, ToUtf8(static_cast<const tvWChar*>(Faults[Index]), static_cast<std::size_t>(Faults[Index].GetLength())));
    if (Count != 0) {
        if (Faults.Num() == 0)
            Fail(File, std::to_string(Count) + " faults");
        return ExitFailure;
    }
    Verbose(File + ": sound");
    return ExitOk;
}

const FSubcommand ImgCommands[] = {
    {"create", Create, {nullptr, nullptr}},
    {"list", List, {nullptr, nullptr}},
    {"extract", Extract, {nullptr, nullptr}},
    {"find", Find, {nullptr, nullptr}},
    {"check", Check, {nullptr, nullptr}},
    {nullptr, nullptr, {nullptr, nullptr}},
};

} // namespace

const FCommandGroup ImgGroup = {"img", "make, list, look into, extract and check IMG archives", ImgUsage, ImgHelp,
                                ImgCommands};

} // namespace tvtool
