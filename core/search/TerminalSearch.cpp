#include "core/search/TerminalSearch.h"

#include "core/records/TerminalIdentity.h"

#include <algorithm>

TerminalSearch::TerminalSearch(NxNetControl* engine, NxNetControl::ReplyCallback forward)
    : engine(engine)
    , forward(forward)
    , startMs(engine->Settings().clockMs())
    , lastSendMs(startMs)
    , lastSweepSendMs(startMs)
{
    ReplyRouter::attach(engine);
}

void TerminalSearch::searchRanges(const std::vector<SearchRange>& ranges)
{
    if (ranges.empty())
        return;
    sweepCSeq = engine->NextCSeq();
    ReplyRouter::claim(sweepCSeq, this);
    cseqs.push_back(engine->TakeCSeq());
    RecursiveLockGuard guard(lock);
    sweep = std::make_unique<AddressSweep>(ranges, engine->Settings().sweepRate);
}

TerminalSearch::~TerminalSearch()
{
    for (uint16_t cseq : cseqs)
        ReplyRouter::release(cseq, this);
}

bool TerminalSearch::step(std::vector<TerminalParam>* fresh)
{
    const std::vector<int>& times = engine->Settings().searchSendsMs;
    const uint64_t now = engine->Settings().clockMs();
    while (next < times.size() && now - startMs >= static_cast<uint64_t>(times[next])) {
        ++next;
        sendGet(now);
    }
    sendSweep(now);
    const bool planned = next == times.size();
    if (planned)
        goOn(now);
    {
        RecursiveLockGuard guard(lock);
        if (fresh != nullptr)
            fresh->insert(fresh->end(), inbox.begin(), inbox.end());
        inbox.clear();
    }
    const uint64_t broadcastQuietAt = std::max(lastSendMs, lastBroadcastReplyMs.load()) + kQuietMs;
    broadcastQuiet = broadcastQuiet || (getsDone() && now >= broadcastQuietAt);
    bool swept = rangeBacklog.empty();
    {
        RecursiveLockGuard guard(lock);
        swept = swept && (sweep == nullptr || sweep->done());
    }
    quiet = quiet || (planned && goingOn == GoingOn::Done && swept && msToNextStep() == 0);
    broadcastQuiet = broadcastQuiet || quiet;
    return !quiet;
}

int TerminalSearch::msToNextStep() const
{
    const std::vector<int>& times = engine->Settings().searchSendsMs;
    const uint64_t now = engine->Settings().clockMs();
    const uint64_t never = UINT64_MAX;
    uint64_t due = never;  // a clock time
    if (next < times.size())
        due = startMs + static_cast<uint64_t>(times[next]);
    {
        RecursiveLockGuard guard(lock);
        if (sweep != nullptr && !sweep->done())
            due = std::min(due, now + static_cast<uint64_t>(sweep->msToNext(now - startMs)));
        if (goingOn == GoingOn::Sweeping)
            due = std::min(due, now + static_cast<uint64_t>(subnetSweep->msToNext(now - lastPassStartMs)));
    }
    if (!rangeBacklog.empty() || (goingOn == GoingOn::Sweeping && !passBacklog.empty()))
        due = std::min(due, now + kNoRoomRetryMs);
    if (next == times.size() && goingOn == GoingOn::Draining)
        due = std::min(due, drainedAt());
    if (!broadcastQuiet && getsDone())
        due = std::min(due, std::max(lastSendMs, lastBroadcastReplyMs.load()) + kQuietMs);
    // Everything is out: the quiet period that ends the search.
    if (due == never)
        due = std::max({lastSendMs, lastSweepSendMs, lastPassSendMs, lastReplyMs.load()}) + kQuietMs;
    return due > now ? static_cast<int>(due - now) : 0;
}

bool TerminalSearch::settled() const
{
    return quiet;
}

size_t TerminalSearch::sends() const
{
    return next + static_cast<size_t>(moreGets);
}

bool TerminalSearch::allSent() const
{
    return failedSends == 0;
}

bool TerminalSearch::anySent() const
{
    return failedSends < static_cast<int>(sends());
}

bool TerminalSearch::throughEveryAdapter() const
{
    return engine->ThroughEveryAdapter();
}

uint32_t TerminalSearch::destination() const
{
    return engine->Settings().broadcastAddress;
}

std::vector<TerminalParam> TerminalSearch::terminals() const
{
    RecursiveLockGuard guard(lock);
    return found;
}

int TerminalSearch::terminalCount() const
{
    RecursiveLockGuard guard(lock);
    return static_cast<int>(known.size());
}

std::vector<TerminalSearch::Adapter> TerminalSearch::adapters() const
{
    RecursiveLockGuard guard(lock);
    std::vector<Adapter> list;
    for (const NetworkInterface& adapter : searched) {
        const auto count = answeredOn.find(adapter.index);
        list.push_back({adapter, count == answeredOn.end() ? 0 : count->second});
    }
    // Replies on an interface the GETs did not name (one that went away, or
    // a route of its own) are still counted under its name.
    for (const auto& count : answeredOn) {
        const bool listed = std::any_of(searched.begin(), searched.end(),
            [&count](const NetworkInterface& adapter) { return adapter.index == count.first; });
        if (!listed && count.first != 0) {
            NetworkInterface adapter;
            adapter.index = count.first;
            adapter.name = interfaceName(count.first);
            list.push_back({adapter, count.second});
        }
    }
    return list;
}

