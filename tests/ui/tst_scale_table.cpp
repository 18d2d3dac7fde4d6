// The terminal table and terminal list at installation scale: the indexed,
// batched discovery of the window against the reply-by-reply algorithm it
// replaces (linear scans, one row inserted at the top and the table sorted
// per reply), on random reply streams with repeats, renames, ServerPort-only
// differences, replies without a model code and header clicks in between.
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/ReferenceConflicts.h"
#include "tests/ui/ScratchFolder.h"
#include "ui/conflict/ConflictRules.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/QueryTool.h"
#include "ui/main/TerminalListItem.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

namespace {

// The discovery as first written, on a table of its own.
class ReferenceDiscovery {
public:
    explicit ReferenceDiscovery(QTableWidget* table)
        : table(table)
    {
    }

    // get_terminal_slot over one batch of replies.
    void take(const QList<TerminalParam>& batch)
    {
        for (const TerminalParam& record : batch) {
            bool known = false;
            for (const TerminalParam& t : qAsConst(terminalList))
                known = known || sameTerminal(t, record);
            if (!known)
                terminalList.append(record);
            put(record);
        }
        label = QString::fromUtf8("找到%1个设备").arg(terminalList.size());
    }

    // addOrUpdateTerminal.
    void put(const TerminalParam& record)
    {
        if (record.Type[0] == '\0')
            return;
        if (TerminalListItem* item = find(record)) {
            item->param = record;
            item->updateModelText();
            return;
        }
        table->insertRow(0);
        fillTerminalRow(table, 0, &record);
    }

    // findTerminalItem: the first matching row from the top.
    TerminalListItem* find(const TerminalParam& record) const
    {
        for (int row = 0; row < table->rowCount(); ++row) {
            auto* item = dynamic_cast<TerminalListItem*>(table->item(row, 0));
            if (item != nullptr && item->param.ID == record.ID && std::strcmp(item->param.Type, record.Type) == 0
                && std::strcmp(item->param.IP, record.IP) == 0 && std::strcmp(item->param.MAC, record.MAC) == 0)
                return item;
        }
        return nullptr;
    }

    // query_terminal.
    void newSearch()
    {
        table->setRowCount(0);
        terminalList.clear();
    }

    QTableWidget* table;
    QList<TerminalParam> terminalList;
    QString label;
};

bool everyPair(const TerminalParam&, const TerminalParam&)
{
    return true;
}

// What the user can see of a table (and which reply each row holds), top
// to bottom.
QStringList snapshot(QTableWidget* table)
{
    const QHeaderView* header = table->horizontalHeader();
    QStringList lines{QString("sorting %1, column %2, order %3")
                          .arg(table->isSortingEnabled())
                          .arg(header->sortIndicatorSection())
                          .arg(header->sortIndicatorOrder())};
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << (table->item(row, column) != nullptr ? table->item(row, column)->text() : "(none)");
        auto* item = dynamic_cast<TerminalListItem*>(table->item(row, 0));
        cells << (item != nullptr ? QString::number(item->param.CSeq) : "(no record)");
        cells << QString::number(table->item(row, 5) != nullptr ? table->item(row, 5)->textAlignment() : -1);
        lines << cells.join('|');
    }
    return lines;
}

// Random replies from a pool of terminals, drawn so that column 0 has many
// equal texts and replies often repeat or change a little.
class ReplyStream {
public:
    ReplyStream(uint32_t seed, int poolSize)
        : rng(seed)
    {
        for (int i = 0; i < poolSize; ++i)
            pool.append(newTerminal());
    }

    TerminalParam next()
    {
        const int i = pick(pool.size());
        TerminalParam t = pool.at(i);
        switch (pick(12)) {
        case 0:  // renamed; the terminal keeps its new name
            std::snprintf(pool[i].Name, sizeof t.Name, "%s", kNames[pick(kNameCount)]);
            t = pool.at(i);
            break;
        case 1:  // the same terminal behind another server port
            t.ServerPort = static_cast<uint16_t>(t.ServerPort + 1 + pick(2));
            break;
        case 2:  // no model code: counted, never shown
            t.Type[0] = '\0';
            break;
        case 3:  // moved to another (possibly shared) address
            std::snprintf(pool[i].IP, sizeof t.IP, "127.1.0.%d", 1 + pick(pool.size() + 5));
            t = pool.at(i);
            break;
        case 4:  // another state and version: a row update leaves those cells
            std::snprintf(t.Mode, sizeof t.Mode, "%s", pick(2) ? "Upgrade" : "Normal");
            std::snprintf(t.Ver, sizeof t.Ver, "2.%d", pick(9));
            break;
        default:
            break;
        }
        t.CSeq = ++sequence;
        return t;
    }

