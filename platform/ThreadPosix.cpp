#include "platform/Thread.h"

#include <sys/syscall.h>
#include <unistd.h>

uint32_t CurrentThreadId()
{
    // Kernel thread ids are positive, so 0 is free for "nobody".
    thread_local const uint32_t id = static_cast<uint32_t>(syscall(SYS_gettid));
    return id;
}
