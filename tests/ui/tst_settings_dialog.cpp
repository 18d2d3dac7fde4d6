// The settings dialog where no window flow reaches: the address rules in
// their order, OK refused or filling fields no flow sends, the drawn MAC
// addresses, and the address editor as typed into. Flows: tst_operations.
#include "core/records/TerminalEdit.h"
#include "tests/support/RecordText.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/settings/IpSettingCheck.h"
#include "ui/settings/QuerySettingDialog.h"
#include "ui/widgets/NxIPLineEdit.h"

#include <QtTest>
#include <QtWidgets>

// OK pressed on a terminal of `fields` (on top of a usable one), with the
// port typed (its box ticked; null: unticked) and the MAC box as given; the
// box shown ("title: text") and the fields afterwards (null: refused, the
// dialog open, the record unchanged).
struct OkCase {
    const char *fields, *port;
    bool macBox;
    const char *box, *sent;
};
Q_DECLARE_METATYPE(OkCase)

class SettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void addressRules_data()
    {
        QTest::addColumn<QByteArrayList>("address");  // IP, mask, gateway
        QTest::addColumn<QString>("message");         // empty: accepted

        // Most rows break two rules: the earlier one's message must show.
        auto row = [](const char* name, const QByteArrayList& address, const char* message) {
            QTest::newRow(name) << address << QString(message);
        };
        const char* m24 = "255.255.255.0";
        row("usable", {"192.168.1.10", m24, "192.168.1.1"}, "");
        row("240/4 is no multicast", {"240.0.0.1", m24, "240.0.0.2"}, "");
        row("subnet taken from the mask", {"192.168.1.10", "255.255.0.0", "192.168.2.1"}, "");
        row("1 IP invalid before mask invalid", {"999.1.1.1", "", ""}, "IP地址格式无效");
        row("2 IP multicast before mask invalid", {"224.0.0.1", "", ""}, "IP地址是组播地址!");
        row("3 mask invalid before IP broadcast", {"192.168.1.10", "255.255.255.255", ""}, "子网掩码无效!");
        row("4 mask gaps before IP broadcast", {"192.255.1.255", "255.0.255.0", ""}, "子网掩码格式不正确!");
        row("5 IP broadcast before gateway invalid", {"192.168.1.255", m24, ""}, "IP地址属于该子网的广播地址!");
        row("6 gateway invalid before gateway broadcast", {"192.168.1.10", m24, "255.255.255.255"}, "网关地址无效!");
        row("7 gateway broadcast before multicast", {"192.168.1.10", "255.0.0.0", "239.255.255.255"},
            "网关地址属于该子网的广播地址!");
        row("8 gateway multicast before other subnet", {"192.168.1.10", m24, "239.1.1.1"}, "网关地址是组播地址!");
        row("9 gateway in another subnet", {"192.168.1.10", m24, "192.168.2.1"}, "IP地址和网关地址不属于同一个子网!");
    }

    void addressRules()
    {
        QFETCH(QByteArrayList, address);
        QFETCH(QString, message);
        ModalWatcher watcher;
        QCOMPARE(
            checkIpSetting(address[0].constData(), address[1].constData(), address[2].constData()), message.isEmpty());
        QCOMPARE(watcher.summary(), message.isEmpty() ? QStringList() : QStringList("设置IP地址失败: " + message));
    }

    void okOutcome_data()
    {
        QTest::addColumn<OkCase>("ok");
        QTest::newRow("port above 65535 refused") << OkCase{"", "65536", true, "设置: 服务器端口无效!", nullptr};
        QTest::newRow("automatic addressing sends no address")
            << OkCase{"AutoIP=1", nullptr, true, "", "AutoIP=1; IP=; Mask=; Gateway="};
        QTest::newRow("factory MAC replaced even unticked")
            << OkCase{"MAC=00-12-37-11-22-12", nullptr, false, "", "MAC=(new); OldMAC=00-12-37-11-22-12"};
    }

    void okOutcome()
    {
        QFETCH(OkCase, ok);
        ModalWatcher watcher;
        QuerySettingDialog dialog(record("ID=42; Type=NA-100; MAC=00-12-37-aa-bb-cc; IP=192.168.1.10; "
                                         "Mask=255.255.255.0; Gateway=192.168.1.1; "
                                      + QByteArray(ok.fields)),
            true);
        dialog.show();
        const TerminalParam before = dialog.fTermParam;
        child<QCheckBox>(&dialog, "SvrPortCheckBox")->setChecked(ok.port != nullptr);
        child<QLineEdit>(&dialog, "SeverPortEdit")->setText(ok.port);
        child<QCheckBox>(&dialog, "MacCheckBox")->setChecked(ok.macBox);
        child<QPushButton>(&dialog, "OkBtn")->click();

        QCOMPARE(watcher.summary(), *ok.box ? QStringList(ok.box) : QStringList());
        QCOMPARE(dialog.isVisible(), ok.sent == nullptr);
        TerminalParam after = dialog.fTermParam;
        if (ok.sent != nullptr && after.MAC[0] != '\0' && QByteArray(after.MAC) != after.OldMAC)
            after = record("MAC=(new)", after);
        // Setting the expected fields changes nothing when they hold them already.
        QCOMPARE(recordText(after), recordText(ok.sent == nullptr ? before : record(ok.sent, after)));
    }

    void randomMacsKeepPrefixAndDiffer()
    {
        QStringList macs;
        for (int i = 0; i < 20; ++i)
            macs << QString::fromStdString(makeRandomMac());
        QCOMPARE(macs.filter(QRegularExpression("^00-12-37(-[0-9a-f]{2}){3}$")), macs);
        // 20 draws of 24 bits: a repeat by chance is one in 10^5, two never.
        QVERIFY(macs.removeDuplicates() <= 1);
    }

    void typedAddress_data()
    {
        QTest::addColumn<QStringList>("typed");   // into the four fields
        QTest::addColumn<QByteArray>("address");  // empty: none
        QTest::newRow("first field 0 gives none") << QStringList{"0", "168", "1", "1"} << QByteArray("");
        QTest::newRow("above 255, letters, minus refused; empty reads 0")
            << QStringList{"256", "1a", "-2", ""} << QByteArray("25.1.2.0");
    }

    void typedAddress()
    {
        QFETCH(QStringList, typed);
        QFETCH(QByteArray, address);
        NxIPLineEdit edit;
        const QList<QLineEdit*> fields = edit.findChildren<QLineEdit*>();  // the four, in order
        for (int i = 0; i < fields.size(); ++i)
            QTest::keyClicks(fields[i], typed.value(i));
        char text[32] = {};
        edit.getIpAddress(text, sizeof text);
        QCOMPARE(QByteArray(text), address);
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
