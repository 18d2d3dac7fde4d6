// NxNetControl: the network engine. One UDP socket; the worker thread runs
// RunReceiveLoop (and so OnReply and replyCallback); every other operation
// is called from the user-interface thread, one at a time.
#pragma once

#include "DbpMessage.h"
#include "EndpointSettings.h"
#include "RecursiveLock.h"
#include "TerminalParam.h"
#include "platform/UdpSocket.h"

#include <cstdint>
#include <list>

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
    // Whether Open succeeded: the window warns at start-up when it did not.
    bool IsOpen() const;
    // The port the socket is bound to (the real one when 0 was asked for).
    uint16_t LocalPort() const;
    const EndpointSettings& Settings() const;
    // Makes the receive loop end (as the socket layer's shut-down does).
    void Close();

    // Worker thread.
    int Receive(char* buffer, int size);
    virtual int RunReceiveLoop();
    virtual void OnReply(int result);

    // User-interface thread. Broadcast operations: true when sent whole.
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

    // Receives every reply that parsed as 200, on the worker thread; it must
    // copy the record and return.
    void (*replyCallback)(TerminalParam* record) = nullptr;
    // The most recent datagram, rewritten by the worker thread.
    TerminalParam lastReply;

private:
    struct PendingRequest {
        int32_t CSeq;
        int32_t status;
        int32_t deadline;
        TerminalParam reply;
    };

    void AddPending(uint16_t cseq);
    void UpdatePending(uint16_t cseq, int status);
    void RemovePending(uint16_t cseq);
    int WaitReply(uint16_t cseq, TerminalParam* reply);
    int SendAndWait(DbpRequest message, uint16_t cseq, uint32_t address, bool alsoBroadcast,
                    TerminalParam* reply);
    bool SendBroadcast(DbpRequest message);
    bool SendText(const char* text, uint32_t address);

    EndpointSettings settings;
    UdpSocket socket;
    uint16_t nextCSeq = 1;
    char receiveBuffer[1024 + 1] = {};
    RecursiveLock engineLock;
    std::list<PendingRequest> pending;
};
