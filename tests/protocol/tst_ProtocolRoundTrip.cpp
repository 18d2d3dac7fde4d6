// A SET read back as a reply gives back every field that travels both ways;
// SETs of records at full capacity are composed whole.
#include "ProtocolTestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

using protocol_test::parseDatagram;

namespace {

// Characters of a value read as one word, and of texts that may hold blanks
// (server hosts also leave out the ':' that ends them).
const QByteArray kWordChars =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_:/=,;!?#@\x80\xe5\xff";
const QByteArray kHostChars = "abcdefghijklmnopqrstuvwxyz0123456789.- \t";
const QByteArray kConfigChars = "abcdefghijklmnopqrstuvwxyz0123456789=,;: \t\xe5";

// A text of 0 .. size-1 characters drawn from `chars`.
void fill(char* field, int size, QRandomGenerator& random, const QByteArray& chars)
{
    const int length = random.bounded(size);
    for (int i = 0; i < length; ++i)
        field[i] = chars[random.bounded(chars.size())];
    field[length] = '\0';
}

TerminalParam randomRecord(QRandomGenerator& random)
{
    TerminalParam p;
    for (char* field : {p.Type, p.MAC, p.OldMAC, p.IP, p.Mask, p.Gateway, p.DNS1, p.DNS2})
        fill(field, 32, random, kWordChars);
    fill(p.Website, sizeof p.Website, random, kWordChars);
    fill(p.SvcConfig, sizeof p.SvcConfig, random, kConfigChars);
    for (char* host : {p.Server, p.Server2}) {
        fill(host, 32, random, kHostChars);
        host[0] = host[0] ? 'h' : '\0';  // a blank right after "Server: " would be skipped
    }
    p.ID = int32_t(random.generate());
    p.NewID = int32_t(random.generate());
    p.CSeq = uint16_t(random.generate());
    p.ServerPort = uint16_t(random.generate());
    p.Server2Port = uint16_t(random.generate());
    p.UseDNS = uint8_t(random.bounded(3));
    p.AutoIP = uint8_t(random.generate());
    p.Reboot = uint8_t(random.generate());
    p.IsBroadcast = uint8_t(random.generate());
    const uint16_t speeds[] = {0, 10, 100, 1000, 65535};
    p.Speed = speeds[random.bounded(5)];
    p.Treble = int8_t(random.generate());
    p.Bass = int8_t(random.generate());
    return p;
}

// What a terminal's reply would carry for the fields a SET sends.
TerminalParam expectedReply(const TerminalParam& sent)
{
    TerminalParam r;
    r.ID = sent.NewID;
    r.CSeq = sent.CSeq;
    qstrcpy(r.Type, sent.Type);
    qstrcpy(r.MAC, sent.MAC);
    qstrcpy(r.IP, sent.IP);
    qstrcpy(r.Mask, sent.Mask);
    qstrcpy(r.Gateway, sent.Gateway);
    qstrcpy(r.DNS1, sent.DNS1);
    qstrcpy(r.DNS2, sent.DNS2);
    qstrcpy(r.Website, sent.Website);
    if (sent.Server[0]) {
        qstrcpy(r.Server, sent.Server);
        r.ServerPort = sent.ServerPort;
    }
    // The second server line repeats the first server when there is none;
    // an empty host is not read back at all.
    const bool own = sent.Server2[0] != '\0';
    if (own || sent.Server[0]) {
        qstrcpy(r.Server2, own ? sent.Server2 : sent.Server);
        r.Server2Port = own ? sent.Server2Port : sent.ServerPort;
    }
    r.UseDNS = sent.UseDNS != 0;
    r.AutoIP = sent.AutoIP != 0;
    r.Speed = (sent.Speed == 0 || sent.Speed == 10 || sent.Speed == 100) ? sent.Speed : 0;
    r.Treble = sent.Treble;
    r.Bass = sent.Bass;
    // The reader keeps the blank after the colon, so one character of a
    // full-length configuration falls off the end.
    if (sent.SvcConfig[0])
        qsnprintf(r.SvcConfig, sizeof r.SvcConfig, " %s", sent.SvcConfig);
    return r;
}

// Builds the SET, echoes it as a terminal would (a status line in place of
// the request line) and reads it back; "" when every field came back.
QByteArray roundTrip(const TerminalParam& sent)
{
    const QByteArray set = protocol_test::bytes(BuildSetRequest(&sent));
    if (!set.endsWith("\r\n\r\n") || set.size() > 880)
        return "not a whole SET within the bound: " + set;
    TerminalParam reply;
    if (parseDatagram("DBP/1.0 200 OK\r\n" + set.mid(set.indexOf("\r\n") + 2), &reply) != 200
        || reply.Address != protocol_test::kSenderAddress)
        return "not read as a reply from its sender: " + set;
    const QByteArray got = recordText(reply);
    const QByteArray want = recordText(expectedReply(sent));
    return got == want ? QByteArray() : "got " + got + "\nwant " + want + "\nfrom " + set;
}

}  // namespace

class ProtocolRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void fullCapacitySet();
    void randomRecords_data();
    void randomRecords();
};

void ProtocolRoundTrip::fullCapacitySet()
{
    TerminalParam p;
    char letter = 'A';
    for (char* field : {p.Type, p.MAC, p.OldMAC, p.IP, p.Mask, p.Gateway, p.Server, p.Server2, p.DNS1, p.DNS2})
        std::memset(field, letter++, 31);
    std::memset(p.Website, 'W', 127);
    std::memset(p.SvcConfig, 'C', 127);
    p.ID = p.NewID = INT32_MIN;
    p.CSeq = p.ServerPort = p.Speed = 65535;
    p.Server2Port = 65534;
    p.UseDNS = p.AutoIP = p.Reboot = p.IsBroadcast = 255;
    p.Treble = p.Bass = -128;

    auto text = [](char c, int n) { return QByteArray(n, c); };
    const QByteArray expected =
        "-2147483648 " + text('A', 31) + ' ' + text('C', 31) + " DBP/1.0\r\nCSeq: 65535\r\nType: " + text('A', 31)
        + "\r\nID: -2147483648\r\nMAC: " + text('B', 31) + "\r\nIP: " + text('D', 31) + "\r\nMask: " + text('E', 31)
        + "\r\nGateway: " + text('F', 31) + "\r\nServer: " + text('G', 31) + ":65535\r\nServer2: " + text('H', 31)
        + ":65534\r\nDNS1: " + text('I', 31) + "\r\nDNS2: " + text('J', 31) + "\r\nWebsite: " + text('W', 127)
        + "\r\nIsBroadcast: 255\r\nSpeed: 65535\r\nUseDNS: 255\r\nAutoIP: 255\r\nTreble: -128\r\n"
          "Bass: -128\r\nReboot: 255\r\nReboot: HReset,255\r\nSvcConfig: " + text('C', 127) + "\r\n\r\n";

    const QByteArray set = protocol_test::bytes(BuildSetRequest(&p));
    QCOMPARE(set, expected);
    // The widest SET there is: the builder's buffer holds exactly this and its terminator.
    QCOMPARE(set.size(), 880);
    QCOMPARE(roundTrip(p), QByteArray());
}

void ProtocolRoundTrip::randomRecords_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 20240611u, 0xdb9u, 0xfffffffeu})
        QTest::newRow(QByteArray::number(seed)) << seed;
}

void ProtocolRoundTrip::randomRecords()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    for (int i = 0; i < 1000; ++i) {
        const TerminalParam sent = randomRecord(random);
        const QByteArray difference = roundTrip(sent);
        QVERIFY2(difference.isEmpty(), qPrintable(QString("record %1: %2").arg(i).arg(QString(difference))));
    }
}

QTEST_APPLESS_MAIN(ProtocolRoundTrip)
#include "tst_ProtocolRoundTrip.moc"
