// The one-pass grouping of the conflict check against the pairwise scan it
// replaces, on hand-made lists and on random ones full of shared texts,
// repeated replies and ServerPort-only differences.
#include "ui/conflict/ConflictRules.h"
#include "ui/main/ConflictGroups.h"

#include <QtTest>

#include <cstdio>
#include <random>

Q_DECLARE_METATYPE(ConflictField)

namespace {

// The scan as first written: every record against every later one still in
// the working copy; a record taken into a group is not compared again.
QList<TerminalParam> pairwiseConflicts(const QList<TerminalParam>& records,
                                       bool (*predicate)(const TerminalParam&, const TerminalParam&))
{
    QList<TerminalParam> result;
    QList<TerminalParam> working = records;
    for (int i = 0; i < working.size(); ++i) {
        const TerminalParam current = working.at(i);
        bool matched = false;
        for (int j = i + 1; j < working.size();) {
            if (predicate(working.at(j), current)) {
                matched = true;
                result.append(working.at(j));
                working.removeAt(j);
            } else {
                ++j;
            }
        }
        if (matched)
            result.append(current);
    }
    return result;
}

// A record's place in its list travels in CSeq, so results compare by it.
QList<int> places(const QList<TerminalParam>& records)
{
    QList<int> result;
    for (const TerminalParam& r : records)
        result << r.CSeq;
    return result;
}

// "IP|MAC|ID|ServerPort"; CSeq takes the record's place in the list.
QList<TerminalParam> listOf(const QStringList& specs)
{
    QList<TerminalParam> records;
    for (const QString& spec : specs) {
        const QStringList parts = spec.split('|');
        TerminalParam t;
        qstrncpy(t.IP, parts.value(0).toUtf8().constData(), sizeof t.IP);
        qstrncpy(t.MAC, parts.value(1).toUtf8().constData(), sizeof t.MAC);
        t.ID = parts.value(2, "1").toInt();
        t.ServerPort = static_cast<uint16_t>(parts.value(3, "7900").toUInt());
        t.CSeq = static_cast<uint16_t>(records.size());
        records << t;
    }
    return records;
}

// Few distinct values per field, so texts are shared often and whole
// records repeat.
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
    void handMade_data();
    void handMade();
    void randomLists_data();
    void randomLists();
};

void ScaleConflictsTest::handMade_data()
{
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QList<int>>("ip");
    QTest::addColumn<QList<int>>("mac");

    QTest::newRow("empty") << QStringList{} << QList<int>{} << QList<int>{};
    QTest::newRow("interleaved groups")
        << QStringList{"10.0.0.1|A|1", "10.0.0.2|B|2", "10.0.0.1|C|3", "10.0.0.2|D|4", "10.0.0.1|E|5"}
        << QList<int>{2, 4, 0, 3, 1} << QList<int>{};
    // The second record is the first one again: it stays behind when the
    // third is taken, and meets nobody afterwards.
    QTest::newRow("repeat of the first, then a conflict")
        << QStringList{"10.0.0.1|A|1", "10.0.0.1|A|1", "10.0.0.1|B|2"} << QList<int>{2, 0}
        << QList<int>{};
    // The repeat of the first conflicts with the third, but the third has
    // already been taken into the first's group.
    QTest::newRow("repeat of the first after the conflict")
        << QStringList{"10.0.0.1|A|1", "10.0.0.1|B|2", "10.0.0.1|A|1"} << QList<int>{1, 0}
        << QList<int>{};
    QTest::newRow("repeats only") << QStringList{"10.0.0.1|A|1", "10.0.0.1|A|1", "10.0.0.1|A|1"}
                                  << QList<int>{} << QList<int>{};
    QTest::newRow("ServerPort only")
        << QStringList{"10.0.0.1|A|1|7900", "10.0.0.1|A|1|7901"} << QList<int>{1, 0} << QList<int>{1, 0};
    QTest::newRow("two repeated terminals sharing a MAC")
        << QStringList{"10.0.0.1|A|1", "10.0.0.2|A|2", "10.0.0.1|A|1", "10.0.0.2|A|2"} << QList<int>{}
        << QList<int>{1, 3, 0};
    QTest::newRow("no texts") << QStringList{"||1", "||2", "10.0.0.9||3"} << QList<int>{1, 0}
                              << QList<int>{1, 2, 0};
}

void ScaleConflictsTest::handMade()
{
    QFETCH(QStringList, records);
    QFETCH(QList<int>, ip);
    QFETCH(QList<int>, mac);

    const QList<TerminalParam> list = listOf(records);
    QCOMPARE(places(pairwiseConflicts(list, isIpConflict)), ip);
    QCOMPARE(places(pairwiseConflicts(list, isMacConflict)), mac);
    QCOMPARE(places(groupConflicts(list, ConflictField::IP)), ip);
    QCOMPARE(places(groupConflicts(list, ConflictField::MAC)), mac);
}

void ScaleConflictsTest::randomLists_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("spread");

    QTest::newRow("crowded, 40") << 40 << 3;
    QTest::newRow("crowded, 300") << 300 << 6;
    QTest::newRow("mixed, 600") << 600 << 40;
    QTest::newRow("sparse, 1500") << 1500 << 250;
}

void ScaleConflictsTest::randomLists()
{
    QFETCH(int, size);
    QFETCH(int, spread);

    for (uint32_t seed = 1; seed <= 25; ++seed) {
        const QList<TerminalParam> list = randomList(seed, size, spread);
        QCOMPARE(places(groupConflicts(list, ConflictField::IP)), places(pairwiseConflicts(list, isIpConflict)));
        QCOMPARE(places(groupConflicts(list, ConflictField::MAC)), places(pairwiseConflicts(list, isMacConflict)));
    }
}

QTEST_GUILESS_MAIN(ScaleConflictsTest)
#include "tst_scale_conflicts.moc"
