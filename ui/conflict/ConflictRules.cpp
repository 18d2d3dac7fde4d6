#include "ConflictRules.h"

#include <cstring>

// Texts compare byte for byte, so "192.168.001.2" and "192.168.1.2" differ
// and two empty texts are equal. The bound keeps a record whose text fills
// its whole field from being read past the field.
bool isIpConflict(const TerminalParam& a, const TerminalParam& b)
{
    return !sameTerminal(a, b) && std::strncmp(a.IP, b.IP, sizeof a.IP) == 0;
}

bool isMacConflict(const TerminalParam& a, const TerminalParam& b)
{
    return !sameTerminal(a, b) && std::strncmp(a.MAC, b.MAC, sizeof a.MAC) == 0;
}
