#include "core/search/TerminalSearch.h"

#include "core/records/TerminalIdentity.h"

#include <algorithm>

TerminalSearch::TerminalSearch(NxNetControl* engine, NxNetControl::ReplyCallback forward)
    : engine(engine)
    , forward(forward)
    , startMs(engine->Settings().clockMs())
    , lastSendMs(startMs)
{
    ReplyRouter::attach(engine);
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
        const uint16_t cseq = engine->NextCSeq();
        ReplyRouter::claim(cseq, this);
        cseqs.push_back(cseq);
        if (!engine->QueryAllTerminals())
            ++failedSends;
        // The engine lists the adapters afresh for every GET: one plugged in
        // since the last GET is searched too.
        noteAdapters(engine->BroadcastInterfaces());
        lastSendMs = now;
    }
    if (next == times.size() && !quiet)
        goOn(now);
    {
        RecursiveLockGuard guard(lock);
        if (fresh != nullptr)
            fresh->insert(fresh->end(), inbox.begin(), inbox.end());
        inbox.clear();
    }
    quiet = quiet || (next == times.size() && !goesOn() && msToNextStep() == 0);
    return !quiet;
}

int TerminalSearch::msToNextStep() const
{
    const std::vector<int>& times = engine->Settings().searchSendsMs;
    const uint64_t elapsed = engine->Settings().clockMs() - startMs;
    if (next == times.size() && passAt < passTargets.size())
        return 1000 / kSweepPerSecond;
    const uint64_t gap = goesOn() ? kDrainMs : kQuietMs;
    const uint64_t due = next < times.size() ? static_cast<uint64_t>(times[next])
                                             : std::max(lastSendMs, lastReplyMs.load()) - startMs + gap;
    return due > elapsed ? static_cast<int>(due - elapsed) : 0;
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
        answeredFrom.insert(reply->Address);
        if (known.insert(terminalIdentityKey(*reply)).second) {
            ++answeredOn[reply->ArrivalInterface];
            ++firstFoundBy[reply->CSeq];
            if (forward == nullptr)
                found.push_back(*reply);
        }
        if (forward == nullptr)
            inbox.push_back(*reply);
    }
    if (forward != nullptr)
        forward(reply);
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
