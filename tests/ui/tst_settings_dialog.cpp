// The settings dialog on its own: what it shows after loading a terminal,
// how its widgets are coupled, and what OK writes into fTermParam.
#include "net/TerminalParam.h"
#include "ui/settings/DeviceKindTable.h"
#include "ui/settings/QuerySettingDialog.h"
#include "ui/widgets/NxIPLineEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>
#include <cstring>

namespace {

const char kTerminalMac[] = "00-12-37-aa-bb-cc";
const char kFactoryMac[] = "00-12-37-11-22-12";

template <size_t N>
void setText(char (&field)[N], const char* text)
{
    const size_t length = std::min(std::strlen(text), N - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

// A terminal with manual addressing that passes the address check.
TerminalParam terminalOf(const char* type)
{
    TerminalParam p;
    p.ID = 42;
    setText(p.Type, type);
    setText(p.Ver, "2.1.7");
    setText(p.MAC, kTerminalMac);
    setText(p.IP, "192.168.1.10");
    setText(p.Mask, "255.255.255.0");
    setText(p.Gateway, "192.168.1.1");
    setText(p.Server, "192.168.1.100");
    setText(p.Server2, "192.168.1.101");
    setText(p.DNS1, "192.168.1.1");
    setText(p.Website, "example.invalid");
    setText(p.SvcConfig, " bcast=1 talk=0");
    setText(p.Name, "Hall-3");
    p.ServerPort = 7900;
    p.Server2Port = 7900;
    p.Speed = 100;
    p.Treble = -7;
    p.Bass = 7;
    p.PlayVol = 30;
    p.CaptureVol = 8;
    p.Address = 0x7f010001;
    return p;
}

const char* typeOfKind(int kind)
{
    const DeviceKindInfo* info = findKindInfo(kind);
    return info != nullptr ? info->type : "";
}

template <typename T>
T* child(QuerySettingDialog& dialog, const char* name)
{
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qFatal("no widget %s", name);
    return widget;
}

bool shown(QWidget* widget)
{
    return !widget->isHidden();
}

void pressOk(QuerySettingDialog& dialog)
{
    child<QPushButton>(dialog, "OkBtn")->click();
}

// Toggles a checkable group through its title check box, as the user does
// (space on the group), so that the group's clicked(bool) is emitted.
void clickGroupTitle(QGroupBox* group)
{
    QTest::keyClick(group, Qt::Key_Space);
}

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void kindTable();
    void loadedState_data();
    void loadedState();
    void idShown_data();
    void idShown();
    void speedShown_data();
    void speedShown();
    void addressingShown();
    void couplings();
    void inputRules();
    void dialogShrinksWithoutTalkbackGroup();
    void okId_data();
    void okId();
    void okPort_data();
    void okPort();
    void okSpeed();
    void okToneAndVolume_data();
    void okToneAndVolume();
    void okMac_data();
    void okMac();
    void randomMacsDiffer();
    void okAutomaticAddressing();
    void okPassesUntouchedFieldsThrough();
    void okSeparateServers();
    void cancelKeepsCopy();
    void talkbackOnlyFlag();
    void unconnectedSlots();
};

void SettingsDialogTest::kindTable()
{
    QSet<int> kinds;
    for (const DeviceKindInfo& row : DeviceKindTable) {
        kinds.insert(row.kind);
        QVERIFY(row.type[0] != '\0');
    }
    QCOMPARE(kinds.size(), kDeviceKindCount);
    for (int kind = 0; kind < kDeviceKindCount; ++kind)
        QVERIFY(kinds.contains(kind));

    // Row 4 carries row 3's code under another name: kind 18 is never found by type.
    QCOMPARE(QByteArray(DeviceKindTable[4].type), QByteArray(DeviceKindTable[3].type));
    QVERIFY(QByteArray(DeviceKindTable[4].name) != QByteArray(DeviceKindTable[3].name));
    QCOMPARE(findKindByType(DeviceKindTable[4].type), 19);
    for (int row = 0; row < kDeviceKindCount; ++row) {
        if (row != 4)
            QCOMPARE(QByteArray(DeviceKindTable[row].name), QByteArray(DeviceKindTable[row].type));
    }

    QCOMPARE(findKindByType(nullptr), -1);
    QCOMPARE(findKindByType(""), -1);
    const QByteArray lower = QByteArray(typeOfKind(4)).toLower();
    QCOMPARE(findKindByType(lower.constData()), -1);
    const QByteArray longer = QByteArray(typeOfKind(4)) + "X";
    QCOMPARE(findKindByType(longer.constData()), -1);

    QCOMPARE(findKindInfo(31), nullptr);
    QCOMPARE(findKindInfo(-1), nullptr);
    QCOMPARE(findKindInfo(18), &DeviceKindTable[4]);
    for (int kind : {15, 16, 17, 29})
        QCOMPARE(findKindInfo(kind)->defaultPort, 0);
}

void SettingsDialogTest::loadedState_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("talkback");
    QTest::addColumn<bool>("tone");

    QTest::newRow("kind 0 (playback)") << QByteArray(typeOfKind(0)) << 0 << false << true;
    QTest::newRow("kind 2 (playback)") << QByteArray(typeOfKind(2)) << 2 << false << true;
    QTest::newRow("kind 4 (talkback)") << QByteArray(typeOfKind(4)) << 4 << true << false;
    QTest::newRow("kind 11 (talkback)") << QByteArray(typeOfKind(11)) << 11 << true << false;
    QTest::newRow("kind 15 (host)") << QByteArray(typeOfKind(15)) << 15 << false << false;
    QTest::newRow("unknown type") << QByteArray("ZZ-000") << -1 << false << false;
}

void SettingsDialogTest::loadedState()
{
    QFETCH(QByteArray, type);
    QFETCH(int, kind);
    QFETCH(bool, talkback);
    QFETCH(bool, tone);

    QuerySettingDialog dialog(terminalOf(type.constData()), true);
    QCOMPARE(dialog.fDeviceKind, kind);
    QCOMPARE(int(dialog.fTermParam.IsBroadcast), 1);
    QCOMPARE(dialog.fTalkbackOnly, false);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("设置"));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));

    auto* tabs = child<QTabWidget>(dialog, "tabWidget");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->indexOf(child<QWidget>(dialog, "fHostConfigTab")), -1);
    QVERIFY(tabs->isTabEnabled(0) && tabs->isTabEnabled(1));

    QCOMPARE(shown(child<QGroupBox>(dialog, "talkbackGb")), talkback);
    QVERIFY(!child<QGroupBox>(dialog, "talkbackGb")->isChecked());
    if (talkback)
        QVERIFY(!shown(child<QLabel>(dialog, "talkbackNoteLabel")));
    QCOMPARE(child<QSpinBox>(dialog, "playSpinBox")->value(), talkback ? 30 : 1);
    QCOMPARE(child<QSpinBox>(dialog, "captureSpinBox")->value(), talkback ? 8 : 1);
    QCOMPARE(shown(child<QGroupBox>(dialog, "fTermVolumeSet")), tone);
    QVERIFY(!child<QGroupBox>(dialog, "fTermVolumeSet")->isChecked());
    QVERIFY(!shown(child<QGroupBox>(dialog, "fGrpMultSvrIp")));

    QVERIFY(child<QCheckBox>(dialog, "fServer1Cb")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog, "fServer2Cb")->isChecked());
    QVERIFY(!child<NxIPLineEdit>(dialog, "fServer2Edit")->isEnabled());
    char text[32] = {};
    QVERIFY(child<NxIPLineEdit>(dialog, "fServer1Edit")->getIpAddress(text, sizeof text));
    QCOMPARE(QByteArray(text), QByteArray("192.168.1.100"));
    QVERIFY(child<NxIPLineEdit>(dialog, "fServer2Edit")->getIpAddress(text, sizeof text));
    QCOMPARE(QByteArray(text), QByteArray("192.168.1.101"));

    auto* port = child<QLineEdit>(dialog, "SeverPortEdit");
    QVERIFY(!child<QCheckBox>(dialog, "SvrPortCheckBox")->isChecked());
    QVERIFY(!port->isEnabled());
    QCOMPARE(port->text(), QString("7900"));
    auto* mac = child<QLineEdit>(dialog, "MacEdit");
    QVERIFY(child<QCheckBox>(dialog, "MacCheckBox")->isChecked());
    QVERIFY(mac->isEnabled());
    QVERIFY(mac->isReadOnly());
    QCOMPARE(mac->text(), QString(kTerminalMac));
    QVERIFY(!child<QCheckBox>(dialog, "NetSpeedCheck")->isChecked());
    QVERIFY(!child<QComboBox>(dialog, "NetSpeedCombo")->isEnabled());

    QCOMPARE(child<QSpinBox>(dialog, "spinBoxTreble")->value(), -7);
    QCOMPARE(child<QSlider>(dialog, "trebleHorSlider")->value(), -7);
    QCOMPARE(child<QSpinBox>(dialog, "spinBoxBass")->value(), 7);
    QCOMPARE(child<QSlider>(dialog, "bassHorSlider")->value(), 7);
}

