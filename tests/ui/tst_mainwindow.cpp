// The main window's form and construction: start-up state, navigation, the
// slider and spin-box couplings, the "mode" key and re-translation. No
// engine: nothing here touches the network.
#include "ui/main/QueryTool.h"
#include "ui/main/TerminalListItem.h"
#include "ui/widgets/NxIPLineEdit.h"
#include "ui_QueryTool.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

template <typename T>
T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qFatal("no widget %s", name);
    return widget;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // config.ini is created in the working directory.
        QVERIFY(workDir.isValid());
        QVERIFY(QDir::setCurrent(workDir.path()));
    }

    void startState()
    {
        QueryTool window(nullptr);

        QCOMPARE(window.objectName(), QString("QueryTool"));
        QCOMPARE(window.size(), QSize(1004, 616));
        QCOMPARE(window.maximumSize(), QSize(16777210, 16777215));
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(window.windowTitle().isEmpty());

        auto* pages = child<QStackedWidget>(window, "pagesWidget");
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->widget(0)->objectName(), QString("query_page"));
        QCOMPARE(pages->widget(1)->objectName(), QString("updata_page"));
        QCOMPARE(pages->widget(2)->objectName(), QString("config_page"));
        QCOMPARE(pages->currentIndex(), 0);

        auto* titles = child<QListWidget>(window, "titlesWidget");
        QCOMPARE(titles->count(), 3);
        QCOMPARE(titles->currentRow(), 0);
        const QStringList texts{"查找", "升级", "高级配置"};
        for (int row = 0; row < 3; ++row) {
            QListWidgetItem* item = titles->item(row);
            QCOMPARE(item->text(), texts[row]);
            QVERIFY(!item->icon().isNull());
            QCOMPARE(item->textAlignment(), int(Qt::AlignHCenter));
            QCOMPARE(int(item->flags()), 33);
        }

        // The first search ran at once: the action buttons wait.
        for (const char* name : {"query_btn", "set_btn", "enter_updata_btn", "reset_terminal_btn",
                                 "enterUpdateBtn", "termResetBtn", "updateTermBtn", "SrvSureBtn",
                                 "UpdateSureBtn", "ResetSureBtn"})
            QVERIFY2(!child<QPushButton>(window, name)->isEnabled(), name);
        QVERIFY(child<QPushButton>(window, "enterUpdateBtn")->isHidden());
        QVERIFY(child<QPushButton>(window, "termResetBtn")->isHidden());
        QVERIFY(!child<QPushButton>(window, "query_btn")->isHidden());

        auto* serverEdit = child<NxIPLineEdit>(window, "setSrvIpEdit");
        QVERIFY(!serverEdit->isEnabled());
        char address[32] = {};
        QVERIFY(serverEdit->getIpAddress(address, sizeof address));
        QCOMPARE(QString(address), QString("192.168.1.100"));
        QVERIFY(!child<NxIPLineEdit>(window, "IpEdit")->getIpAddress(address, sizeof address));

        auto* volumeGroup = child<QGroupBox>(window, "groupBox_8");
        QVERIFY(volumeGroup->isCheckable());
        QVERIFY(!volumeGroup->isChecked());
        QVERIFY(!child<QPushButton>(window, "kPlayVolumeSettingBtn")->isEnabled());

        QCOMPARE(child<QLabel>(window, "result_label")->text(), QString("发现0个设备"));

        auto* table = child<QTableWidget>(window, "terminalsWidget");
        const QStringList headers{"设备型号", "设备ID", "设备状态", "固件版本", "IP地址", "MAC地址"};
        QCOMPARE(table->columnCount(), 6);
        QCOMPARE(table->rowCount(), 0);
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(table->horizontalHeader()->stretchLastSection());
        QCOMPARE(table->horizontalHeader()->defaultSectionSize(), 150);
        QCOMPARE(gHeaderItems.size(), 6);
        for (int column = 0; column < 6; ++column) {
            QCOMPARE(table->horizontalHeaderItem(column)->text(), headers[column]);
            QCOMPARE(gHeaderItems[column]->text(), headers[column]);
        }

        const QList<QLabel*> statusLabels = window.statusBar()->findChildren<QLabel*>();
        QVERIFY(std::any_of(statusLabels.begin(), statusLabels.end(),
                            [](QLabel* l) { return l->text() == QString(" 版本：2.3.0 "); }));
        QCOMPARE(window.statusBar()->styleSheet(), QString("QStatusBar::item{border: 0px}"));
    }

    void searchButtonComesBack()
    {
        QueryTool window(nullptr);
        auto* query = child<QPushButton>(window, "query_btn");
        QVERIFY(!query->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(query->isEnabled(), 10000);
        // The other buttons wait for a row to be chosen.
        QVERIFY(!child<QPushButton>(window, "set_btn")->isEnabled());
    }

    void secondWindowKeepsOneHeaderSet()
    {
        auto first = std::make_unique<QueryTool>(nullptr);
        first.reset();
        QueryTool second(nullptr);
        QCOMPARE(gHeaderItems.size(), 6);
    }

    void navigation()
    {
        QueryTool window(nullptr);
        auto* titles = child<QListWidget>(window, "titlesWidget");
        auto* pages = child<QStackedWidget>(window, "pagesWidget");

        for (int row : {2, 1, 0, 2}) {
            titles->setCurrentRow(row);
            QCOMPARE(pages->currentIndex(), row);
        }
        // No current item: the page of the previous one stays.
        titles->setCurrentItem(nullptr);
        QVERIFY(titles->currentItem() == nullptr);
        QCOMPARE(pages->currentIndex(), 2);
        titles->setCurrentRow(1);
        QCOMPARE(pages->currentIndex(), 1);
    }

    void sliderAndSpinBoxMoveTogether_data()
    {
        QTest::addColumn<QString>("spinName");
        QTest::addColumn<QString>("sliderName");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");

        QTest::newRow("treble") << "kMainTrebleSpinBox" << "kMainTrebleHorSlider" << -7 << 7;
        QTest::newRow("bass") << "kMainBassSpinBox" << "kMainBassHorSlider" << -7 << 7;
        QTest::newRow("volume") << "kMainVolSpinBox" << "kMainVolHorSlider" << 0 << 100;
    }

    void sliderAndSpinBoxMoveTogether()
    {
        QFETCH(QString, spinName);
        QFETCH(QString, sliderName);
        QFETCH(int, minimum);
        QFETCH(int, maximum);

        QueryTool window(nullptr);
        auto* spin = window.findChild<QSpinBox*>(spinName);
        auto* slider = window.findChild<QSlider*>(sliderName);
        QVERIFY(spin && slider);
        QCOMPARE(spin->minimum(), minimum);
        QCOMPARE(spin->maximum(), maximum);
        QCOMPARE(slider->minimum(), minimum);
        QCOMPARE(slider->maximum(), maximum);
        QCOMPARE(slider->orientation(), Qt::Horizontal);

        QSignalSpy spinChanges(spin, SIGNAL(valueChanged(int)));
        QSignalSpy sliderChanges(slider, SIGNAL(valueChanged(int)));

        spin->setValue(maximum);
        QCOMPARE(slider->value(), maximum);
        QCOMPARE(spinChanges.count(), 1);
        QCOMPARE(sliderChanges.count(), 1);

        slider->setValue(minimum);
        QCOMPARE(spin->value(), minimum);
        QCOMPARE(spinChanges.count(), 2);
        QCOMPARE(sliderChanges.count(), 2);

        // Out of range is clamped on both sides alike.
        spin->setValue(maximum + 50);
        QCOMPARE(slider->value(), maximum);
    }

    void modeKey_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("upgradeButtonShown");

        QTest::newRow("0") << "0" << false;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("-3") << "-3" << true;
        QTest::newRow("text") << "upgrade" << false;
        QTest::newRow("empty") << "" << false;
    }

    void modeKey()
    {
        QFETCH(QString, mode);
        QFETCH(bool, upgradeButtonShown);

        {
            // Shares the process's view of config.ini with the program's own store.
            QSettings config("./config.ini", QSettings::IniFormat);
            config.setValue("mode", mode);
        }
        QueryTool window(nullptr);
        QCOMPARE(!child<QPushButton>(window, "enter_updata_btn")->isHidden(), upgradeButtonShown);
        QVERIFY(!child<QPushButton>(window, "reset_terminal_btn")->isHidden());
    }

    void retranslateKeepsOneInterfaceItem()
    {
        QMainWindow window;
        Ui::QueryTool form;
        form.setupUi(&window);
        QCOMPARE(form.comboBox_2->count(), 1);
        form.retranslateUi(&window);
        form.retranslateUi(&window);
        QCOMPARE(form.comboBox_2->count(), 1);
        QCOMPARE(form.comboBox_2->itemText(0), QString("以太网"));
        QCOMPARE(form.label_8->text(), QString("        [播放终端有效]"));
    }

private:
    QTemporaryDir workDir;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
