#include "core/commission/CommissionSheet.h"

#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"

#include <algorithm>
#include <cctype>
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

ColumnReader flag(std::optional<bool> SheetRow::*field)
{
    return integer(0, 1, [=](SheetRow* r, long v) { r->*field = v != 0; });
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

ColumnReader otherAddress(std::optional<std::string> SheetRow::*field)
{
    return [=](const std::string& text, SheetRow* row) {
        row->*field = canonicalAddress(text);
        return (row->*field).has_value();
    };
}

ColumnReader port(std::optional<uint16_t> SheetRow::*field)
{
    return integer(0, 65535, [=](SheetRow* r, long v) { r->*field = static_cast<uint16_t>(v); });
}

struct SheetColumn {
    std::string name;
    ProblemKind fault;
    ColumnReader read;
    const char* allowed;  // the values a number may take, for the problem text
};

const std::vector<SheetColumn>& columnReaders()
{
    static const std::vector<SheetColumn> columns = {
        {"MAC", ProblemKind::BadMac,
            [](const std::string& text, SheetRow* row) {
                if (!canonicalMac(text))
                    return false;
                row->mac = text;
                return true;
            },
            ""},
        {"ID", ProblemKind::BadNumber, integer(1, 9999, [](SheetRow* r, long v) { r->id = static_cast<int32_t>(v); }),
            "1..9999"},
        {"AutoIP", ProblemKind::BadNumber, flag(&SheetRow::autoIp), "0, 1"},
        {"IP", ProblemKind::BadAddress, ownAddress(&SheetRow::ip), ""},
        {"Mask", ProblemKind::BadAddress, ownAddress(&SheetRow::mask), ""},
        {"Gateway", ProblemKind::BadAddress, ownAddress(&SheetRow::gateway), ""},
        {"Server", ProblemKind::BadAddress, otherAddress(&SheetRow::server), ""},
        {"ServerPort", ProblemKind::BadNumber, port(&SheetRow::serverPort), "0..65535"},
        {"Server2", ProblemKind::BadAddress, otherAddress(&SheetRow::server2), ""},
        {"Server2Port", ProblemKind::BadNumber, port(&SheetRow::server2Port), "0..65535"},
        {"Speed", ProblemKind::BadNumber,
            [](const std::string& text, SheetRow* row) {
                if (text != "0" && text != "10" && text != "100")
                    return false;
                row->speed = static_cast<uint16_t>(std::atoi(text.c_str()));
                return true;
            },
            "0, 10, 100"},
        {"UseDNS", ProblemKind::BadNumber, flag(&SheetRow::useDns), "0, 1"},
        {"DNS1", ProblemKind::BadAddress, otherAddress(&SheetRow::dns1), ""},
        {"DNS2", ProblemKind::BadAddress, otherAddress(&SheetRow::dns2), ""},
        {"Treble", ProblemKind::BadNumber,
            integer(-7, 7, [](SheetRow* r, long v) { r->treble = static_cast<int8_t>(v); }), "-7..7"},
        {"Bass", ProblemKind::BadNumber, integer(-7, 7, [](SheetRow* r, long v) { r->bass = static_cast<int8_t>(v); }),
            "-7..7"},
    };
    return columns;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool sameName(const std::string& a, const std::string& b)
{
    return lowered(a) == lowered(b);
}

const SheetColumn* findColumn(const std::string& name)
{
    for (const SheetColumn& column : columnReaders()) {
        if (sameName(column.name, name))
            return &column;
    }
    return nullptr;
}

// A column of the tool's export that no sheet sets.
bool exportOnly(const std::string& name)
{
    const std::vector<TerminalColumn>& columns = terminalColumns();
    return std::any_of(columns.begin(), columns.end(), [&](const TerminalColumn& c) { return sameName(c.name, name); });
}

// A field as the sheet means it: an apostrophe that kept a spreadsheet from
// taking it for a formula dropped, blanks at either end too.
std::string value(const std::string& field)
{
    const std::string text = plainText(field);
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
    for (unsigned& number : part) {
        if (&number != part && (at >= text.size() || text[at++] != '.'))
            return std::nullopt;
        const size_t start = at;
        while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9')
            number = number * 10 + static_cast<unsigned>(text[at++] - '0');
        if (at == start || number > 255)
            return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    char out[16];
    std::snprintf(out, sizeof out, "%u.%u.%u.%u", part[0], part[1], part[2], part[3]);
    return std::string(out);
}

std::optional<std::string> canonicalMac(const std::string& text)
{
    const size_t separatorAt = text.find_first_of("-:.");
    const char separator = separatorAt == std::string::npos ? '\0' : text[separatorAt];
    const size_t group = separator == '\0' ? 12 : separator == '.' ? 4 : 2;
    std::string digits;
    size_t inGroup = 0;
    for (char c : text) {
        if (c == separator && inGroup == group) {
            inGroup = 0;
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c)) || ++inGroup > group)
            return std::nullopt;
        digits += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (digits.size() != 12 || inGroup != group)
        return std::nullopt;
    std::string out;
    for (size_t i = 0; i < 12; i += 2)
        out += (i > 0 ? "-" : "") + digits.substr(i, 2);
    return out;
}

void readCommissionSheet(const std::string& text, CommissionSheet* sheet)
{
    std::vector<CsvRow> rows;
    CsvError error;
    if (!ParseCsv(text, &rows, &error)) {
        sheet->problems.push_back({error.line, std::string(),
            error.kind == CsvError::UnclosedQuote ? ProblemKind::UnclosedQuote : ProblemKind::TextAfterQuote});
        return;
    }
    if (rows.empty()) {
        sheet->problems.push_back({0, "MAC", ProblemKind::NoMacColumn});
        return;
    }
    // Spreadsheets save empty columns after the last one used.
    std::vector<std::string> header = rows[0].fields;
    while (header.size() > 1 && value(header.back()).empty())
        header.pop_back();
    std::vector<const SheetColumn*> readers;
    bool hasMac = false;
    for (const std::string& field : header) {
        const std::string name = value(field);
        const SheetColumn* column = findColumn(name);
        for (const std::string& earlier : sheet->columns) {
            if (sameName(earlier, name))
                sheet->problems.push_back({rows[0].line, name, ProblemKind::RepeatedColumn, name});
        }
        if (column == nullptr && exportOnly(name))
            sheet->ignored.push_back(name);
        else if (column == nullptr)
            sheet->problems.push_back({rows[0].line, name, ProblemKind::UnknownColumn, name});
        hasMac = hasMac || (column != nullptr && column->name == "MAC");
        sheet->columns.push_back(name);
        readers.push_back(column);
    }
    if (!hasMac) {
        sheet->problems.push_back({rows[0].line, "MAC", ProblemKind::NoMacColumn});
        return;
    }

    for (size_t r = 1; r < rows.size(); ++r) {
        SheetRow row;
        row.line = rows[r].line;
        row.fields = rows[r].fields;
        const bool extraValues = std::any_of(row.fields.begin() + std::min(row.fields.size(), readers.size()),
            row.fields.end(), [](const std::string& field) { return !value(field).empty(); });
        if (extraValues)
            sheet->problems.push_back({row.line, std::string(), ProblemKind::TooManyFields});
        row.fields.resize(readers.size());
        bool macGiven = false;
        for (size_t c = 0; c < readers.size(); ++c) {
            const std::string text = value(row.fields[c]);
            if (readers[c] == nullptr || text.empty())
                continue;
            macGiven = macGiven || readers[c]->name == "MAC";
            if (!readers[c]->read(text, &row))
                sheet->problems.push_back(
                    {row.line, readers[c]->name, readers[c]->fault, text, 0, readers[c]->allowed});
        }
        if (!macGiven)
            sheet->problems.push_back({row.line, "MAC", ProblemKind::NoMac});
        sheet->rows.push_back(row);
    }
    sheet->readable = true;
}
