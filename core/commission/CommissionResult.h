// The record of a commissioning run (or its plan) as CSV: the sheet's
// columns as written, then the outcome (a fixed keyword scripts can test)
// and its detail, in English for scripts.
// Plain C++; any thread.
#pragma once

#include "core/commission/CommissionRun.h"

#include <string>
#include <vector>

// "verified", "already-set", "refused", "no-answer", "not-verified",
// "not-sent" or "pending"; a row left out of a partial plan is "not-found".
const char* outcomeKeyword(Outcome outcome);

// "ID=5 (sheet 7); IP=... (sheet ...)" for the values a terminal showed
// instead of the sheet's; "not found" when the search did not show it.
std::string outcomeDetail(const TerminalOutcome& outcome);

// The whole result file, UTF-8 with byte-order mark; the rows left out of a
// partial plan follow as "not-found".
std::string commissionResultCsv(const std::vector<std::string>& columns, const CommissionPlan& plan,
    const std::vector<TerminalOutcome>& outcomes, const std::vector<SheetRow>& notFound = {});

// The plan as a result file before anything is sent: "already-set" or
// "planned", the detail naming each value to change ("ID=3 (sheet 12)").
std::string commissionPlanCsv(const std::vector<std::string>& columns, const CommissionPlan& plan);
