// The settings dialog on its own: the device kind table, what the dialog
// shows after loading a terminal, how its widgets are coupled, and what OK
// writes into fTermParam (or which box it shows instead).
#include "tests/support/RecordText.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/WidgetScript.h"
#include "ui/settings/DeviceKindTable.h"
#include "ui/settings/QuerySettingDialog.h"

#include <QLayout>
#include <QRegExp>
#include <QSet>
#include <QtTest>

#include <algorithm>

namespace {

// A terminal with manual addressing that passes the address check.
const QByteArray kTerminal
    = "ID=42; Ver=2.1.7; MAC=00-12-37-aa-bb-cc; IP=192.168.1.10; Mask=255.255.255.0; Gateway=192.168.1.1; "
      "Server=192.168.1.100; Server2=192.168.1.101; DNS1=192.168.1.1; Website=example.invalid; "
      "SvcConfig= bcast=1 talk=0; Name=Hall-3; ServerPort=7900; Server2Port=7900; Speed=100; Treble=-7; Bass=7; "
      "PlayVol=30; CaptureVol=8; Address=2130771969";

QByteArray typeOfKind(int kind)
{
    const DeviceKindInfo* info = findKindInfo(kind);
    return info != nullptr ? QByteArray(info->type) : QByteArray("ZZ-000");
}

// The test terminal as a model of `kind` (-1: a model not in the table).
TerminalParam terminalOf(int kind, const QByteArray& fields = QByteArray())
{
    return record(fields, record("Type=" + typeOfKind(kind), record(kTerminal)));
}

void addColumns(const char* last)
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("fields");  // of the terminal, on top of kTerminal
    QTest::addColumn<QByteArray>("steps");   // what the user does (WidgetScript steps)
    QTest::addColumn<QByteArray>(last);      // what the dialog shows or sends (WidgetScript states)
}

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void kindTable();
    void loaded_data();
    void loaded();
    void couplings_data();
    void couplings();
    void dialogShrinksWithoutTalkbackGroup();
    void ok_data();
    void ok();
    void randomMacsDiffer();
};

void SettingsDialogTest::kindTable()
{
    QSet<int> kinds;
    for (const DeviceKindInfo& row : DeviceKindTable)
        kinds.insert(row.kind);
    QCOMPARE(kinds.size(), kDeviceKindCount);
    QVERIFY(*std::min_element(kinds.begin(), kinds.end()) == 0);
    QVERIFY(*std::max_element(kinds.begin(), kinds.end()) == kDeviceKindCount - 1);

    // Row 4 carries row 3's code under another name: kind 18 is never found by type.
    for (int row = 0; row < kDeviceKindCount; ++row) {
        QVERIFY(DeviceKindTable[row].type[0] != '\0');
        QCOMPARE(QByteArray(DeviceKindTable[row].name) == DeviceKindTable[row].type, row != 4);
    }
    QCOMPARE(QByteArray(DeviceKindTable[4].type), QByteArray(DeviceKindTable[3].type));
    QCOMPARE(findKindByType(DeviceKindTable[4].type), 19);
    QCOMPARE(findKindInfo(18), &DeviceKindTable[4]);

    for (const QByteArray& stranger : {QByteArray(), QByteArray(""), typeOfKind(4).toLower(), typeOfKind(4) + "X"})
        QCOMPARE(findKindByType(stranger.isNull() ? nullptr : stranger.constData()), -1);
    QCOMPARE(findKindInfo(31), nullptr);
    QCOMPARE(findKindInfo(-1), nullptr);
    for (int kind : {15, 16, 17, 29})
        QCOMPARE(findKindInfo(kind)->defaultPort, 0);
}

