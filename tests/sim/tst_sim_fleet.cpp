// How the fleet is made: generated from a seed and a model mix, read from
// a fleet file, or given as records; and the program's options.
#include "SimTestSupport.h"
#include "tools/terminal-sim/SimOptions.h"

#include <fstream>
#include <set>

namespace {

QString writeFile(const QTemporaryDir& dir, const char* contents)
{
    QString path = dir.filePath("fleet.txt");
    std::ofstream(path.toStdString()) << contents;
    return path;
}

}  // namespace

class SimFleetTest : public QObject {
    Q_OBJECT

private slots:
    void generatedFleetFollowsTheSeed();
    void modelMixWeights();
    void loopbackAddressesSkipZeroAndBroadcastBytes();
    void fleetFileLoads();
    void fleetFileErrors_data();
    void fleetFileErrors();
    void explicitRecordsAndAddedTerminals();
    void namespaceModeUsesTheGivenAddresses();
    void options_data();
    void options();
};

void SimFleetTest::generatedFleetFollowsTheSeed()
{
    SimConfig config;
    config.fleetSize = 40;
    config.seed = 7;
    auto a = startSimulator(config);
    auto b = startSimulator(config);
    config.seed = 8;
    auto c = startSimulator(config);
    int differing = 0;
    std::set<std::string> macs;
    for (int i = 0; i < 40; ++i) {
        QCOMPARE(recordText(a->terminal(i)), recordText(b->terminal(i)));
        differing += recordText(a->terminal(i)) != recordText(c->terminal(i));
        QCOMPARE(a->terminal(i).ID, i + 1);
        QCOMPARE(QByteArray(a->terminal(i).IP), QByteArray(ipText(a->terminalAddress(i)).c_str()));
        macs.insert(a->terminal(i).MAC);
    }
    QVERIFY(differing > 30);
    QCOMPARE(macs.size(), size_t(40));
}

void SimFleetTest::modelMixWeights()
{
    SimConfig config;
    config.fleetSize = 400;
    config.modelMix = {{"NA-100", 3}, {"HS-1", 1}, {"MS-10", 0}};
    auto sim = startSimulator(config);
    int na = 0;
    for (const TerminalParam& t : sim->terminals()) {
        QVERIFY(QByteArray(t.Type) != "MS-10");
        na += QByteArray(t.Type) == "NA-100";
        if (QByteArray(t.Type) == "HS-1")
            QVERIFY(t.SvcConfig[0] == ' ');  // hosts report a service configuration
    }
    QVERIFY2(na > 250 && na < 350, QByteArray::number(na));
}

void SimFleetTest::loopbackAddressesSkipZeroAndBroadcastBytes()
{
    SimConfig config;
    config.fleetSize = 10;
    config.firstLoopbackAddress = "127.1.0.250";
    auto sim = startSimulator(config);
    QCOMPARE(ipText(sim->terminalAddress(0)), std::string("127.1.0.250"));
    QCOMPARE(ipText(sim->terminalAddress(5)), std::string("127.1.1.1"));
    QCOMPARE(ipText(sim->terminalAddress(9)), std::string("127.1.1.5"));
}

void SimFleetTest::fleetFileLoads()
{
    QTemporaryDir dir;
    SimConfig config;
    config.fleetFile = writeFile(dir,
        "# two terminals and a host\n"
        "\n"
        "id=12 type=NA-100 mac=00-12-37-11-22-12 name=Hall-1 treble=-3 speed=100\n"
        "ip=127.1.0.1 type=HS-1 server=127.0.0.5:7900 svcconfig=\"1=7900 2=7901\" behaviour=silent\n"
        "  type=MS-10 ver=2.0.1   # comment after the items\n").toStdString();
    auto sim = startSimulator(config);
    QCOMPARE(sim->terminalCount(), 3);
    const TerminalParam t0 = sim->terminal(0);
    QCOMPARE(t0.ID, 12);
    QCOMPARE(QByteArray(t0.MAC), QByteArray("00-12-37-11-22-12"));
    QCOMPARE(QByteArray(t0.Name), QByteArray("Hall-1"));
    QCOMPARE(t0.Treble, int8_t(-3));
    QCOMPARE(t0.Speed, uint16_t(100));
    // The address given on line 2 is skipped by the lines without one.
    QCOMPARE(QByteArray(t0.IP), QByteArray("127.1.0.2"));
    QCOMPARE(QByteArray(sim->terminal(1).IP), QByteArray("127.1.0.1"));
    QCOMPARE(QByteArray(sim->terminal(1).SvcConfig), QByteArray(" 1=7900 2=7901"));
    QCOMPARE(QByteArray(sim->terminal(1).Server), QByteArray("127.0.0.5"));
    QCOMPARE(sim->behaviour(1), SimBehaviour::Silent);
    QCOMPARE(QByteArray(sim->terminal(2).Ver), QByteArray("2.0.1"));
    QCOMPARE(sim->terminal(2).ID, 3);  // generated for its line

    SimTestSocket client;
    QVERIFY(client.send(getRequest(1), kLoopbackBroadcast, sim->port()));
    QCOMPARE(client.collect(3, kQuietWaitMs * 2).size(), size_t(2));
}

