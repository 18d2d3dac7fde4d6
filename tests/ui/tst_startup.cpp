// Start-up and shut-down: the endpoint overrides of the environment, the
// warning when the engine's port is taken, and a clean shut-down while
// replies keep arriving (run it under the sanitizers too).
#include "app/EndpointOverrides.h"
#include "app/ProgramSession.h"
#include "net/NxNetControl.h"
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/main/PendingReplies.h"

#include <QLabel>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void endpointOverrides_data()
    {
        QTest::addColumn<QByteArray>("broadcast");  // a null value: the variable is not set
        QTest::addColumn<QByteArray>("terminalPort");
        QTest::addColumn<QByteArray>("localPort");
        QTest::addColumn<QString>("expected");  // broadcast terminal-port local-port problems

        const QByteArray unset;
        const QString defaults = "255.255.255.255 59137 59137 %1";
        QTest::newRow("none") << unset << unset << unset << defaults.arg(0);
        QTest::newRow("empty") << QByteArray("") << QByteArray("") << QByteArray("") << defaults.arg(0);
        QTest::newRow("all") << QByteArray("127.255.255.255") << QByteArray("40000") << QByteArray("0")
                             << "127.255.255.255 40000 0 0";
        QTest::newRow("edges") << QByteArray("0.0.0.0") << QByteArray("65535") << QByteArray("1") << "0.0.0.0 65535 1 0";
        QTest::newRow("octet 256") << QByteArray("127.0.0.256") << unset << unset << defaults.arg(1);
        QTest::newRow("three parts") << QByteArray("127.0.1") << unset << unset << defaults.arg(1);
        QTest::newRow("host name") << QByteArray("localhost") << unset << unset << defaults.arg(1);
        QTest::newRow("blank inside") << QByteArray("127.0.0.1 ") << unset << unset << defaults.arg(1);
        QTest::newRow("terminal port 0") << unset << QByteArray("0") << unset << defaults.arg(1);
        QTest::newRow("port too big") << unset << QByteArray("65536") << QByteArray("99999") << defaults.arg(2);
        QTest::newRow("port not a number") << unset << QByteArray("12ab") << QByteArray("-1") << defaults.arg(2);
        QTest::newRow("one bad, others kept") << QByteArray("10.1.2.3.4") << QByteArray("5000") << QByteArray("5001")
                                              << "255.255.255.255 5000 5001 1";
    }

    void endpointOverrides()
    {
        QFETCH(QByteArray, broadcast);
        QFETCH(QByteArray, terminalPort);
        QFETCH(QByteArray, localPort);
        QFETCH(QString, expected);

        QStringList reported;
        const EndpointSettings settings = applyEndpointOverrides(
            EndpointSettings(), broadcast.isNull() ? nullptr : broadcast.constData(),
            terminalPort.isNull() ? nullptr : terminalPort.constData(),
            localPort.isNull() ? nullptr : localPort.constData(), &reported);
        const uint32_t b = settings.broadcastAddress;
        QCOMPARE(QString("%1.%2.%3.%4 %5 %6 %7")
                     .arg(b >> 24)
                     .arg((b >> 16) & 0xFF)
                     .arg((b >> 8) & 0xFF)
                     .arg(b & 0xFF)
                     .arg(settings.terminalPort)
                     .arg(settings.localPort)
                     .arg(reported.size()),
                 expected);
        QCOMPARE(settings.replyTimeoutSeconds, EndpointSettings().replyTimeoutSeconds);
    }

    void portWarning_data()
    {
        QTest::addColumn<bool>("taken");
        QTest::newRow("port taken") << true;
        QTest::newRow("port free") << false;
    }

    void portWarning()
    {
        QFETCH(bool, taken);
        NxNetControl holder(loopbackSettings(9));
        QVERIFY(holder.Open(0));
        EndpointSettings settings = loopbackSettings(9);
        settings.localPort = taken ? holder.LocalPort() : 0;

        ModalWatcher modals;
        ProgramSession session(settings);
        QCOMPARE(session.engine()->IsOpen(), !taken);
        session.show();
        if (taken)
            QVERIFY(modals.waitForCount(1));
        QTest::qWait(300);
        // Once, and the program runs on.
        QCOMPARE(modals.count(), taken ? 1 : 0);
        QVERIFY(session.window()->isVisible());
        if (!taken)
            return;
        QCOMPARE(modals.seen().first().className, QString("QMessageBox"));
        QCOMPARE(modals.seen().first().title, QString("错误"));
        QCOMPARE(modals.seen().first().text,
                 QString("无法打开UDP端口%1，该端口可能已被其他程序占用。").arg(holder.LocalPort()));
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
    LoopbackEnvironment environment;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
