// Terminals behind a router in a commissioning plan: no broadcast crosses a
// router, so their SETs go to their own address, as a read by address does.
// Plain C++; any thread.
#pragma once

#include "core/commission/CommissionPlan.h"

#include <string>
#include <unordered_set>

// Sets each entry whose terminal's identity key (terminalIdentityKey) is in
// `routed` by its own address; how many entries that is.
int addressRoutedEntries(CommissionPlan* plan, const std::unordered_set<std::string>& routed);
