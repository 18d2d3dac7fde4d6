// Command-line options of dbp-terminal-sim, turned into a SimConfig.
// Runs on the program's main thread.
#pragma once

#include "TerminalSimulator.h"

#include <string>

// Default fleet size and port of the program (the library defaults suit tests).
constexpr int kSimProgramFleetSize = 100;
constexpr uint16_t kSimProgramPort = 59137;

// Fills *config from the arguments, starting from the program's defaults.
// *help is set by --help. False with the reason in *error.
bool parseSimOptions(int argc, const char* const* argv, SimConfig* config, bool* help, std::string* error);

// The --help text.
std::string simUsage();
