// CSV as spreadsheet programs write and read it: separated fields, quoted
// where they hold the separator, a quote, a line break or blanks at either
// end, quotes inside doubled, lines ended by CR LF; and text made safe from
// being taken for a formula. Plain C++; any thread.
#pragma once

#include <string>
#include <vector>

// The UTF-8 byte-order mark that makes common spreadsheet programs read a
// file as UTF-8 (and so show Chinese texts correctly).
extern const char kUtf8Bom[];

// One line of fields, CR LF included.
std::string CsvLine(const std::vector<std::string>& fields);

// A text that a spreadsheet would take for a formula (it starts with "=",
// "+", "-", "@", TAB or CR) with a leading apostrophe, so it shows as
// written; any other text as it is. Only for texts: a negative number the
// tool writes itself must stay a number.
std::string spreadsheetText(const std::string& text);
// The text spreadsheetText() was given.
std::string plainText(const std::string& field);

// One parsed line: its fields and the 1-based line number it starts on.
struct CsvRow {
    int line = 0;
    std::vector<std::string> fields;
};

struct CsvError {
    enum Kind { None, UnclosedQuote, TextAfterQuote };
    Kind kind = None;
    int line = 0;
};

// Splits a whole text (a leading byte-order mark is skipped) into rows;
// lines that are empty or hold only blanks and separators are left out.
// The separator is the one a first line "sep=X" names (that line is no
// row), otherwise whichever of comma, semicolon and TAB the first line
// holds most outside quotes (comma when none). False, with `error` naming
// the line, when a quoted field is not closed or text follows a closing
// quote.
bool ParseCsv(const std::string& text, std::vector<CsvRow>* rows, CsvError* error);
