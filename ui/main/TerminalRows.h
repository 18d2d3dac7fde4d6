// TerminalRows: the rows of the main window's terminal table, found by
// record through an index instead of a scan, and new rows gathered so that
// a batch of replies costs the table one insertion and one sort. The table
// ends up with the same rows in the same order as with one row inserted at
// the top and sorted per record. User-interface thread only.
#pragma once

#include "net/TerminalParam.h"

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QVector>

#include <array>

class QTableWidget;
class QTableWidgetItem;
class TerminalListItem;

class TerminalRows {
public:
    explicit TerminalRows(QTableWidget* table);
    ~TerminalRows();
    TerminalRows(const TerminalRows&) = delete;
    TerminalRows& operator=(const TerminalRows&) = delete;

    // The column-0 item of the row that stands for `record` (same ID, Type,
    // IP and MAC), or null.
    TerminalListItem* find(const TerminalParam& record) const;
    // A record with a Type updates its row's item, or becomes a new row that
    // waits for place(). A record without a Type is ignored.
    void put(const TerminalParam& record);
    // Inserts the waiting rows at the top, newest first, and lets the table
    // sort itself once.
    void place();
    // Forgets every row; call after the table was emptied.
    void clear();

private:
    // The column the table sorts by once sorting is on.
    int sortColumn() const;

    QTableWidget* table;
    // Items die with their rows (setRowCount(0)); the pointers then clear.
    QHash<QByteArray, QPointer<TerminalListItem>> index;
    QVector<std::array<QTableWidgetItem*, 6>> waiting;
};
