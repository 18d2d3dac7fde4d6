#include "core/endpoint/EndpointOverrides.h"

#include <QByteArray>
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

}  // namespace

EndpointSettings applyEndpointOverrides(EndpointSettings base, const char* broadcastAddress, const char* terminalPort,
    const char* localPort, const char* searchSends, QStringList* problems)
{
    if (given(broadcastAddress)) {
        if (parseDottedAddress(QString::fromUtf8(broadcastAddress), &base.broadcastAddress))
            base.everyAdapter = false;
        else
            problems->append(QString("DBP_BROADCAST_ADDR: \"%1\" is not a dotted IPv4 address")
                                 .arg(QString::fromUtf8(broadcastAddress)));
    }
    if (given(terminalPort) && !parsePort(QString::fromUtf8(terminalPort), 1, &base.terminalPort))
        problems->append(
            QString("DBP_TERMINAL_PORT: \"%1\" is not a port from 1 to 65535").arg(QString::fromUtf8(terminalPort)));
    if (given(localPort) && !parsePort(QString::fromUtf8(localPort), 0, &base.localPort))
        problems->append(
            QString("DBP_LOCAL_PORT: \"%1\" is not a port from 0 to 65535").arg(QString::fromUtf8(localPort)));
    if (given(searchSends) && !parseSendTimes(QString::fromUtf8(searchSends), &base.searchSendsMs))
        problems->append(QString("DBP_SEARCH_SENDS: \"%1\" is not a list of ascending milliseconds from 0 to 10000 "
                                 "(such as 0,250,500,1000)")
                             .arg(QString::fromUtf8(searchSends)));
    return base;
}

EndpointSettings endpointSettingsFromEnvironment(QStringList* problems)
{
    EndpointSettings settings = applyEndpointOverrides(EndpointSettings(), std::getenv("DBP_BROADCAST_ADDR"),
        std::getenv("DBP_TERMINAL_PORT"), std::getenv("DBP_LOCAL_PORT"), std::getenv("DBP_SEARCH_SENDS"), problems);
    const char* sweepRate = std::getenv("DBP_SWEEP_RATE");
    if (given(sweepRate) && !parseSweepRate(QString::fromUtf8(sweepRate), &settings.sweepRate))
        problems->append(QString("DBP_SWEEP_RATE: \"%1\" is not a number of GETs per second from 1 to 100000")
                             .arg(QString::fromUtf8(sweepRate)));
    return settings;
}

EndpointSettings endpointSettingsFromEnvironment(const char* program)
{
    QStringList problems;
    const EndpointSettings settings = endpointSettingsFromEnvironment(&problems);
    for (const QString& problem : problems)
        std::fprintf(stderr, "%s: %s; using the default\n", program, problem.toLocal8Bit().constData());
    return settings;
}
