// libFuzzer target: a record made from the input, turned into a SET, checked
// byte for byte against printf with the same formats, then read back as a
// reply. Input: one mode byte (bit 0: keep texts readable as one value each),
// the numbers, then each text as a length byte and its bytes.
#include "FuzzChecks.h"
#include "net/DbpMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    template <typename T>
    T number()
    {
        uint64_t value = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            value = value << 8 | byte();
        return static_cast<T>(value);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// How a text has to look for the reply reader to give it back unchanged.
enum class Kind {
    Raw,     // any non-zero byte, line ends included
    Word,    // no whitespace: read back by "%s"
    Host,    // no ':' and no line end: read back by "%[^:]"
    Config,  // no line end: read back up to the line's CR LF
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

char fit(uint8_t byte, Kind kind)
{
    const char c = static_cast<char>(byte);
    switch (kind) {
    case Kind::Word:
        return (c == '\0' || c == '\r' || c == '\n' || isBlank(c)) ? '_' : c;
    case Kind::Host:
        return (c == '\0' || c == '\r' || c == '\n' || c == ':') ? '_' : c;
    case Kind::Config:
        return (c == '\0' || c == '\r' || c == '\n') ? '_' : c;
    case Kind::Raw:
        break;
    }
    return c;
}

// Up to N - 1 bytes; in raw mode a zero byte ends the text early.
template <size_t N>
void fill(char (&field)[N], Input& in, Kind kind)
{
    const size_t length = in.byte() % N;
    size_t i = 0;
    for (; i < length; ++i) {
        const uint8_t b = in.byte();
        if (kind == Kind::Raw && b == 0)
            break;
        field[i] = fit(b, kind);
    }
    field[i] = '\0';
}

// The SET as the formats print it with the C library.
std::string printed(const TerminalParam& p)
{
    std::string out;
    char line[200];
    auto add = [&](int n) { out.append(line, static_cast<size_t>(n)); };
    add(std::snprintf(line, sizeof line, "%d %s %s DBP/1.0\r\n", p.ID, p.Type, p.OldMAC));
    add(std::snprintf(line, sizeof line, "CSeq: %d\r\n", p.CSeq));
    add(std::snprintf(line, sizeof line, "Type: %s\r\n", p.Type));
    add(std::snprintf(line, sizeof line, "ID: %d\r\n", p.NewID));
    const struct {
        const char* format;
        const char* value;
    } optional[] = {{"MAC: %s\r\n", p.MAC}, {"IP: %s\r\n", p.IP}, {"Mask: %s\r\n", p.Mask},
                    {"Gateway: %s\r\n", p.Gateway}};
    for (const auto& o : optional) {
        if (o.value[0])
            add(std::snprintf(line, sizeof line, o.format, o.value));
    }
    if (p.Server[0])
        add(std::snprintf(line, sizeof line, "Server: %s:%d\r\n", p.Server, p.ServerPort));
    if (p.Server2[0])
        add(std::snprintf(line, sizeof line, "Server2: %s:%d\r\n", p.Server2, p.Server2Port));
    else
        add(std::snprintf(line, sizeof line, "Server2: %s:%d\r\n", p.Server, p.ServerPort));
    const struct {
        const char* format;
        const char* value;
    } more[] = {{"DNS1: %s\r\n", p.DNS1}, {"DNS2: %s\r\n", p.DNS2}, {"Website: %s\r\n", p.Website}};
    for (const auto& o : more) {
        if (o.value[0])
            add(std::snprintf(line, sizeof line, o.format, o.value));
    }
    add(std::snprintf(line, sizeof line,
                      "IsBroadcast: %d\r\nSpeed: %d\r\nUseDNS: %d\r\nAutoIP: %d\r\nTreble: %d\r\nBass: %d\r\n",
                      p.IsBroadcast, p.Speed, p.UseDNS, p.AutoIP, p.Treble, p.Bass));
    add(std::snprintf(line, sizeof line, "Reboot: %d\r\nReboot: %s,%d\r\n", p.Reboot, "HReset", p.Reboot));
    if (p.SvcConfig[0])
        add(std::snprintf(line, sizeof line, "SvcConfig: %s\r\n", p.SvcConfig));
    out += "\r\n";
    return out;
}

// "%[^:]" skips leading blanks and needs one character; otherwise the
// server line is not read and both host and port stay cleared.
template <size_t N>
void expectServer(char (&host)[N], uint16_t* port, const char* sentHost, uint16_t sentPort)
{
    while (isBlank(*sentHost))
        ++sentHost;
    if (*sentHost) {
        std::strcpy(host, sentHost);
        *port = sentPort;
    }
}

// The reply a terminal would echo for the fields a SET carries.
TerminalParam expectedReply(const TerminalParam& p, uint32_t address, uint16_t port)
{
    TerminalParam r;
    r.Address = address;
    r.Port = port;
    r.ID = p.NewID;
    r.CSeq = p.CSeq;
    std::strcpy(r.Type, p.Type);
    std::strcpy(r.MAC, p.MAC);
    std::strcpy(r.IP, p.IP);
    std::strcpy(r.Mask, p.Mask);
    std::strcpy(r.Gateway, p.Gateway);
    std::strcpy(r.DNS1, p.DNS1);
    std::strcpy(r.DNS2, p.DNS2);
    std::strcpy(r.Website, p.Website);
    if (p.Server[0])
        expectServer(r.Server, &r.ServerPort, p.Server, p.ServerPort);
    if (p.Server2[0])
        expectServer(r.Server2, &r.Server2Port, p.Server2, p.Server2Port);
    else
        expectServer(r.Server2, &r.Server2Port, p.Server, p.ServerPort);
    r.UseDNS = p.UseDNS != 0;
    r.AutoIP = p.AutoIP != 0;
    r.Speed = (p.Speed == 0 || p.Speed == 10 || p.Speed == 100) ? p.Speed : 0;
    r.Treble = p.Treble;
    r.Bass = p.Bass;
    if (p.SvcConfig[0]) {  // read back with the blank after the colon, cut to fit
        const size_t kept = strnlen(p.SvcConfig, sizeof r.SvcConfig - 2);
        r.SvcConfig[0] = ' ';
        std::memcpy(r.SvcConfig + 1, p.SvcConfig, kept);
        r.SvcConfig[kept + 1] = '\0';
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const bool readable = in.byte() & 1;
    const Kind word = readable ? Kind::Word : Kind::Raw;
    const Kind host = readable ? Kind::Host : Kind::Raw;
    const Kind config = readable ? Kind::Config : Kind::Raw;

    TerminalParam p;
    p.ID = in.number<int32_t>();
    p.NewID = in.number<int32_t>();
    p.CSeq = in.number<uint16_t>();
    p.ServerPort = in.number<uint16_t>();
    p.Server2Port = in.number<uint16_t>();
    p.UseDNS = in.byte();
    p.AutoIP = in.byte();
    p.Reboot = in.byte();
    p.IsBroadcast = in.byte();
    p.Speed = in.number<uint16_t>();
    p.Treble = static_cast<int8_t>(in.byte());
    p.Bass = static_cast<int8_t>(in.byte());
    p.PlayVol = static_cast<int8_t>(in.byte());
    p.CaptureVol = static_cast<int8_t>(in.byte());
    fill(p.Type, in, word);
    fill(p.OldMAC, in, word);
    fill(p.MAC, in, word);
    fill(p.IP, in, word);
    fill(p.Mask, in, word);
    fill(p.Gateway, in, word);
    fill(p.Server, in, host);
    fill(p.Server2, in, host);
    fill(p.DNS1, in, word);
    fill(p.DNS2, in, word);
    fill(p.Website, in, word);
    fill(p.SvcConfig, in, config);
    fill(p.Ver, in, Kind::Raw);
    fill(p.Mode, in, Kind::Raw);
    fill(p.Name, in, Kind::Raw);

    const DbpRequest set = BuildSetRequest(&p);
    FUZZ_CHECK(set);
    const std::string want = printed(p);
    const size_t length = std::strlen(set.get());
    FUZZ_CHECK(length == want.size());  // so no zero byte inside
    FUZZ_CHECK(std::memcmp(set.get(), want.data(), length) == 0);
    FUZZ_CHECK(length >= 4 && std::memcmp(set.get() + length - 4, "\r\n\r\n", 4) == 0);

    // Echo it as a terminal would: a status line in place of the request line.
    static const char kStatus[] = "DBP/1.0 200 OK\r\n";
    const char* firstLineEnd = std::strstr(set.get(), "\r\n");
    FUZZ_CHECK(firstLineEnd);
    const char* headers = firstLineEnd + 2;
    const size_t headersLength = length - static_cast<size_t>(headers - set.get());
    const size_t replyLength = sizeof kStatus - 1 + headersLength;
    std::unique_ptr<char[]> reply(new char[replyLength + 1]);
    std::memcpy(reply.get(), kStatus, sizeof kStatus - 1);
    std::memcpy(reply.get() + sizeof kStatus - 1, headers, headersLength + 1);

    constexpr uint32_t kAddress = 0x7f000009;
    constexpr uint16_t kPort = 40000;
    TerminalParam back;
    back.Address = kAddress;
    back.Port = kPort;
    const int result = ParseReply(reply.get(), &back);
    FUZZ_CHECK(result == 200);
    fuzz::checkParsed(result, back, kAddress, kPort);
    if (readable)
        fuzz::checkSame(back, expectedReply(p, kAddress, kPort));
    return 0;
}
