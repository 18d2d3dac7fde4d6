// TerminalTableActions: the terminal table's keyboard and context menu. The
// current row moved by keys selects its terminal as a click does, Enter opens
// its settings, F5 searches, Ctrl+C copies the selected rows; the context
// menu offers the row buttons and copying. User-interface thread only.
#pragma once

#include <QObject>

#include <functional>

class QAbstractButton;
class QTableWidget;

// What the actions reach in the window: the two table reactions and the
// buttons whose work the menu offers.
struct TerminalTableHooks {
    std::function<void()> selectCurrent;  // as a click on the current row
    std::function<void()> openSettings;   // as a double click
    QAbstractButton* settings;
    QAbstractButton* reboot;
    QAbstractButton* upgrade;  // offered only while shown
    QAbstractButton* search;
};

class TerminalTableActions : public QObject {
    Q_OBJECT

public:
    TerminalTableActions(QTableWidget* table, const TerminalTableHooks& hooks);

    // The header line and the given rows, cells separated by tabs, lines
    // ended by a line feed: what a spreadsheet takes as pasted rows.
    static QString rowsText(const QTableWidget* table, QList<int> rows);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMenu(const QPoint& position);
    void copySelectedRows() const;

    QTableWidget* table;
    TerminalTableHooks hooks;
};
