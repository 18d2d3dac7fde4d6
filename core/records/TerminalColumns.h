// The columns in which a terminal's record is written out as text: the
// window's export, the command line's scan and the commissioning result
// share them. Column names are the protocol's field names. Plain C++; any
// thread.
#pragma once

#include "net/TerminalParam.h"

#include <string>
#include <vector>

struct TerminalColumn {
    const char* name;
    std::string (*text)(const TerminalParam& record);
    bool numeric;  // written as a number in JSON
};

// Every field a terminal reports, in the order it is written out: model
// type, name, ID (as the table shows it, unsigned), state, firmware, the
// address settings, servers, MAC, speed, addressing mode, DNS, volumes,
// tone and the service configuration.
const std::vector<TerminalColumn>& terminalColumns();

// A record's fields as a CSV or TSV line holds them: texts made safe for
// spreadsheets (a terminal chooses its own name), numbers as they are.
std::vector<std::string> terminalCsvFields(const TerminalParam& record);

// The column named `name`, or null.
const TerminalColumn* findTerminalColumn(const std::string& name);
