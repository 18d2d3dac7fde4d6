#include "platform/UdpSocket.h"

#include "platform/NetworkInterfaces.h"
#include "platform/SocketRegistry.h"

#include <winsock2.h>
#include <mswsock.h>
#include <ws2tcpip.h>

#include <mutex>
#include <vector>

// A limited broadcast leaves Windows only through the adapter of the
// preferred route, and WSASendMsg with IP_PKTINFO cannot be relied on to pick
// another (Wine ignores it and fails with WSAENETUNREACH). So a send through
// a named adapter goes out of one more socket bound to that adapter's own
// address and the same port: the request bytes, the source port and the CSeq
// stay exactly as through the main socket. Replies may come in on any of the
// sockets, so the wait watches all of them; each also hears our own
// broadcast come back, which is dropped here.
struct WinSocketSet {
    struct Bound {
        unsigned index = 0;  // adapter; 0 for the main socket
        uint32_t address = 0;
        SOCKET handle = INVALID_SOCKET;
        WSAEVENT readable = WSA_INVALID_EVENT;
    };
    Bound main;
    WSAEVENT wake = WSA_INVALID_EVENT;  // set by Shutdown and stays set
    HANDLE changed = nullptr;           // auto-reset: an adapter socket was added
    LPFN_WSARECVMSG recvMsg = nullptr;
    uint16_t port = 0;
    std::mutex guard;                   // adapters and retired: the sender adds while the receiver reads
    std::vector<Bound> adapters;
    std::vector<Bound> retired;         // closed only by Close, a wait may still watch them
    size_t nextReader = 0;              // receiving thread only
};

