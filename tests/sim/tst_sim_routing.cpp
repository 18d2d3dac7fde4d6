// Which simulated terminals a request reaches over real UDP on loopback: by
// destination address, or for a SET by the ID, model and MAC it names; and
// that every reply stays on loopback. Test thread only.
#include "LoopbackSocket.h"
#include "RecordText.h"
#include "net/DbpMessage.h"
#include "tools/terminal-sim/TerminalSimulator.h"

#include <QtTest>

class SimRoutingTest : public QObject {
    Q_OBJECT

private slots:
    void routes_data()
    {
        QTest::addColumn<QByteArray>("set");  // changes to terminal 1's SET; empty: a GET
        QTest::addColumn<QString>("to");      // "broadcast" or a terminal index
        QTest::addColumn<QString>("answering");
        QTest::newRow("GET to one terminal's address") << QByteArray() << "2"
                                                       << "2";
        QTest::newRow("SET reaches the terminal it names") << QByteArray("NewID=77") << "broadcast"
                                                           << "1";
        QTest::newRow("SET sent to another terminal's address") << QByteArray("NewID=77") << "3"
                                                                << "1";
        QTest::newRow("SET naming another ID") << QByteArray("NewID=77;ID=99") << "broadcast"
                                               << "";
        QTest::newRow("SET naming another model") << QByteArray("NewID=77;Type=XX-1") << "broadcast"
                                                  << "";
        QTest::newRow("SET naming another MAC") << QByteArray("NewID=77;OldMAC=00-00-00-00-00-01") << "broadcast"
                                                << "";
        QTest::newRow("SET to an address off loopback still answers from loopback")
            << QByteArray("NewID=77;IP=192.168.1.10") << "broadcast"
            << "1";
    }

    void routes()
    {
        QFETCH(QByteArray, set);
        QFETCH(QString, to);
        QFETCH(QString, answering);
        SimConfig config;
        config.fleetSize = 4;
        TerminalSimulator sim(config);
        QVERIFY(sim.start());
        const std::vector<TerminalParam> before = sim.terminals();
        const TerminalParam named = record("OldMAC=" + QByteArray(before[1].MAC) + ";CSeq=55;" + set, before[1]);
        const DbpRequest request = set.isEmpty() ? BuildGetRequest(55, 0) : BuildSetRequest(&named);

        // A GET to terminal 0 behind the request marks the end of its replies:
        // the simulator handles requests one at a time.
        LoopbackSocket client;
        const uint32_t destination = to == "broadcast" ? kLoopbackBroadcast : sim.terminalAddress(to.toInt());
        QVERIFY(client.send(request.get(), destination, sim.port()));
        QVERIFY(client.send(BuildGetRequest(65535, 0).get(), sim.terminalAddress(0), sim.port()));
        QStringList answered;
        std::vector<Datagram> r;
        while (!(r = client.collect(1, 10000)).empty() && headerValue(r[0].bytes, "CSeq") != "65535") {
            TerminalParam reply;
            QCOMPARE(ParseReply(r[0].bytes.c_str(), &reply), 200);
            int index = 0;
            while (index < 4 && sim.terminalAddress(index) != r[0].source)
                ++index;
            QVERIFY(index < 4 && r[0].source >> 24 == 127);
            answered << QString::number(index);
            QCOMPARE(recordText(reply), recordText(record("CSeq=55", sim.terminal(index))));
        }
        answered.sort();
        QCOMPARE(answered.join(','), answering);
        for (int i = 0; i < 4; ++i)  // applied where answered, nowhere else
            QCOMPARE(sim.terminal(i).ID, !set.isEmpty() && answered.contains(QString::number(i)) ? 77 : before[i].ID);
    }
};

QTEST_GUILESS_MAIN(SimRoutingTest)
#include "tst_sim_routing.moc"
