#include "SimProtocol.h"

#include "SimModels.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

std::string skipBlanks(const std::string& s)
{
    size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

bool readNumber(const std::string& value, long* out)
{
    std::string text = skipBlanks(value);
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE)
        return false;
    *out = n;
    return true;
}

// First blank-free word after the colon; empty when there is none.
std::string readWord(const std::string& value)
{
    std::string text = skipBlanks(value);
    return text.substr(0, text.find(' '));
}

template <size_t N> void copyText(char (&field)[N], const std::string& text)
{
    if (text.empty() || text.size() >= N)
        return;
    std::memcpy(field, text.c_str(), text.size() + 1);
}

// "host:port"; the port 0 keeps the terminal's port, as an unknown port.
template <size_t N> void applyServer(const std::string& value, char (&host)[N], uint16_t* port)
{
    std::string text = skipBlanks(value);
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return;
    long p = 0;
    std::string name = text.substr(0, colon);
    if (!readNumber(text.substr(colon + 1), &p) || p < 0 || p > 65535 || name.size() >= N)
        return;
    copyText(host, name);
    if (p != 0)
        *port = static_cast<uint16_t>(p);
}

void applySetLine(const SimHeader& h, TerminalParam* t, bool* reboot)
{
    const std::string& k = h.key;
    long n = 0;
    if (k == "ID") {
        if (readNumber(h.value, &n))
            t->ID = static_cast<int32_t>(n);
    } else if (k == "MAC") {
        copyText(t->MAC, readWord(h.value));
    } else if (k == "IP") {
        copyText(t->IP, readWord(h.value));
    } else if (k == "Mask") {
        copyText(t->Mask, readWord(h.value));
    } else if (k == "Gateway") {
        copyText(t->Gateway, readWord(h.value));
    } else if (k == "Server") {
        applyServer(h.value, t->Server, &t->ServerPort);
    } else if (k == "Server2") {
        applyServer(h.value, t->Server2, &t->Server2Port);
    } else if (k == "DNS1") {
        copyText(t->DNS1, readWord(h.value));
    } else if (k == "DNS2") {
        copyText(t->DNS2, readWord(h.value));
    } else if (k == "Website") {
        copyText(t->Website, readWord(h.value));
    } else if (k == "UseDNS") {
        if (readNumber(h.value, &n))
            t->UseDNS = n != 0;
    } else if (k == "AutoIP") {
        if (readNumber(h.value, &n))
            t->AutoIP = n != 0;
    } else if (k == "Speed") {
        if (readNumber(h.value, &n) && (n == 0 || n == 10 || n == 100))
            t->Speed = static_cast<uint16_t>(n);
    } else if (k == "Treble") {
        if (readNumber(h.value, &n))
            t->Treble = static_cast<int8_t>(n);
    } else if (k == "Bass") {
        if (readNumber(h.value, &n))
            t->Bass = static_cast<int8_t>(n);
    } else if (k == "SvcConfig") {
        setSimSvcConfig(t, skipBlanks(h.value));
    } else if (k == "Reboot") {
        // "Reboot: HReset,1" reads no number and so changes nothing.
        if (readNumber(h.value, &n) && n != 0)
            *reboot = true;
    }
}

void applySettingLine(const SimHeader& h, TerminalParam* t)
{
    long n = 0;
    if (!readNumber(h.value, &n))
        return;
    if (h.key == "Treble")
        t->Treble = static_cast<int8_t>(n);
    else if (h.key == "Bass")
        t->Bass = static_cast<int8_t>(n);
    else if (h.key == "PlayVol")
        t->PlayVol = static_cast<int8_t>(n);
    else if (h.key == "CaptureVol")
        t->CaptureVol = static_cast<int8_t>(n);
}

void setMode(TerminalParam* t, const char* mode)
{
    std::strncpy(t->Mode, mode, sizeof t->Mode - 1);
}

void applySetAllLine(const SimHeader& h, TerminalParam* t, bool* reboot)
{
    long n = 0;
    if (h.key == "Server") {
        applyServer(h.value, t->Server, &t->ServerPort);
    } else if (h.key == "UpdateAll") {
        if (readNumber(h.value, &n) && n != 0)
            setMode(t, kSimModeUpgrade);
    } else if (h.key == "ResetAll") {
        if (readNumber(h.value, &n) && n != 0) {
            setMode(t, kSimModeNormal);
            *reboot = true;
        }
    }
}

