// TerminalListItem: the column-0 cell of a terminal-table row, carrying the
// row's whole record; fillTerminalRow fills the six cells of one row. Used by
// the main window and the conflict dialog, on the user-interface thread.
#pragma once

#include "net/TerminalParam.h"

#include <QList>
#include <QObject>
#include <QTableWidgetItem>

class QTableWidget;

class TerminalListItem : public QObject, public QTableWidgetItem {
    Q_OBJECT

public:
    TerminalListItem(TerminalParam record, int type);
    ~TerminalListItem() override;

    // Shows Name, or Type when Name is empty or "--".
    void updateModelText();

    TerminalParam param;
};

// Fills every cell of the existing row `row` of `table` from `record`.
void fillTerminalRow(QTableWidget* table, int row, const TerminalParam* record);

// Copies of the terminal table's six header items, made by the main window's
// constructor; the conflict dialog takes its column headers from them.
extern QList<QTableWidgetItem*> gHeaderItems;
