#include "core/commission/SheetExport.h"

#include "core/commission/CommissionSheet.h"
#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"

std::string commissionSheetCsv(const std::vector<TerminalParam>& terminals)
{
    std::string text = kUtf8Bom + CsvLine(sheetColumns());
    for (const TerminalParam& t : terminals) {
        std::vector<std::string> fields;
        for (const std::string& name : sheetColumns()) {
            const TerminalColumn* column = findTerminalColumn(name);
            // No ID is no value a sheet can give; left empty, the terminal keeps it.
            if (name == "ID" && t.ID == 0)
                fields.emplace_back();
            else
                fields.push_back(column->numeric ? column->text(t) : spreadsheetText(column->text(t)));
        }
        text += CsvLine(fields);
    }
    return text;
}
