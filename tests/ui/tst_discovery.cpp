// Discovery end to end: the real engine on its worker thread, the window's
// reply queue and table, and the simulated fleet over loopback UDP.
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "platform/SocketLayer.h"
#include "ui/main/TerminalListItem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

Q_DECLARE_METATYPE(TerminalParam)

namespace {

constexpr int kWaitMs = 10000;

QTableWidget* tableOf(QueryTool& window)
{
    return window.findChild<QTableWidget*>("terminalsWidget");
}

QString labelOf(QueryTool& window)
{
    return window.findChild<QLabel*>("result_label")->text();
}

QString found(int count)
{
    return QString("找到%1个设备").arg(count);
}

// Row whose MAC and IP cells show the record's, or -1.
int rowOf(QTableWidget* table, const TerminalParam& t)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 5)->text() == t.MAC && table->item(row, 4)->text() == t.IP)
            return row;
    }
    return -1;
}

}  // namespace

class TestDiscovery : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(workDir.isValid());
        QVERIFY(QDir::setCurrent(workDir.path()));
        QVERIFY(SocketLayerStartup());
    }

    void cleanupTestCase() { SocketLayerShutdown(); }

    void tableFillsFromSearch()
    {
        std::vector<TerminalParam> fleet = {
            testTerminal(1, "NA-100", "Hall"),
            testTerminal(2, "MS-10", "--"),
            testTerminal(3, "HS-1", ""),
            testTerminal(4, "NA-200", "Gate"),
        };
        fleet[3].ID = -1;
        std::snprintf(fleet[2].Mode, sizeof fleet[2].Mode, "Upgrade");

        DiscoveryRig rig;
        QVERIFY(rig.start(fleet));
        QueryTool& window = *rig.window;
        QTableWidget* table = tableOf(window);

        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), found(4), kWaitMs);
        QCOMPARE(table->rowCount(), 4);

        const QStringList column0 = {"Hall", "MS-10", "HS-1", "Gate"};
        const QStringList column1 = {"1", "2", "3", "4294967295"};
        for (int i = 0; i < 4; ++i) {
            const TerminalParam& t = fleet[i];
            const int row = rowOf(table, t);
            QVERIFY2(row >= 0, t.MAC);
            auto* item = dynamic_cast<TerminalListItem*>(table->item(row, 0));
            QVERIFY(item != nullptr);
            QCOMPARE(QString(item->param.MAC), QString(t.MAC));
            QCOMPARE(item->param.ServerPort, t.ServerPort);
            QCOMPARE(item->text(), column0[i]);
            QCOMPARE(table->item(row, 1)->text(), column1[i]);
            QCOMPARE(table->item(row, 2)->text(), QString(t.Mode));
            QCOMPARE(table->item(row, 3)->text(), QString(t.Ver));
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
        QTest::addColumn<TerminalParam>("again");  // terminal 0's second reply
        QTest::addColumn<int>("count");            // label count
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("column0");      // of terminal 0's first row
        QTest::addColumn<QString>("column2");

        const TerminalParam first = testTerminal(1, "NA-100", "Hall");

        QTest::newRow("same reply") << first << 1 << 1 << "Hall" << "Normal";

        TerminalParam renamed = first;
        std::snprintf(renamed.Name, sizeof renamed.Name, "Lobby");
        std::snprintf(renamed.Mode, sizeof renamed.Mode, "Upgrade");
        QTest::newRow("new name, only column 0 follows") << renamed << 1 << 1 << "Lobby" << "Normal";

        TerminalParam dashes = first;
        std::snprintf(dashes.Name, sizeof dashes.Name, "--");
        QTest::newRow("name --") << dashes << 1 << 1 << "NA-100" << "Normal";

        TerminalParam moved = first;
        std::snprintf(moved.IP, sizeof moved.IP, "127.1.0.77");
        QTest::newRow("other IP") << moved << 2 << 2 << "Hall" << "Normal";

        TerminalParam otherPort = first;
        otherPort.ServerPort = 7901;
        QTest::newRow("server port only") << otherPort << 2 << 1 << "Hall" << "Normal";

        TerminalParam noType = first;
        noType.Type[0] = '\0';
        std::snprintf(noType.MAC, sizeof noType.MAC, "00-12-37-00-00-99");
        QTest::newRow("empty type") << noType << 2 << 1 << "Hall" << "Normal";
    }

    void repliesDuringOneSearch()
    {
        QFETCH(TerminalParam, again);
        QFETCH(int, count);
        QFETCH(int, rows);
        QFETCH(QString, column0);
        QFETCH(QString, column2);

        // Terminal 1 (the marker) keeps quiet during the search; its reply,
        // sent last, shows that everything before it has been taken over.
        const TerminalParam first = testTerminal(1, "NA-100", "Hall");
        DiscoveryRig rig;
        QVERIFY(rig.start({first, testTerminal(9, "MS-10", "Marker")}, {1}));
        QueryTool& window = *rig.window;
        QTableWidget* table = tableOf(window);
        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), found(1), kWaitMs);

        QVERIFY(rig.sim->setTerminal(0, again));
        QVERIFY(rig.sendReply(0));
        QVERIFY(rig.sendReply(1));
        QTRY_VERIFY_WITH_TIMEOUT(!table->findItems("Marker", Qt::MatchExactly).isEmpty(), kWaitMs);

        QCOMPARE(labelOf(window), found(count + 1));
        QCOMPARE(table->rowCount(), rows + 1);
        const int row = rowOf(table, first);
        QVERIFY(row >= 0);
        QCOMPARE(table->item(row, 0)->text(), column0);
        QCOMPARE(table->item(row, 2)->text(), column2);
    }

    void searchButtonPausesAfterSearch()
    {
        DiscoveryRig rig;
        QElapsedTimer sinceSearch;
        sinceSearch.start();
        QVERIFY(rig.start({testTerminal(1, "NA-100", "Hall")}));
        QueryTool& window = *rig.window;
        auto* query = window.findChild<QPushButton*>("query_btn");

        QVERIFY(rig.sim->waitForRequests(1, kWaitMs));
        rig.sim->clearRequests();
        QVERIFY(!query->isEnabled());
        for (const char* name : {"set_btn", "enter_updata_btn", "reset_terminal_btn"})
            QVERIFY2(!window.findChild<QPushButton*>(name)->isEnabled(), name);

        QTest::mouseClick(query, Qt::LeftButton);  // refused while disabled
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        QVERIFY(sinceSearch.elapsed() >= 1450);
        QCOMPARE(rig.sim->requests().size(), size_t(0));
        QVERIFY(!window.findChild<QPushButton*>("set_btn")->isEnabled());

        QTest::mouseClick(query, Qt::LeftButton);
        QVERIFY(rig.sim->waitForRequests(1, kWaitMs));
        QVERIFY(rig.sim->requests().front().bytes.rfind("GET DBP/1.0\r\n", 0) == 0);
        QVERIFY(!query->isEnabled());
    }

    void searchWithoutRepliesKeepsCount()
    {
        DiscoveryRig rig;
        QVERIFY(rig.start({testTerminal(1, "NA-100", "A"), testTerminal(2, "NA-100", "B"),
                           testTerminal(3, "NA-100", "C")}));
        QueryTool& window = *rig.window;
        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), found(3), kWaitMs);
        for (int i = 0; i < 3; ++i)
            rig.sim->setBehaviour(i, SimBehaviour::Silent);

        auto* query = window.findChild<QPushButton*>("query_btn");
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        rig.sim->clearRequests();
        QTest::mouseClick(query, Qt::LeftButton);
        QCOMPARE(tableOf(window)->rowCount(), 0);
        QVERIFY(rig.sim->waitForRequests(1, kWaitMs));
        QTest::qWait(500);
        QCOMPARE(tableOf(window)->rowCount(), 0);
        QCOMPARE(labelOf(window), found(3));
    }

    void newSearchStartsOver()
    {
        DiscoveryRig rig;
        QVERIFY(rig.start({testTerminal(1, "NA-100", "A"), testTerminal(2, "NA-100", "B")}));
        QueryTool& window = *rig.window;
        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), found(2), kWaitMs);

        rig.sim->setBehaviour(1, SimBehaviour::Silent);
        auto* query = window.findChild<QPushButton*>("query_btn");
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), kWaitMs);
        QTest::mouseClick(query, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(tableOf(window)->rowCount(), 1, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(labelOf(window), found(1), kWaitMs);
    }

private:
    QTemporaryDir workDir;
    ModalWatcher modals;  // the conflict report of cases that share a MAC
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
