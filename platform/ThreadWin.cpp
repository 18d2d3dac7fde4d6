#include "platform/Thread.h"

#include <windows.h>

uint32_t CurrentThreadId()
{
    // Windows never hands out thread id 0, so it is free for "nobody".
    return static_cast<uint32_t>(GetCurrentThreadId());
}
