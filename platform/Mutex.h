// PlatformMutex: a plain, non-recursive mutex (the role of a critical
// section). RecursiveLock builds ownership and recursion on top of it.
// Any thread may use it; the OS object lives in opaque storage so this
// header stays free of system headers.
#pragma once

class PlatformMutex {
public:
    PlatformMutex();
    ~PlatformMutex();
    PlatformMutex(const PlatformMutex&) = delete;
    PlatformMutex& operator=(const PlatformMutex&) = delete;

    void lock();
    void unlock();

private:
    template <typename T> T* native();

    alignas(8) unsigned char storage[64];
};
