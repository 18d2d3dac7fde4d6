// Discovery end to end: the real engine on its worker thread, the window's
// reply queue and table, and the simulated fleet over loopback UDP.
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/WidgetScript.h"
#include "ui/main/TerminalListItem.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

Q_DECLARE_METATYPE(TerminalParam)

namespace {

constexpr int kWaitMs = 10000;

QTableWidget* tableOf(QueryTool& window)
{
    return child<QTableWidget>(&window, "terminalsWidget");
}

QString labelOf(QueryTool& window)
{
    return child<QLabel>(&window, "result_label")->text();
}

// The six cells of the row whose IP and MAC cells show the record's, "|"
// between them, or "" without such a row.
QString rowText(QTableWidget* table, const TerminalParam& t)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 5)->text() != t.MAC || table->item(row, 4)->text() != t.IP)
            continue;
        QStringList cells;
        for (int column = 0; column < 6; ++column)
            cells << table->item(row, column)->text();
        return cells.join('|');
    }
    return QString();
}

}  // namespace

class TestDiscovery : public QObject {
    Q_OBJECT

private slots:
    void tableFillsFromSearch()
    {
        std::vector<TerminalParam> fleet = {
            testTerminal(1, "NA-100", "Hall"),
            testTerminal(2, "MS-10", "--"),
            record("Mode=Upgrade", testTerminal(3, "HS-1", "")),
            record("ID=-1", testTerminal(4, "NA-200", "Gate")),
        };
        DiscoveryRig rig;
        QVERIFY(rig.start(fleet));
        QueryTool& window = *rig.window;
        QTableWidget* table = tableOf(window);
        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), foundText(4), kWaitMs);
        QCOMPARE(table->rowCount(), 4);

        const QStringList rows = {
            "Hall|1|Normal|V2.1|127.1.0.1|00-12-37-00-00-01",
            "MS-10|2|Normal|V2.2|127.1.0.2|00-12-37-00-00-02",
            "HS-1|3|Upgrade|V2.3|127.1.0.3|00-12-37-00-00-03",
            "Gate|4294967295|Normal|V2.4|127.1.0.4|00-12-37-00-00-04",
        };
        for (int i = 0; i < 4; ++i)
            QCOMPARE(rowText(table, fleet[i]), rows[i]);
        for (int row = 0; row < 4; ++row) {
            auto* item = dynamic_cast<TerminalListItem*>(table->item(row, 0));
            QVERIFY(item != nullptr);
            QCOMPARE(QString(item->param.MAC), table->item(row, 5)->text());
            QCOMPARE(table->item(row, 5)->textAlignment(), 0x84);
        }
        // Sorted by column 0, descending, until the user picks another order.
        QCOMPARE(table->horizontalHeader()->sortIndicatorSection(), 0);
        QCOMPARE(table->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        for (int row = 1; row < table->rowCount(); ++row)
            QVERIFY(table->item(row - 1, 0)->text() >= table->item(row, 0)->text());
    }

    void repliesDuringOneSearch_data()
    {
        QTest::addColumn<TerminalParam>("again");  // terminal 1's second reply
        QTest::addColumn<int>("count");            // label count, the marker left out
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("row");          // terminal 1's first row

        const TerminalParam first = testTerminal(1, "NA-100", "Hall");
        const QString shown = "Hall|1|Normal|V2.1|127.1.0.1|00-12-37-00-00-01";
        QTest::newRow("same reply") << first << 1 << 1 << shown;
        QTest::newRow("new name, only column 0 follows")
            << record("Name=Lobby; Mode=Upgrade; Ver=V9", first) << 1 << 1
            << "Lobby|1|Normal|V2.1|127.1.0.1|00-12-37-00-00-01";
        QTest::newRow("name --") << record("Name=--", first) << 1 << 1
                                 << "NA-100|1|Normal|V2.1|127.1.0.1|00-12-37-00-00-01";
        QTest::newRow("other IP") << record("IP=127.1.0.77", first) << 2 << 2 << shown;
        QTest::newRow("server port only") << record("ServerPort=7901", first) << 2 << 1 << shown;
        QTest::newRow("empty type") << record("Type=; MAC=00-12-37-00-00-99", first) << 2 << 1 << shown;
    }

    void repliesDuringOneSearch()
    {
        QFETCH(TerminalParam, again);
        QFETCH(int, count);
        QFETCH(int, rows);
        QFETCH(QString, row);

        // Terminal 9 (the marker) keeps quiet during the search; its reply,
        // sent last, shows that everything before it has been taken over.
        const TerminalParam first = testTerminal(1, "NA-100", "Hall");
        DiscoveryRig rig;
        QVERIFY(rig.start({first, testTerminal(9, "MS-10", "Marker")}, {1}));
        QueryTool& window = *rig.window;
        QTableWidget* table = tableOf(window);
        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), foundText(1), kWaitMs);

        QVERIFY(rig.sim->setTerminal(0, again));
        QVERIFY(rig.sendReply(0));
        QVERIFY(rig.sendReply(1));
        QTRY_VERIFY_WITH_TIMEOUT(!table->findItems("Marker", Qt::MatchExactly).isEmpty(), kWaitMs);

        QCOMPARE(labelOf(window), foundText(count + 1));
        QCOMPARE(table->rowCount(), rows + 1);
        QCOMPARE(rowText(table, first), row);
    }

    void searchButtonPausesAfterSearch()
    {
        DiscoveryRig rig;
        QElapsedTimer sinceSearch;
        sinceSearch.start();
        QVERIFY(rig.start({testTerminal(1, "NA-100", "Hall")}));
        QueryTool& window = *rig.window;
        auto* query = child<QPushButton>(&window, "query_btn");
        const QByteArray waiting
            = "query_btn.enabled=0; set_btn.enabled=0; enter_updata_btn.enabled=0; reset_terminal_btn.enabled=0";

        QVERIFY(rig.sim->waitForRequests(1, kWaitMs));
        rig.sim->clearRequests();
        QCOMPARE(shows(&window, waiting), waiting);

        QTest::mouseClick(query, Qt::LeftButton);  // refused while disabled
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        QVERIFY(sinceSearch.elapsed() >= 1450);
        QCOMPARE(rig.sim->requests().size(), size_t(0));
        QVERIFY(!child(&window, "set_btn")->isEnabled());

        QTest::mouseClick(query, Qt::LeftButton);
        QVERIFY(rig.sim->waitForRequests(1, kWaitMs));
        QVERIFY(rig.sim->requests().front().bytes.rfind("GET DBP/1.0\r\n", 0) == 0);
        QCOMPARE(shows(&window, waiting), waiting);
    }

    // A new search empties the table; terminals that keep quiet are gone,
    // and without any reply the label keeps the previous count.
    void newSearchStartsOver_data()
    {
        QTest::addColumn<int>("fleet");
        QTest::addColumn<int>("silent");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("count");

        QTest::newRow("one of two quiet") << 2 << 1 << 1 << 1;
        QTest::newRow("all quiet") << 3 << 3 << 0 << 3;
    }

    void newSearchStartsOver()
    {
        QFETCH(int, fleet);
        QFETCH(int, silent);
        QFETCH(int, rows);
        QFETCH(int, count);

        std::vector<TerminalParam> terminals;
        for (int n = 1; n <= fleet; ++n)
            terminals.push_back(testTerminal(n, "NA-100", "T"));
        DiscoveryRig rig;
        QVERIFY(rig.start(terminals));
        QueryTool& window = *rig.window;
        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), foundText(fleet), kWaitMs);
        for (int i = fleet - silent; i < fleet; ++i)
            rig.sim->setBehaviour(i, SimBehaviour::Silent);

        auto* query = child<QPushButton>(&window, "query_btn");
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        rig.sim->clearRequests();
        QTest::mouseClick(query, Qt::LeftButton);
        QCOMPARE(tableOf(window)->rowCount(), 0);
        QVERIFY(rig.sim->waitForRequests(1, kWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(tableOf(window)->rowCount(), rows, kWaitMs);
        if (rows == 0)
            QTest::qWait(500);  // time for replies that must not come
        QCOMPARE(tableOf(window)->rowCount(), rows);
        QCOMPARE(labelOf(window), foundText(count));
    }

private:
    LoopbackEnvironment environment;
    ModalWatcher modals;  // the conflict report of cases that share a MAC
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
