// TerminalExport: saves terminal records as a CSV file in the columns the
// command line writes too (terminalColumns()), and the "导出列表…" step that
// asks where. User-interface thread.
#pragma once

#include "net/TerminalParam.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

class QWidget;

class TerminalExport {
    Q_DECLARE_TR_FUNCTIONS(TerminalExport)

public:
    // A byte-order mark, a header line, then one line per record.
    static QByteArray csv(const QList<TerminalParam>& records);
    // Writes to a temporary file renamed over `path` at the end, so a failed
    // write leaves an earlier file as it was. False with the reason in `error`.
    static bool save(const QString& path, const QList<TerminalParam>& records, QString* error);
    // Asks for a file name and saves there; a failure is shown in a box.
    static void ask(QWidget* parent, const QList<TerminalParam>& records);
};
