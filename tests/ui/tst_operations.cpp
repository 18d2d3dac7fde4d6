// The main window's operations end to end: the real engine on its worker
// thread against the terminal simulator over UDP on loopback, every request
// compared byte for byte, every modal answered by the modal watcher; then
// the filter, copying, the export, the status text and the layout kept for
// the next run.
// Needs a private network namespace (make test provides it).
#include "app/ProgramSession.h"
#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/support/RecordText.h"
#include "ui/main/WindowLayoutMemory.h"
#include "ui/settings/QuerySettingDialog.h"
#include "ui/widgets/NxIPLineEdit.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

// What the user does in the settings dialog before OK.
using DialogEdit = std::function<void(QWidget*)>;

// One row: the user clicks a table row, then buttons, edits the settings
// dialog if one opens; then what the simulator received and which modals showed.
struct Flow {
    QByteArray row;
    QByteArrayList clicks;
    DialogEdit edit;  // then OK; none: the dialog is cancelled
    QByteArrayList sent;
    QStringList modals;
    int rows = 2;                               // in the table afterwards
    SimBehaviour fault = SimBehaviour::Normal;  // of the row's terminal once the dialog is up, or at once
};
Q_DECLARE_METATYPE(Flow)

namespace {

constexpr int kWaitMs = 10000;  // generous: a loaded two-core machine
const QString kDialog = "QuerySettingDialog";
const QString kSucceeded = "设置: 设置成功！";
const QString kFailed = "设置: 设置出错，请重新设置！";

// Requests as the tests write them: "destination: line|line|…||".
const QByteArray kAll = "127.255.255.255: ";
const QByteArray kToPlayback = "127.1.0.2: ";
const QByteArray kPlayback = "102 NA-100 00-12-37-aa-00-02 DBP/1.0|CSeq: #|Type: NA-100|";
const QByteArray kSearch = kAll + "GET DBP/1.0|CSeq: #|IsBroadcast: 1||";
// The rows as copied, in the table's order (model text descending).
const QString kHeader = QString::fromUtf8("设备型号\t设备ID\t设备状态\t固件版本\tIP地址\tMAC地址\n");
const QString kRows[] = {QString::fromUtf8("门口,\"A\"\t101\t\t\t127.1.0.1\t00-12-37-aa-00-01\n"),
    QString::fromUtf8("大厅\t102\t\t\t127.1.0.2\t00-12-37-aa-00-02\n")};

void editIdPortMacTone(QWidget* dialog)
{
    child<QLineEdit>(dialog, "idEdit")->setText("77");
    child<QCheckBox>(dialog, "SvrPortCheckBox")->setChecked(true);
    child<QLineEdit>(dialog, "SeverPortEdit")->setText("65535");
    child<QCheckBox>(dialog, "MacCheckBox")->setChecked(false);
    child<QGroupBox>(dialog, "fTermVolumeSet")->setChecked(true);
    child<QSpinBox>(dialog, "spinBoxTreble")->setValue(4);
    child<QSpinBox>(dialog, "spinBoxBass")->setValue(-2);
}

// The address edit is ignored on the talkback-only path.
void editTalkbackVolumes(QWidget* dialog)
{
    QTest::keyClick(child<QGroupBox>(dialog, "talkbackGb"), Qt::Key_Space);
    child<QSpinBox>(dialog, "playSpinBox")->setValue(40);
    child<QSpinBox>(dialog, "captureSpinBox")->setValue(6);
    child<NxIPLineEdit>(dialog, "IpEdit")->setIpAddress("127.1.0.99");
}

}  // namespace

class OperationsTest : public QObject {
    Q_OBJECT

    LoopbackEnvironment environment;
    std::unique_ptr<DiscoveryRig> rig;
    std::unique_ptr<ModalWatcher> watcher;

