#include "ui/rows/TerminalListItem.h"

#include <QHeaderView>
#include <QString>
#include <QTableWidget>

#include <cstring>

QList<QTableWidgetItem*> gHeaderItems;

namespace {

// Frees the header copies when the process ends; defined after the list,
// so it goes first.
struct HeaderItemsOwner {
    ~HeaderItemsOwner()
    {
        qDeleteAll(gHeaderItems);
        gHeaderItems.clear();
    }
} headerItemsOwner;

// Record texts are fixed arrays; stop at the array's end even if a
// terminator is missing.
template <size_t N> QString fieldText(const char (&field)[N])
{
    return QString::fromUtf8(field, static_cast<int>(qstrnlen(field, N)));
}

}  // namespace

TerminalListItem::TerminalListItem(TerminalParam record, int type)
    : QObject(nullptr)
    , QTableWidgetItem(type)
    , param(record)
{
    updateModelText();
}

TerminalListItem::~TerminalListItem() = default;

void TerminalListItem::updateModelText()
{
    setText(modelText(param));
}

QString TerminalListItem::modelText(const TerminalParam& record)
{
    if (record.Name[0] != '\0' && std::strcmp(record.Name, "--") != 0)
        return fieldText(record.Name);
    return fieldText(record.Type);
}

std::array<QTableWidgetItem*, 6> newTerminalRowCells(const TerminalParam& record)
{
    std::array<QTableWidgetItem*, 6> cells = {
        new TerminalListItem(record, 0),
        new QTableWidgetItem(QString::number(static_cast<uint32_t>(record.ID), 10)),
        new QTableWidgetItem(fieldText(record.Mode)),
        new QTableWidgetItem(fieldText(record.Ver)),
        new QTableWidgetItem(fieldText(record.IP)),
        new QTableWidgetItem(fieldText(record.MAC)),
    };
    cells[5]->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return cells;
}

void resumeTerminalSorting(QTableWidget* table)
{
    // Inserting the columns pushed the header's sort indicator past the
    // last one; until the user picks a column, sort by column 0 descending.
    QHeaderView* header = table->horizontalHeader();
    if (header->sortIndicatorSection() < 0 || header->sortIndicatorSection() >= table->columnCount())
        header->setSortIndicator(0, Qt::DescendingOrder);
    // Re-sorts by the header's current sort column, so rows may move.
    table->setSortingEnabled(true);
}

void fillTerminalRow(QTableWidget* table, int row, const TerminalParam* record)
{
    table->setSortingEnabled(false);
    const std::array<QTableWidgetItem*, 6> cells = newTerminalRowCells(*record);
    for (int column = 0; column < 6; ++column)
        table->setItem(row, column, cells[column]);
    resumeTerminalSorting(table);
}
