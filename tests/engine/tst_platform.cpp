// The OS layer: address conversion, the socket's receive buffer, and the
// socket layer's start-up and shut-down (the engine tests cover the rest).
#include "platform/Ipv4Address.h"
#include "platform/SocketLayer.h"
#include "platform/UdpSocket.h"

#include <QtTest>

#include <future>
#include <unistd.h>

namespace {

// WaitReadable on another thread, so a test can watch it end.
std::future<UdpSocket::Wait> waitInBackground(UdpSocket& socket)
{
    return std::async(std::launch::async, [&socket] { return socket.WaitReadable(-1); });
}

bool finishes(std::future<UdpSocket::Wait>& wait, int ms)
{
    return wait.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
}

// Root of the initial user namespace: the only one the kernel lets exceed
// net.core.rmem_max.
bool mayExceedBufferCap()
{
    QFile map("/proc/self/uid_map");
    return geteuid() == 0 && map.open(QIODevice::ReadOnly) && map.readLine().simplified() == "0 0 4294967295";
}

int bufferCap()
{
    QFile cap("/proc/sys/net/core/rmem_max");
    return cap.open(QIODevice::ReadOnly) ? cap.readAll().trimmed().toInt() : 0;
}

}  // namespace

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void addressFromText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("expected");
        QTest::newRow("dotted") << QByteArray("192.168.1.20") << 0xC0A80114u;
        QTest::newRow("short form") << QByteArray("127.1") << 0x7F000001u;
        QTest::newRow("hexadecimal part") << QByteArray("0x7f.0.0.1") << 0x7F000001u;
        QTest::newRow("limited broadcast") << QByteArray("255.255.255.255") << kIpv4None;
        QTest::newRow("number above 255") << QByteArray("999.1.1.1") << kIpv4None;
        QTest::newRow("five parts") << QByteArray("1.2.3.4.5") << kIpv4None;
        QTest::newRow("word") << QByteArray("terminal") << kIpv4None;
        QTest::newRow("empty") << QByteArray("") << kIpv4None;
    }
    void addressFromText()
    {
        QFETCH(QByteArray, text);
        QFETCH(uint, expected);
        QCOMPARE(Ipv4FromText(text.constData()), expected);
        QCOMPARE(Ipv4FromText(nullptr), kIpv4None);
    }

    void openBindsAPortWithALargeBuffer()
    {
        QVERIFY(SocketLayerStartup());
        UdpSocket socket;
        QVERIFY(socket.Open(0));
        QVERIFY(socket.LocalPort() != 0);
        // The system's cap applies unless the caller may exceed it.
        const int expected = mayExceedBufferCap() ? UdpSocket::kReceiveBufferBytes
                                                  : std::min(UdpSocket::kReceiveBufferBytes, bufferCap());
        QVERIFY2(socket.ReceiveBufferSize() >= expected, qPrintable(QString::number(socket.ReceiveBufferSize())));
        socket.Close();
        QCOMPARE(socket.LocalPort(), uint16_t(0));
        QVERIFY(SocketLayerShutdown());
    }

    void lastLayerShutdownEndsEverySocket()
    {
        QVERIFY(!SocketLayerIsUp());
        QVERIFY(!SocketLayerShutdown());
        UdpSocket early;
        QVERIFY(!early.Open(0));  // no socket without the layer
        QVERIFY(SocketLayerStartup());
        QVERIFY(SocketLayerStartup());
        UdpSocket a;
        UdpSocket b;
        QVERIFY(a.Open(0));
        QVERIFY(b.Open(0));
        auto waitA = waitInBackground(a);
        auto waitB = waitInBackground(b);

        QVERIFY(SocketLayerShutdown());  // one start-up is still in force
        QVERIFY(!finishes(waitA, 150));
        QVERIFY(!finishes(waitB, 0));
        QVERIFY(!a.IsDown());

        QVERIFY(SocketLayerShutdown());
        QVERIFY(finishes(waitA, 5000));
        QVERIFY(finishes(waitB, 5000));
        QCOMPARE(waitA.get(), UdpSocket::Wait::Failed);
        QCOMPARE(waitB.get(), UdpSocket::Wait::Failed);
        QVERIFY(!SocketLayerIsUp());
        // Everything after the shut-down fails at once.
        QCOMPARE(a.WaitReadable(-1), UdpSocket::Wait::Failed);
        char buffer[8];
        uint32_t address;
        uint16_t port;
        QCOMPARE(a.ReceiveFrom(buffer, sizeof buffer, &address, &port), int(UdpSocket::kFailed));
        QCOMPARE(a.SendTo("x", 1, 0x7F000001u, 9), -1);
        UdpSocket late;
        QVERIFY(!late.Open(0));
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_platform.moc"
