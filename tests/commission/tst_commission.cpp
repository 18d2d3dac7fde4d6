// Commissioning with a sheet: the check that refuses a sheet, and the
// pipelined apply and its verification against the terminal simulator over
// real UDP on loopback (needs the private network namespace of make test).
#include "core/commission/CommissionResult.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/CommissionTexts.h"
#include "platform/Clock.h"
#include "tests/commission/CommissionRig.h"

#include <QtTest>

#include <map>

Q_DECLARE_METATYPE(SimBehaviour)

namespace {

const QByteArray kHeader = "MAC,ID,IP\n";

CommissionSheet sheetOf(const QByteArray& text)
{
    CommissionSheet sheet;
    std::vector<CommissionProblem> problems;
    readCommissionSheet(text.toStdString(), &sheet, &problems);
    if (!problems.empty())
        qFatal("sheet refused: %s", qPrintable(CommissionTexts::problem(problems[0])));
    return sheet;
}

std::vector<TerminalParam> search(NxNetControl* engine)
{
    TerminalSearch search(engine);
    while (search.step())
        SleepMs(2);
    return search.terminals();
}

// Runs `plan` to its end; `beforeVerifying` is called once the SETs are done.
std::vector<TerminalOutcome> run(NxNetControl* engine, const CommissionPlan& plan, RunOptions options = RunOptions(),
    std::function<void()> beforeVerifying = nullptr)
{
    CommissionRun run(engine, plan, options);
    while (run.phase() != CommissionRun::Phase::Done) {
        run.step();
        if (run.phase() == CommissionRun::Phase::Verifying && beforeVerifying) {
            beforeVerifying();
            beforeVerifying = nullptr;
        }
        SleepMs(2);
    }
    return run.outcomes();
}

QStringList keywords(const std::vector<TerminalOutcome>& outcomes)
{
    QStringList out;
    for (const TerminalOutcome& o : outcomes)
        out << QString::fromLatin1(outcomeKeyword(o.outcome))
                + (o.unmet.empty() ? "" : " " + QString::fromStdString(outcomeDetail(o)));
    return out;
}

}  // namespace

