#include "ui/main/WindowLayoutMemory.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>

namespace {

const char kSize[] = "MainWindow/size";
const char kPosition[] = "MainWindow/position";
const char kColumnWidths[] = "MainWindow/columnWidths";
const char kSortColumn[] = "MainWindow/sortColumn";
const char kSortOrder[] = "MainWindow/sortOrder";

QSettings userSettings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("QueryTool"), QStringLiteral("QueryTool"));
}

bool onSomeScreen(const QRect& frame)
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(frame))
            return true;
    }
    return false;
}

}  // namespace

void WindowLayoutMemory::restore(QWidget* window, QTableWidget* table)
{
    const QSettings settings = userSettings();
    const QSize size = settings.value(kSize).toSize();
    if (size.isValid())
        window->resize(size);
    const QVariant position = settings.value(kPosition);
    if (position.isValid() && onSomeScreen(QRect(position.toPoint(), window->size())))
        window->move(position.toPoint());

    // The last column stretches to the table's edge; it keeps no width.
    QHeaderView* header = table->horizontalHeader();
    const QVariantList widths = settings.value(kColumnWidths).toList();
    for (int column = 0; column < widths.size() && column < table->columnCount() - 1; ++column) {
        const int width = widths.at(column).toInt();
        if (width > 0)
            header->resizeSection(column, width);
    }
    const int sortColumn = settings.value(kSortColumn, -1).toInt();
    const int sortOrder = settings.value(kSortOrder).toInt();
    if (sortColumn >= 0 && sortColumn < table->columnCount()
        && (sortOrder == Qt::AscendingOrder || sortOrder == Qt::DescendingOrder))
        header->setSortIndicator(sortColumn, static_cast<Qt::SortOrder>(sortOrder));
}

void WindowLayoutMemory::save(const QWidget* window, const QTableWidget* table)
{
    QSettings settings = userSettings();
    settings.setValue(kSize, window->size());
    settings.setValue(kPosition, window->pos());
    const QHeaderView* header = table->horizontalHeader();
    QVariantList widths;
    for (int column = 0; column < table->columnCount() - 1; ++column)
        widths << header->sectionSize(column);
    settings.setValue(kColumnWidths, widths);
    // Until a first row is placed, the header has no valid sort column.
    if (header->sortIndicatorSection() >= 0 && header->sortIndicatorSection() < table->columnCount()) {
        settings.setValue(kSortColumn, header->sortIndicatorSection());
        settings.setValue(kSortOrder, static_cast<int>(header->sortIndicatorOrder()));
    }
}
