#include "cli/CliCommands.h"

#include "core/commission/TerminalSearch.h"
#include "platform/Clock.h"
#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <iterator>
#include <map>

namespace {

using Groups = std::map<std::string, std::vector<const TerminalParam*>>;

// Terminals that share a value (IP or MAC text), in groups of two or more.
// The search lists each terminal once, so members are different terminals.
Groups sharing(const std::vector<TerminalParam>& terminals, bool byIp)
{
    Groups groups;
    for (const TerminalParam& t : terminals)
        groups[byIp ? t.IP : t.MAC].push_back(&t);
    for (auto g = groups.begin(); g != groups.end();)
        g = g->second.size() < 2 ? groups.erase(g) : std::next(g);
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

QJsonArray json(const Groups& groups, const char* key)
{
    QJsonArray out;
    for (const auto& group : groups) {
        QJsonArray macs;
        for (const TerminalParam* t : group.second)
            macs.append(QString::fromUtf8(t->MAC));
        out.append(QJsonObject{{key, QString::fromStdString(group.first)}, {"terminals", macs}});
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
        QStringList macs;
        for (const TerminalParam* t : group.second)
            macs << QString::fromUtf8(t->MAC);
        out += QString("%1 %2: %3\n").arg(kind, QString::fromStdString(group.first), macs.join(", "));
    }
    return out;
}

}  // namespace

int CliCommands::scan(NxNetControl* engine, ScanFormat format, bool conflicts, ScanSort sort)
{
    TerminalSearch search(engine);
    while (search.step())
        SleepMs(5);
    if (!search.allSent()) {
        printError(tr("搜索请求无法发送"));
        return kExitNetwork;
    }
    std::vector<TerminalParam> terminals = search.terminals();
    sortTerminals(&terminals, sort);
    const Groups ipGroups = sharing(terminals, true);
    const Groups macGroups = sharing(terminals, false);

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
    return conflicts && !(ipGroups.empty() && macGroups.empty()) ? kExitIncomplete : kExitOk;
}
