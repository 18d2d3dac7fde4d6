// How a simulated terminal reads a "DBP/1.0" request and what the request
// changes in its record. Pure functions over their arguments; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <cstdint>
#include <string>
#include <vector>

enum class SimRequestKind {
    Get,      // "GET DBP/1.0"
    Set,      // "<ID> <Type> <MAC> DBP/1.0" carrying an ID line
    Reboot,   // "<ID> <Type> <MAC> DBP/1.0" carrying a Reboot line and no ID line
    Setting,  // "SETTING DBP/1.0": tone or volumes
    SetAll,   // "SET DBP/1.0": Server, UpdateAll or ResetAll for every terminal
    Other,    // anything else: logged, never answered
};

struct SimHeader {
    std::string key;    // text before the colon
    std::string value;  // text after the colon, blanks included
};

struct SimParsedRequest {
    SimRequestKind kind = SimRequestKind::Other;
    uint16_t cseq = 0;               // 0 when the request carries no readable CSeq line
    int32_t id = 0;                  // request line of Set and Reboot: addressee's ID,
    std::string type;                // model code
    std::string mac;                 // and MAC before the change
    std::vector<SimHeader> headers;  // the lines up to the empty line, in order
};

// Reads the datagram as a terminal does: text up to a zero byte, lines
// ending in CR LF, up to the empty line. Never fails; unknown text is Other.
SimParsedRequest parseSimRequest(const std::string& datagram);

// Whether a Set or Reboot request names this terminal: equal ID, equal Type,
// and equal MAC ignoring letter case (the MAC is an address, not a text).
bool simRequestNames(const SimParsedRequest& request, const TerminalParam& terminal);

// Applies the request's lines to the record. Returns true when the request
// also makes the terminal reboot (reboot request, ResetAll, SET with a
// non-zero Reboot line). Values that do not fit their field are ignored.
bool applySimRequest(const SimParsedRequest& request, TerminalParam* terminal);

// SvcConfig as terminals report it: one blank, then the configuration.
void setSimSvcConfig(TerminalParam* terminal, const std::string& value);
