// Changing terminals over real UDP on loopback with the requests the
// program's own builders compose: SET by ID, model and former MAC, reboot,
// both SETTING requests and the three SETs for every terminal.
#include "SimTestSupport.h"
#include "net/DbpMessage.h"

#include <cstring>

namespace {

template <size_t N>
void put(char (&field)[N], const char* text)
{
    std::snprintf(field, N, "%s", text);
}

// The SET the settings dialog would send for terminal `t`, changing only its ID.
TerminalParam idChange(const TerminalParam& t, int32_t newId)
{
    TerminalParam p = t;
    put(p.OldMAC, t.MAC);
    for (char* field : {p.MAC, p.IP, p.Mask, p.Gateway, p.Server, p.Server2, p.DNS1, p.DNS2})
        field[0] = '\0';
    p.Website[0] = '\0';
    p.ServerPort = 0;
    p.NewID = newId;
    p.IsBroadcast = 1;
    return p;
}

std::string text(const DbpRequest& request)
{
    return request ? std::string(request.get()) : std::string();
}

}  // namespace

class SimSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void setAppliesEveryLine();
    void setReachesOnlyTheNamedTerminal_data();
    void setReachesOnlyTheNamedTerminal();
    void setWithoutOptionalLinesKeepsThem();
    void setToAnAddressOffLoopbackKeepsAnswering();
    void reboot_data();
    void reboot();
    void settingRequests_data();
    void settingRequests();
    void setsForEveryTerminal();
};

void SimSettingsTest::setAppliesEveryLine()
{
    SimConfig config;
    config.fleetSize = 5;
    auto sim = startSimulator(config);
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
    SimTestSocket client;
    QVERIFY(client.send(text(BuildSetRequest(&p)), kLoopbackBroadcast, sim->port()));

    std::vector<SimDatagram> replies = client.collect(2, kQuietWaitMs * 2);
    QCOMPARE(replies.size(), size_t(1));
    QCOMPARE(ipText(replies[0].source), std::string("127.3.0.9"));  // moved to its new address
    TerminalParam reply;
    QCOMPARE(ParseReply(replies[0].bytes.c_str(), &reply), 200);
    QCOMPARE(reply.CSeq, uint16_t(321));

    TerminalParam expected = before[2];
    expected.ID = 500;
    for (auto field : {&TerminalParam::MAC, &TerminalParam::IP, &TerminalParam::Mask,
                       &TerminalParam::Gateway, &TerminalParam::Server, &TerminalParam::Server2,
                       &TerminalParam::DNS1, &TerminalParam::DNS2})
        std::memcpy(expected.*field, p.*field, sizeof(expected.*field));
    std::memcpy(expected.Website, p.Website, sizeof expected.Website);
    std::memcpy(expected.SvcConfig, p.SvcConfig, sizeof expected.SvcConfig);
    expected.ServerPort = 7000;
    expected.Server2Port = 7001;
    expected.UseDNS = 1;
    expected.AutoIP = 0;
    expected.Speed = 100;
    expected.Treble = -7;
    expected.Bass = 7;
    QCOMPARE(recordText(sim->terminal(2)), recordText(expected));
    reply.CSeq = 0;
    QCOMPARE(recordText(reply), recordText(expected));
    QCOMPARE(sim->rebootCount(2), 1);
    for (int i : {0, 1, 3, 4})
        QCOMPARE(recordText(sim->terminal(i)), recordText(before[i]));

    // Reachable at its new address; the old one is empty now.
    QVERIFY(client.send(getRequest(1, 0), replies[0].source, sim->port()));
    QCOMPARE(client.collect(1, kReplyWaitMs).size(), size_t(1));
    QVERIFY(client.send(getRequest(2, 0), oldAddress, sim->port()));
    QCOMPARE(client.collect(1, kQuietWaitMs).size(), size_t(0));
}

void SimSettingsTest::setReachesOnlyTheNamedTerminal_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("applied");
    QTest::newRow("broadcast, exact name") << "" << true;
    QTest::newRow("sent to another terminal's address") << "elsewhere" << true;
    QTest::newRow("MAC in upper case") << "upper" << true;
    QTest::newRow("other MAC") << "mac" << false;
    QTest::newRow("other model") << "type" << false;
    QTest::newRow("other ID") << "id" << false;
}

