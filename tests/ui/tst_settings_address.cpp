// The address check of the settings dialog and the boxes OK shows when its
// input cannot be sent: the nine rules in their order, the plain box, and the
// dialog staying open with the user's input after a refused OK.
#include "ModalWatcher.h"
#include "net/TerminalParam.h"
#include "ui/settings/DeviceKindTable.h"
#include "ui/settings/IpSettingCheck.h"
#include "ui/settings/QuerySettingDialog.h"
#include "ui/widgets/NxIPLineEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <cstring>

namespace {

const QString kCaption = QString::fromUtf8("设置IP地址失败");

template <size_t N>
void setText(char (&field)[N], const char* text)
{
    const size_t length = std::min(std::strlen(text), N - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

TerminalParam manualTerminal()
{
    TerminalParam p;
    p.ID = 12;
    setText(p.Type, findKindInfo(0)->type);
    setText(p.MAC, "00-12-37-aa-bb-cc");
    setText(p.IP, "192.168.1.10");
    setText(p.Mask, "255.255.255.0");
    setText(p.Gateway, "192.168.1.1");
    p.ServerPort = 7900;
    return p;
}

template <typename T>
T* child(QuerySettingDialog& dialog, const char* name)
{
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qFatal("no widget %s", name);
    return widget;
}

}  // namespace

class SettingsAddressTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void plainBox();
    void refusedAddressKeepsDialogOpen();
    void refusedPortKeepsDialogOpen();
};

void SettingsAddressTest::rules_data()
{
    QTest::addColumn<QByteArray>("ip");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QByteArray>("gateway");
    QTest::addColumn<int>("rule");

    const QByteArray m24("255.255.255.0");
    QTest::newRow("usable") << QByteArray("192.168.1.10") << m24 << QByteArray("192.168.1.1") << 0;
    QTest::newRow("gateway equals IP") << QByteArray("192.168.1.10") << m24 << QByteArray("192.168.1.10") << 0;
    QTest::newRow("empty IP") << QByteArray() << m24 << QByteArray("192.168.1.1") << 1;
    QTest::newRow("IP 255.255.255.255") << QByteArray("255.255.255.255") << m24 << QByteArray("192.168.1.1") << 1;
    QTest::newRow("IP 999.1.1.1") << QByteArray("999.1.1.1") << m24 << QByteArray("192.168.1.1") << 1;
    QTest::newRow("IP 224.0.0.1") << QByteArray("224.0.0.1") << m24 << QByteArray("224.0.0.2") << 2;
    QTest::newRow("IP 239.255.255.255") << QByteArray("239.255.255.255") << m24 << QByteArray("192.168.1.1") << 2;
    QTest::newRow("IP 240.0.0.1 is no multicast") << QByteArray("240.0.0.1") << m24 << QByteArray("240.0.0.2") << 0;
    QTest::newRow("empty mask") << QByteArray("192.168.1.10") << QByteArray() << QByteArray("192.168.1.1") << 3;
    QTest::newRow("mask 255.255.255.255") << QByteArray("192.168.1.10") << QByteArray("255.255.255.255")
                                          << QByteArray("192.168.1.1") << 3;
    QTest::newRow("mask 255.0.255.0") << QByteArray("192.168.1.10") << QByteArray("255.0.255.0")
                                      << QByteArray("192.168.1.1") << 4;
    QTest::newRow("mask 255.255.255.254") << QByteArray("192.168.1.10") << QByteArray("255.255.255.254")
                                          << QByteArray("192.168.1.11") << 7;
    QTest::newRow("mask 0.0.0.0") << QByteArray("192.168.1.10") << QByteArray("0.0.0.0") << QByteArray("10.1.1.1")
                                  << 0;
    QTest::newRow("IP is the subnet broadcast") << QByteArray("192.168.1.255") << m24 << QByteArray("192.168.1.1")
                                                << 5;
    QTest::newRow("IP is the network address") << QByteArray("192.168.1.0") << m24 << QByteArray("192.168.1.1") << 0;
    QTest::newRow("empty gateway") << QByteArray("192.168.1.10") << m24 << QByteArray() << 6;
    QTest::newRow("gateway 255.255.255.255") << QByteArray("192.168.1.10") << m24 << QByteArray("255.255.255.255")
                                             << 6;
    QTest::newRow("gateway is the subnet broadcast") << QByteArray("192.168.1.10") << m24
                                                     << QByteArray("192.168.1.255") << 7;
    QTest::newRow("gateway broadcast of 239/8 before multicast")
        << QByteArray("192.168.1.10") << QByteArray("255.0.0.0") << QByteArray("239.255.255.255") << 7;
    QTest::newRow("gateway multicast") << QByteArray("192.168.1.10") << m24 << QByteArray("239.1.1.1") << 8;
    QTest::newRow("gateway in another subnet") << QByteArray("192.168.1.10") << m24 << QByteArray("192.168.2.1")
                                               << 9;
    QTest::newRow("same pair with a /16 mask") << QByteArray("192.168.1.10") << QByteArray("255.255.0.0")
                                               << QByteArray("192.168.2.1") << 0;
    QTest::newRow("/31: network address passes, its pair is the broadcast")
        << QByteArray("10.0.0.0") << QByteArray("255.255.255.254") << QByteArray("10.0.0.1") << 7;
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
        QCOMPARE(watcher.seen().first().title, kCaption);
        QCOMPARE(watcher.seen().first().text, QString::fromUtf8(ipSettingMessage(IpSettingFault(rule))));
    }
}

