// The conflict groups of a list of terminals: records that report the same
// IP text, or the same MAC text, without being the same terminal
// (sameTerminal). Shared by the window's report, the command line's scan and
// the benchmarks. Pure function; any thread.
#pragma once

#include "net/TerminalParam.h"

#include <cstddef>
#include <vector>

enum class ConflictField { IP, MAC };

// One group per text shared by records that are not all the same terminal,
// in the order of the text's first record. A group lists, as indices into
// `records`, the later records that are not sameTerminal with that first
// one, in list order, then the first one: exactly what the pairwise scan
// (each record against the later ones not yet taken) gives.
std::vector<std::vector<size_t>> conflictGroups(const std::vector<const TerminalParam*>& records, ConflictField field);
