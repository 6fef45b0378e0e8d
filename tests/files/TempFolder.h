// A temporary folder for tests that need real files: created empty, removed with everything in
// it. Paths are handed out as the library's UTF-16 text, with the system's separator after the
// root.
#pragma once

#include <tvCore/tvCore.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <string>
#include <vector>
#include "support/WideText.h"

class FTempFolder {
public:
    FTempFolder()
    {
        // A fresh name under the system's temporary folder; creating it is the test that nobody
        // else has it.
        std::random_device Seed;
        std::mt19937 Random(Seed());
        std::error_code Error;
        const std::filesystem::path Temporary = std::filesystem::temp_directory_path(Error);
        for (int Attempt = 0; !Error && Root.empty() && Attempt < 100; ++Attempt) {
            const std::filesystem::path Candidate = Temporary / ("tvCoreFiles-" + std::to_string(Random()));
            if (std::filesystem::create_directory(Candidate, Error))
                Root = Candidate.string();
        }
    }
    ~FTempFolder()
    {
        if (Root.empty())
            return;
        // Read-only files and folders the tests left behind must not stop the clean-up.
        std::error_code Ignored;
        for (auto& Entry : std::filesystem::recursive_directory_iterator(Root, Ignored))
            std::filesystem::permissions(Entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, Ignored);
        std::filesystem::remove_all(Root, Ignored);
    }
    FTempFolder(const FTempFolder&) = delete;
    FTempFolder& operator=(const FTempFolder&) = delete;

    bool Ok() const { return !Root.empty(); }
    // The system path of Name inside the folder.
    std::string Native(const std::string& Name = std::string()) const { return Root + "/" + Name; }
    // The library path of Name inside the folder ("" gives the folder with its separator).
    WideText Path(const WideText& Name = WideText()) const
    {
        return PathText(Root) + static_cast<Tolvane::tvWChar>(std::filesystem::path::preferred_separator) + Name;
    }

    void Write(const std::string& Name, const std::vector<unsigned char>& Bytes) const
    {
        std::ofstream(Native(Name), std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()),
                                                            static_cast<std::streamsize>(Bytes.size()));
    }
    std::vector<unsigned char> Read(const std::string& Name) const
    {
        std::ifstream In(Native(Name), std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    }
    bool IsDirectory(const std::string& Name) const { return std::filesystem::is_directory(Native(Name)); }
    void MakeReadOnly(const std::string& Name) const
    {
        std::filesystem::permissions(Native(Name),
                                     std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    }

private:
    std::string Root;
};