void SettingsAddressTest::plainBox()
{
    const char* const expected[] = {
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
    for (int rule = 1; rule <= 9; ++rule)
        QCOMPARE(QString::fromUtf8(ipSettingMessage(IpSettingFault(rule))), QString::fromUtf8(expected[rule - 1]));

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

void SettingsAddressTest::refusedAddressKeepsDialogOpen()
{
    ModalWatcher watcher;
    QuerySettingDialog dialog(manualTerminal(), true);
    dialog.show();
    auto* gateway = child<NxIPLineEdit>(dialog, "GatewayEdit");
    gateway->setIpAddress("192.168.2.1");
    const TerminalParam before = dialog.fTermParam;

    child<QPushButton>(dialog, "OkBtn")->click();
    QCOMPARE(watcher.count(), 1);
    QCOMPARE(watcher.seen().first().title, kCaption);
    QCOMPARE(watcher.seen().first().text, QString::fromUtf8("IP地址和网关地址不属于同一个子网!"));
    QVERIFY(dialog.isVisible());
    QVERIFY(std::memcmp(&before, &dialog.fTermParam, sizeof before) == 0);
    char text[32] = {};
    QVERIFY(gateway->getIpAddress(text, sizeof text));
    QCOMPARE(QByteArray(text), QByteArray("192.168.2.1"));

    // Corrected, the same dialog sends the terminal's own MAC as the former one.
    gateway->setIpAddress("192.168.1.254");
    child<QPushButton>(dialog, "OkBtn")->click();
    QCOMPARE(watcher.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QByteArray(dialog.fTermParam.OldMAC), QByteArray("00-12-37-aa-bb-cc"));
    QCOMPARE(QByteArray(dialog.fTermParam.Gateway), QByteArray("192.168.1.254"));
}

void SettingsAddressTest::refusedPortKeepsDialogOpen()
{
    ModalWatcher watcher;
    QuerySettingDialog dialog(manualTerminal(), true);
    dialog.show();
    child<QCheckBox>(dialog, "SvrPortCheckBox")->setChecked(true);
    auto* port = child<QLineEdit>(dialog, "SeverPortEdit");
    port->setText("70000");
    const TerminalParam before = dialog.fTermParam;

    child<QPushButton>(dialog, "OkBtn")->click();
    QCOMPARE(watcher.count(), 1);
    QCOMPARE(watcher.seen().first().title, QString::fromUtf8("设置"));
    QCOMPARE(watcher.seen().first().text, QString::fromUtf8("服务器端口无效!"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(port->text(), QString("70000"));
    QVERIFY(std::memcmp(&before, &dialog.fTermParam, sizeof before) == 0);

    port->setText("65000");
    child<QPushButton>(dialog, "OkBtn")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(int(dialog.fTermParam.ServerPort), 65000);
}

QTEST_MAIN(SettingsAddressTest)
#include "tst_settings_address.moc"
