// One search through a congested link: 2 000 simulated terminals in one /21
// (127.1.0.0/21 on loopback) whose replies pass a 20 Mbit/s link with a
// 128 KB drop-tail queue, answering in fixed or random order. Prints what a
// search finds within 5 s without and with the sweep of that subnet (on
// loopback there is no adapter subnet, so the bench gives it one), and how
// many GETs a loss-free search sends; then the same through querytool-cli
// scan, which loopback gives no subnet either: without a range, and with the
// fleet's /21 as its --range (swept at 1 000 GETs/s, as the search sweeps an
// adapter's own subnet).
//
//   bench_congested_search [fleet]     default 2000
#include "bench/BenchSupport.h"
#include "core/search/TerminalSearch.h"
#include "net/QueryThread.h"
#include "platform/Clock.h"
#include "platform/SocketLayer.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kWithinMs = 5000;
constexpr uint32_t kSubnet = 0x7F010000u;  // 127.1.0.0/21, where the fleet's addresses start
constexpr uint32_t kSubnetSize = 2048;

struct Outcome {
    int found = 0;
    int foundByPlan = 0;  // before the search went on past its planned GETs
    size_t sends = 0;
    size_t sweepSends = 0;
    double settledMs = 0;
};

SimConfig fleetConfig(int fleet, bool congested, SimReplyOrder order)
{
    SimConfig config;
    config.fleetSize = fleet;
    config.keepRequestLog = false;
    config.replyOrder = order;
    if (congested) {
        config.linkRateBps = 20000000;
        config.queueBytes = 128 * 1024;
        config.replyJitterMs = 30;  // the terminals' answers spread over 30 ms
    }
    return config;
}

Outcome searchOnce(int fleet, bool congested, SimReplyOrder order, bool sweep)
{
    TerminalSimulator sim(fleetConfig(fleet, congested, order));
    Outcome outcome;
    if (!sim.start()) {
        std::fprintf(stderr, "simulator: %s\n", sim.errorText().c_str());
        return outcome;
    }
    EndpointSettings settings;
    settings.localPort = 0;
    settings.terminalPort = sim.port();
    settings.broadcastAddress = 0x7FFFFFFFu;
    settings.everyAdapter = false;
    QueryThread thread(settings);
    thread.start();
    const double started = benchNowMs();
    TerminalSearch search(thread.engine());
    if (sweep)
        search.sweepSubnetAlso({kSubnet + 1, kSubnet + kSubnetSize - 2});
    const size_t planned = settings.searchSendsMs.size();
    while (benchNowMs() - started < kWithinMs) {
        if (search.sends() <= planned && search.subnetSweepSends() == 0)
            outcome.foundByPlan = search.terminalCount();
        if (!search.step())
            break;
        SleepMs(std::max(1, std::min(5, search.msToNextStep())));
    }
    outcome.found = search.terminalCount();
    outcome.sends = search.sends();
    outcome.sweepSends = search.subnetSweepSends();
    outcome.settledMs = search.settled() ? benchNowMs() - started : -1;
    return outcome;
}

// querytool-cli scan of the congested fleet: how many terminals it lists,
// in how long, and whether it warned that the list may be incomplete.
bool cliScanOnce(int fleet, SimReplyOrder order, bool range, bool* goalMet)
{
    TerminalSimulator sim(fleetConfig(fleet, true, order));
    if (!sim.start())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBP_BROADCAST_ADDR", "127.255.255.255");
    environment.insert("DBP_TERMINAL_PORT", QString::number(sim.port()));
    environment.insert("DBP_LOCAL_PORT", "0");
    environment.insert("DBP_SWEEP_RATE", "1000");
    QStringList arguments{"scan", "--format", "csv"};
    if (range)
        arguments << "--range"
                  << "127.1.0.0/21";
    QProcess cli;
    cli.setProcessEnvironment(environment);
    const double started = benchNowMs();
    cli.start(QStringLiteral(CLI_PROGRAM), arguments);
    if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit)
        return false;
    const double ms = benchNowMs() - started;
    const int found = std::max(0, static_cast<int>(cli.readAllStandardOutput().count('\n')) - 1);
    const bool warned = cli.readAllStandardError().contains("列表可能不完整");
    const double share = 100.0 * found / fleet;
    if (range)
        *goalMet = *goalMet && share >= 99.5 && ms <= kWithinMs;
    std::printf("  querytool-cli scan, %-6s order, %-24s %4d/%d (%5.1f %%) in %.0f ms%s\n",
        order == SimReplyOrder::Fixed ? "fixed" : "random",
        range ? "--range 127.1.0.0/21:" : "no subnet, no range:", found, fleet, share, ms,
        warned ? ", warned \"may be incomplete\"" : "");
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!SocketLayerStartup())
        return 1;
    const int fleet = benchFleetSizes(app.arguments().mid(1), {2000}).first();
    std::printf("bench_congested_search: %d terminals in 127.1.0.0/21 behind a 20 Mbit/s link with a 128 KB "
                "queue; found within %.0f ms by one search (goal >= 99.5 %%)\n",
        fleet, kWithinMs);
    bool goalsMet = true;
    for (SimReplyOrder order : {SimReplyOrder::Fixed, SimReplyOrder::Random}) {
        for (bool sweep : {false, true}) {
            const Outcome o = searchOnce(fleet, true, order, sweep);
            const double share = 100.0 * o.found / fleet;
            if (sweep)
                goalsMet = goalsMet && share >= 99.5;
            std::printf("  %-6s order, %-19s planned GETs found %4d (%5.1f %%); in all %4d/%d (%5.1f %%), "
                        "%zu GETs + %zu swept, %s %.0f ms\n",
                order == SimReplyOrder::Fixed ? "fixed" : "random",
                sweep ? "subnet swept:" : "no subnet to sweep:", o.foundByPlan, 100.0 * o.foundByPlan / fleet, o.found,
                fleet, share, o.sends, o.sweepSends, o.settledMs < 0 ? "still going after" : "settled in",
                o.settledMs < 0 ? kWithinMs : o.settledMs);
            std::fflush(stdout);
        }
    }
    const Outcome free = searchOnce(fleet, false, SimReplyOrder::Random, true);
    const size_t planned = EndpointSettings().searchSendsMs.size();
    const bool noMore = free.sends == planned && free.sweepSends == 0;
    goalsMet = goalsMet && noMore && free.found == fleet;
    std::printf("  loss-free link: %d/%d found with %zu GETs + %zu swept (planned %zu): %s\n", free.found, fleet,
        free.sends, free.sweepSends, planned, noMore ? "no more than before" : "MORE THAN BEFORE");
    for (SimReplyOrder order : {SimReplyOrder::Fixed, SimReplyOrder::Random})
        for (bool range : {false, true})
            goalsMet = cliScanOnce(fleet, order, range, &goalsMet) && goalsMet;
    std::printf("  goals: %s\n", goalsMet ? "met" : "MISSED");
    SocketLayerShutdown();
    return goalsMet ? 0 : 1;
}