void SettingsDialogTest::idShown_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("newId");

    QTest::newRow("0 shows 1") << 0 << "1" << 1;
    QTest::newRow("42") << 42 << "42" << 42;
    QTest::newRow("9999") << 9999 << "9999" << 9999;
    QTest::newRow("12345 is cut to four digits") << 12345 << "1234" << 1234;
}

void SettingsDialogTest::idShown()
{
    QFETCH(int, id);
    QFETCH(QString, shown);
    QFETCH(int, newId);

    TerminalParam p = terminalOf(typeOfKind(0));
    p.ID = id;
    QuerySettingDialog dialog(p, true);
    QCOMPARE(child<QLineEdit>(dialog, "idEdit")->text(), shown);
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.fTermParam.NewID, newId);
    QCOMPARE(dialog.fTermParam.ID, id);
}

void SettingsDialogTest::speedShown_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("0") << 0 << QString::fromUtf8("自适应");
    QTest::newRow("10") << 10 << QString("10M");
    QTest::newRow("100") << 100 << QString("100M");
    QTest::newRow("other leaves index 0") << 1000 << QString::fromUtf8("自适应");
}

void SettingsDialogTest::speedShown()
{
    QFETCH(int, speed);
    QFETCH(QString, shown);

    TerminalParam p = terminalOf(typeOfKind(0));
    p.Speed = static_cast<uint16_t>(speed);
    QuerySettingDialog dialog(p, true);
    auto* combo = child<QComboBox>(dialog, "NetSpeedCombo");
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->currentText(), shown);
}

