#include "bench/BenchSupport.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

QString procPath(pid_t pid, const QString& leaf)
{
    return pid == 0 ? "/proc/self/" + leaf : QString("/proc/%1/%2").arg(pid).arg(leaf);
}

QByteArray readProcFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The fields of a stat line after the command name, which may hold blanks.
QList<QByteArray> statFields(const QByteArray& stat)
{
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    return stat.mid(close + 2).split(' ');
}

}  // namespace

long benchStatusKb(const char* field, pid_t pid)
{
    const QByteArray status = readProcFile(procPath(pid, "status"));
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double benchCpuMs(pid_t pid)
{
    // Fields 14 and 15 of the stat line (utime, stime), counted from the
    // state field, which is field 3.
    const QList<QByteArray> fields = statFields(readProcFile(procPath(pid, "stat")));
    if (fields.size() < 13)
        return -1;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long benchContextSwitches(pid_t pid)
{
    long total = 0;
    const QDir tasks(procPath(pid, "task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray status = readProcFile(tasks.filePath(task) + "/status");
        for (const QByteArray& line : status.split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
    }
    return total;
}
