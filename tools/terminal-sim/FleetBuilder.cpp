#include "FleetBuilder.h"

#include "FleetFile.h"
#include "SimModels.h"
#include "SimProtocol.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <unordered_set>

namespace {

template <size_t N> void setText(char (&field)[N], const std::string& value)
{
    std::snprintf(field, N, "%s", value.c_str());
}

std::string pickModel(const SimConfig& config, std::mt19937& rng)
{
    if (config.modelMix.empty())
        return simModelCodes()[rng() % simModelCodes().size()];
    long total = 0;
    for (const SimModelShare& m : config.modelMix)
        total += m.weight > 0 ? m.weight : 0;
    if (total <= 0)
        return config.modelMix.front().type;
    long pick = static_cast<long>(rng() % static_cast<unsigned long>(total));
    for (const SimModelShare& m : config.modelMix) {
        pick -= m.weight > 0 ? m.weight : 0;
        if (pick < 0)
            return m.type;
    }
    return config.modelMix.back().type;
}

bool isBroadcastDestination(const SimConfig& config, uint32_t address)
{
    for (const std::string& text : config.broadcastAddresses) {
        uint32_t b = 0;
        if (simParseAddress(text, &b) && b == address)
            return true;
    }
    return false;
}

// Next loopback address at or after `next` whose last byte is neither 0 nor
// 255 and that no terminal was given explicitly.
bool nextLoopbackAddress(
    const SimConfig& config, const std::unordered_set<uint32_t>& taken, uint32_t* next, uint32_t* address)
{
    while ((*next >> 24) == 127) {
        uint32_t a = (*next)++;
        uint32_t last = a & 0xFF;
        if (last != 0 && last != 255 && !isBroadcastDestination(config, a) && taken.count(a) == 0) {
            *address = a;
            return true;
        }
    }
    return false;
}

// Mask and gateway to report when neither was given.
void completeNetwork(const SimConfig& config, TerminalParam* t, uint32_t address)
{
    if (t->Mask[0] == '\0')
        setText(t->Mask, config.addressing == SimAddressing::Loopback ? "255.0.0.0" : "255.255.255.0");
    if (t->Gateway[0] == '\0') {
        uint32_t gateway = config.addressing == SimAddressing::Loopback ? 0x7F000001u : (address & 0xFFFFFF00u) | 1;
        setText(t->Gateway, simAddressText(gateway));
    }
}

bool assignAddresses(const SimConfig& config, std::vector<SimFleetEntry>* fleet, std::string* error)
{
    uint32_t next = 0;
    if (config.addressing == SimAddressing::Loopback && !simParseAddress(config.firstLoopbackAddress, &next)) {
        *error = "bad first loopback address " + config.firstLoopbackAddress;
        return false;
    }
    auto givenAddress = [&](size_t i) {
        std::string ip = (*fleet)[i].record.IP;
        return ip.empty() && i < config.addresses.size() ? config.addresses[i] : ip;
    };
    std::unordered_set<uint32_t> taken;
    for (size_t i = 0; i < fleet->size(); ++i) {
        uint32_t a = 0;
        if (simParseAddress(givenAddress(i), &a))
            taken.insert(a);
    }
    for (size_t i = 0; i < fleet->size(); ++i) {
        SimFleetEntry& e = (*fleet)[i];
        const std::string ip = givenAddress(i);
        uint32_t address = 0;
        if (!ip.empty()) {
            if (!simParseAddress(ip, &address)) {
                *error = "terminal " + std::to_string(i) + ": bad address " + ip;
                return false;
            }
        } else if (config.addressing == SimAddressing::Namespace
            || !nextLoopbackAddress(config, taken, &next, &address)) {
            *error = "terminal " + std::to_string(i) + ": no address left for it";
            return false;
        }
        if (config.addressing == SimAddressing::Loopback && !isLoopbackTerminalAddress(config, address)) {
            *error = "terminal " + std::to_string(i) + ": " + simAddressText(address)
                + " is not a loopback terminal address";
            return false;
        }
        e.address = address;
        setText(e.record.IP, simAddressText(address));
        completeNetwork(config, &e.record, address);
    }
    return true;
}

bool validIndex(const std::vector<SimFleetEntry>& fleet, int i)
{
    return i >= 0 && static_cast<size_t>(i) < fleet.size();
}

bool applyConflictsAndBehaviours(const SimConfig& config, std::vector<SimFleetEntry>* fleet, std::string* error)
{
    for (const auto& pair : config.ipConflicts) {
        if (!validIndex(*fleet, pair.first) || !validIndex(*fleet, pair.second)) {
            *error = "IP conflict names a terminal outside the fleet";
            return false;
        }
        SimFleetEntry& b = (*fleet)[pair.second];
        b.address = (*fleet)[pair.first].address;
        std::memcpy(b.record.IP, (*fleet)[pair.first].record.IP, sizeof b.record.IP);
    }
    for (const auto& pair : config.macConflicts) {
        if (!validIndex(*fleet, pair.first) || !validIndex(*fleet, pair.second)) {
            *error = "MAC conflict names a terminal outside the fleet";
            return false;
        }
        std::memcpy((*fleet)[pair.second].record.MAC, (*fleet)[pair.first].record.MAC, sizeof(TerminalParam::MAC));
    }
    const std::pair<const std::vector<int>*, SimBehaviour> lists[] = {
        {&config.answer400, SimBehaviour::Answer400},
        {&config.silent, SimBehaviour::Silent},
        {&config.malformed, SimBehaviour::Malformed},
    };
    for (const auto& list : lists) {
        for (int i : *list.first) {
            if (!validIndex(*fleet, i)) {
                *error = "behaviour set for terminal " + std::to_string(i) + " outside the fleet";
                return false;
            }
            (*fleet)[i].behaviour = list.second;
        }
    }
    return true;
}

bool fleetFromFile(const SimConfig& config, std::vector<SimFleetEntry>* fleet, std::string* error)
{
    std::vector<FleetFileLine> lines;
    if (!readFleetFile(config.fleetFile, &lines, error))
        return false;
    for (const FleetFileLine& line : lines) {
        SimFleetEntry e;
        e.record = generateSimTerminal(config, static_cast<int>(fleet->size()));
        for (const auto& item : line.items) {
            std::string reason;
            if (!applyFleetItem(item.first, item.second, &e.record, &e.behaviour, &reason)) {
                *error = config.fleetFile + ":" + std::to_string(line.lineNumber) + ": " + reason;
                return false;
            }
        }
        fleet->push_back(e);
    }
    return true;
}

}  // namespace

