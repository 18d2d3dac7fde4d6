// The main window's operations on one terminal and on all terminals, end to
// end: the real engine on its worker thread against the terminal simulator
// over UDP on loopback, with every modal box and dialog answered by the
// modal watcher. Needs a private network namespace (make test provides it).
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/WidgetScript.h"
#include "ui/settings/QuerySettingDialog.h"

#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>

namespace {

constexpr int kWaitMs = 10000;  // generous: a loaded two-core machine
constexpr int kQuietMs = 400;   // how long "nothing more is sent" is watched

const QString kDialog = "QuerySettingDialog";
const QString kSucceeded = QString::fromUtf8("设置: 设置成功！");
const QString kFailed = QString::fromUtf8("设置: 设置出错，请重新设置！");

enum Terminal { Talkback = 0, Playback = 1, Host = 2, FleetSize = 3 };

std::vector<TerminalParam> fleet()
{
    const TerminalParam base = record(
        "Ver=3.0.2; Mask=255.0.0.0; Gateway=127.0.0.254; Server=127.0.0.9; DNS1=127.0.0.53; Website=example.invalid; "
        "Mode=Normal; Name=--; ServerPort=7000; Server2Port=7000; Speed=100; Treble=-3; Bass=5; PlayVol=20; "
        "CaptureVol=7");
    return {
        record("ID=101; Type=NA-200; MAC=00-12-37-aa-00-01; IP=127.1.0.1", base),  // kind 4: talkback
        record("ID=102; Type=NA-100; MAC=00-12-37-aa-00-02; IP=127.1.0.2", base),  // kind 0: tone
        record("ID=103; Type=HS-1; MAC=00-12-37-aa-00-03; IP=127.1.0.3; SvcConfig= bcast=1", base),  // kind 15
    };
}

// A request as the tests write it: "destination: line|line|…||", its CSeq
// shown as "#" and a freshly drawn MAC as "(new)".
QByteArray shown(const SimRequest& request)
{
    QString text = QString::fromStdString(request.bytes);
    text.replace(QRegularExpression("\r\nCSeq: \\d+\r\n"), "\r\nCSeq: #\r\n");
    text.replace(QRegularExpression("\r\nMAC: 00-12-37(-[0-9a-f]{2}){3}\r\n"), "\r\nMAC: (new)\r\n");
    return QByteArray::fromStdString(simAddressText(request.destinationAddress)) + ": "
        + text.replace("\r\n", "|").toLatin1();
}

QByteArray message(const char* to, const QByteArray& lines)
{
    return QByteArray(to) + ": " + lines + "||";
}

const QByteArray kSearch = message("127.255.255.255", "GET DBP/1.0|CSeq: #|IsBroadcast: 1");
const QByteArray kVolumes40 = message("127.1.0.1", "SETTING DBP/1.0|CSeq: #|PlayVol: 40|CaptureVol: 6|Reboot: 5");
const QByteArray kGetPlayback = message("127.1.0.2", "GET DBP/1.0|CSeq: #|IsBroadcast: 0");
// OK on the playback terminal's dialog, opened by its address: a unicast SET.
const QByteArray kSetPlayback = message(
    "127.1.0.2", "102 NA-100 00-12-37-aa-00-02 DBP/1.0|CSeq: #|Type: NA-100|ID: 102|MAC: (new)|IP: 127.1.0.2|"
                 "Mask: 255.0.0.0|Gateway: 127.0.0.254|Server: 127.0.0.9:7900|Server2: 127.0.0.9:7900|"
                 "IsBroadcast: 0|Speed: 100|UseDNS: 0|AutoIP: 0|Treble: -3|Bass: 5|Reboot: 1|Reboot: HReset,1");

QByteArray reboot(const char* to, int code)
{
    return message(to, "102 NA-100 00-12-37-aa-00-02 DBP/1.0|CSeq: #|Type: NA-100|Reboot: " + QByteArray::number(code));
}

}  // namespace

class OperationsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clickShowsTerminal();
    void operations_data();
    void operations();
    void getAndSetAddsRow();
    void allTerminals_data();
    void allTerminals();

private:
    QWidget* window() const { return rig->window.get(); }
    QTableWidget* table() const { return child<QTableWidget>(window(), "terminalsWidget"); }
    void clickRow(const QByteArray& ip, bool twice = false);
    // The request log, once nothing more has come for a while.
    QByteArrayList settledRequests();
    // Each modal seen: a settings dialog by its class, a box as "title: text".
    QStringList modals() const;

    LoopbackEnvironment environment;
    std::unique_ptr<DiscoveryRig> rig;
    std::unique_ptr<ModalWatcher> watcher;
};

