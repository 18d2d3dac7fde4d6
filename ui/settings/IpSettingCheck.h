// The check of a manually entered address configuration (IP, mask, gateway)
// before the settings dialog accepts it. User-interface thread.
#pragma once

#include "core/records/IpSettingRules.h"

// True when every rule holds; otherwise shows the first broken rule's
// message in the plain address-error box and returns false.
bool checkIpSetting(const char* ip, const char* mask, const char* gateway);
