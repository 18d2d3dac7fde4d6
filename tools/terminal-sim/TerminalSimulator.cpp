#include "TerminalSimulator.h"

#include "FleetBuilder.h"
#include "LinkModel.h"
#include "ReplySchedule.h"
#include "SimProtocol.h"
#include "SimReplies.h"
#include "SimSocket.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr size_t kReceiveBuffer = 65536;  // more than any UDP payload

bool isLoopback(uint32_t address)
{
    return (address >> 24) == 127;
}

struct SimTerminal {
    SimFleetEntry entry;
    int reboots = 0;
    int nextFault = 0;
};

}  // namespace

struct TerminalSimulator::State {
    SimConfig config;
    bool hasExplicitFleet = false;
    std::vector<TerminalParam> explicitFleet;

    // Guarded by mutex: the terminals, the address index and the log.
    mutable std::mutex mutex;
    mutable std::condition_variable logGrew;
    bool built = false;
    std::vector<SimTerminal> terminals;
    std::unordered_multimap<uint32_t, int> byAddress;
    std::vector<SimRequest> log;
    FILE* logFile = nullptr;
    uint64_t logged = 0;
    std::string error;

    // Fixed while running.
    std::unordered_set<uint32_t> broadcast;
    std::unordered_set<uint32_t> namespaceAddresses;
    SimSocket socket;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<uint16_t> port{0};
    std::atomic<uint64_t> repliesSent{0};

    // The simulator's thread only.
    std::mt19937 rng;
    ReplySchedule schedule;
    LinkModel link{0, 0};

    bool usableAddress(uint32_t address) const
    {
        if (config.addressing == SimAddressing::Loopback)
            return isLoopbackTerminalAddress(config, address);
        return namespaceAddresses.count(address) != 0;
    }

