#include "core/commission/CommissionResult.h"

#include "core/records/Csv.h"

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

std::string outcomeDetail(const TerminalOutcome& outcome)
{
    if (outcome.outcome != Outcome::NotVerified)
        return std::string();
    if (outcome.unmet.empty())
        return "not found";
    std::string detail;
    for (const PlannedChange& change : outcome.unmet) {
        if (!detail.empty())
            detail += "; ";
        detail += change.column + "=" + change.current + " (sheet " + change.wanted + ")";
    }
    return detail;
}

std::string commissionResultCsv(
    const std::vector<std::string>& columns, const CommissionPlan& plan, const std::vector<TerminalOutcome>& outcomes)
{
    std::vector<std::string> header = columns;
    header.push_back("Outcome");
    header.push_back("Detail");
    std::string text = kUtf8Bom + CsvLine(header);
    for (size_t i = 0; i < plan.entries.size() && i < outcomes.size(); ++i) {
        std::vector<std::string> fields = plan.entries[i].row.fields;
        fields.push_back(outcomeKeyword(outcomes[i].outcome));
        fields.push_back(outcomeDetail(outcomes[i]));
        text += CsvLine(fields);
    }
    return text;
}
