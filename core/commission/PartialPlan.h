// Planning a sheet in part, for a link that loses replies: the rows whose
// terminal never answered are left out so that the others can be applied.
// Plain C++; any thread.
#pragma once

#include "core/commission/CommissionPlan.h"

#include <vector>

// When the only problems are MACs no terminal answered with, the plan of the
// other rows, and those rows in `notFound`; otherwise the whole sheet's plan
// with all its problems, `notFound` empty.
CommissionPlan planFoundRows(
    const CommissionSheet& sheet, const std::vector<TerminalParam>& found, std::vector<SheetRow>* notFound);
