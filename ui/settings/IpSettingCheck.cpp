#include "ui/settings/IpSettingCheck.h"

#include "ui/settings/PlainMessageBox.h"

#include <QString>

bool checkIpSetting(const char* ip, const char* mask, const char* gateway)
{
    const IpSettingFault fault = findIpSettingFault(ip, mask, gateway);
    if (fault == IpSettingFault::None)
        return true;
    showPlainMessageBox(QString::fromUtf8("设置IP地址失败"), QString::fromUtf8(ipSettingMessage(fault)));
    return false;
}
