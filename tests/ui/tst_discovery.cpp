// The program end to end: start-up (the environment's endpoint overrides,
// the warning when the port is taken), searches filling the table from the
// simulated fleet over loopback UDP, the search button's pause, and a clean
// shut-down while replies keep arriving (run it under the sanitizers too).
#include "app/ProgramSession.h"
#include "core/endpoint/EndpointOverrides.h"
#include "tests/support/LoopbackSocket.h"
#ifndef _WIN32
#include "tests/support/PrivateNetwork.h"
#endif
#include "net/NxNetControl.h"
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/SearchStatus.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QHelpEvent>
#include <QTableWidget>
#include <QToolTip>
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
        // DBP_BROADCAST_ADDR, DBP_TERMINAL_PORT, DBP_LOCAL_PORT, DBP_SEARCH_SENDS
        QTest::addColumn<QByteArrayList>("values");
        // broadcast address in hex, every adapter, terminal port, local port, search send times
        QTest::addColumn<QString>("settings");

        const QString defaults = "ffffffff 1 59137 59137 0,250,500,1000";
        QTest::newRow("each to its setting")
            << QByteArrayList{"127.255.255.255", "40000", "0", " 0, 40,40"} << "7fffffff 0 40000 0 0,40,40";
        QTest::newRow("255.255.255.255 given: only that address")
            << QByteArrayList{"255.255.255.255", "", "", ""} << "ffffffff 0 59137 59137 0,250,500,1000";
        QTest::newRow("octet 256, others kept")
            << QByteArrayList{"127.0.0.256", "5000", "65535", "100"} << "ffffffff 1 5000 65535 100";
        QTest::newRow("three parts") << QByteArrayList{"127.0.1", "", "", ""} << defaults;
        QTest::newRow("trailing blank") << QByteArrayList{"127.0.0.1 ", "", "", ""} << defaults;
        QTest::newRow("terminal port 0") << QByteArrayList{"", "0", "", ""} << defaults;
        QTest::newRow("port past 65535, not a number") << QByteArrayList{"", "65536", "12ab", ""} << defaults;
        QTest::newRow("sends descending") << QByteArrayList{"", "", "", "0,500,250"} << defaults;
        QTest::newRow("send past 10 s") << QByteArrayList{"", "", "", "0,10001"} << defaults;
        QTest::newRow("empty send") << QByteArrayList{"", "", "", "0,,250"} << defaults;
    }

    void environmentOverrides()
    {
        QFETCH(QByteArrayList, values);
        QFETCH(QString, settings);

        qputenv("DBP_BROADCAST_ADDR", values.at(0));
        qputenv("DBP_TERMINAL_PORT", values.at(1));
        qputenv("DBP_LOCAL_PORT", values.at(2));
        qputenv("DBP_SEARCH_SENDS", values.at(3));
        const EndpointSettings s = endpointSettingsFromEnvironment();
        QStringList sends;
        for (int ms : s.searchSendsMs)
            sends << QString::number(ms);
        QCOMPARE(QString("%1 %2 %3 %4 %5")
                     .arg(s.broadcastAddress, 0, 16)
                     .arg(s.everyAdapter)
                     .arg(s.terminalPort)
                     .arg(s.localPort)
                     .arg(sends.join(',')),
            settings);
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

    // Without an adapter up (the test's namespace has loopback only) every
    // search says that it could not go out, not only the first.
    void everySearchWithoutAdapterSaysWhy()
    {
        ModalWatcher modals;
        EndpointSettings settings;
        settings.localPort = 0;
        QueryThread thread(settings);
        thread.start();
        QueryTool window(thread.engine());
        auto* query = child<QPushButton>(&window, "query_btn");
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        QTest::mouseClick(query, Qt::LeftButton);
        const QString box = "错误: 搜索请求未能发出，请检查网络连接！";
        QTRY_COMPARE(modals.summary(), (QStringList{box, box}));
        QCOMPARE(child<QLabel>(&window, "searchStatusLabel")->text(),
            QString("没有可用的网卡：没有已启用、可广播的 IPv4 网卡，搜索未能发出"));
    }

    // The first search fills the table: name shown unless empty or "--", the
    // ID as unsigned, sorted by column 0, descending, until the user picks
    // another order (names that sort alike in every locale: Qt compares them
    // locale-aware). The button refuses clicks for 1500 ms after a search.
    void searchFillsTableAndPausesButton()
    {
        QElapsedTimer sinceSearch;
        sinceSearch.start();
        ModalWatcher modals;  // a report or box a fault might bring up
        DiscoveryRig rig;
        QVERIFY(rig.start({testTerminal(1, "NA-100", "Hub"), testTerminal(2, "MS-10", "--"),
            record("Mode=Upgrade", testTerminal(3, "HS-1", "")), record("ID=-1", testTerminal(4, "NA-200", "Gate"))}));
        auto* query = child<QPushButton>(rig.window.get(), "query_btn");
        QTest::mouseClick(query, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(shown(rig.window.get()),
            (QStringList{foundText(4), "MS-10|2|Normal|V2.2|127.1.0.2|00-12-37-00-00-02",
                "Hub|1|Normal|V2.1|127.1.0.1|00-12-37-00-00-01", "HS-1|3|Upgrade|V2.3|127.1.0.3|00-12-37-00-00-03",
                "Gate|4294967295|Normal|V2.4|127.1.0.4|00-12-37-00-00-04"}),
            kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        QVERIFY(sinceSearch.elapsed() >= 1425);  // a coarse timer may fire 5 % early
        // Over any cell of a row: the adapter its terminal answered on.
        QWidget* cells = child<QTableWidget>(rig.window.get(), "terminalsWidget")->viewport();
        QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), cells->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(cells, &hover);
        QCOMPARE(QToolTip::text(), QString("应答网卡：lo"));
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

    // Every GET of a search after the first finds the terminals whose reply
    // to an earlier one was lost; each terminal is listed once.
    void laterSendsOfASearchFindTerminalsWhoseRepliesWereLost()
    {
        std::vector<TerminalParam> fleet;
        for (int n = 1; n <= 12; ++n)
            fleet.push_back(testTerminal(n, "NA-100", ""));
        SimConfig lossy;
        lossy.dropRate = 0.5;
        ModalWatcher modals;
        DiscoveryRig rig;
        QVERIFY(rig.start(fleet, lossy, {0, 100, 200, 300, 400, 500, 600, 700}));
        QTRY_COMPARE_WITH_TIMEOUT(rig.sim->requests().size(), size_t(8), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(shown(rig.window.get()).size(), 13, kWaitMs);
        QCOMPARE(shown(rig.window.get()).first(), foundText(12));
        QStringList cseqs;
        for (const SimRequest& request : rig.sim->requests())
            cseqs << QString::fromStdString(headerValue(request.bytes, "CSeq"));
        QCOMPARE(cseqs, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(rig.window.get(), "searchStatusLabel")->text(),
            QString("已向 127.255.255.255 搜索：12 个设备应答"), kWaitMs);
    }

    // Through every adapter of a machine without a default route: the status
    // bar counts the terminals that answered on each adapter, and a row's
    // tooltip names the adapter its terminal answered on.
    void statusBarCountsEachAdapter()
    {
#ifdef _WIN32
        if (qgetenv("QUERYTOOL_TWO_LINKS") != "2")
            QSKIP("runs in the two-link network that tests/support/two-link-run prepares");
#else
        TwoLinkNetwork network(2);
        QVERIFY(network.started());
        InNamespace toolSide(network.toolSide);
        QVERIFY(toolSide.entered);
#endif
        ModalWatcher modals;  // a report or box a fault might bring up
        QueryThread thread;
        thread.start();
        QueryTool window(thread.engine());
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(&window, "searchStatusLabel")->text(),
            QString("已搜索网卡 veth0 (10.77.0.1)：3 个设备；veth2 (10.78.0.1)：2 个设备"), kWaitMs);
        auto* table = child<QTableWidget>(&window, "terminalsWidget");
        QTRY_COMPARE(table->rowCount(), 5);  // the status counts replies on their way to the table
        const QPoint cell = table->visualItemRect(table->findItems("10.78.0.11", Qt::MatchExactly).value(0)).center();
        QHelpEvent hover(QEvent::ToolTip, cell, table->viewport()->mapToGlobal(cell));
        QApplication::sendEvent(table->viewport(), &hover);
        QCOMPARE(QToolTip::text(), QString("应答网卡：veth2 (10.78.0.1)"));
    }

    // What the status bar says; adapters are listed in the system's order.
    void searchStatusText_data()
    {
        QTest::addColumn<int>("adaptersUp");
        QTest::addColumn<bool>("wlanLinkUp");
        QTest::addColumn<QList<int>>("answered");  // terminals on eth0, then on wlan0
        QTest::addColumn<bool>("settled");
        QTest::addColumn<QString>("text");

        QTest::newRow("terminals on two adapters")
            << 2 << true << QList<int>{2, 1} << false
            << "已搜索网卡 eth0 (10.98.0.1)：2 个设备；wlan0 (192.168.1.7)：1 个设备";
        QTest::newRow("one adapter silent") << 2 << true << QList<int>{0, 1} << true
                                            << "已搜索网卡 eth0 (10.98.0.1)：0 个设备；wlan0 (192.168.1.7)：1 个设备";
        QTest::newRow("an adapter without link")
            << 2 << false << QList<int>{2, 0} << true
            << "已搜索网卡 eth0 (10.98.0.1)：2 个设备；wlan0 (192.168.1.7)：未连接";
        QTest::newRow("none answering yet")
            << 2 << true << QList<int>{0, 0} << false << "正在通过网卡 eth0 (10.98.0.1)、wlan0 (192.168.1.7) 搜索…";
        QTest::newRow("none answering") << 2 << true << QList<int>{0, 0} << true
                                        << "没有设备应答。已搜索的网卡：eth0 (10.98.0.1)、wlan0 (192.168.1.7)";
        QTest::newRow("no adapter up") << 0 << true << QList<int>{0, 0} << true
                                       << "没有可用的网卡：没有已启用、可广播的 IPv4 网卡，搜索未能发出";
    }
    void searchStatusText()
    {
        QFETCH(int, adaptersUp);
        QFETCH(bool, wlanLinkUp);
        QFETCH(QList<int>, answered);
        QFETCH(bool, settled);
        QFETCH(QString, text);

        const std::vector<TerminalSearch::Adapter> adapters
            = {{{3, "eth0", 0x0A620001u}, answered[0]}, {{7, "wlan0", 0xC0A80107u, wlanLinkUp}, answered[1]}};
        SearchStatus::Facts facts;
        facts.adapters = {adapters.begin(), adapters.begin() + adaptersUp};
        facts.terminals = answered[0] + answered[1];
        facts.anySent = adaptersUp > 0;
        facts.settled = settled;
        SearchStatus status;
        status.update(facts);
        QCOMPARE(status.text(), text);
        QCOMPARE(status.adapterText(7), adaptersUp > 0 ? QString("wlan0 (192.168.1.7)") : QString());
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
