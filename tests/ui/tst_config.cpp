// config.ini and what the main window takes from it: missing keys written
// with their defaults at once, the English translation, and the "mode" key
// that shows the enter-upgrade button, as an installed copy finds them.
// No engine.
#include "app/ConfigStore.h"
#include "app/ProgramSession.h"
#include "app/Translation.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/ScratchFolder.h"
#include "ui/main/QueryTool.h"

#include <QtTest>

class TestConfig : public QObject {
    Q_OBJECT

    ScratchFolder folder;

private slots:
    void missingKeysWrittenAtOnce()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("config.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[General]\nmode=\nx=1\n") > 0);
        file.close();
        ConfigStore store(file.fileName());
        // Read as another program would, while the store is still open; an
        // empty value counts as present.
        QVERIFY(file.open(QIODevice::ReadOnly));
        // QSettings ends lines with CR LF on Windows.
        QByteArrayList lines = file.readAll().replace("\r\n", "\n").split('\n');
        lines.removeAll(QByteArray());
        std::sort(lines.begin(), lines.end());
        QCOMPARE(lines, QByteArrayList({"MultSvr=0", "[General]", "language=zh", "mode=", "x=1"}));
    }

    // The process-wide store and the translation are set up once per process:
    // this is the one test that uses them, as an installed copy does (a
    // working folder it may not write in, the translation beside the program).
    void englishAndUpgradeButtonWhenInstalled()
    {
        const QString configFile = enterInstalledCase();
        QSettings(configFile, QSettings::IniFormat).setValue("language", "en");
        installTranslation();
        QueryTool english(nullptr, windowConfigFromFile());
        QCOMPARE(child<QPushButton>(&english, "query_btn")->text(), QString("Start search"));
        QVERIFY2(child(&english, "enter_updata_btn")->isHidden(), "mode 0, the default, hides it");
        // The program's store shares the process's view of the file.
        QSettings(configFile, QSettings::IniFormat).setValue("mode", "-3");
        QueryTool upgrade(nullptr, windowConfigFromFile());
        QVERIFY2(!child(&upgrade, "enter_updata_btn")->isHidden(), "any other integer shows it");
        QVERIFY(QDir::setCurrent(folder.folder.path()));
    }

private:
    // Moves to a working folder the program may not write in and returns
    // where its config.ini then lives. /proc is closed even to root; Wine has
    // no such folder, so there the scratch folder and its config.ini stay.
    QString enterInstalledCase()
    {
#ifdef Q_OS_WIN
        return "config.ini";
#else
        const QString dataFolder = folder.folder.filePath("data");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataFolder));
        if (!QDir::setCurrent("/proc"))
            qFatal("no read-only working folder");
        return dataFolder + "/QueryTool/config.ini";
#endif
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
