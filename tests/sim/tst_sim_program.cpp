// The dbp-terminal-sim program as tests and `make run` use it: its start-up
// line, a 10 000-terminal broadcast answered in full, the request log file,
// a clean end on SIGTERM, and --help.
#include "SimTestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <set>

class SimProgramTest : public QObject {
    Q_OBJECT

private slots:
    void answersTenThousandTerminalsAndLogsUntilSigterm()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath("requests.log");
        QProcess process;
        process.start(DBP_TERMINAL_SIM, {"--terminals", "10000", "--port", "0", "--log", log});
        QVERIFY(process.waitForStarted(10000) && process.waitForReadyRead(30000));
        const QStringList words = QString(process.readLine()).trimmed().split(' ');
        QCOMPARE(words.size(), 4);
        QCOMPARE(words[0] + ' ' + words[2] + ' ' + words[3], QString("port terminals 10000"));
        const uint16_t port = uint16_t(words[1].toUInt());

        LoopbackSocket client;
        QElapsedTimer timer;
        timer.start();
        const std::string request = getRequest(5);
        QVERIFY(client.send(request, kLoopbackBroadcast, port));
        const std::vector<Datagram> replies = client.collect(10000, kReplyWaitMs);
        qInfo("%zu replies to one broadcast GET in %lld ms", replies.size(), timer.elapsed());
        std::set<uint32_t> sources;
        for (const Datagram& r : replies)
            sources.insert(r.source);
        QCOMPARE(sources.size(), size_t(10000));

        process.terminate();  // SIGTERM
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray::fromStdString("=== 1 127.0.0.1:" + std::to_string(client.port())
                                                           + " -> 127.255.255.255 " + std::to_string(request.size())
                                                           + " bytes\n" + request + "\n"));
    }

    void helpExplainsEveryOption()
    {
        QProcess process;
        process.start(DBP_TERMINAL_SIM, {"--help"});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        const QString help = process.readAllStandardOutput();
        for (const char* option : {"--terminals", "--models", "--seed", "--fleet-file", "--port", "--bind", "--first-address",
                                   "--namespace", "--addresses", "--broadcast", "--ip-conflict", "--mac-conflict", "--delay",
                                   "--jitter", "--drop", "--answer-400", "--silent", "--malformed", "--log", "Fleet file"})
            QVERIFY2(help.contains(option), option);
    }
};

QTEST_GUILESS_MAIN(SimProgramTest)
#include "tst_sim_program.moc"
