// The commissioning sheet: CSV with a header line naming its columns, one row
// per terminal identified by MAC; every other column is optional and applied
// only where a row gives a value. Reading it checks each value on its own
// (numbers, ranges, address forms); what needs the network is checked by the
// plan. Plain C++; any thread.
#pragma once

#include "core/commission/CommissionProblem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SheetRow {
    int line = 0;
    std::vector<std::string> fields;  // as written, one per header column
    std::string mac;
    std::optional<int32_t> id;
    std::optional<bool> autoIp;
    std::optional<std::string> ip, mask, gateway, server, server2;  // dotted, canonical
    std::optional<uint16_t> serverPort, server2Port, speed;
    std::optional<int8_t> treble, bass;
};

struct CommissionSheet {
    std::vector<std::string> columns;  // the header, in its order
    std::vector<SheetRow> rows;
};

// Every column a sheet may have; MAC is required.
const std::vector<std::string>& sheetColumns();

// Reads and checks the sheet text (UTF-8, with or without byte-order mark).
// Appends a problem for each fault; the rows are complete only when none.
void readCommissionSheet(const std::string& text, CommissionSheet* sheet, std::vector<CommissionProblem>* problems);

// "a.b.c.d" with four decimal numbers 0 to 255, written without leading
// zeros; nullopt for anything else.
std::optional<std::string> canonicalAddress(const std::string& text);
