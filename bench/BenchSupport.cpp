#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QProcess>

#include <chrono>

double benchNowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

int benchRunSelf(const QStringList& arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForStarted() || !child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit)
        return -1;
    return child.exitCode();
}

QList<int> benchFleetSizes(const QStringList& arguments, const QList<int>& defaults)
{
    QList<int> sizes;
    for (const QString& argument : arguments) {
        bool ok = false;
        const int n = argument.toInt(&ok);
        if (ok && n > 0)
            sizes.append(n);
    }
    return sizes.isEmpty() ? defaults : sizes;
}
