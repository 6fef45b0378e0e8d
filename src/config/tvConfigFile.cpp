// Configuration files: loading (UTF-16 with either mark, or ANSI text), the line parser,
// whole-file saves, and the section and value lookups over the file's own name table.
#include "base/tvPrelude.h"

#include "tvCore/config/tvConfigFile.h"

#include "base/tvWideText.h"
#include "config/tvConfigNameIndex.h"
#include "core/files/tvFileSave.h"
#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/strings/tvStringUtils.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

namespace Tolvane {

namespace {

// The allocation sites the allocator's debug information names.
constexpr const char* GConfigSourceFile = "tvConfigFile.cpp";
constexpr int GRawBufferLine = 188;
constexpr int GWideBufferLine = 252;

// The largest file Load buffers: the wide copy of an ANSI text (2 x size + 2 bytes) must stay
// within the int room the conversion takes.
constexpr int GLargestConfigFile = (std::numeric_limits<int>::max() - 2) / 2;

// Room for the sections and values the parser meets first.
constexpr int GInitialSections = 10;
constexpr int GInitialValues = 20;

// The name table's size: entry capacity and buckets.
constexpr int GNameCapacity = 256;
constexpr int GNameBuckets = 256;

inline bool IsLineEnd(tvWChar C) { return C == TVTEXT('\r') || C == TVTEXT('\n'); }

tvWChar* FindChar(tvWChar* Text, tvWChar Wanted)
{
    for (; *Text; ++Text)
        if (*Text == Wanted)
            return Text;
    return nullptr;
}

int UnitLength(const tvWChar* Text)
{
    int N = 0;
    if (Text)
        while (Text[N])
            ++N;
    return N;
}

// Collects the saved text as UTF-16LE bytes.
class FSaveBuffer {
public:
    explicit FSaveBuffer(unsigned char* InBytes) : Bytes(InBytes) {}
    void Unit(tvUShort U)
    {
        *Bytes++ = static_cast<unsigned char>(U & 0xFF);
        *Bytes++ = static_cast<unsigned char>(U >> 8);
    }
    void Text(const tvWChar* T)
    {
        if (T)
            for (; *T; ++T)
                Unit(static_cast<tvUShort>(*T));
    }
    void LineEnd()
    {
        Unit(TVTEXT('\r'));
        Unit(TVTEXT('\n'));
    }

private:
    unsigned char* Bytes;
};

} // namespace

// --- FConfigVar -----------------------------------------------------------------------------

FConfigVar::FConfigVar() : CachedKind(CACHED_NONE) { CachedNumber.Int = 0; }

FConfigVar::FConfigVar(const FConfigVar& Source)
    : Value(Source.Value), CachedKind(Source.CachedKind), CachedNumber(Source.CachedNumber)
{
}

FConfigVar& FConfigVar::operator=(const FConfigVar& Source)
{
    if (this != &Source) {
        Value = Source.Value;
        CachedKind = Source.CachedKind;
        CachedNumber = Source.CachedNumber;
    }
    return *this;
}

FConfigVar::~FConfigVar() = default;

int FConfigVar::GetInt()
{
    if (CachedKind != CACHED_INT) {
        CachedNumber.Int = appStrToInt(Value);
        CachedKind = CACHED_INT;
    }
    return CachedNumber.Int;
}

float FConfigVar::GetFloat()
{
    if (CachedKind != CACHED_FLOAT) {
        CachedNumber.Float = appStrToFloat(Value);
        CachedKind = CACHED_FLOAT;
    }
    return CachedNumber.Float;
}

void FConfigVar::SetString(const FString& Text)
{
    Value = Text;
    CachedKind = CACHED_NONE;
}

void FConfigVar::SetInt(int Number)
{
    Value.Format(TVTEXT("%d"), Number);
    CachedNumber.Int = Number;
    CachedKind = CACHED_INT;
}

void FConfigVar::SetFloat(float Number)
{
    Value.Format(TVTEXT("%f"), static_cast<double>(Number));
    CachedNumber.Float = Number;
    CachedKind = CACHED_FLOAT;
}

// --- FConfigSection -------------------------------------------------------------------------

FConfigSection::FConfigSection(FNameHash* InNames)
    : Names(InNames), Values(InNames, GInitialValues), Index(new FConfigNameIndex)
{
}

FConfigSection::~FConfigSection()
{
    Values.RemoveAndDeleteAll();
    delete Index;
}

FConfigVar* FConfigSection::FindByName(tvULong Name) const
{
    if (Name == NAME_NONE_INDEX)
        return nullptr;
    if (Index)
        return static_cast<FConfigVar*>(Index->Find(Name));
    return Values.BinarySearch(Name);
}

FConfigVar* FConfigSection::FindOrAdd(tvULong Name)
{
    if (Name == NAME_NONE_INDEX)
        return nullptr;
    if (FConfigVar* Found = FindByName(Name))
        return Found;
    FConfigVar* Var = new FConfigVar;
    if (!Var)
        return nullptr;
    if (Values.AddTail(Name, Var) < 0) {
        delete Var;
        return nullptr;
    }
    if (Index && !Index->Add(Name, Var)) {
        // An index that missed a name would hide it; the array alone still finds everything.
        delete Index;
        Index = nullptr;
    }
    return Var;
}

FConfigVar* FConfigSection::FindVar(const tvWChar* Key)
{
    return Names ? FindByName(Names->AddEx(Key, 1, 0)) : nullptr;
}

int FConfigSection::GetString(const tvWChar* Key, FString& Value)
{
    FConfigVar* Var = FindVar(Key);
    if (!Var)
        return 0;
    Value = Var->GetString();
    return 1;
}

int FConfigSection::GetInt(const tvWChar* Key, int& Value)
{
    FConfigVar* Var = FindVar(Key);
    if (!Var)
        return 0;
    Value = Var->GetInt();
    return 1;
}

int FConfigSection::GetFloat(const tvWChar* Key, float& Value)
{
    FConfigVar* Var = FindVar(Key);
    if (!Var)
        return 0;
    Value = Var->GetFloat();
    return 1;
}

void FConfigSection::SetStringEx(const tvWChar* Key, const FString& Value, int SortFirst)
{
    if (!Names)
        return;
    // Sorting an array that is already in name order changes nothing, so it is skipped.
    if (SortFirst && !Values.IsSorted())
        Values.Sort();
    if (FConfigVar* Var = FindOrAdd(Names->AddEx(Key, 1, 0)))
        Var->SetString(Value);
}

void FConfigSection::SetString(const tvWChar* Key, const FString& Value) { SetStringEx(Key, Value, 1); }

void FConfigSection::SetInt(const tvWChar* Key, int Value)
{
    if (FConfigVar* Var = Names ? FindOrAdd(Names->AddEx(Key, 1, 0)) : nullptr)
        Var->SetInt(Value);
}

void FConfigSection::SetFloat(const tvWChar* Key, float Value)
{
    if (FConfigVar* Var = Names ? FindOrAdd(Names->AddEx(Key, 1, 0)) : nullptr)
        Var->SetFloat(Value);
}

// --- FConfigFile ----------------------------------------------------------------------------

FConfigFile::FConfigFile()
    : Names(GNameCapacity, GNameBuckets), Sections(&Names, GInitialSections), Index(new FConfigNameIndex)
{
}

FConfigFile::~FConfigFile()
{
    Sections.RemoveAndDeleteAll();
    delete Index;
}

FConfigSection* FConfigFile::FindByName(tvULong Name) const
{
    if (Name == NAME_NONE_INDEX)
        return nullptr;
    if (Index)
        return static_cast<FConfigSection*>(Index->Find(Name));
    return Sections.LinearSearch(Name);
}

FConfigSection* FConfigFile::FindSection(const tvWChar* Section) { return FindByName(Names.AddEx(Section, 1, 0)); }

FConfigSection* FConfigFile::AddSection(const tvWChar* Section)
{
    const tvULong Name = Names.AddEx(Section, 1, 0);
    if (Name == NAME_NONE_INDEX)
        return nullptr;
    if (FConfigSection* Found = FindByName(Name))
        return Found;
    FConfigSection* Added = new FConfigSection(&Names);
    if (!Added)
        return nullptr;
    if (Sections.AddTail(Name, Added) < 0) {
        delete Added;
        return nullptr;
    }
    if (Index && !Index->Add(Name, Added)) {
        delete Index;
        Index = nullptr;
    }
    return Added;
}

int FConfigFile::GetString(const tvWChar* Section, const tvWChar* Key, FString& Value)
{
    FConfigSection* Found = FindSection(Section);
    return Found ? Found->GetString(Key, Value) : 0;
}

int FConfigFile::GetInt(const tvWChar* Section, const tvWChar* Key, int& Value)
{
    FConfigSection* Found = FindSection(Section);
    return Found ? Found->GetInt(Key, Value) : 0;
}

int FConfigFile::GetFloat(const tvWChar* Section, const tvWChar* Key, float& Value)
{
    FConfigSection* Found = FindSection(Section);
    return Found ? Found->GetFloat(Key, Value) : 0;
}

void FConfigFile::SetString(const tvWChar* Section, const tvWChar* Key, const FString& Value)
{
    if (FConfigSection* Found = AddSection(Section))
        Found->SetString(Key, Value);
}

void FConfigFile::SetInt(const tvWChar* Section, const tvWChar* Key, int Value)
{
    if (FConfigSection* Found = AddSection(Section))
        Found->SetInt(Key, Value);
}

void FConfigFile::SetFloat(const tvWChar* Section, const tvWChar* Key, float Value)
{
    if (FConfigSection* Found = AddSection(Section))
        Found->SetFloat(Key, Value);
}

int FConfigFile::Load(const tvWChar* InFileName)
{
    if (!GFileManager || !InFileName)
        return 0;
    const EFilePackMode SavedMode = GFileManager->IsPackageMode();
    GFileManager->SetPackageMode(FILEPACK_PlainPaths);
    FFileReader* Reader = GFileManager->CreateReader(InFileName);
    GFileManager->SetPackageMode(SavedMode);
    if (!Reader)
        return 0;
    const int Size = Reader->GetSize();
    if (Size <= 2 || Size > GLargestConfigFile) {
        delete Reader;
        return 0;
    }
    // Two zero bytes end the text; an odd-sized UTF-16 file gets one more so its last unit is
    // whole.
    const unsigned RawSize = static_cast<unsigned>(Size) + 2 + (static_cast<unsigned>(Size) & 1);
    GMalloc->SetDebugInfo(GConfigSourceFile, GRawBufferLine);
    unsigned char* Raw = static_cast<unsigned char*>(GMalloc->Malloc(RawSize));
    if (!Raw) {
        delete Reader;
        return 0;
    }
    // A file that cannot be read whole is refused rather than parsed in part.
    if (Reader->Read(Raw, static_cast<tvULong>(Size)) != Size) {
        GMalloc->Free(Raw);
        delete Reader;
        return 0;
    }
    std::memset(Raw + Size, 0, RawSize - static_cast<unsigned>(Size));

    tvWChar* Text = nullptr;
    void* Block = Raw;
    if ((Raw[0] == 0xFF && Raw[1] == 0xFE) || (Raw[0] == 0xFE && Raw[1] == 0xFF)) {
        const bool BigEndian = Raw[0] == 0xFE;
        Text = reinterpret_cast<tvWChar*>(Raw + 2);
        for (unsigned char* P = Raw + 2; P[0] || P[1]; P += 2) {
            const unsigned Low = BigEndian ? P[1] : P[0];
            const unsigned High = BigEndian ? P[0] : P[1];
            *reinterpret_cast<tvWChar*>(P) = static_cast<tvWChar>(Low | (High << 8));
        }
    } else {
        const int WideBytes = 2 * Size + 2;
        GMalloc->SetDebugInfo(GConfigSourceFile, GWideBufferLine);
        Text = static_cast<tvWChar*>(GMalloc->Malloc(static_cast<unsigned>(WideBytes)));
        const int Converted = Text ? appAnsiToUnicode(Text, reinterpret_cast<const char*>(Raw), WideBytes) : 0;
        GMalloc->Free(Raw);
        Block = Text;
        if (!Converted) {
            if (Text)
                GMalloc->Free(Text);
            delete Reader;
            return 0;
        }
    }
    FileName = InFileName;
    // A line that could not be stored (memory refused) makes the load a failure: the object
    // then lacks part of the file, and saving it would lose that part.
    const int Complete = ParseBuffer(Text) && std::size_t(FileName.GetLength()) == Wide::Length(InFileName);
    GMalloc->Free(Block);
    delete Reader;
    return Complete;
}

int FConfigFile::ParseBuffer(tvWChar* Text)
{
    if (!Text)
        return 1;
    int Complete = 1;
    FConfigSection* Current = nullptr;
    tvWChar* Next = Text;
    bool More = true;
    while (More) {
        tvWChar* Line = Next;
        while (*Next && !IsLineEnd(*Next))
            ++Next;
        More = *Next != 0;
        if (More)
            *Next++ = 0;

        appStrTrimLeft(Line);
        appStrTrimRight(Line);
        if (!*Line || *Line == TVTEXT(';'))
            continue;
        if (*Line == TVTEXT('[')) {
            tvWChar* Close = FindChar(Line, TVTEXT(']'));
            if (!Close)
                continue;
            *Close = 0;
            tvWChar* Name = Line + 1;
            appStrTrimLeft(Name);
            appStrTrimRight(Name);
            // A section refused its memory takes its keys with it: they never land in the
            // section before it.
            Current = AddSection(Name);
            Complete = Complete && Current;
            continue;
        }
        if (!Current)
            continue;
        tvWChar* Equals = FindChar(Line, TVTEXT('='));
        if (!Equals || Equals == Line)
            continue;
        *Equals = 0;
        appStrTrimRight(Line);
        tvWChar* Value = Equals + 1;
        appStrTrimLeft(Value);
        if (!*Value)
            continue;
        // SetStringEx without sorting, with the stored text checked.
        const FString Stored(Value);
        FConfigVar* Var = Current->FindOrAdd(Names.AddEx(Line, 1, 0));
        if (Var)
            Var->SetString(Stored);
        Complete = Complete && Var && std::size_t(Var->GetString().GetLength()) == Wide::Length(Value);
    }
    return Complete;
}

int FConfigFile::SaveAs(const tvWChar* InFileName)
{
    const tvWChar* Target = InFileName ? InFileName : static_cast<const tvWChar*>(FileName);
    // Every line is written whole, however long: the text is measured first.
    std::uint64_t Units = 1;
    for (int s = 0; s < Sections.GetCount(); ++s) {
        Units += 4 + static_cast<std::uint64_t>(UnitLength(Names.GetName(Sections.NameAt(s))));
        const TNamedPtrArray<FConfigVar>& Values = Sections.ElementAt(s)->GetValues();
        for (int v = 0; v < Values.GetCount(); ++v)
            Units += 3 + static_cast<std::uint64_t>(UnitLength(Names.GetName(Values.NameAt(v)))) +
                     static_cast<std::uint64_t>(Values.ElementAt(v)->GetString().GetLength());
    }
    if (Units * 2 > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        return 0;
    const unsigned Bytes = static_cast<unsigned>(Units * 2);
    unsigned char* Data = static_cast<unsigned char*>(GMalloc->Malloc(Bytes));
    if (!Data)
        return 0;
    FSaveBuffer Out(Data);
    Out.Unit(0xFEFF);
    for (int s = 0; s < Sections.GetCount(); ++s) {
        Out.Unit(TVTEXT('['));
        Out.Text(Names.GetName(Sections.NameAt(s)));
        Out.Unit(TVTEXT(']'));
        Out.LineEnd();
        const TNamedPtrArray<FConfigVar>& Values = Sections.ElementAt(s)->GetValues();
        for (int v = 0; v < Values.GetCount(); ++v) {
            Out.Text(Names.GetName(Values.NameAt(v)));
            Out.Unit(TVTEXT('='));
            Out.Text(Values.ElementAt(v)->GetString());
            Out.LineEnd();
        }
    }
    const int Result = appSaveFileReplacing(Target, Data, Bytes);
    GMalloc->Free(Data);
    return Result;
}

} // namespace Tolvane
