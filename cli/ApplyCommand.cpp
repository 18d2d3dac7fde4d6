#include "cli/CliCommands.h"

#include "core/commission/CommissionResult.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/CommissionTexts.h"
#include "core/commission/PartialPlan.h"
#include "core/commission/RoutedEntries.h"
#include "core/commission/SheetFile.h"
#include "core/commission/SheetSearch.h"
#include "core/commission/WholeFile.h"
#include "core/records/TerminalIdentity.h"
#include "platform/Clock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <unordered_set>

namespace {

constexpr uint32_t kStepMs = 2;
// Problems printed at most as lines; the rest are counted. A sheet of
// thousands of bad rows is mended from the first ones.
constexpr size_t kProblemLines = 50;

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

void printJson(const char* key, const QJsonArray& list)
{
    printOut(QString::fromUtf8(QJsonDocument(QJsonObject{{key, list}}).toJson()));
}

// Every problem for a script, or the first ones for a person.
void printProblems(const std::vector<CommissionProblem>& problems, bool json)
{
    if (json) {
        QJsonArray list;
        for (const CommissionProblem& p : problems)
            list.append(
                QJsonObject{{"line", p.line}, {"column", text(p.column)}, {"message", CommissionTexts::problem(p)}});
        printJson("problems", list);
        return;
    }
    for (size_t i = 0; i < problems.size() && i < kProblemLines; ++i)
        printError(CommissionTexts::problem(problems[i]));
    if (problems.size() > kProblemLines)
        printError(CliCommands::tr("……另有%1处问题未列出（共%2处）")
                       .arg(problems.size() - kProblemLines)
                       .arg(problems.size()));
}

bool writeResult(const QString& path, const std::string& csv)
{
    QString error;
    if (path.isEmpty() || writeWholeFile(path, QByteArray::fromStdString(csv), &error))
        return true;
    printError(CliCommands::tr("无法写入%1：%2").arg(path, error));
    return false;
}

// Searches again, while some of the sheet's terminals are missing, saying so.
// The fleet, and in `routed` the keys of the terminals behind a router.
std::vector<TerminalParam> searchFleet(NxNetControl* engine, const CommissionSheet& sheet,
    const std::vector<SearchRange>& ranges, bool* sent, std::unordered_set<std::string>* routed)
{
    SheetSearch search(engine, sheet, SheetSearch::kRepeats, ranges);
    int repeats = 0;
    while (search.step()) {
        if (search.repeats() != repeats) {
            repeats = search.repeats();
            printError(CliCommands::tr("%1个终端未应答，再次搜索（第%2次，最多%3次）")
                           .arg(search.missing())
                           .arg(repeats)
                           .arg(SheetSearch::kRepeats));
        }
        SleepMs(kStepMs);
    }
    *sent = search.allSent();
    const std::vector<TerminalParam> found = search.terminals();
    for (const TerminalParam& terminal : found)
        if (search.onlyThroughRange(terminal))
            routed->insert(terminalIdentityKey(terminal));
    return found;
}

QJsonObject outcomeJson(const SheetRow& row, const char* outcome, const std::string& detail)
{
    return QJsonObject{{"line", row.line}, {"mac", text(row.mac)}, {"outcome", outcome}, {"detail", text(detail)}};
}

QString outcomeLine(const SheetRow& row, const char* outcome, const std::string& detail)
{
    return QString("%1 %2 %3 %4").arg(row.line).arg(text(row.mac), outcome, text(detail)).trimmed() + '\n';
}

int dryRun(const ApplyOptions& options, const CommissionSheet& sheet, const CommissionPlan& plan,
    const std::vector<SheetRow>& notFound)
{
    QJsonArray list;
    for (const PlanEntry& entry : plan.entries) {
        const QString what
            = entry.alreadySet ? CommissionTexts::outcomeName(Outcome::AlreadySet) : CommissionTexts::changes(entry);
        if (options.json)
            list.append(QJsonObject{{"line", entry.row.line}, {"mac", text(entry.row.mac)},
                {"outcome", entry.alreadySet ? "already-set" : "planned"}, {"changes", what}});
        else
            printOut(CliCommands::tr("第%1行 %2：%3").arg(entry.row.line).arg(text(entry.row.mac), what) + '\n');
    }
    for (const SheetRow& row : notFound) {
        if (options.json)
            list.append(QJsonObject{{"line", row.line}, {"mac", text(row.mac)}, {"outcome", "not-found"}});
        else
            printOut(
                CliCommands::tr("第%1行 %2：%3").arg(row.line).arg(text(row.mac), CliCommands::tr("未找到")) + '\n');
    }
    if (options.json)
        printJson("plan", list);
    if (!writeResult(options.resultFile, commissionPlanCsv(sheet.columns, plan)))
        return kExitFile;
    return notFound.empty() ? kExitOk : kExitIncomplete;
}

}  // namespace