    QTableWidget* table() const { return child<QTableWidget>(rig->window.get(), "terminalsWidget"); }

private slots:
    void init()
    {
        const TerminalParam base = record("Mask=255.0.0.0; Gateway=127.0.0.254; Server=127.0.0.9; Server2=127.0.0.8; "
                                          "ServerPort=7000; Server2Port=7000; Speed=100; Treble=-3; Bass=5");
        rig = std::make_unique<DiscoveryRig>();
        // A comma, a quote and Chinese in the names, for copying and the export.
        QVERIFY(rig->start({record("ID=101; Type=NA-200; MAC=00-12-37-aa-00-01; IP=127.1.0.1; Name=门口,\"A\"", base),
            record("ID=102; Type=NA-100; MAC=00-12-37-aa-00-02; IP=127.1.0.2; Name=大厅", base)}));  // talkback, tone
        watcher = std::make_unique<ModalWatcher>();
        rig->window->show();
        QTRY_COMPARE_WITH_TIMEOUT(table()->rowCount(), 2, kWaitMs);  // the first search is through
        rig->sim->clearRequests();
        child<QGroupBox>(rig->window.get(), "groupBox_8")->setChecked(true);  // enables the volume button
        child(rig->window.get(), "enter_updata_btn")->show();                 // as any mode but 0 does
    }

    void operations_data()
    {
        QTest::addColumn<Flow>("flow");
        // A new ID tells the edited record from the terminal's reply in the table.
        const DialogEdit newId = [](QWidget* dialog) { child<QLineEdit>(dialog, "idEdit")->setText("88"); };
        // Addressed by the former ID, model and MAC; MAC unticked: no MAC line.
        for (const QByteArray how : {"set_btn", "menu:设置"}) {
            QTest::newRow(qPrintable("SET from the table by broadcast, then a search: " + how))
                << Flow{"127.1.0.2", {how}, editIdPortMacTone,
                       {kAll + kPlayback
                               + "ID: 77|IP: 127.1.0.2|Mask: 255.0.0.0|Gateway: 127.0.0.254|"
                                 "Server: 127.0.0.9:65535|Server2: 127.0.0.8:65535|IsBroadcast: 1|Speed: 100|UseDNS: 0|"
                                 "AutoIP: 0|Treble: 4|Bass: -2|Reboot: 1|Reboot: HReset,1||",
                           kSearch},
                       {kDialog}};
        }
        const QByteArrayList getAndSet{kToPlayback + "GET DBP/1.0|CSeq: #|IsBroadcast: 0||",
            kToPlayback + kPlayback
                + "ID: 88|MAC: (new)|IP: 127.1.0.2|Mask: 255.0.0.0|Gateway: 127.0.0.254|Server: "
                  "127.0.0.9:7900|Server2: 127.0.0.8:7900|IsBroadcast: 0|Speed: 100|UseDNS: 0|AutoIP: 0|Treble: -3|"
                  "Bass: 5|Reboot: 1|Reboot: HReset,1||"};
        QTest::newRow("SET by address: unicast, new MAC, edited record added")
            << Flow{"127.1.0.2", {"AttributeBtn"}, newId, getAndSet, {kDialog}, 4};
        QTest::newRow("SET by address refused with 400: failure box")
            << Flow{"127.1.0.2", {"AttributeBtn"}, newId, getAndSet, {kDialog, kFailed}, 2, SimBehaviour::Answer400};
        // The terminal may restart before it answers.
        QTest::newRow("SET by address unanswered: no box")
            << Flow{"127.1.0.2", {"AttributeBtn"}, newId, getAndSet, {kDialog}, 2, SimBehaviour::Silent};
        // "key ": the row chosen with the keyboard, which enables the buttons as a click does.
        QTest::newRow("talkback volumes only, to the row's address; row chosen by keys")
            << Flow{"key 127.1.0.1", {"set_btn"}, editTalkbackVolumes,
                   {"127.1.0.1: SETTING DBP/1.0|CSeq: #|PlayVol: 40|CaptureVol: 6|Reboot: 5||", kSearch}, {kDialog}};
        // The row's tone as choosing it loaded it.
        const QByteArray volume = kToPlayback + "SETTING DBP/1.0|CSeq: #|Treble: -3|Bass: 5|PlayVol: 0|Reboot: 5||";
        QTest::newRow("tone and volume of the row, chosen by keys")
            << Flow{"key 127.1.0.2", {"kPlayVolumeSettingBtn"}, nullptr, {volume}, {kSucceeded}};
        QTest::newRow("tone and volume unanswered: failure box")
            << Flow{"127.1.0.2", {"kPlayVolumeSettingBtn"}, nullptr, {volume}, {kFailed}, 2, SimBehaviour::Silent};
        // Once to the terminal's address, then the same text by broadcast.
        const std::pair<const char*, const char*> reboots[] = {{"enter_updata_btn", "2"}, {"enterUpdateBtn", "2"},
            {"reset_terminal_btn", "0"}, {"termResetBtn", "0"}, {"menu:进入升级", "2"}, {"menu:重启设备", "0"}};
        for (const auto& [button, code] : reboots) {
            const QByteArray reboot = kPlayback + "Reboot: " + code + "||";
            QTest::newRow(qPrintable(QString("%1 code %2: %3").arg(*code == '2' ? "upgrade" : "reboot", code, button)))
                << Flow{"127.1.0.2", {button}, nullptr, {kToPlayback + reboot, kAll + reboot}, {kSucceeded}};
        }
        QTest::newRow("row chosen by keys: Enter opens the settings")
            << Flow{"key 127.1.0.1", {"Enter"}, editTalkbackVolumes,
                   {"127.1.0.1: SETTING DBP/1.0|CSeq: #|PlayVol: 40|CaptureVol: 6|Reboot: 5||", kSearch}, {kDialog}};
        // Sending unticks the guard: a second click sends nothing.
        for (const QByteArray guard : {"Srv", "Update", "Reset"}) {
            const QByteArray line = guard == "Srv" ? "Server: 192.168.1.100:0" : guard + "All: 1";
            QTest::newRow(qPrintable("once to all terminals, guard unticked: " + guard))
                << Flow{"127.1.0.2", {guard + "CheckBox", guard + "SureBtn", guard + "SureBtn"}, nullptr,
                       {kAll + "SET DBP/1.0|CSeq: #|" + line + "|IsBroadcast: 1||"}, {}};
        }
    }

