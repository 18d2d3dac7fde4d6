#include "ui/main/RowToolTips.h"

#include "ui/rows/TerminalListItem.h"

#include <QHelpEvent>
#include <QTableWidget>
#include <QToolTip>

RowToolTips::RowToolTips(QTableWidget* table, std::function<QString(const TerminalParam&)> textOf)
    : QObject(table->viewport())
    , table(table)
    , textOf(std::move(textOf))
{
    table->viewport()->installEventFilter(this);
}

bool RowToolTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int row = table->rowAt(help->pos().y());
    auto* item = row < 0 ? nullptr : dynamic_cast<TerminalListItem*>(table->item(row, 0));
    const QString text = item != nullptr ? textOf(item->param) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, table->viewport());
    return true;
}