void SimFleetTest::fleetFileErrors_data()
{
    QTest::addColumn<QString>("contents");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown key") << "id=1\ncolour=red\n" << ":2: unknown key colour";
    QTest::newRow("not a number") << "id=x1\n" << ":1: bad value for id";
    QTest::newRow("speed not a speed") << "speed=50\n" << ":1: bad value for speed";
    QTest::newRow("open quote") << "name=\"a b\n" << ":1: unterminated quote";
    QTest::newRow("item without value") << "id=1 silent\n" << ":1: item without '='";
    QTest::newRow("text too long") << "name=abcdefghijklmnopqrstuvwxyz0123456\n" << ":1: bad value for name";
    QTest::newRow("address off loopback") << "ip=10.0.0.1\n" << "not a loopback terminal address";
    QTest::newRow("bad behaviour") << "behaviour=sleepy\n" << ":1: bad value for behaviour";
}

void SimFleetTest::fleetFileErrors()
{
    QFETCH(QString, contents);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    SimConfig config;
    config.fleetFile = writeFile(dir, contents.toLatin1().constData()).toStdString();
    TerminalSimulator sim(config);
    QVERIFY(!sim.start());
    QVERIFY2(QString::fromStdString(sim.errorText()).contains(reason), sim.errorText().c_str());
    QCOMPARE(sim.port(), uint16_t(0));
}

void SimFleetTest::explicitRecordsAndAddedTerminals()
{
    TerminalParam a;
    a.ID = 5;
    std::snprintf(a.Type, sizeof a.Type, "NA-200");
    std::snprintf(a.IP, sizeof a.IP, "127.9.0.1");
    TerminalParam b = a;
    b.ID = 6;
    b.IP[0] = '\0';
    SimConfig config;
    TerminalSimulator sim(config, {a, b});
    QVERIFY(sim.start());
    QCOMPARE(sim.terminalCount(), 2);
    QCOMPARE(ipText(sim.terminalAddress(0)), std::string("127.9.0.1"));
    QCOMPARE(ipText(sim.terminalAddress(1)), std::string("127.1.0.1"));

    TerminalParam c = a;
    c.ID = 7;
    c.IP[0] = '\0';
    QCOMPARE(sim.addTerminal(c), 2);
    QCOMPARE(QByteArray(sim.terminal(2).IP), QByteArray("127.1.0.2"));
    std::snprintf(c.IP, sizeof c.IP, "10.1.1.1");
    QCOMPARE(sim.addTerminal(c), -1);  // cannot answer from there

    SimTestSocket client;
    QVERIFY(client.send(getRequest(1, 0), sim.terminalAddress(2), sim.port()));
    std::vector<SimDatagram> replies = client.collect(1, kReplyWaitMs);
    QCOMPARE(replies.size(), size_t(1));
    QCOMPARE(viewReply(replies[0].bytes).value("ID"), std::string("7"));
}

// Namespace mode with addresses on lo stands in for addresses on a veth.
void SimFleetTest::namespaceModeUsesTheGivenAddresses()
{
    SimConfig config;
    config.addressing = SimAddressing::Namespace;
    config.fleetSize = 3;
    config.addresses = {"127.5.0.1", "127.5.0.2"};
    TerminalSimulator tooFew(config);
    QVERIFY(!tooFew.start());
    QVERIFY(QString::fromStdString(tooFew.errorText()).contains("terminal 2: no address"));

    config.addresses.push_back("127.5.0.3");
    config.broadcastAddresses = {"127.5.0.255"};
    auto sim = startSimulator(config);
    QCOMPARE(QByteArray(sim->terminal(2).IP), QByteArray("127.5.0.3"));
    QCOMPARE(QByteArray(sim->terminal(2).Mask), QByteArray("255.255.255.0"));
    QCOMPARE(QByteArray(sim->terminal(2).Gateway), QByteArray("127.5.0.1"));
    SimTestSocket client;
    QVERIFY(client.send(getRequest(1), 0x7F0500FFu, sim->port()));
    std::vector<SimDatagram> replies = client.collect(3, kReplyWaitMs);
    QCOMPARE(replies.size(), size_t(3));
    std::set<std::string> sources;
    for (const SimDatagram& r : replies)
        sources.insert(ipText(r.source));
    QCOMPARE(sources, (std::set<std::string>{"127.5.0.1", "127.5.0.2", "127.5.0.3"}));
    // 127.255.255.255 is no broadcast destination here.
    QVERIFY(client.send(getRequest(2), kLoopbackBroadcast, sim->port()));
    QCOMPARE(client.collect(1, kQuietWaitMs).size(), size_t(0));
}

