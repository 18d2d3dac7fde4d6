#include "ui/main/WindowLayoutMemory.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTableWidget>
#include <QWidget>

#include <algorithm>

namespace {

// The group of every key; saving replaces it whole, which also drops keys
// an earlier version wrote there.
const char kGroup[] = "MainWindow";
const char kGeometry[] = "MainWindow/geometry";
const char kHeader[] = "MainWindow/header";

QSettings userSettings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("QueryTool"), QStringLiteral("QueryTool"));
}

// Qt 5 brings a lost window back onto a screen but keeps a size larger than
// the screen, which would put the buttons at the window's edge out of reach.
void fitScreen(QWidget* window)
{
    if (window->isMaximized() || window->isFullScreen())
        return;
    const QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    QSize frame = window->frameGeometry().size() - window->size();
    // Before the window is shown its frame is unknown: allow for a title bar.
    if (frame.isNull())
        frame.setHeight(window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const QSize room = available.size() - frame;
    if (window->width() <= room.width() && window->height() <= room.height())
        return;
    window->resize(window->size().boundedTo(room));
    const QRect placed = window->frameGeometry();
    window->move(std::max(available.left(), std::min(placed.left(), available.right() + 1 - placed.width())),
        std::max(available.top(), std::min(placed.top(), available.bottom() + 1 - placed.height())));
}

}  // namespace

void WindowLayoutMemory::restore(QWidget* window, QTableWidget* table)
{
    const QSettings settings = userSettings();
    if (window->restoreGeometry(settings.value(kGeometry).toByteArray()))
        fitScreen(window);
    table->horizontalHeader()->restoreState(settings.value(kHeader).toByteArray());
}

void WindowLayoutMemory::save(const QWidget* window, const QTableWidget* table)
{
    QSettings settings = userSettings();
    settings.remove(kGroup);
    settings.setValue(kGeometry, window->saveGeometry());
    settings.setValue(kHeader, table->horizontalHeader()->saveState());
}
