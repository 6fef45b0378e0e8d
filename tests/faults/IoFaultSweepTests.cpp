// I/O fault sweeps over the writers that replace a file (and the text save, whose first uses
// alone were covered): each system call a write makes (open, write, sync, rename) fails at its
// 1st use, then its 2nd, 3rd ... until the write no longer reaches it; once as that use alone, once as every use from it on. A writer that reports a
// result reports the truth (1: the new file is in place; 0: the old file is untouched); one that
// reports nothing leaves the old file or the new one, whole; none leaves a file beside the target.
#include "faults/FaultTestSupport.h"
#include "files/TempFolder.h"
#include "support/FaultScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace Tolvane;
using namespace FaultTest;
using Faults::ESystemCall;

namespace {

// A replacing write and how its file's state is told: by default by its bytes. (A package's
// bytes carry the time it was written, so its state is its members; a recording's, whether it
// is whole.)
struct FIoCase {
    FReplacingWrite Writer;
    std::function<std::string(const FTempFolder&, const std::string&)> State;
};

// Size and checksum of the bytes: short enough for a failure message.
std::string Summary(const FBytes& Bytes)
{
    unsigned Sum = 0;
    for (unsigned char Byte : Bytes)
        Sum = Sum * 31 + Byte;
    return std::to_string(Bytes.size()) + ":" + std::to_string(Sum);
}

std::string BytesOf(const FTempFolder& Folder, const std::string& Name) { return Summary(Folder.Read(Name)); }

// The package's members as "name=size:sum;...", or what is wrong with it.
std::string PackageState(const FTempFolder&, const std::string&)
{
    FUnzipPackage Package(TVTEXT("pack"));
    if (!Package.Open())
        return "does not open";
    std::string State;
    for (const tvWChar* Member : {TVTEXT("a.bin"), TVTEXT("b.bin")}) {
        FZipFileReader* Reader = Package.CreateMemberReader(Member);
        if (!Reader) {
            State += "-;";
            continue;
        }
        FBytes Bytes(std::size_t(Reader->GetSize()));
        Reader->Serialize(Bytes.data(), tvULong(Bytes.size()));
        State += Summary(Bytes) + (Reader->IsError() ? "!" : "") + ";";
        delete Reader;
    }
    return State;
}

// A recording of three opens of a 5000-byte file, each read whole: "whole" when every open is
// recorded as failed (0) or as opened with its size and bytes, "old" for the earlier file,
// else "damaged". (A failed open of the source is faithfully recorded: still a whole recording.)
std::string RecordingState(const FTempFolder& Folder, const std::string& Name)
{
    const FBytes Bytes = Folder.Read(Name), Old = Pattern(999, 7), Source = Pattern(5000, 2);
    if (Bytes == Old)
        return "old";
    std::size_t At = 0;
    int Opens = 0;
    while (At < Bytes.size()) {
        ++Opens;
        if (Bytes[At] == 0) {
            ++At;
            continue;
        }
        const bool Opened = Bytes[At] == 1 && At + 5 + Source.size() <= Bytes.size() && Bytes[At + 1] == (5000 & 0xFF) &&
                            Bytes[At + 2] == (5000 >> 8) && Bytes[At + 3] == 0 && Bytes[At + 4] == 0 &&
                            std::equal(Source.begin(), Source.end(), Bytes.begin() + std::ptrdiff_t(At + 5));
        if (!Opened)
            return "damaged";
        At += 5 + Source.size();
    }
    return Opens == 3 ? "whole" : "damaged";
}

class IoFaultSweep : public ::testing::Test {
protected:
    FTempFolder Folder;
    FLibraryScope Library{Folder.Path()};
    tvtest::FFaultScope Scope;

    void SetUp() override { ASSERT_TRUE(Folder.Ok()); }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> Names;
        for (auto& Entry : std::filesystem::directory_iterator(Folder.Native()))
            if (Entry.is_regular_file())
                Names.push_back(Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        return Names;
    }
};

} // namespace

