// WindowLayoutMemory: the main window's size and position and its terminal
// table's column widths and sort order, kept from one run to the next in the
// user's own settings (QSettings), never in config.ini. User-interface thread.
#pragma once

class QTableWidget;
class QWidget;

class WindowLayoutMemory {
public:
    // A saved position off every screen is ignored: the window keeps the
    // position the system gives it.
    static void restore(QWidget* window, QTableWidget* table);
    static void save(const QWidget* window, const QTableWidget* table);
};
