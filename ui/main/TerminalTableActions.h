// TerminalTableActions: the terminal table's keyboard and context menu. The
// current row moved by keys selects its terminal as a click does, and losing
// it deselects; Enter and F5 press their buttons, Ctrl+C copies the selected
// rows; the context menu offers the row buttons and copying.
// User-interface thread only.
#pragma once

#include <QObject>

#include <functional>

class QAbstractButton;
class QTableWidget;

// What the actions reach in the window: the reactions to the current row
// and the buttons whose work the keys and the menu offer.
struct TerminalTableHooks {
    std::function<void()> selectCurrent;  // as a click on the current row
    std::function<void()> deselect;       // no current row any more
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