void SettingsDialogTest::loaded_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("fields");
    QTest::addColumn<bool>("broadcast");  // whether the setting will go out by broadcast
    QTest::addColumn<QByteArray>("shows");

    const QByteArray none = "talkbackGb.shown=0; fTermVolumeSet.shown=0; playSpinBox=1; captureSpinBox=1";
    const QByteArray tone = "talkbackGb.shown=0; fTermVolumeSet.shown=1; playSpinBox=1; captureSpinBox=1";
    const QByteArray talkback
        = "talkbackGb.shown=1; talkbackNoteLabel.shown=0; fTermVolumeSet.shown=0; playSpinBox=30; captureSpinBox=8";
    auto row = [](const char* name, int kind, const QByteArray& fields, const QByteArray& shows, bool broadcast = true) {
        QTest::newRow(name) << kind << fields << broadcast << shows;
    };
    row("kind 0: tone", 0, "", tone);
    row("kind 2: tone", 2, "", tone);
    row("kind 4: talkback", 4, "", talkback);
    row("kind 11: talkback", 11, "", talkback);
    row("kind 15: host", 15, "", none);
    row("unknown type", -1, "", none);
    row("ID 0 shows 1", 0, "ID=0", "idEdit=1");
    row("ID 12345 cut to four digits", 0, "ID=12345", "idEdit=1234");
    row("speed 0", 0, "Speed=0", "NetSpeedCombo=自适应");
    row("speed 10", 0, "Speed=10", "NetSpeedCombo=10M");
    row("speed 100", 0, "Speed=100", "NetSpeedCombo=100M");
    row("other speed: first entry", 0, "Speed=1000", "NetSpeedCombo=自适应");
    row("unicast, manual addressing", 0, "",
        "fCbxAutoIp=0; fCbxAutoIp.enabled=0; fGrpManuanlIp=1; IpEdit.enabled=1", false);
    row("unicast, automatic addressing", 0, "AutoIP=1",
        "fCbxAutoIp=1; fGrpManuanlIp=0; IpEdit.enabled=0; IpEdit=192.168.1.10", false);
}

void SettingsDialogTest::loaded()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, fields);
    QFETCH(bool, broadcast);
    QFETCH(QByteArray, shows);

    QuerySettingDialog dialog(terminalOf(kind, fields), broadcast);
    QCOMPARE(dialog.fDeviceKind, kind);
    QCOMPARE(dialog.fTalkbackOnly, false);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("设置"));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(child<QLineEdit>(&dialog, "MacEdit")->isReadOnly());
    auto* tabs = child<QTabWidget>(&dialog, "tabWidget");
    QVERIFY(tabs->currentIndex() == 0 && tabs->isTabEnabled(0) && tabs->isTabEnabled(1));

    // The host page is gone; what every terminal shows, then this row's.
    const QByteArray always
        = "IsBroadcast=" + QByteArray::number(broadcast)
        + "; tabWidget=2; talkbackGb=0; fTermVolumeSet=0; fGrpMultSvrIp.shown=0; fServer1Cb=1; fServer2Cb=0; "
          "fServer1Edit=192.168.1.100; fServer2Edit=192.168.1.101; fServer2Edit.enabled=0; SvrPortCheckBox=0; "
          "SeverPortEdit=7900; SeverPortEdit.enabled=0; MacCheckBox=1; MacEdit=00-12-37-aa-bb-cc; "
          "MacEdit.enabled=1; NetSpeedCheck=0; NetSpeedCombo.enabled=0; spinBoxTreble=-7; trebleHorSlider=-7; "
          "spinBoxBass=7; bassHorSlider=7";
    QCOMPARE(::shows(&dialog, always, &dialog.fTermParam), always);
    QCOMPARE(::shows(&dialog, shows, &dialog.fTermParam), shows);
}

void SettingsDialogTest::couplings_data()
{
    addColumns("shows");
    auto row = [](const char* name, int kind, const QByteArray& fields, const QByteArray& steps,
                  const QByteArray& shows) { QTest::newRow(name) << kind << fields << steps << shows; };
    row("treble slider moves its spin box", 0, "", "trebleHorSlider=3", "spinBoxTreble=3");
    row("bass spin box moves its slider", 0, "", "spinBoxBass=-6", "bassHorSlider=-6");
    row("server 1 stays on", 0, "", "fServer1Cb", "fServer1Cb=1");
    row("server 2 box enables its editor", 0, "", "fServer2Cb", "fServer2Cb=1; fServer2Edit.enabled=1");
    row("server 2 box off again", 0, "", "fServer2Cb; fServer2Cb", "fServer2Cb=0; fServer2Edit.enabled=0");
    row("manual addressing off", 0, "", "fGrpManuanlIp", "fGrpManuanlIp=0; fCbxAutoIp=1");
    row("manual addressing on again", 0, "", "fGrpManuanlIp; fGrpManuanlIp", "fGrpManuanlIp=1; fCbxAutoIp=0");
    row("port box", 0, "", "SvrPortCheckBox", "SeverPortEdit.enabled=1");
    row("MAC box", 0, "", "MacCheckBox", "MacEdit.enabled=0");
    row("speed box", 0, "", "NetSpeedCheck", "NetSpeedCombo.enabled=1");
    row("ID: four digits, no leading 0", 0, "", "idEdit<012345", "idEdit=1234");
    row("port: five digits, no leading 0", 0, "", "SvrPortCheckBox; SeverPortEdit<0987654", "SeverPortEdit=98765");
    row("talkback group shows its note", 5, "", "talkbackGb", "talkbackGb=1; talkbackNoteLabel.shown=1");
    row("talkback group off again", 5, "", "talkbackGb; talkbackGb", "talkbackGb=0; talkbackNoteLabel.shown=0");
    row("separate servers shown", 0, "", "rab_mult_svr_toggled(1)", "fGrpMultSvrIp.shown=1; SvrPortCheckBox.enabled=0");
    row("separate servers hidden", 0, "", "rab_mult_svr_toggled(1); fGrpMultSvrIp; rab_mult_svr_toggled(0)",
        "fGrpMultSvrIp.shown=0; fGrpMultSvrIp=0; SvrPortCheckBox.enabled=1");
    // The slots the form leaves unconnected.
    row("broadcast microphone port", 20, "", "bcastMicRadbtnToggled(1); talkbackMicRadbtnToggled(0)",
        "SeverPortEdit=7901");
    row("talkback microphone port", 20, "ServerPort=1", "talkbackMicRadbtnToggled(1)", "SeverPortEdit=8901");
    row("default setting", 20, "IP=10.9.9.9; Mask=255.0.0.0; Gateway=10.0.0.1; Server=10.0.0.2; ServerPort=1",
        "init_default_setting()",
        "IP=192.168.1.10; Mask=255.255.255.0; Gateway=192.168.1.1; Server=192.168.1.100; ServerPort=8901; "
        "IpEdit=192.168.1.10; fServer1Edit=192.168.1.100; SeverPortEdit=8901; tabWidget=2");
}

