// engine-netns-probe: runs the engine with its real defaults (port 59137,
// broadcast 255.255.255.255, 5 s time-out) for the namespace test, which
// starts it inside the engine's namespace and reads its report lines:
//   open <0|1> / found <n> / replyport <port> / get <result> <IP> <address>
//   set <result> / silent <result> <ms> / stopped <ms>
#include "net/QueryThread.h"
#include "platform/SocketLayer.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

namespace {

std::mutex mutex;
std::set<uint32_t> found;
uint16_t replyPort = 0;

void collect(TerminalParam* record)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (record->CSeq == 1) {
        found.insert(record->Address);
        replyPort = record->Port;
    }
}

const char* option(int argc, char** argv, const char* name, const char* fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return argv[i + 1];
    return fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* getAddress = option(argc, argv, "--get", "");
    const char* silentAddress = option(argc, argv, "--silent", "");
    const size_t expected = size_t(std::atoi(option(argc, argv, "--expect", "1")));

    if (!SocketLayerStartup())
        return 1;
    QueryThread thread;
    NxNetControl* engine = thread.engine();
    std::printf("open %d\n", engine->IsOpen() ? 1 : 0);
    engine->replyCallback = collect;
    thread.start();

    engine->QueryAllTerminals();
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (found.size() >= expected || clock.elapsed() > 5000) {
                std::printf("found %zu\nreplyport %u\n", found.size(), replyPort);
                break;
            }
        }
        QThread::msleep(20);
    }

    TerminalParam record;
    const int got = engine->GetTerminal(getAddress, &record);
    const uint32_t a = record.Address;
    std::printf("get %d %s %u.%u.%u.%u\n", got, record.IP[0] ? record.IP : "-", a >> 24, (a >> 16) & 255, (a >> 8) & 255,
                a & 255);

    record.NewID = record.ID;
    std::memcpy(record.OldMAC, record.MAC, sizeof record.MAC);
    record.IsBroadcast = 1;
    std::printf("set %d\n", engine->SetTerminal(&record));

    clock.restart();
    const int silent = engine->GetTerminal(silentAddress);
    std::printf("silent %d %lld\n", silent, static_cast<long long>(clock.elapsed()));

    clock.restart();
    SocketLayerShutdown();
    thread.wait();
    std::printf("stopped %lld\n", static_cast<long long>(clock.elapsed()));
    return 0;
}
