#include "cli/CliCommands.h"

#include "platform/Ipv4Address.h"
#include "platform/NetworkInterfaces.h"

namespace {

// A broadcast would reboot whichever terminal answers first, so the address
// must not be one: not the configured broadcast address, nor the broadcast
// or network address of any adapter's subnet.
bool isBroadcastOrNetwork(uint32_t address, uint32_t configuredBroadcast)
{
    if (address == 0xFFFFFFFFu || address == configuredBroadcast)
        return true;
    for (const NetworkInterface& adapter : ListBroadcastInterfaces()) {
        const uint32_t mask = adapter.netmask;
        // A /31 or /32 has no broadcast or network address of its own.
        if (mask == 0 || (~mask) < 3u || (adapter.address & mask) != (address & mask))
            continue;
        if (address == (adapter.address | ~mask) || address == (adapter.address & mask))
            return true;
    }
    return false;
}

QString dotted(uint32_t address)
{
    return QString("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

QString describe(const TerminalParam& t)
{
    return CliCommands::tr("ID %1，型号 %2，MAC %3，IP %4")
        .arg(static_cast<uint32_t>(t.ID))
        .arg(QString::fromUtf8(t.Type), QString::fromUtf8(t.MAC), QString::fromUtf8(t.IP));
}

}  // namespace

int CliCommands::reboot(NxNetControl* engine, const QString& ip)
{
    const QByteArray address = ip.toUtf8();
    const uint32_t asked = Ipv4FromText(address.constData());
    if (isBroadcastOrNetwork(asked, engine->Settings().broadcastAddress)) {
        printError(tr("%1是广播地址或网络地址，不能指定一个终端").arg(ip));
        return kExitUsage;
    }
    TerminalParam terminal;
    // The reboot names the terminal by ID, model and MAC: read them first.
    int result = engine->GetTerminal(address.constData(), &terminal);
    if (result == kNotSent) {
        printError(tr("无法向%1发送请求").arg(ip));
        return kExitNetwork;
    }
    if (result != kReplyOk) {
        printError(tr("%1没有应答").arg(ip));
        return kExitIncomplete;
    }
    // The engine matches a reply by its CSeq alone; a terminal at another
    // address is not the one asked for.
    if (terminal.Address != asked) {
        printError(tr("应答来自%1而不是%2，没有重启任何终端").arg(dotted(terminal.Address), ip));
        return kExitIncomplete;
    }
    result = engine->RebootTerminal(&terminal, 0);
    if (result == kNotSent) {
        printError(tr("无法向%1发送请求").arg(ip));
        return kExitNetwork;
    }
    if (result != kReplyOk) {
        printError(result == kReplyRefused ? tr("%1拒绝了重启").arg(ip) : tr("%1没有应答").arg(ip));
        return kExitIncomplete;
    }
    printOut(tr("已重启：%1").arg(describe(terminal)) + '\n');
    return kExitOk;
}
