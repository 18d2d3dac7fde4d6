#include "core/commission/CommissionTexts.h"

#include "core/commission/CommissionResult.h"

#include <map>

namespace {

// A value as the user wrote it, with control characters shown as escapes:
// a NUL would otherwise end the message where it stands.
QString text(const std::string& s)
{
    QString out;
    for (const QChar c : QString::fromStdString(s))
        out += c.unicode() < 0x20 ? QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0')) : QString(c);
    return out;
}

}  // namespace

QString CommissionTexts::problem(const CommissionProblem& p)
{
    QString what;
    switch (p.kind) {
    case ProblemKind::UnclosedQuote:
        what = tr("引号中的字段没有结束");
        break;
    case ProblemKind::TextAfterQuote:
        what = tr("右引号后还有文字");
        break;
    case ProblemKind::BadEncoding:
        what = p.value == "UTF-16" ? tr("文件似乎是没有字节顺序标记的UTF-16，请另存为UTF-8")
            : p.value.empty()      ? tr("文件不是UTF-8编码，请另存为UTF-8")
                                   : tr("文件既不是UTF-8也不是%1编码，请另存为UTF-8").arg(text(p.value));
        break;
    case ProblemKind::NoMacColumn:
        what = tr("表头缺少MAC列");
        break;
    case ProblemKind::UnknownColumn:
        what = tr("未知的列“%1”").arg(text(p.value));
        break;
    case ProblemKind::RepeatedColumn:
        what = tr("列“%1”重复").arg(text(p.value));
        break;
    case ProblemKind::TooManyFields:
        what = tr("字段比表头多");
        break;
    case ProblemKind::NoMac:
        what = tr("缺少MAC地址");
        break;
    case ProblemKind::BadMac:
        what = tr("“%1”不是MAC地址").arg(text(p.value));
        break;
    case ProblemKind::BadNumber:
        what = tr("“%1”不是允许的数值（允许：%2）").arg(text(p.value), text(p.other));
        break;
    case ProblemKind::BadAddress:
        what = tr("“%1”不是IPv4地址").arg(text(p.value));
        break;
    case ProblemKind::AddressRule:
        what = QString::fromUtf8(ipSettingMessage(p.fault));
        break;
    case ProblemKind::AutoIpWithAddress:
        what = tr("自动获取IP时不能指定IP、掩码或网关");
        break;
    case ProblemKind::RepeatedMac:
        what = tr("MAC地址%1已在第%2行出现").arg(text(p.value)).arg(p.otherLine);
        break;
    case ProblemKind::RepeatedId:
        what = tr("ID %1与第%2行相同").arg(text(p.value)).arg(p.otherLine);
        break;
    case ProblemKind::RepeatedIp:
        what = tr("IP地址%1与第%2行相同").arg(text(p.value)).arg(p.otherLine);
        break;
    case ProblemKind::IdInUse:
        what = tr("ID %1已被终端%2使用").arg(text(p.value), text(p.other));
        break;
    case ProblemKind::IpInUse:
        what = tr("IP地址%1已被终端%2使用").arg(text(p.value), text(p.other));
        break;
    case ProblemKind::MacNotFound:
        what = tr("搜索中没有MAC地址为%1的终端").arg(text(p.value));
        break;
    case ProblemKind::MacAmbiguous:
        what = tr("有%1个终端的MAC地址为%2").arg(p.otherLine).arg(text(p.value));
        break;
    }
    if (p.line == 0)
        return what;
    if (p.column.empty())
        return tr("第%1行：%2").arg(p.line).arg(what);
    return tr("第%1行，%2列：%3").arg(p.line).arg(text(p.column), what);
}

QString CommissionTexts::outcome(const TerminalOutcome& o)
{
    // Two outcomes say more than their name: why it was refused, what was
    // not verified.
    switch (o.outcome) {
    case Outcome::Refused:
        return tr("终端拒绝(400)");
    case Outcome::NotVerified:
        return tr("已应答但未验证：%1").arg(o.unmet.empty() ? tr("搜索中没有找到") : unmet(o.unmet));
    default:
        return outcomeName(o.outcome);
    }
}

QString CommissionTexts::unmet(const std::vector<PlannedChange>& unmet)
{
    QStringList out;
    for (const PlannedChange& change : unmet)
        out << tr("%1为%2（表格为%3）").arg(text(change.column), text(change.current), text(change.wanted));
    return out.join(tr("；"));
}

QString CommissionTexts::ignoredColumns(const CommissionSheet& sheet)
{
    QStringList names;
    for (const std::string& name : sheet.ignored)
        names << text(name);
    return names.isEmpty() ? QString() : tr("已忽略不能设置的列：%1").arg(names.join(", "));
}

QString CommissionTexts::summary(const std::vector<TerminalOutcome>& outcomes)
{
    std::map<Outcome, int> counts;
    for (const TerminalOutcome& o : outcomes)
        ++counts[o.outcome];
    QStringList parts;
    for (const auto& count : counts)
        parts << tr("%1 %2").arg(count.second).arg(outcomeName(count.first));
    return tr("%1个终端：%2").arg(outcomes.size()).arg(parts.join(tr("，")));
}

QString CommissionTexts::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pending:
        return tr("等待中");
    case Outcome::AlreadySet:
        return tr("已是表格中的设置");
    case Outcome::Verified:
        return tr("已设置并验证");
    case Outcome::Refused:
        return tr("被拒绝");
    case Outcome::NoAnswer:
        return tr("无应答");
    case Outcome::NotVerified:
        return tr("未验证");
    case Outcome::NotSent:
        return tr("未发送");
    }
    return QString();
}

QString CommissionTexts::changes(const PlanEntry& entry)
{
    QStringList changes;
    for (const PlannedChange& change : entry.changes) {
        // A value the terminal already has is no change to show.
        if (change.current == change.wanted)
            continue;
        changes << QString("%1 %2 → %3")
                       .arg(QString::fromStdString(change.column), QString::fromStdString(change.current),
                           QString::fromStdString(change.wanted));
    }
    return changes.join(", ");
}
