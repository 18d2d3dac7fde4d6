// One thing wrong with a commissioning sheet: where (line and column) and
// what; the window and the command line turn it into text. Plain C++ value.
#pragma once

#include "core/records/IpSettingRules.h"

#include <string>
#include <utility>

enum class ProblemKind {
    UnclosedQuote,      // the CSV cannot be read: a quoted field opened on `line` is not closed
    TextAfterQuote,     // the CSV cannot be read: text follows a closing quote
    BadEncoding,        // value: the encoding tried after UTF-8 ("UTF-16": one without byte-order mark)
    NoMacColumn,        // the header names no MAC column
    UnknownColumn,      // value: the column name
    RepeatedColumn,     // value: the column name
    TooManyFields,      // a row has more fields than the header
    NoMac,              // a row without MAC
    BadMac,             // value: no MAC address in any notation
    BadNumber,          // value, not a number in the column's range; other: the allowed values
    BadAddress,         // value, not a dotted IPv4 address (servers)
    AddressRule,        // one of the nine address rules: fault
    AutoIpWithAddress,  // AutoIP 1 together with IP, Mask or Gateway
    RepeatedMac,        // otherLine: the row that has it first
    RepeatedId,         // value; otherLine: the other row ending with this ID
    RepeatedIp,         // value; otherLine: the other row ending with this IP
    IdInUse,            // value; other: MAC of the terminal outside the sheet that has it
    IpInUse,            // value; other: MAC of the terminal outside the sheet that has it
    MacNotFound,        // value: the MAC; no terminal answered with it
    MacAmbiguous,       // value: the MAC; otherLine: how many terminals answered with it
};

struct CommissionProblem {
    CommissionProblem(int line, std::string column, ProblemKind kind, std::string value = std::string(),
        int otherLine = 0, std::string other = std::string())
        : line(line)
        , column(std::move(column))
        , kind(kind)
        , value(std::move(value))
        , otherLine(otherLine)
        , other(std::move(other))
    {
    }

    int line = 0;        // 1-based line of the sheet; 0 for the whole sheet
    std::string column;  // empty when the row as a whole is wrong
    ProblemKind kind = ProblemKind::NoMacColumn;
    std::string value;
    int otherLine = 0;
    std::string other;
    IpSettingFault fault = IpSettingFault::None;
};
