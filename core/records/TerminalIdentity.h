// The hashable form of sameTerminal: two records have equal keys exactly
// when their MAC, ID, ServerPort and IP are equal. Every list of distinct
// terminals (searches, the window's table, the conflict groups) keys on it.
// Pure function; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <string>

std::string terminalIdentityKey(const TerminalParam& record);
