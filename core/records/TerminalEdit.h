// TerminalEdit: the values the settings dialog (or a commissioning sheet)
// gives a terminal, and composeSetRecord, which turns the terminal's current
// record and those values into the record its SET is built from. Both the
// dialog and commissioning use it, so a sheet sends exactly what the dialog
// would. Plain C++; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <string>

// Terminals leave the factory with this address; saving one always gives it
// an address of its own.
extern const char kFactoryMac[];

struct TerminalEdit {
    int32_t newId = 0;
    bool autoIp = true;
    std::string ip, mask, gateway;  // used without automatic addressing; empty: not given
    std::string server, server2;    // empty: no address
    uint16_t serverPort = 0;
    uint16_t server2Port = 0;
    bool setSpeed = false;  // false: the current speed is sent back
    uint16_t speed = 0;
    int8_t playVol = 0;
    int8_t captureVol = 0;
    bool setTone = false;  // false: the current treble and bass are sent back
    int8_t treble = 0;
    int8_t bass = 0;
    bool newMac = false;  // a fresh random MAC even without the factory address
    // false: UseDNS 0 and no DNS lines, as the settings dialog sends; true:
    // these values, so that commissioning leaves a terminal's DNS as it is
    // unless the sheet names it.
    bool sendDns = false;
    bool useDns = false;
    std::string dns1, dns2;  // empty: no line, the terminal keeps its own
};

// The SET record: `current` addressed by its present MAC (OldMAC), with the
// edit's values, the website left out, DNS as the edit says, rebooting, and a fresh random MAC
// when the edit asks for one or the terminal has the factory address;
// otherwise no MAC, so the terminal keeps its own.
TerminalParam composeSetRecord(const TerminalParam& current, const TerminalEdit& edit);

// A fresh address "00-12-37-xx-xx-xx" (lowercase hexadecimal).
std::string makeRandomMac();
