#include "NxNetControl.h"

#include "NxSchedule.h"
#include "platform/Clock.h"
#include "platform/Ipv4Address.h"

#include <cstring>

namespace {

constexpr int kDatagramCapacity = 1024;
constexpr uint32_t kPollIntervalMs = 200;

// Receive results.
enum : int { kReceiveFailed = 0, kReceiveNoBuffer = 1, kReceiveNothing = 2, kReceiveRead = 3 };

}  // namespace

int32_t RunScheduledReceive(void* engine)
{
    if (engine == nullptr)
        return 0;
    return static_cast<NxNetControl*>(engine)->RunReceiveLoop();
}

NxNetControl::NxNetControl(const EndpointSettings& settings)
    : settings(settings)
{
    gSchedule.Add(RunScheduledReceive, this, 0);
}

NxNetControl::~NxNetControl()
{
    gSchedule.Remove(RunScheduledReceive, this);
}

bool NxNetControl::Open(uint16_t port)
{
    return socket.Open(port);
}

bool NxNetControl::IsOpen() const
{
    return socket.IsOpen();
}

uint16_t NxNetControl::LocalPort() const
{
    return socket.LocalPort();
}

const EndpointSettings& NxNetControl::Settings() const
{
    return settings;
}

int NxNetControl::PendingCount()
{
    RecursiveLockGuard guard(engineLock);
    return static_cast<int>(pending.size());
}

void NxNetControl::Close()
{
    socket.Shutdown();
}

int NxNetControl::Receive(char* buffer, int size)
{
    if (buffer == nullptr)
        return kReceiveNoBuffer;
    switch (socket.WaitReadable(-1)) {
    case UdpSocket::Wait::Failed:
        return kReceiveFailed;
    case UdpSocket::Wait::TimedOut:
        return kReceiveNothing;
    case UdpSocket::Wait::Readable:
        break;
    }
    uint32_t address = 0;
    uint16_t port = 0;
    unsigned interfaceIndex = 0;
    const int length = socket.ReceiveFrom(buffer, size, &address, &port, &interfaceIndex);
    if (length == UdpSocket::kFailed)
        return kReceiveFailed;
    if (length == UdpSocket::kSkipped)
        return kReceiveNothing;
    buffer[length] = '\0';
    lastReply.clear();
    lastReply.Address = address;
    lastReply.Port = port;
    lastReply.ArrivalInterface = interfaceIndex;
    return kReceiveRead;
}

int NxNetControl::RunReceiveLoop()
{
    for (;;) {
        const int received = Receive(receiveBuffer, kDatagramCapacity);
        if (received == kReceiveFailed)
            return 1;
        if (received == kReceiveRead) {
            OnReply(ParseReply(receiveBuffer, &lastReply));
            receiveBuffer[0] = '\0';
        }
    }
}

void NxNetControl::OnReply(int result)
{
    UpdatePending(lastReply.CSeq, result, lastReply);
    const ReplyCallback callback = replyCallback.load();
    if (callback != nullptr && result == kReplyOk)
        callback(&lastReply);
}

uint64_t NxNetControl::AddPending(uint16_t cseq)
{
    const uint64_t deadline = settings.clockMs() + static_cast<uint64_t>(settings.replyTimeoutSeconds) * 1000u;
    RecursiveLockGuard guard(engineLock);
    pending.push_back({cseq, 0, deadline, TerminalParam()});
    return deadline;
}

void NxNetControl::UpdatePending(uint16_t cseq, int status, const TerminalParam& record)
{
    // The first reply that carries a result completes the request; later
    // datagrams with the same CSeq (a second terminal, a repeated reply,
    // something unreadable) neither undo nor replace it.
    if (status == 0)
        return;
    RecursiveLockGuard guard(engineLock);
    for (auto entry = pending.begin(); entry != pending.end(); ++entry) {
        if (static_cast<uint16_t>(entry->CSeq) != cseq)
            continue;
        if (entry->status == 0) {
            PendingRequest completed = *entry;
            completed.status = status;
            completed.reply = record;
            pending.erase(entry);
            pending.push_back(completed);
        }
        break;
    }
}

