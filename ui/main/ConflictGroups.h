// The conflict lists of the conflict check, found by grouping records on
// the compared text instead of comparing every pair. Pure functions on
// record lists; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <QList>

enum class ConflictField { IP, MAC };

// Exactly what the pairwise scan of collectConflicts gives for isIpConflict
// (field IP) or isMacConflict (field MAC) over `records`: for each text
// shared by records that are not all the same terminal, in the order of the
// text's first record, the later records that are not sameTerminal with that
// first one, in list order, then the first one.
QList<TerminalParam> groupConflicts(const QList<TerminalParam>& records, ConflictField field);
