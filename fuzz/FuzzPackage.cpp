// Arbitrary bytes opened as a package: every member in its table is read back. Opening and
// reading end in a package, a member, or a refusal; never a read beyond the data, an unbounded
// allocation, or a crash.
#include <tvCore/tvCore.h>

#include "packages/tvPackageMembers.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace Tolvane;

namespace {

// Reaches the member table to ask for every member by its stored name.
struct FPackageProbe : FUnzipPackage {
    using FUnzipPackage::FUnzipPackage;
    FPackageMemberTable* Table() const { return Members; }
};

std::string FileStem()
{
    const char* Folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(Folder) + "/tvcore-fuzz-package-" + std::to_string(getpid());
}

} // namespace


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static const std::string Stem = FileStem();
    const std::string File = Stem + ".xup";
    std::FILE* Out = std::fopen(File.c_str(), "wb");
    if (!Out)
        return 0;
    std::fwrite(Data, 1, Size, Out);
    std::fclose(Out);

    GIsEditor = 1;
    const std::u16string Name(Stem.begin(), Stem.end());
    FPackageProbe Package(Name.c_str());
    if (Package.Open() && Package.Table()) {
        const FPackageMemberTable* Table = Package.Table();
        for (int Bucket = 0; Bucket < Table->GetBucketCount(); ++Bucket) {
            for (const FPackageMember* Member = Table->GetBucket(Bucket); Member; Member = Member->Next) {
                // Byte by byte: names are ASCII in practice, and a lookup that misses is fine.
                std::u16string Wide;
                for (const char* P = Member->Name; *P; ++P)
                    Wide += static_cast<char16_t>(static_cast<unsigned char>(*P));
                if (FZipFileReader* Reader = Package.CreateMemberReader(Wide.c_str())) {
                    unsigned char Sink[64];
                    while (Reader->GetCurrentPos() < static_cast<tvULong>(Reader->GetSize()))
                        Reader->Serialize(Sink, sizeof(Sink));
                    delete Reader;
                }
            }
        }
    }
    return 0;
}
