// Private networks for the tests that need real adapters: network
// namespaces made with `ip` (as root), entered by the test thread, and one
// ready-made layout of two adapters with simulated terminals behind each.
// Test thread only.
#pragma once

#include "tools/terminal-sim/TerminalSimulator.h"

#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sched.h>
#include <unistd.h>
#include <vector>

// Makes network namespaces with `ip` (`names`, then `steps`) and hands them
// out as handles only: their names are dropped at once, so that they live as
// long as the handles and what runs in them. Handles are -1 when a step failed.
inline std::vector<int> makeNamespaces(const QStringList& names, const QList<QStringList>& steps)
{
    bool made = true;
    for (const QString& name : names)
        made = made && QProcess::execute("ip", {"netns", "add", name}) == 0;
    for (const QStringList& step : steps)
        made = made && QProcess::execute("ip", step) == 0;
    std::vector<int> handles;
    for (const QString& name : names) {
        handles.push_back(made ? open(qPrintable("/run/netns/" + name), O_RDONLY | O_CLOEXEC) : -1);
        QProcess::execute("ip", {"netns", "del", name});
    }
    return handles;
}

// While it lives, the test thread (and each socket and thread it makes) is in
// the network namespace of `handle`, which it closes.
struct InNamespace {
    const int home = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const bool entered;

    explicit InNamespace(int handle)
        : entered(home >= 0 && setns(handle, CLONE_NEWNET) == 0)
    {
        close(handle);
    }
    ~InNamespace()
    {
        setns(home, CLONE_NEWNET);
        close(home);
    }
};

// The tool's namespace with two adapters, veth0 10.77.0.1/24 and veth2
// 10.78.0.1/24, with no route between them and no default route; behind
// each a namespace of its own with `perLink` terminals (10.77.0.10 and
// 10.78.0.10 upwards), and on the first link one more at 192.168.77.5, in a
// subnet of its own. The terminals are simulated on port 59137; the second
// link's have IDs from 101 and MACs 00-12-37-01-00-01 upwards. With
// `secondLater`, veth2 stays switched off (`ip link set veth2 up` from
// inside switches it on) and a tunnel tun0 (10.79.0.1/24, no broadcast) is
// up beside them. Both fleets answer as `fleet` configures them otherwise.
struct TwoLinkNetwork {
    int toolSide = -1;  // the tool's namespace, for InNamespace
    std::vector<std::unique_ptr<TerminalSimulator>> sims;

    explicit TwoLinkNetwork(int perLink, bool secondLater = false, const SimConfig& fleet = SimConfig())
    {
        const QString tool = "qtool-links-" + QString::number(getpid());
        const QStringList linkNets = {tool + "-a", tool + "-b"};
        QList<QStringList> steps;
        std::vector<SimConfig> fleets(2, fleet);
        for (int link = 0; link < 2; ++link) {
            const QString subnet = "10.7" + QString::number(7 + link) + ".0.";
            const QString ours = "veth" + QString::number(2 * link), theirs = "veth" + QString::number(2 * link + 1);
            steps << QStringList{"-n", tool, "link", "add", ours, "type", "veth", "peer", "name", theirs, "netns",
                linkNets[link]}
                  << QStringList{"-n", tool, "addr", "add", subnet + "1/24", "dev", ours}
                  << QStringList{"-n", tool, "link", "set", ours, link == 0 || !secondLater ? "up" : "down"}
                  << QStringList{"-n", linkNets[link], "link", "set", theirs, "up"};
            QStringList addresses;
            for (int i = 10; i < 10 + perLink; ++i)
                addresses << subnet + QString::number(i) + "/24";
            if (link == 0)
                addresses << "192.168.77.5/24";
            for (const QString& address : addresses) {
                steps << QStringList{"-n", linkNets[link], "addr", "add", address, "dev", theirs};
                fleets[link].addresses.push_back(address.section('/', 0, 0).toStdString());
            }
            fleets[link].fleetSize = static_cast<int>(addresses.size());
            fleets[link].port = 59137;
            fleets[link].addressing = SimAddressing::Namespace;
        }
        if (secondLater)
            steps << QStringList{"-n", tool, "tuntap", "add", "dev", "tun0", "mode", "tun"}
                  << QStringList{"-n", tool, "addr", "add", "10.79.0.1/24", "dev", "tun0"}
                  << QStringList{"-n", tool, "link", "set", "tun0", "up"};
        const std::vector<int> handles = makeNamespaces({tool, linkNets[0], linkNets[1]}, steps);
        toolSide = handles[0];
        for (int link = 0; link < 2; ++link) {
            InNamespace terminals(handles[link + 1]);
            auto sim = std::make_unique<TerminalSimulator>(fleets[link]);
            if (!terminals.entered || !sim->start())
                continue;
            // Both fleets are generated alike; the second takes IDs and MACs
            // of its own, so that no two terminals conflict.
            for (int i = 0; link == 1 && i < sim->terminalCount(); ++i) {
                TerminalParam terminal = sim->terminal(i);
                terminal.ID += 100;
                std::snprintf(terminal.MAC, sizeof terminal.MAC, "00-12-37-01-00-%02X", i + 1);
                sim->setTerminal(i, terminal);
            }
            sims.push_back(std::move(sim));
        }
    }
    bool started() const { return toolSide >= 0 && sims.size() == 2; }
};

