// How the fleet is made: generated from a seed and a model mix or read from
// a fleet file; and the program's options.
#include "SimTestSupport.h"
#include "tools/terminal-sim/SimOptions.h"

#include <fstream>
#include <set>

namespace {

std::string writeFleetFile(const QTemporaryDir& dir, const QString& contents)
{
    const std::string path = dir.filePath("fleet.txt").toStdString();
    std::ofstream(path) << contents.toStdString();
    return path;
}

template <typename List, typename Text>
QString joined(const List& list, Text text)
{
    QStringList items;
    for (const auto& item : list)
        items << text(item);
    return items.join(',');
}

}  // namespace

class SimFleetTest : public QObject {
    Q_OBJECT

private slots:
    void generatedFleet();
    void fleetFileLoads();
    void fleetFileErrors_data();
    void fleetFileErrors();
    void options_data();
    void options();
};

void SimFleetTest::generatedFleet()
{
    SimConfig config = fleetOf(40);
    config.seed = 7;
    config.firstLoopbackAddress = "127.1.0.250";
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
        QCOMPARE(QByteArray(a->terminal(i).IP), QByteArray(simAddressText(a->terminalAddress(i)).c_str()));
        macs.insert(a->terminal(i).MAC);
    }
    QVERIFY(differing > 30);
    QCOMPARE(macs.size(), size_t(40));
    // Addresses skip the .0 and .255 of every /24.
    QCOMPARE(simAddressText(a->terminalAddress(4)), std::string("127.1.0.254"));
    QCOMPARE(simAddressText(a->terminalAddress(5)), std::string("127.1.1.1"));

    config = fleetOf(400);
    config.modelMix = {{"NA-100", 3}, {"HS-1", 1}, {"MS-10", 0}};
    int na = 0;
    for (const TerminalParam& t : startSimulator(config)->terminals()) {
        QVERIFY(QByteArray(t.Type) != "MS-10");
        na += QByteArray(t.Type) == "NA-100";
        if (QByteArray(t.Type) == "HS-1")
            QVERIFY(t.SvcConfig[0] == ' ');  // hosts report a service configuration
    }
    QVERIFY2(na > 250 && na < 350, QByteArray::number(na));
}

void SimFleetTest::fleetFileLoads()
{
    QTemporaryDir dir;
    SimConfig config;
    config.fleetFile = writeFleetFile(dir,
        "# two terminals and a host\n"
        "\n"
        "id=12 type=NA-100 mac=00-12-37-11-22-12 name=Hall-1 treble=-3 speed=100\n"
        "ip=127.1.0.1 type=HS-1 server=127.0.0.5:7900 svcconfig=\"1=7900 2=7901\" behaviour=silent\n"
        "  type=MS-10 ver=2.0.1   # comment after the items\n");
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
    config.fleetFile = writeFleetFile(dir, contents);
    TerminalSimulator sim(config);
    QVERIFY(!sim.start());
    QVERIFY2(QString::fromStdString(sim.errorText()).contains(reason), sim.errorText().c_str());
    QCOMPARE(sim.port(), uint16_t(0));
}

void SimFleetTest::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("result");  // the configuration, or the error
    const QString defaults = "100 59137 0 models= seed=1 400= silent= malformed= ip= mac= 0+0ms drop=0 loopback "
                             "addresses= broadcast=255.255.255.255,127.255.255.255 log=";
    QTest::newRow("defaults") << QStringList{} << defaults;
    QTest::newRow("every option")
        << QStringList{"--terminals", "10000", "--port", "0", "--models", "NA-100:3,HS-1", "--seed", "9", "--answer-400",
                       "1,3-5", "--silent", "7", "--malformed", "0", "--ip-conflict", "1:2", "--ip-conflict", "3:4",
                       "--mac-conflict", "5:6", "--delay", "50", "--jitter", "20", "--drop", "0.25", "--namespace",
                       "--addresses", "10.9.0.2,10.9.0.3", "--broadcast", "10.9.0.255", "--log", "x.log"}
        << "10000 0 0 models=NA-100:3,HS-1:1 seed=9 400=1,3,4,5 silent=7 malformed=0 ip=1:2,3:4 mac=5:6 50+20ms "
           "drop=0.25 namespace addresses=10.9.0.2,10.9.0.3 broadcast=10.9.0.255 log=x.log";
    QTest::newRow("unknown option") << QStringList{"--fast"} << "unknown option --fast";
    QTest::newRow("missing value") << QStringList{"--port"} << "missing value after --port";
    QTest::newRow("port too big") << QStringList{"--port", "70000"} << "bad value for --port: 70000";
    QTest::newRow("drop above 1") << QStringList{"--drop", "1.5"} << "bad value for --drop: 1.5";
    QTest::newRow("reversed range") << QStringList{"--silent", "5-3"} << "bad value for --silent: 5-3";
}

void SimFleetTest::options()
{
    QFETCH(QStringList, args);
    QFETCH(QString, result);
    std::vector<std::string> storage{"dbp-terminal-sim"};
    for (const QString& a : args)
        storage.push_back(a.toStdString());
    std::vector<const char*> argv;
    for (const std::string& s : storage)
        argv.push_back(s.c_str());
    SimConfig c;
    bool help = false;
    std::string error;
    if (!parseSimOptions(int(argv.size()), argv.data(), &c, &help, &error)) {
        QCOMPARE(QString::fromStdString(error), result);
        return;
    }
    auto number = [](int i) { return QString::number(i); };
    auto pair = [](const std::pair<int, int>& p) { return QString("%1:%2").arg(p.first).arg(p.second); };
    auto text = [](const std::string& s) { return QString::fromStdString(s); };
    const QString models = joined(c.modelMix, [](const SimModelShare& m) { return QString("%1:%2").arg(m.type.c_str()).arg(m.weight); });
    QCOMPARE(QStringList({number(c.fleetSize), number(c.port), number(c.keepRequestLog), "models=" + models,
                          "seed=" + number(int(c.seed)), "400=" + joined(c.answer400, number),
                          "silent=" + joined(c.silent, number), "malformed=" + joined(c.malformed, number),
                          "ip=" + joined(c.ipConflicts, pair), "mac=" + joined(c.macConflicts, pair),
                          QString("%1+%2ms").arg(c.replyDelayMs).arg(c.replyJitterMs), "drop=" + QString::number(c.dropRate),
                          c.addressing == SimAddressing::Namespace ? "namespace" : "loopback",
                          "addresses=" + joined(c.addresses, text), "broadcast=" + joined(c.broadcastAddresses, text),
                          "log=" + text(c.logFile)})
                 .join(' '),
             result);
}

QTEST_GUILESS_MAIN(SimFleetTest)
#include "tst_sim_fleet.moc"
