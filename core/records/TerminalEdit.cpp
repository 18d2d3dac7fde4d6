#include "core/records/TerminalEdit.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>

const char kFactoryMac[] = "00-12-37-11-22-12";

namespace {

template <size_t N> void copyText(char (&field)[N], const std::string& text)
{
    std::snprintf(field, N, "%s", text.c_str());
}

}  // namespace

TerminalParam composeSetRecord(const TerminalParam& current, const TerminalEdit& edit)
{
    TerminalParam p = current;
    std::memcpy(p.OldMAC, current.MAC, sizeof p.OldMAC);
    for (char* field : {p.MAC, p.IP, p.Mask, p.Gateway, p.Server, p.Server2, p.DNS1, p.DNS2, p.Website})
        field[0] = '\0';
    p.NewID = edit.newId;
    p.AutoIP = edit.autoIp ? 1 : 0;
    if (!edit.autoIp) {
        copyText(p.IP, edit.ip);
        copyText(p.Mask, edit.mask);
        copyText(p.Gateway, edit.gateway);
    }
    copyText(p.Server, edit.server);
    copyText(p.Server2, edit.server2);
    p.ServerPort = edit.serverPort;
    p.Server2Port = edit.server2Port;
    p.UseDNS = edit.sendDns && edit.useDns ? 1 : 0;
    if (edit.sendDns) {
        copyText(p.DNS1, edit.dns1);
        copyText(p.DNS2, edit.dns2);
    }
    if (edit.setSpeed)
        p.Speed = edit.speed;
    p.PlayVol = edit.playVol;
    p.CaptureVol = edit.captureVol;
    if (edit.setTone) {
        p.Treble = edit.treble;
        p.Bass = edit.bass;
    }
    p.Reboot = 1;
    if (std::strncmp(p.OldMAC, kFactoryMac, 17) == 0 || edit.newMac)
        copyText(p.MAC, makeRandomMac());
    return p;
}

std::string makeRandomMac()
{
    // Seeded once per process from the system's entropy source, so records
    // composed in the same second still get different addresses; guarded,
    // since commissioning and the dialog may compose on different threads.
    static std::mutex guard;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard<std::mutex> lock(guard);
    std::uniform_int_distribution<int> byte(0, 255);
    char text[32];
    std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", 0x00, 0x12, 0x37, byte(generator),
        byte(generator), byte(generator));
    return text;
}