int CliCommands::apply(NxNetControl* engine, const ApplyOptions& options)
{
    QString error;
    // Found out before any SET goes out, not after.
    if (!options.resultFile.isEmpty() && !canWriteFile(options.resultFile, &error)) {
        printError(tr("无法写入%1：%2").arg(options.resultFile, error));
        return kExitFile;
    }
    CommissionSheet sheet;
    if (!readSheetFile(options.sheetFile, &sheet, &error)) {
        printError(tr("无法读取%1：%2").arg(options.sheetFile, error));
        return kExitFile;
    }
    if (!CommissionTexts::ignoredColumns(sheet).isEmpty())
        printError(CommissionTexts::ignoredColumns(sheet));
    if (!sheet.readable) {
        printProblems(sheet.problems, options.json);
        return kExitSheet;
    }
    bool sent = false;
    std::unordered_set<std::string> routed;
    const std::vector<TerminalParam> found = searchFleet(engine, sheet, options.ranges, &sent, &routed);
    if (!sent) {
        printError(tr("搜索请求无法发送"));
        return kExitNetwork;
    }
    std::vector<SheetRow> notFound;
    CommissionPlan plan = options.partial ? planFoundRows(sheet, found, &notFound) : planCommission(sheet, found);
    // No broadcast crosses a router: those behind one are set at their own
    // address, as a read by address reaches them.
    const int byAddress = addressRoutedEntries(&plan, routed);
    if (byAddress > 0)
        printError(tr("%1 台终端只经搜索范围找到（在路由器之后），按其自身地址设置").arg(byAddress));
    if (!plan.problems.empty()) {
        printProblems(plan.problems, options.json);
        return kExitSheet;
    }
    if (options.dryRun)
        return dryRun(options, sheet, plan, notFound);

    CommissionRun run(engine, plan);
    run.searchRanges(options.ranges);
    while (run.phase() != CommissionRun::Phase::Done) {
        run.step();
        SleepMs(kStepMs);
    }
    bool complete = notFound.empty();
    QJsonArray list;
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        const TerminalOutcome& outcome = run.outcomes()[i];
        const SheetRow& row = plan.entries[i].row;
        complete = complete && (outcome.outcome == Outcome::Verified || outcome.outcome == Outcome::AlreadySet);
        if (options.json)
            list.append(outcomeJson(row, outcomeKeyword(outcome.outcome), outcomeDetail(outcome)));
        else
            printOut(outcomeLine(row, outcomeKeyword(outcome.outcome), outcomeDetail(outcome)));
    }
    for (const SheetRow& row : notFound) {
        if (options.json)
            list.append(outcomeJson(row, "not-found", std::string()));
        else
            printOut(outcomeLine(row, "not-found", std::string()));
    }
    if (options.json)
        printJson("terminals", list);
    printError(CommissionTexts::summary(run.outcomes())
        + (notFound.empty() ? QString() : tr("；%1个终端未找到").arg(notFound.size())));
    if (!writeResult(options.resultFile, commissionResultCsv(sheet.columns, plan, run.outcomes(), notFound)))
        return kExitFile;
    return complete ? kExitOk : kExitIncomplete;
}