void OperationsTest::init()
{
    rig = std::make_unique<DiscoveryRig>();
    QVERIFY(rig->start(fleet()));
    watcher = std::make_unique<ModalWatcher>();
    rig->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    QTRY_COMPARE_WITH_TIMEOUT(table()->rowCount(), int(FleetSize), kWaitMs);
    QVERIFY(rig->sim->waitForRequests(1, kWaitMs));
    rig->sim->clearRequests();
}

void OperationsTest::cleanup()
{
    rig.reset();
    watcher.reset();
    // Every path through the waiting operations gives the cursor back.
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void OperationsTest::clickRow(const QByteArray& ip, bool twice)
{
    QTableWidget* t = table();
    const QList<QTableWidgetItem*> cells = t->findItems(QString::fromLatin1(ip), Qt::MatchExactly);
    QVERIFY(cells.size() == 1);
    const QPoint center = t->visualItemRect(t->item(cells.first()->row(), 2)).center();
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, center);
    if (twice)
        QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, center);
}

QByteArrayList OperationsTest::settledRequests()
{
    size_t seen = rig->sim->requests().size();
    for (;;) {
        QTest::qWait(kQuietMs);
        const std::vector<SimRequest> all = rig->sim->requests();
        if (all.size() == seen) {
            QByteArrayList texts;
            for (const SimRequest& request : all)
                texts << shown(request);
            return texts;
        }
        seen = all.size();
    }
}

QStringList OperationsTest::modals() const
{
    QStringList out;
    for (const ModalWatcher::Seen& seen : watcher->seen())
        out << (seen.className == kDialog ? kDialog : seen.title + ": " + seen.text);
    return out;
}

void OperationsTest::clickShowsTerminal()
{
    clickRow("127.1.0.2");
    const QByteArray expected
        = "set_btn.enabled=1; enter_updata_btn.enabled=1; reset_terminal_btn.enabled=1; enterUpdateBtn.enabled=1; "
          "termResetBtn.enabled=1; updateIp=127.1.0.2; updateMac=00-12-37-aa-00-02; IpEdit=127.1.0.2; "
          "kMainTrebleSpinBox=-3; kMainTrebleHorSlider=-3; kMainBassSpinBox=5; kMainBassHorSlider=5; kMainVolSpinBox=0";
    QCOMPARE(shows(window(), expected), expected);
}