void SettingsDialogTest::addressingShown()
{
    TerminalParam p = terminalOf(typeOfKind(0));
    {
        QuerySettingDialog dialog(p, false);
        QCOMPARE(int(dialog.fTermParam.IsBroadcast), 0);
        QVERIFY(!child<QCheckBox>(dialog, "fCbxAutoIp")->isChecked());
        QVERIFY(!child<QCheckBox>(dialog, "fCbxAutoIp")->isEnabled());
        QVERIFY(child<QGroupBox>(dialog, "fGrpManuanlIp")->isChecked());
        QVERIFY(child<NxIPLineEdit>(dialog, "IpEdit")->isEnabled());
    }
    p.AutoIP = 1;
    QuerySettingDialog dialog(p, false);
    QVERIFY(child<QCheckBox>(dialog, "fCbxAutoIp")->isChecked());
    QVERIFY(!child<QGroupBox>(dialog, "fGrpManuanlIp")->isChecked());
    auto* ip = child<NxIPLineEdit>(dialog, "IpEdit");
    QVERIFY(!ip->isEnabled());
    char text[32] = {};
    QVERIFY(ip->getIpAddress(text, sizeof text));
    QCOMPARE(QByteArray(text), QByteArray("192.168.1.10"));
}

void SettingsDialogTest::couplings()
{
    QuerySettingDialog dialog(terminalOf(typeOfKind(0)), true);
    dialog.show();

    child<QSlider>(dialog, "trebleHorSlider")->setValue(3);
    QCOMPARE(child<QSpinBox>(dialog, "spinBoxTreble")->value(), 3);
    child<QSpinBox>(dialog, "spinBoxBass")->setValue(-7);
    QCOMPARE(child<QSlider>(dialog, "bassHorSlider")->value(), -7);

    auto* server1 = child<QCheckBox>(dialog, "fServer1Cb");
    QTest::mouseClick(server1, Qt::LeftButton, {}, QPoint(5, server1->height() / 2));
    QVERIFY(server1->isChecked());
    auto* server2 = child<QCheckBox>(dialog, "fServer2Cb");
    server2->click();
    QVERIFY(child<NxIPLineEdit>(dialog, "fServer2Edit")->isEnabled());
    server2->click();
    QVERIFY(!child<NxIPLineEdit>(dialog, "fServer2Edit")->isEnabled());

    auto* manual = child<QGroupBox>(dialog, "fGrpManuanlIp");
    auto* automatic = child<QCheckBox>(dialog, "fCbxAutoIp");
    clickGroupTitle(manual);
    QVERIFY(!manual->isChecked());
    QVERIFY(automatic->isChecked());
    clickGroupTitle(manual);
    QVERIFY(manual->isChecked());
    QVERIFY(!automatic->isChecked());

    child<QCheckBox>(dialog, "SvrPortCheckBox")->click();
    QVERIFY(child<QLineEdit>(dialog, "SeverPortEdit")->isEnabled());
    child<QCheckBox>(dialog, "MacCheckBox")->click();
    QVERIFY(!child<QLineEdit>(dialog, "MacEdit")->isEnabled());
    child<QCheckBox>(dialog, "NetSpeedCheck")->click();
    QVERIFY(child<QComboBox>(dialog, "NetSpeedCombo")->isEnabled());
}

