// tvtool pack: zip packages (".xup") made from folders, listed, extracted, added to, verified.
#include "ToolCommon.h"
#include "Commands.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>

namespace tvtool {

using namespace Tolvane;
namespace fs = std::filesystem;

namespace {

const char* const PackUsage =
    "tvtool pack create PKG.xup DIR [--force]\n"
    "       tvtool pack list PKG.xup [--json]\n"
    "       tvtool pack extract PKG.xup DIR [MEMBER...] [--force]\n"
    "       tvtool pack add PKG.xup FILE... [--mode update|append|write]\n"
    "       tvtool pack verify PKG.xup [--json]";

const char* const PackHelp =
    "Zip packages (.xup): a zip whose comment carries the marker and the format version.\n"
    "\n"
    "  create PKG.xup DIR   pack every file under DIR; members are named by their paths\n"
    "                       relative to DIR with '/' separators; --force replaces PKG\n"
    "  list PKG.xup         name, size, compressed size and time of every member (--json)\n"
    "  extract PKG.xup DIR [MEMBER...]\n"
    "                       write members (all, or those named) under DIR; names that would\n"
    "                       leave DIR are refused; existing files only with --force\n"
    "  add PKG.xup FILE...  store files as members named by the paths given;\n"
    "                       --mode update (default: other members stay), append (added in\n"
    "                       place), write (the package holds only the files given)\n"
    "  verify PKG.xup       marker, version, every member's checksum, and that the member\n"
    "                       table finds each member by its name (--json)\n"
    "\n"
    "Options: --force, --quiet (no progress bar), --verbose, --json, --codepage N\n"
    "(the ANSI code page of member names: 1252 by default, 936, 65001).\n";

// A package file name ("X.xup") in the form the package classes take: the folder becomes the
// data root and the name is what comes before ".xup".
bool PackageName(const std::string& File, WideString& Name, std::string& Error)
{
    const std::string Suffix = ".xup";
    if (File.size() <= Suffix.size() || File.compare(File.size() - Suffix.size(), Suffix.size(), Suffix) != 0) {
        Error = "a package file name ends in \".xup\"";
        return false;
    }
    std::error_code Code;
    const fs::path Absolute = fs::absolute(fs::u8path(File), Code);
    if (Code) {
        Error = Code.message();
        return false;
    }
    std::string Folder = Absolute.parent_path().u8string();
    if (Folder.empty() || Folder.back() != '/')
        Folder += '/';
    std::string Stem = Absolute.filename().u8string();
    Stem.resize(Stem.size() - Suffix.size());
    std::string Ansi;
    if (!ToAnsi(ToWide(Folder + Stem + Suffix), Ansi)) {
        Error = "the path cannot be written in the ANSI code page " + std::to_string(appGetAnsiCodePage()) +
                " (see --codepage)";
        return false;
    }
    if (Ansi.size() >= static_cast<std::size_t>(FPackage::PathCapacity) ||
        Stem.size() >= static_cast<std::size_t>(FPackage::NameCapacity) ||
        !GFileManager->SetDataRootDir(ToWide(Folder).c_str())) {
        Error = "the path is too long for a package (255 bytes at most)";
        return false;
    }
    Name = ToWide(Stem);
    return true;
}

std::string DosTimeText(tvULong Stamp)
{
    const unsigned Date = (Stamp >> 16) & 0xFFFF;
    const unsigned Time = Stamp & 0xFFFF;
    char Text[32];
    std::snprintf(Text, sizeof(Text), "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (Date >> 9), (Date >> 5) & 15, Date & 31,
                  Time >> 11, (Time >> 5) & 63, (Time & 31) * 2);
    return Text;
}

// Opens a package for reading, with the reason when it does not open.
bool OpenForReading(const std::string& File, std::unique_ptr<FUnzipPackage>& Package, std::string& Error)
{
    WideString Name;
    if (!PackageName(File, Name, Error))
        return false;
    if (!PathExists(File)) {
        Error = "no such file";
        return false;
    }
    Package.reset(new FUnzipPackage(Name.c_str()));
    if (!Package->Open()) {
        Error = "not a package (not a zip, or its comment lacks the package marker)";
        return false;
    }
    return true;
}

bool ReadMembers(FUnzipPackage& Package, TArray<FPackageMemberInfo>& Members, std::string& Error)
{
    if (!Package.GetMembers(Members)) {
        Error = "its directory cannot be read";
        return false;
    }
    return true;
}

// Member names compare as the member table compares them: ASCII letters folded.
bool SameNameNoCase(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (std::size_t Index = 0; Index < A.size(); ++Index) {
        const unsigned char CA = static_cast<unsigned char>(A[Index]), CB = static_cast<unsigned char>(B[Index]);
        const int FA = (CA >= 'A' && CA <= 'Z') ? CA + 32 : CA, FB = (CB >= 'A' && CB <= 'Z') ? CB + 32 : CB;
        if (FA != FB)
            return false;
    }
    return true;
}

// The narrow member name in UTF-8.
std::string MemberText(const FPackageMemberInfo& Member) { return ToUtf8(FromAnsi(Member.Name)); }

struct FSource {
    std::string Path;    // on disk (UTF-8)
    std::string Member;  // the member name (UTF-8, '/' separators; a folder's ends in '/')
    std::uint64_t Size;
    bool Folder;
};

// Stores the sources in an open writing package; false (message printed) on the first
// failure.
bool StoreSources(FZipPackage& Package, const std::string& PackageFile, const std::vector<FSource>& Sources)
{
    std::uint64_t Total = 0;
    for (const FSource& Source : Sources)
        Total += Source.Size;
    FProgress Progress("packing", Total, false);
    std::uint64_t Done = 0;
    std::vector<unsigned char> Bytes;
    for (const FSource& Source : Sources) {
        const WideString Member = ToWide(Source.Member);
        Bytes.clear();
        std::string Error;
        if (!Source.Folder && !ReadWholeFile(Source.Path, Bytes, Error))
            return Fail(Source.Path, Error), false;
        if (Bytes.empty()) {
            // A writer stores only what was written to it: empty files and folders go in whole.
            if (!Package.StoreEmptyMember(Member.c_str()))
                return Fail(PackageFile, "cannot store member " + Source.Member), false;
            Verbose("stored " + Source.Member);
            continue;
        }
        if (Bytes.size() > FZipFileWriter::MaxMemberSize)
            return Fail(Source.Path, "larger than a package member can be (" +
                                         std::to_string(FZipFileWriter::MaxMemberSize) + " bytes)"),
                   false;
        FZipFileWriter* Writer = Package.CreateMemberWriter(Member.c_str());
        if (!Writer)
            return Fail(PackageFile, "cannot store member " + Source.Member), false;
        if (!Bytes.empty())
            Writer->Write(Bytes.data(), static_cast<tvULong>(Bytes.size()));
        Writer->Close();
        const bool Stored = !Writer->IsError();
        delete Writer;
        if (!Stored)
            return Fail(PackageFile, "cannot store member " + Source.Member), false;
        Verbose("stored " + Source.Member);
        Done += Bytes.size();
        Progress.Set(Done);
    }
    return true;
}

// A member name from a path, checked for the ANSI code page and the name limit.
bool MemberNameFits(const std::string& Member, const std::string& Subject)
{
    std::string Ansi;
    if (!ToAnsi(ToWide(Member), Ansi)) {
        Fail(Subject, "the name cannot be written in the ANSI code page " + std::to_string(appGetAnsiCodePage()) +
                          " (see --codepage)");
        return false;
    }
    if (Ansi.size() >= 256) {
        Fail(Subject, "the member name needs 256 bytes or more");
        return false;
    }
    return true;
}

// Closes a writing package and reads it back: the package must now hold every expected name.
bool CloseAndConfirm(FZipPackage& Package, const WideString& Name, const std::string& File,
                     const std::vector<FSource>& Expected)
{
    Package.Close();
    FUnzipPackage Check(Name.c_str());
    TArray<FPackageMemberInfo> Members;
    if (!Check.GetMembers(Members))
        return Fail(File, "the package was not written"), false;
    std::vector<std::string> Names;
    for (int Index = 0; Index < Members.Num(); ++Index)
        Names.push_back(MemberText(Members[Index]));
    std::sort(Names.begin(), Names.end());
    for (const FSource& Source : Expected)
        if (!std::binary_search(Names.begin(), Names.end(), Source.Member))
            return Fail(File, "the package was not written whole (" + Source.Member + " is missing)"), false;
    return true;
}

// Writes the package under a name beside it ("X.tvtool-new.xup", a copy of the package when
// members are added to it) and puts it in the package's place only once it is complete and
// read back: a failure, or a package the library could not finish, leaves the old one as it
// was. (A writing package that is not closed on purpose is still finished by its destructor:
// there is no way to abandon one.)
int WriteStaged(const std::string& File, int Mode, bool FromOld, const std::vector<FSource>& Sources)
{
    const std::string Staged = File.substr(0, File.size() - 4) + ".tvtool-new.xup";
    std::error_code Code;
    fs::remove(fs::u8path(Staged), Code);
    if (FromOld && !fs::copy_file(fs::u8path(File), fs::u8path(Staged), Code))
        return Fail(Staged, "cannot be made: " + Code.message());
    WideString Name;
    std::string Error;
    if (!PackageName(Staged, Name, Error)) {
        fs::remove(fs::u8path(Staged), Code);
        return Fail(File, Error);
    }
    bool Ok = false;
    {
        GZipWriteMode = Mode;
        FZipPackage Package(Name.c_str());
        if (!Package.Open())
            Fail(File, "cannot be opened for writing (a member whose name cannot be carried over?)");
        else
            Ok = StoreSources(Package, File, Sources) && CloseAndConfirm(Package, Name, File, Sources);
    }
    if (!Ok) {
        fs::remove(fs::u8path(Staged), Code);
        return ExitFailure;
    }
    fs::rename(fs::u8path(Staged), fs::u8path(File), Code);
    if (Code) {
        fs::remove(fs::u8path(Staged), Code);
        return Fail(File, "cannot be replaced: " + Code.message());
    }
    return ExitOk;
}

int Create(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 2)
        return UsageError("pack create needs PKG.xup and DIR", PackUsage);
    const std::string& File = Line.Positionals[0];
    const std::string& Dir = Line.Positionals[1];
    if (!IsDirectory(Dir))
        return Fail(Dir, "not a folder");
    WideString Name;
    std::string Error;
    if (!PackageName(File, Name, Error))
        return Fail(File, Error);
    if (PathExists(File) && !GSettings.Force)
        return Fail(File, "exists (use --force to replace it)");

