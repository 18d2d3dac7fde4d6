// Who answers a request over real UDP on loopback and from which address;
// the request log; faulty replies, drops, and replies sent on request.
#include "SimTestSupport.h"
#include "net/DbpMessage.h"

#include <set>

class SimQueriesTest : public QObject {
    Q_OBJECT

private slots:
    void routing_data();
    void routing();
    void malformedTerminalCyclesThroughFaults();
    void dropRateLosesRoughlyThatShare();
    void sendFromNeverLeavesLoopback();
};

void SimQueriesTest::routing_data()
{
    QTest::addColumn<QStringList>("broadcasts");
    QTest::addColumn<QString>("destination");  // an address, or "terminal <index>"
    QTest::addColumn<QString>("answering");    // terminal indices
    const QStringList defaults{"255.255.255.255", "127.255.255.255"};
    QTest::newRow("loopback broadcast") << defaults << "127.255.255.255" << "0,1,2,3,4,5,6,7";
    QTest::newRow("configured broadcast address") << QStringList{"127.0.0.255"} << "127.0.0.255" << "0,1,2,3,4,5,6,7";
    QTest::newRow("unconfigured broadcast address") << QStringList{"127.0.0.255"} << "127.255.255.255" << "";
    QTest::newRow("one terminal's address") << defaults << "terminal 6" << "6";
    QTest::newRow("the address two terminals share") << defaults << "terminal 1" << "1,4";
    QTest::newRow("an address no terminal has") << defaults << "127.9.9.9" << "";
}

// Eight terminals: every model, with and without optional texts; terminal 4
// takes terminal 1's IP and terminal 5 terminal 2's MAC.
void SimQueriesTest::routing()
{
    QFETCH(QStringList, broadcasts);
    QFETCH(QString, destination);
    QFETCH(QString, answering);
    SimConfig config = fleetOf(8);
    config.ipConflicts = {{1, 4}};
    config.macConflicts = {{2, 5}};
    config.broadcastAddresses.clear();
    for (const QString& b : broadcasts)
        config.broadcastAddresses.push_back(b.toStdString());
    auto sim = startSimulator(config);
    QCOMPARE(QByteArray(sim->terminal(5).MAC), QByteArray(sim->terminal(2).MAC));

    uint32_t to = 0;
    if (destination.startsWith("terminal "))
        to = sim->terminalAddress(destination.section(' ', 1).toInt());
    else
        QVERIFY(simParseAddress(destination.toStdString(), &to));
    // The log keeps what came byte for byte, even past a zero byte.
    const std::string request = getRequest(4711) + std::string("\0\xff tail\n", 8);
    LoopbackSocket client;
    QStringList answered;
    for (const Datagram& r : repliesTo(client, sim->port(), request, to, sim->terminalAddress(0))) {
        TerminalParam parsed;
        QCOMPARE(ParseReply(r.bytes.c_str(), &parsed), 200);
        const int index = parsed.ID - 1;
        answered << QString::number(index);
        TerminalParam expected = sim->terminal(index);
        expected.CSeq = 4711;
        QCOMPARE(recordText(parsed), recordText(expected));
        QCOMPARE(r.source, sim->terminalAddress(index));  // each answers from its own address
        QCOMPARE(r.sourcePort, sim->port());
        QVERIFY(r.bytes.size() >= 4 && r.bytes.compare(r.bytes.size() - 4, 4, "\r\n\r\n") == 0);
    }
    answered.sort();
    QCOMPARE(answered.join(','), answering);

    const std::vector<SimRequest> log = sim->requests();
    QCOMPARE(log.size(), size_t(2));  // and the GET behind it
    QCOMPARE(log[0].bytes, request);
    QCOMPARE(log[0].sourceAddress, kLocalhost);
    QCOMPARE(log[0].sourcePort, client.port());
    QCOMPARE(log[0].destinationAddress, to);
}

void SimQueriesTest::malformedTerminalCyclesThroughFaults()
{
    SimConfig config = fleetOf(1);
    config.malformed = {0};
    auto sim = startSimulator(config);
    LoopbackSocket client;
    std::vector<std::string> replies;
    for (int i = 0; i < kSimFaultCount + 1; ++i) {
        QVERIFY(client.send(getRequest(20 + i, 0), sim->terminalAddress(0), sim->port()));
        std::vector<Datagram> r = client.collect(1, kReplyWaitMs);
        QCOMPARE(r.size(), size_t(1));
        replies.push_back(r[0].bytes);
    }
    TerminalParam parsed;
    QCOMPARE(ParseReply(replies[0].c_str(), &parsed), 0);                  // no reason word
    QVERIFY(replies[1].find(std::string(300, 'W')) != std::string::npos);  // overlong values
    QVERIFY(replies[1].size() <= 1024);
    QVERIFY(replies[2].size() > 1024);                                    // oversized
    QVERIFY(replies[3].find('\0') != std::string::npos);                  // embedded zero
    QVERIFY(replies[4].find('\r') == std::string::npos);                  // bare LF
    QVERIFY(replies[5].find("PlayVol: 300\r\n") != std::string::npos);    // odd values
    QVERIFY(replies[6].compare(0, 3, "DBP") != 0);                        // garbage
    QCOMPARE(ParseReply(replies[7].c_str(), &parsed), 0);                  // and round again
}

void SimQueriesTest::dropRateLosesRoughlyThatShare()
{
    SimConfig config = fleetOf(1000);
    config.dropRate = 0.3;
    auto sim = startSimulator(config);
    LoopbackSocket client;
    QVERIFY(client.send(getRequest(1), kLoopbackBroadcast, sim->port()));
    const size_t got = client.collect(1000, 900).size();
    QVERIFY2(got > 600 && got < 800, std::to_string(got).c_str());
    QCOMPARE(sim->repliesSent(), uint64_t(got));
}

// Late and unsolicited replies come from the terminal's own address, and
// only ever to loopback.
void SimQueriesTest::sendFromNeverLeavesLoopback()
{
    auto sim = startSimulator(fleetOf(4));
    LoopbackSocket client;
    const std::string late = sim->replyText(2, 999);
    QCOMPARE(headerValue(late, "CSeq"), std::string("999"));
    QVERIFY(sim->sendFrom(2, late, kLocalhost, client.port()));
    const std::vector<Datagram> r = client.collect(1, kReplyWaitMs);
    QCOMPARE(r.size(), size_t(1));
    QCOMPARE(r[0].source, sim->terminalAddress(2));
    QCOMPARE(r[0].bytes, late);
    QVERIFY(!sim->sendFrom(2, late, 0x0A000001u, client.port()));
}

QTEST_GUILESS_MAIN(SimQueriesTest)
#include "tst_sim_queries.moc"
