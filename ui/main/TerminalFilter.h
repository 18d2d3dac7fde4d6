// TerminalFilter: hides the rows of the terminal table whose cells do not
// contain the filter text (case-insensitive). A row is checked when one of
// its cells is set or changes, so new rows are filtered as a search brings
// them in, without a rescan of the table. User-interface thread only.
#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QTableWidget;

class TerminalFilter : public QObject {
    Q_OBJECT

public:
    TerminalFilter(QTableWidget* table, QLineEdit* edit);

private:
    void setText(const QString& text);
    void checkRows(int first, int last);
    bool matches(int row) const;

    QTableWidget* table;
    QString text;
};
