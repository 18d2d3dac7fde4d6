#include "FleetFile.h"

#include "SimNumbers.h"
#include "SimProtocol.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace {

bool splitItems(const std::string& line, FleetFileLine* out, std::string* error)
{
    size_t i = 0;
    while (true) {
        i = line.find_first_not_of(" \t\r", i);
        if (i == std::string::npos || line[i] == '#')
            return true;
        size_t eq = line.find('=', i);
        size_t blank = line.find_first_of(" \t\r", i);
        if (eq == std::string::npos || (blank != std::string::npos && blank < eq)) {
            *error = "item without '=': " + line.substr(i, blank - i);
            return false;
        }
        std::string key = line.substr(i, eq - i);
        std::string value;
        i = eq + 1;
        if (i < line.size() && line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                *error = "unterminated quote in " + key;
                return false;
            }
            value = line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            size_t end = line.find_first_of(" \t\r", i);
            value = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? line.size() : end;
        }
        out->items.emplace_back(key, value);
    }
}

template <size_t N> bool setText(char (&field)[N], const std::string& value)
{
    if (value.size() >= N)
        return false;
    std::memset(field, 0, N);
    std::memcpy(field, value.c_str(), value.size());
    return true;
}

template <size_t N> bool setServer(char (&host)[N], uint16_t* port, const std::string& value)
{
    size_t colon = value.rfind(':');
    long long p = 0;
    if (colon == std::string::npos || !parseLong(value.substr(colon + 1), 0, 65535, &p))
        return false;
    *port = static_cast<uint16_t>(p);
    return setText(host, value.substr(0, colon));
}

}  // namespace

bool readFleetFile(const std::string& path, std::vector<FleetFileLine>* lines, std::string* error)
{
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read fleet file " + path;
        return false;
    }
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        FleetFileLine line;
        line.lineNumber = number;
        std::string reason;
        if (!splitItems(text, &line, &reason)) {
            *error = path + ":" + std::to_string(number) + ": " + reason;
            return false;
        }
        if (!line.items.empty())
            lines->push_back(std::move(line));
    }
    return true;
}

bool parseSimBehaviour(const std::string& text, SimBehaviour* behaviour)
{
    if (text == "normal")
        *behaviour = SimBehaviour::Normal;
    else if (text == "400")
        *behaviour = SimBehaviour::Answer400;
    else if (text == "silent")
        *behaviour = SimBehaviour::Silent;
    else if (text == "malformed")
        *behaviour = SimBehaviour::Malformed;
    else
        return false;
    return true;
}

bool applyFleetItem(
    const std::string& key, const std::string& value, TerminalParam* t, SimBehaviour* behaviour, std::string* error)
{
    long long n = 0;
    bool ok = true;
    if (key == "id") {
        ok = parseLong(value, INT32_MIN, INT32_MAX, &n);
        t->ID = static_cast<int32_t>(n);
    } else if (key == "type") {
        ok = setText(t->Type, value);
    } else if (key == "ver") {
        ok = setText(t->Ver, value);
    } else if (key == "mac") {
        ok = setText(t->MAC, value);
    } else if (key == "ip") {
        ok = setText(t->IP, value);
    } else if (key == "mask") {
        ok = setText(t->Mask, value);
    } else if (key == "gateway") {
        ok = setText(t->Gateway, value);
    } else if (key == "server") {
        ok = setServer(t->Server, &t->ServerPort, value);
    } else if (key == "server2") {
        ok = setServer(t->Server2, &t->Server2Port, value);
    } else if (key == "dns1") {
        ok = setText(t->DNS1, value);
    } else if (key == "dns2") {
        ok = setText(t->DNS2, value);
    } else if (key == "website") {
        ok = setText(t->Website, value);
    } else if (key == "mode") {
        ok = setText(t->Mode, value);
    } else if (key == "name") {
        ok = setText(t->Name, value);
    } else if (key == "svcconfig") {
        ok = value.size() + 1 < sizeof t->SvcConfig;
        std::memset(t->SvcConfig, 0, sizeof t->SvcConfig);
        setSimSvcConfig(t, value);
    } else if (key == "usedns" || key == "autoip") {
        ok = parseLong(value, 0, 1, &n);
        (key == "usedns" ? t->UseDNS : t->AutoIP) = static_cast<uint8_t>(n);
    } else if (key == "speed") {
        ok = parseLong(value, 0, 100, &n) && (n == 0 || n == 10 || n == 100);
        t->Speed = static_cast<uint16_t>(n);
    } else if (key == "treble" || key == "bass" || key == "playvol" || key == "capturevol") {
        ok = parseLong(value, -128, 127, &n);
        int8_t v = static_cast<int8_t>(n);
        if (key == "treble")
            t->Treble = v;
        else if (key == "bass")
            t->Bass = v;
        else if (key == "playvol")
            t->PlayVol = v;
        else
            t->CaptureVol = v;
    } else if (key == "behaviour") {
        ok = parseSimBehaviour(value, behaviour);
    } else {
        *error = "unknown key " + key;
        return false;
    }
    if (!ok)
        *error = "bad value for " + key + ": " + value;
    return ok;
}
