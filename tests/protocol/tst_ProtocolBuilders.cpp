// The eight request builders against the exact bytes terminals expect.
#include "ProtocolTestSupport.h"

#include <QtTest>

using protocol_test::bytes;

namespace {

template <std::size_t N>
void set(char (&field)[N], const char* value)
{
    qstrncpy(field, value, N);
}

// A record as the settings dialog hands it over, with the fields a SET
// never sends (Ver, Mode, Name, volumes, sender) filled in as well.
TerminalParam typicalRecord()
{
    TerminalParam p;
    p.ID = 12;
    p.NewID = 15;
    p.CSeq = 301;
    p.Address = 0x7f000002;
    p.Port = 59137;
    set(p.Type, "T6201");
    set(p.Ver, "2.1.7");
    set(p.MAC, "00-1A-2B-3C-4D-5F");
    set(p.OldMAC, "00-1A-2B-3C-4D-5E");
    set(p.IP, "10.1.2.3");
    set(p.Mask, "255.255.255.0");
    set(p.Gateway, "10.1.2.254");
    set(p.Server, "10.1.2.1");
    set(p.Server2, "10.1.2.9");
    set(p.DNS1, "10.1.2.53");
    set(p.DNS2, "8.8.4.4");
    set(p.Website, "www.example.com");
    set(p.Mode, "normal");
    p.ServerPort = 2048;
    p.Server2Port = 2049;
    p.UseDNS = 1;
    p.Reboot = 1;
    p.IsBroadcast = 1;
    p.Speed = 100;
    p.Treble = 3;
    p.Bass = 4;
    p.PlayVol = 9;
    p.CaptureVol = 8;
    set(p.SvcConfig, " a=1 b=2");
    set(p.Name, "Hall");
    return p;
}

// The SET of an otherwise cleared record: its request line's ID, model and
// MAC, its model, its server lines, tone and reboot code.
QByteArray bareSet(const QByteArray& names, const QByteArray& type, const QByteArray& servers,
                   const QByteArray& tone = "Treble: 0\r\nBass: 0", const QByteArray& reboot = "0")
{
    return names + " DBP/1.0\r\nCSeq: 0\r\nType: " + type + "\r\nID: 0\r\n" + servers
           + "IsBroadcast: 0\r\nSpeed: 0\r\nUseDNS: 0\r\nAutoIP: 0\r\n" + tone + "\r\nReboot: " + reboot
           + "\r\nReboot: HReset," + reboot + "\r\n\r\n";
}

}  // namespace

class ProtocolBuilders : public QObject {
    Q_OBJECT

private slots:
    void builds_data();
    void builds();
    void missingInputGivesNoMessage();
};

