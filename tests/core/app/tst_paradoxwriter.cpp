#include "FieldBuilders.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

using FieldBuilders::field;

// Tables written by our writer, read back by our reader.
class TestParadoxWriter : public QObject
{
    Q_OBJECT

    // Every type we create, with the sizes the reader reports back.
    static QList<FieldDef> allTypes()
    {
        return {field(QStringLiteral("Name"), FieldType::Alpha, 40),
                field(QStringLiteral("Count"), FieldType::Short, 2),
                field(QStringLiteral("Total"), FieldType::Long, 4),
                field(QStringLiteral("Größe"), FieldType::Number, 8),
                field(QStringLiteral("Price"), FieldType::Money, 8),
                field(QStringLiteral("Born"), FieldType::Date, 4),
                field(QStringLiteral("At"), FieldType::Time, 4),
                field(QStringLiteral("Stamp"), FieldType::Timestamp, 8),
                field(QStringLiteral("Active"), FieldType::Logical, 1),
                field(QStringLiteral("Notes"), FieldType::Memo, 20)};
    }

    static QString longText(int length)
    {
        QString s;
        while (s.size() < length)
            s += QStringLiteral("Zeile %1 mit Ümlauten – € und ß. ").arg(s.size());
        return s.left(length);
    }

    static QString writeError(const QString& path, const QList<FieldDef>& fields, int keys,
                              const QList<Row>& rows, int codePage = 1252)
    {
        try {
            ParadoxWriter::writeTable(path, fields, keys, rows, codePage);
            return {};
        } catch (const DatabaseError& e) {
            return e.message();
        }
    }

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<int>("keyFields");
        QTest::newRow("keyed") << 1;
        QTest::newRow("not keyed") << 0;
    }
    void roundTrip()
    {
        QFETCH(int, keyFields);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ALLTYPES.DB"));
        const QList<FieldDef> fields = allTypes();
        const QDateTime stamp(QDate(2003, 6, 10), QTime(11, 11, 11, 500), Qt::UTC);
        // Rows already in key order, so both variants read back in this order.
        const QList<Row> rows = {
            {QStringLiteral("Ärger & Co."), 40, 100000, 3.25, 19.99, QDate(1970, 1, 1), QTime(0, 0),
             stamp, true, QStringLiteral("Kurz")},
            {QStringLiteral("Bäcker"), -40, -100000, -0.5, -1234.56, QDate(1999, 9, 9),
             QTime(23, 59, 59, 999), QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC), false,
             longText(10)},
            {QStringLiteral("Empty values"), QVariant(), QVariant(), QVariant(), QVariant(),
             QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
            {QStringLiteral("Long memo"), 0, 0, 0.0, 0.0, QDate(2024, 2, 29), QTime(12, 0),
             stamp.addDays(1), false, longText(10000)},
            {QStringLiteral("Memo just past the record"), 32767, 2147483647, 1e300, 1e-300,
             QDate(9999, 12, 31), QTime(0, 0, 0, 1), stamp, true, longText(11)},
            {QStringLiteral("Zebra €"), -32767, -2147483647, -1e-300, 0.01, QDate(1, 1, 1),
             QTime(1, 2, 3), stamp, true, longText(4096 - 9)},
        };
        ParadoxWriter::writeTable(path, fields, keyFields, rows);
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("ALLTYPES.MB"))));

        ParadoxReader reader(path);
        QCOMPARE(reader.version(), 70);
        QCOMPARE(reader.codePage(), 1252);
        QCOMPARE(reader.keyFieldCount(), keyFields);
        QCOMPARE(reader.fileType(), keyFields ? 0 : 2);
        QCOMPARE(reader.recordCount(), rows.size());
        QVERIFY(!reader.encrypted());
        QCOMPARE(reader.tableName(), QStringLiteral("ALLTYPES.DB"));
        QCOMPARE(reader.fields().size(), fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            QCOMPARE(reader.fields().at(i).name, fields.at(i).name);
            QCOMPARE(reader.fields().at(i).type, fields.at(i).type);
            QCOMPARE(reader.fields().at(i).size, fields.at(i).size);
        }
        const QList<Row> back = reader.readAll();
        QCOMPARE(back.size(), rows.size());
        for (int r = 0; r < rows.size(); ++r)
            for (int i = 0; i < fields.size(); ++i)
                QVERIFY2(
                    back.at(r).at(i) == rows.at(r).at(i) &&
                        back.at(r).at(i).isNull() == rows.at(r).at(i).isNull(),
                    qPrintable(QStringLiteral("row %1 field %2: wrote %3, read %4")
                                   .arg(r)
                                   .arg(fields.at(i).name, rows.at(r).at(i).toString().left(40),
                                        back.at(r).at(i).toString().left(40))));
    }

    void keyOrderAndViolation()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KEYS.DB"));
        const QList<FieldDef> fields = {field(QStringLiteral("Line"), FieldType::Short),
                                        field(QStringLiteral("Name"), FieldType::Alpha, 10),
                                        field(QStringLiteral("Value"), FieldType::Long)};
        const QList<Row> rows = {{2, QStringLiteral("b"), 1},
                                 {1, QStringLiteral("z"), 2},
                                 {2, QStringLiteral("a"), 3},
                                 {QVariant(), QStringLiteral("x"), 4},
                                 {1, QStringLiteral("c"), 5}};
        ParadoxWriter::writeTable(path, fields, 2, rows);
        QList<int> values;
        for (const Row& row : ParadoxReader(path).readAll())
            values << row.at(2).toInt();
        QCOMPARE(values, (QList<int>{4, 5, 2, 3, 1}));

        QList<Row> duplicate = rows;
        duplicate.append({2, QStringLiteral("a"), 6});
        const QString before = QFileInfo(path).lastModified().toString(Qt::ISODateWithMs);
        const QByteArray oldBytes = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        const QString message = writeError(path, fields, 2, duplicate);
        QVERIFY2(message.contains(QStringLiteral("key violation")), qPrintable(message));
        // The refused write left the old table as it was, and no stray files.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), oldBytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("KEYS.DB")});
    }

    void sameInputSameBytes()
    {
        QTemporaryDir dir;
        const QList<Row> rows = {
            {QStringLiteral("Zweite"), 2, 20, 2.5, 3.5, QDate(2001, 2, 3), QTime(4, 5, 6),
             QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC), true, longText(300)},
            {QStringLiteral("Erste"), 1, 10, 1.5, 0.5, QDate(2000, 1, 1), QTime(1, 2, 3),
             QDateTime(QDate(2000, 1, 1), QTime(1, 2, 3), Qt::UTC), false, longText(30)}};
        QByteArray first;
        for (const QString& name : {QStringLiteral("A.DB"), QStringLiteral("B.DB")}) {
            ParadoxWriter::writeTable(dir.filePath(name), allTypes(), 1, rows);
            QFile db(dir.filePath(name)), mb(dir.filePath(QString(name).replace(
                                              QStringLiteral(".DB"), QStringLiteral(".MB"))));
            QVERIFY(db.open(QIODevice::ReadOnly) && mb.open(QIODevice::ReadOnly));
            // The table name inside the header is the only difference.
            const QByteArray bytes = db.readAll().replace(name.toLatin1(), "X.DB") + mb.readAll();
            if (first.isEmpty())
                first = bytes;
            else
                QVERIFY(bytes == first);
        }
    }

    void otherCodePage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cyr.db"));
        const QList<FieldDef> fields = {field(QStringLiteral("Наименование"), FieldType::Alpha, 20),
                                        field(QStringLiteral("Мол"), FieldType::Memo, 11)};
        const QList<Row> rows = {{QStringLiteral("СКЛАД"), QStringLiteral("здания и сооружения")}};
        ParadoxWriter::writeTable(path, fields, 0, rows, 866);
        QVERIFY(QFileInfo::exists(
            dir.filePath(QStringLiteral("cyr.mb")))); // extension case follows the table's
        ParadoxReader reader(path);
        QCOMPARE(reader.codePage(), 866);
        QCOMPARE(reader.fields().at(0).name, QStringLiteral("Наименование"));
        QCOMPARE(reader.readAll(), rows);
    }

    void refusals_data()
    {
        QTest::addColumn<QList<FieldDef>>("fields");
        QTest::addColumn<int>("keys");
        QTest::addColumn<QList<Row>>("rows");
        QTest::addColumn<QString>("expected");
        const FieldDef name = field(QStringLiteral("Name"), FieldType::Alpha, 5);
        const FieldDef num = field(QStringLiteral("N"), FieldType::Short);
        QTest::newRow("text not in code page")
            << QList<FieldDef>{name} << 0 << QList<Row>{{QStringLiteral("Жук")}}
            << "code page 1252";
        QTest::newRow("text too long")
            << QList<FieldDef>{name} << 0 << QList<Row>{{QStringLiteral("123456")}} << "holds 5";
        QTest::newRow("short out of range")
            << QList<FieldDef>{num} << 0 << QList<Row>{{40000}} << "not a short";
        QTest::newRow("not a number")
            << QList<FieldDef>{num} << 0 << QList<Row>{{QStringLiteral("abc")}} << "not a short";
        QTest::newRow("duplicate names")
            << QList<FieldDef>{name, field(QStringLiteral("NAME"), FieldType::Long)} << 0
            << QList<Row>{} << "occurs twice";
        QTest::newRow("memo too small")
            << QList<FieldDef>{field(QStringLiteral("M"), FieldType::Memo, 10)} << 0 << QList<Row>{}
            << "11 to 250";
        QTest::newRow("memo in key")
            << QList<FieldDef>{field(QStringLiteral("M"), FieldType::Memo, 20)} << 1 << QList<Row>{}
            << "key";
        QTest::newRow("type we do not create")
            << QList<FieldDef>{field(QStringLiteral("B"), FieldType::Bcd, 17)} << 0 << QList<Row>{}
            << "cannot create";
        QTest::newRow("row too short")
            << QList<FieldDef>{name, num} << 0 << QList<Row>{{QStringLiteral("a")}}
            << "1 values for 2 fields";
        QTest::newRow("no fields")
            << QList<FieldDef>{} << 0 << QList<Row>{} << "at least one field";
    }
    void refusals()
    {
        QFETCH(QList<FieldDef>, fields);
        QFETCH(int, keys);
        QFETCH(QList<Row>, rows);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BAD.DB"));
        const QString message = writeError(path, fields, keys, rows);
        QVERIFY2(message.contains(expected), qPrintable(message));
        QVERIFY(message.contains(QStringLiteral("BAD.DB")));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void replacesOldTableAndItsCompanions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("T.DB"));
        ParadoxWriter::writeTable(path, {field(QStringLiteral("M"), FieldType::Memo, 11)}, 0,
                                  {{longText(100)}});
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("T.MB"))));
        QFile px(dir.filePath(QStringLiteral("T.PX")));
        QVERIFY(px.open(QIODevice::WriteOnly));
        px.close();
        ParadoxWriter::writeTable(path, {field(QStringLiteral("A"), FieldType::Alpha, 3)}, 0,
                                  {{QStringLiteral("x")}});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("T.DB")});
        QCOMPARE(ParadoxReader(path).readAll(), (QList<Row>{{QStringLiteral("x")}}));
    }

    // Opening reads the header only: a table of 200,000 rows costs no more
    // to open than an empty one with the same fields.
    void openReadsHeaderOnly()
    {
        QTemporaryDir dir;
        const QList<FieldDef> fields = {field(QStringLiteral("ID"), FieldType::Long),
                                        field(QStringLiteral("Name"), FieldType::Alpha, 12)};
        QList<Row> rows;
        rows.reserve(200000);
        for (int i = 0; i < 200000; ++i)
            rows.append({i + 1, QStringLiteral("Name %1").arg(i)});
        const QString big = dir.filePath(QStringLiteral("BIG.DB"));
        const QString empty = dir.filePath(QStringLiteral("EMPTY.DB"));
        ParadoxWriter::writeTable(big, fields, 1, rows);
        ParadoxWriter::writeTable(empty, fields, 1, {});
        QVERIFY(QFileInfo(big).size() > 200000 * 16);

        ParadoxReader bigReader(big);
        ParadoxReader emptyReader(empty);
        QCOMPARE(bigReader.recordCount(), qint64(200000));
        QCOMPARE(bigReader.fields().size(), 2);
        QVERIFY(emptyReader.bytesRead() > 0);
        QVERIFY(bigReader.bytesRead() <= emptyReader.bytesRead());

        const QList<Row> back = bigReader.readAll();
        QCOMPARE(back.size(), 200000);
        QCOMPARE(back.last(), rows.last());
        QVERIFY(bigReader.bytesRead() >= QFileInfo(big).size());
    }
};

QTEST_GUILESS_MAIN(TestParadoxWriter)
#include "tst_paradoxwriter.moc"
