// The timer queue of delayed replies: replies wait here until they are due
// and go out in due order. Touched by the simulator's thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct SimOutgoing {
    uint32_t from = 0;  // terminal's address, host byte order
    uint32_t to = 0;    // requester's address, host byte order
    uint16_t toPort = 0;
    std::string bytes;
    bool throughLink = false;  // has passed the link model and is due to arrive
};

class ReplySchedule {
public:
    using Clock = std::chrono::steady_clock;

    void add(Clock::time_point due, SimOutgoing reply);
    // Moves every reply due by `now` into *due, earliest first.
    void takeDue(Clock::time_point now, std::vector<SimOutgoing>* due);
    // Milliseconds until the next reply is due (0 when one is overdue), -1 when empty.
    int msUntilNext(Clock::time_point now) const;
    void clear();

private:
    std::multimap<Clock::time_point, SimOutgoing> queue_;  // equal times keep their order
};
