#include "ui/main/TerminalTableActions.h"

#include "core/records/Csv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kIpColumn = 4;
constexpr int kMacColumn = 5;

QString cellText(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* cell = table->item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

}  // namespace

TerminalTableActions::TerminalTableActions(QTableWidget* table, const TerminalTableHooks& hooks)
    : QObject(table)
    , table(table)
    , hooks(hooks)
{
    // The current row goes when the filter hides it or the table empties;
    // the buttons then act on nothing and must say so.
    connect(table, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0)
            this->hooks.selectCurrent();
        else
            this->hooks.deselect();
    });
    table->installEventFilter(this);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, &TerminalTableActions::showMenu);
    // A disabled button ignores click(): each key works only when its button could.
    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), table->window());
    connect(refresh, &QShortcut::activated, hooks.search, &QAbstractButton::click);
}

bool TerminalTableActions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != table || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
        copySelectedRows();
        return true;
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() | Qt::KeypadModifier) == Qt::KeypadModifier) {
        hooks.settings->click();
        return true;
    }
    return false;
}

void TerminalTableActions::showMenu(const QPoint& position)
{
    const QTableWidgetItem* clicked = table->itemAt(position);
    if (clicked == nullptr)
        return;
    const int row = clicked->row();
    // The buttons act on the current row: make it the row under the pointer.
    table->setCurrentCell(row, clicked->column());
    QMenu menu(table);
    // Each entry presses its button, so it does exactly what the button does.
    for (QAbstractButton* button : {hooks.settings, hooks.reboot, hooks.upgrade}) {
        if (button->isHidden())
            continue;
        QAction* action = menu.addAction(button->text(), button, &QAbstractButton::click);
        action->setEnabled(button->isEnabled());
    }
    menu.addSeparator();
    // Replies keep arriving while the menu is open and may move the row:
    // copy what was under the pointer when it opened.
    QClipboard* clipboard = QApplication::clipboard();
    const QString ip = cellText(table, row, kIpColumn);
    const QString mac = cellText(table, row, kMacColumn);
    const QString whole = rowsText(table, {row});
    menu.addAction(tr("复制 IP地址"), [=] { clipboard->setText(ip); });
    menu.addAction(tr("复制 MAC地址"), [=] { clipboard->setText(mac); });
    menu.addAction(tr("复制整行"), [=] { clipboard->setText(whole); });
    menu.exec(table->viewport()->mapToGlobal(position));
}

void TerminalTableActions::copySelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
        if (!table->isRowHidden(index.row()))
            rows << index.row();
    }
    if (!rows.isEmpty())
        QApplication::clipboard()->setText(rowsText(table, rows));
}

QString TerminalTableActions::rowsText(const QTableWidget* table, QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    QStringList header;
    for (int column = 0; column < table->columnCount(); ++column)
        header << table->horizontalHeaderItem(column)->text();
    QString text = header.join('\t') + '\n';
    for (int row : rows) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << QString::fromStdString(spreadsheetText(cellText(table, row, column).toStdString()));
        text += cells.join('\t') + '\n';
    }
    return text;
}
