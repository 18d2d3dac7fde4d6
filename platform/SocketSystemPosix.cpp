#include "platform/SocketSystem.h"

// POSIX sockets need no start-up.
bool StartSocketSystem()
{
    return true;
}

void StopSocketSystem() { }
