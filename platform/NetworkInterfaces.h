// The machine's network adapters as the search sees them: IPv4 interfaces
// that are switched on, are not loopback and can broadcast, each with
// whether its link is up (a cable out reads as no link). Read afresh on each
// call (adapters come and go); safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NetworkInterface {
    unsigned index = 0;    // the system's interface index (never 0)
    std::string name;      // such as "eth0"
    uint32_t address = 0;  // its first IPv4 address, host byte order
    bool linkUp = true;    // false: switched on but no link (nothing can be sent through it)
    uint32_t netmask = 0;  // of that address, host byte order (0: unknown)
};

// One entry per interface, in the system's order, however many IPv4
// addresses it carries.
std::vector<NetworkInterface> ListBroadcastInterfaces();

// The name of interface `index`, empty when there is none.
std::string InterfaceName(unsigned index);
