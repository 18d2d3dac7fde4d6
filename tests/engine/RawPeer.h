// RawPeer: a plain UDP socket on 127.0.0.1 for tests, standing in for a
// terminal that the simulator cannot imitate (oversized or raw datagrams)
// or for a receiver that only records what the engine sends.
#pragma once

#include <cstdint>
#include <string>

class RawPeer {
public:
    RawPeer();  // binds 127.0.0.1 on a free port
    ~RawPeer();
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    bool isOpen() const { return fd >= 0; }
    uint16_t port() const { return localPort; }

    bool sendTo(const std::string& bytes, uint16_t port, uint32_t address = 0x7F000001u);
    // One datagram, or false after timeoutMs without one.
    bool receive(std::string* bytes, int timeoutMs, uint16_t* fromPort = nullptr);
    // Reads and drops whatever arrives until `quietMs` pass without a datagram.
    int drain(int quietMs);

private:
    int fd = -1;
    uint16_t localPort = 0;
};

// The CSeq line of a request, -1 when it has none.
int requestCSeq(const std::string& request);
