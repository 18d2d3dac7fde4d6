// Commissioning with a sheet: the check that refuses a sheet, and the
// pipelined apply and its verification against the terminal simulator over
// real UDP on loopback (needs the private network namespace of make test).
#include "core/commission/CommissionResult.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/CommissionTexts.h"
#include "core/commission/SheetExport.h"
#include "core/commission/SheetFile.h"
#include "core/commission/SheetSearch.h"
#include "core/records/Csv.h"
#include "core/records/TerminalColumns.h"
#include "platform/Clock.h"
#include "tests/commission/CommissionRig.h"

#include <QtTest>

Q_DECLARE_METATYPE(SimBehaviour)

namespace {

const QByteArray kHeader = "MAC,ID,IP\n";

// The sheet in `bytes` read as a file is, with its problems.
CommissionSheet read(const QByteArray& bytes)
{
    CommissionSheet sheet;
    std::string text;
    if (sheetTextAsUtf8(bytes, &text, &sheet.problems))
        readCommissionSheet(text, &sheet);
    return sheet;
}

CommissionSheet sheetOf(const QByteArray& text)
{
    const CommissionSheet sheet = read(text);
    if (!sheet.problems.empty())
        qFatal("sheet refused: %s", qPrintable(CommissionTexts::problem(sheet.problems[0])));
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
        QTest::addColumn<QStringList>("problems");
        const QByteArray mac1 = "00-12-37-00-00-01", mac2 = "00-12-37-00-00-02";
        QTest::newRow("unknown column") << QByteArray("MAC,Gatway\n" + mac1 + ",1.2.3.4\n")
                                        << QStringList{"第1行，Gatway列：未知的列“Gatway”"};
        QTest::newRow("no MAC column") << QByteArray("ID\n7\n") << QStringList{"第1行，MAC列：表头缺少MAC列"};
        QTest::newRow("ID 0, line counted after a blank line") << QByteArray(
            kHeader + "\n" + mac1 + ",0,\n") << QStringList{"第3行，ID列：“0”不是允许的数值（允许：1..9999）"};
        QTest::newRow("a zero byte in a value, shown")
            << QByteArray(kHeader + mac1 + QByteArray(",1\0x,\n", 6))
            << QStringList{"第2行，ID列：“1\\x00x”不是允许的数值（允许：1..9999）"};
        QTest::newRow("port above 65535")
            << QByteArray("MAC,Server2Port\n" + mac1 + ",65536\n")
            << QStringList{"第2行，Server2Port列：“65536”不是允许的数值（允许：0..65535）"};
        QTest::newRow("server not dotted")
            << QByteArray("MAC,DNS1\n" + mac1 + ",10.1\n") << QStringList{"第2行，DNS1列：“10.1”不是IPv4地址"};
        QTest::newRow("one pass: number, address rule, MAC form, MAC not found")
            << QByteArray("MAC,ID,IP,Mask\n" + mac1 + ",10000,,\n" + mac2
                   + ",,10.0.0.5,255.255.255.0\n00-12-37-00-00,,,\n"
                     "00-12-37-00-00-09,9,,\n")
            << QStringList{"第2行，ID列：“10000”不是允许的数值（允许：1..9999）",
                   "第3行，Gateway列：IP地址和网关地址不属于同一个子网!", "第4行，MAC列：“00-12-37-00-00”不是MAC地址",
                   "第5行，MAC列：搜索中没有MAC地址为00-12-37-00-00-09的终端"};
        QTest::newRow("AutoIP with another IP") << QByteArray("MAC,AutoIP,IP\n" + mac1 + ",1,127.3.0.1\n")
                                                << QStringList{"第2行，AutoIP列：自动获取IP时不能指定IP、掩码或网关"};
        QTest::newRow("MAC twice, in another notation") << QByteArray(
            kHeader + mac1 + ",7,\n001237000001,8,\n") << QStringList{"第3行，MAC列：MAC地址001237000001已在第2行出现"};
        QTest::newRow("ID twice") << QByteArray(kHeader + mac1 + ",7,\n" + mac2 + ",7,\n")
                                  << QStringList{"第3行，ID列：ID 7与第2行相同"};
        QTest::newRow("ID kept by a sheet terminal, given after")
            << QByteArray(kHeader + mac1 + ",,\n" + mac2 + ",1,\n") << QStringList{"第3行，ID列：ID 1与第2行相同"};
        QTest::newRow("ID kept by a sheet terminal, given before")
            << QByteArray(kHeader + mac2 + ",1,\n" + mac1 + ",,\n") << QStringList{"第2行，ID列：ID 1与第3行相同"};
        QTest::newRow("IP kept by a sheet terminal, given after") << QByteArray(
            kHeader + mac1 + ",,\n" + mac2 + ",,127.1.0.1\n") << QStringList{"第3行，IP列：IP地址127.1.0.1与第2行相同"};
        QTest::newRow("IP kept by a sheet terminal, given before") << QByteArray(
            kHeader + mac2 + ",,127.1.0.1\n" + mac1 + ",,\n") << QStringList{"第2行，IP列：IP地址127.1.0.1与第3行相同"};
        QTest::newRow("ID and IP of a terminal outside")
            << QByteArray(kHeader + mac1 + ",3,127.1.0.3\n")
            << QStringList{"第2行，ID列：ID 3已被终端00-12-37-00-00-03使用",
                   "第2行，IP列：IP地址127.1.0.3已被终端00-12-37-00-00-03使用"};
        QTest::newRow("UTF-16 without byte-order mark")
            << QByteArray("M\0A\0C\0\n\0", 8) << QStringList{"文件似乎是没有字节顺序标记的UTF-16，请另存为UTF-8"};
        QTest::newRow("neither UTF-8 nor GB18030") << QByteArray("MAC,Name\n" + mac1 + ",\xFF\n")
                                                   << QStringList{"文件既不是UTF-8也不是GB18030编码，请另存为UTF-8"};
    }

