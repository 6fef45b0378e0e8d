// Shared by the fault tests: test bytes, the library-wide state they change (put back at the
// end), and the writers that replace a file, as the I/O sweep and the crash runs drive them.
#pragma once

#include <tvCore/tvCore.h>

#include "core/files/tvFileSave.h"
#include "support/WideText.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace FaultTest {

typedef std::vector<unsigned char> FBytes;

inline FBytes Pattern(std::size_t Size, unsigned Seed)
{
    FBytes Out(Size);
    for (std::size_t i = 0; i < Size; ++i)
        Out[i] = static_cast<unsigned char>((i * 29 + Seed * 13 + (i >> 10)) & 0xFF);
    return Out;
}

// The native manager as GFileManager with Root as its data roots, a silent log, the editor's
// package places, and the zip write mode: all put back when the scope ends.
class FLibraryScope {
public:
    explicit FLibraryScope(const WideText& Root)
    {
        Native.SetDataRootDir(Root.c_str());
        Native.SetUserDataRootDir(Root.c_str());
        Tolvane::GFileManager = &Native;
        Tolvane::GLog = &Log;
        Tolvane::GIsEditor = 1;  // packages are written in the data root
    }
    ~FLibraryScope()
    {
        Tolvane::GFileManager = SavedManager;
        Tolvane::GLog = SavedLog;
        Tolvane::GIsEditor = SavedEditor;
        Tolvane::GZipWriteMode = SavedZipMode;
    }
    FLibraryScope(const FLibraryScope&) = delete;
    FLibraryScope& operator=(const FLibraryScope&) = delete;

    Tolvane::FFileManagerWin Native;

private:
    Tolvane::FLog Log;
    Tolvane::FFileManager* SavedManager = Tolvane::GFileManager;
    Tolvane::FLog* SavedLog = Tolvane::GLog;
    int SavedEditor = Tolvane::GIsEditor;
    int SavedZipMode = Tolvane::GZipWriteMode;
};

// A write that replaces the file at a path: 1 when it reports the new file saved, 0 when it
// reports a failure, -1 when the writer reports nothing.
struct FReplacingWrite {
    const char* Name;
    const char* File;  // the file it replaces, in the folder
    std::function<int(const WideText& Path)> Write;
};

// The writers without a crash run or an I/O sweep elsewhere: the IMG archive writer (Data and
// the file at Source), the loose-file writer of the IMG and package file systems (Data), the
// linear recording of three reads of Source into "<Run>.lin", and a whole buffer saved (Data).
// The recording leaves Native as GFileManager.
inline std::vector<FReplacingWrite> ReplacingWrites(const FBytes& Data, const WideText& Source, const WideText& Run,
                                                    Tolvane::FFileManager* Native)
{
    using namespace Tolvane;
    return {
        {"IMG archive writer", "pack.img",
         [&Data, Source](const WideText& Path) {
             FImgArchiveWriter Writer;
             Writer.AddFile(TVTEXT("Data\\Big.bin"), Data.data(), tvULong(Data.size()));
             Writer.AddDiskFile(TVTEXT("Data\\Disk.bin"), Source.c_str());
             return Writer.Save(Path.c_str());
         }},
        {"loose-file writer", "loose.bin",
         [&Data](const WideText& Path) {
             FRawFileWriterSync Writer{FString(Path.c_str())};
             if (!Writer.Initialize())
                 return 0;
             for (std::size_t At = 0; At < Data.size(); At += 30000)
                 Writer.Write(const_cast<unsigned char*>(Data.data() + At), tvULong(std::min<std::size_t>(30000, Data.size() - At)));
             Writer.Close();
             return Writer.IsError() ? 0 : 1;
         }},
        {"linear recording", "run.lin",
         [Source, Run, Native](const WideText&) {
             FFileManager* Linear = appLinearFileSystemInit(LOADINGMODE_Save);
             GFileManager = Linear;
             appLinearFileSystemStart(Run.c_str());
             for (int i = 0; i < 3; ++i) {
                 FFileReader* Reader = Linear ? Linear->CreateReader(Source.c_str()) : nullptr;
                 if (Reader) {
                     FBytes Bytes(std::size_t(Reader->GetSize()));
                     Reader->Read(Bytes.data(), tvULong(Bytes.size()));
                 }
                 delete Reader;
             }
             appLinearFileSystemEnd();
             GFileManager = Native;
             delete Linear;
             delete appLinearFileSystemInit(LOADINGMODE_Off);  // the library-wide mode back to off
             return -1;
         }},
        {"whole buffer save", "buffer.bin",
         [&Data](const WideText& Path) {
             return appSaveFileReplacing(Path.c_str(), Data.data(), tvULong(Data.size()));
         }},
    };
}

} // namespace FaultTest
