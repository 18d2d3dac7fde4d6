// The conflict rules, the grouping of conflicting terminals and the conflict
// dialog. Records reach the window the way the engine hands them over
// (onTerminalReply); the window has no engine, so nothing is sent.
#include "ConflictReport.h"
#include "ModalWatcher.h"

#include "ui/conflict/ConflictRules.h"
#include "ui/conflict/QueryConflictDlg.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/QueryTool.h"
#include "ui/main/TerminalListItem.h"

#include <QHeaderView>
#include <QPushButton>
#include <QtTest>

namespace {

// "IP|MAC|ID|ServerPort", the four fields the conflict check looks at.
TerminalParam term(const QString& spec, const char* name = "")
{
    const QStringList parts = spec.split('|');
    TerminalParam t;
    qstrncpy(t.IP, parts.value(0).toUtf8().constData(), sizeof t.IP);
    qstrncpy(t.MAC, parts.value(1).toUtf8().constData(), sizeof t.MAC);
    t.ID = parts.value(2, "1").toInt();
    t.ServerPort = static_cast<uint16_t>(parts.value(3, "8000").toUInt());
    qstrncpy(t.Type, "IPA-10", sizeof t.Type);
    qstrncpy(t.Mode, "Normal", sizeof t.Mode);
    qstrncpy(t.Ver, "1.0.4", sizeof t.Ver);
    qstrncpy(t.Name, name, sizeof t.Name);
    return t;
}

// Positions in `inputs` of the records of `result`, -1 for a stranger.
QList<int> positionsOf(const QList<TerminalParam>& result, const QList<TerminalParam>& inputs)
{
    QList<int> positions;
    for (const TerminalParam& r : result) {
        int found = -1;
        for (int i = 0; i < inputs.size() && found < 0; ++i) {
            if (sameTerminal(r, inputs.at(i)))
                found = i;
        }
        positions << found;
    }
    return positions;
}

QStringList ipsAt(const QList<TerminalParam>& inputs, const QList<int>& positions)
{
    QStringList ips;
    for (int p : positions)
        ips << QString::fromUtf8(inputs.at(p).IP);
    return ips;
}

QStringList columnTexts(QTableWidget* table, int column)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem* item = table->item(row, column);
        texts << (item != nullptr ? item->text() : QString());
    }
    return texts;
}

QStringList headerTexts(QTableWidget* table)
{
    QStringList texts;
    for (int column = 0; column < table->columnCount(); ++column) {
        QTableWidgetItem* item = table->horizontalHeaderItem(column);
        texts << (item != nullptr ? item->text() : QString());
    }
    return texts;
}

}  // namespace

class ConflictsTest : public QObject {
    Q_OBJECT

private slots:
    void grouping_data();
    void grouping();
    void conflictTable();
    void okButtonCloses();
};

void ConflictsTest::grouping_data()
{
    QTest::addColumn<QStringList>("terminals");
    QTest::addColumn<QList<int>>("ipOrder");
    QTest::addColumn<QList<int>>("macOrder");

    QTest::newRow("none") << QStringList{} << QList<int>{} << QList<int>{};
    QTest::newRow("single") << QStringList{"10.0.0.5|00-11-22-33-44-01|1"} << QList<int>{}
                            << QList<int>{};
    QTest::newRow("three equal IPs")
        << QStringList{"10.0.0.5|00-11-22-33-44-01|1", "10.0.0.5|00-11-22-33-44-02|2",
                       "10.0.0.5|00-11-22-33-44-03|3"}
        << QList<int>{1, 2, 0} << QList<int>{};
    QTest::newRow("two interleaved groups")
        << QStringList{"10.0.0.1|00-11-22-33-44-01|1", "10.0.0.2|00-11-22-33-44-02|2",
                       "10.0.0.1|00-11-22-33-44-03|3", "10.0.0.2|00-11-22-33-44-04|4",
                       "10.0.0.1|00-11-22-33-44-05|5"}
        << QList<int>{2, 4, 0, 3, 1} << QList<int>{};
    QTest::newRow("MAC group only")
        << QStringList{"10.0.0.1|00-11-22-33-44-01|1", "10.0.0.2|00-11-22-33-44-02|2",
                       "10.0.0.3|00-11-22-33-44-01|3"}
        << QList<int>{} << QList<int>{2, 0};
    QTest::newRow("IP and MAC groups")
        << QStringList{"10.0.0.1|00-11-22-33-44-01|1", "10.0.0.2|00-11-22-33-44-01|2",
                       "10.0.0.1|00-11-22-33-44-03|3"}
        << QList<int>{2, 0} << QList<int>{1, 0};
    QTest::newRow("only ID differs")
        << QStringList{"10.0.0.5|00-11-22-33-44-01|1", "10.0.0.5|00-11-22-33-44-01|2"}
        << QList<int>{1, 0} << QList<int>{1, 0};
    QTest::newRow("MAC case counts")
        << QStringList{"10.0.0.1|00-11-22-33-44-aa|1", "10.0.0.2|00-11-22-33-44-AA|2"}
        << QList<int>{} << QList<int>{};
    QTest::newRow("identical replies")
        << QStringList{"10.0.0.5|00-11-22-33-44-01|1", "10.0.0.5|00-11-22-33-44-01|1"}
        << QList<int>{} << QList<int>{};
    QTest::newRow("only ServerPort differs")
        << QStringList{"10.0.0.5|00-11-22-33-44-01|1|8000", "10.0.0.5|00-11-22-33-44-01|1|9000"}
        << QList<int>{1, 0} << QList<int>{1, 0};
    QTest::newRow("no IPs, different MACs")
        << QStringList{"|00-11-22-33-44-01|1", "|00-11-22-33-44-02|2"} << QList<int>{1, 0}
        << QList<int>{};
    QTest::newRow("leading zeros")
        << QStringList{"192.168.1.5|00-11-22-33-44-01|1", "192.168.001.5|00-11-22-33-44-02|2"}
        << QList<int>{} << QList<int>{};
    QTest::newRow("same ID only")
        << QStringList{"10.0.0.1|00-11-22-33-44-01|9", "10.0.0.2|00-11-22-33-44-02|9"}
        << QList<int>{} << QList<int>{};
}

