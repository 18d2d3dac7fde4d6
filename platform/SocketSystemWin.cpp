#include "platform/SocketSystem.h"

#include <winsock2.h>

bool StartSocketSystem()
{
    // The program asks for version 1.1 and runs only with exactly that.
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0)
        return false;
    if (data.wVersion != MAKEWORD(1, 1)) {
        WSACleanup();
        return false;
    }
    return true;
}

void StopSocketSystem()
{
    WSACleanup();
}
