// querytool-cli as a script runs it: the real program against the terminal
// simulator on loopback (network namespace), its exit codes, its JSON read
// back field by field, and a refused sheet that sends nothing.
#include "core/records/TerminalColumns.h"
#include "tests/commission/CommissionRig.h"
#include "tests/ui/ScratchFolder.h"

#include <QtTest>

namespace {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
};

}  // namespace

class CliTest : public QObject {
    Q_OBJECT

    ScratchFolder folder;
    CommissionRig rig;

    CliRun cli(const QStringList& arguments, const QString& workingFolder = ".", const QString& dataFolder = QString())
    {
        QProcess process;
        process.setWorkingDirectory(workingFolder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!dataFolder.isEmpty())
            environment.insert("XDG_DATA_HOME", dataFolder);
        environment.insert("DBP_BROADCAST_ADDR", "127.255.255.255");
        environment.insert("DBP_TERMINAL_PORT", QString::number(rig.sim->port()));
        environment.insert("DBP_LOCAL_PORT", "0");
        environment.insert("DBP_SEARCH_SENDS", "0");
        process.setProcessEnvironment(environment);
        process.start(CLI_PROGRAM, arguments);
        if (!process.waitForFinished(60000))
            return CliRun();
        return {
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput()};
    }

private slots:
    void initTestCase()
    {
        std::vector<TerminalParam> fleet = commissionFleet(4);
        qstrcpy(fleet[3].Name, "广播终端");
        QVERIFY(rig.start(fleet));
        QFile sheets[] = {QFile("bad.csv"), QFile("good.csv")};
        const QByteArray texts[] = {"MAC,ID\n00-12-37-00-00-01,2\n", "MAC,ID\n00-12-37-00-00-01,11\n"};
        for (int i = 0; i < 2; ++i)
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

    // CSV lines end in CR LF as written, on every system: a Windows text
    // stream would double each CR.
    void scanCsvKeepsItsLineEnds()
    {
        const CliRun run = cli({"scan", "--format", "csv"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count("\r\n"), 5);
        QVERIFY(!run.out.contains("\r\r"));
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
        QTest::newRow("reboot: unicast and broadcast copy") << QStringList({"reboot", "127.1.0.2"}) << 0 << 2;
        QTest::newRow("apply, result saved") << QStringList({"apply", "good.csv", "--result", "result.csv"}) << 0 << 1;
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
        QTest::newRow("unzipped: the working folder's translation") << true << "local" << "" << QByteArray("Usage:");
        QTest::newRow("unzipped without translate/: beside the program") << true << "en" << "" << QByteArray("Usage:");
        QTest::newRow("writable: the data folder is not read") << true << "" << "en" << QByteArray("用法：");
        QTest::newRow("installed: the data folder's config.ini") << false << "" << "en" << QByteArray("Usage:");
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
        const CliRun run = cli({"--help"}, writable ? working.path() : "/proc", data.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(usage), run.out.left(40).constData());
    }

    void resultFile()
    {
        QFile result("result.csv");
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(
            result.readAll(), QByteArray("\xEF\xBB\xBFMAC,ID,Outcome,Detail\r\n00-12-37-00-00-01,11,verified,\r\n"));
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
