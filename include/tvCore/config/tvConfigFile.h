// INI-style configuration files: section headers in square brackets and key=value lines, read
// and written through GFileManager. Section names and keys are interned in the file's own name
// table, so matching is case-insensitive and compares integers; values are text, and numeric
// reads cache the number they parsed.
#pragma once

#include "tvCore/core/tvBase.h"
#include "tvCore/core/strings/tvNameHash.h"
#include "tvCore/core/strings/tvNamedPtrArray.h"
#include "tvCore/core/strings/tvString.h"

namespace Tolvane {

// The library's lookup table from name index to object, kept beside a TNamedPtrArray so a
// search by name costs the same for the first and the ten-thousandth name.
class FConfigNameIndex;

// One value: its text, and the number a numeric read parsed from it.
class TVCORE_API FConfigVar : public FFundament {
public:
    enum { CACHED_NONE = 0, CACHED_FLOAT = 1, CACHED_INT = 2 };

    FConfigVar();
    FConfigVar(const FConfigVar& Source);
    FConfigVar& operator=(const FConfigVar& Source);
    ~FConfigVar();

    const FString& GetString() const { return Value; }
    // The value as an int (appStrToInt) or a float (appStrToFloat); the text is parsed only
    // when that kind is not cached yet, and the result is cached.
    int GetInt();
    float GetFloat();
    // Sets the text; no number cached.
    void SetString(const FString& Text);
    // Sets the text "%d" (or "%f": six decimals) and caches the number.
    void SetInt(int Number);
    void SetFloat(float Number);

    int GetCachedKind() const { return CachedKind; }

private:
    FString Value;
    std::int32_t CachedKind;
    union {
        float Float;
        std::int32_t Int;
    } CachedNumber;
};

// One section: its values by key, in the order they were first set (until SetString sorts
// them by name index). Owns its values.
class TVCORE_API FConfigSection : public FFundament {
public:
    explicit FConfigSection(FNameHash* InNames);
    ~FConfigSection();
    // A section owns its values and names them in its file's table; copying one is refused.
    FConfigSection(const FConfigSection&) = delete;
    FConfigSection& operator=(const FConfigSection&) = delete;

    // 1 and the value text, or 0 with Value untouched.
    int GetString(const tvWChar* Key, FString& Value);
    // 1 and the number (parsed once, then cached), or 0 with Value untouched.
    int GetInt(const tvWChar* Key, int& Value);
    int GetFloat(const tvWChar* Key, float& Value);
    // Sorts the values by name index first, then sets the text (SetStringEx with sortFirst 1).
    void SetString(const tvWChar* Key, const FString& Value);
    // Finds or appends the key (no sorting) and sets "%d" / "%f" text with the number cached.
    void SetInt(const tvWChar* Key, int Value);
    void SetFloat(const tvWChar* Key, float Value);

    // The value of Key, or null; Key is interned either way.
    FConfigVar* FindVar(const tvWChar* Key);
    const TNamedPtrArray<FConfigVar>& GetValues() const { return Values; }
    FNameHash* GetNames() const { return Names; }

protected:
    friend class FConfigFile;
    // With SortFirst nonzero the values are sorted by name index first. A missing key gets a
    // new value appended at the end; the text is set and no number is cached.
    void SetStringEx(const tvWChar* Key, const FString& Value, int SortFirst);
    // The value named Name (an index of Names), or null.
    FConfigVar* FindByName(tvULong Name) const;
    // The value named Name, appended empty when missing; null when memory is refused.
    FConfigVar* FindOrAdd(tvULong Name);

private:
    FNameHash* Names;  // the owning file's table; not owned
    TNamedPtrArray<FConfigVar> Values;
    FConfigNameIndex* Index;  // owned; null when memory was refused (searches are then linear)
};

class TVCORE_API FConfigFile : public FInterface {
public:
    FConfigFile();
    ~FConfigFile() override;
    // A file owns its sections and its name table; copying one is refused.
    FConfigFile(const FConfigFile&) = delete;
    FConfigFile& operator=(const FConfigFile&) = delete;

    // Reads fileName (package mode 4 around the reader) and merges what it holds into this
    // object. Text that starts with FF FE is UTF-16LE, FE FF UTF-16BE; anything else is text
    // in the ANSI code page. 0 when the file cannot be opened, holds 2 bytes or fewer, cannot
    // be read whole or is too large to buffer, or when memory was refused for a section or a
    // value (what was stored stays, but the object does not hold the whole file); 1 otherwise.
    int Load(const tvWChar* FileName);
    // Writes every section (FF FE, then UTF-16LE lines ended by CR LF) to FileName, or to the
    // name of the last successful Load when FileName is null. The file is replaced only once
    // it was written whole: 1 then, else 0 with an existing file untouched.
    int SaveAs(const tvWChar* FileName);
    int Save() { return SaveAs(nullptr); }

    // The section of that name, or null; the name is interned either way.
    FConfigSection* FindSection(const tvWChar* Section);
    // The existing section, or a new empty one appended at the end (null if memory is refused).
    FConfigSection* AddSection(const tvWChar* Section);

    int GetString(const tvWChar* Section, const tvWChar* Key, FString& Value);
    int GetInt(const tvWChar* Section, const tvWChar* Key, int& Value);
    int GetFloat(const tvWChar* Section, const tvWChar* Key, float& Value);
    void SetString(const tvWChar* Section, const tvWChar* Key, const FString& Value);
    void SetInt(const tvWChar* Section, const tvWChar* Key, int Value);
    void SetFloat(const tvWChar* Section, const tvWChar* Key, float Value);

    const FString& GetFileName() const { return FileName; }
    FNameHash& GetNames() { return Names; }
    const TNamedPtrArray<FConfigSection>& GetSections() const { return Sections; }

protected:
    // Parses a zero-terminated wide text, changing it in place (line ends become 0). 1 when
    // every section and value was stored, 0 when memory was refused for one (the rest is
    // still parsed; the keys of a section that could not be added are skipped).
    int ParseBuffer(tvWChar* Text);

private:
    FConfigSection* FindByName(tvULong Name) const;

    FNameHash Names;
    FString FileName;
    TNamedPtrArray<FConfigSection> Sections;
    FConfigNameIndex* Index;  // owned; null when memory was refused
};

} // namespace Tolvane
