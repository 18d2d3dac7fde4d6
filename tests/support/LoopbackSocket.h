// LoopbackSocket: a plain UDP socket on 127.0.0.1 (or another loopback
// address) for tests. It plays the
// requesting program towards the simulator, or a terminal the simulator
// cannot imitate towards the engine. Used by one test thread.
// LoopbackSocket.cpp is the POSIX half, LoopbackSocketWin.cpp the Windows one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kLocalhost = 0x7F000001u;          // 127.0.0.1
constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFFu;  // 127.255.255.255

struct Datagram {
    std::string bytes;
    uint32_t source = 0;  // host byte order
    uint16_t sourcePort = 0;
};

class LoopbackSocket {
public:
    explicit LoopbackSocket(uint32_t address = kLocalhost);  // a free port there, broadcasts allowed
    ~LoopbackSocket();
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    uint16_t port() const { return port_; }
    bool send(const std::string& bytes, uint32_t to, uint16_t toPort);
    // Datagrams until `count` have come or `quietMs` passed without one.
    std::vector<Datagram> collect(size_t count, int quietMs);

private:
    intptr_t fd_ = -1;  // wide enough for a Windows SOCKET
    uint16_t port_ = 0;
};

// The value of a message's "Key: value" line, "" when it has none.
std::string headerValue(const std::string& message, const std::string& key);
