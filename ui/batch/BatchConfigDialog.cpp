#include "ui/batch/BatchConfigDialog.h"

#include "core/commission/CommissionResult.h"
#include "core/commission/CommissionTexts.h"
#include "core/commission/PartialPlan.h"
#include "core/commission/RoutedEntries.h"
#include "core/commission/SheetExport.h"
#include "core/commission/SheetFile.h"
#include "core/commission/WholeFile.h"
#include "core/records/Csv.h"
#include "core/records/TerminalIdentity.h"
#include "ui_BatchConfigDialog.h"

#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>

namespace {

constexpr int kTickMs = 5;

enum Column { kLine, kMac, kChanges, kResult };

}  // namespace

BatchConfigDialog::BatchConfigDialog(NxNetControl* engine, const std::vector<SearchRange>& ranges, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::BatchConfigDialog)
    , engine(engine)
    , ranges(ranges)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(ui->chooseBtn, &QPushButton::clicked, this, &BatchConfigDialog::chooseSheet);
    connect(ui->exportSheetBtn, &QPushButton::clicked, this, &BatchConfigDialog::exportSheet);
    connect(ui->applyBtn, &QPushButton::clicked, this, &BatchConfigDialog::startApply);
    connect(ui->stopBtn, &QPushButton::clicked, this, &BatchConfigDialog::stopApply);
    connect(ui->saveBtn, &QPushButton::clicked, this, &BatchConfigDialog::saveResult);
    connect(ui->closeBtn, &QPushButton::clicked, this, &BatchConfigDialog::reject);
    connect(ui->partialCheck, &QCheckBox::toggled, this, [this] {
        if (!found.empty() && run == nullptr)
            makePlan();
    });
    connect(&ticker, &QTimer::timeout, this, &BatchConfigDialog::tick);
    ticker.setInterval(kTickMs);
}

BatchConfigDialog::~BatchConfigDialog()
{
    delete ui;
}

bool BatchConfigDialog::applied() const
{
    return anyApply;
}

void BatchConfigDialog::chooseSheet()
{
    const QString path
        = QFileDialog::getOpenFileName(this, tr("选择表格"), QString(), tr("CSV表格 (*.csv);;所有文件 (*)"));
    if (!path.isEmpty())
        loadSheet(path);
}

void BatchConfigDialog::loadSheet(const QString& path)
{
    if (search != nullptr || sheetSearch != nullptr || (run != nullptr && run->phase() != CommissionRun::Phase::Done))
        return;
    run.reset();
    ui->partialCheck->setEnabled(true);
    ui->sheetPathEdit->setText(path);
    ui->applyBtn->setEnabled(false);
    ui->saveBtn->setEnabled(false);
    ui->progressBar->setValue(0);
    ui->planTable->setRowCount(0);
    sheet = CommissionSheet();
    plan = CommissionPlan();
    found.clear();
    notFound.clear();
    routed.clear();

    QString error;
    if (!readSheetFile(path, &sheet, &error)) {
        ui->summaryLabel->setText(tr("无法读取%1：%2").arg(path, error));
        return;
    }
    if (!sheet.readable) {
        showProblems(sheet.problems);
        return;
    }
    if (engine == nullptr)
        return;
    ui->chooseBtn->setEnabled(false);
    ui->exportSheetBtn->setEnabled(false);
    ui->summaryLabel->setText(tr("正在搜索终端…"));
    sheetSearch = std::make_unique<SheetSearch>(engine, sheet, SheetSearch::kRepeats, ranges);
    ticker.start();
}

void BatchConfigDialog::exportSheet()
{
    if (engine == nullptr || search != nullptr || sheetSearch != nullptr
        || (run != nullptr && run->phase() != CommissionRun::Phase::Done))
        return;
    ui->chooseBtn->setEnabled(false);
    ui->exportSheetBtn->setEnabled(false);
    ui->applyBtn->setEnabled(false);
    ui->summaryLabel->setText(tr("正在搜索终端…"));
    search = std::make_unique<TerminalSearch>(engine);
    search->searchRanges(ranges);
    ticker.start();
}

void BatchConfigDialog::saveSheet(const std::vector<TerminalParam>& terminals)
{
    ui->summaryLabel->setText(tr("找到%1个终端。").arg(terminals.size()));
    const QString path = QFileDialog::getSaveFileName(
        this, tr("导出为配置表"), QStringLiteral("terminals-sheet.csv"), tr("CSV表格 (*.csv)"));
    QString error;
    if (!path.isEmpty() && !writeWholeFile(path, QByteArray::fromStdString(commissionSheetCsv(terminals)), &error))
        QMessageBox::warning(this, tr("导出为配置表"), tr("无法写入%1：%2").arg(path, error));
}

