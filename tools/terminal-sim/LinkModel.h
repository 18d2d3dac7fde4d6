// LinkModel: the link the replies leave through — a rate and a drop-tail
// queue in front of it, as a busy uplink or a cheap switch has. A reply
// that finds the queue full is lost; the others leave one after another at
// the link's rate. Touched by the simulator's thread only.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

class LinkModel {
public:
    using Clock = std::chrono::steady_clock;

    // Each datagram also carries this many bytes of IPv4 and UDP headers.
    static constexpr size_t kHeaderBytes = 28;

    // rateBps 0: no link model, every reply leaves when it is ready.
    LinkModel(uint64_t rateBps, size_t queueBytes);
    bool limited() const { return rateBps_ > 0; }

    // A datagram of `bytes` payload reaches the queue at `ready`: false when
    // the queue has no room for it, else *leaves is when it is through the
    // link. Calls come in order of `ready`.
    bool admit(Clock::time_point ready, size_t bytes, Clock::time_point* leaves);

private:
    Clock::duration sendTime(size_t bytes) const;

    uint64_t rateBps_;
    size_t queueBytes_;
    Clock::time_point busyUntil_;  // when everything admitted so far has left
};
