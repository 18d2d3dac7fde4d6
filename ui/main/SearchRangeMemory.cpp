#include "ui/main/SearchRangeMemory.h"

#include <QSettings>

namespace {

const char kRanges[] = "SearchRanges/ranges";

QSettings userSettings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("QueryTool"), QStringLiteral("QueryTool"));
}

}  // namespace

QList<SavedRange> SearchRangeMemory::load()
{
    QList<SavedRange> ranges;
    // Each as "text" or "-text": a leading minus marks a range switched off.
    for (const QString& entry : userSettings().value(kRanges).toStringList()) {
        const bool off = entry.startsWith('-');
        ranges.append({off ? entry.mid(1) : entry, !off});
    }
    return ranges;
}

void SearchRangeMemory::save(const QList<SavedRange>& ranges)
{
    QStringList entries;
    for (const SavedRange& range : ranges)
        entries << (range.on ? range.text : '-' + range.text);
    userSettings().setValue(kRanges, entries);
}

std::vector<SearchRange> SearchRangeMemory::switchedOn()
{
    std::vector<SearchRange> ranges;
    for (const SavedRange& saved : load()) {
        SearchRange range;
        if (saved.on && parseSearchRange(saved.text.toStdString(), &range) == SearchRangeFault::None)
            ranges.push_back(range);
    }
    return ranges;
}
