// SearchRangeMemory: the search ranges the user added in the window, each
// switched on or off, kept from one run to the next in the user's own
// settings (QSettings), never in config.ini. User-interface thread.
#pragma once

#include "core/search/SearchRange.h"

#include <QList>
#include <QString>

#include <vector>

struct SavedRange {
    QString text;  // as SearchRange::text() writes it
    bool on = true;
};

class SearchRangeMemory {
public:
    static QList<SavedRange> load();
    static void save(const QList<SavedRange>& ranges);
    // The saved ranges switched on, parsed; a text that no longer parses is left out.
    static std::vector<SearchRange> switchedOn();
};
