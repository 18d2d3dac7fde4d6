#include "QueryConflictDlg.h"

#include "ui/main/TerminalListItem.h"
#include "ui_QueryConflictDlg.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidgetItem>

#include <algorithm>

QueryConflictDlg::QueryConflictDlg(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::QueryConflictsDialog)
{
    ui->setupUi(this);
    // Only the groups the check fills are shown; ID conflicts are never filled.
    ui->fGrpId->hide();
    ui->fGrpIp->hide();
    ui->fGrpMac->hide();
    connect(ui->okButton, &QPushButton::clicked, this, &QDialog::reject);
}

QueryConflictDlg::~QueryConflictDlg() = default;

void QueryConflictDlg::showIpConflicts(const QList<TerminalParam>& records)
{
    ui->fTblIp->setRowCount(0);
    ui->fGrpIp->show();
    fillConflictTable(ui->fTblIp, records);
}

void QueryConflictDlg::showMacConflicts(const QList<TerminalParam>& records)
{
    ui->fTblMac->setRowCount(0);
    ui->fGrpMac->show();
    fillConflictTable(ui->fTblMac, records);
}

void QueryConflictDlg::fillConflictTable(QTableWidget* table, const QList<TerminalParam>& records)
{
    table->setRowCount(0);
    table->setColumnCount(6);
    table->horizontalHeader()->setStretchLastSection(true);

    // A header item past the last column would not be taken by the table
    // (and would leak), so never more headers than columns.
    const int headers = std::min(static_cast<int>(gHeaderItems.size()), table->columnCount());
    for (int i = 0; i < headers; ++i) {
        auto* header = new QTableWidgetItem;
        *header = *gHeaderItems.at(i);
        table->setHorizontalHeaderItem(i, header);
    }

    for (const TerminalParam& record : records) {
        table->insertRow(0);
        fillTerminalRow(table, 0, &record);
    }
}
