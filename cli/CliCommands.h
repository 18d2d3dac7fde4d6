// The three commands of querytool-cli and their exit codes. Each runs on the
// main thread against an engine whose receive loop runs on its worker thread.
#pragma once

#include "net/NxNetControl.h"

#include <QCoreApplication>
#include <QString>

// Exit codes, as --help states them.
enum CliExit : int {
    kExitOk = 0,          // everything asked for succeeded
    kExitIncomplete = 1,  // done, but not for every terminal (or conflicts found)
    kExitUsage = 2,       // wrong arguments
    kExitSheet = 3,       // the sheet was refused by its check: nothing was sent
    kExitFile = 4,        // a file could not be read or written
    kExitNetwork = 5,     // the port could not be opened or a request not sent
};

enum class ScanFormat { Table, Csv, Json };

class CliCommands {
    Q_DECLARE_TR_FUNCTIONS(CliCommands)

public:
    static int scan(NxNetControl* engine, ScanFormat format, bool conflicts);
    static int apply(NxNetControl* engine, const QString& sheetFile, bool dryRun, const QString& resultFile);
    static int reboot(NxNetControl* engine, const QString& ip);
    static QString help();
};

// Writes to standard error, UTF-8, with a line end.
void printError(const QString& text);
// Writes to standard output, UTF-8, as it is.
void printOut(const QString& text);
