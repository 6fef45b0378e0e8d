// Shared pieces of the configuration and XML tests: a temporary folder with the native file
// manager installed as GFileManager, a manager whose writers fail part-way (a full disk), and
// a small tmpfs mount when the system allows one.
#pragma once

#include "files/TempFolder.h"

#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>
#include "support/WideText.h"
#include "TestPlatform.h"

namespace ConfigTest {

inline std::vector<unsigned char> Bytes(const std::string& Text) { return std::vector<unsigned char>(Text.begin(), Text.end()); }

// UTF-16LE bytes of an ASCII or UTF-16 text, with an optional FF FE mark.
inline std::vector<unsigned char> Utf16Le(const WideText& Text, bool Mark = true)
{
    std::vector<unsigned char> Out;
    if (Mark)
        Out = {0xFF, 0xFE};
    for (Tolvane::tvWChar C : Text) {
        Out.push_back(static_cast<unsigned char>(C & 0xFF));
        Out.push_back(static_cast<unsigned char>(C >> 8));
    }
    return Out;
}

inline WideText Text(const Tolvane::FString& S) { return WideText(static_cast<const Tolvane::tvWChar*>(S)); }

// A writer that passes bytes to the real file until its budget is spent, then loses the rest
// and reports it, as a full disk does.
class FFailingWriter : public Tolvane::FFileWriter {
public:
    FFailingWriter(Tolvane::FFileWriter* InInner, long InBudget) : Inner(InInner), Budget(InBudget) {}
    ~FFailingWriter() override { delete Inner; }
    int GetSize() override { return Inner->GetSize(); }
    void Close() override { Inner->Close(); }
    void Flush() override { Inner->Flush(); }
    void Write(void* Data, Tolvane::tvULong Length) override
    {
        const long Room = Budget < 0 ? 0 : Budget;
        const Tolvane::tvULong Passed = Length < static_cast<Tolvane::tvULong>(Room) ? Length : static_cast<Tolvane::tvULong>(Room);
        if (Passed)
            Inner->Write(Data, Passed);
        Budget -= static_cast<long>(Passed);
        if (Passed < Length)
            SetError();
    }

private:
    Tolvane::FFileWriter* Inner;
    long Budget;
};

class FFailingManager : public Tolvane::FFileManagerWin {
public:
    long Budget = 0;
    int WritersMade = 0;
    Tolvane::FFileWriter* CreateWriter(const Tolvane::tvWChar* Path) override
    {
        Tolvane::FFileWriter* Inner = FFileManagerWin::CreateWriter(Path);
        if (!Inner)
            return nullptr;
        ++WritersMade;
        return new FFailingWriter(Inner, Budget);
    }
};

// The native file manager as GFileManager and a temporary folder, for one test.
class FFileFixture : public ::testing::Test {
protected:
    FTempFolder Folder;
    Tolvane::FFileManagerWin Native;
    Tolvane::FFileManager* SavedManager = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(Folder.Ok());
        SavedManager = Tolvane::GFileManager;
        Tolvane::GFileManager = &Native;
    }
    void TearDown() override { Tolvane::GFileManager = SavedManager; }
    const Tolvane::tvWChar* P(const WideText& Name)
    {
        Paths.push_back(Folder.Path(Name));
        return Paths.back().c_str();
    }
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> Out;
        for (auto& Entry : std::filesystem::directory_iterator(Folder.Native()))
            Out.push_back(Entry.path().filename().string());
        std::sort(Out.begin(), Out.end());
        return Out;
    }

private:
    std::vector<WideText> Paths;
};

// A small volume that fills up (a 64 KiB tmpfs where the system allows one).
using FSmallTmpfs = TestPlatform::FSmallDisk;

} // namespace ConfigTest
