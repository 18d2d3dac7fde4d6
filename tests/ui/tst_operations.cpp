// The main window's operations on one terminal and on all terminals, end to
// end: the real engine on its worker thread against the terminal simulator
// over UDP on loopback, with every modal box and dialog answered by the
// modal watcher. Needs a private network namespace (make test provides it).
#include "ModalWatcher.h"
#include "net/QueryThread.h"
#include "platform/SocketLayer.h"
#include "tools/terminal-sim/TerminalSimulator.h"
#include "ui/main/QueryTool.h"
#include "ui/settings/DeviceKindTable.h"
#include "ui/settings/QuerySettingDialog.h"
#include "ui/widgets/NxIPLineEdit.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFFu;  // 127.255.255.255
constexpr int kWaitMs = 10000;  // generous: a loaded two-core machine
constexpr int kQuietMs = 400;   // how long "nothing more is sent" is watched

const QString kSetTitle = QString::fromUtf8("设置");
const QString kSucceeded = QString::fromUtf8("设置成功！");
const QString kFailed = QString::fromUtf8("设置出错，请重新设置！");

enum Terminal { Talkback = 0, Playback = 1, Host = 2, FleetSize = 3 };

template <size_t N>
void setText(char (&field)[N], const char* text)
{
    const size_t length = std::min(std::strlen(text), N - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

TerminalParam fleetRecord(int kind, int id, const char* mac, const char* ip)
{
    TerminalParam p;
    p.ID = id;
    setText(p.Type, findKindInfo(kind)->type);
    setText(p.Ver, "3.0.2");
    setText(p.MAC, mac);
    setText(p.IP, ip);
    setText(p.Mask, "255.0.0.0");
    setText(p.Gateway, "127.0.0.254");
    setText(p.Server, "127.0.0.9");
    setText(p.DNS1, "127.0.0.53");
    setText(p.Website, "example.invalid");
    setText(p.Mode, "Normal");
    setText(p.Name, "--");
    p.ServerPort = 7000;
    p.Server2Port = 7000;
    p.Speed = 100;
    p.Treble = -3;
    p.Bass = 5;
    p.PlayVol = 20;
    p.CaptureVol = 7;
    return p;
}

std::vector<TerminalParam> fleet()
{
    std::vector<TerminalParam> records = {
        fleetRecord(4, 101, "00-12-37-aa-00-01", "127.1.0.1"),
        fleetRecord(0, 102, "00-12-37-aa-00-02", "127.1.0.2"),
        fleetRecord(15, 103, "00-12-37-aa-00-03", "127.1.0.3"),
    };
    setText(records[Host].SvcConfig, " bcast=1");
    return records;
}

template <typename T>
T* child(QWidget* parent, const char* name)
{
    T* widget = parent->findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qFatal("no widget %s", name);
    return widget;
}

QByteArray cseqOf(const std::string& request)
{
    QRegularExpression cseq("\r\nCSeq: (\\d+)\r\n");
    return cseq.match(QString::fromStdString(request)).captured(1).toLatin1();
}

// The request text with its CSeq line standing for the one it carries.
QByteArray withCSeq(const SimRequest& request, QByteArray expected)
{
    return expected.replace("CSeq: #", "CSeq: " + cseqOf(request.bytes));
}

QByteArray bytesOf(const SimRequest& request)
{
    return QByteArray::fromStdString(request.bytes);
}

bool isSearch(const SimRequest& request)
{
    return request.bytes.rfind("GET DBP/1.0\r\n", 0) == 0 && request.bytes.find("IsBroadcast: 1\r\n") != std::string::npos
        && request.destinationAddress == kLoopbackBroadcast;
}

// Toggles a checkable group through its title check box, as the user does.
void clickGroupTitle(QGroupBox* group)
{
    QTest::keyClick(group, Qt::Key_Space);
}

}  // namespace

class OperationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { SocketLayerShutdown(); }
    void init();
    void cleanup();

    void clickShowsTerminal();
    void setTerminalSendsEditedRecord();
    void setTerminalWithoutRowDoesNothing();
    void cancelSendsNothing();
    void talkbackOnly_data();
    void talkbackOnly();
    void getAndSetAddsRow();
    void getAndSetTalkbackOnly();
    void getAndSetOutcomes_data();
    void getAndSetOutcomes();
    void getWithoutAnswerShowsTips();
    void toneAndVolume_data();
    void toneAndVolume();
    void enterRoot_data();
    void enterRoot();
    void guards_data();
    void guards();
    void allTerminals_data();
    void allTerminals();

private:
    QTableWidget* table() { return child<QTableWidget>(window.get(), "terminalsWidget"); }
    int rowOf(const char* ip);
    void clickRow(int row);
    std::vector<SimRequest> requestsSince(size_t first);
    bool waitForRequests(size_t count) { return sim->waitForRequests(count, kWaitMs); }
    // The request log from `first` on, once nothing more has come for a while.
    std::vector<SimRequest> settledRequestsSince(size_t first);

    QTemporaryDir workDir;
    std::unique_ptr<TerminalSimulator> sim;
    std::unique_ptr<QueryThread> thread;
    std::unique_ptr<QueryTool> window;
    std::unique_ptr<ModalWatcher> watcher;
};

