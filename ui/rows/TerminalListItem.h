// TerminalListItem: the column-0 cell of a terminal-table row, carrying the
// row's whole record; fillTerminalRow fills the six cells of one row. Used by
// the main window and the conflict dialog, on the user-interface thread.
#pragma once

#include "net/TerminalParam.h"

#include <QList>
#include <QObject>
#include <QTableWidgetItem>

#include <array>

class QTableWidget;

class TerminalListItem : public QObject, public QTableWidgetItem {
    Q_OBJECT

public:
    TerminalListItem(TerminalParam record, int type);
    ~TerminalListItem() override;

    // Shows Name, or Type when Name is empty or "--".
    void updateModelText();
    // The text updateModelText() shows for `record`.
    static QString modelText(const TerminalParam& record);

    TerminalParam param;
};

// Fills every cell of the existing row `row` of `table` from `record`.
void fillTerminalRow(QTableWidget* table, int row, const TerminalParam* record);

// The six new cells of a row for `record`, column 0 first, as fillTerminalRow
// places them; the caller hands them to a table.
std::array<QTableWidgetItem*, 6> newTerminalRowCells(const TerminalParam& record);

// Switches sorting on again after rows were placed with sorting off; the
// table then sorts itself by the header's sort column and order.
void resumeTerminalSorting(QTableWidget* table);

// Copies of the terminal table's six header items, made by the main window's
// constructor; the conflict dialog takes its column headers from them.
extern QList<QTableWidgetItem*> gHeaderItems;
