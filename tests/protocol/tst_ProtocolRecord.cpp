// The terminal record: clearing, and the identity test that keeps one
// terminal from being listed twice.
#include "RecordText.h"

#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(TerminalParam)

class ProtocolRecord : public QObject {
    Q_OBJECT

    static TerminalParam terminal()
    {
        TerminalParam p;
        p.ID = 5;
        p.ServerPort = 2048;
        qstrcpy(p.MAC, "00-11-22-33-44-55");
        qstrcpy(p.IP, "10.0.0.5");
        return p;
    }

private slots:
    void clearEmptiesEverything()
    {
        TerminalParam p;
        std::memset(static_cast<void*>(&p), 0x5a, sizeof p);
        p.clear();
        QCOMPARE(recordText(p), QByteArray());
        QCOMPARE(p.Address, 0u);
        QCOMPARE(p.Port, uint16_t(0));
    }

    void sameTerminal_data()
    {
        QTest::addColumn<TerminalParam>("other");
        QTest::addColumn<bool>("same");
        TerminalParam p = terminal();
        p.Treble = 9;
        qstrcpy(p.Name, "other name");
        p.Address = 1;
        QTest::newRow("other fields do not count") << p << true;
        p = terminal();
        qstrcpy(p.MAC, "00-11-22-33-44-55 ");
        QTest::newRow("MAC with a trailing blank") << p << false;
        p = terminal();
        p.ID = 6;
        QTest::newRow("ID") << p << false;
        p = terminal();
        p.ServerPort = 2049;
        QTest::newRow("server port") << p << false;
        p = terminal();
        qstrcpy(p.IP, "10.0.0.05");
        QTest::newRow("IP leading zero") << p << false;
        p = terminal();
        p.IP[0] = '\0';
        QTest::newRow("IP empty") << p << false;
    }

    void sameTerminal()
    {
        QFETCH(TerminalParam, other);
        QFETCH(bool, same);
        QCOMPARE(::sameTerminal(terminal(), other), same);
        QCOMPARE(::sameTerminal(other, terminal()), same);
    }
};

QTEST_APPLESS_MAIN(ProtocolRecord)
#include "tst_ProtocolRecord.moc"
