// A SET read back as a reply gives back every field that travels both ways;
// SETs of records at full capacity are composed whole.
#include "ProtocolTestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

using protocol_test::describe;
using protocol_test::parseDatagram;

namespace {

const QByteArray kOk = "DBP/1.0 200 OK\r\n";

// Characters of a value read as one word, and of texts that may hold blanks
// (server hosts also leave out the ':' that ends them).
const QByteArray kWordChars =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_:/=,;!?#@\x80\xe5\xff";
const QByteArray kHostChars = "abcdefghijklmnopqrstuvwxyz0123456789.- \t";
const QByteArray kConfigChars = "abcdefghijklmnopqrstuvwxyz0123456789=,;: \t\xe5";

template <std::size_t N>
void fill(char (&field)[N], QRandomGenerator& random, const QByteArray& chars, bool leadingBlank = true)
{
    const int length = random.bounded(int(N));  // 0 .. N-1
    for (int i = 0; i < length; ++i)
        field[i] = chars[random.bounded(chars.size())];
    field[length] = '\0';
    if (!leadingBlank && length > 0)
        field[0] = 'h';  // a blank right after "Server: " would be skipped
}

TerminalParam randomRecord(QRandomGenerator& random)
{
    TerminalParam p;
    p.ID = int32_t(random.generate());
    p.NewID = int32_t(random.generate());
    p.CSeq = uint16_t(random.generate());
    fill(p.Type, random, kWordChars);
    fill(p.MAC, random, kWordChars);
    fill(p.OldMAC, random, kWordChars);
    fill(p.IP, random, kWordChars);
    fill(p.Mask, random, kWordChars);
    fill(p.Gateway, random, kWordChars);
    fill(p.Server, random, kHostChars, false);
    fill(p.Server2, random, kHostChars, false);
    fill(p.DNS1, random, kWordChars);
    fill(p.DNS2, random, kWordChars);
    fill(p.Website, random, kWordChars);
    fill(p.SvcConfig, random, kConfigChars);
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
    r.Address = protocol_test::kSenderAddress;
    r.Port = protocol_test::kSenderPort;
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

// The SET as a terminal would echo it: a status line instead of the request line.
QByteArray asReply(const QByteArray& set)
{
    return kOk + set.mid(set.indexOf("\r\n") + 2);
}

template <std::size_t N>
void fillWith(char (&field)[N], char c)
{
    std::memset(field, c, N - 1);
    field[N - 1] = '\0';
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
    p.ID = INT32_MIN;
    p.NewID = INT32_MIN;
    p.CSeq = 65535;
    fillWith(p.Type, 'T');
    fillWith(p.MAC, 'M');
    fillWith(p.OldMAC, 'O');
    fillWith(p.IP, 'I');
    fillWith(p.Mask, 'K');
    fillWith(p.Gateway, 'G');
    fillWith(p.Server, 'S');
    fillWith(p.Server2, 'E');
    fillWith(p.DNS1, '1');
    fillWith(p.DNS2, '2');
    fillWith(p.Website, 'W');
    fillWith(p.SvcConfig, 'C');
    p.ServerPort = 65535;
    p.Server2Port = 65534;
    p.UseDNS = 255;
    p.AutoIP = 255;
    p.Reboot = 255;
    p.IsBroadcast = 255;
    p.Speed = 65535;
    p.Treble = -128;
    p.Bass = -128;

    auto text = [](char c, int n) { return QByteArray(n, c); };
    const QByteArray expected =
        "-2147483648 " + text('T', 31) + ' ' + text('O', 31) + " DBP/1.0\r\n"
        + "CSeq: 65535\r\nType: " + text('T', 31) + "\r\nID: -2147483648\r\n"
        + "MAC: " + text('M', 31) + "\r\nIP: " + text('I', 31) + "\r\nMask: " + text('K', 31)
        + "\r\nGateway: " + text('G', 31) + "\r\nServer: " + text('S', 31) + ":65535\r\nServer2: "
        + text('E', 31) + ":65534\r\nDNS1: " + text('1', 31) + "\r\nDNS2: " + text('2', 31)
        + "\r\nWebsite: " + text('W', 127)
        + "\r\nIsBroadcast: 255\r\nSpeed: 65535\r\nUseDNS: 255\r\nAutoIP: 255\r\nTreble: -128\r\n"
          "Bass: -128\r\nReboot: 255\r\nReboot: HReset,255\r\nSvcConfig: "
        + text('C', 127) + "\r\n\r\n";

    const QByteArray set = protocol_test::bytes(BuildSetRequest(&p));
    QCOMPARE(set, expected);
    // The widest SET there is: the builder's buffer holds exactly this and its terminator.
    QCOMPARE(set.size(), 880);

    TerminalParam reply;
    QCOMPARE(parseDatagram(asReply(set), &reply), 200);
    QCOMPARE(describe(reply), describe(expectedReply(p)));
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
        const QByteArray set = protocol_test::bytes(BuildSetRequest(&sent));
        QVERIFY2(set.endsWith("\r\n\r\n"), set.constData());
        QVERIFY(set.size() <= 880);

        TerminalParam reply;
        QCOMPARE(parseDatagram(asReply(set), &reply), 200);
        const QByteArray got = describe(reply);
        const QByteArray want = describe(expectedReply(sent));
        if (got != want)
            qWarning("record %d of seed %u:\n%s", i, seed, set.constData());
        QCOMPARE(got, want);
        QCOMPARE(reply.Address, protocol_test::kSenderAddress);
    }
}

QTEST_APPLESS_MAIN(ProtocolRoundTrip)
#include "tst_ProtocolRoundTrip.moc"
