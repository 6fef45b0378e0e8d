// The file manager interface: every file the library touches is reached through an
// FFileManager, which hands out reader and writer archives that the caller deletes. Managers
// (native files, record/replay, IMG archives, zip packages) are interchangeable behind it.
#pragma once

#include "tvCore/core/files/tvFileArchive.h"
#include "tvCore/core/strings/tvArray.h"

namespace Tolvane {

// How a manager resolves paths; a bit set.
enum EFilePackMode {
    FILEPACK_ReadFromPackages = 1,  // readers are looked up in zip packages first
    FILEPACK_WriteToPackages = 2,   // writers go into zip packages
    FILEPACK_PlainPaths = 4,        // plain paths are used as given, not under the data root
};

class TVCORE_API FFileManager : public FExec {
public:
    // Each directory text holds at most this many code units, terminator included.
    static constexpr int DirectoryCapacity = 256;

    FFileManager();
    ~FFileManager() override;

    virtual void Tick();
    virtual FFileReader* CreateReader(const tvWChar* Path) = 0;
    virtual FFileAsyncReader* CreateAsyncReader(const tvWChar* Path);
    virtual FFileWriter* CreateWriter(const tvWChar* Path) = 0;
    virtual int Initialize();
    virtual bool FindFile(const tvWChar* Path);
    virtual void GetFilesFromDirectory(const tvWChar* Directory, TArray<FString>& Files);

    EFilePackMode IsPackageMode() const { return PackageMode; }
    void SetPackageMode(EFilePackMode Mode) { PackageMode = Mode; }

    // Directory settings. They are plain prefixes: the library never inserts a separator, so
    // a directory is stored with its trailing one. A setter refuses (returns 0 and keeps the
    // previous text) a null text or one longer than DirectoryCapacity - 1 units, because a cut
    // prefix would send files to another place; it returns 1 when the text is stored.
    const tvWChar* GetExecRootDir() const { return ExecRootDir; }
    const tvWChar* GetDataRootDir() const { return DataRootDir; }
    const tvWChar* GetUserDataRootDir() const { return UserDataRootDir; }
    const tvWChar* GetGameRootDir() const { return GameRootDir; }
    const tvWChar* GetFilesDir() const { return FilesDir; }
    const tvWChar* GetUserAccountDir() const { return UserAccountDir; }
    const tvWChar* GetUpdateConfigDir() const { return UpdateConfigDir; }
    const tvWChar* GetAndroidPackageName() const { return AndroidPackageName; }
    int SetExecRootDir(const tvWChar* Text) { return Store(ExecRootDir, Text); }
    int SetDataRootDir(const tvWChar* Text) { return Store(DataRootDir, Text); }
    int SetUserDataRootDir(const tvWChar* Text) { return Store(UserDataRootDir, Text); }
    int SetGameRootDir(const tvWChar* Text) { return Store(GameRootDir, Text); }
    int SetFilesDir(const tvWChar* Text) { return Store(FilesDir, Text); }
    int SetUserAccountDir(const tvWChar* Text) { return Store(UserAccountDir, Text); }
    int SetUpdateConfigDir(const tvWChar* Text) { return Store(UpdateConfigDir, Text); }
    int SetAndroidPackageName(const tvWChar* Text) { return Store(AndroidPackageName, Text); }

protected:
    EFilePackMode PackageMode;
    tvWChar ExecRootDir[DirectoryCapacity];
    tvWChar DataRootDir[DirectoryCapacity];
    tvWChar UserDataRootDir[DirectoryCapacity];
    tvWChar GameRootDir[DirectoryCapacity];
    tvWChar FilesDir[DirectoryCapacity];
    tvWChar UserAccountDir[DirectoryCapacity];
    tvWChar UpdateConfigDir[DirectoryCapacity];
    tvWChar AndroidPackageName[DirectoryCapacity];

private:
    static int Store(tvWChar (&Field)[DirectoryCapacity], const tvWChar* Text);
};

} // namespace Tolvane
