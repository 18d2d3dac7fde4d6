// DeviceKindTable: the fixed table of terminal models, with each model's
// kind code and default server port. Plain constant data about terminals,
// shared by the settings dialog and the simulator; any thread.
#pragma once

#include <cstdint>

struct DeviceKindInfo {
    int32_t kind;         // device kind code, 0 to 30, each once
    char type[128];       // model code as the terminal reports it in "Type"
    char name[128];       // display name
    int32_t defaultPort;  // server port used unless the user sets one
    int32_t category;     // group number; not used by the dialog
};

constexpr int kDeviceKindCount = 31;
extern const DeviceKindInfo DeviceKindTable[kDeviceKindCount];

// Port for a terminal whose model is not in the table.
constexpr int32_t kFallbackServerPort = 7900;

// Kind of the first row whose type equals `type` byte for byte; -1 for none
// (or a null pointer).
int32_t findKindByType(const char* type);
// First row with that kind, or null.
const DeviceKindInfo* findKindInfo(int32_t kind);
// The server port a terminal of `kind` uses unless the user sets another.
int32_t defaultServerPort(int32_t kind);
