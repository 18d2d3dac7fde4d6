// QueryTool: the main window. Lives on the user-interface thread; only
// onTerminalReply (worker thread) reaches it, through gPendingTerminals and
// the queued signal have_teraminal(): for the replies to its own searches
// and every reply nobody else claimed.
#pragma once

#include "core/search/SearchRange.h"
#include "net/TerminalParam.h"
#include "ui/main/SearchStatus.h"

#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QTimer>
#include <QVector>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class NxNetControl;
class QCheckBox;
class QLabel;
class QListWidgetItem;
class QTableWidget;
class QTableWidgetItem;
class TerminalListItem;
class TerminalRows;
class TerminalSearch;

namespace Ui {
class QueryTool;
}

// What the window takes from the program's configuration.
struct WindowConfig {
    int mode = 0;  // 0 hides the search page's enter-upgrade button
};

class QueryTool : public QMainWindow {
    Q_OBJECT

public:
    explicit QueryTool(NxNetControl* engine, const WindowConfig& config = WindowConfig(), QWidget* parent = nullptr);
    ~QueryTool() override;

    TerminalListItem* findTerminalItem(const TerminalParam* record);
    void addOrUpdateTerminal(TerminalParam record);
    QList<TerminalParam> collectConflicts(bool (*predicate)(const TerminalParam&, const TerminalParam&));
    // How long one turn of takeOverReplies may spend on records (default
    // 6 ms). Tests set 0: every turn then ends after 64 records, so a long
    // batch always takes several turns, and a batch is taken over at once
    // unless a turn is already queued.
    void setReplyTurnMs(qint64 ms) { replyTurnMs = ms; }
    QTableWidget* terminalTable() const;

signals:
    void have_teraminal();

public slots:
    void change_page(QListWidgetItem* current, QListWidgetItem* previous);
    void query_terminal();
    void set_query_btn_enable();
    void get_terminal_slot();
    void check_conflict();

    void item_clicked(QTableWidgetItem* item);
    void item_doubled_clicked(QTableWidgetItem* item);
    void set_terminal();
    void getAndSetTerminal();
    void SetTerminalPlayVolume();

    void enter_root();
    void setSrvBoxStateChanged(int state);
    void setUpdateBoxStateChanged(int state);
    void setResetBoxStateChanged(int state);
    void set_all_server_slot();
    void set_all_update_slot();
    void set_all_reset_slot();
    // Opens the batch configuration dialog; searches anew after an apply.
    void open_batch_config();

private:
    // Reboot codes carried by RebootTerminal.
    static constexpr uint8_t kRebootCode = 0;
    static constexpr uint8_t kUpgradeCode = 2;

    // Reboots the selected terminal with `code`; reports the outcome.
    void rebootSelected(uint8_t code);
    // No row is current: the buttons that act on one are disabled until a
    // row is chosen again.
    void deselectTerminal();
    // Sends a command to all terminals through `send` (with an engine) and
    // clears its guard box, or reports that it could not go out.
    void commandAllTerminals(QCheckBox* guard, const std::function<bool()>& send);
    void showTerminal(const TerminalParam* record);
    // The record of the current row's column-0 item; false without one.
    bool selectedTerminal(TerminalParam* record) const;
    void showSetSucceeded();
    void showSetFailed();
    // The "错误" box for a request that could not go out at all, saying why:
    // the port that could not be opened, or else `otherwise`.
    void showNotSent(const QString& otherwise);
    void showTerminalCount();
    // The saved ranges switched on, while the engine searches the real
    // network (no DBP_* override); else none. Searches on the window's
    // engine, its batch dialog's too, sweep these.
    std::vector<SearchRange> rangesToSearch() const;
    // Lets the current search send what is due and sets the timer for its
    // next step; once it has settled, its conflicts are checked.
    void stepSearch();
    void showSearchStatus();
    // The settled search's conflict check: now, or when the conflict timer
    // runs out on replies taken over just before.
    void checkSettledSearch();
    // Takes over replies from replyBacklog for a bounded time, so that a
    // large search never holds up the event loop for long; what is left
    // goes on in a later turn of the loop.
    void takeOverReplies();

    Ui::QueryTool* ui;
    NxNetControl* engine;
    QList<TerminalParam> terminalList;
    QTimer* conflictTimer;
    // While a conflict report is open, later checks only note that they were
    // asked for; one of them runs when the report closes.
    bool conflictReportOpen = false;
    bool conflictCheckDeferred = false;
    // The conflict lists the current search has reported: a check that finds
    // the same ones again opens no report.
    QList<TerminalParam> reportedIpConflicts;
    QList<TerminalParam> reportedMacConflicts;
    // Replies taken from gPendingTerminals, handled up to backlogStart; the
    // timer of the next turn on the rest; how long the last turn took and
    // how long ago it ended.
    QVector<TerminalParam> replyBacklog;
    int backlogStart = 0;
    QTimer* backlogTimer;
    qint64 replyTurnMs = 6;
    qint64 lastTurnMs = 0;
    QElapsedTimer sinceLastTurn;
    // terminalIdentityKey of every record of terminalList.
    std::unordered_set<std::string> knownTerminals;
    std::unique_ptr<TerminalRows> rows;
    // The current search, the timer of its next step, and what the status
    // bar says about it.
    std::unique_ptr<TerminalSearch> search;
    bool broadcastChecked = false;  // the search's conflict check has run
    QTimer* searchStepTimer;
    SearchStatus searchStatus;
    QLabel* searchStatusLabel;
};
