#include "platform/UdpSocket.h"

#include "platform/SocketRegistry.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in ipv4Address(uint32_t address, uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
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
    handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    wakeHandle = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const sockaddr_in local = ipv4Address(INADDR_ANY, port);
    if (handle < 0 || wakeHandle < 0 || bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Close();
        return false;
    }
    const int on = 1;
    setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // Each datagram then tells which interface it came in on.
    setsockopt(handle, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    // The plain option is capped by net.core.rmem_max; the forcing one is
    // not, but needs administrator rights.
    const int size = kReceiveBufferBytes;
    if (setsockopt(handle, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    if (!RegisterSocket(this)) {
        Close();
        return false;
    }
    return true;
}

bool UdpSocket::IsOpen() const
{
    return handle >= 0;
}

uint16_t UdpSocket::LocalPort() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (handle < 0 || getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

int UdpSocket::ReceiveBufferSize() const
{
    int size = 0;
    socklen_t length = sizeof size;
    if (handle < 0 || getsockopt(handle, SOL_SOCKET, SO_RCVBUF, &size, &length) != 0)
        return 0;
    return size;
}

UdpSocket::Wait UdpSocket::WaitReadable(int timeoutMs)
{
    if (handle < 0 || down)
        return Wait::Failed;
    pollfd fds[2] = {{handle, POLLIN, 0}, {wakeHandle, POLLIN, 0}};
    const int ready = poll(fds, 2, timeoutMs);
    if (down || fds[1].revents != 0)
        return Wait::Failed;
    if (ready < 0)
        return errno == EINTR ? Wait::TimedOut : Wait::Failed;
    if (fds[0].revents & POLLNVAL)
        return Wait::Failed;
    // POLLERR: a pending error that the next read reports and clears.
    if (fds[0].revents & (POLLIN | POLLERR))
        return Wait::Readable;
    return Wait::TimedOut;
}

int UdpSocket::ReceiveFrom(char* buffer, int capacity, uint32_t* address, uint16_t* port, unsigned* interfaceIndex)
{
    if (handle < 0 || down)
        return kFailed;
    sockaddr_in from{};
    iovec data{buffer, static_cast<size_t>(capacity)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    // MSG_TRUNC makes the call report the datagram's real length, so a
    // datagram that did not fit is recognised and dropped.
    const ssize_t received = recvmsg(handle, &message, MSG_TRUNC | MSG_DONTWAIT);
    if (received < 0)
        return (errno == EBADF || errno == ENOTSOCK) ? kFailed : kSkipped;
    if (received > capacity)
        return kSkipped;
    *address = ntohl(from.sin_addr.s_addr);
    *port = ntohs(from.sin_port);
    if (interfaceIndex != nullptr) {
        *interfaceIndex = 0;
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(header), sizeof info);
                *interfaceIndex = static_cast<unsigned>(info.ipi_ifindex);
            }
        }
    }
    return static_cast<int>(received);
}

int UdpSocket::SendTo(
    const char* data, int length, uint32_t address, uint16_t port, unsigned interfaceIndex, bool waitForRoom)
{
    if (handle < 0 || down || data == nullptr || length < 0)
        return -1;
    sockaddr_in to = ipv4Address(address, port);
    iovec payload{const_cast<char*>(data), static_cast<size_t>(length)};
    msghdr message{};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &payload;
    message.msg_iovlen = 1;
    // Naming the interface (its addresses left 0) sends through it alone,
    // with its own address as the source.
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    if (interfaceIndex != 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = static_cast<int>(interfaceIndex);
        std::memcpy(CMSG_DATA(header), &info, sizeof info);
    }
    ssize_t sent;
    do {
        sent = sendmsg(handle, &message, MSG_NOSIGNAL | (waitForRoom ? 0 : MSG_DONTWAIT));
    } while (sent < 0 && errno == EINTR);
    if (sent < 0 && !waitForRoom && (errno == EAGAIN || errno == EWOULDBLOCK))
        return kNoRoom;
    return sent < 0 ? -1 : static_cast<int>(sent);
}

void UdpSocket::Shutdown()
{
    down = true;
    if (wakeHandle >= 0) {
        const uint64_t one = 1;
        (void)!write(wakeHandle, &one, sizeof one);
    }
}

bool UdpSocket::IsDown() const
{
    return handle < 0 || down;
}

void UdpSocket::Close()
{
    UnregisterSocket(this);
    if (handle >= 0)
        close(handle);
    if (wakeHandle >= 0)
        close(wakeHandle);
    handle = -1;
    wakeHandle = -1;
}
