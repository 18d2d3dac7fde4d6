// The conflict rules, the grouping of conflicting terminals and the conflict
// dialog. Records reach the window the way the engine hands them over
// (onTerminalReply); the window has no engine, so nothing is sent.
#include "tests/ui/ConflictReport.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/ReferenceConflicts.h"
#include "tests/ui/ScratchFolder.h"
#include "tests/ui/WidgetScript.h"
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
TerminalParam term(const QString& fields, const char* name = "")
{
    const QStringList parts = fields.split('|');
    return record(QString("IP=%1; MAC=%2; ID=%3; ServerPort=%4; Name=%5; Type=IPA-10; Mode=Normal; Ver=1.0.4")
                      .arg(parts.value(0), parts.value(1), parts.value(2, "1"), parts.value(3, "8000"), name)
                      .toUtf8());
}

// Each row's cells, "|" between them, top to bottom; the header first.
QStringList tableText(QTableWidget* table)
{
    QStringList lines;
    for (int row = -1; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            QTableWidgetItem* item = row < 0 ? table->horizontalHeaderItem(column) : table->item(row, column);
            cells << (item != nullptr ? item->text() : QString("(none)"));
        }
        lines << cells.join('|');
    }
    return lines;
}

}  // namespace

class ConflictsTest : public QObject {
    Q_OBJECT

private slots:
    void grouping_data();
    void grouping();
    void conflictTable();
    void okButtonCloses();

private:
    ScratchFolder folder;
};

void ConflictsTest::grouping_data()
{
    QTest::addColumn<QStringList>("terminals");
    QTest::addColumn<QList<int>>("ipOrder");
    QTest::addColumn<QList<int>>("macOrder");

    const QString a = "00-11-22-33-44-01", b = "00-11-22-33-44-02", c = "00-11-22-33-44-03";
    QTest::newRow("none") << QStringList{} << QList<int>{} << QList<int>{};
    QTest::newRow("single") << QStringList{"10.0.0.5|" + a} << QList<int>{} << QList<int>{};
    QTest::newRow("three equal IPs") << QStringList{"10.0.0.5|" + a, "10.0.0.5|" + b + "|2", "10.0.0.5|" + c + "|3"}
                                     << QList<int>{1, 2, 0} << QList<int>{};
    QTest::newRow("two interleaved groups")
        << QStringList{"10.0.0.1|00-11-22-33-44-01|1", "10.0.0.2|00-11-22-33-44-02|2",
                       "10.0.0.1|00-11-22-33-44-03|3", "10.0.0.2|00-11-22-33-44-04|4",
                       "10.0.0.1|00-11-22-33-44-05|5"}
        << QList<int>{2, 4, 0, 3, 1} << QList<int>{};
    QTest::newRow("MAC group only") << QStringList{"10.0.0.1|" + a, "10.0.0.2|" + b + "|2", "10.0.0.3|" + a + "|3"}
                                    << QList<int>{} << QList<int>{2, 0};
    QTest::newRow("IP and MAC groups") << QStringList{"10.0.0.1|" + a, "10.0.0.2|" + a + "|2", "10.0.0.1|" + c + "|3"}
                                       << QList<int>{2, 0} << QList<int>{1, 0};
    QTest::newRow("only ID differs") << QStringList{"10.0.0.5|" + a, "10.0.0.5|" + a + "|2"} << QList<int>{1, 0}
                                     << QList<int>{1, 0};
    QTest::newRow("MAC case counts") << QStringList{"10.0.0.1|00-11-22-33-44-aa", "10.0.0.2|00-11-22-33-44-AA|2"}
                                     << QList<int>{} << QList<int>{};
    QTest::newRow("identical replies") << QStringList{"10.0.0.5|" + a, "10.0.0.5|" + a} << QList<int>{}
                                       << QList<int>{};
    QTest::newRow("only ServerPort differs") << QStringList{"10.0.0.5|" + a + "|1|8000", "10.0.0.5|" + a + "|1|9000"}
                                             << QList<int>{1, 0} << QList<int>{1, 0};
    QTest::newRow("no IPs, different MACs") << QStringList{"|" + a, "|" + b + "|2"} << QList<int>{1, 0}
                                            << QList<int>{};
    QTest::newRow("leading zeros") << QStringList{"192.168.1.5|" + a, "192.168.001.5|" + b + "|2"} << QList<int>{}
                                   << QList<int>{};
    QTest::newRow("same ID only") << QStringList{"10.0.0.1|" + a + "|9", "10.0.0.2|" + b + "|9"} << QList<int>{}
                                  << QList<int>{};
}

void ConflictsTest::grouping()
{
    QFETCH(QStringList, terminals);
    QFETCH(QList<int>, ipOrder);
    QFETCH(QList<int>, macOrder);

    QList<TerminalParam> inputs;  // each with its place in CSeq
    for (const QString& fields : terminals)
        inputs << record("CSeq=" + QByteArray::number(inputs.size()), term(fields));
    QueryTool window(nullptr);
    for (TerminalParam record : inputs)
        onTerminalReply(&record);
    QCoreApplication::processEvents();

    QCOMPARE(places(window.collectConflicts(isIpConflict)), ipOrder);
    QCOMPARE(places(window.collectConflicts(isMacConflict)), macOrder);
    // The check works on a copy: asking again gives the same answer.
    QCOMPARE(places(window.collectConflicts(isIpConflict)), ipOrder);

    // The dialog comes only with conflicts: the IP group above the MAC group,
    // the ID group never.
    ModalWatcher watcher;
    QStringList dialogs;
    watcher.setHandler([&](QWidget* modal) {
        dialogs << readConflictDialog(modal);
        return false;
    });
    window.check_conflict();
    QStringList expected{QString::fromUtf8("冲突检测")};
    for (const auto& group : {qMakePair(QString("fGrpIp"), ipOrder), qMakePair(QString("fGrpMac"), macOrder)}) {
        QStringList rows;
        for (int p : group.second)
            rows << QString::fromUtf8(inputs.at(p).IP) + ' ' + QString::fromUtf8(inputs.at(p).MAC);
        rows.sort();
        if (!rows.isEmpty())
            expected << group.first + ": " + rows.join(", ");
    }
    QCOMPARE(dialogs, expected.size() > 1 ? QStringList{expected.join('\n')} : QStringList());
}

void ConflictsTest::conflictTable()
{
    QueryTool window(nullptr);
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

    // Clicking a header sorts by that column, as in the main table.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QHeaderView* header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
    QCOMPARE(tableText(table), (QStringList{
                                   tableText(window.findChild<QTableWidget*>("terminalsWidget")).first(),
                                   "IPA-10|1|Normal|1.0.4|10.0.0.1|00-11-22-33-44-01",
                                   "Lobby|2|Normal|1.0.4|10.0.0.2|00-11-22-33-44-01",
                                   "IPA-10|3|Normal|1.0.4|10.0.0.3|00-11-22-33-44-01",
                               }));
    QVERIFY(tableText(table).first().startsWith(QString::fromUtf8("设备型号|")));
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
    dialog.showIpConflicts({term("10.0.0.1|00-11-22-33-44-01|1"), term("10.0.0.1|00-11-22-33-44-02|2")});
    ModalWatcher watcher;
    watcher.setHandler([](QWidget* modal) {
        QTest::mouseClick(child<QPushButton>(modal, "okButton"), Qt::LeftButton);
        return true;
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(watcher.count(), 1);
}

QTEST_MAIN(ConflictsTest)
#include "tst_conflicts.moc"
