// Changing terminals over real UDP on loopback with the requests the
// program's own builders compose: SET and reboot addressed by ID, model and
// MAC, every line of a SET, and a SETTING, also to terminals that refuse or
// never answer.
#include "SimTestSupport.h"
#include "net/DbpMessage.h"

namespace {

template <size_t N>
void put(char (&field)[N], const char* text)
{
    std::snprintf(field, N, "%s", text);
}

std::string text(const DbpRequest& request)
{
    return request ? std::string(request.get()) : std::string();
}

}  // namespace

class SimSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void addressing_data();
    void addressing();
    void setAppliesEveryLineAndMovesTheTerminal();
    void settingRequests_data();
    void settingRequests();
};

void SimSettingsTest::addressing_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("applied");
    for (const char* request : {"set", "reboot"}) {
        QTest::addRow("%s, exact names", request) << request << "" << true;
        QTest::addRow("%s, sent to another terminal's address", request) << request << "elsewhere" << true;
        QTest::addRow("%s, MAC in upper case", request) << request << "upper" << true;
        QTest::addRow("%s, other MAC", request) << request << "mac" << false;
        QTest::addRow("%s, other model", request) << request << "type" << false;
        QTest::addRow("%s, other ID", request) << request << "id" << false;
    }
}

// A SET that changes only the ID, as the settings dialog sends it (no MAC,
// IP or server lines, "Server2: :0"), or a reboot into upgrade mode.
void SimSettingsTest::addressing()
{
    QFETCH(QString, request);
    QFETCH(QString, change);
    QFETCH(bool, applied);
    auto sim = startSimulator(fleetOf(4));
    TerminalParam t = sim->terminal(1);
    put(t.MAC, "00-12-37-0a-0b-0c");  // lower case as the dialog generates it
    QVERIFY(sim->setTerminal(1, t));
    const std::vector<TerminalParam> before = sim->terminals();

    TerminalParam p = t;
    uint32_t destination = kLoopbackBroadcast;
    if (change == "elsewhere")
        destination = sim->terminalAddress(3);
    else if (change == "upper")
        put(p.MAC, "00-12-37-0A-0B-0C");
    else if (change == "mac")
        put(p.MAC, "00-12-37-0a-0b-0d");
    else if (change == "type")
        put(p.Type, "XX-1");
    else if (change == "id")
        p.ID += 1000;
    p.CSeq = 55;
    if (request == "set") {
        put(p.OldMAC, p.MAC);
        for (char* field : {p.MAC, p.IP, p.Mask, p.Gateway, p.Server, p.Server2, p.DNS1, p.DNS2, p.Website})
            field[0] = '\0';
        p.ServerPort = 0;
        p.NewID = 77;
        p.IsBroadcast = 1;
    }
    const std::string bytes = text(request == "set" ? BuildSetRequest(&p) : BuildRebootRequest(&p, 2));
    LoopbackSocket client;
    const std::vector<Datagram> replies = repliesTo(client, sim->port(), bytes, destination, sim->terminalAddress(0));
    QCOMPARE(replies.size(), size_t(applied ? 1 : 0));
    if (applied) {
        QCOMPARE(replies[0].source, sim->terminalAddress(1));
        QCOMPARE(headerValue(replies[0].bytes, "CSeq"), std::string("55"));
    }

    TerminalParam expected = before[1];
    if (applied && request == "set")
        expected.ID = 77;
    if (applied && request == "reboot")
        put(expected.Mode, "Upgrade");
    QCOMPARE(recordText(sim->terminal(1)), recordText(expected));
    QCOMPARE(sim->rebootCount(1), applied && request == "reboot" ? 1 : 0);
    QCOMPARE(recordText(sim->terminal(3)), recordText(before[3]));
}