void SimSettingsTest::setReachesOnlyTheNamedTerminal()
{
    QFETCH(QString, change);
    QFETCH(bool, applied);
    SimConfig config;
    config.fleetSize = 4;
    auto sim = startSimulator(config);
    TerminalParam t = sim->terminal(1);
    put(t.MAC, "00-12-37-0a-0b-0c");  // lower case as the dialog generates it
    QVERIFY(sim->setTerminal(1, t));

    TerminalParam p = idChange(t, 77);
    uint32_t destination = kLoopbackBroadcast;
    if (change == "elsewhere")
        destination = sim->terminalAddress(3);
    else if (change == "upper")
        put(p.OldMAC, "00-12-37-0A-0B-0C");
    else if (change == "mac")
        put(p.OldMAC, "00-12-37-0a-0b-0d");
    else if (change == "type")
        put(p.Type, "XX-1");
    else if (change == "id")
        p.ID += 1000;
    p.CSeq = 55;
    SimTestSocket client;
    QVERIFY(client.send(text(BuildSetRequest(&p)), destination, sim->port()));
    std::vector<SimDatagram> replies = client.collect(2, kQuietWaitMs * 2);
    QCOMPARE(replies.size(), size_t(applied ? 1 : 0));
    QCOMPARE(sim->terminal(1).ID, applied ? 77 : t.ID);
    if (applied)
        QCOMPARE(replies[0].source, sim->terminalAddress(1));
    QCOMPARE(sim->terminal(3).ID, 4);
}

// What the settings dialog sends when only the ID changes: no MAC, IP or
// server lines, and a Server2 line with an empty host.
void SimSettingsTest::setWithoutOptionalLinesKeepsThem()
{
    SimConfig config;
    config.fleetSize = 2;
    auto sim = startSimulator(config);
    const TerminalParam before = sim->terminal(0);
    TerminalParam p = idChange(before, 9);
    const std::string request = text(BuildSetRequest(&p));
    QVERIFY(request.find("Server2: :0\r\n") != std::string::npos);
    SimTestSocket client;
    QVERIFY(client.send(request, kLoopbackBroadcast, sim->port()));
    QCOMPARE(client.collect(1, kReplyWaitMs).size(), size_t(1));
    TerminalParam expected = before;
    expected.ID = 9;
    QCOMPARE(recordText(sim->terminal(0)), recordText(expected));
}

// A terminal cannot answer from an address this machine does not have: it
// reports the new IP and keeps answering from its loopback address.
void SimSettingsTest::setToAnAddressOffLoopbackKeepsAnswering()
{
    SimConfig config;
    config.fleetSize = 1;
    auto sim = startSimulator(config);
    const uint32_t address = sim->terminalAddress(0);
    TerminalParam p = idChange(sim->terminal(0), 1);
    put(p.IP, "192.168.1.10");
    SimTestSocket client;
    QVERIFY(client.send(text(BuildSetRequest(&p)), kLoopbackBroadcast, sim->port()));
    std::vector<SimDatagram> replies = client.collect(1, kReplyWaitMs);
    QCOMPARE(replies.size(), size_t(1));
    QCOMPARE(replies[0].source, address);
    QCOMPARE(viewReply(replies[0].bytes).value("IP"), std::string("192.168.1.10"));
    QCOMPARE(sim->terminalAddress(0), address);
}

void SimSettingsTest::reboot_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("startMode");
    QTest::addColumn<QString>("mode");
    QTest::newRow("upgrade") << 2 << "Normal" << "Upgrade";
    QTest::newRow("reboot leaves upgrade mode") << 0 << "Upgrade" << "Normal";
    QTest::newRow("other code") << 7 << "Upgrade" << "Upgrade";
}