void BatchConfigDialog::startApply()
{
    ui->applyBtn->setEnabled(false);
    ui->chooseBtn->setEnabled(false);
    ui->exportSheetBtn->setEnabled(false);
    ui->stopBtn->setEnabled(true);
    ui->saveBtn->setEnabled(false);
    ui->partialCheck->setEnabled(false);
    anyApply = true;
    run = std::make_unique<CommissionRun>(engine, plan);
    run->searchRanges(ranges);
    ui->progressBar->setMaximum(std::max(1, run->toSend()));
    showProgress();
    ticker.start();
}

void BatchConfigDialog::stopApply()
{
    if (run != nullptr)
        run->cancel();
    ui->stopBtn->setEnabled(false);
}

void BatchConfigDialog::saveResult()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("保存结果"), QString(), tr("CSV表格 (*.csv)"));
    if (path.isEmpty())
        return;
    std::string csv;
    if (run != nullptr) {
        csv = commissionResultCsv(sheet.columns, plan, run->outcomes(), notFound);
    } else if (!plan.problems.empty() || !sheet.readable) {
        // A refused sheet: its problems, to hand back to whoever mends it.
        csv = kUtf8Bom + CsvLine({tr("行").toStdString(), tr("列").toStdString(), tr("问题").toStdString()});
        for (const CommissionProblem& problem : sheet.readable ? plan.problems : sheet.problems)
            csv += CsvLine({problem.line > 0 ? std::to_string(problem.line) : std::string(),
                spreadsheetText(problem.column), spreadsheetText(CommissionTexts::problem(problem).toStdString())});
    } else {
        csv = commissionPlanCsv(sheet.columns, plan);
    }
    const QByteArray text = QByteArray::fromStdString(csv);
    QString error;
    if (!writeWholeFile(path, text, &error))
        QMessageBox::warning(this, tr("保存结果"), tr("无法写入%1：%2").arg(path, error));
}

void BatchConfigDialog::tick()
{
    if (sheetSearch != nullptr) {
        if (!sheetSearch->step())
            sheetSearchDone();
        else if (sheetSearch->repeats() > 0)
            ui->summaryLabel->setText(tr("%1个终端未应答，再次搜索（第%2次，最多%3次）…")
                                          .arg(sheetSearch->missing())
                                          .arg(sheetSearch->repeats())
                                          .arg(SheetSearch::kRepeats));
        else
            showSearching(sheetSearch->current());
        return;
    }
    if (search != nullptr) {
        if (!search->step())
            searchDone();
        else
            showSearching(search.get());
        return;
    }
    if (run == nullptr)
        return;
    run->step();
    showProgress();
    if (run->phase() != CommissionRun::Phase::Done)
        return;
    ticker.stop();
    ui->stopBtn->setEnabled(false);
    ui->chooseBtn->setEnabled(true);
    ui->exportSheetBtn->setEnabled(true);
    ui->saveBtn->setEnabled(true);
    showOutcomes();
}

void BatchConfigDialog::showSearching(const TerminalSearch* search)
{
    // A range's sweep is paced for the routers on the way: a /16 takes minutes.
    if (search != nullptr && search->sweepPassed() < search->sweepTotal())
        ui->summaryLabel->setText(
            tr("正在搜索终端…（范围扫描 %1/%2）").arg(search->sweepPassed()).arg(search->sweepTotal()));
}

void BatchConfigDialog::sheetSearchDone()
{
    found = sheetSearch->terminals();
    for (const TerminalParam& terminal : found) {
        if (sheetSearch->onlyThroughRange(terminal))
            routed.insert(terminalIdentityKey(terminal));
    }
    sheetSearch.reset();
    ticker.stop();
    ui->chooseBtn->setEnabled(true);
    ui->exportSheetBtn->setEnabled(true);
    makePlan();
}

void BatchConfigDialog::makePlan()
{
    notFound.clear();
    plan = ui->partialCheck->isChecked() ? planFoundRows(sheet, found, &notFound) : planCommission(sheet, found);
    byAddress = addressRoutedEntries(&plan, routed);
    showPlan();
}

