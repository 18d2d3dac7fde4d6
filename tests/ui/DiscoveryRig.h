// DiscoveryRig: the real engine on its worker thread, a main window on it
// and a simulated fleet, all on loopback. Tests build one per case. The
// window goes first, then the thread, then the simulator. User-interface
// thread only.
#pragma once

#include "net/EndpointSettings.h"
#include "net/QueryThread.h"
#include "net/TerminalParam.h"
#include "tools/terminal-sim/TerminalSimulator.h"
#include "ui/main/QueryTool.h"

#include <cstdio>
#include <memory>
#include <vector>

// A terminal of the test fleets: number n answers from 127.1.0.n.
inline TerminalParam testTerminal(int n, const char* type, const char* name)
{
    TerminalParam t;
    t.ID = n;
    std::snprintf(t.Type, sizeof t.Type, "%s", type);
    std::snprintf(t.Name, sizeof t.Name, "%s", name);
    std::snprintf(t.Mode, sizeof t.Mode, "Normal");
    std::snprintf(t.Ver, sizeof t.Ver, "V2.%d", n);
    std::snprintf(t.MAC, sizeof t.MAC, "00-12-37-00-00-%02X", n);
    std::snprintf(t.IP, sizeof t.IP, "127.1.0.%d", n);
    std::snprintf(t.Mask, sizeof t.Mask, "255.0.0.0");
    std::snprintf(t.Server, sizeof t.Server, "127.0.0.1");
    t.ServerPort = 7900;
    return t;
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
        return sim->sendFrom(index, sim->replyText(index, 1), 0x7F000001u,
                             thread->engine()->LocalPort());
    }

    ~DiscoveryRig()
    {
        window.reset();
        thread.reset();
        sim.reset();
    }
};
