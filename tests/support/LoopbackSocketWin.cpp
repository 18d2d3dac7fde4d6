#include "LoopbackSocket.h"

#include <winsock2.h>

LoopbackSocket::LoopbackSocket(uint32_t address)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    fd_ = static_cast<intptr_t>(handle);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    int length = sizeof local;
    const BOOL on = TRUE;
    if (bind(handle, reinterpret_cast<sockaddr*>(&local), length) == 0
        && getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length) == 0)
        port_ = ntohs(local.sin_port);
    setsockopt(handle, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
}

LoopbackSocket::~LoopbackSocket()
{
    closesocket(static_cast<SOCKET>(fd_));
    WSACleanup();
}

bool LoopbackSocket::send(const std::string& bytes, uint32_t to, uint16_t toPort)
{
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_addr.s_addr = htonl(to);
    dest.sin_port = htons(toPort);
    return sendto(static_cast<SOCKET>(fd_), bytes.data(), static_cast<int>(bytes.size()), 0,
                  reinterpret_cast<sockaddr*>(&dest), sizeof dest)
        == static_cast<int>(bytes.size());
}

std::vector<Datagram> LoopbackSocket::collect(size_t count, int quietMs)
{
    const SOCKET handle = static_cast<SOCKET>(fd_);
    std::vector<Datagram> out;
    std::vector<char> buffer(65536);
    while (out.size() < count) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle, &readable);
        timeval quiet{quietMs / 1000, (quietMs % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &quiet) != 1)
            break;
        sockaddr_in from{};
        int length = sizeof from;
        const int n = recvfrom(handle, buffer.data(), static_cast<int>(buffer.size()), 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0)
            break;
        out.push_back({std::string(buffer.data(), size_t(n)), ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)});
    }
    return out;
}
