#include "ui/main/SearchStatus.h"

#include <QStringList>

namespace {

QString dotted(uint32_t address)
{
    return QString("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

}  // namespace

void SearchStatus::begin()
{
    *this = SearchStatus();
}

void SearchStatus::sent(
    bool sent, bool throughEveryAdapter, const std::vector<NetworkInterface>& searched, uint32_t fixedDestination)
{
    anySent = anySent || sent;
    everyAdapter = throughEveryAdapter;
    destination = fixedDestination;
    for (const NetworkInterface& adapter : searched) {
        Adapter& entry = adapters[adapter.index];
        entry.label = QString("%1 (%2)").arg(QString::fromStdString(adapter.name), dotted(adapter.address));
    }
}

void SearchStatus::answered(uint32_t arrivalInterface)
{
    ++total;
    if (!everyAdapter)
        return;
    Adapter& entry = adapters[arrivalInterface];
    if (entry.label.isEmpty())
        entry.label = adapterText(arrivalInterface);
    ++entry.answered;
}

void SearchStatus::finish()
{
    finished = true;
}

QString SearchStatus::adapterText(uint32_t arrivalInterface) const
{
    const auto known = adapters.constFind(arrivalInterface);
    if (known != adapters.constEnd() && !known->label.isEmpty())
        return known->label;
    return arrivalInterface == 0 ? QString() : QString::fromStdString(InterfaceName(arrivalInterface));
}

QString SearchStatus::rowToolTip(uint32_t arrivalInterface) const
{
    const QString adapter = adapterText(arrivalInterface);
    return adapter.isEmpty() ? QString() : tr("应答网卡：%1").arg(adapter);
}

QString SearchStatus::adapterList() const
{
    QStringList labels;
    for (const Adapter& adapter : adapters)
        labels << (adapter.label.isEmpty() ? tr("未知网卡") : adapter.label);
    return labels.join(tr("、"));
}

QString SearchStatus::text() const
{
    if (!everyAdapter) {
        if (total > 0)
            return tr("已向 %1 搜索：%2 个设备应答").arg(dotted(destination)).arg(total);
        if (finished)
            return tr("没有设备应答（已向 %1 搜索）").arg(dotted(destination));
        return tr("正在向 %1 搜索…").arg(dotted(destination));
    }
    if (adapters.isEmpty())
        return tr("没有可用的网卡：没有已启用、可广播的 IPv4 网卡，搜索未能发出");
    if (total > 0) {
        QStringList counts;
        for (const Adapter& adapter : adapters)
            counts << tr("%1：%2 个设备")
                          .arg(adapter.label.isEmpty() ? tr("未知网卡") : adapter.label)
                          .arg(adapter.answered);
        return tr("已搜索网卡 %1").arg(counts.join(tr("；")));
    }
    if (!anySent)
        return tr("搜索未能通过网卡 %1 发出").arg(adapterList());
    if (finished)
        return tr("没有设备应答。已搜索的网卡：%1").arg(adapterList());
    return tr("正在通过网卡 %1 搜索…").arg(adapterList());
}