TerminalParam generateSimTerminal(const SimConfig& config, int index)
{
    // Each terminal has its own stream, so terminal i is the same whatever the fleet size.
    std::seed_seq seq{config.seed, static_cast<uint32_t>(index)};
    std::mt19937 rng(seq);
    TerminalParam t;
    t.ID = index + 1;
    setText(t.Type, pickModel(config, rng));
    const SimModel* model = findSimModel(t.Type);
    uint32_t serial = static_cast<uint32_t>(index) + 1;
    std::snprintf(
        t.MAC, sizeof t.MAC, "00-12-37-%02X-%02X-%02X", (serial >> 16) & 0xFF, (serial >> 8) & 0xFF, serial & 0xFF);
    const unsigned minor = rng() % 5;
    const unsigned patch = rng() % 20;
    std::snprintf(t.Ver, sizeof t.Ver, "1.%u.%u", minor, patch);
    setText(t.Server, "127.0.0.1");
    setText(t.Server2, "127.0.0.2");
    t.ServerPort = t.Server2Port = model != nullptr ? model->serverPort : 7900;
    t.UseDNS = rng() % 2;
    if (t.UseDNS)
        setText(t.DNS1, "127.0.0.53");
    if (index % 4 == 0)
        std::snprintf(t.Website, sizeof t.Website, "http://127.0.0.1/t%d", t.ID);
    t.AutoIP = rng() % 4 == 0;
    setText(t.Mode, kSimModeNormal);
    const uint16_t speeds[] = {0, 10, 100};
    t.Speed = speeds[rng() % 3];
    if (rng() % 3 != 0)
        std::snprintf(t.Name, sizeof t.Name, "Term-%d", t.ID);
    t.Treble = static_cast<int8_t>(static_cast<int>(rng() % 21) - 10);
    t.Bass = static_cast<int8_t>(static_cast<int>(rng() % 21) - 10);
    t.PlayVol = static_cast<int8_t>(1 + rng() % 100);
    t.CaptureVol = static_cast<int8_t>(1 + rng() % 100);
    if (model != nullptr && model->hostDevice)
        setSimSvcConfig(&t, "1=7900,2=7901 3=8901");
    return t;
}

bool buildSimFleet(const SimConfig& config, const std::vector<TerminalParam>* explicitFleet,
    std::vector<SimFleetEntry>* fleet, std::string* error)
{
    fleet->clear();
    if (explicitFleet != nullptr) {
        for (const TerminalParam& t : *explicitFleet) {
            SimFleetEntry e;
            e.record = t;
            fleet->push_back(e);
        }
    } else if (!config.fleetFile.empty()) {
        if (!fleetFromFile(config, fleet, error))
            return false;
    } else {
        if (config.fleetSize < 0) {
            *error = "negative fleet size";
            return false;
        }
        for (int i = 0; i < config.fleetSize; ++i) {
            SimFleetEntry e;
            e.record = generateSimTerminal(config, i);
            fleet->push_back(e);
        }
    }
    return assignAddresses(config, fleet, error) && applyConflictsAndBehaviours(config, fleet, error);
}

bool isLoopbackTerminalAddress(const SimConfig& config, uint32_t address)
{
    return (address >> 24) == 127 && !isBroadcastDestination(config, address);
}
