// The file manager base: directory settings, package mode and the default behaviours.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileManager.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

FFileManager::FFileManager()
    : PackageMode(static_cast<EFilePackMode>(0)), ExecRootDir{}, DataRootDir{}, UserDataRootDir{}, GameRootDir{},
      FilesDir{}, UserAccountDir{}, UpdateConfigDir{}, AndroidPackageName{}
{
}

FFileManager::~FFileManager() = default;

void FFileManager::Tick() {}

FFileAsyncReader* FFileManager::CreateAsyncReader(const tvWChar*) { return nullptr; }

int FFileManager::Initialize() { return 1; }

bool FFileManager::FindFile(const tvWChar*) { return false; }

void FFileManager::GetFilesFromDirectory(const tvWChar*, TArray<FString>&) {}

int FFileManager::Store(tvWChar (&Field)[DirectoryCapacity], const tvWChar* Text)
{
    if (!Text || Wide::LengthBounded(Text, DirectoryCapacity) >= std::size_t(DirectoryCapacity))
        return 0;
    Wide::Copy(Field, Text);
    return 1;
}

} // namespace Tolvane
