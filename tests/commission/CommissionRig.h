// The engine on its worker thread against a simulated fleet on loopback, for
// the commissioning tests; and the fleet they share. Test thread only.
#pragma once

#include "net/QueryThread.h"
#include "platform/SocketLayer.h"
#include "tests/support/RecordText.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QRegularExpression>

#include <memory>

// Terminal n (1 to 9) answers from 127.1.0.n with ID n and MAC 00-12-37-00-00-0n.
inline std::vector<TerminalParam> commissionFleet(int count)
{
    std::vector<TerminalParam> fleet;
    for (int n = 1; n <= count; ++n)
        fleet.push_back(record(QString("ID=%1; IP=127.1.0.%1; MAC=00-12-37-00-00-0%1; Type=%2; Mask=255.0.0.0; "
                                       "Gateway=127.0.0.254; Server=127.0.0.9; ServerPort=7000; Server2=127.0.0.8; "
                                       "Server2Port=7000; Speed=100; Treble=-3; Bass=5")
                                   .arg(n)
                                   .arg(QString::fromStdString(simModelCodes()[0]))
                                   .toUtf8()));
    return fleet;
}

struct CommissionRig {
    CommissionRig() { SocketLayerStartup(); }
    ~CommissionRig()
    {
        thread.reset();
        sim.reset();
        SocketLayerShutdown();
    }

    // Starts the fleet and an engine that waits `timeoutSeconds` for a reply.
    bool start(const std::vector<TerminalParam>& fleet, const SimConfig& config = SimConfig(), int timeoutSeconds = 1)
    {
        sim = std::make_unique<TerminalSimulator>(config, fleet);
        if (!sim->start())
            return false;
        EndpointSettings settings{0, sim->port(), 0x7FFFFFFFu, timeoutSeconds};
        settings.searchSendsMs = {0};
        thread = std::make_unique<QueryThread>(settings);
        thread->start();
        return thread->engine()->IsOpen();
    }

    NxNetControl* engine() { return thread->engine(); }

    // The SETs the simulator received, their CSeq replaced by "#".
    QByteArrayList sets() const
    {
        QByteArrayList out;
        for (const SimRequest& r : sim->requests()) {
            QString text = QString::fromStdString(r.bytes);
            if (!text.startsWith("GET"))
                out << text.replace(QRegularExpression("CSeq: \\d+"), "CSeq: #").toLatin1();
        }
        return out;
    }

    std::unique_ptr<TerminalSimulator> sim;
    std::unique_ptr<QueryThread> thread;
};
