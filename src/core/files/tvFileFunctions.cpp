// The free file functions, on the platform's file services.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileFunctions.h"
#include "core/strings/tvWideRuntime.h"
#include "platform/tvPlatformFiles.h"

namespace Tolvane {

namespace {
// The working buffer of appSafeCreateDirectory, terminator included.
constexpr std::size_t GDirectoryWorkCapacity = 260;

inline bool IsSeparator(tvWChar C) { return C == u'\\' || C == u'/'; }
} // namespace

int appIsFileExist(const tvWChar* Path) { return Platform::FileAccess(Path, Platform::FileAccessExists) ? 1 : 0; }

int appIsFileReadable(const tvWChar* Path) { return Platform::FileAccess(Path, Platform::FileAccessRead) ? 1 : 0; }

int appIsFileWritable(const tvWChar* Path) { return Platform::FileAccess(Path, Platform::FileAccessWrite) ? 1 : 0; }

int appCopyFile(const tvWChar* From, const tvWChar* To, bool FailIfExists)
{
    return Platform::FileCopy(From, To, FailIfExists) ? 1 : 0;
}

void appDeleteFile(const tvWChar* Path) { Platform::FileDelete(Path); }

void appSetFileWritable(const tvWChar* Path)
{
    const tvULong Attributes = Platform::FileGetAttributes(Path);
    if (Attributes != Platform::FileAttributesInvalid)
        Platform::FileSetAttributes(Path, Attributes & ~Platform::FileAttributeReadOnly);
}

// Creates every ancestor from the outermost inwards, then the directory itself; each
// creation's result is ignored, so existing levels are no error. A separator at the start, a
// doubled one, or one right after a drive's ':' names no directory of its own and is passed
// over, so neither a drive, the root nor "" is ever created.
void appSafeCreateDirectory(const tvWChar* Path, bool StripFileName)
{
    if (!Path || Wide::LengthBounded(Path, GDirectoryWorkCapacity) >= GDirectoryWorkCapacity)
        return;
    tvWChar Work[GDirectoryWorkCapacity];
    Wide::Copy(Work, Path);
    std::size_t Length = Wide::Length(Work);
    if (StripFileName) {
        std::size_t Cut = Length;
        while (Cut > 0 && !IsSeparator(Work[Cut - 1]))
            --Cut;
        // A bare file name sits in the current directory: there is nothing to create (making
        // a directory of the file's own name would only keep the file from being written).
        if (Cut == 0)
            return;
        Work[Cut] = 0;  // the separator stays
        Length = Cut;
    }
    for (std::size_t i = 1; i < Length; ++i) {
        if (!IsSeparator(Work[i]) || IsSeparator(Work[i - 1]) || Work[i - 1] == u':')
            continue;
        const tvWChar Separator = Work[i];
        Work[i] = 0;
        Platform::DirectoryCreate(Work);
        Work[i] = Separator;
    }
    Platform::DirectoryCreate(Work);
}

} // namespace Tolvane
