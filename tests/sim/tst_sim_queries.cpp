// Reading terminals over real UDP on loopback: who answers a GET, from
// which address, and how the per-terminal behaviours and the reply options
// (delay, drops) shape the answers. Also the request log.
#include "SimTestSupport.h"
#include "net/DbpMessage.h"

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>

class SimQueriesTest : public QObject {
    Q_OBJECT

private slots:
    void broadcastGetReachesEveryTerminal_data();
    void broadcastGetReachesEveryTerminal();
    void unicastGetReachesOneTerminal();
    void replyReadsBackAsTheTerminalsRecord();
    void conflictsShareAddressOrMac();
    void answer400RefusesAndAppliesNothing();
    void silentTerminalNeverAnswers();
    void malformedTerminalCyclesThroughFaults();
    void dropRateLosesRoughlyThatShare();
    void delayedRepliesAllArriveLate();
    void requestLogKeepsDatagramsByteForByte();
    void requestLogFile();
    void sendFromUsesTheTerminalsAddress();
};

void SimQueriesTest::broadcastGetReachesEveryTerminal_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QStringList>("broadcasts");
    QTest::newRow("loopback broadcast") << "127.255.255.255" << QStringList{"255.255.255.255", "127.255.255.255"};
    QTest::newRow("configured address") << "127.0.0.255" << QStringList{"127.0.0.255"};
}

void SimQueriesTest::broadcastGetReachesEveryTerminal()
{
    QFETCH(QString, destination);
    QFETCH(QStringList, broadcasts);
    SimConfig config;
    config.fleetSize = 50;
    config.broadcastAddresses.clear();
    for (const QString& b : broadcasts)
        config.broadcastAddresses.push_back(b.toStdString());
    auto sim = startSimulator(config);
    SimTestSocket client;
    uint32_t to = 0;
    QVERIFY(simParseAddress(destination.toStdString(), &to));
    QVERIFY(client.send(getRequest(4711), to, sim->port()));

    std::vector<SimDatagram> replies = client.collect(50, kReplyWaitMs);
    QCOMPARE(replies.size(), size_t(50));
    QCOMPARE(client.collect(1, kQuietWaitMs).size(), size_t(0));
    std::set<uint32_t> sources;
    std::set<int> ids;
    for (const SimDatagram& r : replies) {
        SimReplyView v = viewReply(r.bytes);
        QCOMPARE(v.status, std::string("DBP/1.0 200 OK"));
        QCOMPARE(v.value("CSeq"), std::string("4711"));
        QCOMPARE(v.value("IP"), ipText(r.source));  // each answers from its own address
        QCOMPARE(r.sourcePort, sim->port());
        QVERIFY(r.bytes.size() >= 4 && r.bytes.compare(r.bytes.size() - 4, 4, "\r\n\r\n") == 0);
        sources.insert(r.source);
        ids.insert(std::stoi(v.value("ID")));
    }
    QCOMPARE(sources.size(), size_t(50));
    QCOMPARE(ids.size(), size_t(50));
}

void SimQueriesTest::unicastGetReachesOneTerminal()
{
    SimConfig config;
    config.fleetSize = 20;
    auto sim = startSimulator(config);
    SimTestSocket client;
    const uint32_t address = sim->terminalAddress(7);
    QVERIFY(client.send(getRequest(9, 0), address, sim->port()));
    std::vector<SimDatagram> replies = client.collect(2, kQuietWaitMs);
    QCOMPARE(replies.size(), size_t(1));
    QCOMPARE(replies[0].source, address);
    QCOMPARE(viewReply(replies[0].bytes).value("ID"), std::to_string(sim->terminal(7).ID));

    // An address no terminal has: nobody answers.
    QVERIFY(client.send(getRequest(10, 0), 0x7F090909u, sim->port()));
    QCOMPARE(client.collect(1, kQuietWaitMs).size(), size_t(0));
}

// The protocol core's reader turns a reply into exactly the simulator's record.
void SimQueriesTest::replyReadsBackAsTheTerminalsRecord()
{
    SimConfig config;
    config.fleetSize = 8;  // every model, with and without optional texts
    auto sim = startSimulator(config);
    SimTestSocket client;
    for (int i = 0; i < sim->terminalCount(); ++i) {
        QVERIFY(client.send(getRequest(100 + i, 0), sim->terminalAddress(i), sim->port()));
        std::vector<SimDatagram> replies = client.collect(1, kReplyWaitMs);
        QCOMPARE(replies.size(), size_t(1));
        TerminalParam parsed;
        QCOMPARE(ParseReply(replies[0].bytes.c_str(), &parsed), 200);
        TerminalParam expected = sim->terminal(i);
        expected.CSeq = static_cast<uint16_t>(100 + i);
        QCOMPARE(recordText(parsed), recordText(expected));
    }
}