// The tool's namespace with one adapter, veth0 10.80.0.1/24, behind which a
// router namespace (10.80.0.254; forwarding on, directed broadcasts dropped
// as routers do by default) joins two subnets, 10.81.0.0/24 and
// 10.82.0.0/24, each with a namespace of `perSubnet` terminals (.10
// upwards; the second's IDs from 101 and MACs 00-12-37-02-00-01 upwards).
// Routes lead from the tool to both subnets and back, so only broadcasts
// stay on their own link.
struct RoutedNetwork {
    int toolSide = -1;  // the tool's namespace, for InNamespace
    int routerSide = -1;  // held: nothing else keeps the router alive
    std::vector<std::unique_ptr<TerminalSimulator>> sims;

    explicit RoutedNetwork(int perSubnet)
    {
        const QString tool = "qtool-routed-" + QString::number(getpid());
        const QString router = tool + "-r";
        const QStringList subnetNets = {tool + "-a", tool + "-b"};
        QList<QStringList> steps{
            {"-n", tool, "link", "add", "veth0", "type", "veth", "peer", "name", "up0", "netns", router},
            {"-n", tool, "addr", "add", "10.80.0.1/24", "dev", "veth0"}, {"-n", tool, "link", "set", "veth0", "up"},
            {"-n", tool, "route", "add", "10.81.0.0/24", "via", "10.80.0.254"},
            {"-n", tool, "route", "add", "10.82.0.0/24", "via", "10.80.0.254"},
            {"-n", router, "addr", "add", "10.80.0.254/24", "dev", "up0"}, {"-n", router, "link", "set", "up0", "up"},
            {"netns", "exec", router, "sysctl", "-q", "-w", "net.ipv4.ip_forward=1"}};
        std::vector<SimConfig> fleets(2);
        for (int subnet = 0; subnet < 2; ++subnet) {
            const QString prefix = "10.8" + QString::number(1 + subnet) + ".0.";
            const QString down = "down" + QString::number(subnet);
            steps << QStringList{"-n", router, "link", "add", down, "type", "veth", "peer", "name", "eth0", "netns",
                subnetNets[subnet]}
                  << QStringList{"-n", router, "addr", "add", prefix + "254/24", "dev", down}
                  << QStringList{"-n", router, "link", "set", down, "up"}
                  << QStringList{"-n", subnetNets[subnet], "link", "set", "eth0", "up"};
            for (int i = 10; i < 10 + perSubnet; ++i) {
                steps << QStringList{"-n", subnetNets[subnet], "addr", "add", prefix + QString::number(i) + "/24",
                    "dev", "eth0"};
                fleets[subnet].addresses.push_back((prefix + QString::number(i)).toStdString());
            }
            steps << QStringList{"-n", subnetNets[subnet], "route", "add", "default", "via", prefix + "254"};
            fleets[subnet].fleetSize = perSubnet;
            fleets[subnet].port = 59137;
            fleets[subnet].addressing = SimAddressing::Namespace;
        }
        const std::vector<int> handles = makeNamespaces({tool, router, subnetNets[0], subnetNets[1]}, steps);
        toolSide = handles[0];
        routerSide = handles[1];
        for (int subnet = 0; subnet < 2; ++subnet) {
            InNamespace terminals(handles[subnet + 2]);
            auto sim = std::make_unique<TerminalSimulator>(fleets[subnet]);
            if (!terminals.entered || !sim->start())
                continue;
            for (int i = 0; subnet == 1 && i < sim->terminalCount(); ++i) {
                TerminalParam terminal = sim->terminal(i);
                terminal.ID += 100;
                std::snprintf(terminal.MAC, sizeof terminal.MAC, "00-12-37-02-00-%02X", i + 1);
                sim->setTerminal(i, terminal);
            }
            sims.push_back(std::move(sim));
        }
    }
    ~RoutedNetwork()
    {
        if (routerSide >= 0)
            close(routerSide);
    }
    RoutedNetwork(const RoutedNetwork&) = delete;
    RoutedNetwork& operator=(const RoutedNetwork&) = delete;
    bool started() const { return toolSide >= 0 && sims.size() == 2; }
};
