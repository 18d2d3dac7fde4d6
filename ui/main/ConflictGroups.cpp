#include "ui/main/ConflictGroups.h"

#include <QByteArray>
#include <QHash>
#include <QVector>

namespace {

QByteArray comparedText(const TerminalParam& record, ConflictField field)
{
    if (field == ConflictField::IP)
        return QByteArray(record.IP, static_cast<int>(qstrnlen(record.IP, sizeof record.IP)));
    return QByteArray(record.MAC, static_cast<int>(qstrnlen(record.MAC, sizeof record.MAC)));
}

}  // namespace

// Why one pass is enough: the two records a conflict predicate compares
// share the text, so records with different texts never meet. Within one
// text, the scan that starts at the text's first record takes every later
// record that is not sameTerminal with it. The records left behind are all
// sameTerminal with the first one, and so with each other (sameTerminal
// compares four fields for equality); scans starting at them find nothing.
QList<TerminalParam> groupConflicts(const QList<TerminalParam>& records, ConflictField field)
{
    struct Group {
        int first;
        QVector<int> others;  // later records not sameTerminal with the first
    };
    QHash<QByteArray, int> groupOfText;
    QVector<Group> groups;
    groupOfText.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const TerminalParam& record = records.at(i);
        const QByteArray text = comparedText(record, field);
        const auto found = groupOfText.constFind(text);
        if (found == groupOfText.constEnd()) {
            groupOfText.insert(text, groups.size());
            groups.append(Group{i, {}});
        } else if (!sameTerminal(records.at(groups.at(*found).first), record)) {
            groups[*found].others.append(i);
        }
    }

    QList<TerminalParam> result;
    for (const Group& group : qAsConst(groups)) {
        if (group.others.isEmpty())
            continue;
        for (int i : group.others)
            result.append(records.at(i));
        result.append(records.at(group.first));
    }
    return result;
}
