// The main window's form and construction: start-up state, navigation, the
// slider and spin-box couplings, the "mode" key and re-translation. No
// engine: nothing here touches the network.
#include "tests/ui/ScratchFolder.h"
#include "tests/ui/WidgetScript.h"
#include "ui/main/QueryTool.h"
#include "ui/main/TerminalListItem.h"
#include "ui_QueryTool.h"

#include <QHeaderView>
#include <QListWidget>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startState()
    {
        { QueryTool earlier(nullptr); }  // a later window replaces the header copies
        QueryTool window(nullptr);
        QVERIFY(!window.windowIcon().isNull());

        auto* titles = child<QListWidget>(&window, "titlesWidget");
        QCOMPARE(titles->count(), 3);
        QCOMPARE(titles->currentRow(), 0);
        QCOMPARE(child<QStackedWidget>(&window, "pagesWidget")->currentIndex(), 0);
        const QStringList texts{"查找", "升级", "高级配置"};
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(titles->item(row)->text(), texts[row]);
            QVERIFY(!titles->item(row)->icon().isNull());
        }

        // The first search ran at once: the action buttons wait; the guarded
        // operations on all terminals wait for their check boxes.
        const QByteArray start
            = "query_btn.enabled=0; set_btn.enabled=0; enter_updata_btn.enabled=0; reset_terminal_btn.enabled=0; "
              "enterUpdateBtn.enabled=0; termResetBtn.enabled=0; updateTermBtn.enabled=0; SrvSureBtn.enabled=0; "
              "UpdateSureBtn.enabled=0; ResetSureBtn.enabled=0; enterUpdateBtn.shown=0; termResetBtn.shown=0; "
              "query_btn.shown=1; setSrvIpEdit=192.168.1.100; setSrvIpEdit.enabled=0; IpEdit=; groupBox_8=0; "
              "kPlayVolumeSettingBtn.enabled=0; result_label=发现0个设备";
        QCOMPARE(shows(&window, start), start);

        auto* table = child<QTableWidget>(&window, "terminalsWidget");
        const QStringList headers{"设备型号", "设备ID", "设备状态", "固件版本", "IP地址", "MAC地址"};
        QCOMPARE(table->columnCount(), 6);
        QCOMPARE(table->rowCount(), 0);
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(gHeaderItems.size(), 6);
        for (int column = 0; column < 6; ++column) {
            QCOMPARE(table->horizontalHeaderItem(column)->text(), headers[column]);
            QCOMPARE(gHeaderItems[column]->text(), headers[column]);
        }

        const QList<QLabel*> status = window.statusBar()->findChildren<QLabel*>();
        QVERIFY(std::any_of(status.begin(), status.end(), [](QLabel* l) { return l->text() == " 版本：2.3.0 "; }));
    }

    void navigation()
    {
        QueryTool window(nullptr);
        auto* titles = child<QListWidget>(&window, "titlesWidget");
        auto* pages = child<QStackedWidget>(&window, "pagesWidget");
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
        QTest::addColumn<QByteArray>("spinName");
        QTest::addColumn<QByteArray>("sliderName");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");

        QTest::newRow("treble") << QByteArray("kMainTrebleSpinBox") << QByteArray("kMainTrebleHorSlider") << -7 << 7;
        QTest::newRow("bass") << QByteArray("kMainBassSpinBox") << QByteArray("kMainBassHorSlider") << -7 << 7;
        QTest::newRow("volume") << QByteArray("kMainVolSpinBox") << QByteArray("kMainVolHorSlider") << 0 << 100;
    }

    void sliderAndSpinBoxMoveTogether()
    {
        QFETCH(QByteArray, spinName);
        QFETCH(QByteArray, sliderName);
        QFETCH(int, minimum);
        QFETCH(int, maximum);

        QueryTool window(nullptr);
        auto* spin = child<QSpinBox>(&window, spinName);
        auto* slider = child<QSlider>(&window, sliderName);
        QCOMPARE(QList<int>({spin->minimum(), spin->maximum(), slider->minimum(), slider->maximum()}),
                 QList<int>({minimum, maximum, minimum, maximum}));

        // One change each way, no ping-pong.
        QSignalSpy spinChanges(spin, SIGNAL(valueChanged(int)));
        QSignalSpy sliderChanges(slider, SIGNAL(valueChanged(int)));
        spin->setValue(maximum);
        QCOMPARE(slider->value(), maximum);
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

        // Shares the process's view of config.ini with the program's own store.
        QSettings("./config.ini", QSettings::IniFormat).setValue("mode", mode);
        QueryTool window(nullptr);
        QCOMPARE(!child(&window, "enter_updata_btn")->isHidden(), upgradeButtonShown);
        QVERIFY(!child(&window, "reset_terminal_btn")->isHidden());
    }

    void retranslateKeepsOneInterfaceItem()
    {
        QMainWindow window;
        Ui::QueryTool form;
        form.setupUi(&window);
        form.retranslateUi(&window);
        form.retranslateUi(&window);
        QCOMPARE(form.comboBox_2->count(), 1);
        QCOMPARE(form.comboBox_2->itemText(0), QString("以太网"));
        QCOMPARE(form.label_8->text(), QString("        [播放终端有效]"));
    }

private:
    ScratchFolder folder;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
