// The window's fast discovery (hash indexes, rows placed in batches, replies
// taken over in turns) and its grouped conflict check against the
// straightforward algorithms they replace, on random reply streams. Only such
// a comparison pins the order of rows whose sort texts tie (column 0, the
// default sort).
#include "tests/support/RecordText.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/ScratchFolder.h"
#include "ui/conflict/ConflictRules.h"
#include "ui/main/PendingReplies.h"
#include "ui/main/QueryTool.h"
#include "ui/rows/TerminalListItem.h"

#include <QLabel>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>

namespace {

// The discovery as first written: a scan for the terminal and one for its
// row; a new row goes in at the top and the table sorts per reply.
struct ReferenceDiscovery {
    QTableWidget table{0, 6};
    QList<TerminalParam> terminals;

    void take(const TerminalParam& r)
    {
        if (std::none_of(
                terminals.begin(), terminals.end(), [&](const TerminalParam& t) { return sameTerminal(t, r); }))
            terminals << r;
        if (r.Type[0] == '\0')
            return;
        for (int row = 0; row < table.rowCount(); ++row) {
            auto* item = static_cast<TerminalListItem*>(table.item(row, 0));
            const TerminalParam& t = item->param;
            if (t.ID == r.ID && !std::strcmp(t.Type, r.Type) && !std::strcmp(t.IP, r.IP)
                && !std::strcmp(t.MAC, r.MAC)) {
                item->param = r;
                item->updateModelText();
                return;
            }
        }
        table.insertRow(0);
        fillTerminalRow(&table, 0, &r);
    }
};

// Where each record of a list stands in the reply stream (its CSeq).
QList<int> places(const QList<TerminalParam>& records)
{
    QList<int> result;
    for (const TerminalParam& t : records)
        result << t.CSeq;
    return result;
}

// The conflict scan as first written, as places: each record against every
// later one still in the list; a record taken into a group is not compared again.
QList<int> pairwiseConflicts(QList<TerminalParam> list, bool (*conflict)(const TerminalParam&, const TerminalParam&))
{
    QList<int> found;
    for (int i = 0; i < list.size(); ++i) {
        const int before = found.size();
        for (int j = i + 1; j < list.size(); ++j) {
            if (conflict(list.at(j), list.at(i)))
                found << list.takeAt(j--).CSeq;
        }
        if (found.size() > before)
            found << list.at(i).CSeq;
    }
    return found;
}

// What the user sees of a table, top to bottom, and the reply each row holds.
QStringList snapshot(QTableWidget* table)
{
    QStringList lines;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells{QString::number(static_cast<TerminalListItem*>(table->item(row, 0))->param.CSeq)};
        for (int column = 0; column < 6; ++column)
            cells << table->item(row, column)->text();
        lines << cells.join('|');
    }
    return lines;
}

// A reply of terminal n (drawn below `spread`, so terminals repeat), now and
// then from its neighbour's address, behind another server port or without a
// model code; its name and state change freely.
TerminalParam randomReply(std::mt19937& rng, int spread, uint16_t cseq)
{
    const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const int n = pick(spread);
    return record(QString("MAC=M%1; IP=127.1.0.%2; ServerPort=%3; Type=%4; Name=%5; Mode=%6; CSeq=%7; ID=%1")
                      .arg(n)
                      .arg(pick(8) == 0 ? (n + 1) % spread : n)
                      .arg(pick(8) == 0 ? 7901 : 7900)
                      .arg(pick(10) == 0 ? "" : QStringList{"NA-100", "MS-10", "HS-1"}.at(n % 3))
                      .arg(QStringList{"", "--", "Hall", "Gate"}.at(pick(4)))
                      .arg(pick(4) == 0 ? "Upgrade" : "Normal")
                      .arg(cseq)
                      .toUtf8());
}

}  // namespace

class ScaleTableTest : public QObject {
    Q_OBJECT

private slots:
    // The table, the label and the conflict lists after every batch, on 200
    // terminals with five model texts among them, so that column 0 ties
    // everywhere. A batch of up to 4000 replies comes in two deliveries, the
    // second while the first may still be taken over; now and then a new
    // search starts over.
    void tableLabelAndConflictsMatchReplyByReply()
    {
        ModalWatcher watcher;  // conflict reports are closed as they come
        QueryTool window(nullptr);
        window.setReplyTurnMs(0);  // a long batch always takes several turns
        ReferenceDiscovery plain;
        std::mt19937 rng(13);
        uint16_t sequence = 0;
        int unfinishedAfterOneTurn = 0;
        // Hands a batch over as the engine's worker thread does.
        const auto deliver = [](const QList<TerminalParam>& batch) {
            std::thread([&batch] {
                for (TerminalParam reply : batch)
                    onTerminalReply(&reply);
            }).join();
        };
        for (int step = 0; step < 30; ++step) {
            if (rng() % 6 == 0) {
                window.query_terminal();
                plain.table.setRowCount(0);
                plain.terminals.clear();
                continue;
            }
            QList<TerminalParam> replies;
            for (int n = 1 + static_cast<int>(rng() % 4000); n > 0; --n)
                replies << randomReply(rng, 200, ++sequence);
            // A new row, to show that the batch is through.
            const TerminalParam last = record("Type=NA-100; MAC=batch " + QByteArray::number(step));
            replies << last;
            const int split = static_cast<int>(rng() % static_cast<unsigned>(replies.size()));
            deliver(replies.mid(0, split));
            QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
            deliver(replies.mid(split));
            QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
            unfinishedAfterOneTurn += window.findTerminalItem(&last) == nullptr;
            QTRY_VERIFY_WITH_TIMEOUT(window.findTerminalItem(&last) != nullptr, 60000);
            for (const TerminalParam& reply : qAsConst(replies))
                plain.take(reply);
            QCOMPARE(snapshot(child<QTableWidget>(&window, "terminalsWidget")), snapshot(&plain.table));
            QCOMPARE(child<QLabel>(&window, "result_label")->text(),
                QString::fromUtf8("找到%1个设备").arg(plain.terminals.size()));
            for (auto conflict : {isIpConflict, isMacConflict})
                QCOMPARE(places(window.collectConflicts(conflict)), pairwiseConflicts(plain.terminals, conflict));
        }
        QVERIFY(unfinishedAfterOneTurn > 0);
    }

private:
    ScratchFolder folder;
};

QTEST_MAIN(ScaleTableTest)
#include "tst_scale_table.moc"