    void moveTerminal(int index, uint32_t address)
    {
        uint32_t old = terminals[index].entry.address;
        auto range = byAddress.equal_range(old);
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second == index) {
                byAddress.erase(it);
                break;
            }
        }
        terminals[index].entry.address = address;
        byAddress.emplace(address, index);
    }

    // The record's IP becomes the answering address when that is possible.
    void followRecordAddress(int index)
    {
        uint32_t address = 0;
        if (simParseAddress(terminals[index].entry.record.IP, &address) && usableAddress(address)
            && address != terminals[index].entry.address)
            moveTerminal(index, address);
    }

    void logRequest(const SimRequest& r)
    {
        ++logged;
        if (logFile != nullptr) {
            std::fprintf(logFile, "=== %llu %s:%u -> %s %zu bytes\n", static_cast<unsigned long long>(logged),
                simAddressText(r.sourceAddress).c_str(), r.sourcePort, simAddressText(r.destinationAddress).c_str(),
                r.bytes.size());
            std::fwrite(r.bytes.data(), 1, r.bytes.size(), logFile);
            std::fputc('\n', logFile);
            std::fflush(logFile);
        }
        if (config.keepRequestLog)
            log.push_back(r);
        logGrew.notify_all();
    }

    std::vector<int> targets(const SimParsedRequest& request, uint32_t destination) const
    {
        std::vector<int> out;
        switch (request.kind) {
        case SimRequestKind::Set:
        case SimRequestKind::Reboot:
            for (size_t i = 0; i < terminals.size(); ++i) {
                if (simRequestNames(request, terminals[i].entry.record))
                    out.push_back(static_cast<int>(i));
            }
            break;
        case SimRequestKind::Get:
        case SimRequestKind::Setting:
        case SimRequestKind::SetAll:
            if (broadcast.count(destination) != 0) {
                for (size_t i = 0; i < terminals.size(); ++i)
                    out.push_back(static_cast<int>(i));
            } else {
                auto range = byAddress.equal_range(destination);
                for (auto it = range.first; it != range.second; ++it)
                    out.push_back(it->second);
                std::sort(out.begin(), out.end());
            }
            break;
        case SimRequestKind::Other:
            break;
        }
        return out;
    }

    // What terminal `index` does with the request; its reply, or nothing.
    bool answer(int index, const SimParsedRequest& request, std::string* reply)
    {
        SimTerminal& t = terminals[index];
        switch (t.entry.behaviour) {
        case SimBehaviour::Silent:
            return false;
        case SimBehaviour::Answer400:
            *reply = composeSimRefusal(request.cseq);
            return true;
        case SimBehaviour::Normal:
        case SimBehaviour::Malformed:
            break;
        }
        if (applySimRequest(request, &t.entry.record))
            ++t.reboots;
        followRecordAddress(index);
        if (t.entry.behaviour == SimBehaviour::Malformed) {
            SimFault fault = static_cast<SimFault>(t.nextFault);
            t.nextFault = (t.nextFault + 1) % kSimFaultCount;
            *reply = composeSimFaultyReply(t.entry.record, request.cseq, fault);
        } else {
            *reply = composeSimReply(t.entry.record, request.cseq);
        }
        return true;
    }

    void handle(SimRequest request)
    {
        std::vector<SimOutgoing> replies;
        {
            std::lock_guard<std::mutex> lock(mutex);
            logRequest(request);
            // Loopback terminals never answer anyone off this machine.
            if (config.addressing == SimAddressing::Loopback && !isLoopback(request.sourceAddress))
                return;
            SimParsedRequest parsed = parseSimRequest(request.bytes);
            for (int index : targets(parsed, request.destinationAddress)) {
                SimOutgoing out;
                if (!answer(index, parsed, &out.bytes))
                    continue;
                out.from = terminals[index].entry.address;
                out.to = request.sourceAddress;
                out.toPort = request.sourcePort;
                replies.push_back(std::move(out));
            }
        }
        dispatch(&replies);
    }

    // Drops, delays or sends the replies of one request; with a link model
    // each waits for its turn on the link instead of going out at once.
    void dispatch(std::vector<SimOutgoing>* replies)
    {
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        const bool delayed = config.replyDelayMs > 0 || config.replyJitterMs > 0 || link.limited();
        const auto now = ReplySchedule::Clock::now();
        const size_t count = replies->size();
        for (size_t k = 0; k < count; ++k) {
            SimOutgoing& out = (*replies)[k];
            if (config.dropRate > 0.0 && chance(rng) < config.dropRate)
                continue;
            if (!delayed) {
                send(out);
                continue;
            }
            std::chrono::microseconds wait(static_cast<int64_t>(config.replyDelayMs) * 1000);
            if (config.replyJitterMs > 0 && config.replyOrder == SimReplyOrder::Fixed) {
                const int64_t slotUs = static_cast<int64_t>(config.replyJitterMs) * 1000 / static_cast<int64_t>(count);
                wait += std::chrono::microseconds(
                    slotUs * static_cast<int64_t>(k) + static_cast<int64_t>(rng() % static_cast<uint64_t>(slotUs + 1)));
            } else if (config.replyJitterMs > 0) {
                // To the microsecond: replies due in the same millisecond
                // would otherwise keep the fleet's order.
                wait += std::chrono::microseconds(rng() % (static_cast<uint64_t>(config.replyJitterMs) * 1000 + 1));
            }
            out.throughLink = !link.limited();
            schedule.add(now + wait, std::move(out));
        }
    }

    // A reply ready at `ready` joins the link's queue, or is lost when it is full.
    void enterLink(ReplySchedule::Clock::time_point ready, SimOutgoing* out)
    {
        ReplySchedule::Clock::time_point leaves;
        if (!link.admit(ready, out->bytes.size(), &leaves))
            return;
        out->throughLink = true;
        schedule.add(leaves, std::move(*out));
    }

    void send(const SimOutgoing& out)
    {
        if (socket.sendFrom(out.from, out.to, out.toPort, out.bytes.data(), out.bytes.size()))
            ++repliesSent;
    }

    void run()
    {
        std::vector<char> buffer(kReceiveBuffer);
        std::vector<SimOutgoing> due;
        while (running) {
            const SimSocket::Wait wait = socket.wait(schedule.msUntilNext(ReplySchedule::Clock::now()));
            if (wait == SimSocket::Wait::Woken || wait == SimSocket::Wait::Failed)
                break;
            if (wait == SimSocket::Wait::Readable) {
                // A bounded batch, so that due replies are not held up by a flood.
                for (int i = 0; i < 256; ++i) {
                    SimRequest r;
                    int n = socket.receive(
                        buffer.data(), buffer.size(), &r.sourceAddress, &r.sourcePort, &r.destinationAddress);
                    if (n < 0)
                        break;
                    r.bytes.assign(buffer.data(), static_cast<size_t>(n));
                    handle(std::move(r));
                }
            }
            due.clear();
            const auto now = ReplySchedule::Clock::now();
            schedule.takeDue(now, &due);
            for (SimOutgoing& out : due) {
                if (out.throughLink)
                    send(out);
                else
                    enterLink(now, &out);
            }
        }
    }
};

std::string simAddressText(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFFu, (address >> 8) & 0xFFu,
                  address & 0xFFu);
    return text;
}

// Strict dotted quad: four decimal parts of 0-255 without leading zeros.
bool simParseAddress(const std::string& text, uint32_t* address)
{
    uint32_t value = 0;
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (at >= text.size() || text[at++] != '.'))
            return false;
        const size_t start = at;
        unsigned number = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            number = number * 10 + static_cast<unsigned>(text[at++] - '0');
            if (number > 255 || (at - start > 1 && text[start] == '0'))
                return false;
        }
        if (at == start)
            return false;
        value = value << 8 | number;
    }
    if (at != text.size())
        return false;
    *address = value;
    return true;
}

TerminalSimulator::TerminalSimulator(const SimConfig& config)
    : d(new State)
{
    d->config = config;
}

TerminalSimulator::TerminalSimulator(const SimConfig& config, const std::vector<TerminalParam>& fleet)
    : d(new State)
{
    d->config = config;
    d->hasExplicitFleet = true;
    d->explicitFleet = fleet;
}

TerminalSimulator::~TerminalSimulator()
{
    stop();
}

