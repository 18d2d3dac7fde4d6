// The conflict check at installation scale: collectConflicts with both
// predicates over the window's terminal list, and the filling of the report
// dialog, for fleets of thousands of terminals with a few conflicts. The
// dialog's exec() is left out. Offscreen, no network.
//
//   bench_conflicts [sizes...]   default 1000 5000 10000
#include "bench/BenchSupport.h"
#include "tools/terminal-sim/FleetBuilder.h"
#include "ui/conflict/ConflictRules.h"
#include "ui/conflict/QueryConflictDlg.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/QueryTool.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Generated terminals with distinct addresses, then a few conflicts spread
// over the list: IP pairs and a triple, MAC pairs, and one terminal that
// answers a second time with another server port (both lists).
QList<TerminalParam> conflictFleet(int size)
{
    SimConfig config;
    QList<TerminalParam> fleet;
    for (int i = 0; i < size; ++i) {
        TerminalParam t = generateSimTerminal(config, i);
        std::snprintf(t.IP, sizeof t.IP, "127.%d.%d.%d", 1 + i / 62500, (i / 250) % 250, 1 + i % 250);
        // Left without a model code: such a record joins the terminal list
        // but gets no table row, which keeps this benchmark on the check.
        t.Type[0] = '\0';
        fleet.append(t);
    }
    auto at = [size](int sevenths) { return size * sevenths / 7; };
    auto copyIp = [&](int from, int to) { std::memcpy(fleet[to].IP, fleet[from].IP, sizeof fleet[to].IP); };
    auto copyMac = [&](int from, int to) { std::memcpy(fleet[to].MAC, fleet[from].MAC, sizeof fleet[to].MAC); };
    copyIp(at(1), at(2));
    copyIp(at(1) + 1, at(3));
    copyIp(at(1) + 1, at(6));
    copyMac(at(2) + 5, at(5));
    copyMac(at(0) + 3, at(4) + 7);
    TerminalParam again = fleet.at(at(3) + 11);
    again.ServerPort = static_cast<uint16_t>(again.ServerPort + 1);
    fleet.append(again);
    return fleet;
}

// Best of a few runs of `job`, in milliseconds.
template <typename Job> double bestOf(Job job)
{
    double best = 1e300;
    const double started = benchNowMs();
    for (int run = 0; run < 7 && (run < 2 || benchNowMs() - started < 2000); ++run) {
        const double t0 = benchNowMs();
        job();
        best = std::min(best, benchNowMs() - t0);
    }
    return best;
}

void measure(int size)
{
    const QList<TerminalParam> fleet = conflictFleet(size);

    // The list reaches the window the way replies do.
    QueryTool window(nullptr);
    gPendingLock.lock();
    gPendingTerminals = fleet.toVector();
    gPendingLock.unlock();
    // A long list is taken over in several turns of the event loop.
    auto* label = window.findChild<QLabel*>("result_label");
    const QString expected = QString::fromUtf8("找到%1个设备").arg(fleet.size());
    const double fillStart = benchNowMs();
    window.get_terminal_slot();
    while (label->text() != expected && benchNowMs() - fillStart < 600000)
        QCoreApplication::processEvents();
    const double fillMs = benchNowMs() - fillStart;

    QList<TerminalParam> ip;
    QList<TerminalParam> mac;
    const double ipMs = bestOf([&] { ip = window.collectConflicts(isIpConflict); });
    const double macMs = bestOf([&] { mac = window.collectConflicts(isMacConflict); });
    const double dialogMs = bestOf([&] {
        QueryConflictDlg dialog;
        dialog.showIpConflicts(ip);
        dialog.showMacConflicts(mac);
    });

    std::printf("  %5d terminals (%s): check %.2f ms = IP %.2f ms (%d listed) + MAC %.2f ms (%d listed) "
                "+ dialog built and filled %.2f ms; list taken over in %.1f ms\n",
        static_cast<int>(fleet.size()), label->text().toUtf8().constData(), ipMs + macMs + dialogMs, ipMs,
        static_cast<int>(ip.size()), macMs, static_cast<int>(mac.size()), dialogMs, fillMs);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir workDir;  // config.ini and the platform's runtime files go here
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(workDir.path()));
    QApplication app(argc, argv);
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        return 1;
    std::printf("bench_conflicts: check_conflict() without the dialog's exec(), best of several runs\n");
    for (int size : benchFleetSizes(app.arguments().mid(1), {1000, 5000, 10000}))
        measure(size);
    return 0;
}
