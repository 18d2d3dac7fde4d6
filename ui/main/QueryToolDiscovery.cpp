#include "ui/main/QueryTool.h"

#include "core/records/TerminalIdentity.h"
#include "core/search/TerminalSearch.h"
#include "net/NxNetControl.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/SearchRangeMemory.h"
#include "ui/main/TerminalRows.h"
#include "ui/rows/TerminalListItem.h"
#include "ui_QueryTool.h"

#include <QElapsedTimer>
#include <QTimer>

QVector<TerminalParam> gPendingTerminals;
RecursiveLock gPendingLock;
QueryTool* gQueryTool = nullptr;

namespace {

constexpr int kSearchButtonPauseMs = 1500;

}  // namespace

void onTerminalReply(TerminalParam* record)
{
    RecursiveLockGuard guard(gPendingLock);
    if (gQueryTool != nullptr) {
        // One signal per filling of the queue: while it holds records, a
        // delivery that takes them all is already on its way.
        const bool signalled = !gPendingTerminals.isEmpty();
        gPendingTerminals.append(*record);
        if (!signalled)
            emit gQueryTool->have_teraminal();
    }
}

void QueryTool::query_terminal()
{
    ui->terminalsWidget->setRowCount(0);
    rows->clear();
    terminalList.clear();
    knownTerminals.clear();
    // A new search reports its conflicts afresh.
    conflictTimer->stop();
    reportedIpConflicts.clear();
    reportedMacConflicts.clear();
    searchStatus.begin();
    searchStepTimer->stop();
    search.reset();
    if (engine != nullptr) {
        search = std::make_unique<TerminalSearch>(engine, onTerminalReply);
        search->searchRanges(rangesToSearch());
        broadcastChecked = false;
        stepSearch();
        // Every search that could not go out says why, not only the first.
        if (!search->anySent())
            showNotSent(tr("搜索请求未能发出，请检查网络连接！"));
    }
    showTerminalCount();

    ui->query_btn->setEnabled(false);
    ui->set_btn->setEnabled(false);
    ui->enter_updata_btn->setEnabled(false);
    ui->reset_terminal_btn->setEnabled(false);
    ui->enterUpdateBtn->setEnabled(false);
    ui->termResetBtn->setEnabled(false);

    QTimer::singleShot(kSearchButtonPauseMs, this, &QueryTool::set_query_btn_enable);
}

std::vector<SearchRange> QueryTool::rangesToSearch() const
{
    // Saved ranges are real addresses: swept only while the engine searches
    // the real network, never a simulator or a test's port.
    const EndpointSettings& settings = engine->Settings();
    const EndpointSettings defaults;
    if (settings.everyAdapter && settings.broadcastAddress == defaults.broadcastAddress
        && settings.terminalPort == defaults.terminalPort && settings.localPort == defaults.localPort)
        return SearchRangeMemory::switchedOn();
    return {};
}

void QueryTool::stepSearch()
{
    const bool searching = search->step();
    showSearchStatus();
    if (searching)
        searchStepTimer->start(search->msToNextStep());
    // The conflict check follows the broadcasts; what the ranges' sweep
    // finds later is checked as late replies are.
    if (!broadcastChecked && search->broadcastSettled()) {
        broadcastChecked = true;
        checkSettledSearch();
    }
}

void QueryTool::checkSettledSearch()
{
    // Replies taken over less than the quiet time ago (or still waiting in
    // the backlog) have the conflict timer running: it checks once they stop.
    if (!conflictTimer->isActive() && backlogStart == replyBacklog.size())
        check_conflict();
}

void QueryTool::set_query_btn_enable()
{
    ui->query_btn->setEnabled(true);
}

void QueryTool::get_terminal_slot()
{
    // The lock guards the queue only: the worker thread goes on receiving
    // while the table is being filled.
    QVector<TerminalParam> arrived;
    {
        RecursiveLockGuard guard(gPendingLock);
        arrived.swap(gPendingTerminals);
    }

    if (backlogStart == replyBacklog.size()) {
        replyBacklog.swap(arrived);
        backlogStart = 0;
    } else {
        replyBacklog += arrived;
    }
    // With a turn queued, or right after a long one, these wait for the
    // timer: the event loop gets a pass between two long turns, so that its
    // timers and painting keep up during a large search. Without a budget
    // no turn counts as long.
    const bool justBusy = replyTurnMs > 0 && lastTurnMs >= replyTurnMs / 2 && sinceLastTurn.elapsed() < replyTurnMs;
    if (backlogTimer->isActive() || justBusy)
        backlogTimer->start();
    else
        takeOverReplies();
}

void QueryTool::takeOverReplies()
{
    QElapsedTimer turn;
    turn.start();
    int next = backlogStart;
    while (next < replyBacklog.size()) {
        // The clock is read once every 64 records, the first time after 64:
        // every turn takes some records, even on a budget of 0 ms. The
        // table's one sort comes on top of the budget.
        if (next > backlogStart && (next - backlogStart) % 64 == 0 && turn.elapsed() >= replyTurnMs)
            break;
        const TerminalParam& record = replyBacklog.at(next++);
        if (knownTerminals.insert(terminalIdentityKey(record)).second)
            terminalList.append(record);
        rows->put(record);
    }
    backlogStart = next;
    rows->place();

    showTerminalCount();

    conflictTimer->start(TerminalSearch::kQuietMs);

    // The rest waits for a timer, so that the window's other timers and
    // events get their turn in between.
    if (backlogStart < replyBacklog.size()) {
        backlogTimer->start();
    } else {
        replyBacklog.clear();
        backlogStart = 0;
    }
    lastTurnMs = turn.elapsed();
    sinceLastTurn.start();
}

void QueryTool::showTerminalCount()
{
    ui->result_label->setText(tr("找到%1个设备").arg(terminalList.size(), 0, 10, QChar(' ')));
    showSearchStatus();
}

void QueryTool::showSearchStatus()
{
    if (search == nullptr)
        return;
    searchStatus.update(*search);
    searchStatusLabel->setText(searchStatus.text());
}

TerminalListItem* QueryTool::findTerminalItem(const TerminalParam* record)
{
    return rows->find(*record);
}

void QueryTool::addOrUpdateTerminal(TerminalParam record)
{
    rows->put(record);
    rows->place();
}
