// The installer's routine in the window against a simulated fleet: the
// filter and copying rows, the CSV export from the window and from the
// conflict report, and the layout kept from one run to the next. Needs a
// private network namespace (make test provides it).
#include "app/ProgramSession.h"
#include "records/Csv.h"
#include "records/TerminalColumns.h"
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/conflict/ConflictRules.h"

namespace {

// The table's rows, sorted by model text, descending; the first two share an IP.
const QString kHeader = QString::fromUtf8("设备型号\t设备ID\t设备状态\t固件版本\tIP地址\tMAC地址\n");
const QString kRows[] = {QString::fromUtf8("门口,\"A\"\t1\tNormal\tV2.1\t127.1.0.1\t00-12-37-00-00-01\n"),
    QString::fromUtf8("大厅\t3\tNormal\tV2.3\t127.1.0.1\t00-12-37-00-00-03\n"),
    "NA-200\t2\tNormal\tV2.2\t127.1.0.2\t00-12-37-00-00-02\n"};

}  // namespace

class WorkflowTest : public QObject {
    Q_OBJECT

    LoopbackEnvironment environment;
    DiscoveryRig rig;
    ModalWatcher watcher;
    // A server, so that the replies carry the server port too.
    const std::vector<TerminalParam> fleet{record("Server=10.0.0.9", testTerminal(1, "NA-100", "门口,\"A\"")),
        record("Server=10.0.0.9", testTerminal(2, "NA-200", "--")),
        record("Server=10.0.0.9; IP=127.1.0.1", testTerminal(3, "IPA-10", "大厅"))};

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, environment.folder.path());
        QVERIFY(rig.start(fleet));
        rig.window->show();
        QVERIFY(watcher.waitForCount(1));  // the conflict report: every reply is in
    }

    void filterAndCopy_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("copied");
        QTest::newRow("Ctrl+C: header and the selected rows") << ""
                                                              << "Ctrl+C" << kHeader + kRows[0] + kRows[1] + kRows[2];
        QTest::newRow("filter by model, any case") << "na-2"
                                                   << "Ctrl+C" << kHeader + kRows[2];
        QTest::newRow("filter by IP") << "127.1.0.1"
                                      << "Ctrl+C" << kHeader + kRows[0] + kRows[1];
        QTest::newRow("filter by Chinese name") << QString::fromUtf8("大厅") << "Ctrl+C" << kHeader + kRows[1];
        QTest::newRow("menu: IP") << "" << QString::fromUtf8("复制 IP地址") << "127.1.0.2";
        QTest::newRow("menu: MAC") << "" << QString::fromUtf8("复制 MAC地址") << "00-12-37-00-00-02";
        QTest::newRow("menu: row") << "" << QString::fromUtf8("复制整行") << kHeader + kRows[2];
    }

    // Copying takes the visible rows only, so it shows what the filter left.
    void filterAndCopy()
    {
        QFETCH(QString, filter);
        QFETCH(QString, how);
        QFETCH(QString, copied);
        child<QLineEdit>(rig.window.get(), "filterEdit")->setText(filter);
        QTableWidget* table = rig.window->terminalTable();
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {  // again after a new search (F5), up to its conflict report
                const int reports = watcher.count();
                QVERIFY(QTest::qWaitFor([&] { return child(rig.window.get(), "query_btn")->isEnabled(); }));
                QApplication::setActiveWindow(rig.window.get());  // as the report left it
                QTest::keyClick(table, Qt::Key_F5);
                QVERIFY(watcher.waitForCount(reports + 1));
            }
            QApplication::clipboard()->clear();
            table->selectAll();
            if (how == "Ctrl+C")
                QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
            else
                chooseFromMenu(table, 2, how);
            QCOMPARE(QApplication::clipboard()->text(), copied);
            QCOMPARE(child<QLabel>(rig.window.get(), "result_label")->text(), foundText(3));
            QCOMPARE(rig.window->collectConflicts(isIpConflict).size(), 2);
        }
    }

    void exporting_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("file");  // holds "old" beforehand
        QTest::addColumn<QList<int>>("terminals");
        QTest::newRow("window: every terminal found") << QByteArray("exportBtn") << "list.csv" << QList<int>{1, 2, 3};
        QTest::newRow("report: its IP list") << QByteArray("fBtnExportIp") << "ip.csv" << QList<int>{3, 1};
        // The temporary file's name is too long to be created, even for root.
        QTest::newRow("failed: reason shown, old file kept")
            << QByteArray("exportBtn") << QString(250, 'x') << QList<int>{};
    }

    void exporting()
    {
        QFETCH(QByteArray, button);
        QFETCH(QString, file);
        QFETCH(QList<int>, terminals);
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        // From the dialogs' own event loops, as each opens the next.
        watcher.setHandler([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box != nullptr && box->button(QMessageBox::Yes) != nullptr)
                box->button(QMessageBox::Yes)->click();  // replace the old file
            else if (auto* dialog = qobject_cast<QFileDialog*>(modal))
                QTimer::singleShot(0, dialog, [&, dialog] {
                    child<QLineEdit>(dialog, "fileNameEdit")->setText(file);  // as typed
                    static_cast<QDialog*>(dialog)->accept();
                });
            else if (box == nullptr)  // the conflict report
                QTimer::singleShot(
                    0, modal, [&, modal] { child<QPushButton>(modal, button)->click(), modal->close(); });
            return box == nullptr || box->button(QMessageBox::Yes) != nullptr;
        });
        if (button == "exportBtn")
            child<QPushButton>(rig.window.get(), button)->click();
        else
            rig.window->check_conflict();
        watcher.setHandler(nullptr);
        QVERIFY(old.open(QIODevice::ReadOnly));
        const std::string text = old.readAll().toStdString();
        if (terminals.isEmpty()) {
            QCOMPARE(text, "old");
            QVERIFY(watcher.summary().last().startsWith(QString::fromUtf8("导出列表: 无法保存 ")));
            return;
        }
        std::vector<CsvRow> rows;
        std::string error;
        QVERIFY2(text.compare(0, 3, kUtf8Bom) == 0 && ParseCsv(text, &rows, &error), error.c_str());
        QCOMPARE(int(rows.size()), terminals.size() + 1);
        for (size_t r = 0; r < rows.size(); ++r) {  // the header, then the list in its order
            for (size_t c = 0; c < terminalColumns().size(); ++c) {
                const TerminalColumn& column = terminalColumns()[c];
                const std::string expected = r == 0 ? column.name : column.text(rig.sim->terminal(terminals[r - 1] - 1));
                QCOMPARE(QString::fromStdString(rows[r].fields.at(c)), QString::fromStdString(expected));
            }
        }
    }

    void layout_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<bool>("kept");
        QTest::newRow("on the screen") << QPoint(30, 40) << true;
        QTest::newRow("off every screen: ignored") << QPoint(-5000, 9000) << false;
    }

    // Last: a session's window takes the replies over from the rig's.
    void layout()
    {
        QFETCH(QPoint, position);
        QFETCH(bool, kept);
        for (int run = 0; run < 2; ++run) {
            ProgramSession session(loopbackSettings(9));
            QWidget* window = session.window();
            QHeaderView* header = session.window()->terminalTable()->horizontalHeader();
            if (run == 0) {
                window->setGeometry(QRect(position, QSize(900, 560)));
                header->resizeSection(1, 77);
                header->setSortIndicator(4, Qt::AscendingOrder);
                continue;
            }
            QCOMPARE(window->size(), QSize(900, 560));
            QCOMPARE(window->pos() == position, kept);
            QCOMPARE(header->sectionSize(1), 77);
            QCOMPARE(header->sortIndicatorSection(), 4);
            QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        }
    }
};

QTEST_MAIN(WorkflowTest)
#include "tst_workflow.moc"