void BatchConfigDialog::searchDone()
{
    const std::vector<TerminalParam> terminals = search->terminals();
    search.reset();
    ticker.stop();
    ui->chooseBtn->setEnabled(true);
    ui->exportSheetBtn->setEnabled(true);
    // A plan loaded before can still be applied.
    ui->applyBtn->setEnabled(run == nullptr && plan.problems.empty()
        && std::any_of(plan.entries.begin(), plan.entries.end(), [](const PlanEntry& e) { return !e.alreadySet; }));
    saveSheet(terminals);
}

void BatchConfigDialog::showProblems(const std::vector<CommissionProblem>& problems)
{
    ui->summaryLabel->setText(tr("表格有%1处问题，不会发送任何设置。").arg(problems.size()));
    ui->saveBtn->setEnabled(true);
    ui->planTable->setRowCount(static_cast<int>(problems.size()));
    for (size_t i = 0; i < problems.size(); ++i)
        setRow(static_cast<int>(i), problems[i].line, QString(), QString(), CommissionTexts::problem(problems[i]));
    fitColumns();
}

void BatchConfigDialog::showPlan()
{
    if (!plan.problems.empty()) {
        showProblems(plan.problems);
        return;
    }
    int toSend = 0;
    ui->planTable->setRowCount(static_cast<int>(plan.entries.size() + notFound.size()));
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        const PlanEntry& entry = plan.entries[i];
        toSend += entry.alreadySet ? 0 : 1;
        setRow(static_cast<int>(i), entry.row.line, QString::fromStdString(entry.row.mac),
            CommissionTexts::changes(entry),
            entry.alreadySet ? CommissionTexts::outcome({Outcome::AlreadySet, {}}) : QString());
    }
    for (size_t i = 0; i < notFound.size(); ++i)
        setRow(static_cast<int>(plan.entries.size() + i), notFound[i].line, QString::fromStdString(notFound[i].mac),
            QString(), tr("未找到"));
    const QString note = CommissionTexts::ignoredColumns(sheet);
    ui->summaryLabel->setText(
        tr("%1个终端，%2个需要设置。").arg(plan.entries.size()).arg(toSend) + (note.isEmpty() ? "" : "\n" + note));
    if (!notFound.empty())
        ui->summaryLabel->setText(
            ui->summaryLabel->text() + "\n" + tr("%1个终端未找到，不会设置。").arg(notFound.size()));
    if (byAddress > 0)
        ui->summaryLabel->setText(ui->summaryLabel->text() + "\n"
            + tr("%1个终端只经搜索范围找到（在路由器之后），将按其自身地址设置。").arg(byAddress));
    ui->applyBtn->setEnabled(toSend > 0);
    ui->saveBtn->setEnabled(true);
    fitColumns();
}

void BatchConfigDialog::fitColumns()
{
    // Every MAC and every change readable whole; the result takes the rest.
    for (int column = kLine; column < kResult; ++column)
        ui->planTable->resizeColumnToContents(column);
}

void BatchConfigDialog::showProgress()
{
    ui->progressBar->setValue(run->decided());
    if (run->phase() == CommissionRun::Phase::Applying)
        ui->summaryLabel->setText(
            tr("正在设置：已发送%1，已完成%2/%3").arg(run->datagrams()).arg(run->decided()).arg(run->toSend()));
    else if (run->phase() == CommissionRun::Phase::Verifying)
        ui->summaryLabel->setText(tr("正在搜索以验证…"));
}

void BatchConfigDialog::showOutcomes()
{
    for (size_t i = 0; i < plan.entries.size(); ++i)
        ui->planTable->item(static_cast<int>(i), kResult)->setText(CommissionTexts::outcome(run->outcomes()[i]));
    ui->summaryLabel->setText(tr("完成：%1").arg(CommissionTexts::summary(run->outcomes()))
        + (notFound.empty() ? QString() : tr("；%1个终端未找到").arg(notFound.size())));
}

void BatchConfigDialog::setRow(int row, int line, const QString& mac, const QString& changes, const QString& result)
{
    const QString cells[] = {line > 0 ? QString::number(line) : QString(), mac, changes, result};
    for (int column = kLine; column <= kResult; ++column) {
        auto* cell = new QTableWidgetItem(cells[column]);
        cell->setToolTip(cells[column]);
        ui->planTable->setItem(row, column, cell);
    }
}

void BatchConfigDialog::reject()
{
    // Closing stops sending; what is in flight is abandoned with the run.
    ticker.stop();
    search.reset();
    sheetSearch.reset();
    if (run != nullptr)
        run->cancel();
    QDialog::reject();
}