    // Every problem in one pass, each naming line and column; the command
    // line (tst_cli) shows that a refused sheet sends nothing.
    void checkRefusesSheet()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QStringList, problems);
        const CommissionSheet checked = read(sheet);
        QStringList found;
        for (const CommissionProblem& p :
            checked.readable ? planCommission(checked, commissionFleet(3)).problems : checked.problems)
            found << CommissionTexts::problem(p);
        QCOMPARE(found, problems);
    }

    void sheetForms_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        const QString text = "mac,Id,Name\r\n00:12:37:00:00:02,12,广播\r\n";
        QTest::newRow("colons, header in other case, UTF-8") << text.toUtf8();
        QTest::newRow("UTF-8 with byte-order mark") << QByteArray(kUtf8Bom) + text.toUtf8();
        QByteArray utf16("\xFF\xFE");
        for (const QChar c : text)
            utf16 += char(c.unicode() & 0xFF), utf16 += char(c.unicode() >> 8);
        QTest::newRow("UTF-16 with byte-order mark") << utf16;
        QTest::newRow("GB18030") << QByteArray("MAC,ID,Name\n00-12-37-00-00-02,12,\xB9\xE3\xB2\xA5\n");
        QTest::newRow("digits only, semicolons") << QByteArray("MAC;ID\n001237000002;12\n");
        QTest::newRow("dotted groups, TABs") << QByteArray("MAC\tID\n0012.3700.0002\t12\n");
        QTest::newRow("sep= line, blank lines, a line of blanks, empty columns")
            << QByteArray("sep=,\nMAC,ID,,\n\n00-12-37-00-00-02 , 12,,\n , \n");
        TerminalParam exported = commissionFleet(2)[1];
        exported.ID = 12;
        exported.AutoIP = 1;  // its addresses are exported all the same
        qstrcpy(exported.Name, "=HYPERLINK(\"http://x\",\"y\")");
        QByteArray ownExport = kUtf8Bom;
        std::vector<std::string> header;
        for (const TerminalColumn& column : terminalColumns())
            header.push_back(column.name);
        ownExport += QByteArray::fromStdString(CsvLine(header) + CsvLine(terminalCsvFields(exported)));
        QTest::newRow("the tool's export") << ownExport;
        QTest::newRow("the tool's export as a sheet") << QByteArray::fromStdString(commissionSheetCsv({exported}));
    }

    // Each form finds terminal 2 and changes only its ID.
    void sheetForms()
    {
        QFETCH(QByteArray, sheet);
        std::vector<TerminalParam> fleet = commissionFleet(3);
        fleet[1].AutoIP = 1;
        const CommissionPlan plan = planCommission(read(sheet), fleet);
        QCOMPARE(plan.problems.size(), size_t(0));
        QCOMPARE(plan.entries.size(), size_t(1));
        QCOMPARE(CommissionTexts::changes(plan.entries[0]), QString("ID 2 → 12"));
    }

    void applyVerifyAndApplyAgain()
    {
        CommissionRig rig;
        std::vector<TerminalParam> fleet = commissionFleet(3);
        qstrcpy(fleet[2].MAC, "00-12-37-11-22-12");  // still the factory address
        fleet[0] = record("UseDNS=1; DNS1=127.0.0.53; DNS2=127.0.0.54", fleet[0]);
        QVERIFY(rig.start(fleet));
        // Terminal 1 keeps its DNS but for the second server, which the sheet sets.
        const CommissionSheet sheet = sheetOf("\xEF\xBB\xBFMAC,ID,IP,DNS2,Treble\r\n00-12-37-00-00-01,101,127.2.0.1,"
                                              "127.0.0.99,\r\n00-12-37-00-00-02,,,,-3\r\n"
                                              "00-12-37-11-22-12,103,,,2\r\n");
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
                  "Server: 127.0.0.9:7000\r\nServer2: 127.0.0.8:7000\r\nDNS1: 127.0.0.53\r\nDNS2: 127.0.0.99\r\n"
                  "IsBroadcast: 1\r\nSpeed: 100\r\nUseDNS: 1\r\n"
                  "AutoIP: 0\r\nTreble: -3\r\nBass: 5\r\nReboot: 1\r\nReboot: HReset,1\r\n\r\n");
        QVERIFY(QRegularExpression("\r\nID: 103\r\nMAC: 00-12-37-[0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2}\r\n")
                    .match(QString::fromLatin1(sets[1]))
                    .hasMatch());
        QCOMPARE(rig.sim->terminal(0).ID, 101);

        // The factory address is gone, so the third row no longer finds its
        // terminal; without it the sheet is set already and sends nothing.
        plan = planCommission(
            sheetOf("MAC,ID,IP,DNS2\n00-12-37-00-00-01,101,127.2.0.1,127.0.0.99\n"), search(rig.engine()));
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
        QByteArray sheet = "MAC,ID\n";
        for (int n = 1; n <= 6; ++n)
            sheet += QByteArray("00-12-37-00-00-0") + QByteArray::number(n) + "," + QByteArray::number(n + 10) + "\n";
        // On a lossy link the terminals that did not answer are asked again.
        SheetSearch found(rig.engine(), sheetOf(sheet), 12);
        while (found.step())
            SleepMs(2);
        rig.sim->setBehaviour(0, behaviour);
        const CommissionPlan plan = planCommission(sheetOf(sheet), found.terminals());
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
    // verified by a search, the rest never go out.
    void cancelStopsSending()
    {
        CommissionRig rig;
        QVERIFY(rig.start(commissionFleet(4)));
        QByteArray sheet = "MAC,ID\n";
        for (int n = 1; n <= 4; ++n)
            sheet += "00-12-37-00-00-0" + QByteArray::number(n) + "," + QByteArray::number(n + 10) + "\n";
        const CommissionPlan plan = planCommission(sheetOf(sheet), search(rig.engine()));
        rig.sim->clearRequests();
        CommissionRun run(rig.engine(), plan, RunOptions{2, 10000});
        run.step();
        run.cancel();
        while (run.phase() != CommissionRun::Phase::Done) {
            run.step();
            SleepMs(2);
        }
        QCOMPARE(keywords(run.outcomes()), QStringList({"verified", "verified", "not-sent", "not-sent"}));
        QCOMPARE(rig.sets().size(), 2);
        QCOMPARE(rig.sim->terminal(1).ID, 12);
    }

    void answeredNotVerified_data()
    {
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("none: verified") << QByteArray() << "verified";
        QTest::newRow("ID") << QByteArray("ID=2") << "not-verified ID=2 (sheet 12)";
        QTest::newRow("Server2Port") << QByteArray("Server2Port=7000") << "not-verified Server2Port=7000 (sheet 7100)";
        QTest::newRow("DNS1") << QByteArray("DNS1=") << "not-verified DNS1= (sheet 127.0.0.53)";
    }

    // Answered, and the search shows one field as it was, the others as the
    // sheet has them: the result names that field. With every field as the
    // sheet has it, the terminal is verified.
    void answeredNotVerified()
    {
        QFETCH(QByteArray, kept);
        QFETCH(QString, outcome);
        CommissionRig rig;
        QVERIFY(rig.start(commissionFleet(2)));
        const CommissionPlan plan = planCommission(
            sheetOf("MAC,ID,Server2Port,DNS1\n00-12-37-00-00-02,12,7100,127.0.0.53\n"), search(rig.engine()));
        const auto revert = [&] { rig.sim->setTerminal(1, record(kept, rig.sim->terminal(1))); };
        QCOMPARE(keywords(run(rig.engine(), plan, RunOptions{32, 0}, revert)), QStringList({outcome}));
    }
};

QTEST_GUILESS_MAIN(CommissionTest)
#include "tst_commission.moc"
