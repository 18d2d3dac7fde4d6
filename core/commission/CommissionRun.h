// CommissionRun: applies a checked plan and verifies it, step by step so that
// nothing waits on the caller's thread: the SETs go out pipelined (many in
// flight, each with its own CSeq, a time-out retried once), then searches
// verify that each terminal reports the sheet's values. The thread that
// calls the engine's operations (user-interface thread).
#pragma once

#include "core/commission/CommissionPlan.h"
#include "core/search/TerminalSearch.h"
#include "net/NxNetControl.h"

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

enum class Outcome {
    Pending,      // not decided yet
    AlreadySet,   // the terminal had every value: nothing was sent
    Verified,     // applied, and the search shows every value
    Refused,      // the terminal answered 400
    NoAnswer,     // no answer to the SET, nor the values in the search
    NotVerified,  // answered, but the search shows other values (unmet) or not the terminal
    NotSent,      // cancelled, or the request could not go out
};

struct TerminalOutcome {
    Outcome outcome = Outcome::Pending;
    std::vector<PlannedChange> unmet;  // NotVerified: what the search showed instead
};

struct RunOptions {
    int inFlight = 32;  // SETs awaiting their reply at most
    // The verification searches again until every answered terminal shows
    // its values or this long has passed: terminals reboot after a SET.
    int verifyWindowMs = 30000;
};

class CommissionRun {
public:
    enum class Phase { Applying, Verifying, Done };

    CommissionRun(NxNetControl* engine, const CommissionPlan& plan, RunOptions options = RunOptions());
    // Verifying searches these ranges too, for terminals behind a router.
    void searchRanges(const std::vector<SearchRange>& ranges);
    ~CommissionRun();
    CommissionRun(const CommissionRun&) = delete;
    CommissionRun& operator=(const CommissionRun&) = delete;

    // Does what is due: collects replies, sends, searches. Cheap; call it
    // every few milliseconds until phase() is Done.
    void step();
    // Stops sending; what was sent is still awaited and verified.
    void cancel();

    Phase phase() const;
    int toSend() const;                                    // terminals that need a SET
    int decided() const;                                   // of those, whose SET has been answered or given up
    int datagrams() const;                                 // SETs sent, retries included
    const std::vector<TerminalOutcome>& outcomes() const;  // one per plan entry

private:
    enum class Apply { Queued, InFlight, Answered, Refused, NoAnswer, NotSent, Skipped };
    void collect();
    void send();
    void startVerifying();
    void verify();
    void finish();

    NxNetControl* engine;
    const CommissionPlan plan;
    RunOptions options;
    Phase current = Phase::Applying;
    bool cancelled = false;
    std::vector<Apply> apply;
    std::vector<int> attempts;
    std::vector<TerminalOutcome> results;
    std::deque<size_t> queue;
    std::unordered_map<uint16_t, size_t> inFlight;  // CSeq -> entry
    int needed = 0;
    int done = 0;
    int sentCount = 0;

    std::unique_ptr<TerminalSearch> search;
    std::vector<SearchRange> ranges;
    uint64_t verifyStartMs = 0;
    int searches = 0;                               // verification searches completed
    std::unordered_map<std::string, size_t> byMac;  // verification: MAC after the SET -> entry
    std::vector<TerminalParam> lastSeen;
    std::vector<bool> seen;
};
