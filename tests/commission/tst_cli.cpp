// querytool-cli as a script runs it: the real program against the terminal
// simulator on loopback (network namespace), its exit codes, its JSON and
// CSV read back field by field, and a refused sheet that sends nothing.
#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"
#include "tests/commission/CommissionRig.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/ui/ScratchFolder.h"

#include <QtTest>

namespace {

struct CliRun {
    int exitCode = -1;
    QByteArray out, err;
};

}  // namespace

class CliTest : public QObject {
    Q_OBJECT

    ScratchFolder folder;
    CommissionRig rig;
    QStringList variables;  // "NAME=value" set for the next runs, after the rig's

    // Runs the program to its end in `workingFolder` (with `dataFolder` as
    // the user's data folder, when given); `meanwhile` (when given) runs once
    // it has started, with requests going to `terminalPort` instead of the fleet.
    CliRun cli(const QStringList& arguments, uint16_t terminalPort = 0,
        const std::function<void()>& meanwhile = nullptr, const QString& workingFolder = ".",
        const QString& dataFolder = QString())
    {
        QProcess process;
        process.setWorkingDirectory(workingFolder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!dataFolder.isEmpty())
            environment.insert("XDG_DATA_HOME", dataFolder);
        environment.insert("DBP_BROADCAST_ADDR", "127.255.255.255");
        environment.insert("DBP_TERMINAL_PORT", QString::number(terminalPort != 0 ? terminalPort : rig.sim->port()));
        environment.insert("DBP_LOCAL_PORT", "0");
        environment.insert("DBP_SEARCH_SENDS", "0");
        for (const QString& variable : variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        process.setProcessEnvironment(environment);
        process.start(CLI_PROGRAM, arguments);
        if (meanwhile && process.waitForStarted())
            meanwhile();
        if (!process.waitForFinished(60000))
            return CliRun();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
    }

private slots:
    void initTestCase()
    {
        std::vector<TerminalParam> fleet = commissionFleet(4);
        qstrcpy(fleet[3].Name, "广播终端");
        // Texts a terminal chooses itself that a spreadsheet would run.
        qstrcpy(fleet[1].Name, "=HYPERLINK(\"http://x\",\"y\")");
        qstrcpy(fleet[2].Mode, "@SUM(A1)");
        QVERIFY(rig.start(fleet));
        QFile sheets[] = {QFile("bad.csv"), QFile("good.csv"), QFile("partial.csv")};
        const QByteArray texts[] = {"MAC,ID\n00-12-37-00-00-01,2\n", "MAC,ID\n00-12-37-00-00-01,11\n",
            "MAC,ID\n00-12-37-00-00-01,11\n00-12-37-00-00-09,19\n"};
        for (int i = 0; i < 3; ++i)
            QVERIFY(sheets[i].open(QIODevice::WriteOnly) && sheets[i].write(texts[i]) == texts[i].size());
    }

    void scanJsonHasEveryField()
    {
        const CliRun run = cli({"scan", "--format", "json"});
        QCOMPARE(run.exitCode, 0);
        const QJsonArray terminals = QJsonDocument::fromJson(run.out).object().value("terminals").toArray();
        QCOMPARE(terminals.size(), 4);
        for (const QJsonValue& value : terminals) {
            const QJsonObject object = value.toObject();
            const TerminalParam t = rig.sim->terminal(object.value("ID").toInt() - 1);
            for (const TerminalColumn& column : terminalColumns()) {
                const QJsonValue field = object.value(column.name);
                const QString text = field.isDouble() ? QString::number(field.toDouble()) : field.toString();
                QCOMPARE(text, QString::fromStdString(column.text(t)));
            }
        }
    }

    // Read as a spreadsheet would: no field of the scan is a formula, yet
    // the CSV reader gives every text back and Treble -3 stays a number.
    void scanCsvIsSpreadsheetSafe()
    {
        const CliRun run = cli({"scan", "--format=csv", "--sort", "id"});
        std::vector<CsvRow> rows;
        CsvError error;
        QVERIFY(ParseCsv(run.out.toStdString(), &rows, &error));
        QCOMPARE(rows.size(), size_t(5));
        for (size_t r = 1; r < rows.size(); ++r) {
            const TerminalParam t = rig.sim->terminal(static_cast<int>(r) - 1);
            for (size_t c = 0; c < terminalColumns().size(); ++c) {
                const std::string& field = rows[r].fields.at(c);
                QVERIFY2(field.empty() || QByteArray("=+-@").indexOf(field[0]) < 0 || terminalColumns()[c].numeric,
                    field.c_str());
                QCOMPARE(plainText(field), terminalColumns()[c].text(t));
            }
        }
        QCOMPARE(rows[1].fields.at(21), std::string("-3"));
    }

    // CSV lines end in CR LF as written, on every system: a Windows text
    // stream would double each CR.
    void scanCsvKeepsItsLineEnds()
    {
        const CliRun run = cli({"scan", "--format", "csv"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count("\r\n"), 5);
        QVERIFY(!run.out.contains("\r\r"));
        QCOMPARE(run.err, QByteArray());
    }

    // Replies lost in a congested queue: beside the listing, standard error
    // says the list may be incomplete.
    void scanWarnsWhileTerminalsAppear()
    {
        SimConfig config;
        config.fleetSize = 200;
        config.keepRequestLog = false;
        config.linkRateBps = 4000000;  // about 35 replies of each GET get through
        config.queueBytes = 8000;
        config.replyJitterMs = 10;
        TerminalSimulator sim(config);
        QVERIFY(sim.start());
        variables = QStringList{"DBP_SEARCH_SENDS=0,200"};
        const CliRun run = cli({"scan", "--format", "csv"}, sim.port());
        variables.clear();
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.count("\r\n") < 201);
        QVERIFY2(QString::fromUtf8(run.err).startsWith(QString::fromUtf8("列表可能不完整")), run.err.constData());
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("sets");
        QTest::newRow("unknown format") << QStringList({"scan", "--format", "xml"}) << 2 << 0;
        QTest::newRow("reboot without address") << QStringList({"reboot", "terminal"}) << 2 << 0;
        QTest::newRow("no such sheet") << QStringList({"apply", "missing.csv"}) << 4 << 0;
        QTest::newRow("refused sheet sends nothing") << QStringList({"apply", "bad.csv"}) << 3 << 0;
        QTest::newRow("dry run sends nothing") << QStringList({"apply", "good.csv", "--dry-run"}) << 0 << 0;
        QTest::newRow("reboot: no answer") << QStringList({"reboot", "127.1.0.9"}) << 1 << 0;
        QTest::newRow("reboot: broadcast address refused") << QStringList({"reboot", "127.255.255.255"}) << 2 << 0;
        QTest::newRow("reboot: unicast and broadcast copy") << QStringList({"reboot", "127.1.0.2"}) << 0 << 2;
        QTest::newRow("result file not writable: nothing sent")
            << QStringList({"apply", "good.csv", "--result", "missing/result.csv"}) << 4 << 0;
        QTest::newRow("dry run writes the plan")
            << QStringList({"apply", "good.csv", "--dry-run", "--result", "plan.csv"}) << 0 << 0;
        QTest::newRow("apply, result saved") << QStringList({"apply", "good.csv", "--result", "result.csv"}) << 0 << 1;
        QTest::newRow("apply again: every terminal set already") << QStringList({"apply", "good.csv"}) << 0 << 0;
        QTest::newRow("partial dry run: the other row not found")
            << QStringList({"apply", "partial.csv", "--partial", "--dry-run"}) << 1 << 0;
        QTest::newRow("partial: the found row set already, the other not found")
            << QStringList({"apply", "partial.csv", "--partial"}) << 1 << 0;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(int, sets);
        rig.sim->clearRequests();
        QCOMPARE(cli(arguments).exitCode, exitCode);
        QCOMPARE(rig.sets().size(), sets);
    }

    // A typo in a variable stops the command line before anything goes out,
    // naming the variable and its value.
    void invalidVariables_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::newRow("broadcast address") << "DBP_BROADCAST_ADDR=127.255.255.256";
        QTest::newRow("terminal port") << "DBP_TERMINAL_PORT=5913x";
    }

