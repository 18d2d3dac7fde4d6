#include "ui/main/QueryTool.h"

#include "core/search/ReplyRouter.h"
#include "core/search/TerminalSearch.h"
#include "net/NxNetControl.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/RowToolTips.h"
#include "ui/main/SearchRangesDialog.h"
#include "ui/main/TerminalFilter.h"
#include "ui/main/TerminalRows.h"
#include "ui/main/TerminalTableActions.h"
#include "ui/rows/TerminalExport.h"
#include "ui/rows/TerminalListItem.h"
#include "ui/widgets/ElidedLabel.h"
#include "ui/widgets/SliderSpinBoxPair.h"
#include "ui_QueryTool.h"

#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QListWidgetItem>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

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

QueryTool::QueryTool(NxNetControl* engine, const WindowConfig& config, QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::QueryTool)
    , engine(engine)
    , conflictTimer(new QTimer(this))
    , backlogTimer(new QTimer(this))
    , searchStepTimer(new QTimer(this))
    , searchStatusLabel(new ElidedLabel(this))
{
    ui->setupUi(this);
    rows = std::make_unique<TerminalRows>(ui->terminalsWidget);
    backlogTimer->setSingleShot(true);
    backlogTimer->setInterval(0);
    connect(backlogTimer, &QTimer::timeout, this, &QueryTool::takeOverReplies);
    searchStepTimer->setSingleShot(true);
    connect(searchStepTimer, &QTimer::timeout, this, &QueryTool::stepSearch);
    new RowToolTips(ui->terminalsWidget,
        [this](const TerminalParam& record) { return searchStatus.rowToolTip(record.ArrivalInterface); });

    if (config.mode == 0)
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
    connect(ui->titlesWidget, &QListWidget::currentItemChanged, this, &QueryTool::change_page);
    ui->titlesWidget->setCurrentRow(0);

    statusBar()->addWidget(new QLabel(QString::fromUtf8(" 版本：2.3.0 ")), 0);
    searchStatusLabel->setObjectName("searchStatusLabel");
    statusBar()->addWidget(searchStatusLabel, 1);
    statusBar()->setStyleSheet("QStatusBar::item{border: 0px}");

    connect(ui->query_btn, &QPushButton::clicked, this, &QueryTool::query_terminal);
    connect(ui->searchRangesButton, &QPushButton::clicked, this, [this] { SearchRangesDialog(this).exec(); });
    connect(ui->set_btn, &QPushButton::clicked, this, &QueryTool::set_terminal);
    connect(ui->batch_btn, &QPushButton::clicked, this, &QueryTool::open_batch_config);
    connect(ui->terminalsWidget, &QTableWidget::itemClicked, this, &QueryTool::item_clicked);
    connect(ui->terminalsWidget, &QTableWidget::itemDoubleClicked, this, &QueryTool::item_doubled_clicked);
    // Emitted on the worker thread under gPendingLock: always queued, so the
    // slot never runs inside the lock on the emitting thread.
    connect(this, &QueryTool::have_teraminal, this, &QueryTool::get_terminal_slot, Qt::QueuedConnection);
    connect(ui->enter_updata_btn, &QPushButton::clicked, this, &QueryTool::enter_root);
    connect(ui->reset_terminal_btn, &QPushButton::clicked, this, &QueryTool::enter_root);
    connect(ui->enterUpdateBtn, &QPushButton::clicked, this, &QueryTool::enter_root);
    connect(ui->termResetBtn, &QPushButton::clicked, this, &QueryTool::enter_root);
    connect(ui->AttributeBtn, &QPushButton::clicked, this, &QueryTool::getAndSetTerminal);
    connect(ui->kPlayVolumeSettingBtn, &QPushButton::clicked, this, &QueryTool::SetTerminalPlayVolume);
    connect(conflictTimer, &QTimer::timeout, this, &QueryTool::check_conflict);
    coupleSliderAndSpinBox(ui->kMainTrebleHorSlider, ui->kMainTrebleSpinBox);
    coupleSliderAndSpinBox(ui->kMainBassHorSlider, ui->kMainBassSpinBox);
    coupleSliderAndSpinBox(ui->kMainVolHorSlider, ui->kMainVolSpinBox);
    connect(ui->SrvCheckBox, &QCheckBox::stateChanged, this, &QueryTool::setSrvBoxStateChanged);
    connect(ui->UpdateCheckBox, &QCheckBox::stateChanged, this, &QueryTool::setUpdateBoxStateChanged);
    connect(ui->ResetCheckBox, &QCheckBox::stateChanged, this, &QueryTool::setResetBoxStateChanged);
    connect(ui->SrvSureBtn, &QPushButton::clicked, this, &QueryTool::set_all_server_slot);
    connect(ui->UpdateSureBtn, &QPushButton::clicked, this, &QueryTool::set_all_update_slot);
    connect(ui->ResetSureBtn, &QPushButton::clicked, this, &QueryTool::set_all_reset_slot);
    new TerminalFilter(ui->terminalsWidget, ui->filterEdit);
    new TerminalTableActions(ui->terminalsWidget,
        {[this] { item_clicked(nullptr); }, [this] { deselectTerminal(); }, ui->set_btn, ui->reset_terminal_btn,
            ui->enter_updata_btn, ui->query_btn});
    connect(ui->exportBtn, &QPushButton::clicked, this, [this] { TerminalExport::ask(this, terminalList); });

    {
        RecursiveLockGuard guard(gPendingLock);
        gQueryTool = this;
    }
    if (engine != nullptr) {
        ReplyRouter::attach(engine);
        ReplyRouter::setOthers(onTerminalReply);
    }

    query_terminal();
}

QueryTool::~QueryTool()
{
    // After this no reply reaches the window; replies already signalled are
    // discarded with the window's posted events.
    search.reset();
    {
        RecursiveLockGuard guard(gPendingLock);
        if (gQueryTool == this) {
            gQueryTool = nullptr;
            gPendingTerminals.clear();
        }
    }

    delete ui;
}

QTableWidget* QueryTool::terminalTable() const
{
    return ui->terminalsWidget;
}

void QueryTool::change_page(QListWidgetItem* current, QListWidgetItem* previous)
{
    QListWidgetItem* shown = current != nullptr ? current : previous;
    if (shown == nullptr)
        return;
    ui->pagesWidget->setCurrentIndex(ui->titlesWidget->row(shown));
}