    std::vector<FSource> Sources;
    std::error_code Code;
    const fs::path Root = fs::u8path(Dir);
    for (fs::recursive_directory_iterator It(Root, Code), End; !Code && It != End; It.increment(Code)) {
        const fs::path& Path = It->path();
        const std::string Relative = Path.lexically_relative(Root).generic_u8string();
        std::error_code StatusCode;
        if (It->is_directory(StatusCode)) {
            if (fs::is_empty(Path, StatusCode) && !It->is_symlink())
                Sources.push_back({Path.u8string(), Relative + "/", 0, true});
            continue;
        }
        if (!It->is_regular_file(StatusCode)) {
            std::fprintf(stderr, "tvtool: %s: skipped (not a regular file)\n", Path.u8string().c_str());
            continue;
        }
        const std::uintmax_t Size = It->file_size(StatusCode);
        if (StatusCode)
            return Fail(Path.u8string(), StatusCode.message());
        Sources.push_back({Path.u8string(), Relative, Size, false});
    }
    if (Code)
        return Fail(Dir, Code.message());
    std::sort(Sources.begin(), Sources.end(), [](const FSource& A, const FSource& B) { return A.Member < B.Member; });
    for (const FSource& Source : Sources) {
        if (!MemberNameFits(Source.Member, Source.Path))
            return ExitFailure;
        if (Source.Size > FZipFileWriter::MaxMemberSize)
            return Fail(Source.Path, "larger than a package member can be (" +
                                         std::to_string(FZipFileWriter::MaxMemberSize) + " bytes)");
    }

