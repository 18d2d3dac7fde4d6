// Helpers shared by the protocol tests: a request's text, and parsing a
// datagram the way the receiver hands it over. Test-only; single-threaded.
#pragma once

#include "RecordText.h"
#include "net/DbpMessage.h"

#include <cstring>
#include <memory>

namespace protocol_test {

// The sender the receiver notes before parsing; parsing must leave it alone.
constexpr uint32_t kSenderAddress = 0x7f000005;
constexpr uint16_t kSenderPort = 40000;

inline QByteArray bytes(const DbpRequest& request)
{
    return request ? QByteArray(request.get()) : QByteArray();
}

// The received bytes in a heap buffer of exactly their size plus the
// terminator, so that the address sanitizer catches any read past it.
inline int parseDatagram(const QByteArray& datagram, TerminalParam* reply)
{
    *reply = TerminalParam();
    reply->Address = kSenderAddress;
    reply->Port = kSenderPort;
    std::unique_ptr<char[]> buffer(new char[datagram.size() + 1]);
    std::memcpy(buffer.get(), datagram.constData(), datagram.size());
    buffer[datagram.size()] = '\0';
    return ParseReply(buffer.get(), reply);
}

}  // namespace protocol_test
