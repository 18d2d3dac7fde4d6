#include "ui/main/TerminalRows.h"

#include "ui/main/TerminalKeys.h"
#include "ui/rows/TerminalListItem.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableWidget>

TerminalRows::TerminalRows(QTableWidget* table)
    : table(table)
{
}

TerminalRows::~TerminalRows()
{
    clear();
}

TerminalListItem* TerminalRows::find(const TerminalParam& record) const
{
    const auto found = index.constFind(terminalRowKey(record));
    return found == index.constEnd() ? nullptr : found->data();
}

void TerminalRows::put(const TerminalParam& record)
{
    if (record.Type[0] == '\0')
        return;
    const QByteArray key = terminalRowKey(record);
    TerminalListItem* item = index.value(key).data();
    if (item == nullptr) {
        const std::array<QTableWidgetItem*, 6> cells = newTerminalRowCells(record);
        index.insert(key, static_cast<TerminalListItem*>(cells[0]));
        waiting.append(cells);
        return;
    }
    // A new column-0 text moves the row when the table sorts by that column,
    // and where it lands depends on the rows already there: those waiting
    // go in first, so the table moves it exactly as it would have.
    if (sortColumn() == 0 && item->text() != TerminalListItem::modelText(record))
        place();
    item->param = record;
    item->updateModelText();
}

void TerminalRows::place()
{
    if (waiting.isEmpty())
        return;
    table->setSortingEnabled(false);
    const int count = waiting.size();
    table->model()->insertRows(0, count);
    // The newest record on top, as inserting each at row 0 leaves them; the
    // table's sort is stable, so ties keep that order.
    for (int row = 0; row < count; ++row) {
        const std::array<QTableWidgetItem*, 6>& cells = waiting.at(count - 1 - row);
        for (int column = 0; column < 6; ++column)
            table->setItem(row, column, cells[column]);
    }
    waiting.clear();
    resumeTerminalSorting(table);
}

void TerminalRows::clear()
{
    for (const std::array<QTableWidgetItem*, 6>& cells : qAsConst(waiting))
        qDeleteAll(cells);
    waiting.clear();
    index.clear();
}

int TerminalRows::sortColumn() const
{
    // Until the header has a valid sort column, the first placed row sets
    // column 0 (resumeTerminalSorting).
    const int section = table->horizontalHeader()->sortIndicatorSection();
    return section >= 0 && section < table->columnCount() ? section : 0;
}
