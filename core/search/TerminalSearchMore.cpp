// TerminalSearch going on after its planned GETs while terminals still
// appear: more GETs, then passes over the adapters' subnets (see kMoreGets).
#include "core/search/TerminalSearch.h"

#include <algorithm>

int TerminalSearch::lastGetFound() const
{
    return lastFound;
}

void TerminalSearch::sweepSubnetAlso(const SearchRange& subnet)
{
    extraSubnets.push_back(subnet);
}

uint64_t TerminalSearch::subnetSweepPassed() const
{
    RecursiveLockGuard guard(lock);
    return subnetSweep == nullptr ? 0 : subnetSweep->passed();
}

uint64_t TerminalSearch::subnetSweepTotal() const
{
    RecursiveLockGuard guard(lock);
    return subnetSweep == nullptr ? 0 : subnetSweep->total();
}

size_t TerminalSearch::subnetSweepSends() const
{
    return passSends;
}

bool TerminalSearch::getsDone() const
{
    return next == engine->Settings().searchSendsMs.size() && (goingOn != GoingOn::Draining || passes > 0);
}

uint64_t TerminalSearch::drainedAt() const
{
    if (passes == 0)
        return std::max(lastSendMs, lastBroadcastReplyMs.load()) + kDrainMs;
    return std::max(lastPassSendMs, lastPassReplyMs.load()) + kDrainMs;
}

int TerminalSearch::foundFirstBy(uint16_t cseq) const
{
    RecursiveLockGuard guard(lock);
    const auto found = firstFoundBy.find(cseq);
    return found == firstFoundBy.end() ? 0 : found->second;
}

void TerminalSearch::goOn(uint64_t now)
{
    if (goingOn == GoingOn::Sweeping) {
        std::vector<uint32_t> due;
        bool done = false;
        {
            RecursiveLockGuard guard(lock);
            if (passBacklog.empty())
                subnetSweep->due(now - lastPassStartMs, &due);
            done = subnetSweep->done();
        }
        passBacklog.insert(passBacklog.end(), due.begin(), due.end());
        const size_t out = sendByAddress(&passBacklog, subnetCSeq);
        passSends += out;
        if (out > 0)
            lastPassSendMs = now;
        if (!done || !passBacklog.empty())
            return;
        goingOn = GoingOn::Draining;
    }
    if (goingOn != GoingOn::Draining || now < drainedAt())
        return;
    // The first GET finds everything anew: only a later one tells of losses.
    lastFound = sends() + static_cast<size_t>(passes) > 1 ? foundFirstBy(lastGetCSeq) : 0;
    if (lastFound == 0)
        goingOn = GoingOn::Done;
    else if (passes == 0 && moreGets < kMoreGets) {
        ++moreGets;
        sendGet(now);
    } else if (passes == kSweepPasses || !startPass(now))
        goingOn = GoingOn::Done;
}

bool TerminalSearch::startPass(uint64_t now)
{
    std::vector<SearchRange> subnets = extraSubnets;
    std::vector<uint32_t> own;
    int perSecond = kSubnetSweepPerSecond;
    {
        RecursiveLockGuard guard(lock);
        // The ranges' own sweep lost replies in the same queue: they are
        // passed over again, at their pace, once that sweep is through.
        if (sweep != nullptr && sweep->done()) {
            const std::vector<SearchRange>& ranges = sweep->ranges();
            subnets.insert(subnets.end(), ranges.begin(), ranges.end());
            perSecond = std::min(perSecond, engine->Settings().sweepRate);
        }
        // Only where the GETs went out through every adapter: a search
        // pointed at one destination sweeps no link it was not pointed at.
        for (const NetworkInterface& adapter : throughEveryAdapter() ? searched : std::vector<NetworkInterface>()) {
            const uint32_t hosts = ~adapter.netmask;
            if (!adapter.linkUp || adapter.netmask == 0 || hosts >= (1u << (32 - kSweptPrefix)) || hosts < 3)
                continue;
            subnets.push_back({(adapter.address & adapter.netmask) + 1, (adapter.address | hosts) - 1});
            own.push_back(adapter.address);
        }
    }
    if (subnets.empty())
        return false;
    auto pass = std::make_unique<AddressSweep>(subnets, perSecond);
    ++passes;
    const uint16_t cseq = engine->NextCSeq();
    ReplyRouter::claim(cseq, this);
    cseqs.push_back(engine->TakeCSeq());
    lastGetCSeq = cseq;
    lastPassStartMs = now;
    lastPassSendMs = now;
    {
        RecursiveLockGuard guard(lock);
        for (uint32_t address : answeredFrom)
            pass->answered(address);
        for (uint32_t address : own)
            pass->answered(address);
        subnetSweep = std::move(pass);
        subnetCSeq = cseq;
    }
    goingOn = GoingOn::Sweeping;
    goOn(now);
    return true;
}
