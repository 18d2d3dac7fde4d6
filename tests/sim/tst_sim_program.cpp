// The dbp-terminal-sim program as tests and `make run` use it: the start-up
// line, a 10 000-terminal broadcast answered in full, the request log file
// and a clean end on SIGTERM.
#include "SimTestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <set>

namespace {

// Starts the program and reads "port <port> terminals <count>".
bool startProgram(QProcess* process, const QStringList& args, uint16_t* port, int* count)
{
    process->start(DBP_TERMINAL_SIM, args);
    if (!process->waitForStarted(10000) || !process->waitForReadyRead(30000))
        return false;
    const QStringList words = QString(process->readLine()).split(' ', Qt::SkipEmptyParts);
    if (words.size() != 4 || words[0] != "port" || words[2] != "terminals")
        return false;
    *port = static_cast<uint16_t>(words[1].toUInt());
    *count = words[3].trimmed().toInt();
    return true;
}

}  // namespace

class SimProgramTest : public QObject {
    Q_OBJECT

private slots:
    void helpExplainsTheOptions();
    void badOptionFails();
    void answersTenThousandTerminalBroadcastInFull();
    void logFileAndSigterm();
};

void SimProgramTest::helpExplainsTheOptions()
{
    QProcess process;
    process.start(DBP_TERMINAL_SIM, {"--help"});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = process.readAllStandardOutput();
    for (const char* option : {"--terminals", "--models", "--seed", "--fleet-file", "--port",
                               "--namespace", "--broadcast", "--ip-conflict", "--mac-conflict",
                               "--delay", "--jitter", "--drop", "--answer-400", "--silent",
                               "--malformed", "--log", "Fleet file"})
        QVERIFY2(help.contains(option), option);
}

void SimProgramTest::badOptionFails()
{
    QProcess process;
    process.start(DBP_TERMINAL_SIM, {"--drop", "2"});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().contains("bad value for --drop"));
}

void SimProgramTest::answersTenThousandTerminalBroadcastInFull()
{
    QProcess process;
    uint16_t port = 0;
    int count = 0;
    QVERIFY(startProgram(&process, {"--terminals", "10000", "--port", "0"}, &port, &count));
    QCOMPARE(count, 10000);

    SimTestSocket client;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(client.send(getRequest(1), kLoopbackBroadcast, port));
    std::vector<SimDatagram> replies = client.collect(10000, kReplyWaitMs);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(replies.size(), size_t(10000));
    std::set<uint32_t> sources;
    for (const SimDatagram& r : replies)
        sources.insert(r.source);
    QCOMPARE(sources.size(), size_t(10000));
    qInfo("10000 replies to one broadcast GET in %lld ms", elapsed);

    process.terminate();
    QVERIFY(process.waitForFinished(10000));
}

void SimProgramTest::logFileAndSigterm()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("requests.log");
    QProcess process;
    uint16_t port = 0;
    int count = 0;
    QVERIFY(startProgram(&process, {"--terminals", "3", "--port", "0", "--log", log}, &port, &count));
    QCOMPARE(count, 3);
    SimTestSocket client;
    const std::string request = getRequest(5);
    QVERIFY(client.send(request, kLoopbackBroadcast, port));
    QCOMPARE(client.collect(3, kReplyWaitMs).size(), size_t(3));

    process.terminate();  // SIGTERM
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.startsWith("=== 1 127.0.0.1:"));
    QVERIFY(text.endsWith(QByteArray::fromStdString("-> 127.255.255.255 " + std::to_string(request.size())
                                                    + " bytes\n" + request + "\n")));
}

QTEST_GUILESS_MAIN(SimProgramTest)
#include "tst_sim_program.moc"
