// DiscoveryRig: the real engine on its worker thread, a main window on it
// and a simulated fleet, all on loopback. Tests build one per case. The
// window goes first, then the thread, then the simulator. User-interface
// thread only.
#pragma once

#include "net/EndpointSettings.h"
#include "net/QueryThread.h"
#include "platform/SocketLayer.h"
#include "tests/ui/ScratchFolder.h"
#include "tests/ui/TestRecords.h"
#include "tools/terminal-sim/TerminalSimulator.h"
#include "ui/main/QueryTool.h"

#include <QString>

#include <memory>
#include <vector>

// What a test object that opens sockets holds for its whole run: the socket
// layer, started, in a scratch working folder.
struct LoopbackEnvironment : ScratchFolder {
    LoopbackEnvironment() { SocketLayerStartup(); }
    ~LoopbackEnvironment() { SocketLayerShutdown(); }
};

// A terminal of the test fleets: number n answers from 127.1.0.n.
inline TerminalParam testTerminal(int n, const char* type, const char* name)
{
    const QString fields = QString("ID=%1; Ver=V2.%1; IP=127.1.0.%1; MAC=00-12-37-00-00-%2; Type=%3; Name=%4; "
                                   "Mode=Normal; Mask=255.0.0.0; Server=127.0.0.1; ServerPort=7900")
                               .arg(n)
                               .arg(QString::number(n, 16).toUpper(), 2, QChar('0'))
                               .arg(type, name);
    return record(fields.toUtf8());
}

// Engine settings that reach the simulator on `port` and nothing else.
inline EndpointSettings loopbackSettings(uint16_t port)
{
    EndpointSettings settings;
    settings.localPort = 0;
    settings.terminalPort = port;
    settings.broadcastAddress = 0x7FFFFFFFu;  // 127.255.255.255
    settings.replyTimeoutSeconds = 1;
    return settings;
}

// The label's text after a search that found `count` terminals.
inline QString foundText(int count)
{
    return QString::fromUtf8("找到%1个设备").arg(count);
}

struct DiscoveryRig {
    std::unique_ptr<TerminalSimulator> sim;
    std::unique_ptr<QueryThread> thread;
    std::unique_ptr<QueryTool> window;

    // Starts the fleet, then the engine, then the window (whose first
    // search goes out at once). False when the simulator cannot start.
    bool start(const std::vector<TerminalParam>& fleet, const std::vector<int>& silent = {})
    {
        SimConfig config;
        config.silent = silent;
        sim = std::make_unique<TerminalSimulator>(config, fleet);
        if (!sim->start())
            return false;
        thread = std::make_unique<QueryThread>(loopbackSettings(sim->port()));
        thread->start();
        window = std::make_unique<QueryTool>(thread->engine());
        return thread->engine()->IsOpen();
    }

    // Sends terminal `index`'s current record as an unsolicited reply.
    bool sendReply(int index)
    {
        return sim->sendFrom(index, sim->replyText(index, 1), 0x7F000001u, thread->engine()->LocalPort());
    }

    ~DiscoveryRig()
    {
        window.reset();
        thread.reset();
        sim.reset();
    }
};
