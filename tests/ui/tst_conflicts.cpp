// The conflict check: which terminals it groups and in which order; that it
// waits until replies stop, then runs once and reports both kinds. Replies
// reach the window the way the engine hands them over; it has no engine.
#include "tests/ui/DiscoveryRig.h"
#include "tests/ui/ModalWatcher.h"
#include "ui/conflict/ConflictRules.h"
#include "ui/main/PendingReplies.h"

#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <utility>

namespace {

constexpr int kWaitMs = 10000;

}  // namespace

class ConflictsTest : public QObject {
    Q_OBJECT

private slots:
    void grouping_data()
    {
        // Reply i: ID=i, no IP and no MAC unless it says otherwise.
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QList<int>>("ipOrder");
        QTest::addColumn<QList<int>>("macOrder");

        QTest::newRow("later members in list order, then the first; groups by first member")
            << QByteArrayList{"IP=9; MAC=a", "IP=1; MAC=b", "IP=9; MAC=c", "IP=1; MAC=d", "IP=9; MAC=e"}
            << QList<int>{2, 4, 0, 3, 1} << QList<int>{};
        QTest::newRow("IP and MAC groups apart")
            << QByteArrayList{"IP=1; MAC=a", "IP=2; MAC=a", "IP=1"} << QList<int>{2, 0} << QList<int>{1, 0};
        QTest::newRow("only ID differs") << QByteArrayList{"IP=1", "IP=1"} << QList<int>{1, 0} << QList<int>{1, 0};
        QTest::newRow("only ServerPort differs")
            << QByteArrayList{"ID=7", "ID=7; ServerPort=9"} << QList<int>{1, 0} << QList<int>{1, 0};
        QTest::newRow("same reply twice: one terminal")
            << QByteArrayList{"ID=7", "ID=7"} << QList<int>{} << QList<int>{};
        QTest::newRow("empty Type: counted")
            << QByteArrayList{"MAC=a", "MAC=b; Type="} << QList<int>{1, 0} << QList<int>{};
        QTest::newRow("texts compare byte for byte")
            << QByteArrayList{"IP=1.5; MAC=a", "IP=1.05; MAC=A"} << QList<int>{} << QList<int>{};
    }

    void grouping()
    {
        QFETCH(QByteArrayList, replies);
        QFETCH(QList<int>, ipOrder);
        QFETCH(QList<int>, macOrder);

        QueryTool window(nullptr);
        window.setReplyTurnMs(0);  // no turn is put off: each reply is taken over at once
        for (int i = 0; i < replies.size(); ++i) {
            const QByteArray n = QByteArray::number(i);
            TerminalParam reply = record("Type=IPA-10; ServerPort=8; ID=" + n + "; CSeq=" + n + "; " + replies.at(i));
            onTerminalReply(&reply);
        }
        QCoreApplication::processEvents();  // the hand-over is always queued
        for (const auto& kind : {qMakePair(&isIpConflict, ipOrder), qMakePair(&isMacConflict, macOrder)}) {
            QList<int> places;  // the replies' CSeq
            for (const TerminalParam& t : window.collectConflicts(kind.first))
                places << t.CSeq;
            QCOMPARE(places, kind.second);
        }
        ModalWatcher watcher;
        window.check_conflict();
        QCOMPARE(watcher.count(), ipOrder.isEmpty() && macOrder.isEmpty() ? 0 : 1);
    }

    // Batches 400 ms apart, each pushing the 500 ms check back. In between
    // the test sleeps without running the event loop, so the check can only
    // run where the test looks for it: early if a batch did not push it back.
    void checkWaitsForRepliesToStopThenReportsOnce()
    {
        QueryTool window(nullptr);
        window.setReplyTurnMs(0);  // no turn is put off
        ModalWatcher watcher;
        QStringList report;  // each table of the report: name, rows, shown
        watcher.setHandler([&](QWidget* dialog) {
            for (QTableWidget* t : dialog->findChildren<QTableWidget*>()) {
                bool shown = true;  // every address whole, without resizing or scrolling
                for (int cell = 0; cell < 2 * t->rowCount(); ++cell) {
                    const QModelIndex at = t->model()->index(cell / 2, 4 + cell % 2);
                    shown &= t->visualRect(at).right() < t->viewport()->width()
                        && t->visualRect(at).width() > t->fontMetrics().horizontalAdvance(at.data().toString());
                }
                report << t->objectName()
                        + QString(" %1 %2 %3").arg(t->rowCount()).arg(t->isVisibleTo(dialog)).arg(shown);
            }
            return false;
        });
        const QByteArray changes[] = {"", "IP=127.1.0.1", "", "IP=127.1.0.1; MAC=00-12-37-00-00-03"};
        for (int n = 1; n <= 4; ++n) {
            if (n > 1)
                QThread::msleep(400);
            TerminalParam reply = record(changes[n - 1], testTerminal(n, "IPA-10", "--"));
            onTerminalReply(&reply);
            QCoreApplication::processEvents();  // the queued hand-over; the check is 500 ms off
            QCOMPARE(child<QLabel>(&window, "result_label")->text(), foundText(n));
        }
        QCoreApplication::processEvents();
        QCOMPARE(watcher.count(), 0);
        QVERIFY(watcher.waitForCount(1));
        QTest::qWait(1500);  // three times the quiet time
        QCOMPARE(watcher.count(), 1);
        report.sort();
        QCOMPARE(report, (QStringList{"fTblID 0 0 1", "fTblIp 3 1 1", "fTblMac 2 1 1"}));
    }

