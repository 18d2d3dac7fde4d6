// The simulator's one UDP socket: learns each datagram's destination
// address (IP_PKTINFO) and sends each reply from a chosen local address.
// open/close on the owner's thread; wait and receive on the simulator's
// thread; wake and sendFrom from any thread (one datagram per call).
// SimSocket.cpp is the POSIX half, SimSocketWin.cpp the Windows one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#ifdef _WIN32
struct SimWinSocket;
#endif

class SimSocket {
public:
    enum class Wait { Readable, Woken, TimedOut, Failed };

    SimSocket() = default;
    ~SimSocket();
    SimSocket(const SimSocket&) = delete;
    SimSocket& operator=(const SimSocket&) = delete;

    // Binds bindAddress:port (host byte order; port 0 = any free port).
    // False with a reason in *error.
    bool open(uint32_t bindAddress, uint16_t port, std::string* error);
    void close();
    uint16_t port() const { return port_; }

    // Until a datagram can be read, wake() is called (then at once, for good)
    // or timeoutMs pass (-1: no limit).
    Wait wait(int timeoutMs);
    void wake();

    // One datagram into buffer without waiting; its length, or -1 when none
    // is waiting.
    // Addresses and port in host byte order. A datagram longer than the
    // buffer is cut (the simulator's buffer is larger than any UDP payload).
    int receive(char* buffer, size_t size, uint32_t* source, uint16_t* sourcePort, uint32_t* destination);
    // Sends one datagram with `from` as its source address. True when sent whole.
    bool sendFrom(uint32_t from, uint32_t to, uint16_t toPort, const char* data, size_t size);

private:
#ifdef _WIN32
    SimWinSocket* native_ = nullptr;
#else
    int fd_ = -1;
    int wakeFd_ = -1;
#endif
    uint16_t port_ = 0;
};
