// QueryConflictDlg: the modal report of terminals that share an IP address or
// a MAC address, one table per kind, laid out like the main terminal table.
// Created, filled and run by the main window on the user-interface thread.
#pragma once

#include "net/TerminalParam.h"

#include <QDialog>
#include <QList>

#include <memory>

class QTableWidget;

namespace Ui {
class QueryConflictsDialog;
}

class QueryConflictDlg : public QDialog {
    Q_OBJECT

public:
    explicit QueryConflictDlg(QWidget* parent = nullptr);
    ~QueryConflictDlg() override;

    void showIpConflicts(const QList<TerminalParam>& records);
    void showMacConflicts(const QList<TerminalParam>& records);

    // Six columns headed like the main table, one row per record, each
    // column as wide as its contents.
    static void fillConflictTable(QTableWidget* table, const QList<TerminalParam>& records);

private:
    std::unique_ptr<Ui::QueryConflictsDialog> ui;
    // What each table lists, for its export.
    QList<TerminalParam> ipConflicts;
    QList<TerminalParam> macConflicts;
};
