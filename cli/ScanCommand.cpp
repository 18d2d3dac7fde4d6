#include "cli/CliCommands.h"

#include "core/records/ConflictGroups.h"
#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"
#include "core/search/TerminalSearch.h"
#include "platform/Clock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Each group: the text its terminals share, and the terminals.
using Groups = std::vector<std::pair<QString, std::vector<const TerminalParam*>>>;

// The terminals that report the same IP (or MAC) without being the same
// terminal, grouped as the window's report groups them.
Groups sharing(const std::vector<TerminalParam>& terminals, ConflictField field)
{
    std::vector<const TerminalParam*> list;
    for (const TerminalParam& t : terminals)
        list.push_back(&t);
    Groups groups;
    for (const std::vector<size_t>& members : conflictGroups(list, field)) {
        const TerminalParam& first = *list[members.front()];
        groups.emplace_back(QString::fromUtf8(field == ConflictField::IP ? first.IP : first.MAC),
            std::vector<const TerminalParam*>());
        for (size_t i : members)
            groups.back().second.push_back(list[i]);
    }
    return groups;
}

QJsonObject json(const TerminalParam& t)
{
    QJsonObject object;
    for (const TerminalColumn& column : terminalColumns()) {
        const QString value = QString::fromStdString(column.text(t));
        object.insert(column.name, column.numeric ? QJsonValue(value.toDouble()) : QJsonValue(value));
    }
    return object;
}

// A terminal of a conflict named by what tells it apart: ID, IP and MAC.
QString named(const TerminalParam& t)
{
    return QString("ID %1 %2 %3").arg(static_cast<uint32_t>(t.ID)).arg(QString::fromUtf8(t.IP), QString::fromUtf8(t.MAC));
}

QJsonArray json(const Groups& groups, const char* key)
{
    QJsonArray out;
    for (const auto& group : groups) {
        QJsonArray members;
        for (const TerminalParam* t : group.second)
            members.append(QJsonObject{{"ID", static_cast<double>(static_cast<uint32_t>(t->ID))},
                {"IP", QString::fromUtf8(t->IP)}, {"MAC", QString::fromUtf8(t->MAC)}});
        out.append(QJsonObject{{key, group.first}, {"terminals", members}});
    }
    return out;
}

QString table(const std::vector<TerminalParam>& terminals)
{
    const std::vector<TerminalColumn>& columns = terminalColumns();
    std::vector<std::vector<QString>> cells(1);
    for (const TerminalColumn& column : columns)
        cells[0].push_back(column.name);
    for (const TerminalParam& t : terminals) {
        cells.emplace_back();
        for (const TerminalColumn& column : columns)
            cells.back().push_back(QString::fromStdString(column.text(t)));
    }
    std::vector<int> width(columns.size(), 0);
    for (const auto& row : cells) {
        for (size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], static_cast<int>(row[c].size()));
    }
    QString out;
    for (const auto& row : cells) {
        QString line;
        for (size_t c = 0; c < row.size(); ++c)
            line += row[c].leftJustified(width[c] + 2);
        out += line.trimmed() + '\n';
    }
    return out;
}

QString conflictLines(const Groups& groups, const QString& kind)
{
    QString out;
    for (const auto& group : groups) {
        QStringList members;
        for (const TerminalParam* t : group.second)
            members << named(*t);
        out += QString("%1 %2: %3\n").arg(kind, group.first, members.join(", "));
    }
    return out;
}

}  // namespace

int CliCommands::scan(NxNetControl* engine, ScanFormat format, bool conflicts, ScanSort sort,
    const std::vector<SearchRange>& ranges)
{
    TerminalSearch search(engine);
    search.searchRanges(ranges);
    while (search.step())
        SleepMs(5);
    if (!search.allSent()) {
        printError(tr("搜索请求无法发送"));
        return kExitNetwork;
    }
    std::vector<TerminalParam> terminals = search.terminals();
    sortTerminals(&terminals, sort);
    const Groups ipGroups = sharing(terminals, ConflictField::IP);
    const Groups macGroups = sharing(terminals, ConflictField::MAC);

    if (format == ScanFormat::Json) {
        QJsonArray list;
        for (const TerminalParam& t : terminals)
            list.append(json(t));
        QJsonObject document{{"terminals", list}};
        if (conflicts) {
            document.insert("ipConflicts", json(ipGroups, "IP"));
            document.insert("macConflicts", json(macGroups, "MAC"));
        }
        printOut(QString::fromUtf8(QJsonDocument(document).toJson()));
    } else if (format == ScanFormat::Csv) {
        std::vector<std::string> header;
        for (const TerminalColumn& column : terminalColumns())
            header.push_back(column.name);
        std::string text = CsvLine(header);
        for (const TerminalParam& t : terminals)
            text += CsvLine(terminalCsvFields(t));
        printOut(QString::fromStdString(text));
    } else {
        printOut(table(terminals));
    }
    // After the table; beside CSV on standard error, so the CSV stays whole.
    const QString conflictText
        = conflictLines(ipGroups, tr("IP地址冲突")) + conflictLines(macGroups, tr("MAC地址冲突"));
    if (conflicts && format == ScanFormat::Table)
        printOut(conflictText);
    else if (conflicts && format == ScanFormat::Csv && !conflictText.isEmpty())
        printError(conflictText.trimmed());
    // On standard error, so that the listing stays as it was.
    const std::vector<int> perRange = search.foundPerRange();
    for (size_t i = 0; i < perRange.size(); ++i)
        printError(tr("范围 %1：%2 台").arg(QString::fromStdString(search.ranges()[i].text())).arg(perRange[i]));
    // Terminals were still appearing when the search stopped going on: the
    // link lost replies, and more may be hidden behind it.
    if (search.lastGetFound() > 0)
        printError(tr("列表可能不完整：最后一次搜索又找到 %1 个设备。").arg(search.lastGetFound()));
    return conflicts && !(ipGroups.empty() && macGroups.empty()) ? kExitIncomplete : kExitOk;
}
