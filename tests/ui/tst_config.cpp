// config.ini and the translation: the file is created and completed with
// defaults without touching what is there, and language=en with
// ./translate/en.qm present turns the interface English.
#include "app/ConfigStore.h"
#include "app/Translation.h"
#include "ui/main/QueryTool.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT

private slots:
    void completesMissingKeys_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("expected");  // mode, MultSvr, language

        QTest::newRow("no file") << QByteArray() << QStringList{"0", "0", "zh"};
        QTest::newRow("language only") << QByteArray("[General]\nlanguage=en\n")
                                       << QStringList{"0", "0", "en"};
        QTest::newRow("mode only") << QByteArray("[General]\nmode=1\n") << QStringList{"1", "0", "zh"};
        QTest::newRow("empty values") << QByteArray("[General]\nmode=\nMultSvr=\nlanguage=\n")
                                      << QStringList{"", "", ""};
    }

    void completesMissingKeys()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath("config.ini");
        if (!before.isNull())
            writeAll(path, before);
        {
            ConfigStore store(path);
            for (int i = 0; i < ConfigStore::kKeyCount; ++i)
                QCOMPARE(store.read(i), expected[i]);
            QCOMPARE(store.read(3), QString());
            QCOMPARE(store.read(-1), QString());
        }
        // On disk at once, as another reader sees it.
        QVERIFY(QFile::exists(path));
        QSettings check(path, QSettings::IniFormat);
        QCOMPARE(check.value("mode").toString(), expected[0]);
        QCOMPARE(check.value("MultSvr").toString(), expected[1]);
        QCOMPARE(check.value("language").toString(), expected[2]);
    }

    void completeFileIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("config.ini");
        const QByteArray before = "[General]\nmode=7\nMultSvr=abc\nlanguage=fr\nextra=kept\n\n"
                                  "[other]\nkey=value\n";
        writeAll(path, before);
        {
            ConfigStore store(path);
            QCOMPARE(store.read(ConfigStore::Mode), QString("7"));
            QCOMPARE(store.read(ConfigStore::MultSvr), QString("abc"));
            QCOMPARE(store.read(ConfigStore::Language), QString("fr"));
        }
        QCOMPARE(readAll(path), before);
    }

    void otherKeysSurviveCompletion()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("config.ini");
        writeAll(path, "[General]\nextra=kept\n\n[other]\nkey=value\n");
        { ConfigStore store(path); }
        QSettings check(path, QSettings::IniFormat);
        QCOMPARE(check.value("extra").toString(), QString("kept"));
        QCOMPARE(check.value("other/key").toString(), QString("value"));
        QCOMPARE(check.value("language").toString(), QString("zh"));
    }

    // The process-wide store and the translation run once per process, so
    // this is the one test that uses them.
    void englishFromTranslateFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        writeAll("config.ini", "[General]\nlanguage=en\n");
        QVERIFY(QDir().mkdir("translate"));
        QVERIFY(QFile::copy(QStringLiteral(QUERY_QM_DIR "/en.qm"), "translate/en.qm"));

        installTranslation();

        QSettings check("./config.ini", QSettings::IniFormat);
        QCOMPARE(check.value("mode").toString(), QString("0"));
        QCOMPARE(check.value("MultSvr").toString(), QString("0"));
        QCOMPARE(check.value("language").toString(), QString("en"));
        QCOMPARE(ConfigStore::value(ConfigStore::Language), QString("en"));

        QueryTool window(nullptr);
        QCOMPARE(window.findChild<QPushButton*>("query_btn")->text(), QString("Start search"));
        QCOMPARE(window.findChild<QLabel*>("result_label")->text(), QString("0 devices found"));
        QCOMPARE(window.findChild<QTableWidget*>("terminalsWidget")->horizontalHeaderItem(4)->text(),
                 QString("IP address"));
        // mode defaulted to 0.
        QVERIFY(window.findChild<QPushButton*>("enter_updata_btn")->isHidden());
        QCOMPARE(QCoreApplication::translate("QueryTool", "找到%1个设备").arg(3),
                 QString("Found 3 devices"));
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