void SettingsDialogTest::inputRules()
{
    QuerySettingDialog dialog(terminalOf(typeOfKind(0)), true);
    dialog.show();
    auto* id = child<QLineEdit>(dialog, "idEdit");
    id->clear();
    QTest::keyClicks(id, "012345");
    QCOMPARE(id->text(), QString("1234"));

    child<QCheckBox>(dialog, "SvrPortCheckBox")->click();
    auto* port = child<QLineEdit>(dialog, "SeverPortEdit");
    port->clear();
    QTest::keyClicks(port, "0987654");
    QCOMPARE(port->text(), QString("98765"));
}

void SettingsDialogTest::dialogShrinksWithoutTalkbackGroup()
{
    QuerySettingDialog talkback(terminalOf(typeOfKind(4)), true);
    QuerySettingDialog playback(terminalOf(typeOfKind(3)), true);
    talkback.show();
    playback.show();
    talkback.layout()->activate();
    playback.layout()->activate();
    QVERIFY(talkback.layout()->sizeConstraint() == QLayout::SetFixedSize);
    QCOMPARE(talkback.minimumSize(), talkback.maximumSize());
    // Kinds 3 and 4 differ only in the talkback group.
    QVERIFY(playback.height() < talkback.height());
}

void SettingsDialogTest::okId_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("newId");

    QTest::newRow("1234") << "1234" << true << 1234;
    QTest::newRow("7") << "7" << true << 7;
    QTest::newRow("cleared") << "" << false << 0;
}

void SettingsDialogTest::okId()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(int, newId);

    QuerySettingDialog dialog(terminalOf(typeOfKind(0)), true);
    dialog.show();
    const TerminalParam before = dialog.fTermParam;
    child<QLineEdit>(dialog, "idEdit")->setText(typed);
    pressOk(dialog);
    QCOMPARE(dialog.isVisible(), !accepted);
    if (accepted) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.fTermParam.NewID, newId);
    } else {
        QVERIFY(std::memcmp(&before, &dialog.fTermParam, sizeof before) == 0);
    }
}

void SettingsDialogTest::okPort_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("portBox");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("port");

    QTest::newRow("unknown type: 7900") << -1 << false << "" << 7900;
    QTest::newRow("kind 20: 8901") << 20 << false << "" << 8901;
    QTest::newRow("kind 15 (host): 0") << 15 << false << "" << 0;
    QTest::newRow("kind 26: 52900") << 26 << false << "" << 52900;
    QTest::newRow("typed 12345") << 0 << true << "12345" << 12345;
    QTest::newRow("typed 65535") << 0 << true << "65535" << 65535;
    QTest::newRow("field emptied: 0") << 0 << true << "" << 0;
}

