// Shared pieces of the simulator's tests: starting a simulator on a free
// port and the request texts the tests send. Test thread only.
#pragma once

#include "SimTestSocket.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QtTest>
#include <memory>
#include <string>

// Time a test waits for replies that should come (generous for a loaded
// machine) and for replies that should not come.
constexpr int kReplyWaitMs = 3000;
constexpr int kQuietWaitMs = 300;

inline std::unique_ptr<TerminalSimulator> startSimulator(const SimConfig& config)
{
    auto sim = std::make_unique<TerminalSimulator>(config);
    if (!sim->start())
        qWarning("simulator did not start: %s", sim->errorText().c_str());
    return sim;
}

inline std::string getRequest(int cseq, int isBroadcast = 1)
{
    return "GET DBP/1.0\r\nCSeq: " + std::to_string(cseq) + "\r\nIsBroadcast: "
           + std::to_string(isBroadcast) + "\r\n\r\n";
}

// Every field of a record, for comparisons that name the field that differs.
inline QString recordText(const TerminalParam& t)
{
    return QString("ID=%1 NewID=%2 CSeq=%3 Address=%4 Type=%5 Ver=%6 MAC=%7 OldMAC=%8 IP=%9")
               .arg(t.ID).arg(t.NewID).arg(t.CSeq).arg(t.Address).arg(t.Type).arg(t.Ver)
               .arg(t.MAC).arg(t.OldMAC).arg(t.IP)
           + QString(" Mask=%1 Gateway=%2 Server=%3:%4 Server2=%5:%6 DNS1=%7 DNS2=%8 Website=%9")
                 .arg(t.Mask).arg(t.Gateway).arg(t.Server).arg(t.ServerPort).arg(t.Server2)
                 .arg(t.Server2Port).arg(t.DNS1).arg(t.DNS2).arg(t.Website)
           + QString(" Mode=%1 UseDNS=%2 AutoIP=%3 Reboot=%4 IsBroadcast=%5 Speed=%6 Port=%7")
                 .arg(t.Mode).arg(t.UseDNS).arg(t.AutoIP).arg(t.Reboot).arg(t.IsBroadcast)
                 .arg(t.Speed).arg(t.Port)
           + QString(" Treble=%1 Bass=%2 PlayVol=%3 CaptureVol=%4 SvcConfig=[%5] Name=%6")
                 .arg(t.Treble).arg(t.Bass).arg(t.PlayVol).arg(t.CaptureVol).arg(t.SvcConfig)
                 .arg(t.Name);
}

inline std::string ipText(uint32_t address)
{
    return simAddressText(address);
}