void SimQueriesTest::conflictsShareAddressOrMac()
{
    SimConfig config;
    config.fleetSize = 6;
    config.ipConflicts = {{1, 4}};
    config.macConflicts = {{2, 5}};
    auto sim = startSimulator(config);
    QCOMPARE(QByteArray(sim->terminal(4).IP), QByteArray(sim->terminal(1).IP));
    QCOMPARE(QByteArray(sim->terminal(5).MAC), QByteArray(sim->terminal(2).MAC));
    QVERIFY(sim->terminal(4).ID != sim->terminal(1).ID);

    // Both terminals behind the shared address answer a unicast GET.
    SimTestSocket client;
    QVERIFY(client.send(getRequest(1, 0), sim->terminalAddress(1), sim->port()));
    std::vector<SimDatagram> replies = client.collect(3, kQuietWaitMs);
    QCOMPARE(replies.size(), size_t(2));
    QCOMPARE(replies[0].source, replies[1].source);
}

void SimQueriesTest::answer400RefusesAndAppliesNothing()
{
    SimConfig config;
    config.fleetSize = 3;
    config.answer400 = {1};
    auto sim = startSimulator(config);
    const TerminalParam before = sim->terminal(1);
    SimTestSocket client;
    QVERIFY(client.send("SETTING DBP/1.0\r\nCSeq: 77\r\nPlayVol: 9\r\nCaptureVol: 9\r\nReboot: 5\r\n\r\n",
                        sim->terminalAddress(1), sim->port()));
    std::vector<SimDatagram> replies = client.collect(1, kReplyWaitMs);
    QCOMPARE(replies.size(), size_t(1));
    QCOMPARE(replies[0].bytes, std::string("DBP/1.0 400 Bad\r\nCSeq: 77\r\n\r\n"));
    QCOMPARE(sim->terminal(1).PlayVol, before.PlayVol);
}

void SimQueriesTest::silentTerminalNeverAnswers()
{
    SimConfig config;
    config.fleetSize = 5;
    config.silent = {0, 3};
    auto sim = startSimulator(config);
    SimTestSocket client;
    QVERIFY(client.send(getRequest(5), kLoopbackBroadcast, sim->port()));
    std::vector<SimDatagram> replies = client.collect(5, kQuietWaitMs * 2);
    QCOMPARE(replies.size(), size_t(3));
    for (const SimDatagram& r : replies)
        QVERIFY(r.source != sim->terminalAddress(0) && r.source != sim->terminalAddress(3));

    // Switched back at run time, it answers again.
    sim->setBehaviour(3, SimBehaviour::Normal);
    QVERIFY(client.send(getRequest(6, 0), sim->terminalAddress(3), sim->port()));
    QCOMPARE(client.collect(1, kReplyWaitMs).size(), size_t(1));
}

void SimQueriesTest::malformedTerminalCyclesThroughFaults()
{
    SimConfig config;
    config.fleetSize = 1;
    config.malformed = {0};
    auto sim = startSimulator(config);
    SimTestSocket client;
    std::vector<std::string> replies;
    for (int i = 0; i < kSimFaultCount + 1; ++i) {
        QVERIFY(client.send(getRequest(20 + i, 0), sim->terminalAddress(0), sim->port()));
        std::vector<SimDatagram> r = client.collect(1, kReplyWaitMs);
        QCOMPARE(r.size(), size_t(1));
        replies.push_back(r[0].bytes);
    }
    TerminalParam parsed;
    QCOMPARE(ParseReply(replies[0].c_str(), &parsed), 0);                       // no reason word
    QVERIFY(replies[1].find(std::string(300, 'W')) != std::string::npos);       // overlong values
    QVERIFY(replies[1].size() <= 1024);
    QVERIFY(replies[2].size() > 1024);                                         // oversized
    QVERIFY(replies[3].find('\0') != std::string::npos);                       // embedded zero
    QVERIFY(replies[4].find('\r') == std::string::npos);                       // bare LF
    QVERIFY(replies[5].find("PlayVol: 300\r\n") != std::string::npos);         // odd values
    QVERIFY(replies[6].compare(0, 3, "DBP") != 0);                             // garbage
    QCOMPARE(ParseReply(replies[7].c_str(), &parsed), 0);                       // and round again
}

