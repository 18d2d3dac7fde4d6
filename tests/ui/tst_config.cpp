// config.ini and the translation: the file is created and completed with
// defaults without touching what is there, and language=en with
// ./translate/en.qm present turns the interface English.
#include "app/ConfigStore.h"
#include "app/Translation.h"
#include "tests/ui/WidgetScript.h"
#include "ui/main/QueryTool.h"

#include <QFile>
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

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT

private slots:
    void completesMissingKeys_data()
    {
        QTest::addColumn<QByteArray>("before");     // null: no file
        QTest::addColumn<QStringList>("expected");  // mode, MultSvr, language

        QTest::newRow("no file") << QByteArray() << QStringList{"0", "0", "zh"};
        QTest::newRow("language only, other keys")
            << QByteArray("[General]\nlanguage=en\nextra=kept\n\n[other]\nkey=value\n") << QStringList{"0", "0", "en"};
        QTest::newRow("mode only") << QByteArray("[General]\nmode=1\n") << QStringList{"1", "0", "zh"};
        QTest::newRow("empty values") << QByteArray("[General]\nmode=\nMultSvr=\nlanguage=\n")
                                      << QStringList{"", "", ""};
        QTest::newRow("complete, other keys")
            << QByteArray("[General]\nmode=7\nMultSvr=abc\nlanguage=fr\nextra=kept\n\n[other]\nkey=value\n")
            << QStringList{"7", "abc", "fr"};
    }

    void completesMissingKeys()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath("config.ini");
        if (!before.isNull())
            QVERIFY(writeAll(path, before));
        {
            ConfigStore store(path);
            for (int i = 0; i < ConfigStore::kKeyCount; ++i)
                QCOMPARE(store.read(i), expected[i]);
            QCOMPARE(store.read(ConfigStore::kKeyCount), QString());
            QCOMPARE(store.read(-1), QString());
        }
        // On disk at once, as another reader sees it.
        QSettings check(path, QSettings::IniFormat);
        QCOMPARE(QStringList({check.value("mode").toString(), check.value("MultSvr").toString(),
                              check.value("language").toString()}),
                 expected);
        if (before.contains("extra")) {
            QCOMPARE(check.value("extra").toString(), QString("kept"));
            QCOMPARE(check.value("other/key").toString(), QString("value"));
        }
        // A complete file is not written at all.
        if (before.contains("mode=7"))
            QCOMPARE(readAll(path), before);
    }

    // The process-wide store and the translation run once per process, so
    // this is the one test that uses them.
    void englishFromTranslateFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(writeAll("config.ini", "[General]\nlanguage=en\n"));
        QVERIFY(QDir().mkdir("translate"));
        QVERIFY(QFile::copy(QStringLiteral(QUERY_QM_DIR "/en.qm"), "translate/en.qm"));

        installTranslation();

        QCOMPARE(ConfigStore::value(ConfigStore::Language), QString("en"));
        QueryTool window(nullptr);
        // mode defaulted to 0: no upgrade button.
        const QByteArray english = "query_btn=Start search; result_label=0 devices found; enter_updata_btn.shown=0";
        QCOMPARE(shows(&window, english), english);
        QCOMPARE(child<QTableWidget>(&window, "terminalsWidget")->horizontalHeaderItem(4)->text(),
                 QString("IP address"));
        QCOMPARE(QCoreApplication::translate("QueryTool", "找到%1个设备").arg(3), QString("Found 3 devices"));
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
