#include "core/commission/CommissionRun.h"

#include "core/search/ReplyRouter.h"

namespace {

constexpr int kAttempts = 2;  // a time-out is retried once
// Searches that look for terminals whose SET went unanswered: the reply may
// have been lost after the terminal took the values (its retry, naming the
// old ID, then reaches no one).
constexpr int kUnansweredSearches = 5;

}  // namespace

CommissionRun::CommissionRun(NxNetControl* engine, const CommissionPlan& plan, RunOptions options)
    : engine(engine)
    , plan(plan)
    , options(options)
    , apply(plan.entries.size(), Apply::Queued)
    , attempts(plan.entries.size(), 0)
    , results(plan.entries.size())
    , lastSeen(plan.entries.size())
    , seen(plan.entries.size(), false)
{
    ReplyRouter::attach(engine);
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        if (plan.entries[i].alreadySet) {
            apply[i] = Apply::Skipped;
            results[i].outcome = Outcome::AlreadySet;
        } else {
            queue.push_back(i);
            ++needed;
        }
    }
}

CommissionRun::~CommissionRun()
{
    for (const auto& request : inFlight) {
        engine->AbandonRequest(request.first);
        ReplyRouter::release(request.first, nullptr);
    }
}

void CommissionRun::step()
{
    switch (current) {
    case Phase::Applying:
        collect();
        send();
        if (inFlight.empty() && queue.empty())
            startVerifying();
        break;
    case Phase::Verifying:
        verify();
        break;
    case Phase::Done:
        break;
    }
}

void CommissionRun::cancel()
{
    cancelled = true;
    for (size_t i : queue) {
        apply[i] = Apply::NotSent;
        ++done;
    }
    queue.clear();
}

void CommissionRun::collect()
{
    std::vector<NxNetControl::Completion> completed;
    engine->TakeCompleted(&completed);
    for (const NxNetControl::Completion& c : completed) {
        const auto request = inFlight.find(c.CSeq);
        if (request == inFlight.end())
            continue;
        const size_t i = request->second;
        inFlight.erase(request);
        ReplyRouter::release(c.CSeq, nullptr);
        if (c.result == kReplyTimeout && attempts[i] < kAttempts && !cancelled) {
            queue.push_front(i);
            continue;
        }
        apply[i] = c.result == kReplyOk ? Apply::Answered
            : c.result == kReplyRefused ? Apply::Refused
                                        : Apply::NoAnswer;
        ++done;
    }
}

void CommissionRun::searchRanges(const std::vector<SearchRange>& given)
{
    ranges = given;
}

void CommissionRun::send()
{
    while (!queue.empty() && static_cast<int>(inFlight.size()) < options.inFlight) {
        const size_t i = queue.front();
        queue.pop_front();
        TerminalParam request = plan.entries[i].set;
        ++attempts[i];
        // The SET's replies are the run's: kept out of the window's table.
        const uint16_t next = engine->NextCSeq();
        ReplyRouter::claim(next, nullptr);
        const int cseq = engine->StartSetTerminal(&request);
        if (cseq == kNotSent) {
            ReplyRouter::release(next, nullptr);
            apply[i] = Apply::NotSent;
            ++done;
            continue;
        }
        ++sentCount;
        apply[i] = Apply::InFlight;
        inFlight[static_cast<uint16_t>(cseq)] = i;
    }
}

void CommissionRun::startVerifying()
{
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        if (apply[i] != Apply::Answered && apply[i] != Apply::NoAnswer)
            continue;
        const TerminalParam& set = plan.entries[i].set;
        byMac[macKey(set.MAC[0] != '\0' ? set.MAC : set.OldMAC)] = i;
    }
    // Also after a cancel: the terminals that took a SET sent before it are
    // reported as they are, not as missing.
    if (byMac.empty()) {
        finish();
        return;
    }
    // The first GET goes out at the next step, not in the step that sent
    // the last SET.
    current = Phase::Verifying;
    verifyStartMs = engine->Settings().clockMs();
}

void CommissionRun::verify()
{
    if (!search) {
        search = std::make_unique<TerminalSearch>(engine);
        search->searchRanges(ranges);
    }
    std::vector<TerminalParam> replies;
    const bool searching = search->step(&replies);
    for (const TerminalParam& reply : replies) {
        const auto entry = byMac.find(macKey(reply.MAC));
        if (entry == byMac.end())
            continue;
        const size_t i = entry->second;
        lastSeen[i] = reply;
        seen[i] = true;
        if (unmetChanges(plan.entries[i], reply).empty()) {
            results[i].outcome = Outcome::Verified;
            byMac.erase(entry);
        }
    }
    bool awaited = false;
    for (const auto& entry : byMac) {
        const size_t i = entry.second;
        awaited = awaited || apply[i] == Apply::Answered || (!seen[i] && searches < kUnansweredSearches);
    }
    if (!awaited) {
        finish();
        return;
    }
    if (searching)
        return;
    search.reset();
    ++searches;
    if (engine->Settings().clockMs() - verifyStartMs >= static_cast<uint64_t>(options.verifyWindowMs))
        finish();
}

void CommissionRun::finish()
{
    search.reset();
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        TerminalOutcome& result = results[i];
        if (result.outcome != Outcome::Pending)
            continue;
        switch (apply[i]) {
        case Apply::Refused:
            result.outcome = Outcome::Refused;
            break;
        case Apply::NoAnswer:
            result.outcome = Outcome::NoAnswer;
            break;
        case Apply::Answered:
            result.outcome = Outcome::NotVerified;
            if (seen[i])
                result.unmet = unmetChanges(plan.entries[i], lastSeen[i]);
            break;
        default:
            result.outcome = Outcome::NotSent;
            break;
        }
    }
    current = Phase::Done;
}

CommissionRun::Phase CommissionRun::phase() const
{
    return current;
}

int CommissionRun::toSend() const
{
    return needed;
}

int CommissionRun::decided() const
{
    return done;
}

int CommissionRun::datagrams() const
{
    return sentCount;
}

const std::vector<TerminalOutcome>& CommissionRun::outcomes() const
{
    return results;
}