    return WriteStaged(File, ZIPWRITE_Write, false, Sources);
}

int List(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 1)
        return UsageError("pack list needs PKG.xup", PackUsage);
    const std::string& File = Line.Positionals[0];
    std::unique_ptr<FUnzipPackage> Package;
    TArray<FPackageMemberInfo> Members;
    std::string Error;
    if (!OpenForReading(File, Package, Error) || !ReadMembers(*Package, Members, Error))
        return Fail(File, Error);
    if (GSettings.Json) {
        std::printf("{\"package\": %s, \"version\": %u, \"members\": [", JsonString(File).c_str(),
                    static_cast<unsigned>(Package->GetVersion()));
        for (int Index = 0; Index < Members.Num(); ++Index) {
            const FPackageMemberInfo& Member = Members[Index];
            std::printf("%s\n  {\"name\": %s, \"size\": %u, \"compressed\": %u, \"time\": %s, \"crc\": \"%08x\"}",
                        Index ? "," : "", JsonString(MemberText(Member)).c_str(), static_cast<unsigned>(Member.Size),
                        static_cast<unsigned>(Member.CompressedSize), JsonString(DosTimeText(Member.DosTime)).c_str(),
                        static_cast<unsigned>(Member.Crc));
        }
        std::printf("\n]}\n");
        return ExitOk;
    }
    for (int Index = 0; Index < Members.Num(); ++Index) {
        const FPackageMemberInfo& Member = Members[Index];
        std::printf("%10u %10u  %s  %s\n", static_cast<unsigned>(Member.Size), static_cast<unsigned>(Member.CompressedSize),
                    DosTimeText(Member.DosTime).c_str(), MemberText(Member).c_str());
    }
    return ExitOk;
}

