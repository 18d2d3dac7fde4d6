#include "platform/NetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

std::vector<NetworkInterface> ListBroadcastInterfaces()
{
    std::vector<NetworkInterface> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return found;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        const unsigned flags = entry->ifa_flags;
        if (!(flags & IFF_UP) || !(flags & IFF_BROADCAST) || (flags & IFF_LOOPBACK))
            continue;
        const unsigned index = if_nametoindex(entry->ifa_name);
        if (index == 0)
            continue;
        bool listed = false;
        for (const NetworkInterface& known : found)
            listed = listed || known.index == index;
        if (listed)
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        // IFF_RUNNING is the carrier: an adapter that is up without it has no link.
        const auto* mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask);
        found.push_back({index, entry->ifa_name, ntohl(address->sin_addr.s_addr), (flags & IFF_RUNNING) != 0,
            mask != nullptr ? ntohl(mask->sin_addr.s_addr) : 0u});
    }
    freeifaddrs(list);
    return found;
}

std::string InterfaceName(unsigned index)
{
    char name[IF_NAMESIZE] = {};
    return if_indextoname(index, name) != nullptr ? std::string(name) : std::string();
}
