#include "core/commission/CommissionResult.h"

#include "core/records/Csv.h"

#include <functional>
#include <utility>

const char* outcomeKeyword(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pending:
        return "pending";
    case Outcome::AlreadySet:
        return "already-set";
    case Outcome::Verified:
        return "verified";
    case Outcome::Refused:
        return "refused";
    case Outcome::NoAnswer:
        return "no-answer";
    case Outcome::NotVerified:
        return "not-verified";
    case Outcome::NotSent:
        return "not-sent";
    }
    return "";
}

namespace {

std::string changesText(const std::vector<PlannedChange>& changes)
{
    std::string detail;
    for (const PlannedChange& change : changes) {
        if (change.current == change.wanted)
            continue;
        if (!detail.empty())
            detail += "; ";
        detail += change.column + "=" + change.current + " (sheet " + change.wanted + ")";
    }
    return detail;
}

std::string resultCsv(const std::vector<std::string>& columns, const CommissionPlan& plan,
    const std::function<std::pair<std::string, std::string>(size_t)>& outcome)
{
    std::vector<std::string> header = columns;
    header.push_back("Outcome");
    header.push_back("Detail");
    std::string text = kUtf8Bom + CsvLine(header);
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        std::vector<std::string> fields = plan.entries[i].row.fields;
        const auto what = outcome(i);
        fields.push_back(what.first);
        fields.push_back(what.second);
        text += CsvLine(fields);
    }
    return text;
}

}  // namespace

std::string outcomeDetail(const TerminalOutcome& outcome)
{
    if (outcome.outcome != Outcome::NotVerified)
        return std::string();
    if (outcome.unmet.empty())
        return "not found";
    return changesText(outcome.unmet);
}

std::string commissionResultCsv(const std::vector<std::string>& columns, const CommissionPlan& plan,
    const std::vector<TerminalOutcome>& outcomes, const std::vector<SheetRow>& notFound)
{
    std::string text = resultCsv(columns, plan, [&](size_t i) {
        const TerminalOutcome& o = i < outcomes.size() ? outcomes[i] : TerminalOutcome();
        return std::make_pair(std::string(outcomeKeyword(o.outcome)), outcomeDetail(o));
    });
    for (const SheetRow& row : notFound) {
        std::vector<std::string> fields = row.fields;
        fields.push_back("not-found");
        fields.push_back(std::string());
        text += CsvLine(fields);
    }
    return text;
}

std::string commissionPlanCsv(const std::vector<std::string>& columns, const CommissionPlan& plan)
{
    return resultCsv(columns, plan, [&](size_t i) {
        const PlanEntry& entry = plan.entries[i];
        return std::make_pair(std::string(entry.alreadySet ? "already-set" : "planned"), changesText(entry.changes));
    });
}
