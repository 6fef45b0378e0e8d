// Object locks: the abstract lock, its in-process and cross-process implementations, and a
// scope guard over any of them.
#pragma once

#include "tvCore/core/tvSystemSection.h"

namespace Tolvane {

class TVCORE_API FLock : public FFundament {
public:
    FLock() = default;
    virtual ~FLock();
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

// An in-process lock over a recursive critical section that it owns. Copies are refused: a
// copy would share the section and delete it a second time.
class TVCORE_API FThreadLock : public FLock {
public:
    FThreadLock();
    ~FThreadLock() override;
    FThreadLock(const FThreadLock&) = delete;
    FThreadLock& operator=(const FThreadLock&) = delete;

    void Lock() override;    // does nothing when the section could not be allocated
    void Unlock() override;

private:
    FSystemSection* Section;
};

// A cross-process lock: every FProcessLock built from one name, in any process, is the same
// system lock, named Name followed by "_lock" (a null Name counts as empty). Two objects of
// one name inside one process are one lock too: it excludes the process's other threads and is
// recursive for the thread that holds it, through either object. The system releases it when
// the holding process ends, however it ends. Copies are refused: a copy would close the system
// handle a second time.
class TVCORE_API FProcessLock : public FLock {
public:
    explicit FProcessLock(const tvWChar* Name);
    ~FProcessLock() override;
    FProcessLock(const FProcessLock&) = delete;
    FProcessLock& operator=(const FProcessLock&) = delete;

    void Lock() override;    // waits without time limit; does nothing when creation failed
    void Unlock() override;  // does nothing unless the calling thread holds the lock

private:
    struct FHolder;
    FHolder* Holder;
};

// Takes a lock for the lifetime of a scope and releases it on every exit, exceptions included.
class TVCORE_API FScopedLock {
public:
    explicit FScopedLock(FLock* InLock);
    ~FScopedLock();
    FScopedLock(const FScopedLock&) = delete;
    // Guards the other guard's lock from now on: releases the lock held so far and takes the
    // other one once more (the library's locks are recursive), so each guard's destructor
    // releases exactly what that guard took.
    FScopedLock& operator=(const FScopedLock& Other);

private:
    FLock* Lock;
};

} // namespace Tolvane
