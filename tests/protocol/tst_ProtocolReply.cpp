// Reading replies: header lookup and every value handler, with the malformed
// and oversized datagrams a LAN can deliver.
#include "ProtocolTestSupport.h"

#include <QtTest>

using protocol_test::parseDatagram;

namespace {

const QByteArray kOk = "DBP/1.0 200 OK\r\n";

QByteArray run(char c, int count) { return QByteArray(count, c); }

}  // namespace

class ProtocolReply : public QObject {
    Q_OBJECT

private slots:
    void findHeader_data();
    void findHeader();
    void parse_data();
    void parse();
    void nothingGivenIsNoReply();
};

void ProtocolReply::findHeader_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("index");
    // A key shared by two entries finds the reading one, the first.
    QTest::newRow("first entry") << QByteArray("CSeq: 1\r\n") << 0;
    QTest::newRow("Server") << QByteArray("Server: a:1\r\n") << 8;
    QTest::newRow("Server2 is not Server") << QByteArray("Server2: a:1\r\n") << 10;
    QTest::newRow("Website") << QByteArray("Website: w\r\n") << 14;
    QTest::newRow("last reply key") << QByteArray("ResetAll: 1\r\n") << 30;
    QTest::newRow("key alone, end of text") << QByteArray("Name:") << 24;
    QTest::newRow("no blank after the colon") << QByteArray("IP:1.2.3.4\r\n") << 5;
    QTest::newRow("no colon") << QByteArray("CSeq 5\r\n") << kNoHeader;
    QTest::newRow("case counts") << QByteArray("cseq: 5\r\n") << kNoHeader;
    QTest::newRow("leading blank") << QByteArray(" CSeq: 5\r\n") << kNoHeader;
    QTest::newRow("status line") << QByteArray("DBP/1.0 200 OK\r\n") << kNoHeader;
    QTest::newRow("empty text") << QByteArray("") << kNoHeader;
}

void ProtocolReply::findHeader()
{
    QFETCH(QByteArray, line);
    QFETCH(int, index);
    QCOMPARE(FindHeader(line.constData()), index);
}

