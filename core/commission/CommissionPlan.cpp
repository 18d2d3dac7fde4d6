#include "core/commission/CommissionPlan.h"

#include "core/records/TerminalColumns.h"
#include "core/records/TerminalEdit.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace {

// The row's values in the columns' text form, as terminalColumns() writes a
// reply, so that plan, check and verification compare like with like. The
// addresses of a terminal that gets its address automatically are not its
// to keep, so they are not compared.
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
    const bool staticAddress = set.AutoIP == 0;
    add(row.autoIp.has_value(), "AutoIP");
    add(row.ip.has_value() && staticAddress, "IP");
    add(row.mask.has_value() && staticAddress, "Mask");
    add(row.gateway.has_value() && staticAddress, "Gateway");
    add(row.server.has_value(), "Server");
    add(row.serverPort.has_value(), "ServerPort");
    add(row.server2.has_value(), "Server2");
    add(row.server2Port.has_value(), "Server2Port");
    add(row.speed.has_value(), "Speed");
    add(row.useDns.has_value(), "UseDNS");
    add(row.dns1.has_value(), "DNS1");
    add(row.dns2.has_value(), "DNS2");
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
    // Unlike the dialog, a sheet changes only what it names.
    edit.sendDns = true;
    edit.useDns = row.useDns.value_or(current.UseDNS != 0);
    edit.dns1 = row.dns1.value_or(current.DNS1);
    edit.dns2 = row.dns2.value_or(current.DNS2);
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

// AutoIP 1 with an address is a contradiction, unless the address is the
// one the terminal reports (as the tool's own export writes it).
bool contradictsAutoIp(const SheetRow& row, const TerminalParam& current)
{
    if (row.autoIp != true)
        return false;
    return (row.ip && *row.ip != current.IP) || (row.mask && *row.mask != current.Mask)
        || (row.gateway && *row.gateway != current.Gateway);
}

// The ID and static IP a terminal has once the plan is applied.
struct FinalValue {
    std::string value;
    int line = 0;  // 0: a terminal outside the sheet
    bool given = false;
    std::string mac;
};

// Each row that gives a value another terminal ends with: against the
// terminal outside the sheet, or the other row (reported once, on the later
// of two rows that both give it). Row order does not matter.
void findRepeats(const std::vector<FinalValue>& values, bool ids, std::vector<CommissionProblem>* problems)
{
    std::unordered_map<std::string, std::vector<const FinalValue*>> byValue;
    for (const FinalValue& v : values) {
        if (!v.value.empty())
            byValue[v.value].push_back(&v);
    }
    for (const FinalValue& v : values) {
        if (!v.given || v.value.empty())
            continue;
        for (const FinalValue* other : byValue[v.value]) {
            if (other == &v || (other->given && other->line > v.line))
                continue;
            if (other->line == 0)
                problems->push_back({v.line, ids ? "ID" : "IP", ids ? ProblemKind::IdInUse : ProblemKind::IpInUse,
                    v.value, 0, other->mac});
            else
                problems->push_back({v.line, ids ? "ID" : "IP", ids ? ProblemKind::RepeatedId : ProblemKind::RepeatedIp,
                    v.value, other->line});
            break;
        }
    }
}

}  // namespace

std::string macKey(const char* mac)
{
    std::string key(mac);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return canonicalMac(key).value_or(key);
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
    plan.problems = sheet.problems;
    std::unordered_map<std::string, std::vector<const TerminalParam*>> byMac;
    for (const TerminalParam& terminal : found)
        byMac[macKey(terminal.MAC)].push_back(&terminal);

    std::unordered_map<std::string, int> sheetMacs;
    std::vector<FinalValue> ids, ips;
    for (const SheetRow& row : sheet.rows) {
        if (row.mac.empty())
            continue;
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
        if (contradictsAutoIp(row, entry.current))
            plan.problems.push_back({row.line, "AutoIP", ProblemKind::AutoIpWithAddress, "1"});
        else if (entry.set.AutoIP == 0) {
            const IpSettingFault fault = findIpSettingFault(entry.set.IP, entry.set.Mask, entry.set.Gateway);
            if (fault != IpSettingFault::None) {
                CommissionProblem problem{row.line, faultColumn(fault), ProblemKind::AddressRule};
                problem.fault = fault;
                plan.problems.push_back(problem);
            }
        }
        for (const auto& wanted : wantedValues(row, entry.set)) {
            entry.changes.push_back(
                {wanted.first, findTerminalColumn(wanted.first)->text(entry.current), wanted.second});
        }
        entry.alreadySet = unmetChanges(entry, entry.current).empty();
        const std::string mac = entry.current.MAC;
        ids.push_back({std::to_string(entry.set.NewID), row.line, row.id.has_value(), mac});
        const bool staticIp = entry.set.AutoIP == 0;
        ips.push_back({staticIp ? entry.set.IP : std::string(), row.line, staticIp && row.ip.has_value(), mac});
        plan.entries.push_back(entry);
    }
    for (const TerminalParam& terminal : found) {
        if (sheetMacs.count(macKey(terminal.MAC)) != 0)
            continue;
        ids.push_back({std::to_string(terminal.ID), 0, false, terminal.MAC});
        ips.push_back({terminal.IP, 0, false, terminal.MAC});
    }
    findRepeats(ids, true, &plan.problems);
    findRepeats(ips, false, &plan.problems);
    std::stable_sort(plan.problems.begin(), plan.problems.end(),
        [](const CommissionProblem& a, const CommissionProblem& b) { return a.line < b.line; });
    return plan;
}