void SettingsDialogTest::couplings()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, fields);
    QFETCH(QByteArray, steps);
    QFETCH(QByteArray, shows);

    QuerySettingDialog dialog(terminalOf(kind, fields), true);
    dialog.show();
    apply(&dialog, steps);
    QCOMPARE(::shows(&dialog, shows, &dialog.fTermParam), shows);
}

void SettingsDialogTest::dialogShrinksWithoutTalkbackGroup()
{
    // Kinds 3 and 4 differ only in the talkback group.
    QuerySettingDialog talkback(terminalOf(4), true);
    QuerySettingDialog playback(terminalOf(3), true);
    talkback.show();
    playback.show();
    talkback.layout()->activate();
    playback.layout()->activate();
    QVERIFY(talkback.layout()->sizeConstraint() == QLayout::SetFixedSize);
    QCOMPARE(talkback.minimumSize(), talkback.maximumSize());
    QVERIFY(playback.height() < talkback.height());
}

void SettingsDialogTest::ok_data()
{
    addColumns("sends");
    QTest::addColumn<QString>("outcome");  // accepted, rejected, stays open
    QTest::addColumn<QString>("box");      // "title: text" of the box shown, if any

    const QByteArray none;
    const QByteArray ok = "OkBtn";
    const QByteArray ports = "ServerPort=1111; Server2Port=2222";
    auto row = [](const char* name, int kind, const QByteArray& fields, const QByteArray& steps,
                  const QByteArray& sends, const char* outcome = "accepted", const char* box = "") {
        QTest::newRow(name) << kind << fields << steps << sends << QString(outcome) << QString::fromUtf8(box);
    };

    row("ID typed", 0, none, "idEdit=1234; OkBtn", "NewID=1234; ID=42");
    row("ID 0 is sent as 1", 0, "ID=0", ok, "NewID=1; ID=0");
    row("ID 12345 is sent cut", 0, "ID=12345", ok, "NewID=1234; ID=12345");
    row("ID cleared", 0, none, "idEdit=; OkBtn", "idEdit=", "stays open");
    row("port of an unknown model", -1, ports, ok, "ServerPort=7900; Server2Port=7900");
    row("port of kind 20", 20, ports, ok, "ServerPort=8901; Server2Port=8901");
    row("port of kind 15 (host)", 15, ports, ok, "ServerPort=0; Server2Port=0");
    row("port of kind 26", 26, ports, ok, "ServerPort=52900; Server2Port=52900");
    row("port typed", 0, ports, "SvrPortCheckBox=1; SeverPortEdit=12345; OkBtn", "ServerPort=12345; Server2Port=12345");
    row("port 65535", 0, ports, "SvrPortCheckBox=1; SeverPortEdit=65535; OkBtn", "ServerPort=65535; Server2Port=65535");
    row("port emptied", 0, ports, "SvrPortCheckBox=1; SeverPortEdit=; OkBtn", "ServerPort=0; Server2Port=0");
    row("port 70000 refused", 0, ports, "SvrPortCheckBox=1; SeverPortEdit=70000; OkBtn", "SeverPortEdit=70000",
        "stays open", "设置: 服务器端口无效!");
    row("gateway in another subnet refused", 0, none, "GatewayEdit=192.168.2.1; OkBtn", "GatewayEdit=192.168.2.1",
        "stays open", "设置IP地址失败: IP地址和网关地址不属于同一个子网!");
    row("speed box off keeps the speed", 0, "Speed=10", "NetSpeedCombo=2; OkBtn", "Speed=10");
    row("speed chosen", 0, "Speed=10", "NetSpeedCheck=1; NetSpeedCombo=0; OkBtn", "Speed=0");
    // Hidden volume boxes stay at their minimum.
    row("kind 0, tone untouched", 0, none, ok, "Treble=-7; Bass=7; PlayVol=1; CaptureVol=1");
    row("kind 1, tone set", 1, none, "fTermVolumeSet=1; trebleHorSlider=3; spinBoxBass=-2; OkBtn",
        "Treble=3; Bass=-2; PlayVol=1; CaptureVol=1");
    row("kind 4, volume 0 sent as 1", 4, "PlayVol=0", ok, "Treble=-7; Bass=7; PlayVol=1; CaptureVol=8");
    row("kind 5, volume kept", 5, "PlayVol=55", ok, "PlayVol=55; CaptureVol=8");
    row("MAC box checked: new address", 0, none, ok, "MAC=(new); OldMAC=00-12-37-aa-bb-cc");
    row("factory MAC: new address anyway", 0, "MAC=00-12-37-11-22-12", "MacCheckBox=0; OkBtn",
        "MAC=(new); OldMAC=00-12-37-11-22-12");
    row("MAC box unchecked: no address", 0, none, "MacCheckBox=0; OkBtn", "MAC=; OldMAC=00-12-37-aa-bb-cc");
    row("automatic addressing sends no address", 0, "AutoIP=1; IP=0.0.0.0", ok, "AutoIP=1; IP=; Mask=; Gateway=");
    row("untouched fields pass through", 4, none, "IpEdit=192.168.1.77; OkBtn",
        "IP=192.168.1.77; Mask=255.255.255.0; Gateway=192.168.1.1; AutoIP=0; Server=192.168.1.100; "
        "Server2=192.168.1.101; DNS1=; Website=; UseDNS=0; Reboot=1; Speed=100; SvcConfig= bcast=1 talk=0; "
        "Name=Hall-3; Type=NA-200; Ver=2.1.7; ID=42; Address=2130771969; IsBroadcast=1");
    row("separate servers", 0, none,
        "rab_mult_svr_toggled(1); fGrpMultSvrIp; fLeMultBroadSvr=10.1.1.1; fLeMultTalkSvr=10.1.1.2; OkBtn",
        "Server=10.1.1.1; Server2=10.1.1.2");
    row("cancel", 0, none, "idEdit=77; CancelBtn", "NewID=0", "rejected");
}

