#include "TerminalParam.h"

#include <cstring>

bool sameTerminal(const TerminalParam& a, const TerminalParam& b)
{
    return std::strcmp(a.MAC, b.MAC) == 0 && a.ID == b.ID && a.ServerPort == b.ServerPort
        && std::strcmp(a.IP, b.IP) == 0;
}
