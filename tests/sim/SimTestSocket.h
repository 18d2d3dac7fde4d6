// A plain UDP socket on 127.0.0.1 that plays the requesting program in the
// simulator's tests: sends raw request text and collects the replies with
// their source addresses. Used by one test thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SimDatagram {
    std::string bytes;
    uint32_t source = 0;  // host byte order
    uint16_t sourcePort = 0;
};

class SimTestSocket {
public:
    SimTestSocket();  // binds 127.0.0.1, any port, a large receive buffer
    ~SimTestSocket();
    SimTestSocket(const SimTestSocket&) = delete;
    SimTestSocket& operator=(const SimTestSocket&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    uint16_t port() const { return port_; }
    bool send(const std::string& bytes, uint32_t to, uint16_t toPort);
    // Collects datagrams until `count` have come or `timeoutMs` passed
    // without one arriving.
    std::vector<SimDatagram> collect(size_t count, int timeoutMs);

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// The header lines of a reply as key -> value (value after ": "); the status
// line under the key "".
struct SimReplyView {
    std::string status;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string value(const std::string& key) const;  // "" when absent
};
SimReplyView viewReply(const std::string& text);

constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFFu;  // 127.255.255.255
constexpr uint32_t kTestHost = 0x7F000001u;           // 127.0.0.1
