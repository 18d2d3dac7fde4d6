#include "LinkModel.h"

LinkModel::LinkModel(uint64_t rateBps, size_t queueBytes)
    : rateBps_(rateBps)
    , queueBytes_(queueBytes)
{
}

bool LinkModel::admit(Clock::time_point ready, size_t bytes, Clock::time_point* leaves)
{
    const size_t size = bytes + kHeaderBytes;
    if (!limited()) {
        *leaves = ready;
        return true;
    }
    // What still waits is what the link has not sent by `ready`: the
    // backlog in bytes follows from the time it still needs.
    const auto backlogTime = busyUntil_ > ready ? busyUntil_ - ready : Clock::duration::zero();
    const double backlogBytes
        = std::chrono::duration<double>(backlogTime).count() * static_cast<double>(rateBps_) / 8.0;
    if (backlogBytes + static_cast<double>(size) > static_cast<double>(queueBytes_))
        return false;
    busyUntil_ = (busyUntil_ > ready ? busyUntil_ : ready) + sendTime(size);
    *leaves = busyUntil_;
    return true;
}

LinkModel::Clock::duration LinkModel::sendTime(size_t bytes) const
{
    const std::chrono::duration<double> seconds(static_cast<double>(bytes) * 8.0 / static_cast<double>(rateBps_));
    return std::chrono::duration_cast<Clock::duration>(seconds);
}
