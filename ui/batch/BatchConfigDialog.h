// BatchConfigDialog: commissioning from the window. Reads a sheet, searches
// (the window's search ranges too), shows the plan and its problems, applies
// it with progress and cancel, shows each terminal's outcome and saves the
// result; exports the terminals found as a sheet to start from. Terminals
// found only through a range are set at their own address. Searches and the
// apply are driven by a timer on the user-interface thread through the
// engine's non-blocking requests, so the window never waits. User-interface
// thread.
#pragma once

#include "core/commission/CommissionRun.h"
#include "core/commission/CommissionSheet.h"
#include "core/commission/SheetSearch.h"
#include "core/search/SearchRange.h"
#include "core/search/TerminalSearch.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class NxNetControl;

namespace Ui {
class BatchConfigDialog;
}

class BatchConfigDialog : public QDialog {
    Q_OBJECT

public:
    // Every search also sweeps `ranges`, as the window's does.
    BatchConfigDialog(NxNetControl* engine, const std::vector<SearchRange>& ranges = {}, QWidget* parent = nullptr);
    ~BatchConfigDialog() override;

    // Whether an apply was started while the dialog was open, whatever was
    // loaded after it: the window's table is then out of date.
    bool applied() const;

public slots:
    // Reads the sheet in `path`; without problems, searches and plans.
    void loadSheet(const QString& path);

private slots:
    void chooseSheet();
    void exportSheet();
    void startApply();
    void stopApply();
    void saveResult();
    void tick();

private:
    void searchDone();
    // "Searching…", with the ranges' sweep progress while `search` sweeps.
    void showSearching(const TerminalSearch* search);
    void sheetSearchDone();
    void makePlan();
    void saveSheet(const std::vector<TerminalParam>& terminals);
    void showProblems(const std::vector<CommissionProblem>& problems);
    void showPlan();
    void showProgress();
    void showOutcomes();
    void fitColumns();
    void setRow(int row, int line, const QString& mac, const QString& changes, const QString& result);
    void reject() override;

    Ui::BatchConfigDialog* ui;
    NxNetControl* engine;
    const std::vector<SearchRange> ranges;
    QTimer ticker;
    CommissionSheet sheet;
    CommissionPlan plan;
    std::vector<TerminalParam> found;        // the sheet's search; empty before it
    std::vector<SheetRow> notFound;          // rows left out of a partial plan
    std::unordered_set<std::string> routed;  // identity keys of those found only through a range
    int byAddress = 0;                       // the plan's entries set at their own address
    std::unique_ptr<SheetSearch> sheetSearch;
    std::unique_ptr<TerminalSearch> search;  // for an export
    std::unique_ptr<CommissionRun> run;
    bool anyApply = false;
};
