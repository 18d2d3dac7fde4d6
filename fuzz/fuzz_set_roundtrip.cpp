// libFuzzer target: a record made from the input, turned into a SET, checked
// byte for byte against snprintf with the same formats, then read back as a
// reply. Input: one mode byte (bit 0: keep texts readable as one value each),
// the numbers, then each text as a length byte and its bytes.
#include "FuzzChecks.h"
#include "net/DbpMessage.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The input read front to back; past its end every byte is zero.
struct Input {
    const uint8_t* data;
    size_t size;

    uint8_t byte() { return size ? (--size, *data++) : 0; }

    template <typename... T> void numbers(T&... values)  // each big-endian in its own width
    {
        auto wide = [this](size_t width) {
            uint64_t value = 0;
            while (width--)
                value = value << 8 | byte();
            return value;
        };
        ((values = static_cast<T>(wide(sizeof(T)))), ...);
    }

    // Texts of up to N - 1 bytes. A text that must be read back avoids the
    // bytes in `forbidden` and zero; otherwise (forbidden "") a zero ends it.
    template <size_t... N> void texts(const char* forbidden, char (&... fields)[N])
    {
        (text(forbidden, fields, N), ...);
    }

    void text(const char* forbidden, char* field, size_t size)
    {
        const size_t length = byte() % size;
        size_t i = 0;
        for (; i < length; ++i) {
            const char c = static_cast<char>(byte());
            if (!*forbidden && c == '\0')
                break;
            field[i] = std::strchr(forbidden, c) ? '_' : c;  // strchr finds the zero too
        }
        field[i] = '\0';
    }
};

// The SET as the C library prints the formats.
std::string printed(const TerminalParam& p)
{
    std::string out;
    char line[300];
    auto add = [&](bool when, const char* format, auto... args) {
        if (when)
            out.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, format, args...)));
    };
    add(true, "%d %s %s DBP/1.0\r\nCSeq: %d\r\nType: %s\r\nID: %d\r\n", p.ID, p.Type, p.OldMAC, p.CSeq, p.Type,
        p.NewID);
    add(p.MAC[0], "MAC: %s\r\n", p.MAC);
    add(p.IP[0], "IP: %s\r\n", p.IP);
    add(p.Mask[0], "Mask: %s\r\n", p.Mask);
    add(p.Gateway[0], "Gateway: %s\r\n", p.Gateway);
    add(p.Server[0], "Server: %s:%d\r\n", p.Server, p.ServerPort);
    const bool second = p.Server2[0];
    add(true, "Server2: %s:%d\r\n", second ? p.Server2 : p.Server, second ? p.Server2Port : p.ServerPort);
    add(p.DNS1[0], "DNS1: %s\r\n", p.DNS1);
    add(p.DNS2[0], "DNS2: %s\r\n", p.DNS2);
    add(p.Website[0], "Website: %s\r\n", p.Website);
    add(true, "IsBroadcast: %d\r\nSpeed: %d\r\nUseDNS: %d\r\nAutoIP: %d\r\nTreble: %d\r\nBass: %d\r\n", p.IsBroadcast,
        p.Speed, p.UseDNS, p.AutoIP, p.Treble, p.Bass);
    add(true, "Reboot: %d\r\nReboot: HReset,%d\r\n", p.Reboot, p.Reboot);
    add(p.SvcConfig[0], "SvcConfig: %s\r\n", p.SvcConfig);
    return out + "\r\n";
}

// The reply a terminal would echo for the fields a readable SET carries.
TerminalParam expectedReply(const TerminalParam& p)
{
    TerminalParam r;
    r.ID = p.NewID;
    r.CSeq = p.CSeq;
#define COPY(f) std::strcpy(r.f, p.f);
    COPY(Type)
    COPY(MAC) COPY(IP) COPY(Mask) COPY(Gateway) COPY(DNS1) COPY(DNS2) COPY(Website)
#undef COPY
        // A server line is read back when its host has more than the blanks the
        // reader skips; without a second server the first one is sent twice.
        auto server
        = [](char* host, uint16_t* port, const char* sentHost, uint16_t sentPort) {
              sentHost += std::strspn(sentHost, " \t\v\f");
              if (*sentHost) {
                  std::strcpy(host, sentHost);
                  *port = sentPort;
              }
          };
    server(r.Server, &r.ServerPort, p.Server, p.ServerPort);
    const bool second = p.Server2[0];
    server(r.Server2, &r.Server2Port, second ? p.Server2 : p.Server, second ? p.Server2Port : p.ServerPort);
    r.UseDNS = p.UseDNS != 0;
    r.AutoIP = p.AutoIP != 0;
    r.Speed = (p.Speed == 0 || p.Speed == 10 || p.Speed == 100) ? p.Speed : 0;
    r.Treble = p.Treble;
    r.Bass = p.Bass;
    if (p.SvcConfig[0])  // read back with the blank after the colon, cut to fit
        std::snprintf(r.SvcConfig, sizeof r.SvcConfig, " %s", p.SvcConfig);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    const bool readable = in.byte() & 1;
    TerminalParam p;
    in.numbers(p.ID, p.NewID, p.CSeq, p.ServerPort, p.Server2Port, p.UseDNS, p.AutoIP, p.Reboot, p.IsBroadcast, p.Speed,
        p.Treble, p.Bass, p.PlayVol, p.CaptureVol);
    const char* word = readable ? " \t\v\f\r\n" : "";
    in.texts(word, p.Type, p.OldMAC, p.MAC, p.IP, p.Mask, p.Gateway);
    in.texts(readable ? ":\r\n" : "", p.Server, p.Server2);
    in.texts(word, p.DNS1, p.DNS2, p.Website);
    in.texts(readable ? "\r\n" : "", p.SvcConfig);
    in.texts("", p.Ver, p.Mode, p.Name);

    const DbpRequest set = BuildSetRequest(&p);
    const std::string want = printed(p);  // holds no zero byte
    FUZZ_CHECK(set && want == set.get());

    // Echo it as a terminal would: a status line in place of the request line.
    const std::string reply = "DBP/1.0 200 OK\r\n" + want.substr(want.find("\r\n") + 2);
    TerminalParam back;
    FUZZ_CHECK(ParseReply(reply.c_str(), &back) == 200);
    fuzz::checkParsed(200, back);
    if (readable)
        fuzz::checkSame(back, expectedReply(p));
    return 0;
}
