// TerminalParam: the plain value record of one terminal's parameters, and
// sameTerminal, the identity test the terminal list and conflict check use.
// A value type: copied by assignment on any thread; no shared state.
#pragma once

#include <cstdint>

struct TerminalParam {
    int32_t ID = 0;
    int32_t NewID = 0;
    uint16_t CSeq = 0;
    uint32_t Address = 0;  // source of the reply datagram, host byte order
    char Type[32] = {};
    char Ver[32] = {};
    char MAC[32] = {};
    char OldMAC[32] = {};
    char IP[32] = {};
    char Mask[32] = {};
    char Gateway[32] = {};
    char Server[32] = {};
    char Server2[32] = {};
    char DNS1[32] = {};
    char DNS2[32] = {};
    char Website[128] = {};
    char Mode[32] = {};
    uint16_t ServerPort = 0;
    uint16_t Server2Port = 0;
    uint8_t UseDNS = 0;
    uint8_t AutoIP = 0;
    uint8_t Reboot = 0;
    uint8_t IsBroadcast = 0;
    uint16_t Speed = 0;
    uint16_t Port = 0;  // source port of the reply datagram, host byte order
    int8_t Treble = 0;
    int8_t Bass = 0;
    int8_t PlayVol = 0;
    int8_t CaptureVol = 0;
    char SvcConfig[128] = {};
    char Name[32] = {};
    // Index of the network interface the reply datagram arrived on (0 when
    // unknown); names the adapter a terminal answered through.
    uint32_t ArrivalInterface = 0;

    // Back to the cleared record: every number zero, every text empty.
    void clear() { *this = TerminalParam(); }
};

// Same terminal: equal MAC, ID, ServerPort and IP, tested in that order.
bool sameTerminal(const TerminalParam& a, const TerminalParam& b);
