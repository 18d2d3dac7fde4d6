#include "ui/main/QueryTool.h"

#include "app/ConfigStore.h"
#include "net/NxNetControl.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/TerminalListItem.h"
#include "ui/main/TerminalRows.h"
#include "ui_QueryTool.h"

#include <QIcon>
#include <QLabel>
#include <QListWidgetItem>
#include <QStatusBar>

namespace {

struct NavigationEntry {
    const char* icon;
    const char* text;
};

// Fixed texts: the navigation list is not passed through translation.
const NavigationEntry kNavigation[] = {
    {":/query_tool/Images/query.png", "查找"},
    {":/query_tool/Images/update.png", "升级"},
    {":/query_tool/Images/config.png", "高级配置"},
};

}  // namespace

QueryTool::QueryTool(NxNetControl* engine, QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::QueryTool)
    , engine(engine)
    , conflictTimer(new QTimer)
    , backlogTimer(new QTimer(this))
{
    ui->setupUi(this);
    rows = std::make_unique<TerminalRows>(ui->terminalsWidget);
    backlogTimer->setSingleShot(true);
    backlogTimer->setInterval(0);
    connect(backlogTimer, &QTimer::timeout, this, &QueryTool::takeOverReplies);

    if (ConfigStore::value(ConfigStore::Mode).toInt(nullptr, 10) == 0)
        ui->enter_updata_btn->hide();

    ui->enterUpdateBtn->hide();
    ui->termResetBtn->hide();
    ui->updateTermBtn->setEnabled(false);
    ui->enterUpdateBtn->setEnabled(false);
    ui->termResetBtn->setEnabled(false);

    ui->SrvSureBtn->setEnabled(false);
    ui->setSrvIpEdit->setEnabled(false);
    ui->setSrvIpEdit->setIpAddress("192.168.1.100");
    ui->UpdateSureBtn->setEnabled(false);
    ui->ResetSureBtn->setEnabled(false);

    // One window per process; a later one replaces the copies rather than
    // adding a second set.
    qDeleteAll(gHeaderItems);
    gHeaderItems.clear();
    for (int column = 0; column < ui->terminalsWidget->columnCount(); ++column)
        gHeaderItems.append(new QTableWidgetItem(*ui->terminalsWidget->horizontalHeaderItem(column)));

    for (const NavigationEntry& entry : kNavigation) {
        auto* item = new QListWidgetItem(QIcon(entry.icon), QString::fromUtf8(entry.text));
        item->setTextAlignment(Qt::AlignHCenter);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        ui->titlesWidget->addItem(item);
    }
    connect(ui->titlesWidget, SIGNAL(currentItemChanged(QListWidgetItem*, QListWidgetItem*)), this,
            SLOT(change_page(QListWidgetItem*, QListWidgetItem*)));
    ui->titlesWidget->setCurrentRow(0);

    statusBar()->addWidget(new QLabel(QString::fromUtf8(" 版本：2.3.0 ")), 0);
    statusBar()->setStyleSheet("QStatusBar::item{border: 0px}");

    connect(ui->query_btn, SIGNAL(clicked()), this, SLOT(query_terminal()));
    connect(ui->set_btn, SIGNAL(clicked()), this, SLOT(set_terminal()));
    connect(ui->terminalsWidget, SIGNAL(itemClicked(QTableWidgetItem*)), this,
            SLOT(item_clicked(QTableWidgetItem*)));
    connect(ui->terminalsWidget, SIGNAL(itemDoubleClicked(QTableWidgetItem*)), this,
            SLOT(item_doubled_clicked(QTableWidgetItem*)));
    connect(this, SIGNAL(have_teraminal()), this, SLOT(get_terminal_slot()));
    connect(ui->enter_updata_btn, SIGNAL(clicked()), this, SLOT(enter_root()));
    connect(ui->reset_terminal_btn, SIGNAL(clicked()), this, SLOT(enter_root()));
    connect(ui->enterUpdateBtn, SIGNAL(clicked()), this, SLOT(enter_root()));
    connect(ui->termResetBtn, SIGNAL(clicked()), this, SLOT(enter_root()));
    connect(ui->AttributeBtn, SIGNAL(clicked()), this, SLOT(getAndSetTerminal()));
    connect(ui->kPlayVolumeSettingBtn, SIGNAL(clicked()), this, SLOT(SetTerminalPlayVolume()));
    connect(conflictTimer, SIGNAL(timeout()), this, SLOT(check_conflict()));
    connect(ui->kMainTrebleHorSlider, SIGNAL(valueChanged(int)), ui->kMainTrebleSpinBox,
            SLOT(setValue(int)));
    connect(ui->kMainTrebleSpinBox, SIGNAL(valueChanged(int)), ui->kMainTrebleHorSlider,
            SLOT(setValue(int)));
    connect(ui->kMainBassHorSlider, SIGNAL(valueChanged(int)), ui->kMainBassSpinBox,
            SLOT(setValue(int)));
    connect(ui->kMainBassSpinBox, SIGNAL(valueChanged(int)), ui->kMainBassHorSlider,
            SLOT(setValue(int)));
    connect(ui->kMainVolHorSlider, SIGNAL(valueChanged(int)), ui->kMainVolSpinBox,
            SLOT(setValue(int)));
    connect(ui->kMainVolSpinBox, SIGNAL(valueChanged(int)), ui->kMainVolHorSlider,
            SLOT(setValue(int)));
    connect(ui->SrvCheckBox, SIGNAL(stateChanged(int)), this, SLOT(setSrvBoxStateChanged(int)));
    connect(ui->UpdateCheckBox, SIGNAL(stateChanged(int)), this,
            SLOT(setUpdateBoxStateChanged(int)));
    connect(ui->ResetCheckBox, SIGNAL(stateChanged(int)), this,
            SLOT(setResetBoxStateChanged(int)));
    connect(ui->SrvSureBtn, SIGNAL(clicked()), this, SLOT(set_all_server_slot()));
    connect(ui->UpdateSureBtn, SIGNAL(clicked()), this, SLOT(set_all_update_slot()));
    connect(ui->ResetSureBtn, SIGNAL(clicked()), this, SLOT(set_all_reset_slot()));

    gPendingLock.lock();
    gQueryTool = this;
    gPendingLock.unlock();
    if (engine != nullptr)
        engine->replyCallback = onTerminalReply;

    query_terminal();
}

QueryTool::~QueryTool()
{
    // After this no reply reaches the window; replies already signalled are
    // discarded with the window's posted events.
    gPendingLock.lock();
    if (gQueryTool == this) {
        gQueryTool = nullptr;
        gPendingTerminals.clear();
    }
    gPendingLock.unlock();

    delete conflictTimer;
    delete ui;
}

void QueryTool::change_page(QListWidgetItem* current, QListWidgetItem* previous)
{
    QListWidgetItem* shown = current != nullptr ? current : previous;
    if (shown == nullptr)
        return;
    ui->pagesWidget->setCurrentIndex(ui->titlesWidget->row(shown));
}
