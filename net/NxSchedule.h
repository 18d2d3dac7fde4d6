// NxSchedule: a list of timed callbacks. Add registers a function and a user
// pointer with a delay in milliseconds; each RunDue pass calls the due ones
// and re-arms each after the milliseconds it returns. Add, Remove and RunDue
// may be called from any thread, and callbacks may call Add and Remove;
// passes run one at a time. gSchedule is the one process-wide instance.
// Lock order: a node's lock before the list lock, never the other way.
#pragma once

#include "RecursiveLock.h"

#include <cstdint>

// Returns the delay until its next call, in milliseconds (negative: 0).
using ScheduleCallback = int32_t (*)(void* user);

struct ScheduleNode {
    ScheduleCallback callback = nullptr;
    void* user = nullptr;
    // Counter reading at arming time plus the delay, on the counter extended
    // to 64 bits (the upper half counts its wrap-arounds).
    uint64_t deadline = 0;
    ScheduleNode* next = nullptr;
    ScheduleNode* prev = nullptr;
    RecursiveLock nodeLock;  // held while the callback runs and while withdrawn
    int32_t active = 1;      // 0 once withdrawn
    int32_t pins = 0;        // Remove calls looking at the node; under listLock
};

class NxSchedule {
public:
    // `clock` is the 32-bit millisecond counter the deadlines refer to.
    explicit NxSchedule(uint32_t (*clock)() = nullptr);
    virtual ~NxSchedule();
    NxSchedule(const NxSchedule&) = delete;
    NxSchedule& operator=(const NxSchedule&) = delete;

    // Links a node first in the list, due `delayMs` from now.
    void Add(ScheduleCallback callback, void* user, int32_t delayMs);
    // Withdraws every node registered with this pair. When it returns, none
    // of them is running or will run again; the next pass that finds them
    // due frees them.
    void Remove(ScheduleCallback callback, void* user);
    // One pass over the list.
    virtual void RunDue();

private:
    // The counter extended to 64 bits; the caller holds listLock. Assumes it
    // is read at least once per wrap period (about 49.7 days).
    uint64_t Now();
    void Unlink(ScheduleNode* node);

    uint32_t (*clock)();
    uint32_t lastReading = 0;
    uint64_t wraps = 0;
    ScheduleNode sentinel;
    RecursiveLock listLock;  // the links, the pins, the counter extension
    RecursiveLock passLock;  // one RunDue pass at a time
};

extern NxSchedule& gSchedule;