void ConflictsTest::grouping()
{
    QFETCH(QStringList, terminals);
    QFETCH(QList<int>, ipOrder);
    QFETCH(QList<int>, macOrder);

    QList<TerminalParam> inputs;
    for (const QString& spec : terminals)
        inputs << term(spec);

    QueryTool window(nullptr);
    for (TerminalParam record : inputs)
        onTerminalReply(&record);
    QCoreApplication::processEvents();

    const QList<TerminalParam> ip = window.collectConflicts(isIpConflict);
    const QList<TerminalParam> mac = window.collectConflicts(isMacConflict);
    QCOMPARE(positionsOf(ip, inputs), ipOrder);
    QCOMPARE(positionsOf(mac, inputs), macOrder);
    // The check works on a copy: asking again gives the same answer.
    QCOMPARE(positionsOf(window.collectConflicts(isIpConflict), inputs), ipOrder);

    ModalWatcher watcher;
    QList<ConflictReport> reports;
    watcher.setHandler([&](QWidget* modal) {
        reports << readConflictDialog(modal);
        return false;
    });
    window.check_conflict();

    const bool expectDialog = !ipOrder.isEmpty() || !macOrder.isEmpty();
    QCOMPARE(reports.size(), expectDialog ? 1 : 0);
    if (!expectDialog)
        return;
    const ConflictReport& report = reports.first();
    QCOMPARE(report.title, QString::fromUtf8("冲突检测"));
    QCOMPARE(report.ip.shown, !ipOrder.isEmpty());
    QCOMPARE(report.mac.shown, !macOrder.isEmpty());
    QVERIFY(!report.id.shown);
    QCOMPARE(report.id.rows, 0);
    QCOMPARE(report.ip.rows, ipOrder.size());
    QCOMPARE(report.mac.rows, macOrder.size());
    QStringList shownIps = report.ip.ips;
    QStringList expectedIps = ipsAt(inputs, ipOrder);
    shownIps.sort();
    expectedIps.sort();
    QCOMPARE(shownIps, expectedIps);
    if (report.ip.shown && report.mac.shown)
        QVERIFY(report.ipAboveMac);
}

void ConflictsTest::conflictTable()
{
    QueryTool window(nullptr);
    auto* mainTable = window.findChild<QTableWidget*>("terminalsWidget");
    QVERIFY(mainTable != nullptr);

    QueryConflictDlg dialog;
    auto* table = dialog.findChild<QTableWidget*>("fTblMac");
    QVERIFY(table != nullptr);
    const QList<TerminalParam> records = {
        term("10.0.0.1|00-11-22-33-44-01|1", "--"),
        term("10.0.0.2|00-11-22-33-44-01|2", "Lobby"),
        term("10.0.0.3|00-11-22-33-44-01|3", ""),
    };
    // A second report replaces the first instead of adding to it.
    dialog.showMacConflicts(records.mid(0, 1));
    dialog.showMacConflicts(records);

    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->columnCount(), 6);
    QCOMPARE(headerTexts(table), headerTexts(mainTable));
    QCOMPARE(headerTexts(table).first(), QString::fromUtf8("设备型号"));

    // Clicking a header sorts by that column, as in the main table.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QHeaderView* header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
    QCOMPARE(columnTexts(table, 4), (QStringList{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    QCOMPARE(columnTexts(table, 0), (QStringList{"IPA-10", "Lobby", "IPA-10"}));
    QCOMPARE(columnTexts(table, 1), (QStringList{"1", "2", "3"}));
    QCOMPARE(columnTexts(table, 2), (QStringList{"Normal", "Normal", "Normal"}));
    QCOMPARE(columnTexts(table, 3), (QStringList{"1.0.4", "1.0.4", "1.0.4"}));
    const QString mac = "00-11-22-33-44-01";
    QCOMPARE(columnTexts(table, 5), (QStringList{mac, mac, mac}));
    QVERIFY(dynamic_cast<TerminalListItem*>(table->item(0, 0)) != nullptr);

    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!dialog.findChild<QGroupBox*>("fGrpMac")->isHidden());
    QVERIFY(dialog.findChild<QGroupBox*>("fGrpIp")->isHidden());
    QVERIFY(dialog.findChild<QGroupBox*>("fGrpId")->isHidden());
}

void ConflictsTest::okButtonCloses()
{
    QueryConflictDlg dialog;
    dialog.showIpConflicts(
        {term("10.0.0.1|00-11-22-33-44-01|1"), term("10.0.0.1|00-11-22-33-44-02|2")});

    ModalWatcher watcher;
    watcher.setHandler([](QWidget* modal) {
        auto* ok = modal->findChild<QPushButton*>("okButton");
        if (ok == nullptr)
            return false;
        QTest::mouseClick(ok, Qt::LeftButton);
        return true;
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(watcher.count(), 1);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(ConflictsTest)
#include "tst_conflicts.moc"
