// The read profile: one line for each archive read that reaches the disk, collected in a
// buffer and written out when the buffer is full and when the profile closes. One lock guards
// it, so the caller's readers and the worker's can both write lines.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgReaders.h"
#include "tvCore/core/tvAsyncLock.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"
#include "tvCore/core/tvTime.h"
#include "platform/tvPlatformFileHandle.h"

namespace Tolvane {

namespace {

struct FReadProfile {
    bool Started = false;
    tvULong Capacity = 0;
    tvHandle File = nullptr;
    char* Line = nullptr;
    char* Collect = nullptr;
    char* Cursor = nullptr;
};

FReadProfile GProfile;

FAsyncLock& ProfileLock()
{
    static FAsyncLock Lock;
    static const bool Ready = (Lock.Initialize(), true);
    (void)Ready;
    return Lock;
}

class FProfileScope {
public:
    FProfileScope() { ProfileLock().Lock(); }
    ~FProfileScope() { ProfileLock().Unlock(); }
    FProfileScope(const FProfileScope&) = delete;
    FProfileScope& operator=(const FProfileScope&) = delete;
};

void FlushLocked()
{
    if (!GProfile.Started || !GProfile.File || GProfile.Cursor == GProfile.Collect)
        return;
    Platform::FileHandleWrite(GProfile.File, GProfile.Collect, tvULong(GProfile.Cursor - GProfile.Collect));
    GProfile.Cursor = GProfile.Collect;
}

void AppendLocked(int Length)
{
    if (Length <= 0)
        return;
    // A line cut by the formatter (longer than the buffer) still goes out whole as far as it got.
    const tvULong Bytes = tvULong(Length) < GProfile.Capacity ? tvULong(Length) : GProfile.Capacity - 1;
    if (tvULong(GProfile.Cursor - GProfile.Collect) + Bytes >= GProfile.Capacity)
        FlushLocked();
    std::memcpy(GProfile.Cursor, GProfile.Line, Bytes);
    GProfile.Cursor += Bytes;
}

// Whole seconds of the application clock; 0 before the clock exists.
int Seconds() { return GAppTime ? static_cast<int>(appGetTime()) : 0; }

} // namespace

void appProfileStart(tvULong Capacity)
{
    FProfileScope Scope;
    if (GProfile.Started || Capacity == 0)
        return;
    char* Collect = static_cast<char*>(GMalloc->Malloc(Capacity));
    char* Line = static_cast<char*>(GMalloc->Malloc(Capacity));
    if (!Collect || !Line) {
        if (Collect)
            GMalloc->Free(Collect);
        if (Line)
            GMalloc->Free(Line);
        return;
    }
    GProfile.Collect = Collect;
    GProfile.Line = Line;
    GProfile.Cursor = Collect;
    GProfile.Capacity = Capacity;
    GProfile.Started = true;
}

void appProfileOpen(const tvWChar* FileName)
{
    FProfileScope Scope;
    if (!GProfile.Started)
        return;
    if (GProfile.File) {
        FlushLocked();
        Platform::FileHandleClose(GProfile.File);
        GProfile.File = nullptr;
    }
    GProfile.File = Platform::FileHandleCreateWrite(FileName, Platform::EFileShare::Read);
}

void appProfileBegin(const _diFileItem* Item, tvULong ArchiveOffset, tvULong Bytes)
{
    FProfileScope Scope;
    if (!GProfile.Started || !GProfile.File)
        return;
    const int Length = std::snprintf(GProfile.Line, GProfile.Capacity, "BEGIN: %010d\t%010d\t%010d\t%s\r\n", Seconds(),
                                     int(ArchiveOffset), int(Bytes), diGetFullPath(Item, 1));
    AppendLocked(Length);
}

void appProfileEnd(const _diFileItem* Item)
{
    FProfileScope Scope;
    if (!GProfile.Started || !GProfile.File)
        return;
    const int Length =
        std::snprintf(GProfile.Line, GProfile.Capacity, "END: %010d\t%s\r\n", Seconds(), diGetFullPath(Item, 1));
    AppendLocked(Length);
}

void appProfileFlush()
{
    FProfileScope Scope;
    FlushLocked();
}

void appProfileClose()
{
    FProfileScope Scope;
    if (!GProfile.Started)
        return;
    FlushLocked();
    Platform::FileHandleClose(GProfile.File);
    GMalloc->Free(GProfile.Collect);
    GMalloc->Free(GProfile.Line);
    GProfile = FReadProfile();
}

bool appProfileStarted()
{
    FProfileScope Scope;
    return GProfile.Started;
}

} // namespace Tolvane
