// TerminalSearch: one search as the window makes it (a QueryAllTerminals at
// each of the settings' searchSendsMs), driven step by step so that nothing
// waits: the command line's scan, the search before a commissioning plan and
// the verification after it. Collects only the replies to its own GETs.
// The thread that calls the engine's operations (user-interface thread).
#pragma once

#include "net/NxNetControl.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class TerminalSearch {
public:
    // Replies are awaited this long after the last GET.
    static constexpr int kSettleMs = 1000;

    // Starts collecting the engine's replies; the first step sends.
    explicit TerminalSearch(NxNetControl* engine);
    ~TerminalSearch();
    TerminalSearch(const TerminalSearch&) = delete;
    TerminalSearch& operator=(const TerminalSearch&) = delete;

    // Sends the GETs that are due and takes the replies; false once the last
    // GET is kSettleMs old. `fresh` (when given) receives the replies since
    // the last step, repeats included.
    bool step(std::vector<TerminalParam>* fresh = nullptr);
    // Whether every GET could be sent.
    bool allSent() const;
    // The terminals found, each once, in the order they first answered.
    const std::vector<TerminalParam>& terminals() const;

private:
    NxNetControl* engine;
    uint64_t startMs = 0;
    size_t sends = 0;
    bool sendFailed = false;
    std::vector<std::pair<uint16_t, uint16_t>> cseqs;  // [first, end) taken by each GET
    std::unordered_map<std::string, size_t> seen;
    std::vector<TerminalParam> found;
};
