#include "ui/main/TerminalFilter.h"

#include <QLineEdit>
#include <QTableWidget>

TerminalFilter::TerminalFilter(QTableWidget* table, QLineEdit* edit)
    : QObject(table)
    , table(table)
{
    connect(edit, &QLineEdit::textChanged, this, &TerminalFilter::setText);
    // Without a filter nothing is checked: a large search pays nothing.
    connect(table->model(), &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
            if (!text.isEmpty())
                checkRows(topLeft.row(), bottomRight.row());
        });
}

void TerminalFilter::setText(const QString& newText)
{
    text = newText.trimmed();
    checkRows(0, table->rowCount() - 1);
}

void TerminalFilter::checkRows(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        const bool hide = !matches(row);
        table->setRowHidden(row, hide);
        // A hidden row must not stay the one the buttons act on.
        if (hide && row == table->currentRow())
            table->setCurrentItem(nullptr);
    }
}

bool TerminalFilter::matches(int row) const
{
    if (text.isEmpty())
        return true;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem* cell = table->item(row, column);
        if (cell != nullptr && cell->text().contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
