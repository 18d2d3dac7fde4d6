#include "platform/NetworkInterfaces.h"

// winsock2.h must come before the IP helper's header.
#include <winsock2.h>
#include <iphlpapi.h>

#include <memory>

namespace {

// The IPv4 adapter list; empty when the system cannot give it.
std::unique_ptr<char[]> adapterList(IP_ADAPTER_ADDRESSES** first)
{
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    // The list may grow between the size query and the call: try again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::unique_ptr<char[]> buffer(new char[size]);
        auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get());
        const ULONG result = GetAdaptersAddresses(AF_INET, flags, nullptr, list, &size);
        if (result == ERROR_SUCCESS) {
            *first = list;
            return buffer;
        }
        if (result != ERROR_BUFFER_OVERFLOW)
            break;
    }
    *first = nullptr;
    return nullptr;
}

std::string utf8(const wchar_t* text)
{
    if (text == nullptr)
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

// The first IPv4 address and its netmask (from the on-link prefix length).
uint32_t firstIpv4(const IP_ADAPTER_ADDRESSES* adapter, uint32_t* netmask)
{
    for (const IP_ADAPTER_UNICAST_ADDRESS* a = adapter->FirstUnicastAddress; a != nullptr; a = a->Next) {
        if (a->Address.lpSockaddr != nullptr && a->Address.lpSockaddr->sa_family == AF_INET) {
            const unsigned prefix = a->OnLinkPrefixLength;
            *netmask = prefix == 0 || prefix > 32 ? 0 : ~uint32_t(0) << (32 - prefix);
            return ntohl(reinterpret_cast<const sockaddr_in*>(a->Address.lpSockaddr)->sin_addr.s_addr);
        }
    }
    return 0;
}

}  // namespace

std::vector<NetworkInterface> ListBroadcastInterfaces()
{
    std::vector<NetworkInterface> found;
    IP_ADAPTER_ADDRESSES* first = nullptr;
    const std::unique_ptr<char[]> buffer = adapterList(&first);
    for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        // Point-to-point and tunnel adapters have no broadcast to speak of.
        const IFTYPE type = adapter->IfType;
        if (type == IF_TYPE_SOFTWARE_LOOPBACK || type == IF_TYPE_PPP || type == IF_TYPE_TUNNEL)
            continue;
        uint32_t netmask = 0;
        const uint32_t address = firstIpv4(adapter, &netmask);
        if (adapter->IfIndex == 0 || address == 0)
            continue;
        // A disabled adapter is not listed at all; one that is listed but
        // not up has its cable out (or no network to join).
        const bool linkUp = adapter->OperStatus == IfOperStatusUp;
        found.push_back({static_cast<unsigned>(adapter->IfIndex), utf8(adapter->FriendlyName), address, linkUp, netmask});
    }
    return found;
}

std::string InterfaceName(unsigned index)
{
    IP_ADAPTER_ADDRESSES* first = nullptr;
    const std::unique_ptr<char[]> buffer = adapterList(&first);
    for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        if (index != 0 && adapter->IfIndex == index)
            return utf8(adapter->FriendlyName);
    }
    return std::string();
}