void SettingsDialogTest::ok()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, fields);
    QFETCH(QByteArray, steps);
    QFETCH(QByteArray, sends);
    QFETCH(QString, outcome);
    QFETCH(QString, box);

    ModalWatcher watcher;
    QuerySettingDialog dialog(terminalOf(kind, fields), true);
    dialog.show();
    const TerminalParam before = dialog.fTermParam;
    apply(&dialog, steps);

    QStringList boxes;
    for (const ModalWatcher::Seen& seen : watcher.seen())
        boxes << seen.title + ": " + seen.text;
    QCOMPARE(boxes.join('\n'), box);
    const bool accepted = dialog.result() == QDialog::Accepted;
    QCOMPARE(QString(dialog.isVisible() ? "stays open" : accepted ? "accepted" : "rejected"), outcome);
    if (!accepted)
        QCOMPARE(recordText(dialog.fTermParam), recordText(before));

    // A freshly drawn address keeps the prefix, the format and lower case.
    TerminalParam sent = dialog.fTermParam;
    const QString mac = QString::fromLatin1(sent.MAC);
    if (QRegExp("00-12-37-[0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2}").exactMatch(mac) && mac != sent.OldMAC)
        sent = record("MAC=(new)", sent);
    QCOMPARE(::shows(&dialog, sends, &sent), sends);
}

void SettingsDialogTest::randomMacsDiffer()
{
    // Terminals saved in the same second must not end up sharing an address.
    QSet<QByteArray> seen;
    for (int i = 0; i < 20; ++i) {
        QuerySettingDialog dialog(terminalOf(0), true);
        apply(&dialog, "OkBtn");
        seen.insert(QByteArray(dialog.fTermParam.MAC));
    }
    QVERIFY2(seen.size() >= 19, "random MAC addresses repeat");
}

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
