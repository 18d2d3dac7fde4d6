#include "core/commission/RoutedEntries.h"

#include "core/records/TerminalIdentity.h"

int addressRoutedEntries(CommissionPlan* plan, const std::unordered_set<std::string>& routed)
{
    int byAddress = 0;
    for (PlanEntry& entry : plan->entries) {
        if (routed.count(terminalIdentityKey(entry.current)) != 0) {
            entry.set.IsBroadcast = 0;
            entry.set.Address = entry.current.Address;
            ++byAddress;
        }
    }
    return byAddress;
}
