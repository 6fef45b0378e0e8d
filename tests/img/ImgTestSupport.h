// Shared fixtures of the IMG archive tests: a data root in a temporary folder with its
// Engine/Engine.ini, archives made by the archive writer, and reading the words of an archive.
#pragma once

#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/WideText.h"

namespace ImgTest {

inline std::vector<unsigned char> Pattern(std::size_t Size, unsigned Seed = 7)
{
    std::vector<unsigned char> Bytes(Size);
    for (std::size_t i = 0; i < Size; ++i)
        Bytes[i] = static_cast<unsigned char>((i * 131 + Seed * 17 + (i >> 8)) & 0xFF);
    return Bytes;
}

inline std::vector<unsigned char> Bytes(const std::string& Text) { return {Text.begin(), Text.end()}; }

inline Tolvane::tvULong WordAt(const std::vector<unsigned char>& B, std::size_t At)
{
    return Tolvane::tvULong(B[At]) | (Tolvane::tvULong(B[At + 1]) << 8) | (Tolvane::tvULong(B[At + 2]) << 16) |
           (Tolvane::tvULong(B[At + 3]) << 24);
}

inline void SetWord(std::vector<unsigned char>& B, std::size_t At, Tolvane::tvULong Value)
{
    for (int i = 0; i < 4; ++i)
        B[At + std::size_t(i)] = static_cast<unsigned char>(Value >> (8 * i));
}

// Runs the test in a folder of its own, so the read profile's ".\game.profile" lands there.
class FCurrentDirectory {
public:
    explicit FCurrentDirectory(const std::string& Path) : Saved(std::filesystem::current_path())
    {
        std::filesystem::current_path(Path);
    }
    ~FCurrentDirectory()
    {
        std::error_code Ignored;
        std::filesystem::current_path(Saved, Ignored);
    }

private:
    std::filesystem::path Saved;
};

// A data root "<temp>/Data/" with Engine/Engine.ini naming the archive "Pack.img" in it, and
// the temporary folder as the current directory. Archive paths of the data root's files start
// with "DATA\".
class FDataRoot {
public:
    FDataRoot()
    {
        std::filesystem::create_directories(Folder.Native("Data/Engine"));
        SetIni("[Data]\r\nImg=Pack.img\r\n");
    }
    void SetIni(const std::string& Text) const { Folder.Write("Data/Engine/Engine.ini", Bytes(Text)); }
    WideText Root() const { return Folder.Path(TVTEXT("Data/")); }
    WideText ArchivePath() const { return Folder.Path(TVTEXT("Data/Pack.img")); }
    bool Save(Tolvane::FImgArchiveWriter& Writer) const { return Writer.Save(ArchivePath().c_str()) == 1; }
    std::vector<unsigned char> ReadArchive() const { return Folder.Read("Data/Pack.img"); }
    void WriteArchive(const std::vector<unsigned char>& B) const { Folder.Write("Data/Pack.img", B); }
    // An initialised file system over the data root; null when Initialize refuses.
    std::unique_ptr<Tolvane::FImgFileSystem> Open() const
    {
        std::unique_ptr<Tolvane::FImgFileSystem> FileSystem(new Tolvane::FImgFileSystem);
        FileSystem->SetDataRootDir(Root().c_str());
        if (FileSystem->Initialize() != 1)
            return nullptr;
        return FileSystem;
    }

    FTempFolder Folder;
    FCurrentDirectory Current{Folder.Native()};
};

} // namespace ImgTest
