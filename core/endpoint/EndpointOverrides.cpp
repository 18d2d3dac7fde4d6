#include "core/endpoint/EndpointOverrides.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

// Four decimal numbers 0 to 255, nothing else; host byte order.
bool parseDottedAddress(const QString& text, uint32_t* address)
{
    static const QRegularExpression dotted("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$");
    const QRegularExpressionMatch match = dotted.match(text);
    if (!match.hasMatch())
        return false;
    uint32_t result = 0;
    for (int i = 1; i <= 4; ++i) {
        const uint value = match.captured(i).toUInt();
        if (value > 255)
            return false;
        result = (result << 8) | value;
    }
    *address = result;
    return true;
}

bool parsePort(const QString& text, uint minimum, uint16_t* port)
{
    static const QRegularExpression digits("^[0-9]{1,5}$");
    if (!digits.match(text).hasMatch())
        return false;
    const uint value = text.toUInt();
    if (value < minimum || value > 65535)
        return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

// Milliseconds from 0 to 10000, comma-separated, in ascending order; at
// least one.
bool parseSendTimes(const QString& text, std::vector<int>* times)
{
    static const QRegularExpression number("^ *[0-9]{1,5} *$");
    std::vector<int> result;
    for (const QString& part : text.split(',')) {
        if (!number.match(part).hasMatch())
            return false;
        const int value = part.trimmed().toInt();
        if (value > 10000 || (!result.empty() && value < result.back()))
            return false;
        result.push_back(value);
    }
    *times = result;
    return true;
}

bool parseSweepRate(const QString& text, int* rate)
{
    bool number = false;
    const int value = text.toInt(&number);
    if (!number || value < 1 || value > 100000)
        return false;
    *rate = value;
    return true;
}

bool given(const char* value)
{
    return value != nullptr && value[0] != '\0';
}

// What is wrong with `value` of `variable`, in the user's language.
QString problem(const char* variable, const char* value, const char* what)
{
    return QCoreApplication::translate("EndpointOverrides", "%1：“%2”%3")
        .arg(QString::fromLatin1(variable), QString::fromUtf8(value),
            QCoreApplication::translate("EndpointOverrides", what));
}

}  // namespace

EndpointSettings applyEndpointOverrides(EndpointSettings base, const char* broadcastAddress, const char* terminalPort,
    const char* localPort, const char* searchSends, QStringList* problems)
{
    if (given(broadcastAddress)) {
        if (parseDottedAddress(QString::fromUtf8(broadcastAddress), &base.broadcastAddress))
            base.everyAdapter = false;
        else
            problems->append(problem("DBP_BROADCAST_ADDR", broadcastAddress,
                QT_TRANSLATE_NOOP("EndpointOverrides", "不是点分十进制的 IPv4 地址")));
    }
    if (given(terminalPort) && !parsePort(QString::fromUtf8(terminalPort), 1, &base.terminalPort))
        problems->append(problem(
            "DBP_TERMINAL_PORT", terminalPort, QT_TRANSLATE_NOOP("EndpointOverrides", "不是 1 到 65535 的端口")));
    if (given(localPort) && !parsePort(QString::fromUtf8(localPort), 0, &base.localPort))
        problems->append(
            problem("DBP_LOCAL_PORT", localPort, QT_TRANSLATE_NOOP("EndpointOverrides", "不是 0 到 65535 的端口")));
    if (given(searchSends) && !parseSendTimes(QString::fromUtf8(searchSends), &base.searchSendsMs))
        problems->append(problem("DBP_SEARCH_SENDS", searchSends,
            QT_TRANSLATE_NOOP("EndpointOverrides", "不是 0 到 10000 毫秒的升序列表（如 0,250,500,1000）")));
    return base;
}

EndpointSettings endpointSettingsFromEnvironment(QStringList* problems)
{
    EndpointSettings settings = applyEndpointOverrides(EndpointSettings(), std::getenv("DBP_BROADCAST_ADDR"),
        std::getenv("DBP_TERMINAL_PORT"), std::getenv("DBP_LOCAL_PORT"), std::getenv("DBP_SEARCH_SENDS"), problems);
    const char* sweepRate = std::getenv("DBP_SWEEP_RATE");
    if (given(sweepRate) && !parseSweepRate(QString::fromUtf8(sweepRate), &settings.sweepRate))
        problems->append(problem(
            "DBP_SWEEP_RATE", sweepRate, QT_TRANSLATE_NOOP("EndpointOverrides", "不是每秒 1 到 100000 个 GET")));
    return settings;
}

EndpointSettings endpointSettingsFromEnvironment(const char* program)
{
    QStringList problems;
    const EndpointSettings settings = endpointSettingsFromEnvironment(&problems);
    for (const QString& text : problems)
        std::fprintf(stderr, "%s: %s\n", program,
            QCoreApplication::translate("EndpointOverrides", "%1；改用默认值").arg(text).toUtf8().constData());
    return settings;
}
