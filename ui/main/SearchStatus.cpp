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

void SearchStatus::update(const TerminalSearch& search)
{
    Facts now;
    now.adapters = search.adapters();
    now.terminals = search.terminalCount();
    now.anySent = search.anySent();
    now.settled = search.settled();
    now.everyAdapter = search.throughEveryAdapter();
    now.destination = search.destination();
    const std::vector<SearchRange> ranges = search.ranges();
    const std::vector<int> found = search.foundPerRange();
    for (size_t i = 0; i < ranges.size(); ++i)
        now.ranges << tr("范围 %1：%2 个设备").arg(QString::fromStdString(ranges[i].text())).arg(found[i]);
    if (search.sweepTotal() > 0 && search.sweepPassed() < search.sweepTotal())
        now.ranges << tr("范围扫描 %1/%2").arg(search.sweepPassed()).arg(search.sweepTotal());
    if (search.subnetSweepTotal() > 0 && search.subnetSweepPassed() < search.subnetSweepTotal())
        now.ranges << tr("子网扫描 %1/%2").arg(search.subnetSweepPassed()).arg(search.subnetSweepTotal());
    now.lastGetFound = search.lastGetFound();
    update(now);
}

void SearchStatus::update(const Facts& now)
{
    facts = now;
    adapters.clear();
    for (const TerminalSearch::Adapter& entry : facts.adapters) {
        const NetworkInterface& adapter = entry.adapter;
        const QString name = QString::fromStdString(adapter.name);
        adapters[adapter.index] = Adapter{
            adapter.address != 0 ? QString("%1 (%2)").arg(name, dotted(adapter.address)) : name, adapter.linkUp,
            entry.terminals};
    }
}

QString SearchStatus::adapterText(uint32_t arrivalInterface) const
{
    const auto known = adapters.constFind(arrivalInterface);
    if (known != adapters.constEnd() && !known->label.isEmpty())
        return known->label;
    return arrivalInterface == 0 ? QString() : QString::fromStdString(TerminalSearch::interfaceName(arrivalInterface));
}

QString SearchStatus::rowToolTip(uint32_t arrivalInterface) const
{
    const QString adapter = adapterText(arrivalInterface);
    return adapter.isEmpty() ? QString() : tr("应答网卡：%1").arg(adapter);
}

QString SearchStatus::adapterCount(const Adapter& adapter) const
{
    const QString label = adapter.label.isEmpty() ? tr("未知网卡") : adapter.label;
    if (!adapter.linkUp)
        return tr("%1：未连接").arg(label);
    return tr("%1：%2 个设备").arg(label).arg(adapter.answered);
}

QString SearchStatus::adapterList() const
{
    QStringList labels;
    for (const Adapter& adapter : adapters) {
        const QString label = adapter.label.isEmpty() ? tr("未知网卡") : adapter.label;
        labels << (adapter.linkUp ? label : tr("%1：未连接").arg(label));
    }
    return labels.join(tr("、"));
}

QString SearchStatus::text() const
{
    // The warning comes first: eliding the end never hides it.
    const QString warning = facts.lastGetFound > 0
        ? tr("列表可能不完整：最后一次搜索又找到 %1 个设备。").arg(facts.lastGetFound)
        : QString();
    return warning + (facts.ranges.isEmpty() ? linkText() : linkText() + tr("；") + facts.ranges.join(tr("；")));
}

QString SearchStatus::linkText() const
{
    if (!facts.everyAdapter) {
        if (facts.terminals > 0)
            return tr("已向 %1 搜索：%2 个设备应答").arg(dotted(facts.destination)).arg(facts.terminals);
        if (facts.settled)
            return tr("没有设备应答（已向 %1 搜索）").arg(dotted(facts.destination));
        return tr("正在向 %1 搜索…").arg(dotted(facts.destination));
    }
    if (adapters.isEmpty())
        return tr("没有可用的网卡：没有已启用、可广播的 IPv4 网卡，搜索未能发出");
    if (facts.terminals > 0) {
        QStringList counts;
        for (const Adapter& adapter : adapters)
            counts << adapterCount(adapter);
        return tr("已搜索网卡 %1").arg(counts.join(tr("；")));
    }
    if (!facts.anySent)
        return tr("搜索未能通过网卡 %1 发出").arg(adapterList());
    if (facts.settled)
        return tr("没有设备应答。已搜索的网卡：%1").arg(adapterList());
    return tr("正在通过网卡 %1 搜索…").arg(adapterList());
}
