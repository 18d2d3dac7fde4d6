// The commissioning sheet: CSV with a header line naming its columns (letter
// case ignored), one row per terminal identified by MAC; every other column
// is optional and applied only where a row gives a value. Reading it checks
// each value on its own (numbers, ranges, address forms); what needs the
// network is checked by the plan. Plain C++; any thread.
#pragma once

#include "core/commission/CommissionProblem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SheetRow {
    int line = 0;
    std::vector<std::string> fields;  // as written, one per header column
    std::string mac;                  // as written; empty when missing or no MAC
    std::optional<int32_t> id;
    std::optional<bool> autoIp, useDns;
    std::optional<std::string> ip, mask, gateway, server, server2, dns1, dns2;  // dotted, canonical
    std::optional<uint16_t> serverPort, server2Port, speed;
    std::optional<int8_t> treble, bass;
};

struct CommissionSheet {
    bool readable = false;             // rows could be read: the plan can check them
    std::vector<std::string> columns;  // the header as written, in its order
    // Columns of the tool's own export that a sheet cannot set (Name, Ver, ...):
    // left out, so that an export can be edited and applied.
    std::vector<std::string> ignored;
    std::vector<SheetRow> rows;
    std::vector<CommissionProblem> problems;
};

// Every column a sheet may set, in the order an exported sheet has them;
// MAC is required.
const std::vector<std::string>& sheetColumns();

// Reads and checks the sheet text (UTF-8, with or without byte-order mark),
// noting a problem for each fault. Rows with faulty values are kept without
// those values, so that the plan can report what else is wrong in one pass.
void readCommissionSheet(const std::string& text, CommissionSheet* sheet);

// "a.b.c.d" with four decimal numbers 0 to 255, written without leading
// zeros; nullopt for anything else.
std::optional<std::string> canonicalAddress(const std::string& text);

// A MAC in any common notation (groups of two separated by "-" or ":",
// groups of four separated by ".", or twelve digits; any letter case) as
// "xx-xx-xx-xx-xx-xx" in lower case; nullopt for anything else.
std::optional<std::string> canonicalMac(const std::string& text);