void SimFleetTest::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("check");
    QTest::newRow("defaults") << QStringList{} << true << "fleet=100 port=59137 log=0";
    QTest::newRow("fleet and mix") << QStringList{"--terminals", "10000", "--models", "NA-100:3,HS-1", "--seed", "9"}
                                   << true << "fleet=10000 models=NA-100:3,HS-1:1 seed=9";
    QTest::newRow("behaviours") << QStringList{"--answer-400", "1,3-5", "--silent", "7", "--malformed", "0"}
                                << true << "400=1,3,4,5 silent=7 malformed=0";
    QTest::newRow("conflicts") << QStringList{"--ip-conflict", "1:2", "--ip-conflict", "3:4", "--mac-conflict", "5:6"}
                               << true << "ip=1:2,3:4 mac=5:6";
    QTest::newRow("timing") << QStringList{"--delay", "50", "--jitter", "20", "--drop", "0.25"}
                            << true << "delay=50 jitter=20 drop=0.25";
    QTest::newRow("namespace") << QStringList{"--namespace", "--addresses", "10.9.0.2,10.9.0.3", "--broadcast", "10.9.0.255"}
                               << true << "namespace addresses=10.9.0.2,10.9.0.3 broadcast=10.9.0.255";
    QTest::newRow("unknown option") << QStringList{"--fast"} << false << "unknown option --fast";
    QTest::newRow("missing value") << QStringList{"--port"} << false << "missing value after --port";
    QTest::newRow("port too big") << QStringList{"--port", "70000"} << false << "bad value for --port";
    QTest::newRow("drop above 1") << QStringList{"--drop", "1.5"} << false << "bad value for --drop";
    QTest::newRow("reversed range") << QStringList{"--silent", "5-3"} << false << "bad value for --silent";
}

void SimFleetTest::options()
{
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QString, check);
    std::vector<std::string> storage{"dbp-terminal-sim"};
    for (const QString& a : args)
        storage.push_back(a.toStdString());
    std::vector<const char*> argv;
    for (const std::string& s : storage)
        argv.push_back(s.c_str());
    SimConfig config;
    bool help = false;
    std::string error;
    QCOMPARE(parseSimOptions(static_cast<int>(argv.size()), argv.data(), &config, &help, &error), ok);
    if (!ok) {
        QCOMPARE(QString::fromStdString(error).left(check.size()), check);
        return;
    }
    auto list = [](const std::vector<int>& v) {
        QStringList s;
        for (int i : v)
            s << QString::number(i);
        return s.join(',');
    };
    auto pairs = [](const std::vector<std::pair<int, int>>& v) {
        QStringList s;
        for (const auto& p : v)
            s << QString("%1:%2").arg(p.first).arg(p.second);
        return s.join(',');
    };
    QStringList models;
    for (const SimModelShare& m : config.modelMix)
        models << QString("%1:%2").arg(m.type.c_str()).arg(m.weight);
    QStringList addresses, broadcasts;
    for (const std::string& a : config.addresses)
        addresses << a.c_str();
    for (const std::string& b : config.broadcastAddresses)
        broadcasts << b.c_str();
    const QMap<QString, QString> actual{
        {"fleet", QString::number(config.fleetSize)},
        {"port", QString::number(config.port)},
        {"log", QString::number(config.keepRequestLog)},
        {"models", models.join(',')},
        {"seed", QString::number(config.seed)},
        {"400", list(config.answer400)},
        {"silent", list(config.silent)},
        {"malformed", list(config.malformed)},
        {"ip", pairs(config.ipConflicts)},
        {"mac", pairs(config.macConflicts)},
        {"delay", QString::number(config.replyDelayMs)},
        {"jitter", QString::number(config.replyJitterMs)},
        {"drop", QString::number(config.dropRate)},
        {"addresses", addresses.join(',')},
        {"broadcast", broadcasts.join(',')},
    };
    for (const QString& item : check.split(' ')) {
        if (item == "namespace") {
            QVERIFY(config.addressing == SimAddressing::Namespace);
            continue;
        }
        const QString key = item.section('=', 0, 0);
        QVERIFY2(actual.contains(key), qPrintable(key));
        QCOMPARE(actual[key], item.section('=', 1));
    }
}

QTEST_GUILESS_MAIN(SimFleetTest)
#include "tst_sim_fleet.moc"
