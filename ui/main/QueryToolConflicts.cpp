// The conflict check of the main window: once a search has settled, and once
// later replies have stopped coming for the conflict timer's interval,
// report terminals sharing an IP or a MAC.
#include "ui/main/QueryTool.h"

#include "core/records/ConflictGroups.h"
#include "ui/conflict/ConflictRules.h"
#include "ui/conflict/QueryConflictDlg.h"

#include <vector>

namespace {

QList<TerminalParam> grouped(const QList<TerminalParam>& records, ConflictField field)
{
    std::vector<const TerminalParam*> list;
    list.reserve(static_cast<size_t>(records.size()));
    for (const TerminalParam& record : records)
        list.push_back(&record);
    QList<TerminalParam> result;
    for (const std::vector<size_t>& group : conflictGroups(list, field))
        for (size_t i : group)
            result.append(*list[i]);
    return result;
}

bool sameTerminals(const QList<TerminalParam>& a, const QList<TerminalParam>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!sameTerminal(a.at(i), b.at(i)))
            return false;
    return true;
}

}  // namespace

// Groups mutually conflicting records: each group lists its later members in
// list order, then its first member; groups follow their first members. A
// record taken into a group is not compared again. The two conflict
// predicates group by their text in one pass; any other predicate gets the
// pairwise scan.
QList<TerminalParam> QueryTool::collectConflicts(bool (*predicate)(const TerminalParam&, const TerminalParam&))
{
    if (predicate == isIpConflict)
        return grouped(terminalList, ConflictField::IP);
    if (predicate == isMacConflict)
        return grouped(terminalList, ConflictField::MAC);

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
    // A running search checks once, when it has settled: a pause between
    // two of its GETs is no end of its replies.
    if (search != nullptr && !search->settled())
        return;
    // The report runs a nested event loop: replies and timers go on meanwhile,
    // but never stack a second report on the first.
    if (conflictReportOpen) {
        conflictCheckDeferred = true;
        return;
    }
    const QList<TerminalParam> ipConflicts = collectConflicts(isIpConflict);
    const QList<TerminalParam> macConflicts = collectConflicts(isMacConflict);
    if (ipConflicts.isEmpty() && macConflicts.isEmpty())
        return;
    // What this search has reported already is not reported again.
    if (sameTerminals(ipConflicts, reportedIpConflicts) && sameTerminals(macConflicts, reportedMacConflicts))
        return;
    reportedIpConflicts = ipConflicts;
    reportedMacConflicts = macConflicts;

    QueryConflictDlg dialog(this);
    if (!ipConflicts.isEmpty())
        dialog.showIpConflicts(ipConflicts);
    if (!macConflicts.isEmpty())
        dialog.showMacConflicts(macConflicts);
    conflictReportOpen = true;
    dialog.exec();
    conflictReportOpen = false;
    if (conflictCheckDeferred) {
        conflictCheckDeferred = false;
        check_conflict();
    }
}
