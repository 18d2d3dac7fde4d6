// The nine rules a manually entered address configuration (IP, mask,
// gateway) must meet, and their messages: the settings dialog and the
// commissioning check share them. Plain C++; any thread.
#pragma once

// The rules in the order they run; the first that fails decides.
enum class IpSettingFault {
    None = 0,
    IpInvalid,           // 1: the IP text is not an address
    IpMulticast,         // 2
    MaskInvalid,         // 3
    MaskNotContiguous,   // 4
    IpIsBroadcast,       // 5: the IP is its subnet's broadcast address
    GatewayInvalid,      // 6
    GatewayIsBroadcast,  // 7
    GatewayMulticast,    // 8
    GatewayOtherSubnet,  // 9
};

// The first rule the three texts break, or None.
IpSettingFault findIpSettingFault(const char* ip, const char* mask, const char* gateway);
// The message shown for a broken rule (UTF-8); empty for None.
const char* ipSettingMessage(IpSettingFault fault);
