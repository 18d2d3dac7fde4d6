#include "core/records/ConflictGroups.h"

#include <cstring>
#include <string>
#include <unordered_map>

// Why one pass is enough: the two records a conflict predicate compares
// share the text, so records with different texts never meet. Within one
// text, the scan that starts at the text's first record takes every later
// record that is not sameTerminal with it. The records left behind are all
// sameTerminal with the first one, and so with each other (sameTerminal
// compares four fields for equality); scans starting at them find nothing.
std::vector<std::vector<size_t>> conflictGroups(const std::vector<const TerminalParam*>& records, ConflictField field)
{
    std::unordered_map<std::string, size_t> groupOfText;
    std::vector<std::vector<size_t>> groups;  // first member first while collecting
    groupOfText.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const TerminalParam& record = *records[i];
        const std::string text = field == ConflictField::IP ? std::string(record.IP, strnlen(record.IP, sizeof record.IP))
                                                            : std::string(record.MAC, strnlen(record.MAC, sizeof record.MAC));
        const auto found = groupOfText.emplace(text, groups.size());
        if (found.second)
            groups.push_back({i});
        else if (!sameTerminal(*records[groups[found.first->second].front()], record))
            groups[found.first->second].push_back(i);
    }

    std::vector<std::vector<size_t>> result;
    for (std::vector<size_t>& group : groups) {
        if (group.size() < 2)
            continue;
        group.push_back(group.front());
        group.erase(group.begin());
        result.push_back(std::move(group));
    }
    return result;
}
