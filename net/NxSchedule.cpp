#include "NxSchedule.h"

#include "platform/Clock.h"

#include <vector>

// Never destroyed: engines may still withdraw during static destruction.
NxSchedule& gSchedule = *new NxSchedule;

NxSchedule::NxSchedule(uint32_t (*clock)())
    : clock(clock ? clock : TickCountMs)
{
    sentinel.next = &sentinel;
    sentinel.prev = &sentinel;
    lastReading = this->clock();
}

NxSchedule::~NxSchedule()
{
    while (sentinel.next != &sentinel) {
        ScheduleNode* node = sentinel.next;
        {
            RecursiveLockGuard held(node->nodeLock);
            Unlink(node);
        }
        delete node;
    }
}

uint64_t NxSchedule::Now()
{
    const uint32_t reading = clock();
    if (reading < lastReading)
        wraps += uint64_t(1) << 32;
    lastReading = reading;
    return wraps + reading;
}

void NxSchedule::Unlink(ScheduleNode* node)
{
    node->prev->next = node->next;
    node->next->prev = node->prev;
    node->next = node->prev = nullptr;
}

void NxSchedule::Add(ScheduleCallback callback, void* user, int32_t delayMs)
{
    auto* node = new ScheduleNode;
    node->callback = callback;
    node->user = user;
    RecursiveLockGuard listed(listLock);
    node->deadline = Now() + static_cast<uint64_t>(delayMs < 0 ? 0 : delayMs);
    node->prev = &sentinel;
    node->next = sentinel.next;
    sentinel.next->prev = node;
    sentinel.next = node;
}

void NxSchedule::Remove(ScheduleCallback callback, void* user)
{
    // Callback, user and active change only under both the node's lock and
    // the list lock, so either lock is enough to read them. The matches are
    // pinned so that no pass frees them while this call waits for a running
    // callback without holding the list lock.
    std::vector<ScheduleNode*> matches;
    {
        RecursiveLockGuard listed(listLock);
        for (ScheduleNode* node = sentinel.next; node != &sentinel; node = node->next) {
            if (node->active && node->callback == callback && node->user == user) {
                ++node->pins;
                matches.push_back(node);
            }
        }
    }

    for (ScheduleNode* node : matches) {
        {
            RecursiveLockGuard held(node->nodeLock);
            RecursiveLockGuard listed(listLock);
            node->callback = nullptr;
            node->user = nullptr;
            node->active = 0;
        }
        // Last touch: once unpinned, a pass may free the node.
        RecursiveLockGuard listed(listLock);
        --node->pins;
    }
}

void NxSchedule::RunDue()
{
    RecursiveLockGuard onePass(passLock);
    uint64_t now = 0;
    ScheduleNode* node = nullptr;
    {
        RecursiveLockGuard listed(listLock);
        now = Now();
        node = sentinel.next;
    }

    // Only a pass unlinks nodes, and passes do not overlap, so the node in
    // hand and its successor stay valid while the list lock is released.
    while (node != &sentinel) {
        ScheduleNode* following = nullptr;
        const bool due = node->deadline <= now;
        bool withdrawn = false;
        bool unlinked = false;
        {
            RecursiveLockGuard listed(listLock);
            following = node->next;
            withdrawn = node->active == 0;
            // Withdrawn and unpinned: nothing else can reach the node.
            if (due && withdrawn && node->pins == 0) {
                Unlink(node);
                unlinked = true;
            }
        }
        if (unlinked) {
            delete node;
        } else if (due && !withdrawn) {
            int32_t delay = 0;
            {
                RecursiveLockGuard held(node->nodeLock);
                if (node->callback && node->user)
                    delay = node->callback(node->user);
            }
            node->deadline = now + static_cast<uint64_t>(delay < 0 ? 0 : delay);
        }
        node = following;
    }
}
