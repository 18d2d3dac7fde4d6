// Where the engine listens and sends, how long a waiting operation waits,
// and the clock it measures that on. The program uses the defaults; tests
// point it at loopback and may substitute a clock of their own.
#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <vector>

struct EndpointSettings {
    uint16_t localPort = 59137;               // port the engine binds (0: any free port)
    uint16_t terminalPort = 59137;            // destination port of every request
    uint32_t broadcastAddress = 0xFFFFFFFFu;  // host byte order; 255.255.255.255
    // Seconds a waiting operation waits: an unanswered request ends after
    // more than this and at most one second more.
    int replyTimeoutSeconds = 5;
    // Monotonic milliseconds the deadlines are measured on; never the wall
    // clock, which a time sync may set back or forward during a wait.
    uint64_t (*clockMs)() = MonotonicMs;
    // Broadcasts to 255.255.255.255 leave through every adapter that is up
    // and can broadcast, not only the default route's; false once a
    // destination of its own is given, which is then used alone.
    bool everyAdapter = true;
    // When each GET of one search goes out, in milliseconds from its start:
    // a terminal whose reply to one of them is lost answers another.
    std::vector<int> searchSendsMs = {0, 250, 500, 1000};
    // GETs by address per second when a search sweeps ranges of addresses:
    // slow enough for a router to resolve each address it forwards to. It
    // holds an unresolved one for about three seconds, in a table that
    // starts dropping them past 512 entries (Linux's defaults): 1 000 a
    // second found a third of the terminals behind one, 5 000 under a tenth,
    // 150 all of them.
    int sweepRate = 150;
};
