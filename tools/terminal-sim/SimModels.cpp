#include "SimModels.h"

#include "TerminalSimulator.h"

const std::vector<SimModel>& simModels()
{
    static const std::vector<SimModel> models = {
        {"NA-100", 7900, false},  // playback terminal
        {"NA-200", 7901, false},  // playback terminal with talkback
        {"MS-10", 8901, false},   // microphone station
        {"HS-1", 0, true},        // host server
    };
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
