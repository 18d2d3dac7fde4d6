// The address check of the settings dialog: the nine rules in their order,
// each with its message, shown in a plain box. (What OK does with a refused
// address is in tst_settings_dialog.)
#include "tests/ui/ModalWatcher.h"
#include "ui/settings/IpSettingCheck.h"

#include <QtTest>

namespace {

const char* const kMessages[] = {
    "IP地址格式无效",
    "IP地址是组播地址!",
    "子网掩码无效!",
    "子网掩码格式不正确!",
    "IP地址属于该子网的广播地址!",
    "网关地址无效!",
    "网关地址属于该子网的广播地址!",
    "网关地址是组播地址!",
    "IP地址和网关地址不属于同一个子网!",
};

}  // namespace

class SettingsAddressTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void plainBox();
};

void SettingsAddressTest::rules_data()
{
    QTest::addColumn<QByteArray>("ip");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QByteArray>("gateway");
    QTest::addColumn<int>("rule");  // 0: usable

    auto row = [](const char* name, const char* ip, const char* mask, const char* gateway, int rule) {
        QTest::newRow(name) << QByteArray(ip) << QByteArray(mask) << QByteArray(gateway) << rule;
    };
    const char* m24 = "255.255.255.0";
    row("usable", "192.168.1.10", m24, "192.168.1.1", 0);
    row("gateway equals IP", "192.168.1.10", m24, "192.168.1.10", 0);
    row("empty IP", "", m24, "192.168.1.1", 1);
    row("IP 255.255.255.255", "255.255.255.255", m24, "192.168.1.1", 1);
    row("IP 999.1.1.1", "999.1.1.1", m24, "192.168.1.1", 1);
    row("IP 224.0.0.1", "224.0.0.1", m24, "224.0.0.2", 2);
    row("IP 239.255.255.255", "239.255.255.255", m24, "192.168.1.1", 2);
    row("IP 240.0.0.1 is no multicast", "240.0.0.1", m24, "240.0.0.2", 0);
    row("empty mask", "192.168.1.10", "", "192.168.1.1", 3);
    row("mask 255.255.255.255", "192.168.1.10", "255.255.255.255", "192.168.1.1", 3);
    row("mask 255.0.255.0", "192.168.1.10", "255.0.255.0", "192.168.1.1", 4);
    row("mask 255.255.255.254", "192.168.1.10", "255.255.255.254", "192.168.1.11", 7);
    row("mask 0.0.0.0", "192.168.1.10", "0.0.0.0", "10.1.1.1", 0);
    row("IP is the subnet broadcast", "192.168.1.255", m24, "192.168.1.1", 5);
    row("IP is the network address", "192.168.1.0", m24, "192.168.1.1", 0);
    row("empty gateway", "192.168.1.10", m24, "", 6);
    row("gateway 255.255.255.255", "192.168.1.10", m24, "255.255.255.255", 6);
    row("gateway is the subnet broadcast", "192.168.1.10", m24, "192.168.1.255", 7);
    row("gateway broadcast of 239/8 before multicast", "192.168.1.10", "255.0.0.0", "239.255.255.255", 7);
    row("gateway multicast", "192.168.1.10", m24, "239.1.1.1", 8);
    row("gateway in another subnet", "192.168.1.10", m24, "192.168.2.1", 9);
    row("same pair with a /16 mask", "192.168.1.10", "255.255.0.0", "192.168.2.1", 0);
    row("/31: network address passes, its pair is the broadcast", "10.0.0.0", "255.255.255.254", "10.0.0.1", 7);
}

void SettingsAddressTest::rules()
{
    QFETCH(QByteArray, ip);
    QFETCH(QByteArray, mask);
    QFETCH(QByteArray, gateway);
    QFETCH(int, rule);

    QCOMPARE(int(findIpSettingFault(ip.constData(), mask.constData(), gateway.constData())), rule);
    ModalWatcher watcher;
    QCOMPARE(checkIpSetting(ip.constData(), mask.constData(), gateway.constData()), rule == 0);
    QCOMPARE(watcher.count(), rule == 0 ? 0 : 1);
    if (rule != 0) {
        QCOMPARE(watcher.seen().first().title, QString::fromUtf8("设置IP地址失败"));
        QCOMPARE(watcher.seen().first().text, QString::fromUtf8(kMessages[rule - 1]));
    }
}

void SettingsAddressTest::plainBox()
{
    // No owner window, no icon, one OK button, modal.
    ModalWatcher watcher;
    bool plain = false;
    watcher.setHandler([&plain](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        plain = box != nullptr && box->parentWidget() == nullptr && box->icon() == QMessageBox::NoIcon
            && box->buttons().size() == 1 && box->standardButtons() == QMessageBox::Ok && box->isModal();
        return false;
    });
    QVERIFY(!checkIpSetting("", "", ""));
    QVERIFY(plain);
}

QTEST_MAIN(SettingsAddressTest)
#include "tst_settings_address.moc"
