// A search range behind a router: 500 terminals spread over a /16 (65 536
// addresses) in a namespace behind a router namespace, found by the range's
// sweep. Prints how many were found, the sweep's time and its rate. Makes
// its namespaces itself (needs root); `make bench` runs it in one more.
//
//   bench_range_sweep [GETs per second]   default: DBP_SWEEP_RATE, else 150
#include "core/search/TerminalSearch.h"
#include "net/QueryThread.h"
#include "platform/Clock.h"
#include "platform/SocketLayer.h"
#include "tests/support/PrivateNetwork.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kTerminals = 500;

// 10.90.x.y, spread evenly over 10.90.0.0/16.
QString terminalAddress(int i)
{
    const int offset = 10 + i * 131;
    return QString("10.90.%1.%2").arg(offset >> 8).arg(offset & 0xFF);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    EndpointSettings settings;
    settings.localPort = 0;
    settings.searchSendsMs = {0};
    const char* rate = std::getenv("DBP_SWEEP_RATE");
    if (argc > 1)
        settings.sweepRate = std::atoi(argv[1]);
    else if (rate != nullptr && std::atoi(rate) > 0)
        settings.sweepRate = std::atoi(rate);

    const QString tool = "qtool-sweep-" + QString::number(getpid());
    const QString router = tool + "-r", fleet = tool + "-t";
    QList<QStringList> steps{{"-n", tool, "link", "add", "veth0", "type", "veth", "peer", "name", "up0", "netns", router},
        {"-n", tool, "addr", "add", "10.80.0.1/24", "dev", "veth0"}, {"-n", tool, "link", "set", "veth0", "up"},
        {"-n", tool, "route", "add", "10.90.0.0/16", "via", "10.80.0.254"},
        {"-n", router, "addr", "add", "10.80.0.254/24", "dev", "up0"}, {"-n", router, "link", "set", "up0", "up"},
        {"netns", "exec", router, "sysctl", "-q", "-w", "net.ipv4.ip_forward=1"},
        {"-n", router, "link", "add", "down0", "type", "veth", "peer", "name", "eth0", "netns", fleet},
        {"-n", router, "addr", "add", "10.90.255.254/16", "dev", "down0"}, {"-n", router, "link", "set", "down0", "up"},
        {"-n", fleet, "link", "set", "eth0", "up"}};
    SimConfig config;
    for (int i = 0; i < kTerminals; ++i) {
        steps << QStringList{"-n", fleet, "addr", "add", terminalAddress(i) + "/16", "dev", "eth0"};
        config.addresses.push_back(terminalAddress(i).toStdString());
    }
    steps << QStringList{"-n", fleet, "route", "add", "default", "via", "10.90.255.254"};
    config.fleetSize = kTerminals;
    config.port = 59137;
    config.addressing = SimAddressing::Namespace;
    const std::vector<int> handles = makeNamespaces({tool, router, fleet}, steps);
    std::unique_ptr<TerminalSimulator> sim;
    {
        InNamespace terminals(handles[2]);
        sim = std::make_unique<TerminalSimulator>(config);
        if (!terminals.entered || !sim->start()) {
            std::fprintf(stderr, "bench_range_sweep: the namespaces could not be made (needs root)\n");
            return 1;
        }
    }
    InNamespace toolSide(handles[0]);
    if (!SocketLayerStartup() || !toolSide.entered)
        return 1;
    SearchRange range;
    parseSearchRange("10.90.0.0/16", &range);
    int found = 0;
    double seconds = 0;
    {
        QueryThread thread(settings);
        thread.start();
        TerminalSearch search(thread.engine());
        search.searchRanges({range});
        const auto start = std::chrono::steady_clock::now();
        while (search.step())
            SleepMs(static_cast<uint32_t>(std::min(search.msToNextStep(), 5)));
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        found = search.terminalCount();
    }
    close(handles[1]);
    SocketLayerShutdown();
    std::printf("range sweep: 10.90.0.0/16 behind a router, %d of %d terminals found (%.1f %%), "
                "%.1f s with the quiet period, set rate %d GETs/s (%.0f addresses/s)\n",
        found, kTerminals, 100.0 * found / kTerminals, seconds, settings.sweepRate, range.size() / seconds);
    return found == kTerminals ? 0 : 1;
}
