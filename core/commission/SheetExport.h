// The terminals' present values written as a commissioning sheet, in the
// sheet's own columns, so that editing it and applying it changes only what
// was edited. Plain C++; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <string>
#include <vector>

// UTF-8 with byte-order mark. A terminal that gets its address
// automatically has its present one written, which the sheet's check
// accepts beside AutoIP 1.
std::string commissionSheetCsv(const std::vector<TerminalParam>& terminals);
