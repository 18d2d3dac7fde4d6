// The program end to end: start-up (the environment's endpoint overrides,
// the warning when the port is taken), searches filling the table from the
// simulated fleet over loopback UDP, the search button's pause, and a clean
// shut-down while replies keep arriving (run it under the sanitizers too).
#include "app/EndpointOverrides.h"
#include "app/ProgramSession.h"
#include "net/NxNetControl.h"
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/main/PendingReplies.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

constexpr int kWaitMs = 10000;

// The label, then each row's six cells with "|" between them, top to bottom.
QStringList shown(QWidget* window)
{
    QStringList lines{child<QLabel>(window, "result_label")->text()};
    auto* table = child<QTableWidget>(window, "terminalsWidget");
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 6; ++column)
            cells << table->item(row, column)->text();
        lines << cells.join('|');
    }
    return lines;
}

}  // namespace

class TestDiscovery : public QObject {
    Q_OBJECT

private slots:
    void environmentOverrides_data()
    {
        QTest::addColumn<QByteArrayList>("values");  // DBP_BROADCAST_ADDR, DBP_TERMINAL_PORT, DBP_LOCAL_PORT
        QTest::addColumn<QString>("settings");       // broadcast address in hex, terminal port, local port

        QTest::newRow("each to its setting") << QByteArrayList{"127.255.255.255", "40000", "0"} << "7fffffff 40000 0";
        QTest::newRow("octet 256, others kept")
            << QByteArrayList{"127.0.0.256", "5000", "65535"} << "ffffffff 5000 65535";
        QTest::newRow("three parts") << QByteArrayList{"127.0.1", "", ""} << "ffffffff 59137 59137";
        QTest::newRow("trailing blank") << QByteArrayList{"127.0.0.1 ", "", ""} << "ffffffff 59137 59137";
        QTest::newRow("terminal port 0") << QByteArrayList{"", "0", ""} << "ffffffff 59137 59137";
        QTest::newRow("port past 65535, not a number") << QByteArrayList{"", "65536", "12ab"} << "ffffffff 59137 59137";
    }

    void environmentOverrides()
    {
        QFETCH(QByteArrayList, values);
        QFETCH(QString, settings);

        qputenv("DBP_BROADCAST_ADDR", values.at(0));
        qputenv("DBP_TERMINAL_PORT", values.at(1));
        qputenv("DBP_LOCAL_PORT", values.at(2));
        const EndpointSettings s = endpointSettingsFromEnvironment();
        QCOMPARE(QString("%1 %2 %3").arg(s.broadcastAddress, 0, 16).arg(s.terminalPort).arg(s.localPort), settings);
    }

    // The program runs on without a network; each search and each command on
    // all terminals says it could not be sent, and its guard stays ticked.
    void portTakenWarnsAndUnsentCommandsKeepTheirGuard()
    {
        NxNetControl holder(loopbackSettings(9));
        QVERIFY(holder.Open(0));
        ModalWatcher modals;
        ProgramSession session(EndpointSettings{holder.LocalPort(), 9, 0x7FFFFFFFu, 1});
        session.show();
        for (const char* guard : {"SrvCheckBox", "UpdateCheckBox", "ResetCheckBox"}) {
            auto* box = child<QCheckBox>(session.window(), guard);
            box->setChecked(true);
            const QByteArray button = QByteArray(guard).replace("CheckBox", "SureBtn");
            QTest::mouseClick(child<QPushButton>(session.window(), button), Qt::LeftButton);
            QVERIFY(box->isChecked());
        }
        QTRY_COMPARE(modals.count(), 4);
        const QString warning
            = QString("错误: 无法打开UDP端口%1，该端口可能已被其他程序占用。").arg(holder.LocalPort());
        QCOMPARE(modals.summary(), (QStringList{warning, warning, warning, warning}));
    }

    // The first search fills the table: name shown unless empty or "--", the
    // ID as unsigned, sorted by column 0, descending, until the user picks
    // another order. The button refuses clicks for 1500 ms after a search.
    void searchFillsTableAndPausesButton()
    {
        QElapsedTimer sinceSearch;
        sinceSearch.start();
        ModalWatcher modals;  // a report or box a fault might bring up
        DiscoveryRig rig;
        QVERIFY(rig.start({testTerminal(1, "NA-100", "Hall"), testTerminal(2, "MS-10", "--"),
            record("Mode=Upgrade", testTerminal(3, "HS-1", "")), record("ID=-1", testTerminal(4, "NA-200", "Gate"))}));
        auto* query = child<QPushButton>(rig.window.get(), "query_btn");
        QTest::mouseClick(query, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(shown(rig.window.get()),
            (QStringList{foundText(4), "MS-10|2|Normal|V2.2|127.1.0.2|00-12-37-00-00-02",
                "Hall|1|Normal|V2.1|127.1.0.1|00-12-37-00-00-01", "HS-1|3|Upgrade|V2.3|127.1.0.3|00-12-37-00-00-03",
                "Gate|4294967295|Normal|V2.4|127.1.0.4|00-12-37-00-00-04"}),
            kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        QVERIFY(sinceSearch.elapsed() >= 1425);  // a coarse timer may fire 5 % early
        QCOMPARE(rig.sim->requests().size(), size_t(1));
        // A reply is handed over from the event loop, never inside the call.
        TerminalParam late = testTerminal(5, "NA-300", "Late");
        onTerminalReply(&late);
        QCOMPARE(shown(rig.window.get()).size(), 5);
        QTRY_COMPARE(shown(rig.window.get()).size(), 6);
        QTest::mouseClick(query, Qt::LeftButton);
        QCOMPARE(shown(rig.window.get()), QStringList{foundText(0)});  // not the last search's count
        QVERIFY(rig.sim->waitForRequests(2, kWaitMs));
    }

    // Each round closes the program at another moment while the fleet is
    // still answering repeated searches.
    void shutDownWhileRepliesArrive()
    {
        SimConfig config;
        config.fleetSize = 120;
        config.replyJitterMs = 300;
        TerminalSimulator sim(config);
        QVERIFY(sim.start());
        ModalWatcher modals;
        for (int round = 0; round < 3; ++round) {
            auto session = std::make_unique<ProgramSession>(loopbackSettings(sim.port()));
            session->show();
            for (int i = 0; i < 3; ++i)
                session->engine()->QueryAllTerminals();
            QTRY_VERIFY_WITH_TIMEOUT(shown(session->window()).size() > 1, kWaitMs);
            QTest::qWait(20 * round);
            session.reset();
            // The worker thread is gone: nothing else touches these now.
            QVERIFY(gQueryTool == nullptr && gPendingTerminals.isEmpty());
        }
        QCOMPARE(modals.count(), 0);  // no port warning with the port open
    }

private:
    LoopbackEnvironment environment;
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
