// NxNetControl: the network engine. One UDP socket; the worker thread runs
// RunReceiveLoop (and so OnReply and replyCallback); every other operation
// is called from the user-interface thread, one at a time.
#pragma once

#include "DbpMessage.h"
#include "EndpointSettings.h"
#include "RecursiveLock.h"
#include "TerminalParam.h"
#include "platform/NetworkInterfaces.h"
#include "platform/UdpSocket.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <unordered_set>
#include <vector>

// The timer-schedule callback that runs an engine's receive loop; the
// engine registers it with gSchedule for its lifetime. 0 without engine.
int32_t RunScheduledReceive(void* engine);

// Result codes of the waiting operations.
enum : int {
    kReplyOk = 200,
    kReplyRefused = 400,
    kReplyTimeout = 100,
    kNotSent = -1,
};

class NxNetControl {
public:
    explicit NxNetControl(const EndpointSettings& settings = EndpointSettings());
    virtual ~NxNetControl();
    NxNetControl(const NxNetControl&) = delete;
    NxNetControl& operator=(const NxNetControl&) = delete;

    // Socket set-up; false when the socket could not be created or bound.
    bool Open(uint16_t port);
    // Whether Open succeeded: when it did not, the window and the command
    // line name the port that could not be opened.
    bool IsOpen() const;
    // The port the socket is bound to (the real one when 0 was asked for).
    uint16_t LocalPort() const;
    const EndpointSettings& Settings() const;
    // Requests waiting for their reply: those of a waiting operation and the
    // started pipelined ones not yet taken.
    int PendingCount();
    // Makes the receive loop end (as the socket layer's shut-down does);
    // any thread. The socket itself is released by the destructor.
    void Close();

    // Worker thread. Receive: one wait (blocking until a datagram arrives or
    // the socket is shut down) and at most one datagram of `size` bytes into
    // `buffer`, which holds size + 1 bytes for the terminating zero. Returns
    // 0 (shut down or closed), 1 (no buffer), 2 (nothing read: interrupted,
    // or a datagram that was dropped) or 3 (read; lastReply cleared and its
    // Address and Port set).
    int Receive(char* buffer, int size);
    // Runs until the socket is shut down or closed; returns 1.
    virtual int RunReceiveLoop();
    virtual void OnReply(int result);

    // User-interface thread. Broadcast operations: true when sent whole,
    // through at least one adapter when they go through every adapter (as
    // does every other request to the broadcast address).
    bool QueryAllTerminals();
    bool SetAllServers(const char* server);
    bool UpdateAllTerminals();
    bool ResetAllTerminals();
    // Waiting operations: kReplyOk, kReplyRefused, kReplyTimeout or kNotSent.
    // On kReplyOk, `reply` (when given) receives the record of the reply
    // that completed this very request.
    int GetTerminal(const char* ip, TerminalParam* reply = nullptr);
    int SetTerminal(TerminalParam* param);
    int RebootTerminal(TerminalParam* param, uint8_t code);
    int SetVolume(const char* ip, int8_t playVol, int8_t captureVol);
    int SetToneAndVolume(const char* ip, int8_t treble, int8_t bass, int8_t playVol);

    // Pipelined requests, for commissioning many terminals without waiting on
    // each: a completion is taken, not waited for.
    struct Completion {
        uint16_t CSeq;
        int result;  // kReplyOk, kReplyRefused or kReplyTimeout
    };
    // Sends the SET of `param` as SetTerminal does (its CSeq stored in
    // param->CSeq) and returns that CSeq at once, or kNotSent.
    int StartSetTerminal(TerminalParam* param);
    // Appends every started request that has been answered or has timed out
    // since the last call, and forgets it.
    void TakeCompleted(std::vector<Completion>* done);
    // Forgets a started request: a late reply then completes nothing.
    void AbandonRequest(uint16_t cseq);
    // The CSeq the next request takes: whoever routes replies by CSeq claims
    // it before the request goes out.
    uint16_t NextCSeq() const;

    // Searches by address, for terminals no limited broadcast reaches (behind
    // a router). TakeCSeq hands out the next CSeq for the caller to claim;
    // QueryAt sends a GET with it to `address` alone, not waiting: as a read
    // by address (IsBroadcast 0), or with IsBroadcast 1 to a subnet's
    // directed broadcast address. True when sent whole. Nor does it wait for
    // room in the send buffer, which GETs to addresses without a host fill
    // while their resolution lasts (seconds): then *noRoom says to try again.
    uint16_t TakeCSeq();
    bool QueryAt(uint32_t address, uint16_t cseq, bool directedBroadcast, bool* noRoom = nullptr);

    // Whether broadcasts go out through every adapter: to 255.255.255.255
    // unless the settings name a destination of their own.
    bool ThroughEveryAdapter() const;
    // The adapters listed when the last request to the broadcast address was
    // sent: it went out through those whose link is up. Empty when none was
    // switched on or broadcasts have a destination of their own.
    const std::vector<NetworkInterface>& BroadcastInterfaces() const;

    // Receives every reply that parsed as 200, on the worker thread; it must
    // copy the record and return. Atomic because it is installed while the
    // loop already runs.
    using ReplyCallback = void (*)(TerminalParam* record);
    std::atomic<ReplyCallback> replyCallback{nullptr};
    // The most recent datagram: the worker thread's own, rewritten for each
    // one. Other threads take records from the callback or GetTerminal.
    TerminalParam lastReply;

private:
    struct PendingRequest {
        int32_t CSeq;         // matched on its low 16 bits
        int32_t status;       // 0 until a reply is recorded, then 200 or 400
        uint64_t deadline;    // settings.clockMs() reading after which it has timed out
        TerminalParam reply;  // the reply that completed the request
    };

    // Each takes the engine lock for its own duration only.
    uint64_t AddPending(uint16_t cseq);
    void UpdatePending(uint16_t cseq, int status, const TerminalParam& record);
    void RemovePending(uint16_t cseq);
    int WaitReply(uint16_t cseq, uint64_t deadline, TerminalParam* reply);

    int SendAndWait(DbpRequest message, uint16_t cseq, uint32_t address, bool alsoBroadcast, TerminalParam* reply);
    bool SendBroadcast(DbpRequest message);
    // Sends to `address`; to the broadcast address through every adapter
    // when broadcasts go that way, so that a terminal found through any
    // adapter is reached by requests for it too.
    bool SendRequest(const char* text, uint32_t address);
    bool SendText(const char* text, uint32_t address, unsigned interfaceIndex = 0);
    // The address of one terminal, or kIpv4None when the text does not
    // convert: such a request is not sent, since the broadcast address would
    // make every terminal take it.
    static uint32_t OneTerminal(const char* ip);
    // The reboot's address; one that does not convert means the broadcast
    // address, where its second copy goes anyway.
    uint32_t Destination(uint32_t address) const;

    EndpointSettings settings;
    UdpSocket socket;
    uint16_t nextCSeq = 1;
    char receiveBuffer[1024 + 1] = {};
    RecursiveLock engineLock;
    std::list<PendingRequest> pending;
    std::vector<NetworkInterface> broadcastInterfaces;

    std::unordered_set<uint16_t> started;  // pipelined CSeqs not yet taken
};
