#include "core/commission/CommissionSheet.h"

#include "core/records/Csv.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

bool readInteger(const std::string& text, long minimum, long maximum, long* value)
{
    if (text.empty() || text.size() > 6)
        return false;
    size_t at = text[0] == '-' ? 1 : 0;
    if (at == text.size())
        return false;
    for (size_t i = at; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    *value = std::strtol(text.c_str(), nullptr, 10);
    return *value >= minimum && *value <= maximum;
}

// How one column's text goes into the row; false when it does not fit.
using ColumnReader = std::function<bool(const std::string& text, SheetRow* row)>;

ColumnReader integer(long minimum, long maximum, std::function<void(SheetRow*, long)> store)
{
    return [=](const std::string& text, SheetRow* row) {
        long value = 0;
        if (!readInteger(text, minimum, maximum, &value))
            return false;
        store(row, value);
        return true;
    };
}

// The IP, mask and gateway: a text that is no address is kept empty, so
// that the address rules report it at their turn, with their message.
ColumnReader ownAddress(std::optional<std::string> SheetRow::*field)
{
    return [=](const std::string& text, SheetRow* row) {
        row->*field = canonicalAddress(text).value_or(std::string());
        return true;
    };
}

ColumnReader serverAddress(std::optional<std::string> SheetRow::*field)
{
    return [=](const std::string& text, SheetRow* row) {
        row->*field = canonicalAddress(text);
        return (row->*field).has_value();
    };
}

struct SheetColumn {
    std::string name;
    ProblemKind fault;
    ColumnReader read;
};

const std::vector<SheetColumn>& columnReaders()
{
    static const std::vector<SheetColumn> columns = {
        {"MAC", ProblemKind::NoMac,
            [](const std::string& text, SheetRow* row) {
                row->mac = text;
                return true;
            }},
        {"ID", ProblemKind::BadNumber, integer(1, 9999, [](SheetRow* r, long v) { r->id = static_cast<int32_t>(v); })},
        {"AutoIP", ProblemKind::BadNumber, integer(0, 1, [](SheetRow* r, long v) { r->autoIp = v != 0; })},
        {"IP", ProblemKind::BadAddress, ownAddress(&SheetRow::ip)},
        {"Mask", ProblemKind::BadAddress, ownAddress(&SheetRow::mask)},
        {"Gateway", ProblemKind::BadAddress, ownAddress(&SheetRow::gateway)},
        {"Server", ProblemKind::BadAddress, serverAddress(&SheetRow::server)},
        {"ServerPort", ProblemKind::BadNumber,
            integer(1, 65535, [](SheetRow* r, long v) { r->serverPort = static_cast<uint16_t>(v); })},
        {"Server2", ProblemKind::BadAddress, serverAddress(&SheetRow::server2)},
        {"Server2Port", ProblemKind::BadNumber,
            integer(1, 65535, [](SheetRow* r, long v) { r->server2Port = static_cast<uint16_t>(v); })},
        {"Speed", ProblemKind::BadNumber,
            [](const std::string& text, SheetRow* row) {
                if (text != "0" && text != "10" && text != "100")
                    return false;
                row->speed = static_cast<uint16_t>(std::atoi(text.c_str()));
                return true;
            }},
        {"Treble", ProblemKind::BadNumber,
            integer(-7, 7, [](SheetRow* r, long v) { r->treble = static_cast<int8_t>(v); })},
        {"Bass", ProblemKind::BadNumber, integer(-7, 7, [](SheetRow* r, long v) { r->bass = static_cast<int8_t>(v); })},
    };
    return columns;
}

const SheetColumn* findColumn(const std::string& name)
{
    for (const SheetColumn& column : columnReaders()) {
        if (column.name == name)
            return &column;
    }
    return nullptr;
}

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

const std::vector<std::string>& sheetColumns()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const SheetColumn& column : columnReaders())
            out.push_back(column.name);
        return out;
    }();
    return names;
}

std::optional<std::string> canonicalAddress(const std::string& text)
{
    unsigned part[4] = {};
    size_t at = 0;
    for (unsigned& value : part) {
        if (&value != part && (at >= text.size() || text[at++] != '.'))
            return std::nullopt;
        const size_t start = at;
        while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9')
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
        if (at == start || value > 255)
            return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    char out[16];
    std::snprintf(out, sizeof out, "%u.%u.%u.%u", part[0], part[1], part[2], part[3]);
    return std::string(out);
}

void readCommissionSheet(const std::string& text, CommissionSheet* sheet, std::vector<CommissionProblem>* problems)
{
    std::vector<CsvRow> rows;
    std::string error;
    if (!ParseCsv(text, &rows, &error)) {
        problems->push_back({0, std::string(), ProblemKind::SheetSyntax, error});
        return;
    }
    if (rows.empty()) {
        problems->push_back({0, "MAC", ProblemKind::NoMacColumn, std::string()});
        return;
    }
    std::vector<const SheetColumn*> readers;
    bool hasMac = false;
    for (const std::string& raw : rows[0].fields) {
        const std::string name = trimmed(raw);
        const SheetColumn* column = findColumn(name);
        for (const std::string& earlier : sheet->columns) {
            if (earlier == name)
                problems->push_back({rows[0].line, name, ProblemKind::RepeatedColumn, name});
        }
        if (column == nullptr)
            problems->push_back({rows[0].line, name, ProblemKind::UnknownColumn, name});
        hasMac = hasMac || name == "MAC";
        sheet->columns.push_back(name);
        readers.push_back(column);
    }
    if (!hasMac)
        problems->push_back({rows[0].line, "MAC", ProblemKind::NoMacColumn, std::string()});

    for (size_t r = 1; r < rows.size(); ++r) {
        SheetRow row;
        row.line = rows[r].line;
        row.fields = rows[r].fields;
        if (row.fields.size() > readers.size())
            problems->push_back({row.line, std::string(), ProblemKind::TooManyFields, std::string()});
        row.fields.resize(readers.size());
        for (size_t c = 0; c < readers.size(); ++c) {
            const std::string value = trimmed(row.fields[c]);
            if (readers[c] == nullptr || value.empty())
                continue;
            if (!readers[c]->read(value, &row))
                problems->push_back({row.line, readers[c]->name, readers[c]->fault, value});
        }
        if (hasMac && row.mac.empty())
            problems->push_back({row.line, "MAC", ProblemKind::NoMac, std::string()});
        sheet->rows.push_back(row);
    }
}
