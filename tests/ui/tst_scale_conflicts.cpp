// The one-pass grouping of the conflict check against the pairwise scan it
// replaces, on random lists full of shared texts, repeated records, empty
// texts and ServerPort-only differences.
#include "tests/ui/ReferenceConflicts.h"
#include "ui/conflict/ConflictRules.h"
#include "ui/main/ConflictGroups.h"

#include <QtTest>

#include <cstdio>
#include <random>

namespace {

// Few distinct values per field, so texts are shared often and whole
// records repeat; CSeq holds the record's place.
QList<TerminalParam> randomList(uint32_t seed, int size, int spread)
{
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    QList<TerminalParam> records;
    for (int i = 0; i < size; ++i) {
        TerminalParam t;
        if (pick(8) != 0)
            std::snprintf(t.IP, sizeof t.IP, "10.0.%d.%d", pick(2), pick(spread));
        if (pick(8) != 0)
            std::snprintf(t.MAC, sizeof t.MAC, "00-12-37-00-%02X-%02X", pick(2), pick(spread));
        t.ID = pick(3);
        t.ServerPort = static_cast<uint16_t>(pick(2) ? 7900 : 7901);
        t.CSeq = static_cast<uint16_t>(i);
        records << t;
    }
    return records;
}

}  // namespace

class ScaleConflictsTest : public QObject {
    Q_OBJECT

private slots:
    void randomLists_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("spread");

        QTest::newRow("crowded, 40") << 40 << 3;
        QTest::newRow("crowded, 300") << 300 << 6;
        QTest::newRow("mixed, 600") << 600 << 40;
        QTest::newRow("sparse, 1500") << 1500 << 250;
    }

    void randomLists()
    {
        QFETCH(int, size);
        QFETCH(int, spread);

        for (uint32_t seed = 1; seed <= 25; ++seed) {
            const QList<TerminalParam> list = randomList(seed, size, spread);
            QCOMPARE(places(groupConflicts(list, ConflictField::IP)), places(pairwiseConflicts(list, isIpConflict)));
            QCOMPARE(places(groupConflicts(list, ConflictField::MAC)), places(pairwiseConflicts(list, isMacConflict)));
        }
    }
};

QTEST_GUILESS_MAIN(ScaleConflictsTest)
#include "tst_scale_conflicts.moc"
