// The engine and its worker thread against the terminal simulator over real
// UDP on loopback (127.255.255.255 stands in for the broadcast address), plus
// a raw peer for datagrams no terminal would send.
#include "PrivateNetwork.h"
#include "RawPeer.h"
#include "ReplyCollector.h"
#include "net/QueryThread.h"
#include "platform/Ipv4Address.h"
#include "platform/SocketLayer.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QtTest>

#include <cstring>
#include <future>
#include <memory>
#include <pthread.h>
#include <set>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFFu;  // 127.255.255.255
constexpr uint32_t kLocalhost = 0x7F000001u;

EndpointSettings loopbackSettings(uint16_t terminalPort, int timeoutSeconds)
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

    bool start(const SimConfig& config, int timeoutSeconds = 1)
    {
        sim = std::make_unique<TerminalSimulator>(config);
        if (!sim->start()) {
            qWarning("simulator: %s", sim->errorText().c_str());
            return false;
        }
        thread = std::make_unique<QueryThread>(loopbackSettings(sim->port(), timeoutSeconds));
        engine = thread->engine();
        engine->replyCallback = ReplyCollector::collect;
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

SimConfig fleet(int size)
{
    SimConfig config;
    config.fleetSize = size;
    return config;
}

// "DBP/1.0 200 OK" with a CSeq, padded with an unknown header to `size`.
std::string replyOfSize(int cseq, size_t size)
{
    std::string text = "DBP/1.0 200 OK\r\nCSeq: " + std::to_string(cseq) + "\r\n";
    if (size > text.size() + 9)
        text += "X-Pad: " + std::string(size - text.size() - 9, 'x') + "\r\n";
    return text;
}

// Runs the engine's loop on a thread whose CPU time can be read.
class MeasuredThread : public QueryThread {
public:
    using QueryThread::QueryThread;
    std::atomic<bool> running{false};
    clockid_t cpuClock{};

    double cpuSeconds() const
    {
        timespec t{};
        clock_gettime(cpuClock, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }

protected:
    void run() override
    {
        pthread_getcpuclockid(pthread_self(), &cpuClock);
        running = true;
        QueryThread::run();
    }
};

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
    void init() { ReplyCollector::reset(); }

    void searchDeliversEveryReplyOfAThousandTerminals()
    {
        Rig rig;
        QVERIFY(rig.start(fleet(1000)));
        QVERIFY(rig.engine->QueryAllTerminals());
        const bool all = ReplyCollector::waitFor([](const auto& r) { return r.size() >= 1000; }, 30000);
        QVERIFY2(all, qPrintable(QString("%1 replies").arg(ReplyCollector::replies().size())));
        QTest::qWait(200);  // nothing more, nothing twice

        const std::vector<TerminalParam> replies = ReplyCollector::replies();
        QCOMPARE(replies.size(), size_t(1000));
        std::map<uint32_t, int> indexByAddress;
        for (int i = 0; i < 1000; ++i)
            indexByAddress[rig.sim->terminalAddress(i)] = i;
        std::set<uint32_t> seen;
        for (const TerminalParam& reply : replies) {
            QCOMPARE(reply.CSeq, uint16_t(1));
            QCOMPARE(reply.Port, rig.sim->port());
            QVERIFY(indexByAddress.count(reply.Address));
            QVERIFY(sameTerminal(reply, rig.sim->terminal(indexByAddress[reply.Address])));
            seen.insert(reply.Address);
        }
        QCOMPARE(seen.size(), size_t(1000));
        QCOMPARE(rig.engine->PendingCount(), 0);
    }

    void getTerminalGivesItsOwnRecordWhileOtherRepliesArrive()
    {
        SimConfig config = fleet(1000);
        config.replyJitterMs = 200;  // the search's replies overlap the reads
        Rig rig;
        QVERIFY(rig.start(config));
        for (int round = 0; round < 5; ++round) {
            QVERIFY(rig.engine->QueryAllTerminals());
            const int index = (round * 197 + 3) % 1000;
            const TerminalParam expected = rig.sim->terminal(index);
            TerminalParam got;
            QCOMPARE(rig.engine->GetTerminal(expected.IP, &got), int(kReplyOk));
            QVERIFY2(sameTerminal(got, expected), got.IP);
            QCOMPARE(got.Address, rig.sim->terminalAddress(index));
            QCOMPARE(QByteArray(got.Type), QByteArray(expected.Type));
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
            QTest::addRow("%s unanswered", operation) << operation << int(SimBehaviour::Silent) << int(kReplyTimeout);
        }
    }
    void waitingOperationResults()
    {
        QFETCH(QString, operation);
        QFETCH(int, behaviour);
        QFETCH(int, expected);
        Rig rig;
        QVERIFY(rig.start(fleet(5), 1));
        const int index = 2;
        rig.sim->setBehaviour(index, SimBehaviour(behaviour));
        const TerminalParam record = rig.record(index);

        QElapsedTimer clock;
        clock.start();
        TerminalParam got;
        QCOMPARE(runOperation(rig.engine, operation, record, &got), expected);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(rig.engine->PendingCount(), 0);

        QVERIFY(rig.sim->waitForRequests(1, 2000));
        const uint16_t cseq = uint16_t(requestCSeq(rig.sim->requests().front().bytes));
        if (expected == kReplyOk) {
            QVERIFY(ReplyCollector::waitFor([&](const auto& r) { return countCSeq(r, cseq) > 0; }, 2000));
            if (operation == "get")
                QVERIFY(sameTerminal(got, rig.sim->terminal(index)));
        } else {
            QTest::qWait(100);
            QCOMPARE(countCSeq(ReplyCollector::replies(), cseq), 0);  // only 200 reaches the callback
        }
        if (expected == kReplyTimeout)  // whole seconds: more than 1, at most 2, plus a poll
            QVERIFY2(elapsed >= 900 && elapsed < 5000, qPrintable(QString::number(elapsed)));
    }

    void unansweredRequestTakesTheRealFiveToSixSeconds()
    {
        Rig rig;
        QVERIFY(rig.start(fleet(2), EndpointSettings().replyTimeoutSeconds));
        rig.sim->setBehaviour(0, SimBehaviour::Silent);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(rig.engine->GetTerminal(rig.sim->terminal(0).IP), int(kReplyTimeout));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 4900 && elapsed < 8000, qPrintable(QString::number(elapsed)));
        QCOMPARE(rig.engine->PendingCount(), 0);
    }

    void setTerminalDestination_data()
    {
        QTest::addColumn<int>("isBroadcast");
        QTest::newRow("IsBroadcast set: broadcast address") << 1;
        QTest::newRow("IsBroadcast clear: the record's address") << 0;
    }
    void setTerminalDestination()
    {
        QFETCH(int, isBroadcast);
        Rig rig;
        QVERIFY(rig.start(fleet(4)));
        TerminalParam record = rig.record(1);
        record.IsBroadcast = uint8_t(isBroadcast);
        QCOMPARE(rig.engine->SetTerminal(&record), int(kReplyOk));
        const std::vector<SimRequest> requests = rig.sim->requests();
        QCOMPARE(requests.size(), size_t(1));
        QCOMPARE(requests[0].destinationAddress, isBroadcast ? kLoopbackBroadcast : rig.sim->terminalAddress(1));
        QCOMPARE(requestCSeq(requests[0].bytes), int(record.CSeq));
    }

    void rebootGoesToTheAddressThenToTheBroadcastAddress()
    {
        Rig rig;
        QVERIFY(rig.start(fleet(4)));
        TerminalParam record = rig.record(3);
        QCOMPARE(rig.engine->RebootTerminal(&record, 2), int(kReplyOk));
        QVERIFY(rig.sim->waitForRequests(2, 2000));
        const std::vector<SimRequest> requests = rig.sim->requests();
        QCOMPARE(requests.size(), size_t(2));
        QCOMPARE(requests[0].destinationAddress, rig.sim->terminalAddress(3));
        QCOMPARE(requests[1].destinationAddress, kLoopbackBroadcast);
        QCOMPARE(requests[0].bytes, requests[1].bytes);
        QCOMPARE(requestCSeq(requests[0].bytes), int(record.CSeq));
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
                NxNetControl engine(loopbackSettings(sim.port(), 1));
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
            EndpointSettings unroutableBroadcast = loopbackSettings(sim.port(), 1);
            unroutableBroadcast.broadcastAddress = Ipv4FromText("10.77.255.255");
            QueryThread thread(unroutableBroadcast);
            thread.start();
            TerminalParam record = sim.terminal(1);
            record.Address = sim.terminalAddress(1);
            if (thread.engine()->RebootTerminal(&record, 2) != kReplyOk)
                return 15;
            return 0;
        });
        QVERIFY2(failed != -1, "could not make a network namespace");
        QCOMPARE(failed, 0);
    }

    void invalidAddressTextGoesToTheBroadcastAddress()
    {
        Rig rig;
        QVERIFY(rig.start(fleet(3)));
        TerminalParam got;
        QCOMPARE(rig.engine->GetTerminal("999.1.1.1", &got), int(kReplyOk));
        QCOMPARE(rig.sim->requests().front().destinationAddress, kLoopbackBroadcast);
        // Every terminal answers; the first reply completed the request.
        QVERIFY(ReplyCollector::waitFor([](const auto& r) { return r.size() == 3; }, 2000));
        QVERIFY(sameTerminal(got, ReplyCollector::replies().front()));
    }

    void lateReplyReachesTheCallbackButCompletesNothing()
    {
        SimConfig config = fleet(2);
        config.replyDelayMs = 3500;  // after the 1 s time-out has struck
        Rig rig;
        QVERIFY(rig.start(config, 1));
        QCOMPARE(rig.engine->GetTerminal(rig.sim->terminal(0).IP), int(kReplyTimeout));
        QCOMPARE(rig.engine->PendingCount(), 0);
        const uint16_t cseq = uint16_t(requestCSeq(rig.sim->requests().front().bytes));
        QVERIFY(ReplyCollector::waitFor([&](const auto& r) { return countCSeq(r, cseq) == 1; }, 5000));
        QCOMPARE(rig.engine->PendingCount(), 0);
        QVERIFY(rig.thread->isRunning());
    }

    void cseqCountsOnAndWrapsAfter65535()
    {
        RawPeer terminals;
        EndpointSettings settings = loopbackSettings(terminals.port(), 1);
        settings.broadcastAddress = kLocalhost;
        NxNetControl engine(settings);
        QVERIFY(engine.Open(0));
        std::string request;
        for (int expected : {1, 2}) {
            QVERIFY(engine.QueryAllTerminals());
            QVERIFY(terminals.receive(&request, 2000));
            QCOMPARE(requestCSeq(request), expected);
        }
        QCOMPARE(engine.PendingCount(), 0);
        for (int i = 3; i <= 65534; ++i)
            engine.UpdateAllTerminals();
        terminals.drain(200);
        for (int expected : {65535, 0, 1}) {
            QVERIFY(engine.QueryAllTerminals());
            QVERIFY(terminals.receive(&request, 2000));
            QCOMPARE(requestCSeq(request), expected);
        }
    }

    void missingArgumentsSendNothingAndTakeNoCSeq()
    {
        RawPeer terminals;
        EndpointSettings settings = loopbackSettings(terminals.port(), 1);
        settings.broadcastAddress = kLocalhost;
        NxNetControl engine(settings);
        QVERIFY(engine.Open(0));
        QCOMPARE(engine.GetTerminal(nullptr), int(kNotSent));
        QCOMPARE(engine.SetTerminal(nullptr), int(kNotSent));
        QCOMPARE(engine.RebootTerminal(nullptr, 0), int(kNotSent));
        QCOMPARE(engine.SetVolume(nullptr, 1, 2), int(kNotSent));
        QCOMPARE(engine.SetToneAndVolume(nullptr, 1, 2, 3), int(kNotSent));
        QCOMPARE(engine.Receive(nullptr, 1024), 1);
        QCOMPARE(engine.PendingCount(), 0);
        QVERIFY(engine.QueryAllTerminals());
        std::string request;
        QVERIFY(terminals.receive(&request, 2000));
        QCOMPARE(requestCSeq(request), 1);
        QVERIFY(!terminals.receive(&request, 100));
    }

    void datagramsThatAreNoRepliesLeaveTheLoopRunning()
    {
        QueryThread thread(loopbackSettings(9, 1));
        thread.engine()->replyCallback = ReplyCollector::collect;
        thread.start();
        RawPeer peer;
        const uint16_t port = thread.engine()->LocalPort();
        QVERIFY(peer.sendTo(std::string(2000, 'x'), port));
        QVERIFY(peer.sendTo(replyOfSize(11, 1025), port));
        QVERIFY(peer.sendTo(replyOfSize(12, 1024), port));
        QVERIFY(peer.sendTo(std::string("\x00\x01\xff\r\n\x7f", 6), port));
        QVERIFY(peer.sendTo(std::string(), port));
        QVERIFY(peer.sendTo("DBP/1.0 200\r\nCSeq: 14\r\n", port));
        QVERIFY(peer.sendTo("DBP/1.0 400 Bad\r\nCSeq: 15\r\n", port));
        QVERIFY(peer.sendTo(replyOfSize(13, 0), port));

        QVERIFY(ReplyCollector::waitFor([](const auto& r) { return r.size() >= 2; }, 5000));
        QTest::qWait(100);
        const std::vector<TerminalParam> replies = ReplyCollector::replies();
        QCOMPARE(replies.size(), size_t(2));
        QCOMPARE(replies[0].CSeq, uint16_t(12));  // exactly 1024 bytes: read whole
        QCOMPARE(replies[1].CSeq, uint16_t(13));
        QCOMPARE(replies[1].Address, kLocalhost);
        QCOMPARE(replies[1].Port, peer.port());
        QVERIFY(thread.isRunning());
    }

    void faultyTerminalsLeaveTheLoopRunning()
    {
        SimConfig config = fleet(20);
        for (int i = 0; i < kSimFaultCount; ++i)
            config.malformed.push_back(i);
        Rig rig;
        QVERIFY(rig.start(config));
        std::set<uint32_t> sound;
        for (int i = kSimFaultCount; i < 20; ++i)
            sound.insert(rig.sim->terminalAddress(i));
        // Each round every faulty terminal sends its next kind of fault.
        for (uint16_t cseq = 1; cseq <= kSimFaultCount; ++cseq) {
            QVERIFY(rig.engine->QueryAllTerminals());
            const bool arrived = ReplyCollector::waitFor(
                [&](const std::vector<TerminalParam>& replies) {
                    std::set<uint32_t> got;
                    for (const TerminalParam& r : replies)
                        if (r.CSeq == cseq && sound.count(r.Address))
                            got.insert(r.Address);
                    return got == sound;
                },
                5000);
            QVERIFY2(arrived, qPrintable(QString("round %1").arg(cseq)));
        }
        QVERIFY(rig.thread->isRunning());
        TerminalParam got;
        QCOMPARE(rig.engine->GetTerminal(rig.sim->terminal(10).IP, &got), int(kReplyOk));
        QVERIFY(sameTerminal(got, rig.sim->terminal(10)));
    }

    void idleLoopDoesNotSpin()
    {
        MeasuredThread thread(loopbackSettings(9, 1));
        thread.start();
        QTRY_VERIFY(thread.running);
        QTest::qSleep(100);
        const double before = thread.cpuSeconds();
        QTest::qSleep(1000);
        const double used = thread.cpuSeconds() - before;
        qInfo("receive loop CPU while idle: %.3f ms in 1 s", used * 1000);
        QVERIFY2(used < 0.05, qPrintable(QString::number(used)));
    }

    void shutdownEndsTheLoopQuickly()
    {
        QueryThread thread(loopbackSettings(9, 1));
        thread.start();
        QTest::qSleep(100);
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
        QVERIFY(rig.start(fleet(2), EndpointSettings().replyTimeoutSeconds));
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
        EndpointSettings settings = loopbackSettings(9, 1);
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
