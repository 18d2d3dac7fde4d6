// Commissioning at installation scale: a generated fleet on loopback, each
// terminal given a new ID, a static IP and DNS servers by one sheet.
// Measures sheet check (search and plan), pipelined apply and verification,
// and as the baseline the window's way: for each terminal a read and a
// blocking set, one after the other (on a sample, extrapolated, since each
// waits on its reply).
//
//   bench_commission [terminals] [baseline sample]   default 1000 50
#include "bench/BenchSupport.h"
#include "core/commission/CommissionRun.h"
#include "net/QueryThread.h"
#include "platform/Clock.h"
#include "platform/SocketLayer.h"
#include "core/records/TerminalEdit.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

constexpr double kGoalMs = 10000;

EndpointSettings loopback(uint16_t port)
{
    EndpointSettings settings;
    settings.localPort = 0;
    settings.terminalPort = port;
    settings.broadcastAddress = 0x7FFFFFFFu;
    settings.everyAdapter = false;
    return settings;
}

std::unique_ptr<TerminalSimulator> startFleet(int size)
{
    SimConfig config;
    config.fleetSize = size;
    config.keepRequestLog = false;
    auto sim = std::make_unique<TerminalSimulator>(config);
    if (!sim->start()) {
        std::fprintf(stderr, "simulator: %s\n", sim->errorText().c_str());
        return nullptr;
    }
    return sim;
}

// Every terminal: ID 1 upwards, static IP 127.2.x.y in 127/8, two DNS
// servers.
std::string sheetFor(const std::vector<TerminalParam>& fleet)
{
    std::string text = "MAC,ID,AutoIP,IP,Mask,Gateway,UseDNS,DNS1,DNS2\n";
    for (size_t i = 0; i < fleet.size(); ++i) {
        char line[160];
        std::snprintf(line, sizeof line, "%s,%zu,0,127.2.%zu.%zu,255.0.0.0,127.0.0.1,1,127.0.0.53,127.0.0.54\n",
            fleet[i].MAC, i + 1, (i + 1) / 250, 1 + (i + 1) % 250);
        text += line;
    }
    return text;
}

bool pipelined(int size)
{
    auto sim = startFleet(size);
    if (!sim)
        return false;
    QueryThread thread(loopback(sim->port()));
    thread.start();
    const std::string text = sheetFor(sim->terminals());

    const double started = benchNowMs();
    CommissionSheet sheet;
    readCommissionSheet(text, &sheet);
    TerminalSearch search(thread.engine());
    while (search.step())
        SleepMs(2);
    const CommissionPlan plan = planCommission(sheet, search.terminals());
    const double checked = benchNowMs();
    if (!plan.problems.empty()) {
        std::printf("sheet refused: %zu problems\n", plan.problems.size());
        return false;
    }
    CommissionRun run(thread.engine(), plan);
    double applied = 0;
    while (run.phase() != CommissionRun::Phase::Done) {
        run.step();
        if (applied == 0 && run.phase() != CommissionRun::Phase::Applying)
            applied = benchNowMs();
        SleepMs(2);
    }
    const double ended = benchNowMs();
    int verified = 0;
    for (const TerminalOutcome& outcome : run.outcomes())
        verified += outcome.outcome == Outcome::Verified;
    std::printf("commission %d terminals: %.0f ms (check %.0f, apply %.0f, verify %.0f), %d SETs, %d answered, "
                "%d verified, goal %.0f ms: %s\n",
        size, ended - started, checked - started, applied - checked, ended - applied, run.datagrams(), run.decided(),
        verified, kGoalMs, ended - started <= kGoalMs && verified == size ? "met" : "NOT met");
    return true;
}

bool baseline(int size, int sample)
{
    auto sim = startFleet(size);
    if (!sim)
        return false;
    QueryThread thread(loopback(sim->port()));
    thread.start();
    const std::vector<TerminalParam> fleet = sim->terminals();
    const double started = benchNowMs();
    int succeeded = 0;
    for (int i = 0; i < sample && i < size; ++i) {
        TerminalParam current;
        if (thread.engine()->GetTerminal(fleet[i].IP, &current) != kReplyOk)
            continue;
        TerminalEdit edit;
        edit.newId = i + 1;
        edit.autoIp = false;
        edit.ip = "127.2.0." + std::to_string(i + 1);
        edit.mask = "255.0.0.0";
        edit.gateway = "127.0.0.1";
        TerminalParam set = composeSetRecord(current, edit);
        succeeded += thread.engine()->SetTerminal(&set) == kReplyOk;
    }
    const double perTerminal = (benchNowMs() - started) / sample;
    std::printf("baseline (read, then blocking set, one by one): %d of %d terminals in %.0f ms, %.0f ms each; "
                "%d terminals about %.0f s\n",
        succeeded, sample, perTerminal * sample, perTerminal, size, perTerminal * size / 1000);
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const int size = arguments.size() > 0 ? arguments[0].toInt() : 1000;
    const int sample = arguments.size() > 1 ? arguments[1].toInt() : 50;
    if (size < 1 || size > 60000 || sample < 1) {
        std::fprintf(stderr, "usage: bench_commission [terminals] [baseline sample]\n");
        return 2;
    }
    SocketLayerStartup();
    const bool ok = pipelined(size) && baseline(size, sample);
    SocketLayerShutdown();
    return ok ? 0 : 1;
}
