// Where the engine listens and sends, and how long a waiting operation
// waits. The program uses the defaults; tests point it at loopback.
#pragma once

#include <cstdint>

struct EndpointSettings {
    uint16_t localPort = 59137;           // port the engine binds (0: any free port)
    uint16_t terminalPort = 59137;        // destination port of every request
    uint32_t broadcastAddress = 0xFFFFFFFFu;  // host byte order; 255.255.255.255
    // Whole wall-clock seconds a waiting operation waits: an unanswered
    // request ends after more than this and at most one second more.
    int replyTimeoutSeconds = 5;
};
