// Fleet file: the simulated terminals written out one per line.
//
//   # comment; blank lines are skipped
//   id=12 type=NA-100 ip=127.1.0.12 mac=00-12-37-00-00-0C name=Hall-1
//   type=HS-1 server=127.0.0.1:7900 svcconfig="1=7900 2=7901" behaviour=silent
//
// Each line is blank-separated key=value items; a value holding blanks is
// put in double quotes (no escapes). Keys: id type ver mac ip mask gateway
// server server2 (host:port) dns1 dns2 website usedns autoip mode speed
// name svcconfig treble bass playvol capturevol, and behaviour (normal,
// 400, silent, malformed). A key left out takes the value generated for
// that line's index from the seed; a line without ip gets the next free
// address. Reading runs on the caller's thread.
#pragma once

#include "TerminalSimulator.h"

#include <string>
#include <utility>
#include <vector>

struct FleetFileLine {
    int lineNumber = 0;
    std::vector<std::pair<std::string, std::string>> items;  // key, value
};

// Splits the file into lines of items. False with the reason (and line) in *error.
bool readFleetFile(const std::string& path, std::vector<FleetFileLine>* lines, std::string* error);

// Applies one item to a terminal. False with the reason in *error for an
// unknown key, a value that is not a number where one is needed, or a text
// too long for its field.
bool applyFleetItem(const std::string& key, const std::string& value, TerminalParam* terminal, SimBehaviour* behaviour,
    std::string* error);

// "normal", "400", "silent", "malformed".
bool parseSimBehaviour(const std::string& text, SimBehaviour* behaviour);