void NxNetControl::RemovePending(uint16_t cseq)
{
    RecursiveLockGuard guard(engineLock);
    for (auto entry = pending.begin(); entry != pending.end(); ++entry) {
        if (static_cast<uint16_t>(entry->CSeq) == cseq) {
            pending.erase(entry);
            break;
        }
    }
}

int NxNetControl::WaitReply(uint16_t cseq, uint64_t deadline, TerminalParam* reply)
{
    for (;;) {
        const uint64_t now = settings.clockMs();
        int result = 0;
        bool found = false;
        {
            RecursiveLockGuard guard(engineLock);
            for (const PendingRequest& entry : pending) {
                if (static_cast<uint16_t>(entry.CSeq) != cseq)
                    continue;
                found = true;
                // The time-out wins even over a result that is already there.
                result = now > entry.deadline ? kReplyTimeout : entry.status;
                if (result == kReplyOk && reply != nullptr)
                    *reply = entry.reply;
                break;
            }
        }
        // Bounded even if the entry has vanished; and once the receive loop
        // has ended no reply can come, so waiting on is pointless.
        if ((!found && now > deadline) || (result == 0 && socket.IsDown()))
            result = kReplyTimeout;
        if (result != 0) {
            RemovePending(cseq);
            return result;
        }
        SleepMs(kPollIntervalMs);
    }
}

int NxNetControl::SendAndWait(
    DbpRequest message, uint16_t cseq, uint32_t address, bool alsoBroadcast, TerminalParam* reply)
{
    if (!message) {
        RemovePending(cseq);
        return kNotSent;
    }
    // Registered before sending, so that the quickest reply finds its entry.
    const uint64_t deadline = AddPending(cseq);
    const bool sent = SendRequest(message.get(), address);
    if (alsoBroadcast)
        SendRequest(message.get(), settings.broadcastAddress);
    message.reset();
    if (!sent) {
        RemovePending(cseq);
        return kNotSent;
    }
    return WaitReply(cseq, deadline, reply);
}

bool NxNetControl::SendBroadcast(DbpRequest message)
{
    return message && SendRequest(message.get(), settings.broadcastAddress);
}

bool NxNetControl::SendRequest(const char* text, uint32_t address)
{
    if (address != settings.broadcastAddress || !ThroughEveryAdapter())
        return SendText(text, address);
    // The limited broadcast leaves only through the default route's adapter
    // unless an adapter is named; so the same bytes go through each one.
    broadcastInterfaces = ListBroadcastInterfaces();
    bool sent = false;
    for (const NetworkInterface& adapter : broadcastInterfaces)
        if (adapter.linkUp)
            sent = SendText(text, settings.broadcastAddress, adapter.index) || sent;
    return sent;
}

bool NxNetControl::SendText(const char* text, uint32_t address, unsigned interfaceIndex)
{
    const int length = static_cast<int>(std::strlen(text));
    return socket.SendTo(text, length, address, settings.terminalPort, interfaceIndex) == length;
}

bool NxNetControl::ThroughEveryAdapter() const
{
    return settings.everyAdapter && settings.broadcastAddress == 0xFFFFFFFFu;
}

const std::vector<NetworkInterface>& NxNetControl::BroadcastInterfaces() const
{
    return broadcastInterfaces;
}

uint32_t NxNetControl::OneTerminal(const char* ip)
{
    return ip == nullptr ? kIpv4None : Ipv4FromText(ip);
}

uint32_t NxNetControl::Destination(uint32_t address) const
{
    return address == kIpv4None ? settings.broadcastAddress : address;
}

bool NxNetControl::QueryAllTerminals()
{
    const uint16_t cseq = nextCSeq++;
    return SendBroadcast(BuildGetRequest(cseq, 1));
}

bool NxNetControl::SetAllServers(const char* server)
{
    const uint16_t cseq = nextCSeq++;
    return SendBroadcast(BuildServerRequest(server, cseq, 1));
}

bool NxNetControl::UpdateAllTerminals()
{
    const uint16_t cseq = nextCSeq++;
    return SendBroadcast(BuildUpdateAllRequest(cseq, 1));
}

bool NxNetControl::ResetAllTerminals()
{
    const uint16_t cseq = nextCSeq++;
    return SendBroadcast(BuildResetAllRequest(cseq, 1));
}

