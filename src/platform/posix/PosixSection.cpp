// Critical sections on POSIX: a recursive pthread mutex placed in the caller's storage.
#include "platform/tvPlatformSync.h"

#include <pthread.h>

namespace Tolvane {
namespace Platform {

namespace {
static_assert(sizeof(pthread_mutex_t) <= sizeof(FSystemSection::Opaque), "a mutex fits a section");
static_assert(alignof(pthread_mutex_t) <= alignof(FSystemSection), "a section is aligned for a mutex");

inline pthread_mutex_t* MutexOf(FSystemSection& Section)
{
    return reinterpret_cast<pthread_mutex_t*>(Section.Opaque);
}
} // namespace

void SectionInit(FSystemSection& Section)
{
    pthread_mutexattr_t Attributes;
    pthread_mutexattr_init(&Attributes);
    pthread_mutexattr_settype(&Attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(new (Section.Opaque) pthread_mutex_t, &Attributes);
    pthread_mutexattr_destroy(&Attributes);
}

void SectionEnter(FSystemSection& Section) { pthread_mutex_lock(MutexOf(Section)); }
void SectionLeave(FSystemSection& Section) { pthread_mutex_unlock(MutexOf(Section)); }
void SectionDelete(FSystemSection& Section) { pthread_mutex_destroy(MutexOf(Section)); }

} // namespace Platform
} // namespace Tolvane
