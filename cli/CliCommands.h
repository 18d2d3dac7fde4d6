// The three commands of querytool-cli and their exit codes. Each runs on the
// main thread against an engine whose receive loop runs on its worker thread.
#pragma once

#include "core/search/SearchRange.h"
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

// The order scan lists the terminals in: as they answered, or by a key.
enum class ScanSort { Answer, Ip, Id, Mac };

struct ApplyOptions {
    QString sheetFile;
    bool dryRun = false;
    bool partial = false;  // the rows whose terminal was not found are left out, not a refusal
    QString resultFile;    // empty: none
    bool json = false;     // problems and outcomes as JSON on standard output
    std::vector<SearchRange> ranges;  // searched besides the adapters' links
};

class CliCommands {
    Q_DECLARE_TR_FUNCTIONS(CliCommands)

public:
    static int scan(NxNetControl* engine, ScanFormat format, bool conflicts, ScanSort sort,
        const std::vector<SearchRange>& ranges);
    static int apply(NxNetControl* engine, const ApplyOptions& options);
    static int reboot(NxNetControl* engine, const QString& ip);
    static QString help();
};

// Sorts `terminals` by `sort`; ties, and terminals without the key, in a
// fixed order so that the same fleet always lists the same way.
void sortTerminals(std::vector<TerminalParam>* terminals, ScanSort sort);

// Writes to standard error, UTF-8, with a line end.
void printError(const QString& text);
// Writes to standard output, UTF-8, as it is.
void printOut(const QString& text);
