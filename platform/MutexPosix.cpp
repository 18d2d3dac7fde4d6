#include "platform/Mutex.h"

#include <new>
#include <pthread.h>

template <typename T> T* PlatformMutex::native()
{
    static_assert(sizeof(T) <= sizeof(storage) && alignof(T) <= 8, "mutex storage too small");
    return reinterpret_cast<T*>(storage);
}

PlatformMutex::PlatformMutex()
{
    pthread_mutex_init(new (storage) pthread_mutex_t, nullptr);
}

PlatformMutex::~PlatformMutex()
{
    pthread_mutex_destroy(native<pthread_mutex_t>());
}

void PlatformMutex::lock()
{
    pthread_mutex_lock(native<pthread_mutex_t>());
}

void PlatformMutex::unlock()
{
    pthread_mutex_unlock(native<pthread_mutex_t>());
}
