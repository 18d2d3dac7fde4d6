// The window's searches beyond one broadcast, in network namespaces: search
// ranges through a router (saved ranges swept only without an endpoint
// override, what each range found in the status bar, a new search ending
// the sweep, the batch dialog commissioning a terminal behind the router at
// its own address), and the warning of an incomplete list behind congested
// links.
#include "net/QueryThread.h"
#include "platform/SocketLayer.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/PrivateNetwork.h"
#include "tests/ui/ModalWatcher.h"
#include "tests/ui/ScratchFolder.h"
#include "ui/batch/BatchConfigDialog.h"
#include "ui/main/QueryTool.h"
#include "ui/main/SearchRangeMemory.h"

#include <QtTest>
#include <QtWidgets>

class WindowRangesTest : public QObject {
    Q_OBJECT

    ScratchFolder scratch;

private slots:
    void initTestCase() { QVERIFY(SocketLayerStartup()); }
    void cleanupTestCase() { SocketLayerShutdown(); }

    void behindARouter()
    {
        RoutedNetwork network(3);
        QVERIFY(network.started());
        InNamespace toolSide(network.toolSide);
        QVERIFY(toolSide.entered);
        // The first range starts at its first terminal, the second ends at
        // its last (an address short at either end misses one); the sweep
        // reaches the second subnet only after the rest of the first.
        SearchRangeMemory::save(
            {{"10.81.0.10-10.81.0.255", true}, {"10.82.0.0-10.82.0.12", true}, {"10.83.0.0/24", false}});
        EndpointSettings settings;
        settings.sweepRate = 60;
        {
            // Pointed elsewhere (as DBP_LOCAL_PORT does), the window sweeps nothing.
            EndpointSettings elsewhere = settings;
            elsewhere.localPort = 0;
            QueryThread thread(elsewhere);
            thread.start();
            QueryTool window(thread.engine());
            QTest::qWait(1000);
            QCOMPARE(network.sims[0]->requests().size() + network.sims[1]->requests().size(), size_t(0));
        }

        QueryThread thread(settings);
        thread.start();
        QueryTool window(thread.engine());
        QTRY_VERIFY(!network.sims[0]->requests().empty());
        const std::string firstSweep = headerValue(network.sims[0]->requests()[0].bytes, "CSeq");
        // A new search ends the first one's sweep before it reaches the second subnet.
        QTRY_VERIFY(child<QPushButton>(&window, "query_btn")->isEnabled());
        const size_t before = network.sims[1]->requests().size();
        child<QPushButton>(&window, "query_btn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(network.sims[1]->requests().size() >= before + 3, 10000);
        for (const SimRequest& request : network.sims[1]->requests())
            QVERIFY(headerValue(request.bytes, "CSeq") != firstSweep);
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(&window, "searchStatusLabel")
                                     ->text()
                                     .endsWith(QString::fromUtf8("；范围 10.81.0.10-10.81.0.255：3 个设备；"
                                                                 "范围 10.82.0.0-10.82.0.12：3 个设备")),
            10000);
        QCOMPARE(window.terminalTable()->rowCount(), 6);

        // The batch dialog searches the same ranges and sets the terminal
        // behind the router at its own address.
        QFile sheet("sheet.csv");
        QVERIFY(sheet.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
            && sheet.write("MAC,ID\n00-12-37-02-00-02,555\n") > 0);
        QStringList texts;
        ModalWatcher watcher;
        watcher.setHandler([&](QWidget* modal) {
            auto* dialog = qobject_cast<BatchConfigDialog*>(modal);
            if (dialog == nullptr)
                return false;
            dialog->loadSheet("sheet.csv");
            auto* apply = child<QPushButton>(dialog, "applyBtn");
            if (QTest::qWaitFor([&] { return apply->isEnabled(); }, 20000))
                texts << child<QLabel>(dialog, "summaryLabel")->text();
            apply->click();
            if (QTest::qWaitFor([&] { return child<QPushButton>(dialog, "saveBtn")->isEnabled(); }, 40000))
                texts << child<QTableWidget>(dialog, "planTable")->item(0, 3)->text();
            dialog->close();
            return true;
        });
        child<QPushButton>(&window, "batch_btn")->click();
        QCOMPARE(texts,
            QStringList({QString::fromUtf8("1个终端，1个需要设置。\n"
                                           "1个终端只经搜索范围找到（在路由器之后），将按其自身地址设置。"),
                QString::fromUtf8("已设置并验证")}));
        QCOMPARE(static_cast<int>(network.sims[1]->terminal(1).ID), 555);
    }

    // Replies through congested links: the status bar begins with the
    // warning while the last GET still found new terminals, and no longer
    // once the passes over each adapter's subnet have found the rest. The
    // window keeps answering meanwhile, though the GETs to addresses without
    // a host fill the send buffer for the seconds their resolution takes.
    void warnsOnlyWhileTerminalsAppear()
    {
        SimConfig congested;
        congested.linkRateBps = 4000000;  // about 35 replies of each GET get through
        congested.queueBytes = 8000;
        congested.replyJitterMs = 10;
        TwoLinkNetwork network(100, false, congested);
        QVERIFY(network.started());
        InNamespace toolSide(network.toolSide);
        QVERIFY(toolSide.entered);
        EndpointSettings settings;
        settings.localPort = 0;
        settings.searchSendsMs = {0, 200};
        QueryThread thread(settings);
        thread.start();
        QueryTool window(thread.engine());
        auto* status = child<QLabel>(&window, "searchStatusLabel");
        // First, so that eliding the end never hides it.
        const QRegularExpression warning(
            QString::fromUtf8("^列表可能不完整：最后一次搜索又找到 \\d+ 个设备。已搜索网卡 "));
        bool warned = false;
        QElapsedTimer sinceTick;
        qint64 longestStallMs = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { longestStallMs = std::max(longestStallMs, sinceTick.restart()); });
        sinceTick.start();
        ticker.start(5);
        // Each subnet's 100; the one outside them is swept by nothing.
        QVERIFY(QTest::qWaitFor(
            [&] {
                warned = warned || warning.match(status->text()).hasMatch();
                return window.terminalTable()->rowCount() >= 200 && !warning.match(status->text()).hasMatch();
            },
            30000));
        QVERIFY(warned);
        QVERIFY2(longestStallMs < 1000, qPrintable(QString("the window stalled for %1 ms").arg(longestStallMs)));
    }
};

QTEST_MAIN(WindowRangesTest)
#include "tst_window_ranges.moc"
