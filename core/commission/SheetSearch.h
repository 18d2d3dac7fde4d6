// SheetSearch: the search before planning a sheet. When some of the sheet's
// MACs did not answer, it asks again with further searches (a bounded number)
// so that a reply lost on a lossy link does not refuse the whole sheet. Driven
// by step() on the thread that calls the engine's operations. Each search
// also sweeps the given ranges.
#pragma once

#include "core/commission/CommissionSheet.h"
#include "core/search/TerminalSearch.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class SheetSearch {
public:
    static constexpr int kRepeats = 3;  // further searches at most

    SheetSearch(NxNetControl* engine, const CommissionSheet& sheet, int repeats = kRepeats,
        const std::vector<SearchRange>& ranges = {});

    // Does what is due; false once the last search has settled.
    bool step();
    // Further searches started so far, and the sheet's MACs still unanswered.
    int repeats() const;
    int missing() const;
    // Whether every search's GETs went out.
    bool allSent() const;
    // The search under way (for its sweep's progress); null once done.
    const TerminalSearch* current() const;
    // Every terminal any of the searches found, its latest record.
    std::vector<TerminalParam> terminals() const;
    // Whether no search found `terminal` but through a range: it is behind a
    // router, where no broadcast reaches it.
    bool onlyThroughRange(const TerminalParam& terminal) const;

private:
    void take(const TerminalSearch& done);
    std::unique_ptr<TerminalSearch> startSearch() const;

    NxNetControl* const engine;
    const int maxRepeats;
    const std::vector<SearchRange> ranges;
    std::unique_ptr<TerminalSearch> search;
    int started = 0;
    bool sent = true;
    std::unordered_set<std::string> wanted;              // MAC keys of the sheet not found yet
    std::unordered_map<std::string, size_t> byIdentity;  // identity key -> index in found
    std::vector<TerminalParam> found;
    std::unordered_set<std::string> routed;     // identity keys found only through a range
    std::unordered_set<std::string> broadcast;  // identity keys some broadcast found
};
