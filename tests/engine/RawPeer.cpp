#include "RawPeer.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

RawPeer::RawPeer()
{
    fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        if (fd >= 0)
            close(fd);
        fd = -1;
        return;
    }
    localPort = ntohs(local.sin_port);
    const int size = 8 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size);
}

RawPeer::~RawPeer()
{
    if (fd >= 0)
        close(fd);
}

bool RawPeer::sendTo(const std::string& bytes, uint16_t port, uint32_t address)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    return sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to)
        == static_cast<ssize_t>(bytes.size());
}

bool RawPeer::receive(std::string* bytes, int timeoutMs, uint16_t* fromPort)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) != 1)
        return false;
    char buffer[65536];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0)
        return false;
    bytes->assign(buffer, static_cast<size_t>(n));
    if (fromPort)
        *fromPort = ntohs(from.sin_port);
    return true;
}

int RawPeer::drain(int quietMs)
{
    int count = 0;
    std::string ignored;
    while (receive(&ignored, quietMs))
        ++count;
    return count;
}

int requestCSeq(const std::string& request)
{
    const size_t at = request.find("\r\nCSeq: ");
    int cseq = -1;
    if (at == std::string::npos || std::sscanf(request.c_str() + at + 8, "%d", &cseq) != 1)
        return -1;
    return cseq;
}
