// A lightweight lock with explicit initialisation: its critical section lives inside the
// object and exists only after Initialize.
#pragma once

#include "tvCore/core/tvSystemSection.h"

namespace Tolvane {

class TVCORE_API FAsyncLock {
public:
    FAsyncLock();
    ~FAsyncLock();  // deletes the section only when it was initialised
    FAsyncLock(const FAsyncLock&) = delete;
    FAsyncLock& operator=(const FAsyncLock&) = delete;

    void Initialize();  // readies the section; a second call changes nothing
    void Lock();        // before Initialize, Lock and Unlock do nothing
    void Unlock();

private:
    int Initialized;
    FSystemSection Section;
};

} // namespace Tolvane
