// UdpSocket: one IPv4 datagram socket bound to every local address, with
// broadcasting allowed and a large receive buffer. One thread may wait and
// receive while another sends; Shutdown may come from any thread and makes
// the wait fail at once. Open and Close must not overlap any other call.
// Addresses and ports are in host byte order. On Windows a send through a
// named interface goes out of one more socket bound to that interface's
// address (UdpSocketWin.cpp says why); the waits and receives cover it too.
#pragma once

#include <atomic>
#include <cstdint>

#ifdef _WIN32
struct WinSocketSet;  // the bound sockets and the events a wait watches
#endif

class UdpSocket {
public:
    enum class Wait { Readable, TimedOut, Failed };
    // ReceiveFrom: the datagram was dropped (too large, interrupted, an error
    // that concerns that datagram only); the socket goes on working.
    static constexpr int kSkipped = -1;
    // ReceiveFrom: the socket is shut down or closed; nothing more arrives.
    static constexpr int kFailed = -2;
    // SendTo without waiting: the send buffer has no room now.
    static constexpr int kNoRoom = -3;
    // What Open asks the system for, so replies to a broadcast can queue up.
    // Linux charges each queued datagram its whole kernel buffer (about
    // 2.3 KB for a 700-byte reply), so 5 MiB would hold only some 4 500
    // replies; 16 MiB holds the answers of 10 000 terminals to one search.
    static constexpr int kReceiveBufferBytes = 16 * 1024 * 1024;

    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds 0.0.0.0:port (0: any free port). False when the socket layer is
    // closed or the socket cannot be created or bound; the socket then
    // stays closed.
    bool Open(uint16_t port);
    bool IsOpen() const;
    // The bound port, 0 when closed.
    uint16_t LocalPort() const;
    // The receive buffer size as the system reports it.
    int ReceiveBufferSize() const;

    // Waits until a datagram can be read; timeoutMs -1 waits without limit.
    // Failed once the socket is shut down or closed.
    Wait WaitReadable(int timeoutMs);
    // Reads one datagram of at most `capacity` bytes without blocking and
    // returns its length, kSkipped or kFailed. A datagram longer than
    // `capacity` is dropped whole (kSkipped), never cut. `interfaceIndex`
    // (when given) receives the index of the interface it arrived on, 0
    // when the system does not say.
    int ReceiveFrom(char* buffer, int capacity, uint32_t* address, uint16_t* port, unsigned* interfaceIndex = nullptr);
    // Bytes sent, or -1. With an interface index other than 0 the datagram
    // leaves through that interface, with its address as the source, even
    // to 255.255.255.255 and whatever the routes say. Without `waitForRoom`
    // it returns kNoRoom at once where it would wait for the send buffer
    // (which datagrams to addresses still being resolved can fill).
    int SendTo(const char* data, int length, uint32_t address, uint16_t port, unsigned interfaceIndex = 0,
        bool waitForRoom = true);

    // Ends every present and future wait, receive and send on this socket.
    void Shutdown();
    // Whether the socket is shut down or closed: nothing can arrive any more.
    bool IsDown() const;
    void Close();

private:
#ifdef _WIN32
    WinSocketSet* sockets = nullptr;
#else
    int handle = -1;
    int wakeHandle = -1;  // becomes readable on Shutdown
#endif
    std::atomic<bool> down{false};
};
