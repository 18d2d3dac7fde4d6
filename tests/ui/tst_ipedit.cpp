// The dotted address editor: parsing, output, field limits and geometry.
#include "ui/widgets/NxIPLineEdit.h"
#include "ui/widgets/NxIpField.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <cstring>

namespace {

QList<NxIpField*> fieldsOf(NxIPLineEdit& edit)
{
    // Children come in creation order: field 0 first.
    return edit.findChildren<NxIpField*>(QString(), Qt::FindDirectChildrenOnly);
}

QStringList fieldTexts(NxIPLineEdit& edit)
{
    QStringList texts;
    for (NxIpField* field : fieldsOf(edit))
        texts << field->text();
    return texts;
}

void setFieldTexts(NxIPLineEdit& edit, const QStringList& texts)
{
    const QList<NxIpField*> fields = fieldsOf(edit);
    for (int i = 0; i < fields.size(); ++i)
        fields[i]->setText(texts.value(i));
}

const QStringList kNines{"9", "9", "9", "9"};

}  // namespace

class TestIpEdit : public QObject {
    Q_OBJECT

private slots:
    void getIpAddress_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("text");

        QTest::newRow("full") << QStringList{"192", "168", "1", "100"} << 32 << true << QByteArray("192.168.1.100");
        QTest::newRow("rest empty") << QStringList{"10", "", "", ""} << 32 << true << QByteArray("10.0.0.0");
        QTest::newRow("first empty") << QStringList{"", "1", "2", "3"} << 32 << false << QByteArray();
        QTest::newRow("first zero") << QStringList{"0", "168", "1", "100"} << 32 << false << QByteArray();
        QTest::newRow("first 000") << QStringList{"000", "1", "1", "1"} << 32 << false << QByteArray();
        QTest::newRow("leading zeros") << QStringList{"010", "001", "0", "9"} << 32 << true << QByteArray("10.1.0.9");
        QTest::newRow("cut to the buffer") << QStringList{"192", "168", "100", "200"} << 6 << true
                                           << QByteArray("192.1");
    }

    void getIpAddress()
    {
        QFETCH(QStringList, fields);
        QFETCH(int, size);
        QFETCH(bool, result);
        QFETCH(QByteArray, text);

        NxIPLineEdit edit;
        setFieldTexts(edit, fields);
        char buffer[33];
        std::memset(buffer, 'x', 32);
        buffer[32] = '\0';
        QCOMPARE(edit.getIpAddress(buffer, size), result);
        if (result)
            QCOMPARE(QByteArray(buffer), text);
        // Nothing is written past `size`, nor anything at all on failure.
        const int untouched = result ? size : 0;
        QCOMPARE(QByteArray(buffer + untouched), QByteArray(32 - untouched, 'x'));
        QVERIFY(!edit.getIpAddress(nullptr, 32));
    }

    void setIpAddress_data()
    {
        QTest::addColumn<QByteArray>("input");  // null: a null pointer
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("fields");

        // Every case starts from 9.9.9.9, so untouched fields show.
        QTest::newRow("full") << QByteArray("192.168.1.100") << true << QStringList{"192", "168", "1", "100"};
        QTest::newRow("one dot") << QByteArray("10.20") << false << QStringList{"10", "9", "9", "9"};
        QTest::newRow("two dots") << QByteArray("10.20.30") << false << QStringList{"10", "20", "9", "9"};
        QTest::newRow("no dot") << QByteArray("1234") << false << kNines;
        QTest::newRow("empty") << QByteArray("") << false << kNines;
        QTest::newRow("null") << QByteArray() << false << kNines;
        QTest::newRow("too long") << QByteArray("1000.2.3.4") << true << QStringList{"100", "2", "3", "4"};
        QTest::newRow("leading blank") << QByteArray(" 7.6.5.4") << true << QStringList{"7", "6", "5", "4"};
        QTest::newRow("fifth part ignored") << QByteArray("1.2.3.4.5") << true << QStringList{"1", "2", "3", "4"};
        QTest::newRow("no digits") << QByteArray("a.b.c.d") << true << QStringList{"0", "0", "0", "0"};
        QTest::newRow("negative") << QByteArray("-1.2.3.4") << true << QStringList{"-1", "2", "3", "4"};
    }

    void setIpAddress()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, result);
        QFETCH(QStringList, fields);

        NxIPLineEdit edit;
        setFieldTexts(edit, kNines);
        QCOMPARE(edit.setIpAddress(input.isNull() ? nullptr : input.constData()), result);
        QCOMPARE(fieldTexts(edit), fields);
    }

    void setFieldValue_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("fields");

        QTest::newRow("field 2") << 42 << 2 << true << QStringList{"9", "9", "42", "9"};
        QTest::newRow("cut to three") << 12345 << 0 << true << QStringList{"123", "9", "9", "9"};
        QTest::newRow("negative") << -5 << 3 << true << QStringList{"9", "9", "9", "-5"};
        QTest::newRow("index 4") << 1 << 4 << false << kNines;
        QTest::newRow("index -1") << 1 << -1 << false << kNines;
    }

    void setFieldValue()
    {
        QFETCH(int, value);
        QFETCH(int, index);
        QFETCH(bool, result);
        QFETCH(QStringList, fields);

        NxIPLineEdit edit;
        setFieldTexts(edit, kNines);
        QCOMPARE(edit.setFieldValue(value, index), result);
        QCOMPARE(fieldTexts(edit), fields);
    }

    void typingIsFiltered_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");

        QTest::newRow("255") << "255" << "255";
        QTest::newRow("256") << "256" << "25";
        QTest::newRow("four digits") << "1234" << "123";
        QTest::newRow("letters") << "1a2" << "12";
        QTest::newRow("minus") << "-1" << "1";
    }

    void typingIsFiltered()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);

        NxIPLineEdit edit;
        for (NxIpField* field : fieldsOf(edit)) {
            QTest::keyClicks(field, typed);
            QCOMPARE(field->text(), shown);
        }
    }

    void geometry_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("fieldWidth");

        QTest::newRow("150 x 25") << 150 << 25 << 36;
        QTest::newRow("200 x 30") << 200 << 30 << 48;
        QTest::newRow("153 x 25") << 153 << 25 << 37;
    }

    void geometry()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, fieldWidth);

        NxIPLineEdit edit;
        QCOMPARE(edit.minimumSize(), QSize(150, 25));
        edit.resize(width, height);
        const QImage image = edit.grab().toImage();  // runs the paint routine

        const QList<NxIpField*> fields = fieldsOf(edit);
        QCOMPARE(fields.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(fields[i]->geometry(), QRect(1 + i * (fieldWidth + 1), 1, fieldWidth, height - 2));
        for (int k = 1; k <= 3; ++k) {
            const QPoint dot(k * (fieldWidth + 1), height / 2);
            QCOMPARE(QColor(image.pixel(dot)), QColor(Qt::black));
            // Beside the dot the field's background shows.
            QVERIFY(QColor(image.pixel(dot.x(), dot.y() - 3)) != QColor(Qt::black));
        }
    }
};

QTEST_MAIN(TestIpEdit)
#include "tst_ipedit.moc"
