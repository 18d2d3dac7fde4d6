// The terminals' present values written as a commissioning sheet, in the
// sheet's own columns, so that editing it and applying it changes only what
// was edited. Plain C++; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <string>
#include <vector>

// UTF-8 with byte-order mark; a terminal that gets its address
// automatically has no IP, mask or gateway, one without an ID no ID.
std::string commissionSheetCsv(const std::vector<TerminalParam>& terminals);
