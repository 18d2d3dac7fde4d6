// The protocol core: the exact bytes of every request the builders make, and
// the reply reader's value rules. Test thread only.
#include "RecordText.h"
#include "net/DbpMessage.h"

#include <QtTest>

#include <cstring>
#include <memory>

namespace {

const QByteArray kOk = "DBP/1.0 200 OK\r\n";

QByteArray bytes(const DbpRequest& request)
{
    return request ? QByteArray(request.get()) : QByteArray("(none)");
}

QByteArray run(char c, int count)
{
    return QByteArray(count, c);
}

}  // namespace

class ProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void requestBytes_data()
    {
        QTest::addColumn<QByteArray>("actual");
        QTest::addColumn<QByteArray>("expected");
        // Every number distinct, so that a line written from another field shows.
        const TerminalParam p = record(
            "ID=12;NewID=15;CSeq=301;Type=T6201;Ver=2.1.7;MAC=00-1A-2B-3C-4D-5F;OldMAC=00-1A-2B-3C-4D-5E;"
            "IP=10.1.2.3;Mask=255.255.255.0;Gateway=10.1.2.254;Server=10.1.2.1;ServerPort=2048;Server2=10.1.2.9;"
            "Server2Port=2049;DNS1=10.1.2.53;DNS2=8.8.4.4;Website=www.example.com;Mode=m;UseDNS=1;AutoIP=2;"
            "Reboot=3;IsBroadcast=4;Speed=100;Treble=-5;Bass=6;PlayVol=9;CaptureVol=8;SvcConfig= a=1 b=2;Name=H");
        const QByteArray every
            = "12 T6201 00-1A-2B-3C-4D-5E DBP/1.0\r\nCSeq: 301\r\nType: T6201\r\nID: 15\r\nMAC: 00-1A-2B-3C-4D-5F\r\n"
              "IP: 10.1.2.3\r\nMask: 255.255.255.0\r\nGateway: 10.1.2.254\r\nServer: 10.1.2.1:2048\r\n"
              "Server2: 10.1.2.9:2049\r\nDNS1: 10.1.2.53\r\nDNS2: 8.8.4.4\r\nWebsite: www.example.com\r\n"
              "IsBroadcast: 4\r\nSpeed: 100\r\nUseDNS: 1\r\nAutoIP: 2\r\nTreble: -5\r\nBass: 6\r\nReboot: 3\r\n"
              "Reboot: HReset,3\r\nSvcConfig:  a=1 b=2\r\n\r\n";
        QTest::newRow("set: every line, each from its own field") << bytes(BuildSetRequest(&p)) << every;
        TerminalParam noSecond = p;
        noSecond.Server2[0] = '\0';
        QTest::newRow("set: no second server repeats the first")
            << bytes(BuildSetRequest(&noSecond))
            << QByteArray(every).replace("Server2: 10.1.2.9:2049", "Server2: 10.1.2.1:2048");
        QTest::newRow("reboot names the current MAC")
            << bytes(BuildRebootRequest(&p, 255))
            << QByteArray("12 T6201 00-1A-2B-3C-4D-5F DBP/1.0\r\nCSeq: 301\r\nType: T6201\r\nReboot: 255\r\n\r\n");
        QTest::newRow("get") << bytes(BuildGetRequest(65535, 1))
                             << QByteArray("GET DBP/1.0\r\nCSeq: 65535\r\nIsBroadcast: 1\r\n\r\n");
        QTest::newRow("reset all") << bytes(BuildResetAllRequest(4, 1))
                                   << QByteArray("SET DBP/1.0\r\nCSeq: 4\r\nResetAll: 1\r\nIsBroadcast: 1\r\n\r\n");
        QTest::newRow("update all") << bytes(BuildUpdateAllRequest(5, 0))
                                    << QByteArray("SET DBP/1.0\r\nCSeq: 5\r\nUpdateAll: 1\r\nIsBroadcast: 0\r\n\r\n");
        QTest::newRow("server for all: a long text sent whole")
            << bytes(BuildServerRequest(run('h', 5000), 6, 1))
            << "SET DBP/1.0\r\nCSeq: 6\r\nServer: " + run('h', 5000) + ":0\r\nIsBroadcast: 1\r\n\r\n";
        QTest::newRow("tone: negative values")
            << bytes(BuildToneRequest(7, -128, 127, -1))
            << QByteArray(
                   "SETTING DBP/1.0\r\nCSeq: 7\r\nTreble: -128\r\nBass: 127\r\nPlayVol: -1\r\nReboot: 5\r\n\r\n");
        QTest::newRow("volume") << bytes(BuildVolumeRequest(8, 30,
            -3)) << QByteArray("SETTING DBP/1.0\r\nCSeq: 8\r\nPlayVol: 30\r\nCaptureVol: -3\r\nReboot: 5\r\n\r\n");
    }

    void requestBytes()
    {
        QFETCH(QByteArray, actual);
        QFETCH(QByteArray, expected);
        QCOMPARE(actual, expected);
    }

    void replyValues_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("other protocol: no reply") << QByteArray("HTTP/1.1 200 OK\r\nCSeq: 1\r\n") << 0 << QByteArray();
        QTest::newRow("no reason word: no reply") << QByteArray("DBP/1.0 200\r\nCSeq: 5\r\n") << 0 << QByteArray();
        QTest::newRow("no status code: no reply") << QByteArray("DBP/1.0 OK\r\nCSeq: 5\r\n") << 0 << QByteArray();
        QTest::newRow("404 is read like 200") << QByteArray("DBP/1.0 404 NotFound\r\nCSeq: 7\r\nIP: 1.0.0.4\r\n") << 200
                                              << QByteArray("CSeq=7; IP=\"1.0.0.4\"");
        QTest::newRow("400 takes only CSeq")
            << QByteArray("DBP/1.0 400 Bad\r\nIP: 1.0.0.4\r\nCSeq: 8\r\nSpeed: 10\r\n") << 400 << QByteArray("CSeq=8");

        QTest::newRow("word never from the next line") << kOk + "IP:\r\nMask: 255.0.0.0\r\n"
                                                       << 200 << QByteArray("Mask=\"255.0.0.0\"");
        QTest::newRow("number never from the next line") << kOk + "CSeq:\r\n5\r\nID: \r\n6\r\n" << 200 << QByteArray();
        QTest::newRow("port never from the next line") << kOk + "Server: host\r\n:80\r\n" << 200 << QByteArray();
        QTest::newRow("value ends at a lone CR or LF") << kOk + "IP: 1.2\r3.4\r\nMask: 255\n0\r\n"
                                                       << 200 << QByteArray("IP=\"1.2\"; Mask=\"255\"");

        QTest::newRow("word cut to its field") << kOk + "MAC: " + run('m', 32) + "\r\nName: " + run('n', 300) << 200
                                               << "MAC=\"" + run('m', 31) + "\"; Name=\"" + run('n', 31) + '"';
        QTest::newRow("long texts cut to their field")
            << kOk + "Website: " + run('w', 128) + "\r\nSvcConfig:" + run('s', 128) + "\r\n"
            << 200 << "Website=\"" + run('w', 127) + "\"; SvcConfig=\"" + run('s', 127) + '"';
        QTest::newRow("server host cut, port still read") << kOk + "Server2: " + run('h', 32) + ":82\r\n"
                                                          << 200 << "Server2=\"" + run('h', 31) + "\"; Server2Port=82";

        QTest::newRow("Website guard: ten characters, at the end") << kOk + "Website: a" << 200 << QByteArray();
        QTest::newRow("Website guard: no blank after the colon") << kOk + "Website:x\r\n" << 200 << QByteArray();
        QTest::newRow("Website guard passes one character") << kOk + "Website: a\r\n"
                                                            << 200 << QByteArray("Website=\"a\"");
        QTest::newRow("Name without value is --") << kOk + "Name:\r\n" << 200 << QByteArray("Name=\"--\"");
        QTest::newRow("numbers keep their low bits")
            << kOk + "ID: 2147483648\r\nCSeq: 65537\r\nPlayVol: 300\r\nCaptureVol: -129\r\n"
            << 200 << QByteArray("ID=-2147483648; CSeq=1; PlayVol=44; CaptureVol=127");
    }

    // The datagram sits in a buffer of exactly its size and terminator, so that
    // the address sanitizer catches any read past it.
    void replyValues()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, result);
        QFETCH(QByteArray, record);
        std::unique_ptr<char[]> buffer(new char[size_t(datagram.size()) + 1]);
        std::memcpy(buffer.get(), datagram.constData(), size_t(datagram.size()) + 1);
        TerminalParam reply;
        QCOMPARE(ParseReply(buffer.get(), &reply), result);
        QCOMPARE(recordText(reply), record);
    }
};

QTEST_APPLESS_MAIN(ProtocolTest)
#include "tst_protocol.moc"
