// Whole-file writes through a file manager that never leave a half-written file in place of a
// good one on the machine's disk.
#include "base/tvPrelude.h"
#include "core/files/tvReplacingWriter.h"
#include "tvCore/core/files/tvFileManagerWin.h"
#include "tvCore/core/files/tvFileManagerLinear.h"
#include "platform/tvPlatformFileReplace.h"
#include "platform/tvPlatformFiles.h"

#include <typeinfo>

namespace Tolvane {

bool appManagerWritesFilesInPlace(FFileManager* Manager)
{
    // Exact types only: a class derived from one of these may write anywhere.
    while (Manager) {
        const std::type_info& Type = typeid(*Manager);
        if (Type == typeid(FFileManagerWin))
            return true;
        if (Type != typeid(FFileManagerLinearSave) && Type != typeid(FFileManagerLinearLoad))
            return false;
        Manager = static_cast<FFileManagerLinear*>(Manager)->GetWrappedManager();
    }
    return false;
}

FReplacingWriter::FReplacingWriter(FFileManager* Manager, const tvWChar* Path, bool PlainPaths)
    : Target(Path), Writer(nullptr)
{
    if (!Manager || !Path || !*Path || Target.GetLength() == 0)
        return;  // no manager, no path, or the path's copy was refused its memory
    if (PlainPaths || appManagerWritesFilesInPlace(Manager)) {
        Temporary = Target + TVCORE_REPLACING_SUFFIX;
        if (Temporary.GetLength() <= Target.GetLength())
            return;  // memory refused: better no file than one written over the target
        const EFilePackMode SavedMode = Manager->IsPackageMode();
        if (PlainPaths)
            Manager->SetPackageMode(FILEPACK_PlainPaths);
        Writer = Manager->CreateWriter(Temporary);
        Manager->SetPackageMode(SavedMode);
    } else {
        Writer = Manager->CreateWriter(Path);
    }
}

FReplacingWriter::~FReplacingWriter() { Abandon(); }

void FReplacingWriter::Abandon()
{
    if (Writer) {
        delete Writer;
        Writer = nullptr;
        if (!Temporary.IsEmpty())
            Platform::FileDelete(Temporary);
    }
}

int FReplacingWriter::Commit()
{
    if (!Writer)
        return 0;
    Writer->Flush();
    Writer->Close();
    if (Writer->IsError()) {
        Abandon();
        return 0;
    }
    delete Writer;
    Writer = nullptr;
    if (Temporary.IsEmpty())
        return 1;
    if (Platform::FileReplace(Temporary, Target))
        return 1;
    // Gone from beside the target: the rename took place and only making the folder's entry
    // durable failed, so the target holds every byte.
    if (Platform::FileGetAttributes(Temporary) == Platform::FileAttributesInvalid)
        return 1;
    Platform::FileDelete(Temporary);
    return 0;
}

} // namespace Tolvane