void OperationsTest::operations_data()
{
    QTest::addColumn<QByteArray>("row");     // IP of the row clicked first ("… twice": double click)
    QTest::addColumn<QByteArray>("steps");   // then what the user does in the window (WidgetScript)
    QTest::addColumn<QByteArray>("dialog");  // and in the settings dialog; without steps it is cancelled
    QTest::addColumn<int>("faulty");         // a terminal that turns faulty once the dialog is up (or at once)
    QTest::addColumn<int>("fault");          // SimBehaviour
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QStringList>("modals");
    QTest::addColumn<QByteArray>("after");   // "index: fields" of that terminal afterwards

    const int silent = int(SimBehaviour::Silent);
    auto row = [](const char* name, const char* click, const char* steps, const char* dialog, int faulty, int fault,
                  const QByteArrayList& sent, const QStringList& modals, const char* after) {
        QTest::newRow(name) << QByteArray(click) << QByteArray(steps) << QByteArray(dialog) << faulty << fault << sent
                            << modals << QByteArray(after);
    };
    // Addressed by the terminal's former ID, model and MAC; optional lines
    // only for the fields the dialog filled; the port of a kind-4 terminal.
    row("set from the table", "127.1.0.1 twice", "", "idEdit=77; MacCheckBox=0; OkBtn", -1, 0,
        {message("127.255.255.255",
                 "101 NA-200 00-12-37-aa-00-01 DBP/1.0|CSeq: #|Type: NA-200|ID: 77|IP: 127.1.0.1|Mask: 255.0.0.0|"
                 "Gateway: 127.0.0.254|Server: 127.0.0.9:7901|Server2: 127.0.0.9:7901|IsBroadcast: 1|Speed: 100|"
                 "UseDNS: 0|AutoIP: 0|Treble: -3|Bass: 5|Reboot: 1|Reboot: HReset,1"),
         kSearch},
        {kDialog}, "0: ID=77");
    row("set cancelled", "127.1.0.2", "set_btn", "", -1, 0, {}, {kDialog}, "1: ID=102");
    row("set without a row", "", "set_terminal()", "", -1, 0, {}, {}, "1: ID=102");
    // Only the volumes, to the terminal's present address; a new search even after a failure.
    row("talkback volumes from the table", "127.1.0.1", "set_btn",
        "talkbackGb; playSpinBox=40; captureSpinBox=6; IpEdit=127.1.0.99; OkBtn", -1, 0, {kVolumes40, kSearch},
        {kDialog}, "0: PlayVol=40; CaptureVol=6; IP=127.1.0.1");
    row("talkback volumes, terminal silent", "127.1.0.1", "set_btn",
        "talkbackGb; playSpinBox=40; captureSpinBox=6; OkBtn", Talkback, silent, {kVolumes40, kSearch},
        {kDialog, kFailed}, "0: PlayVol=20");
    row("talkback volumes by address", "", "IpEdit=127.1.0.1; AttributeBtn", "talkbackGb; playSpinBox=12; idEdit=99; OkBtn",
        -1, 0,
        {message("127.1.0.1", "GET DBP/1.0|CSeq: #|IsBroadcast: 0"),
         message("127.1.0.1", "SETTING DBP/1.0|CSeq: #|PlayVol: 12|CaptureVol: 7|Reboot: 5")},
        {kDialog}, "0: ID=101; PlayVol=12");
    row("set by address, refused with 400", "", "IpEdit=127.1.0.2; AttributeBtn", "OkBtn", Playback,
        int(SimBehaviour::Answer400), {kGetPlayback, kSetPlayback}, {kDialog, kFailed}, "1: ID=102");
    // The terminal may restart before it answers: no box.
    row("set by address, no answer", "", "IpEdit=127.1.0.2; AttributeBtn", "OkBtn", Playback, silent,
        {kGetPlayback, kSetPlayback}, {kDialog}, "1: ID=102");
    // Then without an address (first number 0): nothing is sent, nothing shown.
    row("get by address, no answer", "", "IpEdit=127.1.0.3; AttributeBtn; IpEdit=0.1.0.3; AttributeBtn", "", Host,
        silent, {message("127.1.0.3", "GET DBP/1.0|CSeq: #|IsBroadcast: 0")}, {"tips: Get Term Info Error!"},
        "2: ID=103");
    const char* tone = "groupBox_8=1; IpEdit=127.1.0.2; kMainTrebleHorSlider=3; kMainBassSpinBox=-4; "
                       "kMainVolSpinBox=66; kPlayVolumeSettingBtn";
    const QByteArray toneSent
        = message("127.1.0.2", "SETTING DBP/1.0|CSeq: #|Treble: 3|Bass: -4|PlayVol: 66|Reboot: 5");
    row("tone and volume", "", tone, "", -1, 0, {toneSent}, {kSucceeded}, "1: Treble=3; Bass=-4; PlayVol=66");
    row("tone and volume, terminal silent", "", tone, "", Playback, silent, {toneSent}, {kFailed}, "1: PlayVol=20");
    // Once to the terminal's address, then the same text to the broadcast address.
    for (const char* button : {"enter_updata_btn", "enterUpdateBtn"})
        row(button, "127.1.0.2", button, "", -1, 0, {reboot("127.1.0.2", 2), reboot("127.255.255.255", 2)},
            {kSucceeded}, "1: Mode=Upgrade");
    for (const char* button : {"reset_terminal_btn", "termResetBtn"})
        row(button, "127.1.0.2", button, "", -1, 0, {reboot("127.1.0.2", 0), reboot("127.255.255.255", 0)},
            {kSucceeded}, "1: Mode=Normal");
}

void OperationsTest::operations()
{
    QFETCH(QByteArray, row);
    QFETCH(QByteArray, steps);
    QFETCH(QByteArray, dialog);
    QFETCH(int, faulty);
    QFETCH(int, fault);
    QFETCH(QByteArrayList, sent);
    QFETCH(QStringList, modals);
    QFETCH(QByteArray, after);

    TerminalSimulator* sim = rig->sim.get();
    if (faulty >= 0 && dialog.isEmpty())
        sim->setBehaviour(faulty, SimBehaviour(fault));
    watcher->setHandler([sim, dialog, faulty, fault](QWidget* modal) {
        auto* settings = qobject_cast<QuerySettingDialog*>(modal);
        if (settings == nullptr || dialog.isEmpty())
            return false;
        if (faulty >= 0)
            sim->setBehaviour(faulty, SimBehaviour(fault));
        apply(settings, dialog);
        return true;
    });

    if (row.isEmpty())
        table()->setCurrentCell(-1, -1);
    else
        clickRow(row.split(' ').first(), row.endsWith(" twice"));
    apply(window(), steps);

    QCOMPARE(settledRequests(), sent);
    QCOMPARE(this->modals(), modals);
    // Nothing joins the table; a search afterwards finds the terminals that answer.
    const bool quietInSearch = sent.contains(kSearch) && fault == int(SimBehaviour::Silent);
    QCOMPARE(table()->rowCount(), int(FleetSize) - (quietInSearch ? 1 : 0));
    const TerminalParam terminal = sim->terminal(after.left(1).toInt());
    const QByteArray fields = after.mid(3);
    QCOMPARE(shows(window(), fields, &terminal), fields);
}

