#include "SimModels.h"

#include "TerminalSimulator.h"
#include "net/DeviceKindTable.h"

#include <algorithm>
#include <cstring>

const std::vector<SimModel>& simModels()
{
    // Every model code the settings dialog knows, once (two rows of the
    // table share a code), with the row's default server port. The host
    // devices are the kinds without a default port.
    static const std::vector<SimModel> models = [] {
        std::vector<SimModel> list;
        for (const DeviceKindInfo& row : DeviceKindTable) {
            const bool seen = std::any_of(
                list.begin(), list.end(), [&](const SimModel& m) { return std::strcmp(m.type, row.type) == 0; });
            if (!seen)
                list.push_back({row.type, static_cast<uint16_t>(row.defaultPort), row.defaultPort == 0});
        }
        return list;
    }();
    return models;
}

const SimModel* findSimModel(const std::string& type)
{
    for (const SimModel& m : simModels()) {
        if (type == m.type)
            return &m;
    }
    return nullptr;
}

const std::vector<std::string>& simModelCodes()
{
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> c;
        for (const SimModel& m : simModels())
            c.push_back(m.type);
        return c;
    }();
    return codes;
}