void SettingsDialogTest::okPort()
{
    QFETCH(int, kind);
    QFETCH(bool, portBox);
    QFETCH(QString, typed);
    QFETCH(int, port);

    TerminalParam p = terminalOf(kind < 0 ? "ZZ-000" : typeOfKind(kind));
    p.ServerPort = 1111;
    p.Server2Port = 2222;
    QuerySettingDialog dialog(p, true);
    if (portBox) {
        child<QCheckBox>(dialog, "SvrPortCheckBox")->setChecked(true);
        child<QLineEdit>(dialog, "SeverPortEdit")->setText(typed);
    }
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(int(dialog.fTermParam.ServerPort), port);
    QCOMPARE(int(dialog.fTermParam.Server2Port), port);
}

void SettingsDialogTest::okSpeed()
{
    TerminalParam p = terminalOf(typeOfKind(0));
    p.Speed = 10;
    {
        QuerySettingDialog dialog(p, true);
        child<QComboBox>(dialog, "NetSpeedCombo")->setCurrentIndex(2);
        pressOk(dialog);
        QCOMPARE(int(dialog.fTermParam.Speed), 10);
    }
    QuerySettingDialog dialog(p, true);
    child<QCheckBox>(dialog, "NetSpeedCheck")->setChecked(true);
    child<QComboBox>(dialog, "NetSpeedCombo")->setCurrentIndex(0);
    pressOk(dialog);
    QCOMPARE(int(dialog.fTermParam.Speed), 0);
}

void SettingsDialogTest::okToneAndVolume_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("toneGroup");
    QTest::addColumn<int>("playVol");
    QTest::addColumn<int>("treble");
    QTest::addColumn<int>("bass");
    QTest::addColumn<int>("sentPlay");
    QTest::addColumn<int>("sentCapture");

    // Playback terminal: hidden volume boxes stay at their minimum.
    QTest::newRow("kind 0, tone untouched") << 0 << false << 30 << -7 << 7 << 1 << 1;
    QTest::newRow("kind 1, tone set") << 1 << true << 30 << 3 << -2 << 1 << 1;
    QTest::newRow("kind 4, volume 0 shows as 1") << 4 << false << 0 << -7 << 7 << 1 << 8;
    QTest::newRow("kind 5, volume kept") << 5 << false << 55 << -7 << 7 << 55 << 8;
}

void SettingsDialogTest::okToneAndVolume()
{
    QFETCH(int, kind);
    QFETCH(bool, toneGroup);
    QFETCH(int, playVol);
    QFETCH(int, treble);
    QFETCH(int, bass);
    QFETCH(int, sentPlay);
    QFETCH(int, sentCapture);

    TerminalParam p = terminalOf(typeOfKind(kind));
    p.PlayVol = static_cast<int8_t>(playVol);
    QuerySettingDialog dialog(p, true);
    if (toneGroup) {
        child<QGroupBox>(dialog, "fTermVolumeSet")->setChecked(true);
        child<QSlider>(dialog, "trebleHorSlider")->setValue(treble);
        child<QSpinBox>(dialog, "spinBoxBass")->setValue(bass);
    }
    pressOk(dialog);
    QCOMPARE(int(dialog.fTermParam.Treble), treble);
    QCOMPARE(int(dialog.fTermParam.Bass), bass);
    QCOMPARE(int(dialog.fTermParam.PlayVol), sentPlay);
    QCOMPARE(int(dialog.fTermParam.CaptureVol), sentCapture);
}

void SettingsDialogTest::okMac_data()
{
    QTest::addColumn<QByteArray>("mac");
    QTest::addColumn<bool>("macBox");
    QTest::addColumn<bool>("newAddress");

    QTest::newRow("box checked") << QByteArray(kTerminalMac) << true << true;
    QTest::newRow("box unchecked, factory address") << QByteArray(kFactoryMac) << false << true;
    QTest::newRow("box unchecked, own address") << QByteArray(kTerminalMac) << false << false;
}

