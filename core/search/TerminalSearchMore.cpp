// TerminalSearch going on after its planned GETs while terminals still
// appear: more GETs, then sweeps of unicast GETs (see kMoreGets).
#include "core/search/TerminalSearch.h"

#include <algorithm>

void TerminalSearch::sweepAlso(uint32_t first, uint32_t last)
{
    sweepRanges.emplace_back(first, last);
}

size_t TerminalSearch::sweepSends() const
{
    return swept;
}

int TerminalSearch::lastGetFound() const
{
    // The first GET finds everything anew: only a later one tells of losses.
    if (cseqs.size() < 2)
        return 0;
    RecursiveLockGuard guard(lock);
    const auto found = firstFoundBy.find(cseqs.back());
    return found == firstFoundBy.end() ? 0 : found->second;
}

bool TerminalSearch::goesOn() const
{
    if (passAt < passTargets.size())
        return true;
    const bool found = lastGetFound() > 0;
    if (passes == 0)
        return (found && moreGets < kMoreGets) || moreGets > 0;
    return found && passes < kSweepPasses;
}

void TerminalSearch::goOn(uint64_t now)
{
    if (passAt < passTargets.size()) {
        const uint64_t due = (now - passStartMs) * kSweepPerSecond / 1000 + 1;
        const uint16_t cseq = cseqs.back();
        for (; passAt < passTargets.size() && passAt < due; ++passAt, ++swept)
            engine->StartGetTerminal(passTargets[passAt], cseq);
        lastSendMs = now;
        return;
    }
    if (!goesOn() || now < std::max(lastSendMs, lastReplyMs.load()) + kDrainMs)
        return;
    if (passes == 0 && lastGetFound() > 0 && moreGets < kMoreGets) {
        ++moreGets;
        const uint16_t cseq = engine->NextCSeq();
        ReplyRouter::claim(cseq, this);
        cseqs.push_back(cseq);
        if (!engine->QueryAllTerminals())
            ++failedSends;
        lastSendMs = now;
        return;
    }
    startPass(now);
}

void TerminalSearch::startPass(uint64_t now)
{
    passTargets = sweepTargets();
    passAt = 0;
    // Nothing to sweep: the last GET's count stays, and with it the warning.
    if (passTargets.empty()) {
        passes = kSweepPasses;
        return;
    }
    ++passes;
    passStartMs = now;
    lastSendMs = now;
    const uint16_t cseq = engine->TakeCSeq();
    ReplyRouter::claim(cseq, this);
    cseqs.push_back(cseq);
}

std::vector<uint32_t> TerminalSearch::sweepTargets() const
{
    std::vector<std::pair<uint32_t, uint32_t>> ranges = sweepRanges;
    std::vector<uint32_t> own;
    {
        RecursiveLockGuard guard(lock);
        for (const NetworkInterface& adapter : searched) {
            // Only a link no larger than a /20, and only its hosts.
            const uint32_t mask = adapter.netmask;
            if (mask == 0 || (~mask & 0xFFFFFFFFu) >= (1u << (32 - kSweptPrefix)) || ~mask < 2)
                continue;
            ranges.emplace_back((adapter.address & mask) + 1, (adapter.address | ~mask) - 1);
            own.push_back(adapter.address);
        }
    }
    std::vector<uint32_t> targets;
    RecursiveLockGuard guard(lock);
    for (const auto& range : ranges)
        for (uint64_t address = range.first; address <= range.second; ++address) {
            const uint32_t at = static_cast<uint32_t>(address);
            if (answeredFrom.count(at) == 0 && std::find(own.begin(), own.end(), at) == own.end())
                targets.push_back(at);
        }
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    return targets;
}
