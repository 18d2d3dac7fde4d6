// The engine and its worker thread against the terminal simulator over real
// UDP on loopback (127.255.255.255 stands in for the broadcast address), plus
// a plain socket for datagrams no terminal would send.
#include "LoopbackSocket.h"
#include "PrivateNetwork.h"
#include "net/QueryThread.h"
#include "platform/Ipv4Address.h"
#include "platform/SocketLayer.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QtTest>

#include <cstring>
#include <ctime>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <unistd.h>

namespace {

// The engine's reply callback keeps a copy of every record handed to it on
// the worker thread.
std::mutex repliesMutex;
std::vector<TerminalParam> received;

void collect(TerminalParam* record)
{
    std::lock_guard<std::mutex> guard(repliesMutex);
    received.push_back(*record);
}

std::vector<TerminalParam> replies()
{
    std::lock_guard<std::mutex> guard(repliesMutex);
    return received;
}

int repliesWithCSeq(int cseq)
{
    const std::vector<TerminalParam> all = replies();
    return int(std::count_if(all.begin(), all.end(), [cseq](const TerminalParam& r) { return r.CSeq == cseq; }));
}

// The CSeq of a request, -1 when it has none.
int cseqOf(const std::string& request)
{
    const std::string value = headerValue(request, "CSeq");
    return value.empty() ? -1 : std::stoi(value);
}

EndpointSettings loopbackSettings(uint16_t terminalPort, int timeoutSeconds = 1)
{
    EndpointSettings settings;
    settings.localPort = 0;
    settings.terminalPort = terminalPort;
    settings.broadcastAddress = kLoopbackBroadcast;
    settings.replyTimeoutSeconds = timeoutSeconds;
    return settings;
}

// A simulated fleet and a running engine pointed at it.
struct Rig {
    std::unique_ptr<TerminalSimulator> sim;
    std::unique_ptr<QueryThread> thread;  // destroyed first: ends the loop
    NxNetControl* engine = nullptr;

    bool start(int fleetSize, int timeoutSeconds = 1, int delayMs = 0, int jitterMs = 0)
    {
        SimConfig config;
        config.fleetSize = fleetSize;
        config.replyDelayMs = delayMs;
        config.replyJitterMs = jitterMs;
        sim = std::make_unique<TerminalSimulator>(config);
        if (!sim->start()) {
            qWarning("simulator: %s", sim->errorText().c_str());
            return false;
        }
        thread = std::make_unique<QueryThread>(loopbackSettings(sim->port(), timeoutSeconds));
        engine = thread->engine();
        engine->replyCallback = collect;
        thread->start();
        return engine->IsOpen();
    }

    // A terminal's record as a SET or reboot would be built from it.
    TerminalParam record(int index) const
    {
        TerminalParam p = sim->terminal(index);
        p.Address = sim->terminalAddress(index);
        p.NewID = p.ID;
        std::memcpy(p.OldMAC, p.MAC, sizeof p.MAC);
        return p;
    }
};

// "DBP/1.0 200 OK" with a CSeq, padded with an unknown header to `size`.
std::string replyOfSize(int cseq, size_t size)
{
    std::string text = "DBP/1.0 200 OK\r\nCSeq: " + std::to_string(cseq) + "\r\n";
    if (size > text.size() + 9)
        text += "X-Pad: " + std::string(size - text.size() - 9, 'x') + "\r\n";
    return text;
}

int runOperation(NxNetControl* engine, const QString& operation, TerminalParam record, TerminalParam* got)
{
    if (operation == "get")
        return engine->GetTerminal(record.IP, got);
    if (operation == "set")
        return engine->SetTerminal(&record);
    if (operation == "reboot")
        return engine->RebootTerminal(&record, 2);
    if (operation == "volume")
        return engine->SetVolume(record.IP, 50, 40);
    return engine->SetToneAndVolume(record.IP, -3, 5, 60);
}

}  // namespace

class EngineLoopbackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(SocketLayerStartup()); }
    void cleanupTestCase() { SocketLayerShutdown(); }
    void init()
    {
        std::lock_guard<std::mutex> guard(repliesMutex);
        received.clear();
    }

    void searchDeliversEveryReplyOfAThousandTerminals()
    {
        Rig rig;
        QVERIFY(rig.start(1000, 1, 0, 200));  // jitter: later searches overlap the reads below
        QVERIFY(rig.engine->QueryAllTerminals());
        QTRY_VERIFY_WITH_TIMEOUT(replies().size() >= 1000, 30000);
        QTest::qWait(200);  // nothing more, nothing twice

        const std::vector<TerminalParam> got = replies();
        QCOMPARE(got.size(), size_t(1000));
        std::map<uint32_t, int> indexByAddress;
        for (int i = 0; i < 1000; ++i)
            indexByAddress[rig.sim->terminalAddress(i)] = i;
        std::set<uint32_t> seen;
        for (const TerminalParam& reply : got) {
            QCOMPARE(reply.CSeq, uint16_t(1));
            QCOMPARE(reply.Port, rig.sim->port());
            QVERIFY(indexByAddress.count(reply.Address));
            QVERIFY(sameTerminal(reply, rig.sim->terminal(indexByAddress[reply.Address])));
            seen.insert(reply.Address);
        }
        QCOMPARE(seen.size(), size_t(1000));

        // GetTerminal gives its own terminal's record while other replies arrive.
        for (int round = 0; round < 5; ++round) {
            QVERIFY(rig.engine->QueryAllTerminals());
            const int index = (round * 197 + 3) % 1000;
            const TerminalParam expected = rig.sim->terminal(index);
            TerminalParam record;
            QCOMPARE(rig.engine->GetTerminal(expected.IP, &record), int(kReplyOk));
            QVERIFY2(sameTerminal(record, expected), record.IP);
            QCOMPARE(record.Address, rig.sim->terminalAddress(index));
            QCOMPARE(QByteArray(record.Type), QByteArray(expected.Type));
        }
        QCOMPARE(rig.engine->PendingCount(), 0);
    }

    void waitingOperationResults_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("expected");
        for (const char* operation : {"get", "set", "reboot", "volume", "tone"}) {
            QTest::addRow("%s answered", operation) << operation << int(SimBehaviour::Normal) << int(kReplyOk);
            QTest::addRow("%s refused", operation) << operation << int(SimBehaviour::Answer400) << int(kReplyRefused);
        }
        // Every operation waits the same way; the reboot's second send must not change that.
        for (const char* operation : {"get", "reboot"})
            QTest::addRow("%s unanswered", operation) << operation << int(SimBehaviour::Silent) << int(kReplyTimeout);
    }
    void waitingOperationResults()
    {
        QFETCH(QString, operation);
        QFETCH(int, behaviour);
        QFETCH(int, expected);
        Rig rig;
        QVERIFY(rig.start(5));
        const int index = 2;
        rig.sim->setBehaviour(index, SimBehaviour(behaviour));

        QElapsedTimer clock;
        clock.start();
        TerminalParam got;
        QCOMPARE(runOperation(rig.engine, operation, rig.record(index), &got), expected);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(rig.engine->PendingCount(), 0);

        QVERIFY(rig.sim->waitForRequests(1, 2000));
        const int cseq = cseqOf(rig.sim->requests().front().bytes);
        if (expected == kReplyOk) {
            QTRY_VERIFY_WITH_TIMEOUT(repliesWithCSeq(cseq) > 0, 2000);
            if (operation == "get")
                QVERIFY(sameTerminal(got, rig.sim->terminal(index)));
        } else {
            QTest::qWait(100);
            QCOMPARE(repliesWithCSeq(cseq), 0);  // only 200 reaches the callback
        }
        if (expected == kReplyTimeout)  // whole seconds: more than 1, at most 2, plus a poll
            QVERIFY2(elapsed >= 900 && elapsed < 5000, qPrintable(QString::number(elapsed)));
    }

    void destinations_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("isBroadcast");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QStringList>("sentTo");
        QTest::newRow("set, IsBroadcast set") << "set" << 1 << "" << QStringList{"broadcast"};
        QTest::newRow("set, IsBroadcast clear") << "set" << 0 << "" << QStringList{"terminal"};
        QTest::newRow("reboot: the address, then broadcast") << "reboot" << 0 << "" << QStringList{"terminal", "broadcast"};
        QTest::newRow("get, invalid address text") << "get" << 0 << "999.1.1.1" << QStringList{"broadcast"};
    }
    void destinations()
    {
        QFETCH(QString, operation);
        QFETCH(int, isBroadcast);
        QFETCH(QString, ip);
        QFETCH(QStringList, sentTo);
        Rig rig;
        QVERIFY(rig.start(4));
        TerminalParam record = rig.record(1);
        record.IsBroadcast = uint8_t(isBroadcast);
        if (!ip.isEmpty())
            qstrcpy(record.IP, ip.toLatin1().constData());
        TerminalParam got;
        QCOMPARE(runOperation(rig.engine, operation, record, &got), int(kReplyOk));
        QVERIFY(rig.sim->waitForRequests(size_t(sentTo.size()), 2000));
        QTest::qWait(100);
        const std::vector<SimRequest> requests = rig.sim->requests();
        QCOMPARE(requests.size(), size_t(sentTo.size()));
        for (size_t i = 0; i < requests.size(); ++i) {
            QCOMPARE(requests[i].destinationAddress,
                     sentTo[int(i)] == "broadcast" ? kLoopbackBroadcast : rig.sim->terminalAddress(1));
            QCOMPARE(requests[i].bytes, requests[0].bytes);
        }
        QCOMPARE(rig.engine->PendingCount(), 0);
    }

    void onlyTheRebootsFirstSendDecides()
    {
        if (geteuid() != 0)
            QSKIP("needs root to make a private network namespace");
        // Inside a namespace with loopback only, 10.77.x.x has no route:
        // sending there fails at once and nothing leaves the machine.
        const int failed = runInPrivateNetwork([] {
            SocketLayerStartup();
            SimConfig config;
            config.fleetSize = 2;
            TerminalSimulator sim(config);
            if (!sim.start())
                return 10;
            {
                NxNetControl engine(loopbackSettings(sim.port()));
                if (!engine.Open(0))
                    return 11;
                TerminalParam record = sim.terminal(0);
                record.Address = Ipv4FromText("10.77.0.9");
                if (engine.RebootTerminal(&record, 2) != kNotSent)
                    return 12;
                if (engine.PendingCount() != 0)
                    return 13;
                if (!sim.waitForRequests(1, 2000) || sim.requests()[0].destinationAddress != kLoopbackBroadcast)
                    return 14;  // the broadcast copy did go out
            }
            EndpointSettings unroutableBroadcast = loopbackSettings(sim.port());
            unroutableBroadcast.broadcastAddress = Ipv4FromText("10.77.255.255");
            QueryThread thread(unroutableBroadcast);
            thread.start();
            TerminalParam record = sim.terminal(1);
            record.Address = sim.terminalAddress(1);
            return thread.engine()->RebootTerminal(&record, 2) == kReplyOk ? 0 : 15;
        });
        QVERIFY2(failed != -1, "could not make a network namespace");
        QCOMPARE(failed, 0);
    }

    void lateReplyReachesTheCallbackButCompletesNothing()
    {
        Rig rig;
        QVERIFY(rig.start(2, 1, 3500));  // replies come after the 1 s time-out has struck
        QCOMPARE(rig.engine->GetTerminal(rig.sim->terminal(0).IP), int(kReplyTimeout));
        QCOMPARE(rig.engine->PendingCount(), 0);
        const int cseq = cseqOf(rig.sim->requests().front().bytes);
        QTRY_COMPARE_WITH_TIMEOUT(repliesWithCSeq(cseq), 1, 5000);
        QCOMPARE(rig.engine->PendingCount(), 0);
        QVERIFY(rig.thread->isRunning());
    }

    void cseqCountsOnAndWrapsAfter65535()
    {
        LoopbackSocket terminals;
        EndpointSettings settings = loopbackSettings(terminals.port());
        settings.broadcastAddress = kLocalhost;
        NxNetControl engine(settings);
        QVERIFY(engine.Open(0));
        // Missing arguments send nothing and take no CSeq.
        QCOMPARE(engine.GetTerminal(nullptr), int(kNotSent));
        QCOMPARE(engine.SetTerminal(nullptr), int(kNotSent));
        QCOMPARE(engine.RebootTerminal(nullptr, 0), int(kNotSent));
        QCOMPARE(engine.SetVolume(nullptr, 1, 2), int(kNotSent));
        QCOMPARE(engine.SetToneAndVolume(nullptr, 1, 2, 3), int(kNotSent));
        QCOMPARE(engine.Receive(nullptr, 1024), 1);
        QCOMPARE(engine.PendingCount(), 0);
        QVERIFY(terminals.collect(1, 100).empty());
        auto nextSearchCSeq = [&] {
            engine.QueryAllTerminals();
            const std::vector<Datagram> sent = terminals.collect(1, 2000);
            return sent.size() == 1 ? cseqOf(sent[0].bytes) : -2;
        };
        QCOMPARE(nextSearchCSeq(), 1);
        QCOMPARE(nextSearchCSeq(), 2);
        for (int i = 3; i <= 65534; ++i)
            engine.UpdateAllTerminals();
        terminals.collect(SIZE_MAX, 200);
        QCOMPARE(nextSearchCSeq(), 65535);
        QCOMPARE(nextSearchCSeq(), 0);
        QCOMPARE(nextSearchCSeq(), 1);
    }

    void datagramsThatAreNoRepliesLeaveTheLoopRunning()
    {
        QueryThread thread(loopbackSettings(9));
        thread.engine()->replyCallback = collect;
        thread.start();
        LoopbackSocket peer;
        const uint16_t port = thread.engine()->LocalPort();
        for (const std::string& datagram :
             {std::string(2000, 'x'), replyOfSize(11, 1025), replyOfSize(12, 1024), std::string("\x00\x01\xff\r\n\x7f", 6),
              std::string(), std::string("DBP/1.0 200\r\nCSeq: 14\r\n"), std::string("DBP/1.0 400 Bad\r\nCSeq: 15\r\n"),
              replyOfSize(13, 0)})
            QVERIFY(peer.send(datagram, kLocalhost, port));

        QTRY_VERIFY_WITH_TIMEOUT(replies().size() >= 2, 5000);
        QTest::qWait(100);
        const std::vector<TerminalParam> got = replies();
        QCOMPARE(got.size(), size_t(2));
        QCOMPARE(got[0].CSeq, uint16_t(12));  // exactly 1024 bytes: read whole
        QCOMPARE(got[1].CSeq, uint16_t(13));
        QCOMPARE(got[1].Address, kLocalhost);
        QCOMPARE(got[1].Port, peer.port());
        QVERIFY(thread.isRunning());
    }

    void idleLoopDoesNotSpinAndShutdownEndsItQuickly()
    {
        QueryThread thread(loopbackSettings(9));
        thread.start();
        QTest::qSleep(100);
        // Only the loop's thread is awake meanwhile.
        const std::clock_t before = std::clock();
        QTest::qSleep(1000);
        const double used = double(std::clock() - before) / CLOCKS_PER_SEC;
        qInfo("receive loop CPU while idle: %.3f ms in 1 s", used * 1000);
        QVERIFY2(used < 0.05, qPrintable(QString::number(used)));

        QVERIFY(thread.isRunning());
        QElapsedTimer clock;
        clock.start();
        thread.engine()->Close();
        QVERIFY(thread.wait(5000));
        qInfo("loop ended %lld ms after the shut-down", clock.elapsed());
        QVERIFY(clock.elapsed() < 1000);
    }

    void shutdownDuringAWait_data()
    {
        QTest::addColumn<bool>("wholeLayer");
        QTest::newRow("engine closed") << false;
        QTest::newRow("socket layer shut down") << true;
    }
    void shutdownDuringAWait()
    {
        QFETCH(bool, wholeLayer);
        Rig rig;
        QVERIFY(rig.start(2, EndpointSettings().replyTimeoutSeconds));
        rig.sim->setBehaviour(0, SimBehaviour::Silent);
        NxNetControl* engine = rig.engine;
        auto shutdown = std::async(std::launch::async, [=] {
            QThread::msleep(300);
            if (wholeLayer)
                SocketLayerShutdown();
            else
                engine->Close();
        });
        QElapsedTimer clock;
        clock.start();
        const int result = engine->GetTerminal(rig.sim->terminal(0).IP);
        const qint64 elapsed = clock.elapsed();
        shutdown.wait();
        if (wholeLayer)
            SocketLayerStartup();
        QCOMPARE(result, int(kReplyTimeout));
        QVERIFY2(elapsed < 4000, qPrintable(QString::number(elapsed)));  // not the whole 5 s
        QVERIFY(rig.thread->wait(5000));
        QCOMPARE(engine->PendingCount(), 0);
        QVERIFY(!engine->QueryAllTerminals());
    }

    void portTakenIsReportedAndTheProgramRunsOn()
    {
        UdpSocket holder;
        QVERIFY(holder.Open(0));
        EndpointSettings settings = loopbackSettings(9);
        settings.localPort = holder.LocalPort();
        QueryThread thread(settings);
        QVERIFY(!thread.engine()->IsOpen());
        thread.start();
        QVERIFY(thread.wait(5000));  // the loop ends at once
        QVERIFY(!thread.engine()->QueryAllTerminals());
        QCOMPARE(thread.engine()->GetTerminal("127.0.0.1"), int(kNotSent));
        QCOMPARE(thread.engine()->PendingCount(), 0);
    }
};

QTEST_GUILESS_MAIN(EngineLoopbackTest)
#include "tst_engine_loopback.moc"