TEST_F(IoFaultSweep, EveryFailingCallOfAReplacingWriteKeepsTheOldFileOrReportsTheNewOne)
{
    const FBytes Data = Pattern(100000, 1), Source = Pattern(5000, 2);
    Folder.Write("source.bin", Source);
    const WideText SourcePath = Folder.Path(TVTEXT("source.bin")), Run = Folder.Path(TVTEXT("run"));
    const FBytes OldA = Pattern(30000, 3), OldB = Pattern(8000, 4), NewB = Pattern(40000, 5);
    auto WritePackage = [](const std::vector<std::pair<const tvWChar*, const FBytes*>>& Members) {
        FZipPackage Package(TVTEXT("pack"));
        if (!Package.Open())
            return;
        for (const auto& Member : Members) {
            FZipFileWriter* Writer = Package.CreateMemberWriter(Member.first);
            if (!Writer)
                continue;
            Writer->Write(const_cast<unsigned char*>(Member.second->data()), tvULong(Member.second->size()));
            Writer->Close();
            delete Writer;
        }
        Package.Close();
    };

    const std::vector<FReplacingWrite> Writers = ReplacingWrites(Data, SourcePath, Run, &Library.Native);
    std::vector<FIoCase> Cases;
    for (const FReplacingWrite& Writer : Writers)
        Cases.push_back({Writer, std::string(Writer.File) == "run.lin" ? RecordingState : BytesOf});
    const FString Text(WideText(40000, TVTEXT('t')).c_str());
    Cases.push_back({{"text save", "text.txt",
                      [&](const WideText& Path) { return appSaveStringToFile(Text, Path.c_str()); }},
                     BytesOf});
    Cases.push_back({{"package rebuild", "pack.xup",
                      [&](const WideText&) {
                          GZipWriteMode = ZIPWRITE_Update;
                          WritePackage({{TVTEXT("b.bin"), &NewB}});
                          return -1;
                      }},
                     PackageState});
    for (const FIoCase& Entry : Cases) {
        const FReplacingWrite& Case = Entry.Writer;
        const std::string Name = Case.File;
        const WideText Path = Folder.Path(WideText(Name.begin(), Name.end()));
        // The old file, then the new one from a clean write.
        FBytes Old;
        if (Name == "pack.xup") {
            GZipWriteMode = ZIPWRITE_Write;
            WritePackage({{TVTEXT("a.bin"), &OldA}, {TVTEXT("b.bin"), &OldB}});
            Old = Folder.Read(Name);
        } else {
            Old = Pattern(999, 7);
            Folder.Write(Name, Old);
        }
        const std::string OldState = Entry.State(Folder, Name);
        const std::vector<std::string> Before = Files();
        ASSERT_NE(Case.Write(Path), 0) << Case.Name;
        const std::string NewState = Entry.State(Folder, Name);
        ASSERT_NE(NewState, OldState) << Case.Name;

        // A failed sync of the folder after the rename leaves the new file in place; the IMG
        // writers report that as a failure (the new name may not survive a crash), the one
        // whole-file save helper as saved. Either way nothing is lost.
        int Injected = 0, DirectorySyncs = 0;
        for (ESystemCall Call : {ESystemCall::Open, ESystemCall::Write, ESystemCall::Sync, ESystemCall::Rename}) {
            for (bool Sticky : {false, true}) {
                for (int N = 1; N < 10000; ++N) {
                    SCOPED_TRACE(std::string(Case.Name) + ", call " + std::to_string(int(Call)) + " use " +
                                 std::to_string(N) + (Sticky ? " and later" : ""));
                    Folder.Write(Name, Old);
                    Faults::Clear();
                    Faults::Arm(Call, N, Call == ESystemCall::Write ? ENOSPC : EIO, Sticky);
                    const int Result = Case.Write(Path);
                    const int Uses = Faults::Uses(Call);
                    Faults::Clear();
                    const std::string Now = Entry.State(Folder, Name);
                    if (Result == 1)
                        EXPECT_EQ(Now, NewState) << "reported saved, but the new file is not in place";
                    else if (Result == 0 && Call == ESystemCall::Sync && Now == NewState)
                        ++DirectorySyncs;  // the folder's sync after the rename: see below
                    else if (Result == 0)
                        EXPECT_EQ(Now, OldState) << "reported failed, but the old file changed";
                    else
                        EXPECT_TRUE(Now == OldState || Now == NewState) << "neither the old file nor the new one";
                    EXPECT_EQ(Files(), Before) << "a file was left beside the target";
                    if (Uses < N)
                        break;  // the write no longer reaches the Nth use: this call is swept
                    ++Injected;
                }
            }
        }
        EXPECT_LE(DirectorySyncs, 2) << "only the folder's sync may leave the new file behind a 0";
        std::printf("[ io sweep ] %-20s %d injected failures survived\n", Case.Name, Injected);
    }
}
