#include "SimReplies.h"

#include <cstdarg>
#include <cstdio>

namespace {

void appendf(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void appendf(std::string* out, const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0)
        out->append(line, static_cast<size_t>(n) < sizeof line ? n : sizeof line - 1);
}

void appendText(std::string* out, const char* key, const char* value)
{
    if (value[0] != '\0')
        appendf(out, "%s: %s\r\n", key, value);
}

// The header lines of a 200 reply, without the status line and the end.
std::string headerLines(const TerminalParam& t, uint16_t cseq)
{
    std::string s;
    appendf(&s, "CSeq: %d\r\n", cseq);
    appendf(&s, "ID: %d\r\n", t.ID);
    appendText(&s, "Type", t.Type);
    appendText(&s, "Ver", t.Ver);
    appendText(&s, "MAC", t.MAC);
    appendText(&s, "IP", t.IP);
    appendText(&s, "Mask", t.Mask);
    appendText(&s, "Gateway", t.Gateway);
    if (t.Server[0] != '\0')
        appendf(&s, "Server: %s:%d\r\n", t.Server, t.ServerPort);
    if (t.Server2[0] != '\0')
        appendf(&s, "Server2: %s:%d\r\n", t.Server2, t.Server2Port);
    appendText(&s, "DNS1", t.DNS1);
    appendText(&s, "DNS2", t.DNS2);
    appendText(&s, "Website", t.Website);
    appendf(&s, "UseDNS: %d\r\n", t.UseDNS);
    appendf(&s, "AutoIP: %d\r\n", t.AutoIP);
    appendText(&s, "Mode", t.Mode);
    appendf(&s, "Speed: %d\r\n", t.Speed);
    // The stored value carries its leading blank, as terminals report it.
    if (t.SvcConfig[0] != '\0')
        appendf(&s, "SvcConfig:%s\r\n", t.SvcConfig);
    appendText(&s, "Name", t.Name);
    appendf(&s, "Treble: %d\r\n", t.Treble);
    appendf(&s, "Bass: %d\r\n", t.Bass);
    appendf(&s, "PlayVol: %d\r\n", t.PlayVol);
    appendf(&s, "CaptureVol: %d\r\n", t.CaptureVol);
    return s;
}

std::string overlongValues(const TerminalParam& t, uint16_t cseq)
{
    std::string s = "DBP/1.0 200 OK\r\n";
    appendf(&s, "CSeq: %d\r\n", cseq);
    appendf(&s, "ID: %d\r\n", t.ID);
    s += "Type: " + std::string(48, 'T') + "\r\n";
    s += "MAC: " + std::string(40, 'M') + "\r\n";
    s += "Mode: " + std::string(40, 'O') + "\r\n";
    s += "Name: " + std::string(80, 'N') + "\r\n";
    s += "Website: " + std::string(300, 'W') + "\r\n";
    s += "SvcConfig: " + std::string(300, 'S') + "\r\n";
    s += "\r\n";
    return s;
}

std::string oddValues(const TerminalParam& t, uint16_t cseq)
{
    std::string s = "DBP/1.0 200 OK\r\n";
    appendf(&s, "CSeq: %d\r\n", cseq);
    appendf(&s, "ID: %d\r\n", t.ID);
    appendText(&s, "Type", t.Type);
    appendText(&s, "MAC", t.MAC);
    appendText(&s, "IP", t.IP);
    s += "Server: 127.0.0.1\r\n"
         "Server2 127.0.0.1:7900\r\n"
         "Name:\r\n"
         "Website: \r\n"
         "DNS1: \r\n"
         "DNS2: 127.0.0.53\r\n"
         "PlayVol: 300\r\n"
         "Speed: 1000\r\n"
         "UseDNS: 7\r\n"
         "Treble: -5\r\n"
         "\r\n";
    return s;
}

std::string garbage(uint16_t cseq)
{
    std::string s;
    uint32_t x = 0x9E3779B9u ^ cseq;
    for (int i = 0; i < 64; ++i) {
        x = x * 1664525u + 1013904223u;
        s.push_back(static_cast<char>(x >> 24));
    }
    s[0] = '\xFF';  // never mistaken for a status line
    s[10] = '\0';
    return s;
}

}  // namespace

std::string composeSimReply(const TerminalParam& terminal, uint16_t cseq)
{
    return "DBP/1.0 200 OK\r\n" + headerLines(terminal, cseq) + "\r\n";
}

std::string composeSimRefusal(uint16_t cseq)
{
    std::string s = "DBP/1.0 400 Bad\r\n";
    appendf(&s, "CSeq: %d\r\n", cseq);
    return s + "\r\n";
}

std::string composeSimFaultyReply(const TerminalParam& terminal, uint16_t cseq, SimFault fault)
{
    switch (fault) {
    case SimFault::NoReasonWord:
        return "DBP/1.0 200\r\n" + headerLines(terminal, cseq) + "\r\n";
    case SimFault::OverlongValues:
        return overlongValues(terminal, cseq);
    case SimFault::Oversized:
        return "DBP/1.0 200 OK\r\n" + headerLines(terminal, cseq) + "X-Pad: " + std::string(1500, 'p') + "\r\n\r\n";
    case SimFault::EmbeddedZero: {
        std::string s = composeSimReply(terminal, cseq);
        size_t ver = s.find("Ver:");
        s.insert(ver == std::string::npos ? s.size() / 2 : ver, 1, '\0');
        return s;
    }
    case SimFault::BareLineFeeds: {
        std::string s = composeSimReply(terminal, cseq);
        std::string out;
        for (char c : s) {
            if (c != '\r')
                out.push_back(c);
        }
        return out;
    }
    case SimFault::OddValues:
        return oddValues(terminal, cseq);
    case SimFault::Garbage:
        return garbage(cseq);
    }
    return std::string();
}