    // A terminal never seen before, with a model code: its row shows that
    // every reply before it has been taken over.
    TerminalParam marker()
    {
        TerminalParam t = newTerminal();
        t.CSeq = ++sequence;
        return t;
    }

    int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

private:
    static constexpr const char* kNames[] = {"", "--", "Hall", "Gate", "Lobby"};
    static constexpr int kNameCount = 5;
    static constexpr const char* kTypes[] = {"NA-100", "NA-200", "MS-10", "HS-1"};

    TerminalParam newTerminal()
    {
        const int n = ++created;
        TerminalParam t;
        t.ID = pick(20) == 0 ? -1 : n;
        std::snprintf(t.Type, sizeof t.Type, "%s", kTypes[pick(4)]);
        std::snprintf(t.Name, sizeof t.Name, "%s", kNames[pick(kNameCount)]);
        std::snprintf(t.Mode, sizeof t.Mode, "Normal");
        std::snprintf(t.Ver, sizeof t.Ver, "1.%d", pick(5));
        std::snprintf(t.MAC, sizeof t.MAC, "00-12-37-00-%02X-%02X", (n >> 8) & 0xFF, n & 0xFF);
        std::snprintf(t.IP, sizeof t.IP, "127.1.%d.%d", n / 250, 1 + n % 250);
        t.ServerPort = 7900;
        return t;
    }

    std::mt19937 rng;
    QVector<TerminalParam> pool;
    int created = 0;
    uint16_t sequence = 0;
};

}  // namespace

class ScaleTableTest : public QObject {
    Q_OBJECT

private slots:
    void window_data()
    {
        QTest::addColumn<uint>("seed");
        QTest::addColumn<int>("pool");
        QTest::addColumn<int>("batch");

        QTest::newRow("small pool") << 11u << 15 << 40;
        QTest::newRow("larger pool") << 12u << 120 << 150;
        // Batches this long are taken over in several turns of the event loop.
        QTest::newRow("long batches") << 13u << 200 << 4000;
    }

    // The window fed by a worker thread matches the reference after every
    // step: table, label, terminal list, conflict lists and row lookup.
    // Header clicks, single updates and new searches come in between.
    void window()
    {
        QFETCH(uint, seed);
        QFETCH(int, pool);
        QFETCH(int, batch);

        ModalWatcher watcher;  // conflict reports are closed as they come
        QueryTool window(nullptr);
        auto* table = window.findChild<QTableWidget*>("terminalsWidget");
        auto* label = window.findChild<QLabel*>("result_label");
        QTableWidget reference(0, 6);
        ReferenceDiscovery plain(&reference);
        plain.label = label->text();
        ReplyStream stream(seed, pool);
        QHeaderView* header = table->horizontalHeader();
        reference.horizontalHeader()->setSortIndicator(header->sortIndicatorSection(), header->sortIndicatorOrder());

        for (int step = 0; step < 30; ++step) {
            switch (stream.pick(8)) {
            case 0: {
                const int column = stream.pick(6);
                const Qt::SortOrder order = stream.pick(2) ? Qt::AscendingOrder : Qt::DescendingOrder;
                header->setSortIndicator(column, order);
                reference.horizontalHeader()->setSortIndicator(column, order);
                break;
            }
            case 1: {
                const TerminalParam record = stream.next();
                window.addOrUpdateTerminal(record);
                plain.put(record);
                break;
            }
            case 2:
                window.query_terminal();
                plain.newSearch();
                break;
            default: {
                QList<TerminalParam> replies;
                for (int n = 1 + stream.pick(batch); n > 0; --n)
                    replies << stream.next();
                const TerminalParam last = stream.marker();
                replies << last;
                std::thread worker([&replies] {
                    for (TerminalParam record : replies)
                        onTerminalReply(&record);
                });
                worker.join();
                plain.take(replies);
                QTRY_VERIFY_WITH_TIMEOUT(window.findTerminalItem(&last) != nullptr, 60000);
                break;
            }
            }
            QCOMPARE(snapshot(table), snapshot(&reference));
            QCOMPARE(label->text(), plain.label);
            for (auto predicate : {everyPair, isIpConflict, isMacConflict})
                QCOMPARE(places(window.collectConflicts(predicate)), places(pairwiseConflicts(plain.terminalList, predicate)));
            for (int probe = 0; probe < 5; ++probe) {
                const TerminalParam record = stream.next();
                const TerminalListItem* found = window.findTerminalItem(&record);
                const TerminalListItem* expected = plain.find(record);
                QCOMPARE(found != nullptr ? int(found->param.CSeq) : -1,
                         expected != nullptr ? int(expected->param.CSeq) : -1);
            }
        }
    }

private:
    ScratchFolder folder;
};

QTEST_MAIN(ScaleTableTest)
#include "tst_scale_table.moc"