void OperationsTest::getAndSetAddsRow()
{
    TerminalParam opened;
    watcher->setHandler([&opened](QWidget* modal) {
        auto* dialog = qobject_cast<QuerySettingDialog*>(modal);
        if (dialog == nullptr)
            return false;
        opened = dialog->fTermParam;
        apply(dialog, "idEdit=88; OkBtn");
        return true;
    });
    apply(window(), "IpEdit=127.1.0.2; AttributeBtn");

    // The dialog showed the record of this terminal's reply, for a unicast
    // SET; no search follows.
    const QByteArray reply = "ID=102; Type=NA-100; MAC=00-12-37-aa-00-02; IP=127.1.0.2; IsBroadcast=0";
    QCOMPARE(shows(window(), reply, &opened), reply);
    QCOMPARE(opened.Address, rig->sim->terminalAddress(Playback));
    QCOMPARE(settledRequests(), (QByteArrayList{kGetPlayback, QByteArray(kSetPlayback).replace("ID: 102", "ID: 88")}));
    QCOMPARE(modals(), QStringList{kDialog});

    // The edited record joins the table as a row of its own, told apart by
    // its new MAC; the terminal's answer to the SET arrives as a reply too.
    const QString mac = QString::fromLatin1(rig->sim->terminal(Playback).MAC);
    QVERIFY(mac != "00-12-37-aa-00-02");
    QStringList idsWithNewMac;
    for (QTableWidgetItem* cell : table()->findItems(mac, Qt::MatchExactly))
        idsWithNewMac << table()->item(cell->row(), 1)->text();
    idsWithNewMac.sort();
    QCOMPARE(idsWithNewMac, QStringList({"102", "88"}));
    QCOMPARE(table()->rowCount(), int(FleetSize) + 2);
}

void OperationsTest::allTerminals_data()
{
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QByteArray>("guarded");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("server") << QByteArray("SrvCheckBox") << QByteArray("SrvSureBtn; setSrvIpEdit")
                            << QByteArray("Server: 127.0.0.77:0");
    QTest::newRow("update") << QByteArray("UpdateCheckBox") << QByteArray("UpdateSureBtn") << QByteArray("UpdateAll: 1");
    QTest::newRow("reset") << QByteArray("ResetCheckBox") << QByteArray("ResetSureBtn") << QByteArray("ResetAll: 1");
}

void OperationsTest::allTerminals()
{
    QFETCH(QByteArray, box);
    QFETCH(QByteArray, guarded);
    QFETCH(QByteArray, line);

    // Each guard enables its button (and editor) and disables it again.
    auto guards = [&](int enabled) {
        QByteArray expected = box + "=" + QByteArray::number(enabled);
        for (const QByteArray& name : scriptItems(guarded))
            expected += "; " + name + ".enabled=" + QByteArray::number(enabled);
        return expected;
    };
    for (int enabled : {1, 0, 1}) {
        apply(window(), box);
        QCOMPARE(shows(window(), guards(enabled)), guards(enabled));
    }
    // With no row selected, one broadcast reaches every terminal; the guard closes again.
    table()->setCurrentCell(-1, -1);
    apply(window(), "setSrvIpEdit=127.0.0.77; " + scriptItems(guarded).first());
    QCOMPARE(shows(window(), guards(0)), guards(0));
    QCOMPARE(settledRequests(), QByteArrayList{message("127.255.255.255", "SET DBP/1.0|CSeq: #|" + line + "|IsBroadcast: 1")});
    QCOMPARE(modals(), QStringList());
    for (int index = 0; index < FleetSize; ++index) {
        const TerminalParam t = rig->sim->terminal(index);
        if (box == "SrvCheckBox")
            QCOMPARE(QByteArray(t.Server), QByteArray("127.0.0.77"));
        else if (box == "UpdateCheckBox")
            QCOMPARE(QByteArray(t.Mode), QByteArray("Upgrade"));
        else
            QCOMPARE(rig->sim->rebootCount(index), 1);
    }
}

QTEST_MAIN(OperationsTest)
#include "tst_operations.moc"
