// The commissioning plan: each sheet row matched to the terminal that
// answered the search with its MAC, the SET record the settings dialog would
// send it, and every problem that forbids sending anything (address rules,
// repeated MACs, IDs and addresses, addresses and IDs already in use,
// terminals not found). Plain C++; any thread.
#pragma once

#include "core/commission/CommissionSheet.h"
#include "net/TerminalParam.h"

#include <string>
#include <vector>

// One sheet value next to the terminal's present one.
struct PlannedChange {
    std::string column;
    std::string current;
    std::string wanted;
};

struct PlanEntry {
    SheetRow row;
    TerminalParam current;               // the terminal's record from the search
    TerminalParam set;                   // the record its SET is built from
    std::vector<PlannedChange> changes;  // every column the row gives
    bool alreadySet = false;             // the terminal has every value already: nothing is sent
};

struct CommissionPlan {
    std::vector<PlanEntry> entries;           // the sheet's rows in order (complete only without problems)
    std::vector<CommissionProblem> problems;  // the sheet's own and the plan's, by line
};

// Plans `sheet` against the terminals `found` by the search before applying;
// each row is checked however many problems the others have.
CommissionPlan planCommission(const CommissionSheet& sheet, const std::vector<TerminalParam>& found);

// The MAC as compared: its 48 bits in one notation (canonicalMac), or the
// text in lower case when it is in none.
std::string macKey(const char* mac);

// The columns of `entry` whose value in `reply` differs from the sheet's.
std::vector<PlannedChange> unmetChanges(const PlanEntry& entry, const TerminalParam& reply);
