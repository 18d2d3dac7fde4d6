#include "core/commission/PartialPlan.h"

#include <unordered_set>

CommissionPlan planFoundRows(
    const CommissionSheet& sheet, const std::vector<TerminalParam>& found, std::vector<SheetRow>* notFound)
{
    notFound->clear();
    CommissionPlan plan = planCommission(sheet, found);
    std::unordered_set<int> missingLines;
    for (const CommissionProblem& problem : plan.problems) {
        if (problem.kind != ProblemKind::MacNotFound)
            return plan;
        missingLines.insert(problem.line);
    }
    if (missingLines.empty())
        return plan;
    CommissionSheet rest = sheet;
    rest.rows.clear();
    for (const SheetRow& row : sheet.rows)
        (missingLines.count(row.line) != 0 ? *notFound : rest.rows).push_back(row);
    return planCommission(rest, found);
}
