// The engine with its real defaults (port 59137, broadcast 255.255.255.255,
// 5 s time-out) against simulated terminals in another network namespace,
// joined by a veth pair. The test makes both namespaces and removes them
// again; the 10.77.0.0/24 addresses exist only inside them.
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

const QString kPrefix = QStringLiteral("qtool-e2e-");

bool ip(const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    if (!process.waitForFinished(10000))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Namespaces left behind by a test process that no longer exists.
void removeStaleNamespaces()
{
    QString list;
    if (!ip({"netns", "list"}, &list))
        return;
    for (const QString& line : list.split('\n', Qt::SkipEmptyParts)) {
        const QString name = line.section(' ', 0, 0);
        if (!name.startsWith(kPrefix))
            continue;
        const pid_t owner = pid_t(name.mid(kPrefix.size()).section('-', 0, 0).toInt());
        if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH)
            ip({"netns", "del", name});
    }
}

// Two namespaces joined by a veth pair; removed on destruction.
struct NamespacePair {
    const QString engine = kPrefix + QString::number(getpid()) + "-eng";
    const QString terminals = kPrefix + QString::number(getpid()) + "-term";
    QString error;

    bool make(const QStringList& terminalAddresses)
    {
        QList<QStringList> steps = {
            {"netns", "add", engine},
            {"netns", "add", terminals},
            {"-n", engine, "link", "add", "veth-eng", "type", "veth", "peer", "name", "veth-term", "netns", terminals},
            {"-n", engine, "link", "set", "lo", "up"},
            {"-n", engine, "addr", "add", "10.77.0.1/24", "dev", "veth-eng"},
            {"-n", engine, "link", "set", "veth-eng", "up"},
            // The limited broadcast needs a route; the veth is the only way out.
            {"-n", engine, "route", "add", "default", "dev", "veth-eng"},
            {"-n", terminals, "link", "set", "lo", "up"},
            {"-n", terminals, "link", "set", "veth-term", "up"},
        };
        for (const QString& address : terminalAddresses)
            steps.append({"-n", terminals, "addr", "add", address + "/24", "dev", "veth-term"});
        for (const QStringList& step : steps) {
            if (!ip(step)) {
                error = "ip " + step.join(' ') + " failed";
                return false;
            }
        }
        return true;
    }

    ~NamespacePair()
    {
        ip({"netns", "del", engine});
        ip({"netns", "del", terminals});
    }
};

QMap<QString, QStringList> reportLines(const QByteArray& output)
{
    QMap<QString, QStringList> lines;
    for (const QString& line : QString::fromLocal8Bit(output).split('\n', Qt::SkipEmptyParts)) {
        QStringList words = line.split(' ', Qt::SkipEmptyParts);
        const QString key = words.takeFirst();
        lines[key] = words;
    }
    return lines;
}

}  // namespace

class EngineNamespaceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("needs root to make network namespaces");
        if (QStandardPaths::findExecutable("ip").isEmpty())
            QSKIP("needs the ip tool (iproute2)");
        removeStaleNamespaces();
    }

    void realDefaultsAcrossAVethPair()
    {
        QStringList addresses;
        for (int i = 10; i < 20; ++i)
            addresses << QString("10.77.0.%1").arg(i);
        NamespacePair net;
        if (!net.make(addresses))
            QSKIP(qPrintable("cannot make network namespaces here: " + net.error));

        QProcess simulator;
        simulator.start("ip", {"netns", "exec", net.terminals, TERMINAL_SIM_PATH, "--namespace", "--terminals", "10",
                               "--addresses", addresses.join(','), "--silent", "9"});
        QVERIFY(simulator.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine() || simulator.state() != QProcess::Running, 10000);
        QCOMPARE(simulator.readLine().trimmed(), QByteArray("port 59137 terminals 10"));

        QProcess probe;
        probe.start("ip", {"netns", "exec", net.engine, ENGINE_PROBE_PATH, "--expect", "9", "--get", "10.77.0.13",
                           "--silent", "10.77.0.19"});
        QVERIFY(probe.waitForFinished(60000));
        QCOMPARE(probe.exitCode(), 0);
        const QByteArray output = probe.readAllStandardOutput();
        qInfo("%s", output.constData());
        const QMap<QString, QStringList> report = reportLines(output);

        QCOMPARE(report.value("open"), QStringList{"1"});
        QCOMPARE(report.value("found"), QStringList{"9"});  // every terminal but the silent one
        QCOMPARE(report.value("replyport"), QStringList{"59137"});
        QCOMPARE(report.value("get"), (QStringList{"200", "10.77.0.13", "10.77.0.13"}));
        QCOMPARE(report.value("set"), QStringList{"200"});
        QCOMPARE(report.value("silent").value(0), QString("100"));
        const int waited = report.value("silent").value(1).toInt();
        QVERIFY2(waited >= 4900 && waited < 8000, qPrintable(QString::number(waited)));
        QVERIFY(report.value("stopped").value(0).toInt() < 1000);
        simulator.kill();
        simulator.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(EngineNamespaceTest)
#include "tst_engine_netns.moc"
