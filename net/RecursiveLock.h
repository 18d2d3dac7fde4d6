// RecursiveLock: a mutex its owner thread may lock again; unlock from a
// thread that does not own it does nothing. Shared by the engine, the
// schedule and the window's reply queue, so any thread may use it.
#pragma once

#include "platform/Mutex.h"

#include <atomic>
#include <cstdint>
#include <mutex>

class RecursiveLock {
public:
    RecursiveLock() = default;
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock();
    void unlock();

private:
    PlatformMutex mutex;
    int32_t count = 0;
    std::atomic<uint32_t> owner{0};
};

// Holds a RecursiveLock for the scope it lives in.
using RecursiveLockGuard = std::lock_guard<RecursiveLock>;
