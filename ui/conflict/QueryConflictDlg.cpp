#include "QueryConflictDlg.h"

#include "ui/rows/TerminalExport.h"
#include "ui/rows/TerminalListItem.h"
#include "ui_QueryConflictDlg.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
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
    connect(ui->fBtnExportIp, &QPushButton::clicked, this, [this] { TerminalExport::ask(this, ipConflicts); });
    connect(ui->fBtnExportMac, &QPushButton::clicked, this, [this] { TerminalExport::ask(this, macConflicts); });
}

QueryConflictDlg::~QueryConflictDlg() = default;

void QueryConflictDlg::showIpConflicts(const QList<TerminalParam>& records)
{
    ui->fTblIp->setRowCount(0);
    ui->fGrpIp->show();
    ipConflicts = records;
    fillConflictTable(ui->fTblIp, records);
}

void QueryConflictDlg::showMacConflicts(const QList<TerminalParam>& records)
{
    ui->fTblMac->setRowCount(0);
    ui->fGrpMac->show();
    macConflicts = records;
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

    // The addresses are what the report is about: every column as wide as
    // its contents, and the table asks for the width of all of them, within
    // the screen. The last column stretches again once measured.
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(false);
    table->resizeColumnsToContents();
    int width = 2 * table->frameWidth() + table->verticalHeader()->sizeHint().width()
        + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table->columnCount(); ++column)
        width += header->sectionSize(column);
    header->setStretchLastSection(true);
    table->setMinimumWidth(std::min(width, table->screen()->availableGeometry().width() * 9 / 10));
}
