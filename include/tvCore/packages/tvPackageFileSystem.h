// The default file manager: one path syntax for plain files and for members of zip packages.
// A path with a '*' names a package before the star and a member after it
// ("Models\Chars*body/arm.msh"); packages open on first use and stay open until "CLOSE ALL".
// Commands through Exec: "CLOSE ALL", "ZIP UPDATE", "ZIP APPEND", "ZIP WRITE".
#pragma once

#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/packages/tvPackage.h"

namespace Tolvane {

class TVCORE_API FPackageFileSystem : public FFileManager {
public:
    // At most this many reading packages stay open; the oldest opened is closed first.
    static constexpr int MaxReadingPackages = 21;

    FPackageFileSystem();
    // Closes every package (a writing package finishes its file).
    ~FPackageFileSystem() override;
    FPackageFileSystem(const FPackageFileSystem&) = delete;
    FPackageFileSystem& operator=(const FPackageFileSystem&) = delete;

    // Runs one command; always 0.
    int Exec(tvWChar* Command, FString& Output) override;
    FFileReader* CreateReader(const tvWChar* Path) override;
    FFileWriter* CreateWriter(const tvWChar* Path) override;
    // Package mode 3 and room for 256 packages of each kind; 1.
    int Initialize() override;

    // The packages open now (slots may hold null).
    const TArray<FUnzipPackage*>& GetReadingPackages() const { return ReadingPackages; }
    const TArray<FZipPackage*>& GetWritingPackages() const { return WritingPackages; }

private:
    FFileReader* CreatePlainReader(const tvWChar* Path, bool UnderDataRoot);
    FFileWriter* CreatePlainWriter(const tvWChar* Path, bool UnderDataRoot);
    FUnzipPackage* ReadingPackage(const tvWChar* PackagePath);
    FZipPackage* WritingPackage(const tvWChar* PackagePath);
    void CloseAll();

    TArray<FUnzipPackage*> ReadingPackages;
    TArray<FZipPackage*> WritingPackages;
    FUnzipPackage* CurrentReadingPackage;
    FZipPackage* CurrentWritingPackage;
};

} // namespace Tolvane
