#include "platform/SocketLayer.h"

#include "platform/SocketRegistry.h"
#include "platform/SocketSystem.h"
#include "platform/UdpSocket.h"

#include <mutex>
#include <unordered_set>

namespace {

struct Registry {
    std::mutex mutex;
    int starts = 0;
    std::unordered_set<UdpSocket*> sockets;
};

Registry& registry()
{
    static Registry* instance = new Registry;  // lives as long as any socket may
    return *instance;
}

}  // namespace

bool SocketLayerStartup()
{
    if (!StartSocketSystem())
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    ++r.starts;
    return true;
}

bool SocketLayerShutdown()
{
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    if (r.starts == 0)
        return false;
    if (--r.starts == 0) {
        for (UdpSocket* socket : r.sockets)
            socket->Shutdown();
        r.sockets.clear();
    }
    StopSocketSystem();
    return true;
}

bool SocketLayerIsUp()
{
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    return r.starts > 0;
}

bool RegisterSocket(UdpSocket* socket)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    if (r.starts == 0)
        return false;
    r.sockets.insert(socket);
    return true;
}

void UnregisterSocket(UdpSocket* socket)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    r.sockets.erase(socket);
}
