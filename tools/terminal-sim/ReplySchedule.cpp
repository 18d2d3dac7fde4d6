#include "ReplySchedule.h"

void ReplySchedule::add(Clock::time_point due, SimOutgoing reply)
{
    queue_.emplace(due, std::move(reply));
}

void ReplySchedule::takeDue(Clock::time_point now, std::vector<SimOutgoing>* due)
{
    auto end = queue_.upper_bound(now);
    for (auto it = queue_.begin(); it != end; ++it)
        due->push_back(std::move(it->second));
    queue_.erase(queue_.begin(), end);
}

int ReplySchedule::msUntilNext(Clock::time_point now) const
{
    if (queue_.empty())
        return -1;
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(queue_.begin()->first - now);
    return wait.count() > 0 ? static_cast<int>(wait.count()) : 0;
}

void ReplySchedule::clear()
{
    queue_.clear();
}
