// Search ranges: their parsing and merging, the sweep's pace, and a
// terminal behind a router (network namespaces) set at its own address by
// querytool-cli apply. The window's search through the same router, which
// finds those terminals only through the ranges, is tst_window_ranges.
#include "PrivateNetwork.h"
#include "core/search/AddressSweep.h"
#include "core/search/SearchRange.h"
#include "platform/SocketLayer.h"

#include <QtTest>

namespace {

std::vector<SearchRange> parsed(const QStringList& texts)
{
    std::vector<SearchRange> ranges;
    for (const QString& text : texts) {
        SearchRange range;
        if (parseSearchRange(text.toStdString(), &range) == SearchRangeFault::None)
            ranges.push_back(range);
    }
    return ranges;
}

QStringList texts(const std::vector<SearchRange>& ranges)
{
    QStringList out;
    for (const SearchRange& range : ranges)
        out << QString::fromStdString(range.text());
    return out;
}

}  // namespace

class RangesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(SocketLayerStartup()); }
    void cleanupTestCase() { SocketLayerShutdown(); }

    // Each list is parsed (refused texts dropped) and merged; `text` is what
    // is left, `size` how many addresses that is.
    void parseAndMerge_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("text");
        QTest::addColumn<qulonglong>("size");
        QTest::newRow("cidr") << QStringList{"10.2.0.0/16"} << QStringList{"10.2.0.0/16"} << 65536ull;
        QTest::newRow("cidr host bits") << QStringList{"10.2.3.4/24"} << QStringList{"10.2.3.0/24"} << 256ull;
        QTest::newRow("first-last") << QStringList{"10.3.1.10-10.3.1.200"} << QStringList{"10.3.1.10-10.3.1.200"}
                                    << 191ull;
        QTest::newRow("first-last is a subnet")
            << QStringList{" 10.3.1.0 - 10.3.1.255 "} << QStringList{"10.3.1.0/24"} << 256ull;
        QTest::newRow("one address") << QStringList{"10.9.9.9/32"} << QStringList{"10.9.9.9-10.9.9.9"} << 1ull;
        QTest::newRow("largest") << QStringList{"10.0.0.0-10.0.255.255"} << QStringList{"10.0.0.0/16"} << 65536ull;
        QTest::newRow("too large") << QStringList{"10.0.0.0/15", "10.0.0.0-10.1.0.0"} << QStringList{} << 0ull;
        QTest::newRow("malformed") << QStringList{"10.2.0/16", "10.2.0.0/33", "10.2.0.256/24", "10.2.0.0/", "abc", "",
            "10.2.0.0/16/2", "10.3.1.200-10.3.1.10", "10.3.1.1-", "0x0a.2.0.0/16", "10.2.0.0-10.2.0.5/30"}
                                   << QStringList{} << 0ull;
        QTest::newRow("overlapping and adjacent merged")
            << QStringList{"10.0.3.0/30", "10.0.0.0/24", "10.0.0.128-10.0.1.5", "10.0.1.6-10.0.1.9"}
            << QStringList{"10.0.0.0-10.0.1.9", "10.0.3.0/30"} << 270ull;
    }
    void parseAndMerge()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, text);
        QFETCH(qulonglong, size);
        const std::vector<SearchRange> merged = mergeSearchRanges(parsed(given));
        QCOMPARE(texts(merged), text);
        qulonglong total = 0;
        for (const SearchRange& range : merged)
            total += range.size();
        QCOMPARE(total, size);
    }

    // The pace counts GETs sent: answered addresses are skipped without
    // taking a turn, and each address goes once.
    void sweepPace()
    {
        AddressSweep sweep(parsed({"10.0.0.0/24", "10.0.0.250-10.0.1.9"}), 100);
        sweep.answered(0x0A000001u);
        sweep.answered(0x0A000003u);
        std::vector<uint32_t> sent;
        sweep.due(0, &sent);
        QCOMPARE(sent, std::vector<uint32_t>{0x0A000000u});
        sweep.due(990, &sent);
        QCOMPARE(sent.size(), size_t(100));
        QCOMPARE(sent.back(), 0x0A000065u);
        QCOMPARE(sweep.msToNext(990), 10);
        sweep.due(100000, &sent);
        QCOMPARE(sent.size(), size_t(266 - 2));
        QVERIFY(sweep.done());
        QCOMPARE(sweep.passed(), sweep.total());
    }

    void behindARouter()
    {
        RoutedNetwork network(3);
        QVERIFY(network.started());
        InNamespace toolSide(network.toolSide);
        QVERIFY(toolSide.entered);
        // A sheet applied through the router reaches the terminal and is verified.
        QTemporaryDir folder;
        QFile sheet(folder.filePath("sheet.csv"));
        QVERIFY(sheet.open(QIODevice::WriteOnly) && sheet.write("MAC,ID\n00-12-37-02-00-02,555\n") > 0);
        sheet.close();
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBP_LOCAL_PORT", "0");
        environment.insert("DBP_SEARCH_SENDS", "0");
        environment.insert("DBP_SWEEP_RATE", "2000");
        cli.setProcessEnvironment(environment);
        cli.start(CLI_PROGRAM, {"apply", sheet.fileName(), "--range", "10.82.0.0/24"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(static_cast<int>(network.sims[1]->terminal(1).ID), 555);
    }
};

QTEST_GUILESS_MAIN(RangesTest)
#include "tst_ranges.moc"