class CommissionTest : public QObject {
    Q_OBJECT

private slots:
    void checkRefusesSheet_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QString>("problem");
        const QByteArray mac1 = "00-12-37-00-00-01", mac2 = "00-12-37-00-00-02";
        QTest::newRow("unknown column") << QByteArray("MAC,Gatway\n" + mac1 + ",1.2.3.4\n")
                                        << "第1行，Gatway列：未知的列“Gatway”";
        QTest::newRow("no MAC column") << QByteArray("ID\n7\n") << "第1行，MAC列：表头缺少MAC列";
        QTest::newRow("ID out of range") << QByteArray(kHeader + mac1 + ",10000,\n")
                                         << "第2行，ID列：“10000”不是允许的数值";
        QTest::newRow("port 0") << QByteArray("MAC,ServerPort\n" + mac1 + ",0\n")
                                << "第2行，ServerPort列：“0”不是允许的数值";
        QTest::newRow("speed 50") << QByteArray("MAC,Speed\n" + mac1 + ",50\n") << "第2行，Speed列：“50”不是允许的数值";
        QTest::newRow("treble 8") << QByteArray("MAC,Treble\n" + mac1 + ",8\n") << "第2行，Treble列：“8”不是允许的数值";
        QTest::newRow("server not dotted")
            << QByteArray("MAC,Server\n" + mac1 + ",10.1\n") << "第2行，Server列：“10.1”不是IPv4地址";
        QTest::newRow("IP not an address: rule 1")
            << QByteArray(kHeader + mac1 + ",,127.1.300.1\n") << "第2行，IP列：IP地址格式无效";
        QTest::newRow("gateway elsewhere: rule 9") << QByteArray("MAC,IP,Mask\n" + mac1 + ",10.0.0.5,255.255.255.0\n")
                                                   << "第2行，Gateway列：IP地址和网关地址不属于同一个子网!";
        QTest::newRow("AutoIP with IP") << QByteArray("MAC,AutoIP,IP\n" + mac1 + ",1,127.3.0.1\n")
                                        << "第2行，AutoIP列：自动获取IP时不能指定IP、掩码或网关";
        QTest::newRow("MAC twice") << QByteArray(kHeader + mac1 + ",7,\n" + mac1.toLower() + ",8,\n")
                                   << "第3行，MAC列：MAC地址00-12-37-00-00-01已在第2行出现";
        QTest::newRow("ID twice") << QByteArray(kHeader + mac1 + ",7,\n" + mac2 + ",7,\n")
                                  << "第3行，ID列：ID 7与第2行相同";
        QTest::newRow("ID kept by a sheet terminal")
            << QByteArray(kHeader + mac1 + ",,\n" + mac2 + ",1,\n") << "第3行，ID列：ID 1与第2行相同";
        QTest::newRow("static IP twice") << QByteArray(kHeader + mac1 + ",,127.3.0.1\n" + mac2 + ",,127.3.0.1\n")
                                         << "第3行，IP列：IP地址127.3.0.1与第2行相同";
        QTest::newRow("ID of a terminal outside")
            << QByteArray(kHeader + mac1 + ",3,\n") << "第2行，ID列：ID 3已被终端00-12-37-00-00-03使用";
        QTest::newRow("IP of a terminal outside") << QByteArray(kHeader + mac1 + ",,127.1.0.3\n")
                                                  << "第2行，IP列：IP地址127.1.0.3已被终端00-12-37-00-00-03使用";
        QTest::newRow("MAC not found") << QByteArray(kHeader + "00-12-37-00-00-09,9,\n")
                                       << "第2行，MAC列：搜索中没有MAC地址为00-12-37-00-00-09的终端";
    }

    // The first problem names line and column; the command line (tst_cli)
    // shows that a refused sheet sends nothing.
    void checkRefusesSheet()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QString, problem);
        CommissionSheet read;
        std::vector<CommissionProblem> problems;
        readCommissionSheet(sheet.toStdString(), &read, &problems);
        if (problems.empty())
            problems = planCommission(read, commissionFleet(3)).problems;
        QVERIFY(!problems.empty());
        QCOMPARE(CommissionTexts::problem(problems[0]), problem);
    }

    void applyVerifyAndApplyAgain()
    {
        CommissionRig rig;
        std::vector<TerminalParam> fleet = commissionFleet(3);
        qstrcpy(fleet[2].MAC, "00-12-37-11-22-12");  // still the factory address
        QVERIFY(rig.start(fleet));
        const CommissionSheet sheet
            = sheetOf("\xEF\xBB\xBFMAC,ID,IP,Treble\r\n00-12-37-00-00-01,101,127.2.0.1,\r\n00-12-37-00-00-02,,,-3\r\n"
                      "00-12-37-11-22-12,103,,2\r\n");
        CommissionPlan plan = planCommission(sheet, search(rig.engine()));
        QVERIFY(plan.problems.empty());
        rig.sim->clearRequests();
        QCOMPARE(keywords(run(rig.engine(), plan)), QStringList({"verified", "already-set", "verified"}));

        const QByteArray type = fleet[0].Type;
        const QByteArrayList sets = rig.sets();
        QCOMPARE(sets.size(), 2);
        QCOMPARE(sets[0],
            "1 " + type + " 00-12-37-00-00-01 DBP/1.0\r\nCSeq: #\r\nType: " + type
                + "\r\nID: 101\r\nIP: 127.2.0.1\r\nMask: 255.0.0.0\r\nGateway: 127.0.0.254\r\n"
                  "Server: 127.0.0.9:7000\r\nServer2: 127.0.0.8:7000\r\nIsBroadcast: 1\r\nSpeed: 100\r\nUseDNS: 0\r\n"
                  "AutoIP: 0\r\nTreble: -3\r\nBass: 5\r\nReboot: 1\r\nReboot: HReset,1\r\n\r\n");
        QVERIFY(QRegularExpression("\r\nID: 103\r\nMAC: 00-12-37-[0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2}\r\n")
                    .match(QString::fromLatin1(sets[1]))
                    .hasMatch());
        QCOMPARE(rig.sim->terminal(0).ID, 101);

        // The factory address is gone, so the third row no longer finds its
        // terminal; without it the sheet is set already and sends nothing.
        plan = planCommission(sheetOf("MAC,ID,IP\n00-12-37-00-00-01,101,127.2.0.1\n"), search(rig.engine()));
        QVERIFY(plan.problems.empty());
        rig.sim->clearRequests();
        QCOMPARE(keywords(run(rig.engine(), plan)), QStringList({"already-set"}));
        QVERIFY(rig.sets().isEmpty());
    }

    void faultyTerminals_data()
    {
        QTest::addColumn<SimBehaviour>("behaviour");
        QTest::addColumn<double>("dropRate");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("sets");
        QTest::newRow("refused") << SimBehaviour::Answer400 << 0.0 << "refused" << 1;
        QTest::newRow("silent: retried once") << SimBehaviour::Silent << 0.0 << "no-answer" << 2;
        QTest::newRow("reply lost after applying: verified by the search")
            << SimBehaviour::Malformed << 0.0 << "verified" << 2;
        QTest::newRow("lossy") << SimBehaviour::Normal << 0.2 << "verified" << -1;
    }

    void faultyTerminals()
    {
        QFETCH(SimBehaviour, behaviour);
        QFETCH(double, dropRate);
        QFETCH(QString, outcome);
        QFETCH(int, sets);
        CommissionRig rig;
        SimConfig config;
        config.dropRate = dropRate;
        QVERIFY(rig.start(commissionFleet(6), config));
        // A lossy fleet needs several searches to be found whole.
        std::map<std::string, TerminalParam> byMac;
        for (int i = 0; i < 30 && byMac.size() < 6; ++i) {
            for (const TerminalParam& t : search(rig.engine()))
                byMac[t.MAC] = t;
        }
        std::vector<TerminalParam> found;
        for (const auto& t : byMac)
            found.push_back(t.second);
        QCOMPARE(found.size(), size_t(6));
        rig.sim->setBehaviour(0, behaviour);
        QByteArray sheet = "MAC,ID\n";
        for (int n = 1; n <= 6; ++n)
            sheet += QByteArray("00-12-37-00-00-0") + QByteArray::number(n) + "," + QByteArray::number(n + 10) + "\n";
        const CommissionPlan plan = planCommission(sheetOf(sheet), found);
        QVERIFY(plan.problems.empty());
        rig.sim->clearRequests();
        const QStringList outcomes = keywords(run(rig.engine(), plan));
        QCOMPARE(outcomes[0], outcome);
        QCOMPARE(outcomes.mid(1), QStringList({"verified", "verified", "verified", "verified", "verified"}));
        int toFirst = 0;
        for (const QByteArray& set : rig.sets())
            toFirst += set.startsWith("1 ");
        if (sets >= 0)
            QCOMPARE(toFirst, sets);
    }

    // Cancel stops sending: the SETs in flight are still awaited and
    // reported, the rest never go out.
    void cancelStopsSending()
    {
        CommissionRig rig;
        QVERIFY(rig.start(commissionFleet(4)));
        QByteArray sheet = "MAC,ID\n";
        for (int n = 1; n <= 4; ++n)
            sheet += "00-12-37-00-00-0" + QByteArray::number(n) + "," + QByteArray::number(n + 10) + "\n";
        const CommissionPlan plan = planCommission(sheetOf(sheet), search(rig.engine()));
        rig.sim->clearRequests();
        CommissionRun run(rig.engine(), plan, RunOptions{2, 0});
        run.step();
        run.cancel();
        while (run.phase() != CommissionRun::Phase::Done) {
            run.step();
            SleepMs(2);
        }
        QCOMPARE(keywords(run.outcomes()), QStringList({"not-verified", "not-verified", "not-sent", "not-sent"}));
        QCOMPARE(rig.sets().size(), 2);
    }

    // Answered, but the search shows the old ID: the result names the field.
    void answeredNotVerified()
    {
        CommissionRig rig;
        QVERIFY(rig.start(commissionFleet(2)));
        const CommissionPlan plan = planCommission(sheetOf("MAC,ID\n00-12-37-00-00-02,12\n"), search(rig.engine()));
        const TerminalParam before = rig.sim->terminal(1);
        QCOMPARE(keywords(run(rig.engine(), plan, RunOptions{32, 0}, [&] { rig.sim->setTerminal(1, before); })),
            QStringList({"not-verified ID=2 (sheet 12)"}));
    }
};

QTEST_GUILESS_MAIN(CommissionTest)
#include "tst_commission.moc"
