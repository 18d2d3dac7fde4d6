// TerminalSearch: one search — a GET to every terminal at each time of the
// settings' searchSendsMs, and more while terminals still appear (see
// kMoreGets) — with the replies to its own GETs only: the
// distinct terminals (by terminalIdentityKey) and how many answered on each
// adapter. It has settled once its last GET is out and kQuietMs have passed
// without a reply to it. The window, the batch dialog and the command line
// each run their own; any number may run at once. Driven by step() on the
// thread that calls the engine's operations (user-interface thread); replies
// arrive on the worker thread through the ReplyRouter.
#pragma once

#include "core/search/ReplyRouter.h"
#include "net/NxNetControl.h"
#include "net/RecursiveLock.h"
#include "platform/NetworkInterfaces.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class TerminalSearch : private ReplySink {
public:
    // Replies have stopped coming when none came for this long: the quiet
    // period after which the conflict check runs.
    static constexpr int kQuietMs = 500;

    // While the last GET still found terminals no earlier one had (replies
    // lost in a congested queue), the search goes on: up to kMoreGets more
    // GETs, each once replies have stopped for kDrainMs so the queue has
    // drained; then, since a queue that overflows overflows again at every
    // GET, passes of unicast GETs (kSweepPerSecond, one CSeq per pass) to
    // the addresses of the sweep subnets that have not answered, while a
    // pass still finds some, up to kSweepPasses. An adapter's own subnet is
    // swept when it has at least kSweptPrefix bits of prefix: a larger link
    // would be flooded with address resolution.
    static constexpr int kDrainMs = 150;
    static constexpr int kMoreGets = 3;
    static constexpr int kSweepPasses = 2;
    static constexpr int kSweepPerSecond = 1000;
    static constexpr int kSweptPrefix = 20;

    // An adapter the search went out through, or a reply arrived on, and the
    // distinct terminals that answered on it.
    struct Adapter {
        NetworkInterface adapter;
        int terminals = 0;
    };

    // With `forward`, each reply is handed on to it (worker thread) and the
    // search keeps no records of its own, only their keys and counts; without
    // it, the search keeps the terminals and the replies since the last step.
    // Nothing is sent before the first step.
    explicit TerminalSearch(NxNetControl* engine, NxNetControl::ReplyCallback forward = nullptr);
    // Lets go of its CSeqs: their late replies reach no one.
    ~TerminalSearch();
    TerminalSearch(const TerminalSearch&) = delete;
    TerminalSearch& operator=(const TerminalSearch&) = delete;

    // Sends the GETs that are due; false once settled. `fresh` (when given)
    // receives the replies since the last step, repeats included.
    bool step(std::vector<TerminalParam>* fresh = nullptr);
    // Milliseconds from now until the next step has something to do: the
    // next GET, or the end of the quiet period.
    int msToNextStep() const;
    // Whether a step has found the search settled; it stays so, whatever
    // late replies come.
    bool settled() const;

    // How many GETs have gone out or failed to, and whether every one
    // (some) went out whole.
    size_t sends() const;
    bool allSent() const;
    bool anySent() const;
    // Whether the GETs went through every adapter, else to destination().
    bool throughEveryAdapter() const;
    uint32_t destination() const;

    // Addresses first..last (host byte order) are swept too, besides the
    // adapters' own subnets, should the search go on to a sweep.
    void sweepAlso(uint32_t first, uint32_t last);
    // How many unicast GETs the sweeps have sent.
    size_t sweepSends() const;
    // Terminals that the last GET (or sweep pass), when not the first, found
    // and no earlier one had: while non-zero, the list may be incomplete.
    int lastGetFound() const;

    // The distinct terminals (kept without `forward`), in the order they
    // first answered, and how many there are.
    std::vector<TerminalParam> terminals() const;
    int terminalCount() const;
    // In the system's order; adapters that came up during the search follow.
    std::vector<Adapter> adapters() const;
    // The name of interface `index` ("eth0"), empty when there is none.
    static std::string interfaceName(unsigned index);

private:
    void take(TerminalParam* reply) override;
    void noteAdapters(const std::vector<NetworkInterface>& searched);
    // Going on after the planned GETs (TerminalSearchMore.cpp).
    bool goesOn() const;
    void goOn(uint64_t now);
    void startPass(uint64_t now);
    std::vector<uint32_t> sweepTargets() const;

    NxNetControl* const engine;
    const NxNetControl::ReplyCallback forward;
    const uint64_t startMs;
    size_t next = 0;
    uint64_t lastSendMs;
    int failedSends = 0;
    bool quiet = false;
    std::vector<uint16_t> cseqs;
    std::atomic<uint64_t> lastReplyMs{0};
    int moreGets = 0;
    int passes = 0;
    std::vector<std::pair<uint32_t, uint32_t>> sweepRanges;
    std::vector<uint32_t> passTargets;
    size_t passAt = 0;
    size_t swept = 0;
    uint64_t passStartMs = 0;

    mutable RecursiveLock lock;  // guards the members below
    std::vector<NetworkInterface> searched;
    std::unordered_set<std::string> known;
    std::unordered_map<unsigned, int> answeredOn;  // interface index -> distinct terminals
    std::vector<TerminalParam> found;
    std::vector<TerminalParam> inbox;
    std::unordered_map<uint16_t, int> firstFoundBy;  // CSeq -> terminals it found first
    std::unordered_set<uint32_t> answeredFrom;       // source addresses of replies
};