void SimQueriesTest::dropRateLosesRoughlyThatShare()
{
    SimConfig config;
    config.fleetSize = 1000;
    config.dropRate = 0.3;
    auto sim = startSimulator(config);
    SimTestSocket client;
    QVERIFY(client.send(getRequest(1), kLoopbackBroadcast, sim->port()));
    size_t got = client.collect(1000, kQuietWaitMs * 3).size();
    QVERIFY2(got > 600 && got < 800, std::to_string(got).c_str());
    QCOMPARE(sim->repliesSent(), uint64_t(got));
}

void SimQueriesTest::delayedRepliesAllArriveLate()
{
    SimConfig config;
    config.fleetSize = 200;
    config.replyDelayMs = 300;
    config.replyJitterMs = 200;
    auto sim = startSimulator(config);
    SimTestSocket client;
    const auto sent = std::chrono::steady_clock::now();
    QVERIFY(client.send(getRequest(1), kLoopbackBroadcast, sim->port()));
    std::vector<SimDatagram> first = client.collect(1, kReplyWaitMs);
    const auto firstAt = std::chrono::steady_clock::now();
    QCOMPARE(first.size(), size_t(1));
    QVERIFY(firstAt - sent >= std::chrono::milliseconds(290));
    QCOMPARE(client.collect(199, kReplyWaitMs).size(), size_t(199));
}

void SimQueriesTest::requestLogKeepsDatagramsByteForByte()
{
    SimConfig config;
    config.fleetSize = 2;
    auto sim = startSimulator(config);
    SimTestSocket client;
    const std::string odd("GET DBP/1.0\r\nCSeq: 3\r\n\0\xFF tail\n", 30);
    QVERIFY(client.send(odd, sim->terminalAddress(1), sim->port()));
    QVERIFY(client.send(getRequest(4), kLoopbackBroadcast, sim->port()));
    QVERIFY(sim->waitForRequests(2, kReplyWaitMs));
    std::vector<SimRequest> log = sim->requests();
    QCOMPARE(log.size(), size_t(2));
    QCOMPARE(log[0].bytes, odd);
    QCOMPARE(log[0].sourceAddress, kTestHost);
    QCOMPARE(log[0].sourcePort, client.port());
    QCOMPARE(log[0].destinationAddress, sim->terminalAddress(1));
    QCOMPARE(log[1].destinationAddress, kLoopbackBroadcast);
    sim->clearRequests();
    QVERIFY(sim->requests().empty());
}

void SimQueriesTest::requestLogFile()
{
    QTemporaryDir dir;
    SimConfig config;
    config.fleetSize = 1;
    config.logFile = dir.filePath("requests.log").toStdString();
    auto sim = startSimulator(config);
    SimTestSocket client;
    const std::string request = getRequest(12, 0);
    QVERIFY(client.send(request, sim->terminalAddress(0), sim->port()));
    QVERIFY(sim->waitForRequests(1, kReplyWaitMs));
    sim->stop();
    std::ifstream in(config.logFile, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string expected = "=== 1 127.0.0.1:" + std::to_string(client.port()) + " -> "
                                 + ipText(sim->terminalAddress(0)) + " "
                                 + std::to_string(request.size()) + " bytes\n" + request + "\n";
    QCOMPARE(text.str(), expected);
}

void SimQueriesTest::sendFromUsesTheTerminalsAddress()
{
    SimConfig config;
    config.fleetSize = 4;
    auto sim = startSimulator(config);
    SimTestSocket client;
    const std::string late = sim->replyText(2, 999);
    QVERIFY(sim->sendFrom(2, late, kTestHost, client.port()));
    std::vector<SimDatagram> r = client.collect(1, kReplyWaitMs);
    QCOMPARE(r.size(), size_t(1));
    QCOMPARE(r[0].source, sim->terminalAddress(2));
    QCOMPARE(r[0].bytes, late);
    QCOMPARE(viewReply(late).value("CSeq"), std::string("999"));
    QVERIFY(!sim->sendFrom(2, late, 0x0A000001u, client.port()));  // never off loopback
}

QTEST_GUILESS_MAIN(SimQueriesTest)
#include "tst_sim_queries.moc"
