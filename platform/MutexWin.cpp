#include "platform/Mutex.h"

#include <new>
#include <windows.h>

template <typename T> T* PlatformMutex::native()
{
    static_assert(sizeof(T) <= sizeof(storage) && alignof(T) <= 8, "mutex storage too small");
    return reinterpret_cast<T*>(storage);
}

// A slim reader/writer lock taken exclusively: not recursive (RecursiveLock
// adds that), needs no clean-up and fits the storage.
PlatformMutex::PlatformMutex()
{
    InitializeSRWLock(new (storage) SRWLOCK);
}

PlatformMutex::~PlatformMutex() = default;

void PlatformMutex::lock()
{
    AcquireSRWLockExclusive(native<SRWLOCK>());
}

void PlatformMutex::unlock()
{
    ReleaseSRWLockExclusive(native<SRWLOCK>());
}
