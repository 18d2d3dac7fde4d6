#include "SimTestSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

SimTestSocket::SimTestSocket()
{
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // Ten thousand replies at once must fit.
    int size = 64 * 1024 * 1024;
    if (setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(kTestHost);
    socklen_t len = sizeof local;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &len) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    port_ = ntohs(local.sin_port);
}

SimTestSocket::~SimTestSocket()
{
    if (fd_ >= 0)
        close(fd_);
}

bool SimTestSocket::send(const std::string& bytes, uint32_t to, uint16_t toPort)
{
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_addr.s_addr = htonl(to);
    dest.sin_port = htons(toPort);
    ssize_t n = sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&dest),
                       sizeof dest);
    return n == static_cast<ssize_t>(bytes.size());
}

std::vector<SimDatagram> SimTestSocket::collect(size_t count, int timeoutMs)
{
    std::vector<SimDatagram> out;
    std::vector<char> buffer(65536);
    while (out.size() < count) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            break;
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), 0,
                             reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0)
            break;
        out.push_back({std::string(buffer.data(), static_cast<size_t>(n)),
                       ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)});
    }
    return out;
}

std::string SimReplyView::value(const std::string& key) const
{
    for (const auto& h : headers) {
        if (h.first == key)
            return h.second;
    }
    return std::string();
}

SimReplyView viewReply(const std::string& text)
{
    SimReplyView view;
    size_t start = 0;
    size_t end = text.find("\r\n");
    if (end == std::string::npos)
        return view;
    view.status = text.substr(0, end);
    start = end + 2;
    while ((end = text.find("\r\n", start)) != std::string::npos && end != start) {
        std::string line = text.substr(start, end - start);
        size_t colon = line.find(':');
        std::string value = colon + 1 < line.size() ? line.substr(colon + 1) : std::string();
        if (!value.empty() && value[0] == ' ')
            value.erase(0, 1);
        view.headers.emplace_back(line.substr(0, colon), value);
        start = end + 2;
    }
    return view;
}