    void operations()
    {
        QFETCH(Flow, flow);

        TerminalSimulator* sim = rig->sim.get();
        const int terminal = flow.row.right(1).toInt() - 1;  // 127.1.0.n is terminal n - 1
        if (!flow.edit)
            sim->setBehaviour(terminal, flow.fault);
        watcher->setHandler([=](QWidget* modal) {
            if (!flow.edit || qobject_cast<QuerySettingDialog*>(modal) == nullptr)
                return false;
            sim->setBehaviour(terminal, flow.fault);
            flow.edit(modal);
            child<QPushButton>(modal, "OkBtn")->click();
            return true;
        });
        const QList<QTableWidgetItem*> cells = table()->findItems(flow.row.split(' ').last(), Qt::MatchExactly);
        QVERIFY(cells.size() == 1);
        const QPoint center = table()->visualItemRect(cells.first()).center();
        if (!flow.row.startsWith("key "))
            QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, center);
        while (table()->currentRow() != cells.first()->row())  // from no current row to the first, and on
            QTest::keyClick(table(), Qt::Key_Down);
        for (const QByteArray& click : flow.clicks) {
            if (click.startsWith("menu:"))
                chooseFromMenu(table(), cells.first()->row(), QString::fromUtf8(click.mid(5)));
            else if (click == "Enter")
                QTest::keyClick(table(), Qt::Key_Return);
            else
                child<QAbstractButton>(rig->window.get(), click.constData())->click();
        }

