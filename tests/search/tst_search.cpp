// The search object on the real engine: when its GETs go out and when it
// settles (on a clock of the test's own), two searches at once each with
// only their own replies and the rest for the window, late replies kept
// from everyone, the adapters it goes out through (network namespaces), and
// going on past its plan over a congested link.
#include "core/search/ReplyRouter.h"
#include "core/search/TerminalSearch.h"
#include "net/QueryThread.h"
#include "platform/SocketLayer.h"
#include "tools/terminal-sim/TerminalSimulator.h"
#ifndef _WIN32
#include "PrivateNetwork.h"
#endif

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <set>

namespace {

std::atomic<uint64_t> gNow{1000};
uint64_t testClock()
{
    return gNow;
}

// The replies nobody claimed: how many, and their CSeqs' sum.
std::atomic<int> gOthers{0};
std::atomic<int> gOthersCSeqs{0};
void collectOthers(TerminalParam* reply)
{
    gOthersCSeqs += reply->CSeq;
    ++gOthers;
}

EndpointSettings loopback(uint16_t port, const std::vector<int>& sendsMs)
{
    EndpointSettings settings{0, port, 0x7FFFFFFFu, 1};
    settings.searchSendsMs = sendsMs;
    return settings;
}

}  // namespace

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(SocketLayerStartup()); }
    void cleanupTestCase() { SocketLayerShutdown(); }

    // Stepped whenever it asks to be: each GET at its planned time, settled
    // once the last is kQuietMs old (nobody answers here).
    void stepsAtThePlannedTimes()
    {
        EndpointSettings settings = loopback(9, EndpointSettings().searchSendsMs);  // the discard port: no answer
        settings.clockMs = testClock;
        NxNetControl engine(settings);
        QVERIFY(engine.Open(0));
        const uint64_t start = gNow;
        TerminalSearch search(&engine);
        QList<uint64_t> seen;
        for (int turn = 0; turn < 20 && seen.size() < 5; ++turn) {
            const size_t sends = search.sends();
            if (!search.step() || search.sends() != sends)
                seen << gNow - start;
            gNow += static_cast<uint64_t>(search.msToNextStep());
        }
        QCOMPARE(seen, (QList<uint64_t>{0, 250, 500, 1000, 1500}));
        QVERIFY(search.allSent());
    }

    // The window's search, a batch dialog's and a request of nobody's at
    // once: each search lists the fleet from its own replies only, the rest
    // goes to the window, and a search's late replies reach no one.
    void twoSearchesAtOnceKeepTheirReplies()
    {
        TerminalSimulator sim(SimConfig{});
        QVERIFY(sim.start());
        QueryThread thread(loopback(sim.port(), {0, 100}));
        ReplyRouter::attach(thread.engine());
        ReplyRouter::setOthers(collectOthers);
        thread.start();
        auto first = std::make_unique<TerminalSearch>(thread.engine());
        TerminalSearch second(thread.engine());
        std::vector<TerminalParam> replies[2];
        first->step(&replies[0]);
        second.step(&replies[1]);
        const uint16_t nobodys = thread.engine()->NextCSeq();
        QVERIFY(thread.engine()->QueryAllTerminals());
        while (first->step(&replies[0]) | second.step(&replies[1]))
            QTest::qWait(5);

        const std::set<uint16_t> cseqs[2] = {{1, 4}, {2, 5}};  // each search's GETs, the second at 100 ms
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(replies[i].size(), size_t(20));
            for (const TerminalParam& reply : replies[i])
                QVERIFY2(cseqs[i].count(reply.CSeq) == 1, qPrintable(QString::number(reply.CSeq)));
        }
        QCOMPARE(first->terminals().size(), size_t(10));
        QCOMPARE(second.terminals().size(), size_t(10));
        QCOMPARE(gOthers.load(), 10);
        QCOMPARE(gOthersCSeqs.load(), 10 * nobodys);

        first.reset();
        const uint16_t port = thread.engine()->LocalPort();
        QVERIFY(sim.sendFrom(0, sim.replyText(0, 4), 0x7F000001u, port));  // late, to the ended search
        QVERIFY(sim.sendFrom(0, sim.replyText(0, 77), 0x7F000001u, port));  // nobody's
        QTRY_COMPARE(gOthers.load(), 11);
        QCOMPARE(gOthersCSeqs.load(), 10 * nobodys + 77);
    }

    // Replies through a link whose queue overflows: the search goes on with
    // more GETs while the last one found new terminals, at most kMoreGets of
    // them, then sweeps the subnet (or passes over the search range again)
    // at the addresses that have not answered; on a loss-free link it sends
    // only its planned GETs.
    void goesOnWhileTerminalsAppear_data()
    {
        QTest::addColumn<bool>("congested");
        QTest::addColumn<QString>("sweep");  // "subnet", "range" or none
        QTest::addColumn<int>("moreGets");   // -1: some, not more than kMoreGets
        QTest::addColumn<bool>("allFound");
        QTest::addColumn<int>("planned");  // GETs planned

        QTest::newRow("loss-free") << false << "subnet" << 0 << true << 2;
        QTest::newRow("congested, nothing to sweep") << true << "" << TerminalSearch::kMoreGets << false << 2;
        QTest::newRow("congested, subnet swept") << true << "subnet" << -1 << true << 2;
        QTest::newRow("congested, range passed again") << true << "range" << -1 << true << 2;
        // The first GET finds everything anew, lost replies or not.
        QTest::newRow("congested, one GET") << true << "subnet" << 0 << false << 1;
    }
    void goesOnWhileTerminalsAppear()
    {
        QFETCH(bool, congested);
        QFETCH(QString, sweep);
        QFETCH(int, moreGets);
        QFETCH(bool, allFound);
        QFETCH(int, planned);

        SimConfig config;
        config.fleetSize = 200;  // 127.1.0.1 to 127.1.0.200
        config.keepRequestLog = false;
        if (congested) {
            // About 35 replies of each GET get through.
            config.linkRateBps = 4000000;
            config.queueBytes = 8000;
            config.replyJitterMs = 10;
        }
        TerminalSimulator sim(config);
        QVERIFY(sim.start());
        EndpointSettings settings = loopback(sim.port(), planned == 1 ? std::vector<int>{0} : std::vector<int>{0, 200});
        settings.sweepRate = 5000;  // the range's first sweep loses replies in the queue too
        QueryThread thread(settings);
        thread.start();
        TerminalSearch search(thread.engine());
        if (sweep == "subnet")
            search.sweepSubnetAlso({0x7F010001u, 0x7F0100FEu});
        if (sweep == "range")
            search.searchRanges({{0x7F010001u, 0x7F0100FEu}});
        QElapsedTimer clock;
        clock.start();
        while (search.step() && clock.elapsed() < 10000)
            QTest::qWait(std::max(1, std::min(5, search.msToNextStep())));
        QVERIFY(search.settled());

        if (moreGets >= 0)
            QCOMPARE(search.sends(), size_t(planned + moreGets));
        else
            QVERIFY(search.sends() > 2 && search.sends() <= size_t(2 + TerminalSearch::kMoreGets));
        QCOMPARE(search.terminalCount() == 200, allFound);
        // The warning stays while the last GET found some; a second pass
        // may rightly find what a loaded machine lost in the first.
        if (!congested || planned == 1)
            QCOMPARE(search.lastGetFound(), 0);
        else if (!allFound)
            QVERIFY(search.lastGetFound() > 0);
        // A sweep goes only to addresses that have not answered: a second
        // pass to none but the 54 without a terminal.
        QVERIFY(search.subnetSweepSends() <= size_t(congested && !sweep.isEmpty() && planned > 1 ? 254 + 54 : 0));
    }

    // An adapter switched on during a search is searched by its next GET; a
    // tunnel, which cannot broadcast, never is.
    void everyGetFindsTheAdaptersUpThen()
    {
#ifdef _WIN32
        QSKIP("the namespaces it makes are Linux's");
#else
        TwoLinkNetwork network(2, true);
        QVERIFY(network.started());
        InNamespace toolSide(network.toolSide);
        QVERIFY(toolSide.entered);
        EndpointSettings settings;
        settings.localPort = 0;
        settings.clockMs = testClock;
        settings.searchSendsMs = {0, 300};
        QueryThread thread(settings);
        thread.start();
        // A link comes up a moment after its adapter is switched on.
        const auto linksUp = [](long count) {
            const std::vector<NetworkInterface> up = ListBroadcastInterfaces();
            return std::count_if(up.begin(), up.end(), [](const NetworkInterface& a) { return a.linkUp; }) == count;
        };
        QTRY_VERIFY(linksUp(1));
        TerminalSearch search(thread.engine());
        search.step();
        QCOMPARE(QProcess::execute("ip", {"link", "set", "veth2", "up"}), 0);
        QTRY_VERIFY(linksUp(2));
        gNow += 300;
        search.step();
        QTRY_COMPARE(search.terminalCount(), 5);
        QStringList adapters;
        for (const TerminalSearch::Adapter& entry : search.adapters())
            adapters << QString("%1 %2 %3 %4").arg(entry.adapter.name.c_str()).arg(entry.adapter.address, 0, 16).arg(entry.adapter.linkUp).arg(entry.terminals);
        QCOMPARE(adapters, (QStringList{"veth0 a4d0001 1 3", "veth2 a4e0001 1 2"}));
#endif
    }

    // A congested link behind the only adapter (a /25): a search through
    // every adapter goes on to sweep that subnet and finds every terminal; a
    // search pointed at one destination sweeps no subnet it was not pointed
    // at, and warns that the list may be incomplete.
    void sweepsItsOwnSubnetOnlyThroughEveryAdapter_data()
    {
        QTest::addColumn<bool>("everyAdapter");
        QTest::newRow("through every adapter") << true;
        QTest::newRow("pointed at the link's broadcast") << false;
    }
    void sweepsItsOwnSubnetOnlyThroughEveryAdapter()
    {
#ifdef _WIN32
        QSKIP("the namespaces it makes are Linux's");
#else
        QFETCH(bool, everyAdapter);
        const QString tool = "qtool-subnet-" + QString::number(getpid()), link = tool + "-t";
        QList<QStringList> steps{
            {"-n", tool, "link", "add", "veth0", "type", "veth", "peer", "name", "eth0", "netns", link},
            {"-n", tool, "addr", "add", "10.76.0.1/25", "dev", "veth0"}, {"-n", tool, "link", "set", "veth0", "up"},
            {"-n", link, "link", "set", "eth0", "up"}};
        SimConfig fleet;
        for (int i = 2; i < 122; ++i) {
            steps << QStringList{"-n", link, "addr", "add", QString("10.76.0.%1/25").arg(i), "dev", "eth0"};
            fleet.addresses.push_back(QString("10.76.0.%1").arg(i).toStdString());
        }
        fleet.fleetSize = static_cast<int>(fleet.addresses.size());
        fleet.port = 59137;
        fleet.addressing = SimAddressing::Namespace;
        fleet.broadcastAddresses.push_back("10.76.0.127");
        // About a dozen of each GET's 120 replies get through; a sweep's,
        // a few every few milliseconds, all do.
        fleet.linkRateBps = 4000000;
        fleet.queueBytes = 3300;
        fleet.replyJitterMs = 1;
        const std::vector<int> handles = makeNamespaces({tool, link}, steps);
        std::unique_ptr<TerminalSimulator> sim;
        {
            InNamespace terminals(handles[1]);
            QVERIFY(terminals.entered);
            sim = std::make_unique<TerminalSimulator>(fleet);
            QVERIFY(sim->start());
        }
        InNamespace toolSide(handles[0]);
        QVERIFY(toolSide.entered);
        EndpointSettings settings;
        settings.localPort = 0;
        settings.searchSendsMs = {0, 200};
        if (!everyAdapter)
            settings.broadcastAddress = 0x0A4C007Fu;  // 10.76.0.127
        settings.everyAdapter = everyAdapter;
        QueryThread thread(settings);
        thread.start();
        TerminalSearch search(thread.engine());
        QElapsedTimer clock;
        clock.start();
        while (search.step() && clock.elapsed() < 10000)
            QTest::qWait(std::max(1, std::min(5, search.msToNextStep())));
        QVERIFY(search.settled());
        // Five GETs let at most about sixty of the 120 through.
        QCOMPARE(search.sends(), size_t(2 + TerminalSearch::kMoreGets));
        QCOMPARE(search.subnetSweepSends() > 0, everyAdapter);
        QCOMPARE(search.terminalCount() == fleet.fleetSize, everyAdapter);
        if (!everyAdapter)
            QVERIFY(search.lastGetFound() > 0);
#endif
    }
};

QTEST_MAIN(SearchTest)
#include "tst_search.moc"
