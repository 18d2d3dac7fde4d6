// Builds the simulated fleet from a configuration: generated terminals or
// a fleet file, answering addresses, deliberate conflicts and behaviours.
// Runs on the caller's thread.
#pragma once

#include "TerminalSimulator.h"

#include <string>
#include <vector>

struct SimFleetEntry {
    TerminalParam record;
    uint32_t address = 0;  // the address it answers from, host byte order
    SimBehaviour behaviour = SimBehaviour::Normal;
};

// Terminal `index` as the seed makes it; its IP, mask and gateway are left
// for the address assignment.
TerminalParam generateSimTerminal(const SimConfig& config, int index);

// The fleet for `config`: from `explicitFleet` when given, otherwise from
// the fleet file or generated. False with the reason in *error.
bool buildSimFleet(const SimConfig& config, const std::vector<TerminalParam>* explicitFleet,
    std::vector<SimFleetEntry>* fleet, std::string* error);

// Whether a terminal may answer from this address under `config`: in
// loopback mode any 127/8 address that is not a broadcast destination.
bool isLoopbackTerminalAddress(const SimConfig& config, uint32_t address);