        // Every request is on its way once the clicks return; a quiet spell shows any extra one.
        QVERIFY(sim->waitForRequests(flow.sent.size(), kWaitMs));
        QTest::qWait(400);
        QByteArrayList requests;
        for (const SimRequest& request : sim->requests()) {
            QString text = QString::fromStdString(request.bytes).replace("\r\n", "|");
            text.replace(QRegularExpression("\\|CSeq: \\d+\\|"), "|CSeq: #|");
            text.replace(QRegularExpression("\\|MAC: 00-12-37(-[0-9a-f]{2}){3}\\|"), "|MAC: (new)|");
            requests << QByteArray::fromStdString(simAddressText(request.destinationAddress)) + ": " + text.toLatin1();
        }
        QCOMPARE(requests, flow.sent);
        QCOMPARE(watcher->summary(), flow.modals);
        QTRY_COMPARE_WITH_TIMEOUT(table()->rowCount(), flow.rows, kWaitMs);
    }

    void filterAndCopy_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("menuEntry");  // none: Ctrl+C on every row
        QTest::addColumn<QString>("copied");
        QTest::newRow("Ctrl+C: header and rows") << "" << QString() << kHeader + kRows[0] + kRows[1];
        QTest::newRow("filter by name") << QString::fromUtf8("门口") << QString() << kHeader + kRows[0];
        QTest::newRow("filter by MAC, any case") << "AA-00-02" << QString() << kHeader + kRows[1];
        QTest::newRow("menu: IP") << "" << QString::fromUtf8("复制 IP地址") << "127.1.0.2";
        QTest::newRow("menu: row") << "" << QString::fromUtf8("复制整行") << kHeader + kRows[1];
    }

    // Copying takes the visible rows only, so it shows what the filter left;
    // the same after a new search (F5).
    void filterAndCopy()
    {
        QFETCH(QString, filter);
        QFETCH(QString, menuEntry);
        QFETCH(QString, copied);
        child<QLineEdit>(rig->window.get(), "filterEdit")->setText(filter);
        for (int pass = 0; pass < 2; ++pass) {
            QApplication::clipboard()->clear();
            table()->selectAll();
            if (menuEntry.isNull())
                QTest::keyClick(table(), Qt::Key_C, Qt::ControlModifier);
            else
                chooseFromMenu(table(), 1, menuEntry);
            QCOMPARE(QApplication::clipboard()->text(), copied);
            QCOMPARE(child<QLabel>(rig->window.get(), "result_label")->text(), foundText(2));
            QVERIFY(QTest::qWaitFor([&] { return child(rig->window.get(), "query_btn")->isEnabled(); }));
            QTest::keyClick(table(), Qt::Key_F5);
            QTRY_COMPARE_WITH_TIMEOUT(table()->rowCount(), 2, kWaitMs);
        }
    }

    void exporting_data()
    {
        QTest::addColumn<QString>("file");  // holds "old" beforehand
        QTest::newRow("every terminal found, replacing the old file") << "list.csv";
        // The temporary file's name is too long to be created, even for root.
        QTest::newRow("failed: reason shown, old file kept") << QString(250, 'x');
    }

    void exporting()
    {
        QFETCH(QString, file);
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        // The file dialog is answered from its own event loop.
        watcher->setHandler([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))  // replace the old file; close the failure box
                return box->button(QMessageBox::Yes) != nullptr && (box->button(QMessageBox::Yes)->click(), true);
            QTimer::singleShot(0, modal, [&, modal] {
                child<QLineEdit>(modal, "fileNameEdit")->setText(file);
                static_cast<QDialog*>(modal)->accept();
            });
            return true;
        });
        child<QPushButton>(rig->window.get(), "exportBtn")->click();
        const std::string text = (old.open(QIODevice::ReadOnly), old.readAll()).toStdString();
        const bool failed = file.size() > 200;
        QCOMPARE(watcher->summary().last().startsWith(QString::fromUtf8("导出列表: 无法保存 ")), failed);
        std::vector<CsvRow> rows;
        CsvError error;
        QVERIFY(failed ? text == "old"
                       : text.compare(0, 3, kUtf8Bom) == 0 && ParseCsv(text, &rows, &error) && rows.size() == 3);
        for (size_t r = 0; r < rows.size(); ++r) {  // the header, then one row per terminal, found by its ID
            for (size_t c = 0; c < terminalColumns().size(); ++c) {
                const TerminalColumn& column = terminalColumns()[c];
                const std::string expected
                    = r == 0 ? column.name : column.text(rig->sim->terminal(std::stoi(rows[r].fields.at(2)) - 101));
                QCOMPARE(QString::fromStdString(rows[r].fields.at(c)), QString::fromStdString(expected));
            }
        }
    }

    void copyWhileRowsMove_data()
    {
        QTest::addColumn<QString>("menuEntry");
        QTest::addColumn<QString>("copied");
        QTest::newRow("IP") << QString::fromUtf8("复制 IP地址") << "127.1.0.2";
        QTest::newRow("MAC") << QString::fromUtf8("复制 MAC地址") << "00-12-37-aa-00-02";
        QTest::newRow("whole row") << QString::fromUtf8("复制整行") << kHeader + kRows[1];
    }

    // A late reply, while the menu is open, brings a row that sorts above
    // the right-clicked one.
    void copyWhileRowsMove()
    {
        QFETCH(QString, menuEntry);
        QFETCH(QString, copied);
        TerminalSimulator* sim = rig->sim.get();
        const uint16_t port = rig->thread->engine()->LocalPort();
        chooseFromMenu(table(), 1, menuEntry, [=] {
            sim->setTerminal(0, record("ID=103; MAC=00-12-37-aa-00-03; IP=127.1.0.3; Name=门厅", sim->terminal(0)));
            sim->sendFrom(0, sim->replyText(0, 60000), 0x7F000001u, port);
            QVERIFY(QTest::qWaitFor([this] { return table()->rowCount() == 3; }, kWaitMs));
        });
        QCOMPARE(table()->item(1, 4)->text(), QString("127.1.0.3"));  // the row moved
        QCOMPARE(QApplication::clipboard()->text(), copied);
    }

    // The buttons act on the current row; once the filter hides it they are
    // disabled, and showing it again does not choose it again.
    void filterHidingTheChosenRow()
    {
        QWidget* window = rig->window.get();
        const QPoint row = table()->visualItemRect(table()->findItems("127.1.0.2", Qt::MatchExactly).value(0)).center();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, row);
        const auto enabled = [window] {
            QVector<bool> states;
            for (const char* name :
                {"set_btn", "reset_terminal_btn", "enter_updata_btn", "enterUpdateBtn", "termResetBtn"})
                states << child(window, name)->isEnabled();
            return states;
        };
        QCOMPARE(enabled(), QVector<bool>(5, true));
        for (const char* filter : {"门口", ""}) {
            child<QLineEdit>(window, "filterEdit")->setText(QString::fromUtf8(filter));
            QCOMPARE(enabled(), QVector<bool>(5, false));
        }
    }

    // Nine adapters' worth of status: the label cuts it to its width and
    // tells all of it as its tooltip; the window keeps its size.
    void statusTextNeverWidensTheWindow()
    {
        rig.reset();  // one window at a time; this one sends nothing
        QueryTool window(nullptr);
        window.show();
        const QSize size = window.size();
        QStringList adapters;
        for (int n = 1; n <= 9; ++n)
            adapters << QString::fromUtf8("veth%1 (10.77.%1.1)：%1 个设备").arg(n);
        const QString text = QString::fromUtf8("已搜索网卡 ") + adapters.join(QString::fromUtf8("；"));
        auto* label = child<QLabel>(&window, "searchStatusLabel");
        label->setText(text);
        QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(label, &hover);
        QCOMPARE(QToolTip::text(), text);
        QTest::qWait(100);
        QCOMPARE(window.size(), size);
    }

    void layoutKeptForTheNextRun_data()
    {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<bool>("exact");  // else on the screen and no larger
        QTest::newRow("placed") << QRect(30, 40, 300, 200) << true;
        QTest::newRow("off every screen: back on it") << QRect(-5000, 9000, 300, 200) << false;
        QTest::newRow("larger than the screen: fitted") << QRect(0, 0, 1200, 900) << false;
    }

    // A bare table as the window: the main window is larger than the 800 x
    // 600 offscreen screen. User settings live in the scratch folder.
    void layoutKeptForTheNextRun()
    {
        QFETCH(QRect, saved);
        QFETCH(bool, exact);
        auto window = std::make_unique<QTableWidget>(0, 6);
        window->show();
        window->setGeometry(saved);
        WindowLayoutMemory::save(window.get(), window.get());
        window = std::make_unique<QTableWidget>(0, 6);
        WindowLayoutMemory::restore(window.get(), window.get());
        window->show();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.intersects(window->geometry()));
        QVERIFY(window->width() <= screen.width() && window->height() <= screen.height());
        if (exact)
            QCOMPARE(window->geometry(), saved);
    }

    // The program keeps a maximized window maximized, and the table's
    // column widths and sort.
    void maximizedLayoutKept()
    {
        auto session = std::make_unique<ProgramSession>(loopbackSettings(9));
        session->show();
        session->window()->showMaximized();
        session->window()->terminalTable()->horizontalHeader()->resizeSection(1, 77);
        session->window()->terminalTable()->horizontalHeader()->setSortIndicator(4, Qt::AscendingOrder);
        session.reset();  // saves
        session = std::make_unique<ProgramSession>(loopbackSettings(9));
        session->show();
        const QHeaderView* header = session->window()->terminalTable()->horizontalHeader();
        QVERIFY(session->window()->isMaximized());
        QCOMPARE(QList<int>({header->sectionSize(1), header->sortIndicatorSection(), header->sortIndicatorOrder()}),
            QList<int>({77, 4, Qt::AscendingOrder}));
    }
};

QTEST_MAIN(OperationsTest)
#include "tst_operations.moc"
