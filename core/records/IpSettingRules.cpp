#include "core/records/IpSettingRules.h"

#include "platform/Ipv4Address.h"

#include <cstdint>

namespace {

// Converts as the system's address conversion does; its rejection marker is
// also the value of 255.255.255.255, which therefore never counts.
bool toAddress(const char* text, uint32_t* address)
{
    *address = Ipv4FromText(text);
    return *address != kIpv4None;
}

bool isMulticast(uint32_t address)
{
    return (address & 0xF0000000u) == 0xE0000000u;
}

}  // namespace

IpSettingFault findIpSettingFault(const char* ip, const char* mask, const char* gateway)
{
    uint32_t i = 0;
    uint32_t m = 0;
    uint32_t g = 0;
    if (!toAddress(ip, &i))
        return IpSettingFault::IpInvalid;
    if (isMulticast(i))
        return IpSettingFault::IpMulticast;
    if (!toAddress(mask, &m))
        return IpSettingFault::MaskInvalid;
    const uint32_t hostBits = ~m;
    if ((hostBits & (hostBits + 1u)) != 0)
        return IpSettingFault::MaskNotContiguous;
    if (i == ((i & m) + hostBits))
        return IpSettingFault::IpIsBroadcast;
    if (!toAddress(gateway, &g))
        return IpSettingFault::GatewayInvalid;
    if (g == ((g & m) + hostBits))
        return IpSettingFault::GatewayIsBroadcast;
    if (isMulticast(g))
        return IpSettingFault::GatewayMulticast;
    if ((g & m) != (i & m))
        return IpSettingFault::GatewayOtherSubnet;
    return IpSettingFault::None;
}

const char* ipSettingMessage(IpSettingFault fault)
{
    switch (fault) {
    case IpSettingFault::None:
        return "";
    case IpSettingFault::IpInvalid:
        return "IP地址格式无效";
    case IpSettingFault::IpMulticast:
        return "IP地址是组播地址!";
    case IpSettingFault::MaskInvalid:
        return "子网掩码无效!";
    case IpSettingFault::MaskNotContiguous:
        return "子网掩码格式不正确!";
    case IpSettingFault::IpIsBroadcast:
        return "IP地址属于该子网的广播地址!";
    case IpSettingFault::GatewayInvalid:
        return "网关地址无效!";
    case IpSettingFault::GatewayIsBroadcast:
        return "网关地址属于该子网的广播地址!";
    case IpSettingFault::GatewayMulticast:
        return "网关地址是组播地址!";
    case IpSettingFault::GatewayOtherSubnet:
        return "IP地址和网关地址不属于同一个子网!";
    }
    return "";
}
