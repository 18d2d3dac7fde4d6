// The window's batch configuration end to end: the search page's button, the
// dialog reading a sheet, planning, applying against the simulator over UDP
// on loopback (network namespace), its outcome, and the window's new search;
// the export as a sheet that applies as it is; meanwhile the table takes
// every reply but the dialog's own.
#include "core/commission/SheetFile.h"
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/batch/BatchConfigDialog.h"

#include <QtTest>
#include <QtWidgets>

class BatchDialogTest : public QObject {
    Q_OBJECT

    LoopbackEnvironment environment;

private slots:
    void applyFromTheSearchPage()
    {
        DiscoveryRig rig;
        QVERIFY(rig.start({testTerminal(1, "NA-100", "Hall"), testTerminal(2, "MS-10", "Desk")}));
        auto* table = child<QTableWidget>(rig.window.get(), "terminalsWidget");
        QTRY_COMPARE(table->rowCount(), 2);
        QFile sheet("sheet.csv");
        QVERIFY(sheet.open(QIODevice::WriteOnly) && sheet.write("MAC,ID\n00-12-37-00-00-02,12\n") > 0);
        sheet.close();
        QFile refused("refused.csv");
        QVERIFY(refused.open(QIODevice::WriteOnly) && refused.write("MAC,ID\n00-12-37-00-00-02,0\n") > 0);
        refused.close();

        QStringList results;
        QStringList idsWhileOpen;  // the table's IDs once the apply is verified
        ModalWatcher watcher;
        watcher.setHandler([&](QWidget* modal) {
            auto* dialog = qobject_cast<BatchConfigDialog*>(modal);
            if (dialog == nullptr)
                return false;
            // A reply that is nobody's (a terminal answering late) reaches the table.
            QString late = QString::fromStdString(rig.sim->replyText(0, 999)).replace("ID: 1\r", "ID: 5\r");
            late.replace("127.1.0.1", "127.1.0.5").replace("00-00-01", "00-00-05");
            rig.sim->sendFrom(0, late.toStdString(), 0x7F000001u, rig.thread->engine()->LocalPort());
            dialog->loadSheet("sheet.csv");
            auto* apply = child<QPushButton>(dialog, "applyBtn");
            if (QTest::qWaitFor([&] { return apply->isEnabled(); }, 10000))
                apply->click();
            if (QTest::qWaitFor([&] { return child<QPushButton>(dialog, "saveBtn")->isEnabled(); }, 10000))
                results << child<QTableWidget>(dialog, "planTable")->item(0, 3)->text();
            for (int row = 0; row < table->rowCount(); ++row)
                idsWhileOpen << table->item(row, 1)->text();
            // A refused sheet loaded afterwards: its problems can be saved,
            // and the window still searches anew for the apply before it.
            dialog->loadSheet("refused.csv");
            if (QTest::qWaitFor([&] { return child<QPushButton>(dialog, "saveBtn")->isEnabled(); }, 10000))
                results << child<QTableWidget>(dialog, "planTable")->item(0, 3)->text();
            dialog->close();
            return true;
        });
        child<QPushButton>(rig.window.get(), "batch_btn")->click();

        QCOMPARE(watcher.summary(), QStringList({"BatchConfigDialog"}));
        QCOMPARE(results, QStringList({"已设置并验证", "第2行，ID列：“0”不是允许的数值（允许：1..9999）"}));
        idsWhileOpen.sort();
        QCOMPARE(idsWhileOpen, QStringList({"1", "2", "5"}));  // not the dialog's 12
        QCOMPARE(rig.sim->terminal(1).ID, 12);
        // Searched anew: the table shows the new ID.
        QTRY_VERIFY(!table->findItems("12", Qt::MatchExactly).isEmpty());
    }

    // Exported and read back, the sheet finds every terminal and changes nothing.
    void exportAsSheet()
    {
        DiscoveryRig rig;
        // A reply shows a server port only beside a server address.
        QVERIFY(rig.start({record("Server=127.0.0.9", testTerminal(1, "NA-100", "Hall")),
            record("Server=127.0.0.9", testTerminal(2, "MS-10", "Desk"))}));
        BatchConfigDialog dialog(rig.thread->engine());
        ModalWatcher watcher;
        watcher.setHandler([&](QWidget* modal) {
            QTimer::singleShot(0, modal, [modal] {
                child<QLineEdit>(modal, "fileNameEdit")->setText("exported.csv");
                static_cast<QDialog*>(modal)->accept();
            });
            return true;
        });
        child<QPushButton>(&dialog, "exportSheetBtn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("exported.csv"), 10000);
        CommissionSheet sheet;
        QString error;
        QVERIFY(readSheetFile("exported.csv", &sheet, &error));
        const CommissionPlan plan = planCommission(sheet, rig.sim->terminals());
        QCOMPARE(plan.problems.size(), size_t(0));
        QCOMPARE(plan.entries.size(), size_t(2));
        QVERIFY(plan.entries[0].alreadySet && plan.entries[1].alreadySet);
    }
};

QTEST_MAIN(BatchDialogTest)
#include "tst_batch_dialog.moc"
