// The preview's column reader: the printed text of each field type, made
// from the record's bytes, and the lengths the fit check measures without
// making the text, which must be the same.

#include "core/preview/ColumnReader.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxWriter.h"

#include <QDate>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

namespace {

FieldDef def(const char* name, FieldType type, int size = 0)
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.size = size;
    return f;
}

} // namespace

class TestColumnReader : public QObject
{
    Q_OBJECT

private slots:
    void textsAndLengths()
    {
        try {
            check();
        } catch (const DatabaseError& e) {
            QFAIL(qPrintable(e.message()));
        }
    }

private:
    void check()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("T.DB"));
        const QList<FieldDef> fields = {
            def("Name", FieldType::Alpha, 20), def("Short", FieldType::Short),
            def("Long", FieldType::Long),      def("Money", FieldType::Money),
            def("Number", FieldType::Number),  def("Date", FieldType::Date),
            def("Time", FieldType::Time),      def("Stamp", FieldType::Timestamp),
            def("Flag", FieldType::Logical),   def("Memo", FieldType::Memo, 11)};
        const QList<Row> rows = {
            {QStringLiteral("Zoë  "), -7, 123456, 1234.5, 0.25, QDate(2021, 3, 9), QTime(9, 5),
             QDateTime(QDate(2020, 12, 31), QTime(23, 59), Qt::UTC), true,
             QStringLiteral("two\r\nlines  here")},
            {QVariant(), 0, -1, -0.004, 1e21, QDate(1999, 12, 31), QTime(0, 1, 30), QVariant(),
             false, QVariant()},
            // Lengths found without the text where rounding or the year
            // could change them: cents that carry, years of five digits.
            {QStringLiteral("x"), 1, 1, 9.995, 1, QDate(12000, 1, 1), QVariant(),
             QDateTime(QDate(10500, 6, 1), QTime(1, 2), Qt::UTC), true,
             QStringLiteral("\t lead\r\n\r\n trail \r\n")},
            {QStringLiteral("y"), 1, 1, -99.996, 1, QDate(9999, 12, 31), QVariant(),
             QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC), true, QVariant()},
            {QStringLiteral("z"), 1, 1, 0.999, 1, QDate(1, 1, 1), QVariant(), QVariant(), true,
             QVariant()},
        };
        ParadoxWriter::writeTable(path, fields, 0, rows, 1252, QStringLiteral("pw"));
        ColumnReader reader(path, {QStringLiteral("other"), QStringLiteral("pw")});
        QCOMPARE(reader.column(QStringLiteral("money")), 3); // without regard to case
        QCOMPARE(reader.column(QStringLiteral("None")), -1);

        QList<QStringList> texts;
        QList<QList<int>> measured;
        QList<QList<double>> numbers;
        QStringList differ; // record:column where measuring and the text disagree
        reader.forEach([&](const char* record, RecordLocator) -> bool {
            QStringList t;
            QList<int> m;
            QList<double> n;
            QByteArray buffer, other;
            for (int c = 0; c < fields.size(); ++c) {
                const FieldValue v = reader.value(record, c, buffer);
                t << reader.text(v);
                double number = -99;
                m << reader.measure(record, c, &number, other);
                n << number;
                if (m.last() != reader.characters(v))
                    differ << QStringLiteral("%1:%2").arg(texts.size()).arg(c);
            }
            texts << t;
            measured << m;
            numbers << n;
            return true;
        });
        QCOMPARE(texts.size(), 5);
        QVERIFY2(differ.isEmpty(), qPrintable(differ.join(' ')));
        QCOMPARE(texts[0],
                 QStringList({QString::fromUtf8("Zoë"), "-7", "123456", "1234.50", "0.25",
                              "03/09/2021", "09:05", "12/31/2020 23:59", "Yes", "two lines here"}));
        // Zero is a value, not an empty field; an empty one prints nothing.
        QCOMPARE(texts[1], QStringList({"", "0", "-1", "-0.00", "1e+21", "12/31/1999", "00:01:30",
                                        "", "No", ""}));
        QCOMPARE(measured[0], QList<int>({3, 2, 6, 7, 4, 10, 5, 16, 3, 14}));
        QCOMPARE(texts[2][3], QStringLiteral("9.99")); // 9.995 is a little less in binary
        QCOMPARE(texts[2][5], QStringLiteral("01/01/12000"));
        QCOMPARE(texts[2][9], QStringLiteral("lead trail"));
        QCOMPARE(texts[3][3], QStringLiteral("-100.00"));
        QCOMPARE(texts[4][3], QStringLiteral("1.00"));
        QCOMPARE(texts[4][5], QStringLiteral("01/01/0001"));
        QCOMPARE(numbers[0][1], -7.0);
        QCOMPARE(numbers[0][3], 1234.5);
        QCOMPARE(numbers[0][6], double(QTime(9, 5).msecsSinceStartOfDay()));
        QCOMPARE(numbers[1][2], -1.0);

        // A record fetched by its locator is the one streamed there.
        RecordLocator second = NoRecord;
        int n = 0;
        reader.forEach([&](const char*, RecordLocator where) {
            if (n++ == 1)
                second = where;
            return true;
        });
        QByteArray buffer;
        QCOMPARE(reader.text(reader.value(reader.record(second), 2, buffer)), QStringLiteral("-1"));
        QVERIFY(!reader.record(packLocator(locatorBlock(second), 40)));

        // Without the password the rows are refused, with the table named.
        ColumnReader locked(path, {QStringLiteral("other")});
        try {
            locked.forEach([](const char*, RecordLocator) { return true; });
            QFAIL("rows read without the password");
        } catch (const DatabaseError& e) {
            QVERIFY(e.message().contains("T.DB"));
        }
    }
};

QTEST_GUILESS_MAIN(TestColumnReader)
#include "tst_columnreader.moc"
