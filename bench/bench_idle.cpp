// Idle cost: the real QueryTool program, pointed at a small simulated fleet
// on loopback through its endpoint overrides and run offscreen, is left
// alone after its first search has settled; the CPU time it uses over ten
// seconds is read from /proc.
//
//   bench_idle [seconds]   default 10
#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

constexpr int kFleet = 50;
constexpr int kSettleMs = 3000;

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = app.arguments().size() > 1 ? std::max(1, app.arguments().at(1).toInt()) : 10;
    QTemporaryDir workDir;  // the program's config.ini goes here
    if (!workDir.isValid())
        return 1;

    QProcess sim;
    sim.start(QStringLiteral(SIM_PROGRAM), {"--terminals", QString::number(kFleet), "--port", "0"});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_idle: the simulator did not start\n");
        stop(sim);
        return 1;
    }
    // "port <n> terminals <m>"
    const QList<QByteArray> words = sim.readLine().trimmed().split(' ');
    const QByteArray port = words.size() >= 2 ? words.at(1) : QByteArray();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DBP_BROADCAST_ADDR", "127.255.255.255");
    environment.insert("DBP_TERMINAL_PORT", QString::fromLatin1(port));
    environment.insert("DBP_LOCAL_PORT", "0");
    environment.insert("XDG_RUNTIME_DIR", workDir.path());
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.setWorkingDirectory(workDir.path());
    tool.start(QStringLiteral(QUERYTOOL_PROGRAM), QStringList());
    if (!tool.waitForStarted()) {
        std::fprintf(stderr, "bench_idle: QueryTool did not start\n");
        stop(sim);
        return 1;
    }
    const pid_t pid = static_cast<pid_t>(tool.processId());

    QThread::msleep(kSettleMs);
    const double startupCpu = benchCpuMs(pid);
    const double cpu0 = benchCpuMs(pid);
    const long switches0 = benchContextSwitches(pid);
    const double t0 = benchNowMs();
    QThread::msleep(static_cast<unsigned long>(seconds) * 1000);
    const double cpu1 = benchCpuMs(pid);
    const long switches1 = benchContextSwitches(pid);
    const double wallMs = benchNowMs() - t0;
    const bool alive = tool.state() == QProcess::Running && cpu1 >= 0;

    stop(tool);
    stop(sim);
    const QByteArray simReport = sim.readAllStandardError().trimmed();

    std::printf("bench_idle: QueryTool idle for %.1f s after its first search (fleet of %d, %s)\n", wallMs / 1000.0,
        kFleet, simReport.constData());
    if (!alive) {
        std::printf("  QueryTool was not running at the end of the measurement:\n%s\n",
            tool.readAllStandardError().constData());
        return 1;
    }
    std::printf("  start-up and first search: %.0f ms of CPU in the first %.1f s\n", startupCpu, kSettleMs / 1000.0);
    std::printf("  CPU used %.0f ms = %.2f %% of one core; %.0f context switches per second\n", cpu1 - cpu0,
        100.0 * (cpu1 - cpu0) / wallMs, (switches1 - switches0) * 1000.0 / wallMs);
    return 0;
}
