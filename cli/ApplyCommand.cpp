#include "cli/CliCommands.h"

#include "core/commission/CommissionResult.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/CommissionTexts.h"
#include "core/commission/SheetFile.h"
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

// The fleet, and in `routed` the keys of the terminals behind a router.
std::vector<TerminalParam> searchFleet(
    NxNetControl* engine, const std::vector<SearchRange>& ranges, bool* sent, std::unordered_set<std::string>* routed)
{
    TerminalSearch search(engine);
    search.searchRanges(ranges);
    while (search.step())
        SleepMs(kStepMs);
    *sent = search.allSent();
    const std::vector<TerminalParam> found = search.terminals();
    for (const TerminalParam& terminal : found)
        if (search.onlyThroughRange(terminal))
            routed->insert(terminalIdentityKey(terminal));
    return found;
}

int dryRun(const ApplyOptions& options, const CommissionSheet& sheet, const CommissionPlan& plan)
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
    if (options.json)
        printJson("plan", list);
    return writeResult(options.resultFile, commissionPlanCsv(sheet.columns, plan)) ? kExitOk : kExitFile;
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
    const std::vector<TerminalParam> found = searchFleet(engine, options.ranges, &sent, &routed);
    if (!sent) {
        printError(tr("搜索请求无法发送"));
        return kExitNetwork;
    }
    CommissionPlan plan = planCommission(sheet, found);
    // No broadcast crosses a router: those behind one are set at their own
    // address, as a read by address reaches them.
    int byAddress = 0;
    for (PlanEntry& entry : plan.entries) {
        if (routed.count(terminalIdentityKey(entry.current)) != 0) {
            entry.set.IsBroadcast = 0;
            entry.set.Address = entry.current.Address;
            ++byAddress;
        }
    }
    if (byAddress > 0)
        printError(tr("%1 台终端只经搜索范围找到（在路由器之后），按其自身地址设置").arg(byAddress));
    if (!plan.problems.empty()) {
        printProblems(plan.problems, options.json);
        return kExitSheet;
    }
    if (options.dryRun)
        return dryRun(options, sheet, plan);

    CommissionRun run(engine, plan);
    run.searchRanges(options.ranges);
    while (run.phase() != CommissionRun::Phase::Done) {
        run.step();
        SleepMs(kStepMs);
    }
    bool complete = true;
    QJsonArray list;
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        const TerminalOutcome& outcome = run.outcomes()[i];
        const SheetRow& row = plan.entries[i].row;
        complete = complete && (outcome.outcome == Outcome::Verified || outcome.outcome == Outcome::AlreadySet);
        if (options.json)
            list.append(QJsonObject{{"line", row.line}, {"mac", text(row.mac)},
                {"outcome", outcomeKeyword(outcome.outcome)}, {"detail", text(outcomeDetail(outcome))}});
        else
            printOut(QString("%1 %2 %3 %4")
                         .arg(row.line)
                         .arg(text(row.mac), outcomeKeyword(outcome.outcome), text(outcomeDetail(outcome)))
                         .trimmed()
                + '\n');
    }
    if (options.json)
        printJson("terminals", list);
    printError(CommissionTexts::summary(run.outcomes()));
    if (!writeResult(options.resultFile, commissionResultCsv(sheet.columns, plan, run.outcomes())))
        return kExitFile;
    return complete ? kExitOk : kExitIncomplete;
}
