// The user's texts of commissioning: problems of a sheet and outcomes of a
// run, translated (context "CommissionTexts"). Shared by the batch dialog and
// the command line. Any thread once the translation is installed.
#pragma once

#include "core/commission/CommissionPlan.h"
#include "core/commission/CommissionProblem.h"
#include "core/commission/CommissionRun.h"

#include <QCoreApplication>
#include <QString>

class CommissionTexts {
    Q_DECLARE_TR_FUNCTIONS(CommissionTexts)

public:
    // "line 4, IP: ..." (or the sheet as a whole) with what is wrong.
    static QString problem(const CommissionProblem& problem);
    static QString outcome(const TerminalOutcome& outcome);
    // What a verifying search showed instead: "ID为2（表格为12）；…".
    static QString unmet(const std::vector<PlannedChange>& unmet);
    // The note on the export's columns a sheet cannot set; empty when none.
    static QString ignoredColumns(const CommissionSheet& sheet);
    // One line counting each outcome: "5个终端：3 已设置并验证，2 无应答".
    static QString summary(const std::vector<TerminalOutcome>& outcomes);
    static QString outcomeName(Outcome outcome);
    // A plan entry's changes, values it keeps left out:
    // "ID 3 → 12, IP 10.0.0.3 → 10.0.0.12".
    static QString changes(const PlanEntry& entry);
};