void OperationsTest::initTestCase()
{
    // The window reads config.ini from the working directory.
    QVERIFY(workDir.isValid());
    QVERIFY(QDir::setCurrent(workDir.path()));
    QVERIFY(SocketLayerStartup());
}

void OperationsTest::init()
{
    SimConfig config;
    config.broadcastAddresses = {"127.255.255.255"};
    sim = std::make_unique<TerminalSimulator>(config, fleet());
    QVERIFY2(sim->start(), sim->errorText().c_str());

    EndpointSettings endpoint;
    endpoint.localPort = 0;
    endpoint.terminalPort = sim->port();
    endpoint.broadcastAddress = kLoopbackBroadcast;
    endpoint.replyTimeoutSeconds = 1;
    thread = std::make_unique<QueryThread>(endpoint);
    QVERIFY(thread->engine()->IsOpen());
    thread->start();

    watcher = std::make_unique<ModalWatcher>();
    window = std::make_unique<QueryTool>(thread->engine());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_COMPARE_WITH_TIMEOUT(table()->rowCount(), int(FleetSize), kWaitMs);
    QVERIFY(waitForRequests(1));
    sim->clearRequests();
}

void OperationsTest::cleanup()
{
    window.reset();
    watcher.reset();
    thread.reset();
    sim.reset();
    // Every path through the waiting operations gives the cursor back.
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

int OperationsTest::rowOf(const char* ip)
{
    for (int row = 0; row < table()->rowCount(); ++row) {
        if (table()->item(row, 4)->text() == QLatin1String(ip))
            return row;
    }
    return -1;
}

void OperationsTest::clickRow(int row)
{
    QTableWidget* t = table();
    const QRect cell = t->visualItemRect(t->item(row, 2));
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell.center());
}

std::vector<SimRequest> OperationsTest::requestsSince(size_t first)
{
    std::vector<SimRequest> all = sim->requests();
    if (first >= all.size())
        return {};
    return std::vector<SimRequest>(all.begin() + static_cast<long>(first), all.end());
}

std::vector<SimRequest> OperationsTest::settledRequestsSince(size_t first)
{
    size_t seen = sim->requests().size();
    for (;;) {
        QTest::qWait(kQuietMs);
        const size_t now = sim->requests().size();
        if (now == seen)
            return requestsSince(first);
        seen = now;
    }
}

