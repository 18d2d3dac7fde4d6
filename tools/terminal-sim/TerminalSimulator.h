// TerminalSimulator: a fleet of simulated "DBP/1.0" terminals on one UDP
// socket, for tests (in-process) and for dbp-terminal-sim. Each terminal
// answers from its own IPv4 address. All public members are thread-safe;
// one internal thread receives requests and sends the replies.
#pragma once

#include "net/TerminalParam.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// How one terminal treats the requests that reach it.
enum class SimBehaviour {
    Normal,     // "DBP/1.0 200 OK" with its parameters, applying the request
    Answer400,  // "DBP/1.0 400 Bad" with the request's CSeq only; applies nothing
    Silent,     // never answers and applies nothing
    Malformed,  // applies the request, answers with a faulty reply (see kinds below)
};

// Faults a Malformed terminal cycles through, one per reply, in this order.
enum class SimFault {
    NoReasonWord,    // "DBP/1.0 200" status line without reason word, full headers
    OverlongValues,  // Type, Name, Website, SvcConfig and Mode far beyond their fields
    Oversized,       // valid reply padded past 1024 bytes with an unknown header
    EmbeddedZero,    // a zero byte in the middle of the header lines
    BareLineFeeds,   // every line ends in LF only
    OddValues,       // Server without port, empty Name/Website, PlayVol 300, Speed 1000, UseDNS 7
    Garbage,         // bytes that are not text at all
};
constexpr int kSimFaultCount = 7;

// The order the terminals' replies to one request come in over their
// --jitter window: each at a random time in it, or in the fleet's order
// spread evenly over it (each wobbling within its own share of the window,
// as real terminals' answer times do).
enum class SimReplyOrder { Random, Fixed };

// Addressing of the fleet.
enum class SimAddressing {
    Loopback,   // every terminal answers from a 127/8 address (127.1.0.1 upwards by default)
    Namespace,  // addresses given explicitly (assigned to an interface by the caller)
};

// One model and how many of a generated fleet's terminals are of it, relatively.
struct SimModelShare {
    std::string type;
    int weight = 1;
};

struct SimConfig {
    int fleetSize = 10;                   // generated terminals (ignored with fleetFile)
    std::vector<SimModelShare> modelMix;  // empty: every code of simModelCodes(), equal shares
    uint32_t seed = 1;                    // drives every generated value; same seed, same fleet
    std::string fleetFile;                // when set, the fleet is read from it (format in FleetFile.h)

    std::string bindAddress = "0.0.0.0";
    uint16_t port = 0;  // 0: any free port (tests); the program uses 59137
    SimAddressing addressing = SimAddressing::Loopback;
    std::string firstLoopbackAddress = "127.1.0.1";  // first generated address, loopback mode
    // Explicit terminal addresses, terminal i taking addresses[i]; required in
    // namespace mode unless the fleet file gives every ip.
    std::vector<std::string> addresses;
    // Destinations that reach every terminal.
    std::vector<std::string> broadcastAddresses = {"255.255.255.255", "127.255.255.255"};

    // Deliberate conflicts, as pairs of terminal indices (a, b): b takes a's
    // IP (and so answers from the same address) or a's MAC.
    std::vector<std::pair<int, int>> ipConflicts;
    std::vector<std::pair<int, int>> macConflicts;

    int replyDelayMs = 0;   // every reply waits this long ...
    int replyJitterMs = 0;  // ... plus a uniform 0..jitter ms
    double dropRate = 0.0;  // share of replies silently not sent, 0..1
    SimReplyOrder replyOrder = SimReplyOrder::Random;
    // The link the replies leave through: bits per second (0: unlimited) and
    // the drop-tail queue in front of it.
    uint64_t linkRateBps = 0;
    size_t queueBytes = 128 * 1024;

    std::vector<int> answer400;  // indices of terminals in Answer400 mode
    std::vector<int> silent;     // indices of terminals in Silent mode
    std::vector<int> malformed;  // indices of terminals in Malformed mode

    bool keepRequestLog = true;  // keep every request in memory (requests())
    std::string logFile;         // when set, every request is also appended here
};

// One received datagram, exactly as it came.
struct SimRequest {
    std::string bytes;                // the datagram byte for byte
    uint32_t sourceAddress = 0;       // host byte order
    uint16_t sourcePort = 0;          // host byte order
    uint32_t destinationAddress = 0;  // host byte order (from IP_PKTINFO)
};

// The model codes a generated fleet draws from, in one place.
const std::vector<std::string>& simModelCodes();

// Dotted text of a host-byte-order IPv4 address, and back (false when invalid).
std::string simAddressText(uint32_t address);
bool simParseAddress(const std::string& text, uint32_t* address);

class TerminalSimulator {
public:
    // The fleet is built by start() from the configuration ...
    explicit TerminalSimulator(const SimConfig& config);
    // ... or given explicitly; each record's IP is the address it answers from.
    TerminalSimulator(const SimConfig& config, const std::vector<TerminalParam>& fleet);
    ~TerminalSimulator();  // stops
    TerminalSimulator(const TerminalSimulator&) = delete;
    TerminalSimulator& operator=(const TerminalSimulator&) = delete;

    // Builds the fleet (on the first start only), binds the socket and starts
    // answering. False (with errorText()) when the fleet is invalid or the
    // socket cannot be bound.
    bool start();
    // Stops answering and closes the socket; pending delayed replies are dropped.
    void stop();
    std::string errorText() const;
    uint16_t port() const;  // the bound port (the real one when 0 was asked for)

    // Terminal records as the terminals currently report them (copies).
    int terminalCount() const;
    std::vector<TerminalParam> terminals() const;
    TerminalParam terminal(int index) const;
    // Replaces a terminal's record; its IP also becomes its answering address
    // when that address is usable (127/8 in loopback mode). False for a bad index.
    bool setTerminal(int index, const TerminalParam& record);
    // Host-byte-order address terminal `index` answers from.
    uint32_t terminalAddress(int index) const;

    SimBehaviour behaviour(int index) const;
    void setBehaviour(int index, SimBehaviour behaviour);
    // Reboots the terminal acted on (reboot requests, ResetAll, SET with Reboot non-zero).
    int rebootCount(int index) const;

    // Every datagram received since start or the last clearRequests()
    // (kept only with SimConfig::keepRequestLog).
    std::vector<SimRequest> requests() const;
    void clearRequests();
    // Waits until at least n requests are in the log; false on time-out.
    bool waitForRequests(size_t n, int timeoutMs) const;
    // Replies sent so far (after drops), all terminals together.
    uint64_t repliesSent() const;

    // The 200 reply terminal `index` would send now to a request with `cseq`.
    std::string replyText(int index, uint16_t cseq) const;
    // Sends `bytes` from terminal `index`'s address to a loopback address
    // (for late or unsolicited replies). False if not loopback, not running
    // or not sent whole.
    bool sendFrom(int index, const std::string& bytes, uint32_t toAddress, uint16_t toPort);

private:
    struct State;
    std::unique_ptr<State> d;
};
