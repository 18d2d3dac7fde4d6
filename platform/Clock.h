// Clocks and sleeping: the 32-bit millisecond counter (wraps after about
// 49.7 days, like the system tick count), a monotonic millisecond clock that
// never wraps, and a millisecond sleep. Safe on any thread.
#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start, modulo 2^32; never goes backwards
// except by wrapping.
uint32_t TickCountMs();

// Milliseconds since an arbitrary start; unaffected by setting the wall
// clock, so waits measured on it neither hang nor end early when it jumps.
uint64_t MonotonicMs();

// Blocks the calling thread for at least `ms` milliseconds.
void SleepMs(uint32_t ms);