void OperationsTest::clickShowsTerminal()
{
    QVERIFY(!child<QPushButton>(window.get(), "set_btn")->isEnabled());
    clickRow(rowOf("127.1.0.2"));
    for (const char* name : {"set_btn", "enter_updata_btn", "reset_terminal_btn", "enterUpdateBtn", "termResetBtn"})
        QVERIFY2(child<QPushButton>(window.get(), name)->isEnabled(), name);
    QCOMPARE(child<QLineEdit>(window.get(), "updateIp")->text(), QString("127.1.0.2"));
    QCOMPARE(child<QLineEdit>(window.get(), "updateMac")->text(), QString("00-12-37-aa-00-02"));
    char ip[32] = {};
    QVERIFY(child<NxIPLineEdit>(window.get(), "IpEdit")->getIpAddress(ip, sizeof ip));
    QCOMPARE(QByteArray(ip), QByteArray("127.1.0.2"));
    QCOMPARE(child<QSpinBox>(window.get(), "kMainTrebleSpinBox")->value(), -3);
    QCOMPARE(child<QSlider>(window.get(), "kMainTrebleHorSlider")->value(), -3);
    QCOMPARE(child<QSpinBox>(window.get(), "kMainBassSpinBox")->value(), 5);
    QCOMPARE(child<QSlider>(window.get(), "kMainBassHorSlider")->value(), 5);
    QCOMPARE(child<QSpinBox>(window.get(), "kMainVolSpinBox")->value(), 0);
}

void OperationsTest::setTerminalSendsEditedRecord()
{
    watcher->setHandler([](QWidget* modal) {
        auto* dialog = qobject_cast<QuerySettingDialog*>(modal);
        if (dialog == nullptr)
            return false;
        child<QLineEdit>(dialog, "idEdit")->setText("77");
        child<QCheckBox>(dialog, "MacCheckBox")->setChecked(false);
        child<QPushButton>(dialog, "OkBtn")->click();
        return true;
    });

    const int row = rowOf("127.1.0.1");
    clickRow(row);
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, table()->visualItemRect(table()->item(row, 2)).center());
    QVERIFY(watcher->waitForCount(1));
    QCOMPARE(watcher->seen().first().className, QString("QuerySettingDialog"));

    QVERIFY(waitForRequests(2));
    const std::vector<SimRequest> sent = requestsSince(0);
    const SimRequest& set = sent[0];
    // Addressed by the terminal's former ID, model and MAC; optional lines
    // only for the fields the dialog filled; the port of a kind-4 terminal.
    const QByteArray expected = withCSeq(set,
                                         "101 NA-200 00-12-37-aa-00-01 DBP/1.0\r\n"
                                         "CSeq: #\r\n"
                                         "Type: NA-200\r\n"
                                         "ID: 77\r\n"
                                         "IP: 127.1.0.1\r\n"
                                         "Mask: 255.0.0.0\r\n"
                                         "Gateway: 127.0.0.254\r\n"
                                         "Server: 127.0.0.9:7901\r\n"
                                         "Server2: 127.0.0.9:7901\r\n"
                                         "IsBroadcast: 1\r\n"
                                         "Speed: 100\r\n"
                                         "UseDNS: 0\r\n"
                                         "AutoIP: 0\r\n"
                                         "Treble: -3\r\n"
                                         "Bass: 5\r\n"
                                         "Reboot: 1\r\n"
                                         "Reboot: HReset,1\r\n"
                                         "\r\n");
    QCOMPARE(bytesOf(set), expected);
    QCOMPARE(set.destinationAddress, kLoopbackBroadcast);
    QVERIFY(isSearch(sent[1]));
    QCOMPARE(watcher->count(), 1);

    // The new search shows what the terminal took over.
    QTRY_VERIFY_WITH_TIMEOUT(rowOf("127.1.0.1") >= 0 && table()->item(rowOf("127.1.0.1"), 1)->text() == "77", kWaitMs);
    QCOMPARE(sim->terminal(Talkback).ID, 77);
    QCOMPARE(sim->rebootCount(Talkback), 1);
}

