// RowToolTips: the tooltip over any cell of a terminal-table row, made from
// that row's record when it is asked for, so nothing is stored per cell and
// it always tells the latest reply. User-interface thread only.
#pragma once

#include "net/TerminalParam.h"

#include <QObject>
#include <QString>

#include <functional>

class QTableWidget;

class RowToolTips : public QObject {
    Q_OBJECT

public:
    // Installs itself on `table`'s viewport, whose child it becomes.
    RowToolTips(QTableWidget* table, std::function<QString(const TerminalParam&)> textOf);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidget* table;
    std::function<QString(const TerminalParam&)> textOf;
};
