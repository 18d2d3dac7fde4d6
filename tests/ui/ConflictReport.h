// What a conflict dialog showed, read off the open dialog by the modal
// watcher's handler: which groups were visible and what each table held.
// Shared by the conflict tests; user-interface thread only.
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

struct ConflictTableView {
    bool shown = false;
    int rows = 0;
    int columns = 0;
    QStringList ips;   // column 4, top to bottom
    QStringList macs;  // column 5, top to bottom
};

struct ConflictReport {
    QString title;
    ConflictTableView ip;
    ConflictTableView id;
    ConflictTableView mac;
    bool ipAboveMac = false;
};

inline ConflictTableView readConflictTable(QWidget* dialog, const char* group, const char* table)
{
    ConflictTableView view;
    auto* box = dialog->findChild<QGroupBox*>(group);
    auto* widget = dialog->findChild<QTableWidget*>(table);
    if (box == nullptr || widget == nullptr)
        return view;
    view.shown = box->isVisible();
    view.rows = widget->rowCount();
    view.columns = widget->columnCount();
    for (int row = 0; row < widget->rowCount(); ++row) {
        const QTableWidgetItem* ip = widget->item(row, 4);
        const QTableWidgetItem* mac = widget->item(row, 5);
        view.ips << (ip != nullptr ? ip->text() : QString());
        view.macs << (mac != nullptr ? mac->text() : QString());
    }
    return view;
}

inline ConflictReport readConflictDialog(QWidget* dialog)
{
    ConflictReport report;
    report.title = dialog->windowTitle();
    report.ip = readConflictTable(dialog, "fGrpIp", "fTblIp");
    report.id = readConflictTable(dialog, "fGrpId", "fTblID");
    report.mac = readConflictTable(dialog, "fGrpMac", "fTblMac");
    auto* ipBox = dialog->findChild<QGroupBox*>("fGrpIp");
    auto* macBox = dialog->findChild<QGroupBox*>("fGrpMac");
    if (ipBox != nullptr && macBox != nullptr)
        report.ipAboveMac = ipBox->geometry().bottom() < macBox->geometry().top();
    return report;
}