void OperationsTest::setTerminalWithoutRowDoesNothing()
{
    table()->setCurrentCell(-1, -1);
    window->set_terminal();
    QTest::qWait(kQuietMs);
    QCOMPARE(watcher->count(), 0);
    QVERIFY(sim->requests().empty());
}

void OperationsTest::cancelSendsNothing()
{
    clickRow(rowOf("127.1.0.2"));
    child<QPushButton>(window.get(), "set_btn")->click();
    QCOMPARE(watcher->count(), 1);  // the dialog, rejected by the watcher
    QCOMPARE(watcher->seen().first().className, QString("QuerySettingDialog"));
    QTest::qWait(kQuietMs);
    QVERIFY(sim->requests().empty());
    QCOMPARE(table()->rowCount(), int(FleetSize));
}

void OperationsTest::talkbackOnly_data()
{
    QTest::addColumn<bool>("answers");
    QTest::newRow("terminal answers") << true;
    QTest::newRow("terminal silent") << false;
}

void OperationsTest::talkbackOnly()
{
    QFETCH(bool, answers);
    if (!answers)
        sim->setBehaviour(Talkback, SimBehaviour::Silent);
    watcher->setHandler([](QWidget* modal) {
        auto* dialog = qobject_cast<QuerySettingDialog*>(modal);
        if (dialog == nullptr)
            return false;
        clickGroupTitle(child<QGroupBox>(dialog, "talkbackGb"));
        child<QSpinBox>(dialog, "playSpinBox")->setValue(40);
        child<QSpinBox>(dialog, "captureSpinBox")->setValue(6);
        // Ignored on this path: the volumes go to the terminal's present address.
        child<NxIPLineEdit>(dialog, "IpEdit")->setIpAddress("127.1.0.99");
        child<QPushButton>(dialog, "OkBtn")->click();
        return true;
    });

    clickRow(rowOf("127.1.0.1"));
    child<QPushButton>(window.get(), "set_btn")->click();

    QVERIFY(waitForRequests(2));
    const std::vector<SimRequest> sent = requestsSince(0);
    QCOMPARE(bytesOf(sent[0]),
             withCSeq(sent[0], "SETTING DBP/1.0\r\nCSeq: #\r\nPlayVol: 40\r\nCaptureVol: 6\r\nReboot: 5\r\n\r\n"));
    QCOMPARE(simAddressText(sent[0].destinationAddress), std::string("127.1.0.1"));
    QVERIFY(isSearch(sent[1]));

    if (answers) {
        QCOMPARE(watcher->count(), 1);
        QCOMPARE(int(sim->terminal(Talkback).PlayVol), 40);
        QCOMPARE(int(sim->terminal(Talkback).CaptureVol), 6);
    } else {
        QCOMPARE(watcher->count(), 2);
        QCOMPARE(watcher->seen().at(1).title, kSetTitle);
        QCOMPARE(watcher->seen().at(1).text, kFailed);
    }
}

