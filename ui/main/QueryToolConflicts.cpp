// The conflict check of the main window: once replies have stopped coming for
// the conflict timer's interval, report terminals sharing an IP or a MAC.
#include "ui/main/QueryTool.h"

#include "ui/conflict/ConflictRules.h"
#include "ui/conflict/QueryConflictDlg.h"
#include "ui/main/ConflictGroups.h"

// Groups mutually conflicting records: each group lists its later members in
// list order, then its first member; groups follow their first members. A
// record taken into a group is not compared again. The two conflict
// predicates group by their text in one pass; any other predicate gets the
// pairwise scan.
QList<TerminalParam> QueryTool::collectConflicts(bool (*predicate)(const TerminalParam&, const TerminalParam&))
{
    if (predicate == isIpConflict)
        return groupConflicts(terminalList, ConflictField::IP);
    if (predicate == isMacConflict)
        return groupConflicts(terminalList, ConflictField::MAC);

    QList<TerminalParam> result;
    QList<TerminalParam> working = terminalList;
    for (int i = 0; i < working.size(); ++i) {
        const TerminalParam current = working.at(i);
        bool matched = false;
        for (int j = i + 1; j < working.size();) {
            if (predicate(working.at(j), current)) {
                matched = true;
                result.append(working.at(j));
                working.removeAt(j);
            } else {
                ++j;
            }
        }
        if (matched)
            result.append(current);
    }
    return result;
}

void QueryTool::check_conflict()
{
    conflictTimer->stop();
    // The report runs a nested event loop: replies and timers go on meanwhile,
    // but never stack a second report on the first.
    if (conflictReportOpen) {
        conflictCheckDeferred = true;
        return;
    }
    QueryConflictDlg dialog(this);

    const QList<TerminalParam> ipConflicts = collectConflicts(isIpConflict);
    if (!ipConflicts.isEmpty())
        dialog.showIpConflicts(ipConflicts);

    const QList<TerminalParam> macConflicts = collectConflicts(isMacConflict);
    if (!macConflicts.isEmpty())
        dialog.showMacConflicts(macConflicts);

    if (ipConflicts.isEmpty() && macConflicts.isEmpty())
        return;
    conflictReportOpen = true;
    dialog.exec();
    conflictReportOpen = false;
    if (conflictCheckDeferred) {
        conflictCheckDeferred = false;
        check_conflict();
    }
}