int Extract(const FCommandLine& Line)
{
    if (Line.Positionals.size() < 2)
        return UsageError("pack extract needs PKG.xup and DIR", PackUsage);
    const std::string& File = Line.Positionals[0];
    const std::string& Dir = Line.Positionals[1];
    std::unique_ptr<FUnzipPackage> Package;
    TArray<FPackageMemberInfo> Members;
    std::string Error;
    if (!OpenForReading(File, Package, Error) || !ReadMembers(*Package, Members, Error))
        return Fail(File, Error);

    // The members asked for (all when none are named), every one checked before anything is
    // written: a package with one hostile name writes nothing.
    std::vector<int> Chosen;
    std::vector<bool> Named(Line.Positionals.size(), false);
    for (int Index = 0; Index < Members.Num(); ++Index) {
        const std::string Text = MemberText(Members[Index]);
        bool Wanted = Line.Positionals.size() == 2;
        for (std::size_t Arg = 2; Arg < Line.Positionals.size(); ++Arg)
            if (Line.Positionals[Arg] == Text)
                Wanted = true, Named[Arg] = true;
        if (Wanted)
            Chosen.push_back(Index);
    }
    int Status = ExitOk;
    for (std::size_t Arg = 2; Arg < Line.Positionals.size(); ++Arg)
        if (!Named[Arg])
            Status = Fail(File, "no member " + Line.Positionals[Arg]);
    for (const int Index : Chosen) {
        const std::string Reason = UnsafeNameReason(MemberText(Members[Index]));
        if (!Reason.empty())
            Status = Fail(File, "member \"" + MemberText(Members[Index]) + "\" refused: " + Reason);
    }
    if (Status != ExitOk)
        return Status;
    if (!IsDirectory(Dir)) {
        std::error_code Code;
        if (!fs::create_directories(fs::u8path(Dir), Code))
            return Fail(Dir, "cannot create the folder: " + Code.message());
    }
    if (!GSettings.Force)
        for (const int Index : Chosen) {
            const std::string Text = MemberText(Members[Index]);
            const std::string Path = (fs::u8path(Dir) / fs::u8path(Text)).u8string();
            if (Text.back() != '/' && PathExists(Path))
                Status = Fail(Path, "exists (use --force to overwrite)");
        }
    if (Status != ExitOk)
        return Status;

    std::uint64_t Total = 0;
    for (const int Index : Chosen)
        Total += Members[Index].Size;
    FProgress Progress("extracting", Total, false);
    std::uint64_t Done = 0;
    for (const int Index : Chosen) {
        const FPackageMemberInfo& Member = Members[Index];
        const std::string Text = MemberText(Member);
        std::string Path;
        if (!PrepareOutputPath(Dir, Text, Path, Error))
            return Fail(Text, Error);
        if (Text.back() == '/')
            continue;
        FZipFileReader* Reader = Member.Size > 0 ? Package->CreateMemberReader(Member) : nullptr;
        if (Member.Size > 0 && !Reader)
            return Fail(File, "member " + Text + " cannot be read (damaged, or a method the library does not read)");
        const void* Data = Reader ? Reader->GetCache() : nullptr;
        const bool Written = WriteOutputFile(Path, Data, Member.Size, GSettings.Force, Error);
        delete Reader;
        if (!Written)
            return Fail(Path, Error);
        Verbose("extracted " + Text);
        Done += Member.Size;
        Progress.Set(Done);
    }
    return ExitOk;
}

