#include "LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackSocket::LoopbackSocket(uint32_t address)
    : fd_(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    socklen_t length = sizeof local;
    const int on = 1;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&local), length) == 0
        && getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) == 0)
        port_ = ntohs(local.sin_port);
    setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
}

LoopbackSocket::~LoopbackSocket()
{
    close(fd_);
}

bool LoopbackSocket::send(const std::string& bytes, uint32_t to, uint16_t toPort)
{
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_addr.s_addr = htonl(to);
    dest.sin_port = htons(toPort);
    return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&dest), sizeof dest)
        == static_cast<ssize_t>(bytes.size());
}

std::vector<Datagram> LoopbackSocket::collect(size_t count, int quietMs)
{
    std::vector<Datagram> out;
    std::vector<char> buffer(65536);
    pollfd p{static_cast<int>(fd_), POLLIN, 0};
    while (out.size() < count && poll(&p, 1, quietMs) == 1) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0)
            break;
        out.push_back({std::string(buffer.data(), size_t(n)), ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)});
    }
    return out;
}