void SettingsDialogTest::okMac()
{
    QFETCH(QByteArray, mac);
    QFETCH(bool, macBox);
    QFETCH(bool, newAddress);

    TerminalParam p = terminalOf(typeOfKind(0));
    setText(p.MAC, mac.constData());
    QuerySettingDialog dialog(p, true);
    child<QCheckBox>(dialog, "MacCheckBox")->setChecked(macBox);
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QByteArray(dialog.fTermParam.OldMAC), mac);
    const QByteArray sent(dialog.fTermParam.MAC);
    if (!newAddress) {
        QVERIFY(sent.isEmpty());
        return;
    }
    QVERIFY2(QRegExp("00-12-37-[0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2}").exactMatch(QString(sent)), sent.constData());
    QVERIFY(sent != mac);
}

void SettingsDialogTest::randomMacsDiffer()
{
    // Terminals saved in the same second must not end up sharing an address.
    QSet<QByteArray> seen;
    for (int i = 0; i < 20; ++i) {
        QuerySettingDialog dialog(terminalOf(typeOfKind(0)), true);
        pressOk(dialog);
        seen.insert(QByteArray(dialog.fTermParam.MAC));
    }
    QVERIFY2(seen.size() >= 19, "random MAC addresses repeat");
}

void SettingsDialogTest::okAutomaticAddressing()
{
    TerminalParam p = terminalOf(typeOfKind(0));
    setText(p.IP, "0.0.0.0");  // would fail the address check
    p.AutoIP = 1;
    QuerySettingDialog dialog(p, true);
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(int(dialog.fTermParam.AutoIP), 1);
    QCOMPARE(dialog.fTermParam.IP[0], '\0');
    QCOMPARE(dialog.fTermParam.Mask[0], '\0');
    QCOMPARE(dialog.fTermParam.Gateway[0], '\0');
}

void SettingsDialogTest::okPassesUntouchedFieldsThrough()
{
    const TerminalParam p = terminalOf(typeOfKind(4));
    QuerySettingDialog dialog(p, false);
    child<NxIPLineEdit>(dialog, "IpEdit")->setIpAddress("192.168.1.77");
    pressOk(dialog);
    const TerminalParam& sent = dialog.fTermParam;
    QCOMPARE(QByteArray(sent.IP), QByteArray("192.168.1.77"));
    QCOMPARE(QByteArray(sent.Mask), QByteArray("255.255.255.0"));
    QCOMPARE(QByteArray(sent.Gateway), QByteArray("192.168.1.1"));
    QCOMPARE(int(sent.AutoIP), 0);
    QCOMPARE(QByteArray(sent.Server), QByteArray("192.168.1.100"));
    QCOMPARE(QByteArray(sent.Server2), QByteArray("192.168.1.101"));
    QCOMPARE(sent.DNS1[0], '\0');
    QCOMPARE(sent.Website[0], '\0');
    QCOMPARE(int(sent.UseDNS), 0);
    QCOMPARE(int(sent.Reboot), 1);
    QCOMPARE(int(sent.Speed), 100);
    QCOMPARE(QByteArray(sent.SvcConfig), QByteArray(p.SvcConfig));
    QCOMPARE(QByteArray(sent.Name), QByteArray(p.Name));
    QCOMPARE(QByteArray(sent.Type), QByteArray(p.Type));
    QCOMPARE(QByteArray(sent.Ver), QByteArray(p.Ver));
    QCOMPARE(sent.ID, p.ID);
    QCOMPARE(sent.Address, p.Address);
    QCOMPARE(int(sent.IsBroadcast), 0);
}

