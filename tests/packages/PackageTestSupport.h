// Shared by the package tests: a temporary data root and user data root behind the native file
// manager as GFileManager, a log that records its lines, the library's package globals put back
// afterwards, and an independent zip peer (Python's zipfile) to make and check packages.
#pragma once

#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "support/WideText.h"

namespace PackageTest {

using Tolvane::tvWChar;
using Tolvane::tvULong;

using Bytes = std::vector<unsigned char>;

// Bytes that do not compress to nothing: a small generator, different per seed.
inline Bytes Pattern(std::size_t Size, unsigned Seed)
{
    Bytes Out(Size);
    unsigned State = Seed * 2654435761u + 1;
    for (std::size_t i = 0; i < Size; ++i) {
        State = State * 1103515245u + 12345u;
        Out[i] = static_cast<unsigned char>((State >> 16) % 7 + 'a');
    }
    return Out;
}

// Runs a Python 3 program; returns its standard output, or "ERROR" when it failed.
inline std::string Python(const FTempFolder& Folder, const std::string& Program)
{
    const std::string Script = Folder.Native("peer.py");
    {
        std::FILE* F = std::fopen(Script.c_str(), "wb");
        if (!F)
            return "ERROR";
        std::fwrite(Program.data(), 1, Program.size(), F);
        std::fclose(F);
    }
    std::string Out;
    std::FILE* P = popen(("python3 '" + Script + "' 2>&1").c_str(), "r");
    if (!P)
        return "ERROR";
    char Buffer[4096];
    std::size_t Got;
    while ((Got = std::fread(Buffer, 1, sizeof(Buffer), P)) > 0)
        Out.append(Buffer, Got);
    return pclose(P) == 0 ? Out : "ERROR: " + Out;
}

struct FRecordingHook final : Tolvane::FLogHook {
    std::vector<std::string> Lines;
    void Log(const tvWChar* Category, const tvWChar* Format, va_list Args) override
    {
        Tolvane::FString Text;
        if (Format)
            Text.FormatV(Format, Args);
        std::string Line;
        for (const tvWChar* P = Category; P && *P; ++P)
            Line += char(*P);
        Line += ": ";
        for (int i = 0; i < Text.GetLength(); ++i)
            Line += char(Text[i]);
        Lines.push_back(Line);
    }
};

class PackageFixture : public ::testing::Test {
protected:
    FTempFolder Data;
    FTempFolder User;
    Tolvane::FFileManagerWin Native;
    Tolvane::FLog Log;
    FRecordingHook Hook;
    Tolvane::FFileManager* SavedManager = nullptr;
    Tolvane::FLog* SavedLog = nullptr;
    int SavedEditor = 0;
    int SavedMode = 0;

    void SetUp() override
    {
        ASSERT_TRUE(Data.Ok() && User.Ok());
        SavedManager = Tolvane::GFileManager;
        SavedLog = Tolvane::GLog;
        SavedEditor = Tolvane::GIsEditor;
        SavedMode = Tolvane::GZipWriteMode;
        Native.SetDataRootDir(Data.Path().c_str());
        Native.SetUserDataRootDir(User.Path().c_str());
        Tolvane::GFileManager = &Native;
        Hook.Next = nullptr;
        Log.Hooks = &Hook;
        Tolvane::GLog = &Log;
        // The editor reads and writes the data root; the redirection tests clear this.
        Tolvane::GIsEditor = 1;
        Tolvane::GZipWriteMode = Tolvane::ZIPWRITE_Write;
    }
    void TearDown() override
    {
        Log.Hooks = nullptr;
        Tolvane::GFileManager = SavedManager;
        Tolvane::GLog = SavedLog;
        Tolvane::GIsEditor = SavedEditor;
        Tolvane::GZipWriteMode = SavedMode;
    }

    // Writes members through a writing package (the current zip write mode) and closes it.
    static bool WritePackage(const WideText& Name, const std::vector<std::pair<WideText, Bytes>>& Members)
    {
        Tolvane::FZipPackage Package(Name.c_str());
        if (!Package.Open())
            return false;
        for (const auto& Member : Members) {
            std::unique_ptr<Tolvane::FZipFileWriter> Writer(Package.CreateMemberWriter(Member.first.c_str()));
            if (!Writer)
                return false;
            Writer->Write(const_cast<unsigned char*>(Member.second.data()), static_cast<tvULong>(Member.second.size()));
            Writer->Close();
        }
        Package.Close();
        return true;
    }

    // A member's bytes read through a reading package; "missing" (empty optional) as a flag.
    static bool ReadMember(Tolvane::FUnzipPackage& Package, const WideText& Member, Bytes& Out)
    {
        std::unique_ptr<Tolvane::FZipFileReader> Reader(Package.CreateMemberReader(Member.c_str()));
        if (!Reader)
            return false;
        Out.assign(static_cast<std::size_t>(Reader->GetSize()), 0);
        Reader->Serialize(Out.data(), static_cast<tvULong>(Out.size()));
        return !Reader->IsError();
    }

    // Python's verdict on a zip: "ok <comment> <name>:<size>,..." or the error it raised.
    std::string PeerListing(const std::string& NativePath)
    {
        return Python(Data, "import zipfile\n"
                            "z = zipfile.ZipFile('" + NativePath + "')\n"
                            "bad = z.testzip()\n"
                            "print('ok' if bad is None else 'bad ' + bad, z.comment.decode('latin-1'),\n"
                            "      ','.join('%s:%d:%d' % (i.filename, i.file_size, i.compress_type) for i in z.infolist()))\n");
    }
};

} // namespace PackageTest
