// WindowLayoutMemory: the main window's geometry (maximized or not) and its
// terminal table's header (column widths, sort column and order), kept from
// one run to the next in the user's own settings (QSettings), never in
// config.ini. User-interface thread.
#pragma once

class QTableWidget;
class QWidget;

class WindowLayoutMemory {
public:
    // Call before the window is shown. A window saved off every screen comes
    // back on one; one saved larger than its screen is fitted to it.
    static void restore(QWidget* window, QTableWidget* table);
    static void save(const QWidget* window, const QTableWidget* table);
};