void OperationsTest::getAndSetAddsRow()
{
    TerminalParam shown;
    watcher->setHandler([&shown](QWidget* modal) {
        auto* dialog = qobject_cast<QuerySettingDialog*>(modal);
        if (dialog == nullptr)
            return false;
        shown = dialog->fTermParam;
        child<QLineEdit>(dialog, "idEdit")->setText("88");
        child<QPushButton>(dialog, "OkBtn")->click();
        return true;
    });

    child<NxIPLineEdit>(window.get(), "IpEdit")->setIpAddress("127.1.0.2");
    child<QPushButton>(window.get(), "AttributeBtn")->click();

    // The dialog showed the record of this terminal's reply, for a unicast SET.
    const TerminalParam expected = sim->terminals()[Playback];
    QCOMPARE(shown.ID, 102);
    QCOMPARE(QByteArray(shown.Type), QByteArray(expected.Type));
    QCOMPARE(QByteArray(shown.MAC), QByteArray("00-12-37-aa-00-02"));
    QCOMPARE(QByteArray(shown.IP), QByteArray("127.1.0.2"));
    QCOMPARE(shown.Address, sim->terminalAddress(Playback));
    QCOMPARE(int(shown.IsBroadcast), 0);

    const std::vector<SimRequest> sent = settledRequestsSince(0);
    QCOMPARE(sent.size(), size_t(2));  // the GET and the SET; no search
    QCOMPARE(bytesOf(sent[0]), withCSeq(sent[0], "GET DBP/1.0\r\nCSeq: #\r\nIsBroadcast: 0\r\n\r\n"));
    QCOMPARE(simAddressText(sent[0].destinationAddress), std::string("127.1.0.2"));
    QVERIFY(bytesOf(sent[1]).startsWith("102 NA-100 00-12-37-aa-00-02 DBP/1.0\r\n"));
    QVERIFY(bytesOf(sent[1]).contains("\r\nID: 88\r\n"));
    QVERIFY(bytesOf(sent[1]).contains("\r\nIsBroadcast: 0\r\n"));
    QCOMPARE(simAddressText(sent[1].destinationAddress), std::string("127.1.0.2"));

    // The edited record joins the table as a row of its own, told apart by
    // its new MAC; the terminal's answer to the SET arrives as a reply too.
    const QString mac = QRegularExpression("\r\nMAC: ([0-9a-f-]+)\r\n").match(QString(bytesOf(sent[1]))).captured(1);
    QVERIFY(!mac.isEmpty());
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(table()->rowCount(), int(FleetSize) + 2);
    QStringList rowsWithNewMac;
    for (int row = 0; row < table()->rowCount(); ++row) {
        if (table()->item(row, 5)->text() == mac)
            rowsWithNewMac << table()->item(row, 1)->text();
    }
    rowsWithNewMac.sort();
    QCOMPARE(rowsWithNewMac, QStringList({"102", "88"}));
}

void OperationsTest::getAndSetTalkbackOnly()
{
    watcher->setHandler([](QWidget* modal) {
        auto* dialog = qobject_cast<QuerySettingDialog*>(modal);
        if (dialog == nullptr)
            return false;
        clickGroupTitle(child<QGroupBox>(dialog, "talkbackGb"));
        child<QSpinBox>(dialog, "playSpinBox")->setValue(12);
        child<QLineEdit>(dialog, "idEdit")->setText("99");
        child<QPushButton>(dialog, "OkBtn")->click();
        return true;
    });

    child<NxIPLineEdit>(window.get(), "IpEdit")->setIpAddress("127.1.0.1");
    child<QPushButton>(window.get(), "AttributeBtn")->click();

    // The GET, then only the volumes: no SET, no search, no box.
    const std::vector<SimRequest> sent = settledRequestsSince(0);
    QCOMPARE(sent.size(), size_t(2));
    QCOMPARE(bytesOf(sent[1]),
             withCSeq(sent[1], "SETTING DBP/1.0\r\nCSeq: #\r\nPlayVol: 12\r\nCaptureVol: 7\r\nReboot: 5\r\n\r\n"));
    QCOMPARE(simAddressText(sent[1].destinationAddress), std::string("127.1.0.1"));
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(sim->terminal(Talkback).ID, 101);
    QCOMPARE(int(sim->terminal(Talkback).PlayVol), 12);
}

void OperationsTest::getAndSetOutcomes_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<bool>("failureBox");

    QTest::newRow("SET refused with 400") << int(SimBehaviour::Answer400) << true;
    QTest::newRow("SET without answer") << int(SimBehaviour::Silent) << false;
}