std::string TerminalSearch::interfaceName(unsigned index)
{
    return InterfaceName(index);
}

void TerminalSearch::take(TerminalParam* reply)
{
    lastReplyMs = engine->Settings().clockMs();
    {
        RecursiveLockGuard guard(lock);
        const uint16_t cseq = static_cast<uint16_t>(reply->CSeq);
        const bool ranged = sweep != nullptr && cseq == sweepCSeq;
        const bool passed = subnetSweep != nullptr && cseq == subnetCSeq;
        const std::string key = terminalIdentityKey(*reply);
        if (!ranged) {
            (passed ? lastPassReplyMs : lastBroadcastReplyMs) = lastReplyMs.load();
            routed.erase(key);
        } else if (known.count(key) == 0) {
            routed.insert(key);
        }
        // Matched by where it came from: one CSeq serves a whole pass.
        answeredFrom.insert(reply->Address);
        if (sweep != nullptr)
            sweep->answered(reply->Address);
        if (subnetSweep != nullptr)
            subnetSweep->answered(reply->Address);
        if (known.insert(key).second) {
            ++answeredOn[reply->ArrivalInterface];
            ++firstFoundBy[cseq];
            if (forward == nullptr)
                found.push_back(*reply);
        }
        if (forward == nullptr)
            inbox.push_back(*reply);
    }
    if (forward != nullptr)
        forward(reply);
}

void TerminalSearch::sendGet(uint64_t now)
{
    const uint16_t cseq = engine->NextCSeq();
    ReplyRouter::claim(cseq, this);
    cseqs.push_back(cseq);
    lastGetCSeq = cseq;
    if (!engine->QueryAllTerminals())
        ++failedSends;
    // The engine lists the adapters afresh for every GET: one plugged in
    // since the last GET is searched too.
    noteAdapters(engine->BroadcastInterfaces());
    lastSendMs = now;
}

void TerminalSearch::noteAdapters(const std::vector<NetworkInterface>& adapters)
{
    RecursiveLockGuard guard(lock);
    for (const NetworkInterface& adapter : adapters) {
        const auto entry = std::find_if(searched.begin(), searched.end(),
            [&adapter](const NetworkInterface& listed) { return listed.index == adapter.index; });
        if (entry == searched.end())
            searched.push_back(adapter);
        else
            *entry = adapter;
    }
}

void TerminalSearch::sendDirectedBroadcasts()
{
    std::vector<SearchRange> subnets;
    {
        RecursiveLockGuard guard(lock);
        if (sweep != nullptr)
            subnets = sweep->ranges();
    }
    for (const SearchRange& range : subnets)
        if (range.wholeSubnet())
            engine->QueryAt(range.broadcast(), sweepCSeq, true);
}

void TerminalSearch::sendSweep(uint64_t now)
{
    // Most routers drop it, but where one forwards it, it finds the whole
    // subnet at once and the sweep skips what answered.
    if (!directedSent) {
        directedSent = true;
        sendDirectedBroadcasts();
    }
    std::vector<uint32_t> due;
    {
        RecursiveLockGuard guard(lock);
        if (sweep != nullptr && rangeBacklog.empty())
            sweep->due(now - startMs, &due);
    }
    rangeBacklog.insert(rangeBacklog.end(), due.begin(), due.end());
    if (sendByAddress(&rangeBacklog, sweepCSeq) > 0)
        lastSweepSendMs = now;
}

size_t TerminalSearch::sendByAddress(std::deque<uint32_t>* backlog, uint16_t cseq)
{
    size_t out = 0;
    // A GET that cannot go (no route to that subnet) finds nothing there;
    // the range's count says so, and the sweep goes on with the rest.
    for (bool noRoom = false; !backlog->empty(); backlog->pop_front(), ++out) {
        engine->QueryAt(backlog->front(), cseq, false, &noRoom);
        if (noRoom)
            break;
    }
    return out;
}

bool TerminalSearch::broadcastSettled() const
{
    return broadcastQuiet;
}

uint64_t TerminalSearch::sweepPassed() const
{
    RecursiveLockGuard guard(lock);
    return sweep == nullptr ? 0 : sweep->passed();
}

uint64_t TerminalSearch::sweepTotal() const
{
    RecursiveLockGuard guard(lock);
    return sweep == nullptr ? 0 : sweep->total();
}

std::vector<SearchRange> TerminalSearch::ranges() const
{
    RecursiveLockGuard guard(lock);
    return sweep == nullptr ? std::vector<SearchRange>() : sweep->ranges();
}

std::vector<int> TerminalSearch::foundPerRange() const
{
    RecursiveLockGuard guard(lock);
    return sweep == nullptr ? std::vector<int>() : sweep->answeredPerRange();
}

bool TerminalSearch::onlyThroughRange(const TerminalParam& terminal) const
{
    RecursiveLockGuard guard(lock);
    return routed.count(terminalIdentityKey(terminal)) != 0;
}
