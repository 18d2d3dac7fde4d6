#include "core/records/Csv.h"

const char kUtf8Bom[] = "\xEF\xBB\xBF";

namespace {

bool needsQuotes(const std::string& field)
{
    if (field.empty())
        return false;
    if (field.front() == ' ' || field.back() == ' ')
        return true;
    return field.find_first_of(",\"\r\n") != std::string::npos;
}

}  // namespace

std::string CsvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        if (!needsQuotes(fields[i])) {
            line += fields[i];
            continue;
        }
        line += '"';
        for (char c : fields[i]) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    }
    line += "\r\n";
    return line;
}

bool ParseCsv(const std::string& text, std::vector<CsvRow>* rows, std::string* error)
{
    rows->clear();
    size_t at = text.compare(0, 3, kUtf8Bom) == 0 ? 3 : 0;
    int line = 1;
    while (at < text.size()) {
        CsvRow row;
        row.line = line;
        std::string field;
        bool rowEnded = false;
        while (!rowEnded) {
            if (at < text.size() && text[at] == '"') {
                const int opened = line;
                ++at;
                for (;;) {
                    if (at >= text.size()) {
                        *error = "line " + std::to_string(opened) + ": a quoted field is not closed";
                        return false;
                    }
                    const char c = text[at++];
                    if (c == '"') {
                        if (at < text.size() && text[at] == '"') {
                            field += '"';
                            ++at;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field += c;
                }
                if (at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n') {
                    *error = "line " + std::to_string(line) + ": text after a closing quote";
                    return false;
                }
            } else {
                while (at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n')
                    field += text[at++];
            }
            row.fields.push_back(field);
            field.clear();
            if (at < text.size() && text[at] == ',') {
                ++at;
                continue;
            }
            if (at < text.size() && text[at] == '\r')
                ++at;
            if (at < text.size() && text[at] == '\n')
                ++at;
            ++line;
            rowEnded = true;
        }
        const bool blank = row.fields.size() == 1 && row.fields[0].empty();
        if (!blank)
            rows->push_back(row);
    }
    return true;
}
