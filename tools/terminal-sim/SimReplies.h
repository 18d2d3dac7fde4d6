// The reply texts a simulated terminal sends: its parameters with status
// 200, the bare 400 refusal, and the deliberately faulty replies.
// Pure functions; any thread.
#pragma once

#include "TerminalSimulator.h"

#include <cstdint>
#include <string>

// "DBP/1.0 200 OK", the CSeq, every parameter the terminal reports (text
// lines with an empty value left out), and the empty line.
std::string composeSimReply(const TerminalParam& terminal, uint16_t cseq);
// "DBP/1.0 400 Bad", the CSeq, the empty line.
std::string composeSimRefusal(uint16_t cseq);
// A reply with the given fault (see SimFault).
std::string composeSimFaultyReply(const TerminalParam& terminal, uint16_t cseq, SimFault fault);