void OperationsTest::getAndSetOutcomes()
{
    QFETCH(int, behaviour);
    QFETCH(bool, failureBox);

    TerminalSimulator* terminals = sim.get();
    watcher->setHandler([terminals, behaviour](QWidget* modal) {
        auto* dialog = qobject_cast<QuerySettingDialog*>(modal);
        if (dialog == nullptr)
            return false;
        terminals->setBehaviour(Playback, SimBehaviour(behaviour));
        child<QPushButton>(dialog, "OkBtn")->click();
        return true;
    });

    child<NxIPLineEdit>(window.get(), "IpEdit")->setIpAddress("127.1.0.2");
    child<QPushButton>(window.get(), "AttributeBtn")->click();

    QCOMPARE(settledRequestsSince(0).size(), size_t(2));
    QCOMPARE(watcher->count(), failureBox ? 2 : 1);
    if (failureBox) {
        QCOMPARE(watcher->seen().at(1).title, kSetTitle);
        QCOMPARE(watcher->seen().at(1).text, kFailed);
    }
    QCOMPARE(table()->rowCount(), int(FleetSize));
}

void OperationsTest::getWithoutAnswerShowsTips()
{
    sim->setBehaviour(Host, SimBehaviour::Silent);
    child<NxIPLineEdit>(window.get(), "IpEdit")->setIpAddress("127.1.0.3");
    child<QPushButton>(window.get(), "AttributeBtn")->click();
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().className, QString("QMessageBox"));
    QCOMPARE(watcher->seen().first().title, QString("tips"));
    QCOMPARE(watcher->seen().first().text, QString("Get Term Info Error!"));
    QCOMPARE(settledRequestsSince(0).size(), size_t(1));

    // No address (first field 0): nothing is sent, nothing shown.
    child<NxIPLineEdit>(window.get(), "IpEdit")->setIpAddress("0.1.0.3");
    child<QPushButton>(window.get(), "AttributeBtn")->click();
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(settledRequestsSince(0).size(), size_t(1));
}

void OperationsTest::toneAndVolume_data()
{
    QTest::addColumn<bool>("answers");
    QTest::newRow("terminal answers") << true;
    QTest::newRow("terminal silent") << false;
}

void OperationsTest::toneAndVolume()
{
    QFETCH(bool, answers);
    if (!answers)
        sim->setBehaviour(Playback, SimBehaviour::Silent);

    child<QGroupBox>(window.get(), "groupBox_8")->setChecked(true);
    child<NxIPLineEdit>(window.get(), "IpEdit")->setIpAddress("127.1.0.2");
    child<QSlider>(window.get(), "kMainTrebleHorSlider")->setValue(3);
    child<QSpinBox>(window.get(), "kMainBassSpinBox")->setValue(-4);
    child<QSpinBox>(window.get(), "kMainVolSpinBox")->setValue(66);
    child<QPushButton>(window.get(), "kPlayVolumeSettingBtn")->click();

    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().title, kSetTitle);
    QCOMPARE(watcher->seen().first().text, answers ? kSucceeded : kFailed);
    const std::vector<SimRequest> sent = settledRequestsSince(0);
    QCOMPARE(sent.size(), size_t(1));
    QCOMPARE(bytesOf(sent[0]),
             withCSeq(sent[0], "SETTING DBP/1.0\r\nCSeq: #\r\nTreble: 3\r\nBass: -4\r\nPlayVol: 66\r\nReboot: 5\r\n\r\n"));
    QCOMPARE(simAddressText(sent[0].destinationAddress), std::string("127.1.0.2"));
}

void OperationsTest::enterRoot_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");

    QTest::newRow("enter_updata_btn") << "enter_updata_btn" << 2;
    QTest::newRow("reset_terminal_btn") << "reset_terminal_btn" << 0;
    QTest::newRow("enterUpdateBtn") << "enterUpdateBtn" << 2;
    QTest::newRow("termResetBtn") << "termResetBtn" << 0;
}