void ProtocolBuilders::builds_data()
{
    QTest::addColumn<QByteArray>("actual");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("get broadcast") << bytes(BuildGetRequest(1, 1))
                                   << QByteArray("GET DBP/1.0\r\nCSeq: 1\r\nIsBroadcast: 1\r\n\r\n");
    QTest::newRow("get unicast, widest cseq") << bytes(BuildGetRequest(65535, 0))
                                              << QByteArray("GET DBP/1.0\r\nCSeq: 65535\r\nIsBroadcast: 0\r\n\r\n");

    TerminalParam p = typicalRecord();
    QTest::newRow("set, every line")
        << bytes(BuildSetRequest(&p))
        << QByteArray("12 T6201 00-1A-2B-3C-4D-5E DBP/1.0\r\nCSeq: 301\r\nType: T6201\r\nID: 15\r\n"
                      "MAC: 00-1A-2B-3C-4D-5F\r\nIP: 10.1.2.3\r\nMask: 255.255.255.0\r\nGateway: 10.1.2.254\r\n"
                      "Server: 10.1.2.1:2048\r\nServer2: 10.1.2.9:2049\r\n"
                      "DNS1: 10.1.2.53\r\nDNS2: 8.8.4.4\r\nWebsite: www.example.com\r\n"
                      "IsBroadcast: 1\r\nSpeed: 100\r\nUseDNS: 1\r\nAutoIP: 0\r\nTreble: 3\r\nBass: 4\r\n"
                      "Reboot: 1\r\nReboot: HReset,1\r\nSvcConfig:  a=1 b=2\r\n\r\n");
    QTest::newRow("reboot names the current MAC")
        << bytes(BuildRebootRequest(&p, 2))
        << QByteArray("12 T6201 00-1A-2B-3C-4D-5F DBP/1.0\r\nCSeq: 301\r\nType: T6201\r\nReboot: 2\r\n\r\n");

    const TerminalParam cleared;
    QTest::newRow("set, cleared record") << bytes(BuildSetRequest(&cleared)) << bareSet("0  ", "", "Server2: :0\r\n");
    QTest::newRow("reboot, cleared record, code 255")
        << bytes(BuildRebootRequest(&cleared, 255)) << QByteArray("0   DBP/1.0\r\nCSeq: 0\r\nType: \r\nReboot: 255\r\n\r\n");

    p = TerminalParam();
    set(p.Server, "10.0.0.1");
    p.ServerPort = 80;
    p.Server2Port = 81;
    QTest::newRow("set, second server falls back to the first")
        << bytes(BuildSetRequest(&p)) << bareSet("0  ", "", "Server: 10.0.0.1:80\r\nServer2: 10.0.0.1:80\r\n");
    p.Server[0] = '\0';
    QTest::newRow("set, no servers: empty host with the first port")
        << bytes(BuildSetRequest(&p)) << bareSet("0  ", "", "Server2: :80\r\n");
    set(p.Server2, "srv2.local");
    QTest::newRow("set, second server only") << bytes(BuildSetRequest(&p)) << bareSet("0  ", "", "Server2: srv2.local:81\r\n");

    p = TerminalParam();
    set(p.Type, "M1");
    set(p.OldMAC, "AA-BB-CC-DD-EE-FF");
    p.Treble = -5;
    p.Bass = -128;
    p.Reboot = 3;
    QTest::newRow("set, negative tone, reboot code twice")
        << bytes(BuildSetRequest(&p)) << bareSet("0 M1 AA-BB-CC-DD-EE-FF", "M1", "Server2: :0\r\n", "Treble: -5\r\nBass: -128", "3");

    QTest::newRow("reset all") << bytes(BuildResetAllRequest(4, 1))
                               << QByteArray("SET DBP/1.0\r\nCSeq: 4\r\nResetAll: 1\r\nIsBroadcast: 1\r\n\r\n");
    QTest::newRow("update all") << bytes(BuildUpdateAllRequest(5, 0))
                                << QByteArray("SET DBP/1.0\r\nCSeq: 5\r\nUpdateAll: 1\r\nIsBroadcast: 0\r\n\r\n");
    QTest::newRow("server for all") << bytes(BuildServerRequest("10.9.8.7", 6, 1))
                                    << QByteArray("SET DBP/1.0\r\nCSeq: 6\r\nServer: 10.9.8.7:0\r\nIsBroadcast: 1\r\n\r\n");
    const QByteArray longServer(5000, 'h');
    QTest::newRow("server for all, long text sent whole")
        << bytes(BuildServerRequest(longServer.constData(), 65535, 1))
        << "SET DBP/1.0\r\nCSeq: 65535\r\nServer: " + longServer + ":0\r\nIsBroadcast: 1\r\n\r\n";

    QTest::newRow("tone") << bytes(BuildToneRequest(65535, -128, 127, -1))
                          << QByteArray("SETTING DBP/1.0\r\nCSeq: 65535\r\nTreble: -128\r\nBass: 127\r\n"
                                        "PlayVol: -1\r\nReboot: 5\r\n\r\n");
    QTest::newRow("volume") << bytes(BuildVolumeRequest(8, 30, -3))
                            << QByteArray("SETTING DBP/1.0\r\nCSeq: 8\r\nPlayVol: 30\r\nCaptureVol: -3\r\nReboot: 5\r\n\r\n");
}

void ProtocolBuilders::builds()
{
    QFETCH(QByteArray, actual);
    QFETCH(QByteArray, expected);
    QCOMPARE(actual, expected);
}

void ProtocolBuilders::missingInputGivesNoMessage()
{
    QVERIFY(!BuildSetRequest(nullptr));
    QVERIFY(!BuildRebootRequest(nullptr, 2));
    QVERIFY(!BuildServerRequest(nullptr, 1, 1));
}

QTEST_APPLESS_MAIN(ProtocolBuilders)
#include "tst_ProtocolBuilders.moc"