    void invalidVariables()
    {
        QFETCH(QString, variable);
        variables = QStringList{variable};
        rig.sim->clearRequests();
        const CliRun run = cli({"apply", "good.csv"});
        variables.clear();
        QCOMPARE(run.exitCode, 2);
        QVERIFY(rig.sim->requests().empty());
        QVERIFY2(run.err.contains(variable.replace('=', "：“").toUtf8()), run.err.constData());
    }

    // config.ini from the working folder when the program may write there,
    // else from the user's data folder; the translation from the working
    // folder, else from beside the program. Output reaches the pipe as UTF-8.
    void configAndTranslationFolders_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("workingLanguage");  // "": no ./config.ini
        QTest::addColumn<QString>("dataLanguage");     // "": none in the data folder
        QTest::addColumn<QByteArray>("usage");
        // "local" exists only as ./translate/local.qm, a copy of en.qm.
        QTest::newRow("unzipped: the working folder's translation") << true << "local"
                                                                    << "" << QByteArray("Usage:");
        QTest::newRow("unzipped without translate/: beside the program") << true << "en"
                                                                         << "" << QByteArray("Usage:");
        QTest::newRow("writable: the data folder is not read") << true << ""
                                                               << "en" << QByteArray("用法：");
        QTest::newRow("installed: the data folder's config.ini") << false << ""
                                                                 << "en" << QByteArray("Usage:");
    }

    void configAndTranslationFolders()
    {
        QFETCH(bool, writable);
        QFETCH(QString, workingLanguage);
        QFETCH(QString, dataLanguage);
        QFETCH(QByteArray, usage);
#ifdef Q_OS_WIN
        if (!writable)
            QSKIP("no folder is closed to the test, and the user's data folder stays where it is");
#endif
        QTemporaryDir working("working-XXXXXX");
        QTemporaryDir data("data-XXXXXX");
        QVERIFY(working.isValid() && data.isValid());
        if (!workingLanguage.isEmpty())
            QSettings(working.filePath("config.ini"), QSettings::IniFormat).setValue("language", workingLanguage);
        if (!dataLanguage.isEmpty())
            QSettings(data.filePath("QueryTool/config.ini"), QSettings::IniFormat).setValue("language", dataLanguage);
        const QString programTranslations = QFileInfo(CLI_PROGRAM).absolutePath() + "/translate/";
        QVERIFY(QDir(working.path()).mkdir("translate"));
        QVERIFY(QFile::copy(programTranslations + "en.qm", working.filePath("translate/local.qm")));
        // /proc is closed to every user, root included.
        const CliRun run = cli({"--help"}, 0, nullptr, writable ? working.path() : "/proc", data.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(usage), run.out.left(40).constData());
    }

    // The engine takes a reply by its CSeq alone: an answer from another
    // address than the one asked reboots nothing.
    void rebootRefusesAnswerFromElsewhere()
    {
#ifdef Q_OS_WIN
        QSKIP("Wine does not send from the second loopback address the answering socket is bound to");
#endif
        LoopbackSocket asked, elsewhere(0x7F000002u);
        const CliRun run = cli({"reboot", "127.0.0.1"}, asked.port(), [&] {
            const std::vector<Datagram> get = asked.collect(1, 5000);
            QCOMPARE(get.size(), size_t(1));
            elsewhere.send("DBP/1.0 200 OK\r\nCSeq: " + headerValue(get[0].bytes, "CSeq")
                    + "\r\nID: 7\r\nType: X\r\nMAC: 00-12-37-00-00-07\r\nIP: 127.0.0.1\r\n\r\n",
                get[0].source, get[0].sourcePort);
        });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("127.0.0.2"), run.err.constData());
    }

    void resultFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plan") << "plan.csv" << QByteArray("00-12-37-00-00-01,11,planned,ID=1 (sheet 11)\r\n");
        QTest::newRow("result") << "result.csv" << QByteArray("00-12-37-00-00-01,11,verified,\r\n");
    }

    void resultFiles()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFile result(file);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), "\xEF\xBB\xBFMAC,ID,Outcome,Detail\r\n" + text);
    }

    // A script learns which terminal was rebooted, why a sheet was refused,
    // and gets the terminals in a fixed order (terminal 1 has ID 11 by now).
    void whatWasDone()
    {
        QList<int> ids;
        for (const QJsonValue& t : QJsonDocument::fromJson(cli({"scan", "--format=json", "--sort=id"}).out)
                                       .object()
                                       .value("terminals")
                                       .toArray())
            ids << t.toObject().value("ID").toInt();
        QCOMPARE(ids, QList<int>({2, 3, 4, 11}));
        QVERIFY(cli({"reboot", "127.1.0.3"}).out.contains("MAC 00-12-37-00-00-03，IP 127.1.0.3"));
        const QJsonArray problems = QJsonDocument::fromJson(cli({"apply", "bad.csv", "--format", "json"}).out)
                                        .object()
                                        .value("problems")
                                        .toArray();
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems[0].toObject().value("line").toInt(), 2);
        // A person gets the first 50 problems and a count of the rest.
        QFile many("many.csv");
        QVERIFY(many.open(QIODevice::WriteOnly)
            && many.write("MAC,ID\n" + QByteArray("00-12-37-00-00-01,0\n").repeated(60)));
        many.close();
        const QList<QByteArray> lines = cli({"apply", "many.csv"}).err.trimmed().split('\n');
        QCOMPARE(lines.size(), 51);
        QVERIFY(lines.last().contains("另有69处"));
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
