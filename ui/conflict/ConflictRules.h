// The two conflict tests of the conflict check: different terminals (not
// sameTerminal) that report the same IP text, or the same MAC text.
// Pure functions on record values; any thread.
#pragma once

#include "net/TerminalParam.h"

bool isIpConflict(const TerminalParam& a, const TerminalParam& b);
bool isMacConflict(const TerminalParam& a, const TerminalParam& b);
