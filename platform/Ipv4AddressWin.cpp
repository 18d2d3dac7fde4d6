#include "platform/Ipv4Address.h"

#include <winsock2.h>

uint32_t Ipv4FromText(const char* text)
{
    if (text == nullptr)
        return kIpv4None;
    return ntohl(inet_addr(text));
}