void OperationsTest::enterRoot()
{
    QFETCH(QString, button);
    QFETCH(int, code);

    clickRow(rowOf("127.1.0.2"));
    child<QPushButton>(window.get(), button.toLatin1().constData())->click();

    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().text, kSucceeded);
    // Once to the terminal's address, then the same text to the broadcast address.
    const std::vector<SimRequest> sent = settledRequestsSince(0);
    QCOMPARE(sent.size(), size_t(2));
    const QByteArray expected = withCSeq(sent[0], "102 NA-100 00-12-37-aa-00-02 DBP/1.0\r\nCSeq: #\r\nType: NA-100\r\nReboot: "
                                                      + QByteArray::number(code) + "\r\n\r\n");
    QCOMPARE(bytesOf(sent[0]), expected);
    QCOMPARE(bytesOf(sent[1]), expected);
    QCOMPARE(simAddressText(sent[0].destinationAddress), std::string("127.1.0.2"));
    QCOMPARE(sent[1].destinationAddress, kLoopbackBroadcast);
    QCOMPARE(table()->rowCount(), int(FleetSize));
    QCOMPARE(QByteArray(sim->terminal(Playback).Mode), QByteArray(code == 2 ? "Upgrade" : "Normal"));
}

void OperationsTest::guards_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("guarded");

    QTest::newRow("server") << "SrvCheckBox" << QStringList{"SrvSureBtn", "setSrvIpEdit"};
    QTest::newRow("update") << "UpdateCheckBox" << QStringList{"UpdateSureBtn"};
    QTest::newRow("reset") << "ResetCheckBox" << QStringList{"ResetSureBtn"};
}

void OperationsTest::guards()
{
    QFETCH(QString, box);
    QFETCH(QStringList, guarded);

    auto* check = child<QCheckBox>(window.get(), box.toLatin1().constData());
    for (bool ticked : {true, false, true, false}) {
        check->click();
        QCOMPARE(check->isChecked(), ticked);
        for (const QString& name : guarded)
            QCOMPARE(child<QWidget>(window.get(), name.toLatin1().constData())->isEnabled(), ticked);
    }
}

void OperationsTest::allTerminals_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("server") << "SrvCheckBox" << "SrvSureBtn" << QByteArray("Server: 127.0.0.77:0");
    QTest::newRow("update") << "UpdateCheckBox" << "UpdateSureBtn" << QByteArray("UpdateAll: 1");
    QTest::newRow("reset") << "ResetCheckBox" << "ResetSureBtn" << QByteArray("ResetAll: 1");
}

void OperationsTest::allTerminals()
{
    QFETCH(QString, box);
    QFETCH(QString, button);
    QFETCH(QByteArray, line);

    table()->setCurrentCell(-1, -1);
    auto* check = child<QCheckBox>(window.get(), box.toLatin1().constData());
    auto* confirm = child<QPushButton>(window.get(), button.toLatin1().constData());
    check->click();
    child<NxIPLineEdit>(window.get(), "setSrvIpEdit")->setIpAddress("127.0.0.77");
    confirm->click();

    QVERIFY(!check->isChecked());
    QVERIFY(!confirm->isEnabled());
    QVERIFY(!child<NxIPLineEdit>(window.get(), "setSrvIpEdit")->isEnabled());

    const std::vector<SimRequest> sent = settledRequestsSince(0);
    QCOMPARE(sent.size(), size_t(1));
    QCOMPARE(bytesOf(sent[0]), withCSeq(sent[0], "SET DBP/1.0\r\nCSeq: #\r\n" + line + "\r\nIsBroadcast: 1\r\n\r\n"));
    QCOMPARE(sent[0].destinationAddress, kLoopbackBroadcast);
    QCOMPARE(watcher->count(), 0);

    for (int index = 0; index < FleetSize; ++index) {
        const TerminalParam t = sim->terminal(index);
        if (box == "SrvCheckBox")
            QCOMPARE(QByteArray(t.Server), QByteArray("127.0.0.77"));
        else if (box == "UpdateCheckBox")
            QCOMPARE(QByteArray(t.Mode), QByteArray("Upgrade"));
        else
            QCOMPARE(sim->rebootCount(index), 1);
    }
}

QTEST_MAIN(OperationsTest)
#include "tst_operations.moc"
