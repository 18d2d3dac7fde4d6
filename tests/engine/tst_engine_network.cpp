// The engine and its worker thread over real UDP: on loopback against the
// terminal simulator (127.255.255.255 stands in for the broadcast address)
// and against a plain socket playing a terminal that answers as the test
// says; and once with every default between two network namespaces. Needs
// root: namespaces, and a receive buffer forced past the system's cap. The
// reply callback runs on the worker thread, everything else on the test thread.
#include "LoopbackSocket.h"
#ifndef _WIN32
#include "PrivateNetwork.h"
#endif
#include "net/QueryThread.h"
#include "platform/Ipv4Address.h"
#include "platform/SocketLayer.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <map>
#include <mutex>
#include <unistd.h>

namespace {

constexpr uint32_t kUnroutable = 0x0A4D0009u;  // no route to it in the test's own namespace

// The engine's clock in the clock test: only the test moves it.
std::atomic<uint64_t> engineNowMs{0};
uint64_t engineClock()
{
    return engineNowMs;
}

std::mutex repliesMutex;
QList<int> received;                     // the CSeq of every record handed to the reply callback, in order
std::map<uint32_t, uint32_t> arrivedOn;  // each record's source address: the interface it arrived on

void collect(TerminalParam* record)
{
    std::lock_guard<std::mutex> guard(repliesMutex);
    received << record->CSeq;
    arrivedOn[record->Address] = record->ArrivalInterface;
}

std::map<uint32_t, uint32_t> replyArrivals()
{
    std::lock_guard<std::mutex> guard(repliesMutex);
    return arrivedOn;
}

QList<int> replyCSeqs()
{
    std::lock_guard<std::mutex> guard(repliesMutex);
    return received;
}

SimConfig fleetOf(int size)
{
    SimConfig config;
    config.fleetSize = size;
    return config;
}

// The engine pointed at a simulated fleet, or with fleet size 0 at a plain
// socket on 127.0.0.1 playing the one terminal; the test starts the loop.
// EndpointSettings{localPort (0: any free one), terminalPort, broadcastAddress,
// replyTimeoutSeconds, clockMs}, here and below.
struct Rig {
    TerminalSimulator sim;
    const bool simStarted = sim.start();
    LoopbackSocket terminal;
    QueryThread thread;  // destroyed first: ends the loop
    NxNetControl* const engine = thread.engine();

    explicit Rig(int fleetSize, int timeoutSeconds = 1, uint64_t (*clock)() = MonotonicMs)
        : sim(fleetOf(std::max(fleetSize, 1)))
        , thread(EndpointSettings{
              0, fleetSize > 0 ? sim.port() : terminal.port(), kLoopbackBroadcast, timeoutSeconds, clock})
    {
        engine->replyCallback = collect;
    }
    // The CSeq of the next request to arrive, -1 when none does.
    int nextRequest()
    {
        const std::vector<Datagram> got = terminal.collect(1, 5000);
        return got.size() == 1 ? std::stoi("0" + headerValue(got[0].bytes, "CSeq")) : -1;
    }
    void answer(const QByteArray& status, int cseq, const QByteArray& name)
    {
        const QByteArray text = "DBP/1.0 " + status + "\r\nCSeq: " + QByteArray::number(cseq) + "\r\nName: " + name;
        terminal.send(text.toStdString() + "\r\n\r\n", kLocalhost, engine->LocalPort());
    }
};

// "DBP/1.0 200 OK" with a CSeq, padded with an unknown header to `size` bytes.
std::string replyOfSize(int cseq, size_t size)
{
    std::string text = "DBP/1.0 200 OK\r\nCSeq: " + std::to_string(cseq) + "\r\n";
    return text + "X-Pad: " + std::string(size - text.size() - 9, 'x') + "\r\n";
}

}  // namespace

class EngineNetworkTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(SocketLayerStartup());
        std::lock_guard<std::mutex> guard(repliesMutex);
        received.clear();
        arrivedOn.clear();
    }
    void cleanup() { SocketLayerShutdown(); }

    void searchRepliesOfTenThousandTerminalsWaitInTheReceiveBuffer()
    {
#ifdef _WIN32
        QSKIP("under Wine the receive buffer cannot pass net.core.rmem_max");
#endif
        Rig rig(10000);
        QVERIFY(rig.simStarted);
        QVERIFY(rig.engine->QueryAllTerminals());
        QTRY_COMPARE_WITH_TIMEOUT(rig.sim.repliesSent(), uint64_t(10000), 30000);
        rig.thread.start();  // only now is anything read
        QTRY_COMPARE_WITH_TIMEOUT(replyCSeqs().size(), 10000, 30000);
    }

    // The result of each waiting operation on terminal 1, and where it sent.
    void waitingOperations_data()
    {
        QTest::addColumn<QByteArray>("operation");
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("sentTo");  // T: the terminal's address, B: the broadcast address
        const int normal = int(SimBehaviour::Normal);
        for (const char* operation : {"get", "set", "volume", "tone"})
            QTest::addRow("%s", operation) << QByteArray(operation) << normal << int(kReplyOk) << "T";
        QTest::newRow("reboot: the terminal, then a broadcast copy")
            << QByteArray("reboot") << normal << int(kReplyOk) << "TB";
        QTest::newRow("get refused") << QByteArray("get") << int(SimBehaviour::Answer400) << int(kReplyRefused) << "T";
        QTest::newRow("get unanswered") << QByteArray("get") << int(SimBehaviour::Silent) << int(kReplyTimeout) << "T";
        // Sent to the broadcast address, every terminal would take it.
        for (const char* operation : {"get", "set", "volume", "tone"})
            QTest::addRow("%s, address that does not convert: not sent", operation)
                << QByteArray(operation) + " unaddressed" << normal << int(kNotSent) << "";
        QTest::newRow("set, IsBroadcast") << QByteArray("set all") << normal << int(kReplyOk) << "B";
    }
    void waitingOperations()
    {
        QFETCH(QByteArray, operation);
        QFETCH(int, behaviour);
        QFETCH(int, expected);
        QFETCH(QString, sentTo);
        Rig rig(4);
        QVERIFY(rig.simStarted);
        rig.thread.start();
        rig.sim.setBehaviour(1, SimBehaviour(behaviour));
        TerminalParam record = rig.sim.terminal(1);
        record.Address = rig.sim.terminalAddress(1);
        std::memcpy(record.OldMAC, record.MAC, sizeof record.MAC);
        record.IsBroadcast = operation == "set all";
        if (operation.endsWith("unaddressed")) {
            qstrcpy(record.IP, "999.1.1.1");
            record.Address = kIpv4None;
        }
        const int result = operation.startsWith("get") ? rig.engine->GetTerminal(record.IP)
            : operation.startsWith("set")              ? rig.engine->SetTerminal(&record)
            : operation == "reboot"                    ? rig.engine->RebootTerminal(&record, 2)
            : operation.startsWith("volume")           ? rig.engine->SetVolume(record.IP, 50, 40)
                                                       : rig.engine->SetToneAndVolume(record.IP, -3, 5, 60);
        QCOMPARE(result, expected);
        QCOMPARE(rig.engine->PendingCount(), 0);

        QVERIFY(rig.sim.waitForRequests(size_t(sentTo.size()), 2000));
        QTest::qWait(100);  // and no more arrive
        if (sentTo.isEmpty()) {
            QVERIFY(rig.sim.requests().empty());
            return;
        }
        QString destinations;
        for (const SimRequest& request : rig.sim.requests()) {
            const uint32_t to = request.destinationAddress;
            destinations += to == kLoopbackBroadcast ? 'B' : to == record.Address ? 'T' : '?';
            QCOMPARE(request.bytes, rig.sim.requests()[0].bytes);
        }
        QCOMPARE(destinations, sentTo);
        // Only replies that carry 200 reach the callback.
        const int cseq = std::stoi(headerValue(rig.sim.requests()[0].bytes, "CSeq"));
        QTRY_COMPARE(replyCSeqs().contains(cseq), expected == kReplyOk);
    }

    void rebootResultIsItsFirstSendsOnly_data()
    {
        QTest::addColumn<uint>("terminal");
        QTest::addColumn<uint>("broadcast");
        QTest::addColumn<int>("expected");
        QTest::newRow("terminal unreachable, copy sent: not sent") << kUnroutable << kLocalhost << int(kNotSent);
        QTest::newRow("copy unreachable, terminal reached: waits") << kLocalhost << kUnroutable << int(kReplyTimeout);
    }
    void rebootResultIsItsFirstSendsOnly()
    {
        QFETCH(uint, terminal);
        QFETCH(uint, broadcast);
        QFETCH(int, expected);
#ifndef _WIN32
        const QString name = "qtool-private-" + QString::number(getpid());
        InNamespace privateNetwork(makeNamespaces({name}, {{"-n", name, "link", "set", "lo", "up"}})[0]);
        QVERIFY(privateNetwork.entered);
#endif
        LoopbackSocket peer;
        NxNetControl engine(EndpointSettings{0, peer.port(), broadcast, 1});
        QVERIFY(engine.Open(0));
        TerminalParam record;
        record.Address = terminal;
        QCOMPARE(engine.RebootTerminal(&record, 2), expected);
        QCOMPARE(peer.collect(2, 100).size(), size_t(1));
    }

    // Two datagrams with the request's CSeq, both queued before the loop reads.
    void firstReplyDecides_data()
    {
        QTest::addColumn<bool>("get");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("get: 200, then 400") << true << QByteArray("200 OK") << QByteArray("400 Bad");
        QTest::newRow("get: 400, then 200") << true << QByteArray("400 Bad") << QByteArray("200 OK");
        QTest::newRow("get: 200, then another record") << true << QByteArray("200 OK") << QByteArray("200 OK");
        QTest::newRow("set: 200, then 400") << false << QByteArray("200 OK") << QByteArray("400 Bad");
        QTest::newRow("set: 400, then 200") << false << QByteArray("400 Bad") << QByteArray("200 OK");
    }
    void firstReplyDecides()
    {
        QFETCH(bool, get);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        Rig rig(0);
        TerminalParam record;
        record.Address = kLocalhost;
        auto result = std::async(std::launch::async,
            [&] { return get ? rig.engine->GetTerminal("127.0.0.1", &record) : rig.engine->SetTerminal(&record); });
        const int cseq = rig.nextRequest();
        rig.answer(first, cseq, "first");
        rig.answer(second, cseq, "second");
        rig.thread.start();
        QCOMPARE(result.get(), first.left(3).toInt());
        if (get && first.startsWith("200"))
            QCOMPARE(QByteArray(record.Name), QByteArray("first"));
    }

    // A wait ends after more than the time-out on the engine's clock, and only
    // then: a wall clock set back or forward meanwhile changes nothing.
    void timeoutIsMeasuredOnTheEngineClock()
    {
        engineNowMs = 1000;
        Rig rig(0, 5, engineClock);
        rig.thread.start();
        auto wait = std::async(std::launch::async, [&] { return rig.engine->GetTerminal("127.0.0.1"); });
        QVERIFY(rig.nextRequest() > 0);
        engineNowMs = 6000;  // exactly 5 s: not yet
        QCOMPARE(wait.wait_for(std::chrono::milliseconds(700)), std::future_status::timeout);
        engineNowMs = 6001;
        QCOMPARE(wait.wait_for(std::chrono::seconds(3)), std::future_status::ready);
        QCOMPARE(wait.get(), int(kReplyTimeout));
    }

    void lateReplyReachesTheCallbackButCompletesNothing()
    {
        Rig rig(0);
        rig.thread.start();
        auto earlier = std::async(std::launch::async, [&] { return rig.engine->GetTerminal("127.0.0.1"); });
        const int earlierCSeq = rig.nextRequest();
        rig.answer("200 OK", earlierCSeq, "first");
        QCOMPARE(earlier.get(), int(kReplyOk));
        auto later = std::async(std::launch::async, [&] { return rig.engine->GetTerminal("127.0.0.1"); });
        rig.nextRequest();
        rig.answer("200 OK", earlierCSeq, "repeated");
        QCOMPARE(later.get(), int(kReplyTimeout));
        QCOMPARE(replyCSeqs().count(earlierCSeq), 2);
    }

    void datagramsThatAreNoRepliesLeaveTheLoopRunning()
    {
        Rig rig(0);
        rig.thread.start();
        for (const std::string& datagram : {replyOfSize(11, 1025), replyOfSize(12, 1024),
                 std::string("\x00\x01\xff\r\n", 5), std::string(), replyOfSize(13, 100)})
            QVERIFY(rig.terminal.send(datagram, kLocalhost, rig.engine->LocalPort()));
        // Too long for the buffer: dropped whole, not cut; exactly as long: read.
        QTRY_COMPARE(replyCSeqs(), (QList<int>{12, 13}));
    }

    void shutdownDuringAWaitEndsItAtOnce_data()
    {
        QTest::addColumn<bool>("wholeLayer");
        QTest::newRow("engine closed") << false;
        QTest::newRow("socket layer shut down") << true;
    }
    void shutdownDuringAWaitEndsItAtOnce()
    {
        QFETCH(bool, wholeLayer);
        Rig rig(0, 3600);  // only the shut-down can end the wait in time
        rig.thread.start();
        auto shutdown = std::async(std::launch::async, [&] {
            rig.nextRequest();
            wholeLayer ? void(SocketLayerShutdown()) : rig.engine->Close();
        });
        QCOMPARE(rig.engine->GetTerminal("127.0.0.1"), int(kReplyTimeout));
        shutdown.get();
        rig.thread.wait();
    }

    void portTakenIsReportedAndNothingIsSent()
    {
        LoopbackSocket holder;
        QueryThread thread(EndpointSettings{holder.port(), holder.port(), kLoopbackBroadcast, 1});
        QVERIFY(!thread.engine()->IsOpen());
        thread.start();
        thread.wait();  // the loop ends at once
        QCOMPARE(thread.engine()->GetTerminal("127.0.0.1"), int(kNotSent));
    }

    // Every default (port 59137, broadcast 255.255.255.255) on a machine with
    // two adapters in two subnets and no default route: five terminals on
    // each link, and on the first link one more configured in a subnet of
    // its own, as terminals leave the factory.
    void realDefaultsThroughEveryAdapter()
    {
#ifdef _WIN32
        if (qgetenv("QUERYTOOL_TWO_LINKS") != "5")
            QSKIP("runs in the two-link network that tests/support/two-link-run prepares");
#else
        TwoLinkNetwork network(5);
        QVERIFY(network.started());
        InNamespace engineSide(network.toolSide);
        QVERIFY(engineSide.entered);
#endif
        QueryThread thread;
        thread.engine()->replyCallback = collect;
        thread.start();
        QCOMPARE(thread.engine()->LocalPort(), uint16_t(59137));
        QVERIFY(thread.engine()->QueryAllTerminals());
        QTRY_COMPARE(replyCSeqs().count(1), 11);

        QStringList searched;
        for (const NetworkInterface& adapter : thread.engine()->BroadcastInterfaces())
            searched << QString("%1 %2").arg(adapter.name.c_str()).arg(adapter.address, 0, 16);
        QCOMPARE(searched, (QStringList{"veth0 a4d0001", "veth2 a4e0001"}));
        QStringList arrivals;
        for (const auto& [address, adapter] : replyArrivals())
            arrivals << QString("%1 %2").arg(address, 0, 16).arg(InterfaceName(adapter).c_str());
        QCOMPARE(arrivals,
            (QStringList{"a4d000a veth0", "a4d000b veth0", "a4d000c veth0", "a4d000d veth0", "a4d000e veth0",
                "a4e000a veth2", "a4e000b veth2", "a4e000c veth2", "a4e000d veth2", "a4e000e veth2",
                "c0a84d05 veth0"}));

        TerminalParam record;
        QCOMPARE(thread.engine()->GetTerminal("10.77.0.13", &record), int(kReplyOk));
        QCOMPARE(record.Address, 0x0A4D000Du);
        // A SET to the broadcast address reaches a terminal behind the second
        // adapter as well.
        QCOMPARE(thread.engine()->GetTerminal("10.78.0.12", &record), int(kReplyOk));
        std::strcpy(record.OldMAC, record.MAC);
        record.NewID = 4321;
        record.IsBroadcast = 1;
        QCOMPARE(thread.engine()->SetTerminal(&record), int(kReplyOk));
        // Read back over the network: under Wine the terminals are in another process.
        QCOMPARE(thread.engine()->GetTerminal("10.78.0.12", &record), int(kReplyOk));
        QCOMPARE(record.ID, 4321);
    }
};

QTEST_GUILESS_MAIN(EngineNetworkTest)
#include "tst_engine_network.moc"
