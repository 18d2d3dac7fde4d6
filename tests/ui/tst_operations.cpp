// The main window's operations end to end: the real engine on its worker
// thread against the terminal simulator over UDP on loopback, every request
// compared byte for byte, every modal answered by the modal watcher. Needs a
// private network namespace (make test provides it).
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/support/RecordText.h"
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
        QVERIFY(rig->start({record("ID=101; Type=NA-200; MAC=00-12-37-aa-00-01; IP=127.1.0.1", base),  // talkback
            record("ID=102; Type=NA-100; MAC=00-12-37-aa-00-02; IP=127.1.0.2", base)}));               // tone
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
        QTest::newRow("talkback volumes only, to the row's address")
            << Flow{"127.1.0.1", {"set_btn"}, editTalkbackVolumes,
                   {"127.1.0.1: SETTING DBP/1.0|CSeq: #|PlayVol: 40|CaptureVol: 6|Reboot: 5||", kSearch}, {kDialog}};
        // The row's tone as its click loaded it.
        const QByteArray volume = kToPlayback + "SETTING DBP/1.0|CSeq: #|Treble: -3|Bass: 5|PlayVol: 0|Reboot: 5||";
        QTest::newRow("tone and volume of the row")
            << Flow{"127.1.0.2", {"kPlayVolumeSettingBtn"}, nullptr, {volume}, {kSucceeded}};
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
        QTest::newRow("row chosen by keys: buttons enabled, pages updated")
            << Flow{"key 127.1.0.2", {"reset_terminal_btn", "kPlayVolumeSettingBtn"}, nullptr,
                   {kToPlayback + kPlayback + "Reboot: 0||", kAll + kPlayback + "Reboot: 0||", volume},
                   {kSucceeded, kSucceeded}};
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
};

QTEST_MAIN(OperationsTest)
#include "tst_operations.moc"
