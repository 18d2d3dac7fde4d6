#include "SimSocket.h"

#include <winsock2.h>
#include <mswsock.h>
#include <ws2tcpip.h>

#include <cstring>
#include <vector>

// Replies name their source address in an IP_PKTINFO control message, as on
// Linux. Wine ignores it (and binds a socket for a loopback address to the
// whole device), so under Wine, where raw sockets are Linux's own, each reply
// goes out as a whole IPv4 packet carrying the terminal's address instead.
struct SimWinSocket {
    SOCKET handle = INVALID_SOCKET;
    SOCKET raw = INVALID_SOCKET;  // under Wine only
    WSAEVENT readable = WSA_INVALID_EVENT;
    WSAEVENT woken = WSA_INVALID_EVENT;  // manual reset: stays set once woken
    LPFN_WSARECVMSG recvMsg = nullptr;
    LPFN_WSASENDMSG sendMsg = nullptr;
};

namespace {

// Big enough for a burst of requests and ten thousand queued replies.
constexpr int kBufferBytes = 8 * 1024 * 1024;

std::string errorText(const char* what)
{
    return std::string(what) + ": Winsock error " + std::to_string(WSAGetLastError());
}

sockaddr_in ipv4Address(uint32_t address, uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

template <typename Function> Function extension(SOCKET handle, GUID id)
{
    Function function = nullptr;
    DWORD bytes = 0;
    if (WSAIoctl(handle, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function, &bytes,
                 nullptr, nullptr) != 0)
        return nullptr;
    return function;
}

bool underWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// An IPv4 + UDP packet; the system fills in the IP checksum, and a UDP
// checksum of 0 means none.
bool sendRaw(SOCKET raw, uint32_t from, uint16_t fromPort, uint32_t to, uint16_t toPort, const char* data, size_t size)
{
    constexpr size_t kHeaders = 28;
    std::vector<unsigned char> packet(kHeaders + size);
    const auto put16 = [&](size_t at, size_t value) {
        packet[at] = static_cast<unsigned char>(value >> 8);
        packet[at + 1] = static_cast<unsigned char>(value);
    };
    const auto put32 = [&](size_t at, uint32_t value) {
        put16(at, value >> 16);
        put16(at + 2, value & 0xFFFFu);
    };
    packet[0] = 0x45;  // version 4, 20-byte header
    put16(2, packet.size());
    packet[8] = 64;  // time to live
    packet[9] = IPPROTO_UDP;
    put32(12, from);
    put32(16, to);
    put16(20, fromPort);
    put16(22, toPort);
    put16(24, 8 + size);
    std::memcpy(packet.data() + kHeaders, data, size);
    const sockaddr_in dest = ipv4Address(to, 0);
    return sendto(raw, reinterpret_cast<const char*>(packet.data()), static_cast<int>(packet.size()), 0,
                  reinterpret_cast<const sockaddr*>(&dest), sizeof dest)
        == static_cast<int>(packet.size());
}

}  // namespace

SimSocket::~SimSocket()
{
    close();
}

bool SimSocket::open(uint32_t bindAddress, uint16_t port, std::string* error)
{
    close();
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        *error = "WSAStartup failed";
        return false;
    }
    native_ = new SimWinSocket;
    SimWinSocket& s = *native_;
    s.handle = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    s.readable = WSACreateEvent();
    s.woken = WSACreateEvent();
    if (s.handle == INVALID_SOCKET || s.readable == WSA_INVALID_EVENT || s.woken == WSA_INVALID_EVENT) {
        *error = errorText("socket");
        close();
        return false;
    }
    // Exclusive: a second program on the same port must fail to start
    // rather than share the port's datagrams.
    const DWORD on = TRUE;
    setsockopt(s.handle, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    if (setsockopt(s.handle, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on) != 0) {
        *error = errorText("IP_PKTINFO");
        close();
        return false;
    }
    const int size = kBufferBytes;
    setsockopt(s.handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    setsockopt(s.handle, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size);
    // A reply to a program that has gone must not fail a later receive.
    BOOL reportReset = FALSE;
    DWORD bytes = 0;
    WSAIoctl(s.handle, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &bytes, nullptr, nullptr);

    sockaddr_in local = ipv4Address(bindAddress, port);
    if (::bind(s.handle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        *error = "bind to port " + std::to_string(port) + ": Winsock error " + std::to_string(WSAGetLastError());
        close();
        return false;
    }
    int length = sizeof local;
    getsockname(s.handle, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
    if (underWine())
        s.raw = ::socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
    s.recvMsg = extension<LPFN_WSARECVMSG>(s.handle, WSAID_WSARECVMSG);
    s.sendMsg = extension<LPFN_WSASENDMSG>(s.handle, WSAID_WSASENDMSG);
    if (s.recvMsg == nullptr || s.sendMsg == nullptr || WSAEventSelect(s.handle, s.readable, FD_READ) != 0) {
        *error = errorText("socket set-up");
        close();
        return false;
    }
    return true;
}

void SimSocket::close()
{
    if (native_ == nullptr)
        return;
    if (native_->handle != INVALID_SOCKET)
        closesocket(native_->handle);
    if (native_->raw != INVALID_SOCKET)
        closesocket(native_->raw);
    if (native_->readable != WSA_INVALID_EVENT)
        WSACloseEvent(native_->readable);
    if (native_->woken != WSA_INVALID_EVENT)
        WSACloseEvent(native_->woken);
    delete native_;
    native_ = nullptr;
    port_ = 0;
    WSACleanup();
}

SimSocket::Wait SimSocket::wait(int timeoutMs)
{
    WSAEVENT events[2] = {native_->woken, native_->readable};
    const DWORD result =
        WSAWaitForMultipleEvents(2, events, FALSE, timeoutMs < 0 ? WSA_INFINITE : DWORD(timeoutMs), FALSE);
    if (result == WSA_WAIT_EVENT_0)
        return Wait::Woken;
    if (result == WSA_WAIT_EVENT_0 + 1)
        return Wait::Readable;
    return result == WSA_WAIT_TIMEOUT ? Wait::TimedOut : Wait::Failed;
}

void SimSocket::wake()
{
    WSASetEvent(native_->woken);
}

int SimSocket::receive(char* buffer, size_t size, uint32_t* source, uint16_t* sourcePort, uint32_t* destination)
{
    // The receive re-arms the event: a datagram still waiting sets it again.
    WSAResetEvent(native_->readable);
    sockaddr_in from{};
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSABUF data{static_cast<ULONG>(size), buffer};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&from);
    message.namelen = sizeof from;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control.buf = control;
    message.Control.len = sizeof control;
    DWORD received = 0;
    if (native_->recvMsg(native_->handle, &message, &received, nullptr, nullptr) != 0)
        return -1;
    *source = ntohl(from.sin_addr.s_addr);
    *sourcePort = ntohs(from.sin_port);
    *destination = 0;
    for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message); c != nullptr; c = WSA_CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            IN_PKTINFO info;
            std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
            *destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    return static_cast<int>(received);
}

bool SimSocket::sendFrom(uint32_t from, uint32_t to, uint16_t toPort, const char* data, size_t size)
{
    if (native_->raw != INVALID_SOCKET)
        return sendRaw(native_->raw, from, port_, to, toPort, data, size);
    sockaddr_in dest = ipv4Address(to, toPort);
    WSABUF payload{static_cast<ULONG>(size), const_cast<char*>(data)};
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&dest);
    message.namelen = sizeof dest;
    message.lpBuffers = &payload;
    message.dwBufferCount = 1;
    message.Control.buf = control;
    message.Control.len = sizeof control;
    WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = WSA_CMSG_LEN(sizeof(IN_PKTINFO));
    IN_PKTINFO info{};
    info.ipi_addr.s_addr = htonl(from);
    std::memcpy(WSA_CMSG_DATA(c), &info, sizeof info);
    DWORD sent = 0;
    // Non-blocking (the socket signals an event): a full send buffer
    // drains in moments, so wait for it as a blocking send would.
    for (int retry = 0; retry < 1000; ++retry) {
        if (native_->sendMsg(native_->handle, &message, 0, &sent, nullptr, nullptr) == 0)
            return sent == size;
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        Sleep(1);
    }
    return false;
}