bool TerminalSimulator::start()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (d->running) {
        d->error = "already running";
        return false;
    }
    const SimConfig& c = d->config;
    if (!d->built) {
        std::vector<SimFleetEntry> fleet;
        if (!buildSimFleet(c, d->hasExplicitFleet ? &d->explicitFleet : nullptr, &fleet, &d->error))
            return false;
        for (size_t i = 0; i < fleet.size(); ++i) {
            d->terminals.push_back({fleet[i], 0, 0});
            d->byAddress.emplace(fleet[i].address, static_cast<int>(i));
            d->namespaceAddresses.insert(fleet[i].address);
        }
        d->built = true;
    }
    d->broadcast.clear();
    for (const std::string& text : c.broadcastAddresses) {
        uint32_t a = 0;
        if (!simParseAddress(text, &a)) {
            d->error = "bad broadcast address " + text;
            return false;
        }
        d->broadcast.insert(a);
    }
    for (const std::string& text : c.addresses) {
        uint32_t a = 0;
        if (simParseAddress(text, &a))
            d->namespaceAddresses.insert(a);
    }
    uint32_t bind = 0;
    if (!simParseAddress(c.bindAddress, &bind)) {
        d->error = "bad bind address " + c.bindAddress;
        return false;
    }
    if (!c.logFile.empty() && (d->logFile = std::fopen(c.logFile.c_str(), "ab")) == nullptr) {
        d->error = "cannot write log file " + c.logFile;
        return false;
    }
    if (!d->socket.open(bind, c.port, &d->error)) {
        if (d->logFile != nullptr)
            std::fclose(d->logFile);
        d->logFile = nullptr;
        return false;
    }
    d->rng.seed(c.seed);
    d->link = LinkModel(c.linkRateBps, c.queueBytes);
    d->port = d->socket.port();
    d->running = true;
    d->thread = std::thread([this] { d->run(); });
    return true;
}

void TerminalSimulator::stop()
{
    if (!d->running)
        return;
    d->running = false;
    d->socket.wake();
    d->thread.join();
    std::lock_guard<std::mutex> lock(d->mutex);
    d->socket.close();
    d->port = 0;
    d->schedule.clear();
    if (d->logFile != nullptr)
        std::fclose(d->logFile);
    d->logFile = nullptr;
}

std::string TerminalSimulator::errorText() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->error;
}

uint16_t TerminalSimulator::port() const
{
    return d->port;
}

int TerminalSimulator::terminalCount() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return static_cast<int>(d->terminals.size());
}

std::vector<TerminalParam> TerminalSimulator::terminals() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    std::vector<TerminalParam> out;
    out.reserve(d->terminals.size());
    for (const SimTerminal& t : d->terminals)
        out.push_back(t.entry.record);
    return out;
}

TerminalParam TerminalSimulator::terminal(int index) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (index < 0 || static_cast<size_t>(index) >= d->terminals.size())
        return TerminalParam();
    return d->terminals[index].entry.record;
}

bool TerminalSimulator::setTerminal(int index, const TerminalParam& record)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (index < 0 || static_cast<size_t>(index) >= d->terminals.size())
        return false;
    d->terminals[index].entry.record = record;
    d->followRecordAddress(index);
    return true;
}

uint32_t TerminalSimulator::terminalAddress(int index) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (index < 0 || static_cast<size_t>(index) >= d->terminals.size())
        return 0;
    return d->terminals[index].entry.address;
}

SimBehaviour TerminalSimulator::behaviour(int index) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (index < 0 || static_cast<size_t>(index) >= d->terminals.size())
        return SimBehaviour::Normal;
    return d->terminals[index].entry.behaviour;
}

void TerminalSimulator::setBehaviour(int index, SimBehaviour behaviour)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (index >= 0 && static_cast<size_t>(index) < d->terminals.size())
        d->terminals[index].entry.behaviour = behaviour;
}

int TerminalSimulator::rebootCount(int index) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (index < 0 || static_cast<size_t>(index) >= d->terminals.size())
        return 0;
    return d->terminals[index].reboots;
}

std::vector<SimRequest> TerminalSimulator::requests() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->log;
}

void TerminalSimulator::clearRequests()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->log.clear();
}

bool TerminalSimulator::waitForRequests(size_t n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(d->mutex);
    return d->logGrew.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this, n] { return d->log.size() >= n; });
}

uint64_t TerminalSimulator::repliesSent() const
{
    return d->repliesSent;
}

std::string TerminalSimulator::replyText(int index, uint16_t cseq) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (index < 0 || static_cast<size_t>(index) >= d->terminals.size())
        return std::string();
    return composeSimReply(d->terminals[index].entry.record, cseq);
}

bool TerminalSimulator::sendFrom(int index, const std::string& bytes, uint32_t toAddress, uint16_t toPort)
{
    // Under the lock, so that stop() cannot close the socket meanwhile.
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!isLoopback(toAddress) || !d->running || index < 0 || static_cast<size_t>(index) >= d->terminals.size())
        return false;
    return d->socket.sendFrom(d->terminals[index].entry.address, toAddress, toPort, bytes.data(), bytes.size());
}
