#include "platform/Clock.h"

#include <windows.h>

uint64_t MonotonicMs()
{
    // The performance counter is exact to well under a millisecond; the tick
    // count moves in 10-16 ms steps, too coarse for short time-outs.
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t count = static_cast<uint64_t>(now.QuadPart);
    // Split so that count * 1000 cannot overflow after long uptimes.
    return count / frequency * 1000u + count % frequency * 1000u / frequency;
}

uint32_t TickCountMs()
{
    return static_cast<uint32_t>(MonotonicMs());
}

void SleepMs(uint32_t ms)
{
    Sleep(ms);
}