    // Checks while a report is open (replies keep coming in its event loop)
    // wait for it: never a report on top of it, one more after it for the
    // conflict that came meanwhile.
    void checksDuringAnOpenReport()
    {
        QueryTool window(nullptr);
        TerminalParam pair[] = {testTerminal(1, "IPA-10", "--"), record("ID=2", testTerminal(1, "IPA-10", "--"))};
        for (TerminalParam& reply : pair)
            onTerminalReply(&reply);
        QCoreApplication::processEvents();
        ModalWatcher watcher;
        bool first = true;
        watcher.setHandler([&](QWidget* report) {
            if (!std::exchange(first, false))
                return false;
            // From the report's own event loop, as the conflict timer would.
            QTimer::singleShot(0, report, [&window, report] {
                TerminalParam third = record("ID=3", testTerminal(1, "IPA-10", "--"));
                onTerminalReply(&third);
                QCoreApplication::processEvents();
                for (int burst = 0; burst < 3; ++burst)
                    window.check_conflict();
                report->close();
            });
            return true;
        });
        window.check_conflict();
        QCOMPARE(watcher.count(), 2);  // stacked, it would be 4
    }

    // Two pairs of conflicting terminals, and a fifth that joins one pair
    // from the second GET on: one report per search, however its GETs are
    // spaced and whenever their answers come; within a search another report
    // only for a new conflict.
    void oneReportPerSearch_data()
    {
        QTest::addColumn<std::vector<int>>("plan");
        QTest::addColumn<size_t>("silentFrom");  // the fleet stops answering at this GET (0: never)
        QTest::newRow("shipped plan, the fourth GET answered after the search settled")
            << EndpointSettings().searchSendsMs << size_t(4);
        QTest::newRow("GETs a quiet period apart") << std::vector<int>{0, 1000} << size_t(0);
    }
    void oneReportPerSearch()
    {
        QFETCH(std::vector<int>, plan);
        QFETCH(size_t, silentFrom);
        LoopbackEnvironment sockets;
        ModalWatcher watcher;
        DiscoveryRig rig;
        SimConfig config;
        config.silent = {4};
        const TerminalParam one = testTerminal(1, "IPA-10", "--"), three = testTerminal(3, "IPA-10", "--");
        QVERIFY(rig.start({one, record("ID=2; MAC=00-12-37-00-00-02", one), three, record("ID=4; IP=127.1.0.4", three),
                              record("ID=5; IP=127.1.0.5", three)}, config, plan));
        TerminalSimulator& sim = *rig.sim;
        // The window's timer sends; the test only watches.
        QTRY_COMPARE_WITH_TIMEOUT(sim.requests().size(), size_t(1), kWaitMs);
        sim.setBehaviour(4, SimBehaviour::Normal);
        if (silentFrom > 0) {
            QTRY_COMPARE_WITH_TIMEOUT(sim.requests().size(), silentFrom - 1, kWaitMs);
            for (int i = 0; i < 5; ++i)
                sim.setBehaviour(i, SimBehaviour::Silent);
        }
        QTRY_COMPARE_WITH_TIMEOUT(sim.requests().size(), plan.size(), kWaitMs);
        QVERIFY(watcher.waitForCount(1, kWaitMs));
        QCOMPARE(watcher.summary(), QStringList{"QueryConflictDlg"});
        const uint16_t port = rig.thread->engine()->LocalPort();
        const uint16_t lastGet = static_cast<uint16_t>(plan.size());
        for (int i = 0; i < 5; ++i)
            QVERIFY(sim.sendFrom(i, sim.replyText(i, lastGet), 0x7F000001u, port));
        QTest::qWait(1500);  // three quiet periods
        QCOMPARE(watcher.count(), 1);

        // The same conflicts again, in a new search.
        for (int i = 0; i < 5; ++i)
            sim.setBehaviour(i, SimBehaviour::Normal);
        rig.window->query_terminal();
        QVERIFY(watcher.waitForCount(2, kWaitMs));
        QTest::qWait(1500);
        QCOMPARE(watcher.count(), 2);
        // A late answer to that search's last GET brings a new conflict.
        const QString newId = QString::fromStdString(sim.replyText(0, 2 * lastGet)).replace("ID: 1\r", "ID: 9\r");
        QVERIFY(sim.sendFrom(0, newId.toStdString(), 0x7F000001u, port));
        QVERIFY(watcher.waitForCount(3, kWaitMs));
    }

private:
    ScratchFolder folder;
};

QTEST_MAIN(ConflictsTest)
#include "tst_conflicts.moc"
