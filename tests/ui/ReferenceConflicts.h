// The conflict scan as first written, the reference the grouped conflict
// check is held to: every record against every later one still in the
// working copy; a record taken into a group is not compared again. Any thread.
#pragma once

#include "net/TerminalParam.h"

#include <QList>

inline QList<TerminalParam> pairwiseConflicts(const QList<TerminalParam>& records,
                                              bool (*predicate)(const TerminalParam&, const TerminalParam&))
{
    QList<TerminalParam> result;
    QList<TerminalParam> working = records;
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

// A record's place in its list or stream travels in CSeq, so results compare by it.
inline QList<int> places(const QList<TerminalParam>& records)
{
    QList<int> result;
    for (const TerminalParam& r : records)
        result << r.CSeq;
    return result;
}
