#include "ui/rows/TerminalExport.h"

#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>

#include <string>
#include <vector>

QByteArray TerminalExport::csv(const QList<TerminalParam>& records)
{
    const std::vector<TerminalColumn>& columns = terminalColumns();
    std::vector<std::string> fields;
    for (const TerminalColumn& column : columns)
        fields.push_back(column.name);
    std::string text = kUtf8Bom + CsvLine(fields);
    for (const TerminalParam& record : records) {
        text += CsvLine(terminalCsvFields(record));
    }
    return QByteArray::fromStdString(text);
}

bool TerminalExport::save(const QString& path, const QList<TerminalParam>& records, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(csv(records)) >= 0 && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

void TerminalExport::ask(QWidget* parent, const QList<TerminalParam>& records)
{
    const QString path
        = QFileDialog::getSaveFileName(parent, tr("导出列表"), QStringLiteral("terminals.csv"), tr("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!save(path, records, &error))
        QMessageBox::warning(
            parent, tr("导出列表"), tr("无法保存 %1：%2").arg(path, error), QMessageBox::Ok, QMessageBox::NoButton);
}