void SettingsDialogTest::okSeparateServers()
{
    QuerySettingDialog dialog(terminalOf(typeOfKind(0)), true);
    QMetaObject::invokeMethod(&dialog, "rab_mult_svr_toggled", Q_ARG(bool, true));
    auto* group = child<QGroupBox>(dialog, "fGrpMultSvrIp");
    QVERIFY(shown(group));
    QVERIFY(!child<QCheckBox>(dialog, "SvrPortCheckBox")->isEnabled());
    clickGroupTitle(group);
    QVERIFY(group->isChecked());
    child<NxIPLineEdit>(dialog, "fLeMultBroadSvr")->setIpAddress("10.1.1.1");
    child<NxIPLineEdit>(dialog, "fLeMultTalkSvr")->setIpAddress("10.1.1.2");
    pressOk(dialog);
    QCOMPARE(QByteArray(dialog.fTermParam.Server), QByteArray("10.1.1.1"));
    QCOMPARE(QByteArray(dialog.fTermParam.Server2), QByteArray("10.1.1.2"));

    QMetaObject::invokeMethod(&dialog, "rab_mult_svr_toggled", Q_ARG(bool, false));
    QVERIFY(!shown(group));
    QVERIFY(!group->isChecked());
    QVERIFY(child<QCheckBox>(dialog, "SvrPortCheckBox")->isEnabled());
}

void SettingsDialogTest::cancelKeepsCopy()
{
    QuerySettingDialog dialog(terminalOf(typeOfKind(0)), true);
    dialog.show();
    const TerminalParam before = dialog.fTermParam;
    child<QLineEdit>(dialog, "idEdit")->setText("77");
    child<QPushButton>(dialog, "CancelBtn")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QVERIFY(std::memcmp(&before, &dialog.fTermParam, sizeof before) == 0);
}

void SettingsDialogTest::talkbackOnlyFlag()
{
    QuerySettingDialog dialog(terminalOf(typeOfKind(5)), true);
    dialog.show();
    auto* group = child<QGroupBox>(dialog, "talkbackGb");
    auto* note = child<QLabel>(dialog, "talkbackNoteLabel");
    QVERIFY(!note->isVisible());
    clickGroupTitle(group);
    QVERIFY(dialog.fTalkbackOnly);
    QVERIFY(note->isVisible());
    clickGroupTitle(group);
    QVERIFY(!dialog.fTalkbackOnly);
    QVERIFY(!note->isVisible());
}

void SettingsDialogTest::unconnectedSlots()
{
    TerminalParam p = terminalOf(typeOfKind(20));
    p.ServerPort = 1;
    QuerySettingDialog dialog(p, true);
    QMetaObject::invokeMethod(&dialog, "init_default_setting");
    QCOMPARE(QByteArray(dialog.fTermParam.IP), QByteArray("192.168.1.10"));
    QCOMPARE(QByteArray(dialog.fTermParam.Mask), QByteArray("255.255.255.0"));
    QCOMPARE(QByteArray(dialog.fTermParam.Gateway), QByteArray("192.168.1.1"));
    QCOMPARE(QByteArray(dialog.fTermParam.Server), QByteArray("192.168.1.100"));
    QCOMPARE(int(dialog.fTermParam.ServerPort), 8901);
    QCOMPARE(child<QLineEdit>(dialog, "SeverPortEdit")->text(), QString("8901"));
    QCOMPARE(child<QTabWidget>(dialog, "tabWidget")->count(), 2);

    auto* port = child<QLineEdit>(dialog, "SeverPortEdit");
    QMetaObject::invokeMethod(&dialog, "bcastMicRadbtnToggled", Q_ARG(bool, true));
    QCOMPARE(port->text(), QString("7901"));
    QMetaObject::invokeMethod(&dialog, "talkbackMicRadbtnToggled", Q_ARG(bool, false));
    QCOMPARE(port->text(), QString("7901"));
    QMetaObject::invokeMethod(&dialog, "talkbackMicRadbtnToggled", Q_ARG(bool, true));
    QCOMPARE(port->text(), QString("8901"));

    auto* tabs = child<QTabWidget>(dialog, "tabWidget");
    tabs->setTabEnabled(1, false);
    QMetaObject::invokeMethod(&dialog, "show_advance_setting", Q_ARG(TerminalParam*, nullptr));
    QVERIFY(tabs->isTabEnabled(1));
    tabs->setCurrentIndex(1);
    QCOMPARE(child<QLineEdit>(dialog, "fLeHostName")->text(), QString());
}

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
