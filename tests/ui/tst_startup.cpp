// Start-up and shut-down: the endpoint overrides of the environment, the
// warning when the engine's port is taken, and a clean shut-down while
// replies keep arriving (run it under the sanitizers too).
#include "app/EndpointOverrides.h"
#include "app/ProgramSession.h"
#include "net/NxNetControl.h"
#include "platform/SocketLayer.h"
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/main/PendingReplies.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(workDir.isValid());
        QVERIFY(QDir::setCurrent(workDir.path()));
        QVERIFY(SocketLayerStartup());
    }

    void cleanupTestCase() { SocketLayerShutdown(); }

    void endpointOverrides_data()
    {
        QTest::addColumn<QByteArray>("broadcast");
        QTest::addColumn<QByteArray>("terminalPort");
        QTest::addColumn<QByteArray>("localPort");
        QTest::addColumn<uint>("expectedBroadcast");
        QTest::addColumn<int>("expectedTerminalPort");
        QTest::addColumn<int>("expectedLocalPort");
        QTest::addColumn<int>("problems");

        const QByteArray unset;
        QTest::newRow("none") << unset << unset << unset << 0xFFFFFFFFu << 59137 << 59137 << 0;
        QTest::newRow("empty") << QByteArray("") << QByteArray("") << QByteArray("") << 0xFFFFFFFFu
                               << 59137 << 59137 << 0;
        QTest::newRow("all") << QByteArray("127.255.255.255") << QByteArray("40000")
                             << QByteArray("0") << 0x7FFFFFFFu << 40000 << 0 << 0;
        QTest::newRow("edges") << QByteArray("0.0.0.0") << QByteArray("65535") << QByteArray("1")
                               << 0u << 65535 << 1 << 0;
        QTest::newRow("octet 256") << QByteArray("127.0.0.256") << unset << unset << 0xFFFFFFFFu
                                   << 59137 << 59137 << 1;
        QTest::newRow("three parts") << QByteArray("127.0.1") << unset << unset << 0xFFFFFFFFu
                                     << 59137 << 59137 << 1;
        QTest::newRow("host name") << QByteArray("localhost") << unset << unset << 0xFFFFFFFFu
                                   << 59137 << 59137 << 1;
        QTest::newRow("blank inside") << QByteArray("127.0.0.1 ") << unset << unset
                                      << 0xFFFFFFFFu << 59137 << 59137 << 1;
        QTest::newRow("terminal port 0") << unset << QByteArray("0") << unset << 0xFFFFFFFFu
                                         << 59137 << 59137 << 1;
        QTest::newRow("port too big") << unset << QByteArray("65536") << QByteArray("99999")
                                      << 0xFFFFFFFFu << 59137 << 59137 << 2;
        QTest::newRow("port not a number") << unset << QByteArray("12ab") << QByteArray("-1")
                                           << 0xFFFFFFFFu << 59137 << 59137 << 2;
        QTest::newRow("one bad, others kept") << QByteArray("10.1.2.3.4") << QByteArray("5000")
                                              << QByteArray("5001") << 0xFFFFFFFFu << 5000 << 5001
                                              << 1;
    }

    void endpointOverrides()
    {
        QFETCH(QByteArray, broadcast);
        QFETCH(QByteArray, terminalPort);
        QFETCH(QByteArray, localPort);
        QFETCH(uint, expectedBroadcast);
        QFETCH(int, expectedTerminalPort);
        QFETCH(int, expectedLocalPort);
        QFETCH(int, problems);

        QStringList reported;
        const EndpointSettings settings = applyEndpointOverrides(
            EndpointSettings(), broadcast.isNull() ? nullptr : broadcast.constData(),
            terminalPort.isNull() ? nullptr : terminalPort.constData(),
            localPort.isNull() ? nullptr : localPort.constData(), &reported);
        QCOMPARE(settings.broadcastAddress, expectedBroadcast);
        QCOMPARE(int(settings.terminalPort), expectedTerminalPort);
        QCOMPARE(int(settings.localPort), expectedLocalPort);
        QCOMPARE(reported.size(), problems);
        QCOMPARE(settings.replyTimeoutSeconds, EndpointSettings().replyTimeoutSeconds);
    }

    void takenPortIsReported()
    {
        NxNetControl holder(loopbackSettings(9));
        QVERIFY(holder.Open(0));
        const uint16_t taken = holder.LocalPort();

        EndpointSettings settings = loopbackSettings(9);
        settings.localPort = taken;
        ModalWatcher modals;
        ProgramSession session(settings);
        QVERIFY(!session.engine()->IsOpen());
        session.show();

        QVERIFY(modals.waitForCount(1));
        QCOMPARE(modals.seen().first().className, QString("QMessageBox"));
        QCOMPARE(modals.seen().first().title, QString("错误"));
        QCOMPARE(modals.seen().first().text,
                 QString("无法打开UDP端口%1，该端口可能已被其他程序占用。").arg(taken));
        // The program runs on.
        QTest::qWait(200);
        QCOMPARE(modals.count(), 1);
        QVERIFY(session.window()->isVisible());
    }

    void freePortShowsNoWarning()
    {
        ModalWatcher modals;
        ProgramSession session(loopbackSettings(9));
        QVERIFY(session.engine()->IsOpen());
        session.show();
        QTest::qWait(300);
        QCOMPARE(modals.count(), 0);
    }

    // Each round closes the program while a large fleet is still answering
    // repeated searches.
    void shutDownWhileRepliesArrive()
    {
        for (int round = 0; round < 4; ++round) {
            SimConfig config;
            config.fleetSize = 120;
            config.seed = 7 + round;
            config.replyJitterMs = 300;
            TerminalSimulator sim(config);
            QVERIFY(sim.start());

            ModalWatcher modals;  // any conflict report the fleet brings up
            {
                ProgramSession session(loopbackSettings(sim.port()));
                session.show();
                for (int i = 0; i < 3; ++i)
                    session.engine()->QueryAllTerminals();
                auto* label = session.window()->findChild<QLabel*>("result_label");
                QTRY_VERIFY_WITH_TIMEOUT(label->text() != QString("发现0个设备"), 10000);
                QTest::qWait(20 * round);
                session.window()->close();
            }
            gPendingLock.lock();
            QVERIFY(gQueryTool == nullptr);
            QVERIFY(gPendingTerminals.isEmpty());
            gPendingLock.unlock();
        }
    }

private:
    QTemporaryDir workDir;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
