#include "platform/Clock.h"

#include <cerrno>
#include <ctime>

uint32_t TickCountMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

int64_t WallClockSeconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

void SleepMs(uint32_t ms)
{
    timespec left{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