void SimSettingsTest::setAppliesEveryLineAndMovesTheTerminal()
{
    auto sim = startSimulator(fleetOf(5));
    const std::vector<TerminalParam> before = sim->terminals();
    const uint32_t oldAddress = sim->terminalAddress(2);

    TerminalParam p = before[2];
    put(p.OldMAC, p.MAC);
    p.NewID = 500;
    put(p.MAC, "00-12-37-aa-bb-cc");
    put(p.IP, "127.3.0.9");
    put(p.Mask, "255.255.0.0");
    put(p.Gateway, "127.3.0.1");
    put(p.Server, "127.0.0.9");
    p.ServerPort = 7000;
    put(p.Server2, "127.0.0.10");
    p.Server2Port = 7001;
    put(p.DNS1, "127.0.0.53");
    put(p.DNS2, "127.0.0.54");
    put(p.Website, "http://127.0.0.1/new");
    p.UseDNS = 1;
    p.AutoIP = 0;
    p.Speed = 100;
    p.Treble = -7;
    p.Bass = 7;
    put(p.SvcConfig, " a=1 b=2");
    p.Reboot = 1;
    p.IsBroadcast = 1;
    p.CSeq = 321;
    LoopbackSocket client;
    std::vector<Datagram> replies =
        repliesTo(client, sim->port(), text(BuildSetRequest(&p)), kLoopbackBroadcast, sim->terminalAddress(0));
    QCOMPARE(replies.size(), size_t(1));
    QCOMPARE(simAddressText(replies[0].source), std::string("127.3.0.9"));  // moved to its new address

    // What the SET carries, and nothing of what it does not (Ver, Mode, Name, volumes).
    TerminalParam expected = p;
    expected.ID = 500;
    expected.NewID = expected.CSeq = expected.Reboot = expected.IsBroadcast = 0;
    expected.OldMAC[0] = '\0';
    QCOMPARE(recordText(sim->terminal(2)), recordText(expected));
    TerminalParam reply;
    QCOMPARE(ParseReply(replies[0].bytes.c_str(), &reply), 200);
    expected.CSeq = 321;
    QCOMPARE(recordText(reply), recordText(expected));
    QCOMPARE(sim->rebootCount(2), 1);
    for (int i : {0, 1, 3, 4})
        QCOMPARE(recordText(sim->terminal(i)), recordText(before[i]));

    // Reachable at its new address; the old one is empty now.
    const uint32_t barrier = sim->terminalAddress(1);
    QCOMPARE(repliesTo(client, sim->port(), getRequest(1, 0), replies[0].source, barrier).size(), size_t(1));
    QCOMPARE(repliesTo(client, sim->port(), getRequest(2, 0), oldAddress, barrier).size(), size_t(0));

    // An address this machine does not have: the terminal reports it and
    // keeps answering from its loopback address.
    p = before[0];
    put(p.OldMAC, p.MAC);
    p.NewID = p.ID;
    put(p.IP, "192.168.1.10");
    replies = repliesTo(client, sim->port(), text(BuildSetRequest(&p)), kLoopbackBroadcast, barrier);
    QCOMPARE(replies.size(), size_t(1));
    QCOMPARE(replies[0].source, sim->terminalAddress(0));
    QCOMPARE(headerValue(replies[0].bytes, "IP"), std::string("192.168.1.10"));
}

void SimSettingsTest::settingRequests_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("reply");  // its start; "" for none
    QTest::newRow("tone and volume") << "normal" << "DBP/1.0 200 OK\r\nCSeq: 31\r\n";
    QTest::newRow("refused: applies nothing") << "400" << "DBP/1.0 400 Bad\r\nCSeq: 31\r\n\r\n";
    QTest::newRow("silent: applies nothing") << "silent" << "";
}

// Volumes go to terminals that change them (the window's tests watch
// that); the tone is seen here.
void SimSettingsTest::settingRequests()
{
    QFETCH(QString, mode);
    QFETCH(QString, reply);
    SimConfig config = fleetOf(3);
    if (mode == "400")
        config.answer400 = {1};
    else if (mode == "silent")
        config.silent = {1};
    auto sim = startSimulator(config);
    const std::vector<TerminalParam> before = sim->terminals();
    LoopbackSocket client;
    const std::vector<Datagram> replies = repliesTo(client, sim->port(), text(BuildToneRequest(31, -9, 8, 0)),
                                                    sim->terminalAddress(1), sim->terminalAddress(0));
    QCOMPARE(replies.size(), size_t(reply.isEmpty() ? 0 : 1));
    if (!reply.isEmpty())
        QCOMPARE(QString::fromStdString(replies[0].bytes.substr(0, size_t(reply.size()))), reply);
    TerminalParam expected = before[1];
    if (mode == "normal") {
        expected.Treble = -9;
        expected.Bass = 8;
        expected.PlayVol = 0;  // generated volumes are 1 .. 100
    }
    QCOMPARE(recordText(sim->terminal(1)), recordText(expected));
    QCOMPARE(sim->rebootCount(1), 0);  // the "Reboot: 5" line of SETTING is not a reboot
    QCOMPARE(recordText(sim->terminal(0)), recordText(before[0]));
}

QTEST_GUILESS_MAIN(SimSettingsTest)
#include "tst_sim_settings.moc"
