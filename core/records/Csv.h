// CSV as spreadsheet programs write and read it: comma-separated fields,
// quoted where they hold a comma, a quote, a line break or blanks at either
// end, quotes inside doubled, lines ended by CR LF. Plain C++; any thread.
#pragma once

#include <string>
#include <vector>

// The UTF-8 byte-order mark that makes common spreadsheet programs read a
// file as UTF-8 (and so show Chinese texts correctly).
extern const char kUtf8Bom[];

// One line of fields, CR LF included.
std::string CsvLine(const std::vector<std::string>& fields);

// One parsed line: its fields and the 1-based line number it starts on.
struct CsvRow {
    int line = 0;
    std::vector<std::string> fields;
};

// Splits a whole text (a leading byte-order mark is skipped) into rows;
// blank lines are left out. False, with `error` naming the line, when a
// quoted field is not closed or text follows a closing quote.
bool ParseCsv(const std::string& text, std::vector<CsvRow>* rows, std::string* error);
