// What a conflict dialog shows, read off the open dialog by a modal
// watcher's handler: its title, then a line for each visible group from top
// to bottom, "group: IP MAC, IP MAC, …" with the rows sorted. Shared by the
// conflict tests; user-interface thread only.
#pragma once

#include <QGroupBox>
#include <QString>
#include <QStringList>
#include <QTableWidget>

#include <algorithm>

inline QString readConflictDialog(QWidget* dialog)
{
    QList<QGroupBox*> groups;
    for (const char* name : {"fGrpIp", "fGrpId", "fGrpMac"}) {
        auto* group = dialog->findChild<QGroupBox*>(name);
        if (group != nullptr && group->isVisible())
            groups << group;
    }
    std::sort(groups.begin(), groups.end(), [](QGroupBox* a, QGroupBox* b) { return a->y() < b->y(); });
    QStringList lines{dialog->windowTitle()};
    for (QGroupBox* group : groups) {
        auto* table = group->findChild<QTableWidget*>();
        QStringList rows;
        for (int row = 0; table != nullptr && row < table->rowCount(); ++row)
            rows << table->item(row, 4)->text() + ' ' + table->item(row, 5)->text();
        rows.sort();
        lines << group->objectName() + ": " + rows.join(", ");
    }
    return lines.join('\n');
}