void SimSettingsTest::reboot()
{
    QFETCH(int, code);
    QFETCH(QString, startMode);
    QFETCH(QString, mode);
    SimConfig config;
    config.fleetSize = 3;
    auto sim = startSimulator(config);
    TerminalParam t = sim->terminal(2);
    put(t.Mode, startMode.toLatin1().constData());
    QVERIFY(sim->setTerminal(2, t));
    t.CSeq = 600;
    const std::string request = text(BuildRebootRequest(&t, static_cast<uint8_t>(code)));

    // As the engine does: to the terminal's address, then to the broadcast address.
    SimTestSocket client;
    QVERIFY(client.send(request, sim->terminalAddress(2), sim->port()));
    QVERIFY(client.send(request, kLoopbackBroadcast, sim->port()));
    std::vector<SimDatagram> replies = client.collect(3, kQuietWaitMs * 2);
    QCOMPARE(replies.size(), size_t(2));
    for (const SimDatagram& r : replies) {
        QCOMPARE(r.source, sim->terminalAddress(2));
        QCOMPARE(viewReply(r.bytes).value("CSeq"), std::string("600"));
        QCOMPARE(QString::fromStdString(viewReply(r.bytes).value("Mode")), mode);
    }
    QCOMPARE(sim->rebootCount(2), 2);
    QCOMPARE(sim->rebootCount(1), 0);
    QCOMPARE(QString(sim->terminal(2).Mode), mode);
}

void SimSettingsTest::settingRequests_data()
{
    QTest::addColumn<bool>("tone");
    QTest::newRow("tone and volume") << true;
    QTest::newRow("volumes") << false;
}

void SimSettingsTest::settingRequests()
{
    QFETCH(bool, tone);
    SimConfig config;
    config.fleetSize = 3;
    auto sim = startSimulator(config);
    const std::vector<TerminalParam> before = sim->terminals();
    const std::string request = tone ? text(BuildToneRequest(31, -9, 8, 42))
                                     : text(BuildVolumeRequest(31, 43, -1));
    SimTestSocket client;
    QVERIFY(client.send(request, sim->terminalAddress(1), sim->port()));
    std::vector<SimDatagram> replies = client.collect(2, kQuietWaitMs * 2);
    QCOMPARE(replies.size(), size_t(1));
    TerminalParam expected = before[1];
    if (tone) {
        expected.Treble = -9;
        expected.Bass = 8;
        expected.PlayVol = 42;
    } else {
        expected.PlayVol = 43;
        expected.CaptureVol = -1;
    }
    QCOMPARE(recordText(sim->terminal(1)), recordText(expected));
    QCOMPARE(viewReply(replies[0].bytes).value("PlayVol"), std::to_string(expected.PlayVol));
    QCOMPARE(sim->rebootCount(1), 0);  // the "Reboot: 5" line of SETTING is not a reboot
    QCOMPARE(recordText(sim->terminal(0)), recordText(before[0]));
}

void SimSettingsTest::setsForEveryTerminal()
{
    SimConfig config;
    config.fleetSize = 30;
    auto sim = startSimulator(config);
    const std::vector<TerminalParam> before = sim->terminals();
    SimTestSocket client;

    QVERIFY(client.send(text(BuildServerRequest("127.0.0.77", 1, 1)), kLoopbackBroadcast, sim->port()));
    QCOMPARE(client.collect(30, kReplyWaitMs).size(), size_t(30));
    for (int i = 0; i < 30; ++i) {
        QCOMPARE(QByteArray(sim->terminal(i).Server), QByteArray("127.0.0.77"));
        QCOMPARE(sim->terminal(i).ServerPort, before[i].ServerPort);  // port 0 keeps the port
    }

    QVERIFY(client.send(text(BuildUpdateAllRequest(2, 1)), kLoopbackBroadcast, sim->port()));
    std::vector<SimDatagram> replies = client.collect(30, kReplyWaitMs);
    QCOMPARE(replies.size(), size_t(30));
    QCOMPARE(viewReply(replies[0].bytes).value("Mode"), std::string("Upgrade"));
    QCOMPARE(QByteArray(sim->terminal(29).Mode), QByteArray("Upgrade"));

    QVERIFY(client.send(text(BuildResetAllRequest(3, 1)), kLoopbackBroadcast, sim->port()));
    QCOMPARE(client.collect(30, kReplyWaitMs).size(), size_t(30));
    for (int i = 0; i < 30; ++i) {
        QCOMPARE(QByteArray(sim->terminal(i).Mode), QByteArray("Normal"));
        QCOMPARE(sim->rebootCount(i), 1);
    }
}

QTEST_GUILESS_MAIN(SimSettingsTest)
#include "tst_sim_settings.moc"
