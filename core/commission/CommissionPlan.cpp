#include "core/commission/CommissionPlan.h"

#include "core/records/TerminalColumns.h"
#include "core/records/TerminalEdit.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace {

// The row's values in the columns' text form, as terminalColumns() writes a
// reply, so that plan, check and verification compare like with like.
std::vector<std::pair<std::string, std::string>> wantedValues(const SheetRow& row, const TerminalParam& set)
{
    std::vector<std::pair<std::string, std::string>> values;
    auto add = [&](bool given, const char* column) {
        if (given)
            values.emplace_back(column, findTerminalColumn(column)->text(set));
    };
    // The SET names the terminal by its present ID and carries the new one
    // as NewID.
    if (row.id)
        values.emplace_back("ID", std::to_string(static_cast<uint32_t>(set.NewID)));
    add(row.autoIp.has_value(), "AutoIP");
    add(row.ip.has_value(), "IP");
    add(row.mask.has_value(), "Mask");
    add(row.gateway.has_value(), "Gateway");
    add(row.server.has_value(), "Server");
    add(row.serverPort.has_value(), "ServerPort");
    add(row.server2.has_value(), "Server2");
    add(row.server2Port.has_value(), "Server2Port");
    add(row.speed.has_value(), "Speed");
    add(row.treble.has_value(), "Treble");
    add(row.bass.has_value(), "Bass");
    return values;
}

TerminalEdit editFor(const SheetRow& row, const TerminalParam& current)
{
    TerminalEdit edit;
    // The dialog shows 1 for a terminal that reports no ID.
    edit.newId = row.id.value_or(current.ID == 0 ? 1 : current.ID);
    const bool addressGiven = row.ip || row.mask || row.gateway;
    edit.autoIp = row.autoIp.value_or(addressGiven ? false : current.AutoIP != 0);
    edit.ip = row.ip.value_or(current.IP);
    edit.mask = row.mask.value_or(current.Mask);
    edit.gateway = row.gateway.value_or(current.Gateway);
    edit.server = row.server.value_or(current.Server);
    edit.server2 = row.server2.value_or(current.Server2);
    edit.serverPort = row.serverPort.value_or(current.ServerPort);
    edit.server2Port = row.server2Port.value_or(current.Server2Port);
    edit.setSpeed = row.speed.has_value();
    edit.speed = row.speed.value_or(current.Speed);
    edit.playVol = current.PlayVol;
    edit.captureVol = current.CaptureVol;
    edit.setTone = row.treble || row.bass;
    edit.treble = row.treble.value_or(current.Treble);
    edit.bass = row.bass.value_or(current.Bass);
    return edit;
}

const char* faultColumn(IpSettingFault fault)
{
    switch (fault) {
    case IpSettingFault::IpInvalid:
    case IpSettingFault::IpMulticast:
    case IpSettingFault::IpIsBroadcast:
        return "IP";
    case IpSettingFault::MaskInvalid:
    case IpSettingFault::MaskNotContiguous:
        return "Mask";
    default:
        return "Gateway";
    }
}

// Rows whose terminal ends with the same value: IDs, or static IPs.
void findRepeats(const CommissionPlan& plan, bool ids, std::vector<CommissionProblem>* problems)
{
    std::unordered_map<std::string, int> firstLine;
    for (const PlanEntry& e : plan.entries) {
        const bool given = ids ? e.row.id.has_value() : (e.row.ip.has_value() && e.set.AutoIP == 0);
        const std::string value = ids ? std::to_string(e.set.NewID) : std::string(e.set.IP);
        if (!ids && e.set.AutoIP != 0)
            continue;
        auto seen = firstLine.emplace(value, e.row.line);
        if (!seen.second && given)
            problems->push_back({e.row.line, ids ? "ID" : "IP", ids ? ProblemKind::RepeatedId : ProblemKind::RepeatedIp,
                value, seen.first->second});
    }
}

}  // namespace

