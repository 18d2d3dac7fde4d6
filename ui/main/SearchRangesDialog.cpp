#include "ui/main/SearchRangesDialog.h"

#include "core/search/SearchRangeText.h"
#include "ui/main/SearchRangeMemory.h"
#include "ui_SearchRangesDialog.h"

#include <QListWidgetItem>
#include <QPushButton>

namespace {

QListWidgetItem* rangeItem(const SavedRange& range)
{
    auto* item = new QListWidgetItem(range.text);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(range.on ? Qt::Checked : Qt::Unchecked);
    return item;
}

}  // namespace

SearchRangesDialog::SearchRangesDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::SearchRangesDialog)
{
    ui->setupUi(this);
    for (const SavedRange& range : SearchRangeMemory::load())
        ui->rangeList->addItem(rangeItem(range));
    connect(ui->addButton, &QPushButton::clicked, this, &SearchRangesDialog::addRange);
    connect(ui->rangeEdit, &QLineEdit::returnPressed, this, &SearchRangesDialog::addRange);
    connect(ui->removeButton, &QPushButton::clicked, this, &SearchRangesDialog::removeRange);
}

SearchRangesDialog::~SearchRangesDialog()
{
    delete ui;
}

void SearchRangesDialog::accept()
{
    QList<SavedRange> ranges;
    for (int i = 0; i < ui->rangeList->count(); ++i) {
        const QListWidgetItem* item = ui->rangeList->item(i);
        ranges.append({item->text(), item->checkState() == Qt::Checked});
    }
    SearchRangeMemory::save(ranges);
    QDialog::accept();
}

void SearchRangesDialog::addRange()
{
    SearchRange range;
    const SearchRangeFault fault = parseSearchRange(ui->rangeEdit->text().toStdString(), &range);
    if (fault != SearchRangeFault::None) {
        ui->problemLabel->setText(searchRangeFaultText(fault, ui->rangeEdit->text()));
        return;
    }
    ui->problemLabel->clear();
    ui->rangeEdit->clear();
    ui->rangeList->addItem(rangeItem({QString::fromStdString(range.text()), true}));
}

void SearchRangesDialog::removeRange()
{
    delete ui->rangeList->currentItem();
}
