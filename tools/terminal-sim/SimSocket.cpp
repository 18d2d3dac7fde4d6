#include "SimSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Big enough for a burst of requests and ten thousand queued replies.
constexpr int kBufferBytes = 8 * 1024 * 1024;

void setBuffer(int fd, int forced, int plain)
{
    int size = kBufferBytes;
    if (setsockopt(fd, SOL_SOCKET, forced, &size, sizeof size) != 0)
        setsockopt(fd, SOL_SOCKET, plain, &size, sizeof size);
}

}  // namespace

SimSocket::~SimSocket()
{
    close();
}

bool SimSocket::open(uint32_t bindAddress, uint16_t port, std::string* error)
{
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0 || wakeFd_ < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        close();
        return false;
    }
    // No SO_REUSEADDR: a second program on the same port must fail to
    // start rather than share the port's datagrams.
    int on = 1;
    if (setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0) {
        *error = std::string("IP_PKTINFO: ") + std::strerror(errno);
        close();
        return false;
    }
    setBuffer(fd_, SO_RCVBUFFORCE, SO_RCVBUF);
    setBuffer(fd_, SO_SNDBUFFORCE, SO_SNDBUF);

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(bindAddress);
    local.sin_port = htons(port);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        *error = "bind to port " + std::to_string(port) + ": " + std::strerror(errno);
        close();
        return false;
    }
    socklen_t len = sizeof local;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &len);
    port_ = ntohs(local.sin_port);
    return true;
}

void SimSocket::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
    fd_ = -1;
    wakeFd_ = -1;
    port_ = 0;
}

SimSocket::Wait SimSocket::wait(int timeoutMs)
{
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) < 0)
        return errno == EINTR ? Wait::TimedOut : Wait::Failed;
    if (fds[1].revents != 0)
        return Wait::Woken;
    return (fds[0].revents & POLLIN) ? Wait::Readable : Wait::TimedOut;
}

void SimSocket::wake()
{
    const uint64_t one = 1;
    if (write(wakeFd_, &one, sizeof one) < 0)
        perror("terminal simulator: wake");
}

int SimSocket::receive(char* buffer, size_t size, uint32_t* source, uint16_t* sourcePort, uint32_t* destination)
{
    sockaddr_in from{};
    iovec iov{buffer, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n = ::recvmsg(fd_, &msg, MSG_DONTWAIT);
    if (n < 0)
        return -1;
    *source = ntohl(from.sin_addr.s_addr);
    *sourcePort = ntohs(from.sin_port);
    *destination = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            *destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    return static_cast<int>(n);
}

bool SimSocket::sendFrom(uint32_t from, uint32_t to, uint16_t toPort, const char* data, size_t size)
{
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_addr.s_addr = htonl(to);
    dest.sin_port = htons(toPort);
    iovec iov{const_cast<char*>(data), size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = &dest;
    msg.msg_namelen = sizeof dest;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = htonl(from);
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
    ssize_t n;
    do {
        n = ::sendmsg(fd_, &msg, 0);
    } while (n < 0 && errno == EINTR);
    return n >= 0 && static_cast<size_t>(n) == size;
}
