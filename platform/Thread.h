// The calling thread's id: never 0, so 0 can mean "no thread" (used by
// RecursiveLock for its owner). Safe on any thread.
#pragma once

#include <cstdint>

uint32_t CurrentThreadId();
