// config.ini and what the main window takes from it: missing keys written
// with their defaults at once, the English translation from ./translate/,
// and the "mode" key that shows the enter-upgrade button. No engine.
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
    // this is the one test that uses them, in the scratch folder.
    void englishAndUpgradeButtonFromConfigIni()
    {
        QSettings("config.ini", QSettings::IniFormat).setValue("language", "en");
        QVERIFY(QDir().mkdir("translate"));
        QVERIFY(QFile::copy(QUERY_QM_DIR "/en.qm", "translate/en.qm"));
        installTranslation();
        QueryTool english(nullptr, windowConfigFromFile());
        QCOMPARE(child<QPushButton>(&english, "query_btn")->text(), QString("Start search"));
        QVERIFY2(child(&english, "enter_updata_btn")->isHidden(), "mode 0, the default, hides it");
        // The program's store shares the process's view of the file.
        QSettings("config.ini", QSettings::IniFormat).setValue("mode", "-3");
        QueryTool upgrade(nullptr, windowConfigFromFile());
        QVERIFY2(!child(&upgrade, "enter_updata_btn")->isHidden(), "any other integer shows it");
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
