// Helpers shared by the protocol tests: readable dumps of records and
// messages, and parsing a datagram the way the receiver hands it over.
// Test-only; single-threaded.
#pragma once

#include "net/DbpMessage.h"

#include <QByteArray>
#include <QByteArrayList>

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

// "Field=value" for every field that differs from the cleared record, in
// declaration order; Address and Port are left out (checked on their own).
inline QByteArray describe(const TerminalParam& p)
{
    QByteArrayList out;
    auto num = [&out](const char* name, long long value) {
        if (value != 0)
            out << QByteArray(name) + '=' + QByteArray::number(value);
    };
    auto text = [&out](const char* name, const char* value) {
        if (value[0] != '\0')
            out << QByteArray(name) + "=\"" + QByteArray(value) + '"';
    };
    num("ID", p.ID);
    num("NewID", p.NewID);
    num("CSeq", p.CSeq);
    text("Type", p.Type);
    text("Ver", p.Ver);
    text("MAC", p.MAC);
    text("OldMAC", p.OldMAC);
    text("IP", p.IP);
    text("Mask", p.Mask);
    text("Gateway", p.Gateway);
    text("Server", p.Server);
    text("Server2", p.Server2);
    text("DNS1", p.DNS1);
    text("DNS2", p.DNS2);
    text("Website", p.Website);
    text("Mode", p.Mode);
    num("ServerPort", p.ServerPort);
    num("Server2Port", p.Server2Port);
    num("UseDNS", p.UseDNS);
    num("AutoIP", p.AutoIP);
    num("Reboot", p.Reboot);
    num("IsBroadcast", p.IsBroadcast);
    num("Speed", p.Speed);
    num("Treble", p.Treble);
    num("Bass", p.Bass);
    num("PlayVol", p.PlayVol);
    num("CaptureVol", p.CaptureVol);
    text("SvcConfig", p.SvcConfig);
    text("Name", p.Name);
    return out.join("; ");
}

// Parses a datagram as the receiver does: the received bytes in a buffer of
// exactly their size plus one, zero-terminated, into a record holding only
// the sender. A heap buffer of that exact size lets the address sanitizer
// catch any read past the terminator.
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