void ProtocolReply::parse_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("record");

    // Status line.
    QTest::newRow("status and CSeq only") << kOk + "CSeq: 12\r\n" << 200 << QByteArray("CSeq=12");
    QTest::newRow("no reason word") << QByteArray("DBP/1.0 200\r\nCSeq: 5\r\nIP: 1.1.1.1\r\n") << 0 << QByteArray();
    QTest::newRow("no reason word, no line end") << QByteArray("DBP/1.0 200") << 0 << QByteArray();
    QTest::newRow("no status code") << QByteArray("DBP/1.0 OK\r\nCSeq: 5\r\n") << 0 << QByteArray();
    QTest::newRow("other protocol") << QByteArray("HTTP/1.1 200 OK\r\nCSeq: 1\r\n") << 0 << QByteArray();
    QTest::newRow("empty datagram") << QByteArray() << 0 << QByteArray();
    QTest::newRow("blanks around the code may be absent")
        << QByteArray("DBP/1.0200\tOK\r\nCSeq: 3\r\n") << 200 << QByteArray("CSeq=3");
    QTest::newRow("status only, no line end") << QByteArray("DBP/1.0 200 OK") << 200 << QByteArray();
    QTest::newRow("reason word of 5000 characters")
        << "DBP/1.0 200 " + run('R', 5000) + "\r\nCSeq: 2\r\n" << 200 << QByteArray("CSeq=2");
    QTest::newRow("404 is read like 200")
        << QByteArray("DBP/1.0 404 NotFound\r\nCSeq: 7\r\nIP: 10.0.0.4\r\n") << 200
        << QByteArray("CSeq=7; IP=\"10.0.0.4\"");
    QTest::newRow("400 applies only CSeq")
        << QByteArray("DBP/1.0 400 Bad\r\nIP: 10.0.0.4\r\nCSeq: 8\r\nName: x\r\nSpeed: 10\r\n") << 400
        << QByteArray("CSeq=8");
    QTest::newRow("status code keeps its low 32 bits")
        << QByteArray("DBP/1.0 4294967696 OK\r\nIP: 10.0.0.4\r\nCSeq: 2\r\n") << 400 << QByteArray("CSeq=2");

    // Numbers.
    QTest::newRow("signs, blanks and trailing text")
        << kOk + "ID: -42\r\nCSeq:\t 7\r\nTreble:+5\r\nBass: 3abc\r\n" << 200
        << QByteArray("ID=-42; CSeq=7; Treble=5; Bass=3");
    QTest::newRow("sign without digits") << kOk + "ID: -\r\nCSeq: - 5\r\n" << 200 << QByteArray();
    QTest::newRow("ID just past int32") << kOk + "ID: 2147483648\r\n" << 200 << QByteArray("ID=-2147483648");
    QTest::newRow("ID of twenty digits") << kOk + "ID: 99999999999999999999\r\n" << 200
                                         << QByteArray("ID=1661992959");
    QTest::newRow("number never from the next line") << kOk + "CSeq:\r\n5\r\nID: \r\n6\r\n" << 200 << QByteArray();
    QTest::newRow("CSeq low 16 bits") << kOk + "CSeq: 65537\r\n" << 200 << QByteArray("CSeq=1");
    QTest::newRow("flags: non-zero is 1") << kOk + "UseDNS: 7\r\nAutoIP: -1\r\n" << 200 << QByteArray("UseDNS=1; AutoIP=1");
    QTest::newRow("flags: 256 is non-zero, 0 is 0") << kOk + "UseDNS: 256\r\nAutoIP: 0\r\n" << 200 << QByteArray("UseDNS=1");
    QTest::newRow("Speed 10") << kOk + "Speed: 10\r\n" << 200 << QByteArray("Speed=10");
    QTest::newRow("Speed 1000 is 0") << kOk + "Speed: 1000\r\n" << 200 << QByteArray();
    QTest::newRow("Speed after 16-bit cut") << kOk + "Speed: 65636\r\n" << 200 << QByteArray("Speed=100");
    QTest::newRow("8-bit values")
        << kOk + "PlayVol: 300\r\nTreble: -5\r\nBass: 200\r\nCaptureVol: -129\r\n" << 200
        << QByteArray("Treble=-5; Bass=-56; PlayVol=44; CaptureVol=127");

    // Words.
    QTest::newRow("only the first word") << kOk + "Type: ABC DEF\r\nMode: \tauto x\r\n" << 200
                                         << QByteArray("Type=\"ABC\"; Mode=\"auto\"");
    QTest::newRow("every word header")
        << kOk + "Type: T1\r\nVer: 1.0\r\nMAC: 00-11-22-33-44-55\r\nIP: 10.0.0.2\r\nMask: 255.0.0.0\r\n"
                 "Gateway: 10.0.0.1\r\nDNS1: 10.0.0.53\r\nDNS2: 10.0.0.54\r\nMode: m\r\n"
                 "Website: w.example\r\nName: N\r\n"
        << 200
        << QByteArray("Type=\"T1\"; Ver=\"1.0\"; MAC=\"00-11-22-33-44-55\"; IP=\"10.0.0.2\"; "
                      "Mask=\"255.0.0.0\"; Gateway=\"10.0.0.1\"; DNS1=\"10.0.0.53\"; DNS2=\"10.0.0.54\"; "
                      "Website=\"w.example\"; Mode=\"m\"; Name=\"N\"");
    QTest::newRow("value ends at a lone CR") << kOk + "IP: 1.2\r3.4\r\n" << 200 << QByteArray("IP=\"1.2\"");
    QTest::newRow("empty values") << kOk + "Website: \r\nDNS1: \r\nDNS2: 8.8.8.8\r\n" << 200
                                  << QByteArray("DNS2=\"8.8.8.8\"");
    QTest::newRow("word never from the next line") << kOk + "IP:\r\nMask: 255.0.0.0\r\n" << 200
                                                   << QByteArray("Mask=\"255.0.0.0\"");
    QTest::newRow("later line wins") << kOk + "IP: 1.1.1.1\r\nIP: 2.2.2.2\r\n" << 200 << QByteArray("IP=\"2.2.2.2\"");
    QTest::newRow("empty value keeps the earlier one") << kOk + "IP: 1.1.1.1\r\nIP: \r\n" << 200
                                                       << QByteArray("IP=\"1.1.1.1\"");
    QTest::newRow("8-bit text kept verbatim") << kOk + "Name: \xe5\xa4\xa7\xe5\x8e\x85\r\n" << 200
                                              << QByteArray("Name=\"\xe5\xa4\xa7\xe5\x8e\x85\"");
    QTest::newRow("Website with a short line") << kOk + "Website: a" << 200 << QByteArray();
    QTest::newRow("Website of one character") << kOk + "Website: a\r\n" << 200 << QByteArray("Website=\"a\"");
    QTest::newRow("Website without its blank") << kOk + "Website:x\r\n" << 200 << QByteArray();
    QTest::newRow("Name without value is --") << kOk + "Name:\r\n" << 200 << QByteArray("Name=\"--\"");

    // Servers.
    QTest::newRow("Server with port") << kOk + "Server: 10.0.0.1:8080\r\n" << 200
                                      << QByteArray("Server=\"10.0.0.1\"; ServerPort=8080");
    QTest::newRow("Server without port") << kOk + "Server: 10.0.0.1\r\n" << 200 << QByteArray();
    QTest::newRow("Server with empty host") << kOk + "Server: :80\r\n" << 200 << QByteArray();
    QTest::newRow("Server port on the next line") << kOk + "Server: host\r\n:80\r\n" << 200 << QByteArray();
    QTest::newRow("Server host with blanks") << kOk + "Server:  my host :80\r\n" << 200
                                             << QByteArray("Server=\"my host \"; ServerPort=80");
    QTest::newRow("Server port low 16 bits") << kOk + "Server: h:70000\r\n" << 200
                                             << QByteArray("Server=\"h\"; ServerPort=4464");
    QTest::newRow("Server and Server2 apart")
        << kOk + "Server2: b:2\r\nServer: a:1\r\n" << 200
        << QByteArray("Server=\"a\"; Server2=\"b\"; ServerPort=1; Server2Port=2");

    // Service configuration.
    QTest::newRow("SvcConfig keeps its leading blank") << kOk + "SvcConfig: a=1 b=2\r\n" << 200
                                                       << QByteArray("SvcConfig=\" a=1 b=2\"");
    QTest::newRow("SvcConfig keeps colons") << kOk + "SvcConfig:x:y z\r\n" << 200 << QByteArray("SvcConfig=\"x:y z\"");
    QTest::newRow("SvcConfig empty") << kOk + "SvcConfig:\r\n" << 200 << QByteArray();
    QTest::newRow("SvcConfig without line end") << kOk + "SvcConfig: a=1" << 200 << QByteArray();
    QTest::newRow("SvcConfig emptied by a later line") << kOk + "SvcConfig: a=1\r\nSvcConfig: b" << 200 << QByteArray();

    // Walking the lines.
    QTest::newRow("lines after the empty line") << kOk + "CSeq: 1\r\n\r\nIP: 1.2.3.4\r\n" << 200
                                                << QByteArray("CSeq=1; IP=\"1.2.3.4\"");
    QTest::newRow("last line without line end") << kOk + "CSeq: 4" << 200 << QByteArray("CSeq=4");
    QTest::newRow("LF-only lines are one line") << QByteArray("DBP/1.0 200 OK\nCSeq: 4\nID: 5\n") << 200 << QByteArray();
    QTest::newRow("ignored and unknown lines")
        << kOk + "Reboot: 1\r\nReboot: HReset,1\r\nSN: 123\r\nIsBroadcast: 1\r\nUpdateAll: 1\r\n"
                 "ResetAll: 1\r\nFoo: bar\r\n CSeq: 3\r\ncseq: 4\r\n"
        << 200 << QByteArray();

    // Oversized values are cut to their field.
    QTest::newRow("word of exactly 31") << kOk + "Type: " + run('t', 31) + "\r\n" << 200 << "Type=\"" + run('t', 31) + '"';
    QTest::newRow("word one longer than its field")
        << kOk + "Type: " + run('t', 32) + "\r\nMAC: " + run('m', 32) + "\r\n" << 200
        << "Type=\"" + run('t', 31) + "\"; MAC=\"" + run('m', 31) + '"';
    QTest::newRow("Website of 128") << kOk + "Website: " + run('w', 128) + "\r\n" << 200 << "Website=\"" + run('w', 127) + '"';
    QTest::newRow("SvcConfig of 128") << kOk + "SvcConfig:" + run('s', 128) + "\r\n" << 200
                                      << "SvcConfig=\"" + run('s', 127) + '"';
    QTest::newRow("host of 32, port still read") << kOk + "Server2: " + run('h', 32) + ":82\r\n" << 200
                                                 << "Server2=\"" + run('h', 31) + "\"; Server2Port=82";
    QTest::newRow("long Name cut") << kOk + "Name: " + run('n', 300) << 200 << "Name=\"" + run('n', 31) + '"';

    // Embedded zero bytes end the text.
    QTest::newRow("zero byte ends the datagram")
        << kOk + "CSeq: 4\r\n" + QByteArray(1, '\0') + "IP: 1.2.3.4\r\n" << 200 << QByteArray("CSeq=4");
    QTest::newRow("zero byte inside a value") << kOk + "IP: 1.2" + QByteArray(1, '\0') + ".3.4\r\n" << 200
                                              << QByteArray("IP=\"1.2\"");
    QTest::newRow("zero byte in the status line")
        << QByteArray("DBP/1.0 2") + QByteArray(1, '\0') + "00 OK\r\nCSeq: 1\r\n" << 0 << QByteArray();

    // Datagrams of the largest size the receiver takes.
    const QByteArray head = kOk + "CSeq: 9\r\n";
    QTest::newRow("1024 bytes, long last name")
        << head + "Name: " + run('x', 1024 - head.size() - 6) << 200 << "CSeq=9; Name=\"" + run('x', 31) + '"';
    QTest::newRow("1024 bytes, SvcConfig without line end")
        << head + "SvcConfig: " + run('c', 1024 - head.size() - 11) << 200 << QByteArray("CSeq=9");
    QTest::newRow("1024 bytes ending in CR LF")
        << head + "Website: " + run('w', 1024 - head.size() - 11) + "\r\n" << 200
        << "CSeq=9; Website=\"" + run('w', 127) + '"';
    QTest::newRow("1024 bytes of line ends") << kOk + run('\n', 1024 - kOk.size()) << 200 << QByteArray();
}

void ProtocolReply::parse()
{
    QFETCH(QByteArray, datagram);
    QFETCH(int, result);
    QFETCH(QByteArray, record);

    TerminalParam reply;
    QCOMPARE(parseDatagram(datagram, &reply), result);
    QCOMPARE(recordText(reply), record);
    QCOMPARE(reply.Address, protocol_test::kSenderAddress);
    QCOMPARE(reply.Port, protocol_test::kSenderPort);
}

void ProtocolReply::nothingGivenIsNoReply()
{
    TerminalParam reply;
    QCOMPARE(ParseReply(nullptr, &reply), 0);
    QCOMPARE(ParseReply("DBP/1.0 200 OK\r\nCSeq: 1\r\n", nullptr), 0);
    QCOMPARE(FindHeader(nullptr), kNoHeader);
}

QTEST_APPLESS_MAIN(ProtocolReply)
#include "tst_ProtocolReply.moc"