int Add(const FCommandLine& Line)
{
    if (Line.Positionals.size() < 2)
        return UsageError("pack add needs PKG.xup and at least one FILE", PackUsage);
    const std::string Mode = Line.Value("mode", "update");
    int WriteMode = ZIPWRITE_Update;
    if (Mode == "append")
        WriteMode = ZIPWRITE_Append;
    else if (Mode == "write")
        WriteMode = ZIPWRITE_Write;
    else if (Mode != "update")
        return UsageError("--mode is update, append or write", PackUsage);
    const std::string& File = Line.Positionals[0];
    WideString Name;
    std::string Error;
    if (!PackageName(File, Name, Error))
        return Fail(File, Error);
    const bool Exists = PathExists(File);
    std::vector<std::string> OldNames;
    if (Exists) {
        // Only a package is ever rewritten.
        std::unique_ptr<FUnzipPackage> Old;
        TArray<FPackageMemberInfo> Members;
        if (!OpenForReading(File, Old, Error) || !ReadMembers(*Old, Members, Error))
            return Fail(File, Error);
        for (int Index = 0; Index < Members.Num(); ++Index)
            OldNames.push_back(MemberText(Members[Index]));
    } else if (WriteMode == ZIPWRITE_Append) {
        WriteMode = ZIPWRITE_Write;  // nothing to append to: a new package
    }
    std::vector<FSource> Sources;
    for (std::size_t Arg = 1; Arg < Line.Positionals.size(); ++Arg) {
        const std::string& Path = Line.Positionals[Arg];
        std::error_code Code;
        if (!fs::is_regular_file(fs::u8path(Path), Code))
            return Fail(Path, "not a regular file");
        // The member is named by the path as given; a path that climbs out or is absolute
        // gives its file name only.
        std::string Member = fs::u8path(Path).lexically_normal().generic_u8string();
        if (!UnsafeNameReason(Member).empty())
            Member = fs::u8path(Path).filename().u8string();
        if (!MemberNameFits(Member, Path))
            return ExitFailure;
        const std::uintmax_t Size = fs::file_size(fs::u8path(Path), Code);
        if (Code)
            return Fail(Path, Code.message());
        // An appended member of a name the package holds would never be found: lookups reach
        // the first member of a name (letter case aside).
        if (WriteMode == ZIPWRITE_Append)
            for (const std::string& Old : OldNames)
                if (SameNameNoCase(Old, Member))
                    return Fail(File, "already holds a member " + Old + " (append cannot replace it; use --mode update)");
        Sources.push_back({Path, Member, Size, false});
    }
    return WriteStaged(File, WriteMode, Exists, Sources);
}

int Verify(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 1)
        return UsageError("pack verify needs PKG.xup", PackUsage);
    const std::string& File = Line.Positionals[0];
    std::unique_ptr<FUnzipPackage> Package;
    TArray<FPackageMemberInfo> Members;
    std::string Error;
    if (!OpenForReading(File, Package, Error) || !ReadMembers(*Package, Members, Error))
        return Fail(File, Error);
    std::vector<std::string> Problems;
    if (Package->GetVersion() != PackageVersion)
        Problems.push_back("version " + std::to_string(Package->GetVersion()) + ", this library writes " +
                           std::to_string(PackageVersion));
    FProgress Progress("verifying", static_cast<std::uint64_t>(Members.Num()), false);
    for (int Index = 0; Index < Members.Num(); ++Index) {
        const FPackageMemberInfo& Member = Members[Index];
        const std::string Text = MemberText(Member);
        if (!Member.FoundByName)
            Problems.push_back("member " + Text + ": a lookup by its name finds another member of the same name");
        char Hash[64];
        std::snprintf(Hash, sizeof(Hash), "hash %08x bucket %d", static_cast<unsigned>(Member.NameHash), Member.Bucket);
        if (Member.Size > 0) {
            FZipFileReader* Reader = Package->CreateMemberReader(Member);
            if (!Reader)
                Problems.push_back("member " + Text + ": does not read back whole with its checksum");
            delete Reader;
        }
        Verbose(Text + ": " + Hash);
        Progress.Set(static_cast<std::uint64_t>(Index) + 1);
    }
    Progress.Finish();
    if (GSettings.Json) {
        std::printf("{\"package\": %s, \"version\": %u, \"members\": %d, \"problems\": [", JsonString(File).c_str(),
                    static_cast<unsigned>(Package->GetVersion()), Members.Num());
        for (std::size_t Index = 0; Index < Problems.size(); ++Index)
            std::printf("%s%s", Index ? ", " : "", JsonString(Problems[Index]).c_str());
        std::printf("]}\n");
    }
    for (const std::string& Problem : Problems)
        Fail(File, Problem);
    if (!Problems.empty())
        return ExitFailure;
    if (!GSettings.Json)
        std::printf("%s: ok (version %u, %d members)\n", File.c_str(), static_cast<unsigned>(Package->GetVersion()),
                    Members.Num());
    return ExitOk;
}

const char* const AddValued[] = {"mode", nullptr};

} // namespace

const FSubcommand PackCommands[] = {
    {"create", Create, {nullptr, nullptr}},
    {"list", List, {nullptr, nullptr}},
    {"extract", Extract, {nullptr, nullptr}},
    {"add", Add, {nullptr, AddValued}},
    {"verify", Verify, {nullptr, nullptr}},
    {nullptr, nullptr, {nullptr, nullptr}},
};

const FCommandGroup PackGroup = {"pack", "make, list, extract, add to and verify zip packages (.xup)", PackUsage,
                                 PackHelp, PackCommands};

} // namespace tvtool
