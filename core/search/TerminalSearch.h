// TerminalSearch: one search — a GET to every terminal at each time of the
// settings' searchSendsMs, and more while terminals still appear (see
// kMoreGets) — with the replies to its own GETs only: the
// distinct terminals (by terminalIdentityKey) and how many answered on each
// adapter. It has settled once its last GET (or sweep GET) is out and
// kQuietMs have passed without a reply to it. The window, the batch dialog and the command line
// each run their own; any number may run at once. Driven by step() on the
// thread that calls the engine's operations (user-interface thread); replies
// arrive on the worker thread through the ReplyRouter. Given ranges, it also
// sends one GET to each one's directed broadcast and sweeps their addresses
// by unicast GETs, all with one CSeq of their own, and settles only after
// the sweep.
#pragma once

#include "core/search/AddressSweep.h"
#include "core/search/ReplyRouter.h"
#include "net/NxNetControl.h"
#include "net/RecursiveLock.h"
#include "platform/NetworkInterfaces.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
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
    // GET, up to kSweepPasses passes of unicast GETs (kSubnetSweepPerSecond,
    // one CSeq per pass) to the addresses of each adapter's subnet, and of
    // the search ranges at their pace, that have not answered, while a pass
    // still finds some. Only a subnet of at least kSweptPrefix bits of
    // prefix is swept: a larger link would be flooded with address
    // resolution for addresses mostly without a host.
    static constexpr int kDrainMs = 150;
    static constexpr int kMoreGets = 3;
    static constexpr int kSweepPasses = 2;
    static constexpr int kSubnetSweepPerSecond = 1000;
    static constexpr int kSweptPrefix = 20;
    // When the send buffer is full of GETs waiting for addresses to resolve,
    // a sweep tries again this much later instead of waiting (the thread
    // that steps it is the window's).
    static constexpr int kNoRoomRetryMs = 5;

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
    // Search `ranges` too, at the settings' sweepRate; before the first step.
    void searchRanges(const std::vector<SearchRange>& ranges);
    // Lets go of its CSeqs: their late replies reach no one.
    ~TerminalSearch();
    TerminalSearch(const TerminalSearch&) = delete;
    TerminalSearch& operator=(const TerminalSearch&) = delete;

    // Sends the GETs that are due; false once settled. `fresh` (when given)
    // receives the replies since the last step, repeats included.
    bool step(std::vector<TerminalParam>* fresh = nullptr);
    // Milliseconds from now until the next step has something to do: the
    // next GET or sweep GET, the end of a drain, or of the quiet period.
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

    // The distinct terminals (kept without `forward`), in the order they
    // first answered, and how many there are.
    std::vector<TerminalParam> terminals() const;
    int terminalCount() const;
    // In the system's order; adapters that came up during the search follow.
    std::vector<Adapter> adapters() const;
    // The name of interface `index` ("eth0"), empty when there is none.
    static std::string interfaceName(unsigned index);

    // Whether the planned GETs are out and kQuietMs have passed since the
    // last reply to them or GET: where the conflict check runs, even while
    // the sweep goes on.
    bool broadcastSettled() const;
    // The sweep's progress (addresses passed of all), and per range as given
    // how many of its addresses answered; all empty without ranges.
    uint64_t sweepPassed() const;
    uint64_t sweepTotal() const;
    std::vector<SearchRange> ranges() const;
    std::vector<int> foundPerRange() const;
    // Whether `terminal` answered only the ranges' GETs, never a broadcast
    // through an adapter: it is behind a router, which no request to the
    // broadcast address crosses, so it must be addressed by its own address.
    bool onlyThroughRange(const TerminalParam& terminal) const;

    // Terminals that the last GET (or subnet pass), when not the first,
    // found and no earlier one had, counted once its replies stopped: while
    // non-zero, the list may be incomplete.
    int lastGetFound() const;
    // `subnet` is swept as an adapter's own subnet would be, should the
    // search go on to a sweep; before the first step. For links the adapter
    // list does not show as one (a fleet on loopback).
    void sweepSubnetAlso(const SearchRange& subnet);
    // The subnet pass's progress (addresses passed of all; 0 of 0 when none
    // runs), and how many unicast GETs the passes have sent in all.
    uint64_t subnetSweepPassed() const;
    uint64_t subnetSweepTotal() const;
    size_t subnetSweepSends() const;

private:
    // After the planned GETs: waiting for the last GET or pass to drain,
    // sweeping a subnet, or going on no further.
    enum class GoingOn { Draining, Sweeping, Done };

    void take(TerminalParam* reply) override;
    void noteAdapters(const std::vector<NetworkInterface>& searched);
    void sendDirectedBroadcasts();
    void sendSweep(uint64_t now);
    // Sends the GETs in `backlog` from its front until the send buffer has
    // no room; how many left it.
    size_t sendByAddress(std::deque<uint32_t>* backlog, uint16_t cseq);
    // A GET to every terminal, with a CSeq of its own.
    void sendGet(uint64_t now);
    // Going on after the planned GETs (TerminalSearchMore.cpp).
    void goOn(uint64_t now);
    uint64_t drainedAt() const;
    // Whether every broadcast GET is out, the planned ones and any more.
    bool getsDone() const;
    void sendMoreGet(uint64_t now);
    bool startPass(uint64_t now);
    int foundFirstBy(uint16_t cseq) const;

    NxNetControl* const engine;
    const NxNetControl::ReplyCallback forward;
    const uint64_t startMs;
    size_t next = 0;
    uint64_t lastSendMs;
    int failedSends = 0;
    bool quiet = false;
    std::vector<uint16_t> cseqs;
    std::atomic<uint64_t> lastReplyMs{0};
    std::atomic<uint64_t> lastBroadcastReplyMs{0};  // to a planned GET, not the sweep
    uint64_t lastSweepSendMs;
    GoingOn goingOn = GoingOn::Draining;
    uint16_t lastGetCSeq = 0;  // the last GET's, or subnet pass's
    int moreGets = 0;
    int passes = 0;
    int lastFound = 0;
    uint64_t lastPassStartMs = 0;
    uint64_t lastPassSendMs = 0;
    std::atomic<uint64_t> lastPassReplyMs{0};
    size_t passSends = 0;
    std::vector<SearchRange> extraSubnets;
    std::deque<uint32_t> rangeBacklog;  // due, not sent for want of room
    std::deque<uint32_t> passBacklog;

    mutable RecursiveLock lock;  // guards the members below
    std::vector<NetworkInterface> searched;
    std::unordered_set<std::string> known;
    std::unordered_map<unsigned, int> answeredOn;  // interface index -> distinct terminals
    std::vector<TerminalParam> found;
    std::vector<TerminalParam> inbox;
    std::unique_ptr<AddressSweep> sweep;
    uint16_t sweepCSeq = 0;
    bool broadcastQuiet = false;
    bool directedSent = false;
    std::unordered_set<std::string> routed;  // keys that answered the ranges' GETs only
    std::unique_ptr<AddressSweep> subnetSweep;
    uint16_t subnetCSeq = 0;
    std::unordered_map<uint16_t, int> firstFoundBy;  // CSeq -> terminals it found first
    std::unordered_set<uint32_t> answeredFrom;       // source addresses of replies
};
