// Shared pieces of the simulator's tests: starting a simulator on a free
// port and the GET they send. Test thread only.
#pragma once

#include "LoopbackSocket.h"
#include "RecordText.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QtTest>
#include <memory>
#include <string>

// Time a test waits for replies that should come (generous for a loaded machine).
constexpr int kReplyWaitMs = 3000;

inline std::unique_ptr<TerminalSimulator> startSimulator(const SimConfig& config)
{
    auto sim = std::make_unique<TerminalSimulator>(config);
    if (!sim->start())
        qWarning("simulator did not start: %s", sim->errorText().c_str());
    return sim;
}

inline SimConfig fleetOf(int size)
{
    SimConfig config;
    config.fleetSize = size;
    return config;
}

inline std::string getRequest(int cseq, int isBroadcast = 1)
{
    return "GET DBP/1.0\r\nCSeq: " + std::to_string(cseq) + "\r\nIsBroadcast: " + std::to_string(isBroadcast)
           + "\r\n\r\n";
}

// Sends `request` to `to`, then a GET to `barrier` (a terminal that
// answers), and returns the replies that came before the GET's: the
// simulator handles requests one at a time, so no wait for silence is needed.
inline std::vector<Datagram> repliesTo(LoopbackSocket& client, uint16_t port, const std::string& request, uint32_t to,
                                       uint32_t barrier)
{
    std::vector<Datagram> replies;
    if (!client.send(request, to, port) || !client.send(getRequest(65535, 0), barrier, port))
        return replies;
    for (std::vector<Datagram> next; !(next = client.collect(1, kReplyWaitMs)).empty();) {
        if (headerValue(next[0].bytes, "CSeq") == "65535")
            break;
        replies.push_back(next[0]);
    }
    return replies;
}
