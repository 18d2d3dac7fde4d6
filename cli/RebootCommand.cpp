#include "cli/CliCommands.h"

int CliCommands::reboot(NxNetControl* engine, const QString& ip)
{
    const QByteArray address = ip.toUtf8();
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
    result = engine->RebootTerminal(&terminal, 0);
    if (result == kNotSent) {
        printError(tr("无法向%1发送请求").arg(ip));
        return kExitNetwork;
    }
    if (result != kReplyOk) {
        printError(result == kReplyRefused ? tr("%1拒绝了重启").arg(ip) : tr("%1没有应答").arg(ip));
        return kExitIncomplete;
    }
    return kExitOk;
}
