// The model codes and state texts the simulated terminals report; the codes
// are those of the settings dialog's device kind table, so a simulated fleet
// opens every kind of settings dialog. Constant data; safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SimModel {
    const char* type;     // model code as reported in "Type:"
    uint16_t serverPort;  // server port a generated terminal of this model uses
    bool hostDevice;      // hosts report a service configuration
};

const std::vector<SimModel>& simModels();
// The model of a code, or null when the code is not in the list.
const SimModel* findSimModel(const std::string& type);

// "Mode:" texts: running normally, and waiting for a firmware upgrade.
constexpr const char* kSimModeNormal = "Normal";
constexpr const char* kSimModeUpgrade = "Upgrade";