namespace {

// Room for the wake and change events besides the sockets.
constexpr size_t kMaxAdapters = WSA_MAXIMUM_WAIT_EVENTS - 3;
constexpr int kSendRetries = 1000;

sockaddr_in ipv4Address(uint32_t address, uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

void closeBound(WinSocketSet::Bound* bound)
{
    if (bound->handle != INVALID_SOCKET)
        closesocket(bound->handle);
    if (bound->readable != WSA_INVALID_EVENT)
        WSACloseEvent(bound->readable);
    bound->handle = INVALID_SOCKET;
    bound->readable = WSA_INVALID_EVENT;
}

// A socket for address:port, shared with the others of this UdpSocket,
// broadcasting, non-blocking and signalling `readable`.
bool openBound(WinSocketSet::Bound* bound, uint32_t address, uint16_t port)
{
    bound->address = address;
    bound->handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    bound->readable = WSACreateEvent();
    if (bound->handle == INVALID_SOCKET || bound->readable == WSA_INVALID_EVENT)
        return false;
    const BOOL on = TRUE;
    setsockopt(bound->handle, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in local = ipv4Address(address, port);
    if (bind(bound->handle, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return false;
    setsockopt(bound->handle, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
    const int size = UdpSocket::kReceiveBufferBytes;
    setsockopt(bound->handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    // Otherwise an ICMP port-unreachable for an earlier send (a read by
    // address, a sweep) comes back as WSAECONNRESET on a later receive.
    BOOL reportReset = FALSE;
    DWORD bytes = 0;
    WSAIoctl(bound->handle, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &bytes, nullptr, nullptr);
    return WSAEventSelect(bound->handle, bound->readable, FD_READ) == 0;
}

// The free port a plain bind gets, or false when `port` is taken: without
// SO_REUSEADDR, so that a port another program holds is still refused.
bool trialBind(uint16_t port, uint16_t* granted)
{
    const SOCKET trial = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (trial == INVALID_SOCKET)
        return false;
    sockaddr_in local = ipv4Address(INADDR_ANY, port);
    int length = sizeof local;
    const bool bound = bind(trial, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0
        && getsockname(trial, reinterpret_cast<sockaddr*>(&local), &length) == 0;
    closesocket(trial);
    *granted = ntohs(local.sin_port);
    return bound;
}

LPFN_WSARECVMSG receiveMessageFunction(SOCKET handle)
{
    GUID id = WSAID_WSARECVMSG;
    LPFN_WSARECVMSG function = nullptr;
    DWORD bytes = 0;
    if (WSAIoctl(handle, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function, &bytes,
                 nullptr, nullptr) != 0)
        return nullptr;
    return function;
}

bool socketGone(int error)
{
    return error == WSAENOTSOCK || error == WSANOTINITIALISED || error == WSAESHUTDOWN || error == WSAEINVAL;
}

}  // namespace

UdpSocket::~UdpSocket()
{
    Close();
}

bool UdpSocket::Open(uint16_t port)
{
    Close();
    down = false;
    // Our own reference to the socket layer keeps the handles valid (never
    // reused by another socket) until Close, even after the last
    // SocketLayerShutdown.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    sockets = new WinSocketSet;
    sockets->wake = WSACreateEvent();
    sockets->changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (sockets->wake == WSA_INVALID_EVENT || sockets->changed == nullptr || !trialBind(port, &sockets->port)
        || !openBound(&sockets->main, INADDR_ANY, sockets->port)) {
        Close();
        return false;
    }
    // Each datagram on the main socket then tells which adapter it came in on.
    const DWORD on = TRUE;
    setsockopt(sockets->main.handle, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on);
    sockets->recvMsg = receiveMessageFunction(sockets->main.handle);
    if (!RegisterSocket(this)) {
        Close();
        return false;
    }
    return true;
}

bool UdpSocket::IsOpen() const
{
    return sockets != nullptr;
}

uint16_t UdpSocket::LocalPort() const
{
    return sockets != nullptr ? sockets->port : 0;
}

int UdpSocket::ReceiveBufferSize() const
{
    int size = 0;
    int length = sizeof size;
    if (sockets == nullptr
        || getsockopt(sockets->main.handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size), &length) != 0)
        return 0;
    return size;
}

UdpSocket::Wait UdpSocket::WaitReadable(int timeoutMs)
{
    if (sockets == nullptr || down)
        return Wait::Failed;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        WSAEVENT events[WSA_MAXIMUM_WAIT_EVENTS];
        DWORD count = 0;
        events[count++] = sockets->wake;
        events[count++] = sockets->changed;
        events[count++] = sockets->main.readable;
        {
            std::lock_guard<std::mutex> lock(sockets->guard);
            for (const WinSocketSet::Bound& bound : sockets->adapters)
                events[count++] = bound.readable;
        }
        DWORD wait = WSA_INFINITE;
        if (timeoutMs >= 0) {
            const ULONGLONG now = GetTickCount64();
            wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        const DWORD result = WSAWaitForMultipleEvents(count, events, FALSE, wait, FALSE);
        if (down || result == WSA_WAIT_EVENT_0)
            return Wait::Failed;
        if (result == WSA_WAIT_TIMEOUT)
            return Wait::TimedOut;
        if (result == WSA_WAIT_FAILED || result >= WSA_WAIT_EVENT_0 + count)
            return Wait::Failed;
        // The socket set changed: wait again, on all of them.
        if (result == WSA_WAIT_EVENT_0 + 1)
            continue;
        return Wait::Readable;
    }
}

namespace {

// One datagram from `bound`, or WSAEWOULDBLOCK in *error when none waits.
int receiveOne(WinSocketSet& s, const WinSocketSet::Bound& bound, char* buffer, int capacity,
               sockaddr_in* from, unsigned* arrival, int* error)
{
    *error = 0;
    *arrival = bound.index;
    if (bound.index == 0 && s.recvMsg != nullptr) {
        char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
        WSABUF data{static_cast<ULONG>(capacity), buffer};
        WSAMSG message{};
        message.name = reinterpret_cast<sockaddr*>(from);
        message.namelen = sizeof *from;
        message.lpBuffers = &data;
        message.dwBufferCount = 1;
        message.Control.buf = control;
        message.Control.len = sizeof control;
        DWORD received = 0;
        if (s.recvMsg(bound.handle, &message, &received, nullptr, nullptr) != 0) {
            *error = WSAGetLastError();
            return -1;
        }
        if (message.dwFlags & MSG_TRUNC) {
            *error = WSAEMSGSIZE;
            return -1;
        }
        for (WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message); header != nullptr;
             header = WSA_CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO)
                *arrival = reinterpret_cast<const IN_PKTINFO*>(WSA_CMSG_DATA(header))->ipi_ifindex;
        }
        return static_cast<int>(received);
    }
    int length = sizeof *from;
    const int received = recvfrom(bound.handle, buffer, capacity, 0, reinterpret_cast<sockaddr*>(from), &length);
    if (received < 0)
        *error = WSAGetLastError();
    return received;
}

}  // namespace

int UdpSocket::ReceiveFrom(char* buffer, int capacity, uint32_t* address, uint16_t* port, unsigned* interfaceIndex)
{
    if (sockets == nullptr || down)
        return kFailed;
    WinSocketSet::Bound all[WSA_MAXIMUM_WAIT_EVENTS];
    size_t count = 0;
    all[count++] = sockets->main;
    {
        std::lock_guard<std::mutex> lock(sockets->guard);
        for (const WinSocketSet::Bound& bound : sockets->adapters)
            all[count++] = bound;
    }
    // Round robin, so that a flood on one adapter does not starve the others.
    for (size_t tried = 0; tried < count; ++tried) {
        const WinSocketSet::Bound& bound = all[sockets->nextReader++ % count];
        // A receive re-arms the event, so resetting just before it loses
        // nothing: a datagram left waiting sets the event again.
        WSAResetEvent(bound.readable);
        sockaddr_in from{};
        unsigned arrival = 0;
        int error = 0;
        const int received = receiveOne(*sockets, bound, buffer, capacity, &from, &arrival, &error);
        if (error == WSAEWOULDBLOCK)
            continue;
        if (down || socketGone(error))
            return kFailed;
        // WSAEMSGSIZE: too long, dropped whole. WSAECONNRESET and the
        // like: about an earlier send, not the end of the socket.
        if (received < 0)
            return kSkipped;
        const uint32_t sender = ntohl(from.sin_addr.s_addr);
        const uint16_t senderPort = ntohs(from.sin_port);
        for (size_t i = 1; i < count; ++i) {
            if (all[i].address == sender && senderPort == sockets->port)
                return kSkipped;
        }
        *address = sender;
        *port = senderPort;
        if (interfaceIndex != nullptr)
            *interfaceIndex = arrival;
        return received;
    }
    return kSkipped;
}

namespace {

// The socket bound to adapter `index`, opened on first use; INVALID_SOCKET
// when there is no such adapter (or no room to watch another socket).
SOCKET adapterSocket(WinSocketSet& s, unsigned index)
{
    std::lock_guard<std::mutex> lock(s.guard);
    for (const WinSocketSet::Bound& bound : s.adapters) {
        if (bound.index == index)
            return bound.handle;
    }
    if (s.adapters.size() >= kMaxAdapters)
        return INVALID_SOCKET;
    for (const NetworkInterface& adapter : ListBroadcastInterfaces()) {
        if (adapter.index != index)
            continue;
        WinSocketSet::Bound bound;
        bound.index = index;
        if (!openBound(&bound, adapter.address, s.port)) {
            closeBound(&bound);
            return INVALID_SOCKET;
        }
        s.adapters.push_back(bound);
        SetEvent(s.changed);
        return bound.handle;
    }
    return INVALID_SOCKET;
}

// After a failed send: the adapter may have a new address, so its socket
// is opened afresh next time.
void retireAdapterSocket(WinSocketSet& s, unsigned index)
{
    std::lock_guard<std::mutex> lock(s.guard);
    for (auto it = s.adapters.begin(); it != s.adapters.end(); ++it) {
        if (it->index == index) {
            s.retired.push_back(*it);
            s.adapters.erase(it);
            return;
        }
    }
}

}  // namespace

int UdpSocket::SendTo(
    const char* data, int length, uint32_t address, uint16_t port, unsigned interfaceIndex, bool waitForRoom)
{
    if (sockets == nullptr || down || data == nullptr || length < 0)
        return -1;
    const sockaddr_in to = ipv4Address(address, port);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const SOCKET handle = interfaceIndex == 0 ? sockets->main.handle : adapterSocket(*sockets, interfaceIndex);
        if (handle == INVALID_SOCKET)
            return -1;
        // The sockets are non-blocking (they signal events): a full send
        // buffer drains in moments, so wait for it as a blocking send would.
        for (int retry = 0; retry < kSendRetries && !down; ++retry) {
            const int sent = sendto(handle, data, length, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            if (sent >= 0)
                return sent;
            if (WSAGetLastError() != WSAEWOULDBLOCK)
                break;
            if (!waitForRoom)
                return kNoRoom;
            Sleep(1);
        }
        if (interfaceIndex == 0 || down)
            return -1;
        retireAdapterSocket(*sockets, interfaceIndex);
    }
    return -1;
}

void UdpSocket::Shutdown()
{
    down = true;
    if (sockets != nullptr)
        WSASetEvent(sockets->wake);
}

bool UdpSocket::IsDown() const
{
    return sockets == nullptr || down;
}

void UdpSocket::Close()
{
    UnregisterSocket(this);
    if (sockets == nullptr)
        return;
    closeBound(&sockets->main);
    for (WinSocketSet::Bound& bound : sockets->adapters)
        closeBound(&bound);
    for (WinSocketSet::Bound& bound : sockets->retired)
        closeBound(&bound);
    if (sockets->wake != WSA_INVALID_EVENT)
        WSACloseEvent(sockets->wake);
    if (sockets->changed != nullptr)
        CloseHandle(sockets->changed);
    delete sockets;
    sockets = nullptr;
    WSACleanup();
}