// Reboot code 2 enters upgrade mode, 0 is a plain reboot back to normal.
void applyRebootLine(const SimHeader& h, TerminalParam* t, bool* reboot)
{
    long n = 0;
    if (h.key != "Reboot" || !readNumber(h.value, &n))
        return;
    *reboot = true;
    if (n == 2)
        setMode(t, kSimModeUpgrade);
    else if (n == 0)
        setMode(t, kSimModeNormal);
}

std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        size_t start = line.find_first_not_of(' ', i);
        if (start == std::string::npos)
            break;
        size_t end = line.find(' ', start);
        if (end == std::string::npos)
            end = line.size();
        words.push_back(line.substr(start, end - start));
        i = end;
    }
    return words;
}

bool hasHeader(const SimParsedRequest& r, const char* key)
{
    for (const SimHeader& h : r.headers) {
        if (h.key == key)
            return true;
    }
    return false;
}

void classify(const std::string& requestLine, SimParsedRequest* r)
{
    if (requestLine == "GET DBP/1.0") {
        r->kind = SimRequestKind::Get;
    } else if (requestLine == "SET DBP/1.0") {
        r->kind = SimRequestKind::SetAll;
    } else if (requestLine == "SETTING DBP/1.0") {
        r->kind = SimRequestKind::Setting;
    } else {
        std::vector<std::string> words = splitWords(requestLine);
        long id = 0;
        if (words.size() != 4 || words[3] != "DBP/1.0" || !readNumber(words[0], &id))
            return;
        r->id = static_cast<int32_t>(id);
        r->type = words[1];
        r->mac = words[2];
        if (hasHeader(*r, "ID"))
            r->kind = SimRequestKind::Set;
        else if (hasHeader(*r, "Reboot"))
            r->kind = SimRequestKind::Reboot;
    }
}

}  // namespace

SimParsedRequest parseSimRequest(const std::string& datagram)
{
    SimParsedRequest r;
    const std::string text = datagram.substr(0, datagram.find('\0'));
    size_t end = text.find("\r\n");
    if (end == std::string::npos)
        return r;
    const std::string requestLine = text.substr(0, end);
    size_t start = end + 2;
    while ((end = text.find("\r\n", start)) != std::string::npos && end != start) {
        std::string line = text.substr(start, end - start);
        size_t colon = line.find(':');
        if (colon != std::string::npos && colon > 0)
            r.headers.push_back({line.substr(0, colon), line.substr(colon + 1)});
        start = end + 2;
    }
    long cseq = 0;
    for (const SimHeader& h : r.headers) {
        if (h.key == "CSeq" && readNumber(h.value, &cseq)) {
            r.cseq = static_cast<uint16_t>(cseq);
            break;
        }
    }
    classify(requestLine, &r);
    return r;
}

bool simRequestNames(const SimParsedRequest& request, const TerminalParam& terminal)
{
    return request.id == terminal.ID && request.type == terminal.Type
        && strcasecmp(request.mac.c_str(), terminal.MAC) == 0;
}

bool applySimRequest(const SimParsedRequest& request, TerminalParam* terminal)
{
    bool reboot = false;
    for (const SimHeader& h : request.headers) {
        switch (request.kind) {
        case SimRequestKind::Set:
            applySetLine(h, terminal, &reboot);
            break;
        case SimRequestKind::Reboot:
            applyRebootLine(h, terminal, &reboot);
            break;
        case SimRequestKind::Setting:
            applySettingLine(h, terminal);
            break;
        case SimRequestKind::SetAll:
            applySetAllLine(h, terminal, &reboot);
            break;
        case SimRequestKind::Get:
        case SimRequestKind::Other:
            break;
        }
    }
    return reboot;
}

void setSimSvcConfig(TerminalParam* terminal, const std::string& value)
{
    std::string trimmed = skipBlanks(value);
    if (trimmed.empty() || trimmed.size() + 1 >= sizeof terminal->SvcConfig)
        return;
    std::string reported = " " + trimmed;
    std::memcpy(terminal->SvcConfig, reported.c_str(), reported.size() + 1);
}
