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

// Copies the line into the line buffer and behind the cursor, flushing first when the collect
// buffer would fill. A line longer than the capacity is cut to it.
void AppendLocked(const char* Text, std::size_t Length)
{
    const tvULong Bytes = Length < GProfile.Capacity ? tvULong(Length) : GProfile.Capacity - 1;
    std::memcpy(GProfile.Line, Text, Bytes);
    if (tvULong(GProfile.Cursor - GProfile.Collect) + Bytes >= GProfile.Capacity)
        FlushLocked();
    std::memcpy(GProfile.Cursor, GProfile.Line, Bytes);
    GProfile.Cursor += Bytes;
}

// Whole seconds of the application clock; 0 before the clock exists.
int Seconds() { return GAppTime ? static_cast<int>(appGetTime()) : 0; }

// The lines are built by hand rather than by snprintf: a line is written for every archive read
// that reaches the disk, and formatting would cost a sequential reader a tenth of its speed.
// The text is exactly that of "%010d" and "%s".
char* PutText(char* Out, const char* Text, std::size_t Length)
{
    std::memcpy(Out, Text, Length);
    return Out + Length;
}

char* PutPadded(char* Out, int Value)
{
    char Digits[12];
    int Count = 0;
    std::uint32_t Magnitude = Value < 0 ? 0u - std::uint32_t(Value) : std::uint32_t(Value);
    do {
        Digits[Count++] = char('0' + Magnitude % 10);
        Magnitude /= 10;
    } while (Magnitude);
    if (Value < 0)
        *Out++ = '-';
    for (int Pad = 10 - Count - (Value < 0 ? 1 : 0); Pad > 0; --Pad)
        *Out++ = '0';
    while (Count)
        *Out++ = Digits[--Count];
    return Out;
}

// The item's archive path with its leading backslash, kept for the last item asked: a reader's
// begin and end lines, and its following reads, name the same item.
struct FPathCache {
    const _diFileItem* Item = nullptr;
    char Path[GImgPathCapacity] = {};
    std::size_t Length = 0;
} GPathCache;

const FPathCache& PathOf(const _diFileItem* Item)
{
    if (GPathCache.Item != Item || !Item) {
        const char* Path = diGetFullPath(Item, 1);
        GPathCache.Length = std::strlen(Path);
        std::memcpy(GPathCache.Path, Path, GPathCache.Length + 1);
        GPathCache.Item = Item;
    }
    return GPathCache;
}

// Room for the longest line: the words, three numbers of 11 characters and the path.
constexpr std::size_t GLongestLine = 16 + 3 * 12 + GImgPathCapacity + 2;

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
    GPathCache = FPathCache();
}

void appProfileBegin(const _diFileItem* Item, tvULong ArchiveOffset, tvULong Bytes)
{
    FProfileScope Scope;
    if (!GProfile.Started || !GProfile.File)
        return;
    char Line[GLongestLine];
    const FPathCache& Path = PathOf(Item);
    char* Out = PutText(Line, "BEGIN: ", 7);
    Out = PutPadded(Out, Seconds());
    *Out++ = '\t';
    Out = PutPadded(Out, int(ArchiveOffset));
    *Out++ = '\t';
    Out = PutPadded(Out, int(Bytes));
    *Out++ = '\t';
    Out = PutText(Out, Path.Path, Path.Length);
    Out = PutText(Out, "\r\n", 2);
    AppendLocked(Line, std::size_t(Out - Line));
}

void appProfileEnd(const _diFileItem* Item)
{
    FProfileScope Scope;
    if (!GProfile.Started || !GProfile.File)
        return;
    char Line[GLongestLine];
    const FPathCache& Path = PathOf(Item);
    char* Out = PutText(Line, "END: ", 5);
    Out = PutPadded(Out, Seconds());
    *Out++ = '\t';
    Out = PutText(Out, Path.Path, Path.Length);
    Out = PutText(Out, "\r\n", 2);
    AppendLocked(Line, std::size_t(Out - Line));
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
    GPathCache = FPathCache();  // the items may go now; a later item may take an address
}

bool appProfileStarted()
{
    FProfileScope Scope;
    return GProfile.Started;
}

} // namespace Tolvane
