#include "core/records/TerminalColumns.h"

#include "core/records/Csv.h"

#include <cstring>

namespace {

// Record texts are fixed arrays; stop at the array's end even if a
// terminator is missing.
template <size_t N> std::string text(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

}  // namespace

const std::vector<TerminalColumn>& terminalColumns()
{
    static const std::vector<TerminalColumn> columns = {
        {"Type", [](const TerminalParam& r) { return text(r.Type); }, false},
        {"Name", [](const TerminalParam& r) { return text(r.Name); }, false},
        {"ID", [](const TerminalParam& r) { return std::to_string(static_cast<uint32_t>(r.ID)); }, true},
        {"Mode", [](const TerminalParam& r) { return text(r.Mode); }, false},
        {"Ver", [](const TerminalParam& r) { return text(r.Ver); }, false},
        {"IP", [](const TerminalParam& r) { return text(r.IP); }, false},
        {"Mask", [](const TerminalParam& r) { return text(r.Mask); }, false},
        {"Gateway", [](const TerminalParam& r) { return text(r.Gateway); }, false},
        {"Server", [](const TerminalParam& r) { return text(r.Server); }, false},
        {"ServerPort", [](const TerminalParam& r) { return std::to_string(r.ServerPort); }, true},
        {"Server2", [](const TerminalParam& r) { return text(r.Server2); }, false},
        {"Server2Port", [](const TerminalParam& r) { return std::to_string(r.Server2Port); }, true},
        {"MAC", [](const TerminalParam& r) { return text(r.MAC); }, false},
        {"Speed", [](const TerminalParam& r) { return std::to_string(r.Speed); }, true},
        {"AutoIP", [](const TerminalParam& r) { return std::to_string(r.AutoIP); }, true},
        {"UseDNS", [](const TerminalParam& r) { return std::to_string(r.UseDNS); }, true},
        {"DNS1", [](const TerminalParam& r) { return text(r.DNS1); }, false},
        {"DNS2", [](const TerminalParam& r) { return text(r.DNS2); }, false},
        {"Website", [](const TerminalParam& r) { return text(r.Website); }, false},
        {"PlayVol", [](const TerminalParam& r) { return std::to_string(r.PlayVol); }, true},
        {"CaptureVol", [](const TerminalParam& r) { return std::to_string(r.CaptureVol); }, true},
        {"Treble", [](const TerminalParam& r) { return std::to_string(r.Treble); }, true},
        {"Bass", [](const TerminalParam& r) { return std::to_string(r.Bass); }, true},
        {"SvcConfig", [](const TerminalParam& r) { return text(r.SvcConfig); }, false},
    };
    return columns;
}

std::vector<std::string> terminalCsvFields(const TerminalParam& record)
{
    std::vector<std::string> fields;
    for (const TerminalColumn& column : terminalColumns())
        fields.push_back(column.numeric ? column.text(record) : spreadsheetText(column.text(record)));
    return fields;
}

const TerminalColumn* findTerminalColumn(const std::string& name)
{
    for (const TerminalColumn& column : terminalColumns()) {
        if (name == column.name)
            return &column;
    }
    return nullptr;
}