int NxNetControl::GetTerminal(const char* ip, TerminalParam* reply)
{
    const uint32_t address = OneTerminal(ip);
    if (address == kIpv4None)
        return kNotSent;
    const uint16_t cseq = nextCSeq++;
    return SendAndWait(BuildGetRequest(cseq, 0), cseq, address, false, reply);
}

int NxNetControl::SetTerminal(TerminalParam* param)
{
    if (param == nullptr)
        return kNotSent;
    if (!param->IsBroadcast && param->Address == kIpv4None)
        return kNotSent;
    const uint16_t cseq = nextCSeq++;
    param->CSeq = cseq;
    const uint32_t address = param->IsBroadcast ? settings.broadcastAddress : param->Address;
    return SendAndWait(BuildSetRequest(param), cseq, address, false, nullptr);
}

int NxNetControl::RebootTerminal(TerminalParam* param, uint8_t code)
{
    if (param == nullptr)
        return kNotSent;
    const uint16_t cseq = nextCSeq++;
    param->CSeq = cseq;
    return SendAndWait(BuildRebootRequest(param, code), cseq, Destination(param->Address), true, nullptr);
}

int NxNetControl::SetVolume(const char* ip, int8_t playVol, int8_t captureVol)
{
    const uint32_t address = OneTerminal(ip);
    if (address == kIpv4None)
        return kNotSent;
    const uint16_t cseq = nextCSeq++;
    return SendAndWait(BuildVolumeRequest(cseq, playVol, captureVol), cseq, address, false, nullptr);
}

int NxNetControl::SetToneAndVolume(const char* ip, int8_t treble, int8_t bass, int8_t playVol)
{
    const uint32_t address = OneTerminal(ip);
    if (address == kIpv4None)
        return kNotSent;
    const uint16_t cseq = nextCSeq++;
    return SendAndWait(BuildToneRequest(cseq, treble, bass, playVol), cseq, address, false, nullptr);
}

int NxNetControl::StartSetTerminal(TerminalParam* param)
{
    if (param == nullptr || (!param->IsBroadcast && param->Address == kIpv4None))
        return kNotSent;
    const uint16_t cseq = nextCSeq++;
    param->CSeq = cseq;
    DbpRequest message = BuildSetRequest(param);
    if (!message)
        return kNotSent;
    AddPending(cseq);
    if (!SendRequest(message.get(), param->IsBroadcast ? settings.broadcastAddress : param->Address)) {
        RemovePending(cseq);
        return kNotSent;
    }
    started.insert(cseq);
    return cseq;
}

void NxNetControl::TakeCompleted(std::vector<Completion>* done)
{
    const uint64_t now = settings.clockMs();
    // Once the receive loop has ended no reply can come.
    const bool down = socket.IsDown();
    RecursiveLockGuard guard(engineLock);
    for (auto entry = pending.begin(); entry != pending.end();) {
        const uint16_t cseq = static_cast<uint16_t>(entry->CSeq);
        if (started.count(cseq) == 0) {
            ++entry;
            continue;
        }
        int result = now > entry->deadline ? kReplyTimeout : entry->status;
        if (result == 0 && down)
            result = kReplyTimeout;
        if (result == 0) {
            ++entry;
            continue;
        }
        done->push_back({cseq, result});
        started.erase(cseq);
        entry = pending.erase(entry);
    }
}

void NxNetControl::AbandonRequest(uint16_t cseq)
{
    if (started.erase(cseq) != 0)
        RemovePending(cseq);
}

uint16_t NxNetControl::NextCSeq() const
{
    return nextCSeq;
}

uint16_t NxNetControl::TakeCSeq()
{
    return nextCSeq++;
}

bool NxNetControl::QueryAt(uint32_t address, uint16_t cseq, bool directedBroadcast, bool* noRoom)
{
    const DbpRequest message = BuildGetRequest(cseq, directedBroadcast ? 1 : 0);
    if (!message)
        return false;
    const int length = static_cast<int>(std::strlen(message.get()));
    const int sent = socket.SendTo(message.get(), length, address, settings.terminalPort, 0, false);
    if (noRoom != nullptr)
        *noRoom = sent == UdpSocket::kNoRoom;
    return sent == length;
}
