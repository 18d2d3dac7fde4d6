// Clocks and sleeping: the 32-bit millisecond counter (wraps after about
// 49.7 days, like the system tick count), the wall clock in whole seconds,
// and a millisecond sleep. Safe on any thread.
#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start, modulo 2^32; never goes backwards
// except by wrapping.
uint32_t TickCountMs();

// Seconds since 1970-01-01 UTC.
int64_t WallClockSeconds();

// Blocks the calling thread for at least `ms` milliseconds.
void SleepMs(uint32_t ms);
