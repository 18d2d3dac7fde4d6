#include "core/records/Csv.h"

#include <algorithm>

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

bool startsFormula(const std::string& text)
{
    return !text.empty() && std::string("=+-@\t\r").find(text.front()) != std::string::npos;
}

bool isBlank(const std::string& field)
{
    return field.find_first_not_of(" \t") == std::string::npos;
}

// The separator and where the first row starts.
char findSeparator(const std::string& text, size_t* at)
{
    const size_t end = text.find_first_of("\r\n", *at);
    const std::string first = text.substr(*at, end == std::string::npos ? std::string::npos : end - *at);
    if (first.size() == 5 && first.compare(0, 4, "sep=") == 0) {
        *at = end == std::string::npos ? text.size() : end;
        if (*at < text.size() && text[*at] == '\r')
            ++*at;
        if (*at < text.size() && text[*at] == '\n')
            ++*at;
        return first[4];
    }
    int counts[3] = {};
    const char candidates[] = {',', ';', '\t'};
    bool quoted = false;
    for (char c : first) {
        quoted = c == '"' ? !quoted : quoted;
        for (int i = 0; i < 3 && !quoted; ++i)
            counts[i] += c == candidates[i];
    }
    return candidates[std::max_element(counts, counts + 3) - counts];
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

std::string spreadsheetText(const std::string& text)
{
    return startsFormula(text) ? "'" + text : text;
}

std::string plainText(const std::string& field)
{
    return field.size() > 1 && field.front() == '\'' && startsFormula(field.substr(1)) ? field.substr(1) : field;
}

bool ParseCsv(const std::string& text, std::vector<CsvRow>* rows, CsvError* error)
{
    rows->clear();
    size_t at = text.compare(0, 3, kUtf8Bom) == 0 ? 3 : 0;
    const size_t start = at;
    const char separator = findSeparator(text, &at);
    int line = at > start ? 2 : 1;
    const auto fieldEnds
        = [&](size_t i) { return i >= text.size() || text[i] == separator || text[i] == '\r' || text[i] == '\n'; };
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
                        *error = {CsvError::UnclosedQuote, opened};
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
                if (!fieldEnds(at)) {
                    *error = {CsvError::TextAfterQuote, line};
                    return false;
                }
            } else {
                while (!fieldEnds(at))
                    field += text[at++];
            }
            row.fields.push_back(field);
            field.clear();
            if (at < text.size() && text[at] == separator) {
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
        if (!std::all_of(row.fields.begin(), row.fields.end(), isBlank))
            rows->push_back(row);
    }
    return true;
}
