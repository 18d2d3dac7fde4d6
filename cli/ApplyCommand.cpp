#include "cli/CliCommands.h"

#include "core/commission/CommissionResult.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/CommissionTexts.h"
#include "platform/Clock.h"

#include <QFile>

namespace {

constexpr uint32_t kStepMs = 2;

bool printProblems(const std::vector<CommissionProblem>& problems)
{
    for (const CommissionProblem& problem : problems)
        printError(CommissionTexts::problem(problem));
    return !problems.empty();
}

}  // namespace

int CliCommands::apply(NxNetControl* engine, const QString& sheetFile, bool dryRun, const QString& resultFile)
{
    QFile file(sheetFile);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(tr("无法读取%1").arg(sheetFile));
        return kExitFile;
    }
    CommissionSheet sheet;
    std::vector<CommissionProblem> problems;
    readCommissionSheet(file.readAll().toStdString(), &sheet, &problems);
    if (printProblems(problems))
        return kExitSheet;

    std::vector<TerminalParam> found;
    {
        TerminalSearch search(engine);
        while (search.step())
            SleepMs(kStepMs);
        if (!search.allSent()) {
            printError(tr("搜索请求无法发送"));
            return kExitNetwork;
        }
        found = search.terminals();
    }
    const CommissionPlan plan = planCommission(sheet, found);
    if (printProblems(plan.problems))
        return kExitSheet;

    if (dryRun) {
        for (const PlanEntry& entry : plan.entries) {
            const QString what = entry.alreadySet ? tr("已是表格中的设置") : CommissionTexts::changes(entry);
            printOut(tr("第%1行 %2：%3").arg(entry.row.line).arg(QString::fromStdString(entry.row.mac), what) + '\n');
        }
        return kExitOk;
    }

    CommissionRun run(engine, plan);
    while (run.phase() != CommissionRun::Phase::Done) {
        run.step();
        SleepMs(kStepMs);
    }
    bool complete = true;
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        const TerminalOutcome& outcome = run.outcomes()[i];
        complete = complete && (outcome.outcome == Outcome::Verified || outcome.outcome == Outcome::AlreadySet);
        printOut(QString("%1 %2 %3 %4\n")
                     .arg(plan.entries[i].row.line)
                     .arg(QString::fromStdString(plan.entries[i].row.mac), outcomeKeyword(outcome.outcome),
                         QString::fromStdString(outcomeDetail(outcome)))
                     .trimmed()
            + '\n');
    }
    if (!resultFile.isEmpty()) {
        QFile result(resultFile);
        const QByteArray text = QByteArray::fromStdString(commissionResultCsv(sheet.columns, plan, run.outcomes()));
        if (!result.open(QIODevice::WriteOnly | QIODevice::Truncate) || result.write(text) != text.size()) {
            printError(tr("无法写入%1").arg(resultFile));
            return kExitFile;
        }
    }
    return complete ? kExitOk : kExitIncomplete;
}
