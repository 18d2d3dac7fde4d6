#include "net/DeviceKindTable.h"

#include <cstring>

// Rows 3 and 4 share their model code (row 4 is a variant with its own
// display name), so a lookup by type always yields kind 19 for it. The
// terminal simulator's fleets draw their model codes from this table.
const DeviceKindInfo DeviceKindTable[kDeviceKindCount] = {
    {0, "NA-100", "NA-100", 7900, 0},
    {1, "NA-110", "NA-110", 7900, 0},
    {2, "NA-120", "NA-120", 7900, 0},
    {19, "NA-150", "NA-150", 7900, 0},
    {18, "NA-150", "NA-150W", 7900, 0},
    {11, "NA-300", "NA-300", 7900, 0},
    {3, "NA-210", "NA-210", 7901, 1},
    {4, "NA-200", "NA-200", 7901, 1},
    {5, "NA-220", "NA-220", 7901, 1},
    {20, "MS-10", "MS-10", 8901, 1},
    {21, "NA-230", "NA-230", 7901, 1},
    {6, "NA-240", "NA-240", 7901, 1},
    {10, "MS-20", "MS-20", 8901, 1},
    {12, "NA-250", "NA-250", 7906, 1},
    {24, "MS-30", "MS-30", 8901, 1},
    {25, "MS-40", "MS-40", 8901, 1},
    {23, "MS-50", "MS-50", 8901, 1},
    {7, "PA-10", "PA-10", 7902, 7},
    {8, "AM-10", "AM-10", 7905, 8},
    {9, "FA-10", "FA-10", 7904, 3},
    {14, "SP-10", "SP-10", 6900, 5},
    {13, "PG-10", "PG-10", 7906, 2},
    {22, "TM-10", "TM-10", 7907, 4},
    {15, "HS-1", "HS-1", 0, 6},
    {16, "HS-2", "HS-2", 0, 6},
    {17, "HS-3", "HS-3", 0, 6},
    {29, "HS-5", "HS-5", 0, 10},
    {26, "GW-1", "GW-1", 52900, 9},
    {27, "GW-2", "GW-2", 52900, 9},
    {28, "GW-3", "GW-3", 52900, 9},
    {30, "RC-1", "RC-1", 7904, 11},
};

int32_t findKindByType(const char* type)
{
    if (type == nullptr)
        return -1;
    for (const DeviceKindInfo& row : DeviceKindTable) {
        if (std::strcmp(row.type, type) == 0)
            return row.kind;
    }
    return -1;
}

const DeviceKindInfo* findKindInfo(int32_t kind)
{
    for (const DeviceKindInfo& row : DeviceKindTable) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

int32_t defaultServerPort(int32_t kind)
{
    const DeviceKindInfo* info = findKindInfo(kind);
    return info != nullptr ? info->defaultPort : kFallbackServerPort;
}
