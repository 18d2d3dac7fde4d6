#include "ui/main/QueryTool.h"

#include "net/NxNetControl.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/TerminalListItem.h"
#include "ui_QueryTool.h"

#include <QTimer>

#include <algorithm>
#include <cstring>

QList<TerminalParam> gPendingTerminals;
RecursiveLock gPendingLock;
QueryTool* gQueryTool = nullptr;

namespace {

constexpr int kSearchButtonPauseMs = 1500;
constexpr int kConflictQuietMs = 500;

// A row stands for the record when ID, Type, IP and MAC are equal.
bool sameRow(const TerminalParam& a, const TerminalParam& b)
{
    return a.ID == b.ID && std::strcmp(a.Type, b.Type) == 0 && std::strcmp(a.IP, b.IP) == 0
        && std::strcmp(a.MAC, b.MAC) == 0;
}

}  // namespace

void onTerminalReply(TerminalParam* record)
{
    gPendingLock.lock();
    if (gQueryTool != nullptr) {
        gPendingTerminals.append(*record);
        emit gQueryTool->have_teraminal();
    }
    gPendingLock.unlock();
}

void QueryTool::query_terminal()
{
    ui->terminalsWidget->setRowCount(0);
    terminalList.clear();
    if (engine != nullptr)
        engine->QueryAllTerminals();

    ui->query_btn->setEnabled(false);
    ui->set_btn->setEnabled(false);
    ui->enter_updata_btn->setEnabled(false);
    ui->reset_terminal_btn->setEnabled(false);
    ui->enterUpdateBtn->setEnabled(false);
    ui->termResetBtn->setEnabled(false);

    QTimer::singleShot(kSearchButtonPauseMs, this, SLOT(set_query_btn_enable()));
}

void QueryTool::set_query_btn_enable()
{
    ui->query_btn->setEnabled(true);
}

void QueryTool::get_terminal_slot()
{
    // Held to the end: a reply arriving meanwhile waits in the worker thread.
    gPendingLock.lock();

    for (const TerminalParam& record : qAsConst(gPendingTerminals)) {
        const bool known = std::any_of(terminalList.cbegin(), terminalList.cend(),
                                       [&](const TerminalParam& t) { return sameTerminal(t, record); });
        if (!known)
            terminalList.append(record);
        addOrUpdateTerminal(record);
    }
    gPendingTerminals.clear();

    ui->result_label->setText(tr("找到%1个设备").arg(terminalList.size(), 0, 10, QChar(' ')));

    conflictTimer->stop();
    conflictTimer->start(kConflictQuietMs);

    gPendingLock.unlock();
}

TerminalListItem* QueryTool::findTerminalItem(const TerminalParam* record)
{
    QTableWidget* table = ui->terminalsWidget;
    for (int row = 0; row < table->rowCount(); ++row) {
        auto* item = dynamic_cast<TerminalListItem*>(table->item(row, 0));
        if (item != nullptr && sameRow(item->param, *record))
            return item;
    }
    return nullptr;
}

void QueryTool::addOrUpdateTerminal(TerminalParam record)
{
    if (record.Type[0] == '\0')
        return;
    if (TerminalListItem* item = findTerminalItem(&record)) {
        // Only column 0 follows the new record; the other cells keep their texts.
        item->param = record;
        item->updateModelText();
        return;
    }
    ui->terminalsWidget->insertRow(0);
    fillTerminalRow(ui->terminalsWidget, 0, &record);
}
