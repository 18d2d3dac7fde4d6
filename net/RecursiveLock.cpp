#include "RecursiveLock.h"

#include "platform/Thread.h"

void RecursiveLock::lock()
{
    const uint32_t self = CurrentThreadId();
    // Only this thread ever stores its own id, so a match cannot be stale.
    if (owner.load(std::memory_order_relaxed) != self) {
        mutex.lock();
        owner.store(self, std::memory_order_relaxed);
    }
    ++count;
}

void RecursiveLock::unlock()
{
    if (owner.load(std::memory_order_relaxed) != CurrentThreadId())
        return;
    if (--count == 0) {
        owner.store(0, std::memory_order_relaxed);
        mutex.unlock();
    }
}