std::string macKey(const char* mac)
{
    std::string key(mac);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::vector<PlannedChange> unmetChanges(const PlanEntry& entry, const TerminalParam& reply)
{
    std::vector<PlannedChange> unmet;
    for (const PlannedChange& change : entry.changes) {
        const std::string reported = findTerminalColumn(change.column)->text(reply);
        if (reported != change.wanted)
            unmet.push_back({change.column, reported, change.wanted});
    }
    return unmet;
}

CommissionPlan planCommission(const CommissionSheet& sheet, const std::vector<TerminalParam>& found)
{
    CommissionPlan plan;
    std::unordered_map<std::string, std::vector<const TerminalParam*>> byMac;
    for (const TerminalParam& terminal : found)
        byMac[macKey(terminal.MAC)].push_back(&terminal);

    std::unordered_map<std::string, int> sheetMacs;
    for (const SheetRow& row : sheet.rows) {
        const std::string key = macKey(row.mac.c_str());
        auto first = sheetMacs.emplace(key, row.line);
        if (!first.second) {
            plan.problems.push_back({row.line, "MAC", ProblemKind::RepeatedMac, row.mac, first.first->second});
            continue;
        }
        const auto terminals = byMac.find(key);
        if (terminals == byMac.end()) {
            plan.problems.push_back({row.line, "MAC", ProblemKind::MacNotFound, row.mac});
            continue;
        }
        if (terminals->second.size() > 1) {
            plan.problems.push_back(
                {row.line, "MAC", ProblemKind::MacAmbiguous, row.mac, static_cast<int>(terminals->second.size())});
            continue;
        }
        PlanEntry entry;
        entry.row = row;
        entry.current = *terminals->second.front();
        entry.set = composeSetRecord(entry.current, editFor(row, entry.current));
        // Sent as the window sends a setting chosen from its table: to the
        // broadcast address, named by ID, model and MAC, so that it reaches
        // a terminal whose address is outside this computer's subnet.
        entry.set.IsBroadcast = 1;
        if (row.autoIp == true && (row.ip || row.mask || row.gateway))
            plan.problems.push_back({row.line, "AutoIP", ProblemKind::AutoIpWithAddress, "1"});
        else if (entry.set.AutoIP == 0) {
            const IpSettingFault fault = findIpSettingFault(entry.set.IP, entry.set.Mask, entry.set.Gateway);
            if (fault != IpSettingFault::None) {
                CommissionProblem problem{row.line, faultColumn(fault), ProblemKind::AddressRule, std::string()};
                problem.fault = fault;
                plan.problems.push_back(problem);
            }
        }
        for (const auto& wanted : wantedValues(row, entry.set)) {
            entry.changes.push_back(
                {wanted.first, findTerminalColumn(wanted.first)->text(entry.current), wanted.second});
        }
        entry.alreadySet = unmetChanges(entry, entry.current).empty();
        plan.entries.push_back(entry);
    }

    findRepeats(plan, true, &plan.problems);
    findRepeats(plan, false, &plan.problems);

    // New values that a terminal outside the sheet already has.
    std::unordered_map<std::string, const TerminalParam*> otherIds, otherIps;
    for (const TerminalParam& terminal : found) {
        if (sheetMacs.count(macKey(terminal.MAC)) != 0)
            continue;
        otherIds.emplace(std::to_string(terminal.ID), &terminal);
        otherIps.emplace(terminal.IP, &terminal);
    }
    for (const PlanEntry& e : plan.entries) {
        const auto id = otherIds.find(std::to_string(e.set.NewID));
        if (e.row.id && id != otherIds.end())
            plan.problems.push_back(
                {e.row.line, "ID", ProblemKind::IdInUse, std::to_string(e.set.NewID), 0, id->second->MAC});
        const auto ip = otherIps.find(e.set.IP);
        if (e.row.ip && e.set.AutoIP == 0 && ip != otherIps.end())
            plan.problems.push_back({e.row.line, "IP", ProblemKind::IpInUse, e.set.IP, 0, ip->second->MAC});
    }
    std::stable_sort(plan.problems.begin(), plan.problems.end(),
        [](const CommissionProblem& a, const CommissionProblem& b) { return a.line < b.line; });
    return plan;
}
