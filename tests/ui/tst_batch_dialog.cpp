// The window's batch configuration end to end: the search page's button, the
// dialog reading a sheet, planning, applying against the simulator over UDP
// on loopback (network namespace), its outcome, and the window's new search;
// meanwhile the table takes every reply but the dialog's own.
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
            dialog->close();
            return true;
        });
        child<QPushButton>(rig.window.get(), "batch_btn")->click();

        QCOMPARE(watcher.summary(), QStringList({"BatchConfigDialog"}));
        QCOMPARE(results, QStringList({"已设置并验证"}));
        idsWhileOpen.sort();
        QCOMPARE(idsWhileOpen, QStringList({"1", "2", "5"}));  // not the dialog's 12
        QCOMPARE(rig.sim->terminal(1).ID, 12);
        // Searched anew: the table shows the new ID.
        QTRY_VERIFY(!table->findItems("12", Qt::MatchExactly).isEmpty());
    }
};

QTEST_MAIN(BatchDialogTest)
#include "tst_batch_dialog.moc"
