// Password-protected tables checked against an independent implementation:
// Debian's pxlib (libpx), linked into this test only. Tables pxlib writes
// and protects are read by our reader; tables our writer protects are read
// by pxlib; our password checksum is compared with the one libpx exports.
// pxlib cannot be trusted with .MB files (it crashes on them), so memo files
// are checked through libpx's exported block unscrambling and our own round
// trip instead.

#include "FieldBuilders.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxCrypt.h"
#include "engine/ParadoxFormat.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"
#include "engine/Session.h"
#include "engine/Table.h"

#include "TempInstallation.h"

#include <QByteArrayView>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

// The library is C; its header does not say so.
extern "C" {
#include <paradox.h>
}

#include <cstring>

// Exported by libpx, not declared in its header.
extern "C" long px_passwd_checksum(const char* password);
extern "C" void px_decrypt_db_block(unsigned char* src, unsigned char* dest,
                                    unsigned long encryption, unsigned long blocksize,
                                    unsigned long blockno);
extern "C" void px_decrypt_mb_block(unsigned char* src, unsigned char* dest,
                                    unsigned long encryption, unsigned long blocksize);

using FieldBuilders::field;

namespace {

// One row of the oracle tables: the values as both sides should see them.
struct Expected
{
    QString name;             // Alpha 24, empty for none
    std::optional<int> count; // Short
    std::optional<int> total; // Long
    std::optional<double> amount;
    std::optional<double> price; // Money
    QDate born;
    std::optional<bool> active;
};

QList<Expected> expectedRows(int count)
{
    QRandomGenerator rng(20261207);
    QList<Expected> rows;
    const QStringList names = {QStringLiteral("Anna Müller"), QStringLiteral("José Núñez"),
                               QStringLiteral("O'Brien & Söhne"), QStringLiteral("Zoë"),
                               QStringLiteral("Ærø Fiskeri")};
    for (int i = 0; i < count; ++i) {
        Expected e;
        if (i % 11 != 5)
            e.name = names.at(i % names.size()) + QStringLiteral(" %1").arg(i);
        if (i % 7 != 3)
            e.count = int(rng.bounded(-32000, 32000));
        if (i % 5 != 1)
            e.total = int(rng.bounded(2000000000)) - int(rng.bounded(2000000000));
        if (i % 9 != 2)
            e.amount = double(rng.bounded(-1000000, 1000000)) / 8.0;
        if (i % 4 != 0)
            e.price = double(rng.bounded(0, 10000000)) / 100.0;
        if (i % 6 != 4)
            e.born = QDate(1900, 1, 1).addDays(rng.bounded(0, 50000));
        if (i % 3 != 2)
            e.active = (i % 2) == 0;
        rows << e;
    }
    return rows;
}

QList<FieldDef> oracleFields()
{
    return {field(QStringLiteral("Name"), FieldType::Alpha, 24),
            field(QStringLiteral("Count"), FieldType::Short, 2),
            field(QStringLiteral("Total"), FieldType::Long, 4),
            field(QStringLiteral("Amount"), FieldType::Number, 8),
            field(QStringLiteral("Price"), FieldType::Money, 8),
            field(QStringLiteral("Born"), FieldType::Date, 4),
            field(QStringLiteral("Active"), FieldType::Logical, 1)};
}

Row toRow(const Expected& e)
{
    auto opt = [](const auto& v) { return v ? QVariant(*v) : QVariant(); };
    return {e.name.isEmpty() ? QVariant() : QVariant(e.name),
            opt(e.count),
            opt(e.total),
            opt(e.amount),
            opt(e.price),
            e.born.isValid() ? QVariant(e.born) : QVariant(),
            opt(e.active)};
}

QByteArray latin1(const QString& text)
{
    return QStringEncoder(QStringEncoder::Latin1).encode(text);
}

void silent(pxdoc_t*, int, const char*, void*) {}

// A pxlib document that is deleted on every way out.
struct PxDoc
{
    pxdoc_t* doc = PX_new3(silent, nullptr, nullptr, nullptr, nullptr);
    ~PxDoc()
    {
        PX_close(doc);
        PX_delete(doc);
    }
    QString text(char* data, int len)
    {
        char* value = nullptr;
        if (PX_get_data_alpha(doc, data, len, &value) <= 0 || !value)
            return {};
        const QString s = QStringDecoder("windows-1252").decode(QByteArrayView(value));
        doc->free(doc, value);
        return s;
    }
};

// Writes the rows with pxlib, protected with `password` when it is not empty.
bool writeWithPxlib(const QString& path, const QList<Expected>& rows, const char* password)
{
    PxDoc px;
    const int n = 7;
    auto* f = static_cast<pxfield_t*>(px.doc->malloc(px.doc, n * sizeof(pxfield_t), "fields"));
    const struct
    {
        const char* name;
        char type;
        int len;
    } defs[n] = {{"Name", pxfAlpha, 24},   {"Count", pxfShort, 2},    {"Total", pxfLong, 4},
                 {"Amount", pxfNumber, 8}, {"Price", pxfCurrency, 8}, {"Born", pxfDate, 4},
                 {"Active", pxfLogical, 1}};
    for (int i = 0; i < n; ++i) {
        f[i].px_fname = PX_strdup(px.doc, defs[i].name);
        f[i].px_ftype = defs[i].type;
        f[i].px_flen = defs[i].len;
        f[i].px_fdc = 0;
    }
    if (PX_create_file(px.doc, f, n, QFile::encodeName(path).constData(), pxfFileTypNonIndexDB) < 0)
        return false;
    PX_set_parameter(px.doc, "codepage", "1252");
    PX_set_parameter(px.doc, "tablename", "ORACLE");
    if (*password)
        PX_set_parameter(px.doc, "password", password);
    QByteArray record(PX_get_recordsize(px.doc), '\0');
    for (const Expected& e : rows) {
        record.fill('\0');
        char* p = record.data();
        if (!e.name.isEmpty())
            PX_put_data_alpha(px.doc, p, 24, latin1(e.name).data());
        if (e.count)
            PX_put_data_short(px.doc, p + 24, 2, short(*e.count));
        if (e.total)
            PX_put_data_long(px.doc, p + 26, 4, *e.total);
        if (e.amount)
            PX_put_data_double(px.doc, p + 30, 8, *e.amount);
        if (e.price)
            PX_put_data_double(px.doc, p + 38, 8, *e.price);
        if (e.born.isValid())
            PX_put_data_long(px.doc, p + 46, 4, int(ParadoxFormat::dayNumber(e.born)));
        if (e.active)
            PX_put_data_byte(px.doc, p + 50, 1, *e.active ? 1 : 0);
        if (PX_put_record(px.doc, p) < 0)
            return false;
    }
    return true;
}

// Reads a table with pxlib, one Row per record, fields as oracleFields().
QList<Row> readWithPxlib(const QString& path, const char* password, bool* ok)
{
    *ok = false;
    PxDoc px;
    QList<Row> rows;
    if (PX_open_file(px.doc, QFile::encodeName(path).constData()) < 0)
        return rows;
    if (*password)
        PX_set_parameter(px.doc, "password", password);
    const int count = PX_get_num_records(px.doc);
    QByteArray record(PX_get_recordsize(px.doc), '\0');
    for (int r = 0; r < count; ++r) {
        char* p = record.data();
        if (!PX_get_record(px.doc, r, p))
            return rows;
        Row row(7);
        // pxlib reads an empty number as its lowest value: an all-zero field
        // is empty, and is not handed to it.
        const auto present = [p](int at, int len) { return !ParadoxFormat::allZero(p + at, len); };
        const QString name = px.text(p, 24);
        if (!name.isEmpty())
            row[0] = name;
        short s = 0;
        if (present(24, 2) && PX_get_data_short(px.doc, p + 24, 2, &s) > 0)
            row[1] = int(s);
        long l = 0;
        if (present(26, 4) && PX_get_data_long(px.doc, p + 26, 4, &l) > 0)
            row[2] = int(l);
        double d = 0;
        if (present(30, 8) && PX_get_data_double(px.doc, p + 30, 8, &d) > 0)
            row[3] = d;
        if (present(38, 8) && PX_get_data_double(px.doc, p + 38, 8, &d) > 0)
            row[4] = d;
        if (present(46, 4) && PX_get_data_long(px.doc, p + 46, 4, &l) > 0)
            row[5] = ParadoxFormat::dateFromDayNumber(l);
        char b = 0;
        if (present(50, 1) && PX_get_data_byte(px.doc, p + 50, 1, &b) > 0)
            row[6] = b != 0;
        rows << row;
    }
    *ok = true;
    return rows;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const DatabaseError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestPxlibOracle : public QObject
{
    Q_OBJECT

private slots:
    void checksumsEqualLibpx()
    {
        QList<QByteArray> passwords = {"a",
                                       "tallyv",
                                       "hmrwbgl",
                                       "Password",
                                       "x y z",
                                       "\xe9t\xe9",
                                       QByteArray(20, 'q'),
                                       QByteArray(21, 'r'),
                                       QByteArray(40, 's'),
                                       QByteArray(41, 't'),
                                       QByteArray(255, 'u'),
                                       QByteArray(256, 'v')};
        QRandomGenerator rng(4711);
        for (int i = 0; i < 3000; ++i) {
            QByteArray p(int(rng.bounded(1, 64)), '\0');
            for (char& c : p)
                c = char(rng.bounded(1, 256)); // every byte but the terminating zero
            passwords << p;
        }
        for (const QByteArray& p : passwords) {
            const quint32 ours = paradoxPasswordChecksum(QString::fromLatin1(p));
            const quint32 theirs = quint32(px_passwd_checksum(p.constData()));
            if (ours != theirs)
                QFAIL(qPrintable(QStringLiteral("password %1: ours %2, libpx %3")
                                     .arg(QString::fromLatin1(p.toHex()))
                                     .arg(ours, 8, 16)
                                     .arg(theirs, 8, 16)));
            QVERIFY(ours != 0);
        }
        QCOMPARE(paradoxPasswordChecksum(QString()), 0u);
    }

    // More than 256 blocks, so that the block number's low byte wraps.
    void tablesPxlibProtectsReadExactly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ORACLE.DB"));
        const QList<Expected> expected = expectedRows(12000);
        QVERIFY(writeWithPxlib(path, expected, "Geheim7"));

        ParadoxReader reader(path);
        QVERIFY(reader.encrypted());
        QCOMPARE(reader.passwordChecksum(), paradoxPasswordChecksum(QStringLiteral("Geheim7")));
        QCOMPARE(reader.fields().size(), 7);
        QCOMPARE(reader.fields().at(4).type, FieldType::Money);
        QVERIFY((fileBytes(path).size() - 2048) / reader.blockSize() > 256);

        // Wrong, empty or wrongly cased passwords open nothing.
        for (const QString& wrong :
             {QString(), QStringLiteral("geheim7"), QStringLiteral("Geheim")}) {
            reader.setPassword(wrong);
            const QString error = errorOf([&] { reader.readAll(); });
            QVERIFY2(error.contains(QStringLiteral("password-protected")), qPrintable(error));
            QVERIFY(error.contains(QStringLiteral("ORACLE.DB")));
        }

        reader.setPassword(QStringLiteral("Geheim7"));
        const QList<Row> rows = reader.readAll();
        QCOMPARE(rows.size(), expected.size());
        for (int i = 0; i < rows.size(); ++i)
            if (rows.at(i) != toRow(expected.at(i)))
                QFAIL(qPrintable(QStringLiteral("row %1 differs").arg(i + 1)));
    }

    // The engine, with the session's passwords, as the wizard reads a table.
    void sessionPasswordOpensPxlibTable()
    {
        TempInstallation inst;
        const QString path = inst.dataPath(QStringLiteral("EXTRA.DB"));
        const QList<Expected> expected = expectedRows(50);
        QVERIFY(writeWithPxlib(path, expected, "zebra"));

        Table t;
        t.setDatabaseName(QStringLiteral("VESKA"));
        t.setTableName(QStringLiteral("EXTRA.DB"));
        t.open();
        QCOMPARE(errorOf([&] { t.recordCount(); }),
                 QStringLiteral("The table EXTRA.DB is encrypted, and none of the passwords of "
                                "this program opens it."));
        t.close();

        Session::instance().addPassword(QStringLiteral("zebra"));
        t.open();
        QCOMPARE(t.recordCount(), 50);
        t.first();
        QCOMPARE(t.value(QStringLiteral("Name")).toString(), expected.first().name);
        QCOMPARE(t.value(QStringLiteral("Total")), QVariant(*expected.first().total));
        // Protected tables are only read.
        QVERIFY(!errorOf([&] {
                     t.edit();
                     t.setValue(QStringLiteral("Name"), QStringLiteral("changed"));
                     t.post();
                 }).isEmpty());
    }

    void tablesWeProtectReadByPxlib()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("OURS.DB"));
        const QList<Expected> expected = expectedRows(9000);
        QList<Row> rows;
        for (const Expected& e : expected)
            rows << toRow(e);
        ParadoxWriter::writeTable(path, oracleFields(), 0, rows, 1252, QStringLiteral("hmrwbgl"));
        const QByteArray header = fileBytes(path).left(0x60);
        QCOMPARE(ParadoxFormat::le32(header.constData() + 0x5C),
                 quint32(px_passwd_checksum("hmrwbgl")));
        QCOMPARE(ParadoxFormat::le32(header.constData() + 0x25), 0xFF00FF00u);

        bool ok = false;
        const QList<Row> theirs = readWithPxlib(path, "hmrwbgl", &ok);
        QVERIFY(ok);
        QCOMPARE(theirs.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i)
            if (theirs.at(i) != rows.at(i))
                QFAIL(qPrintable(QStringLiteral("row %1 differs for pxlib").arg(i + 1)));
    }

    // Every data block and every piece of the memo file, unscrambled by
    // libpx, gives back the bytes of the same table written unprotected.
    void scrambledBytesMatchLibpx()
    {
        QTemporaryDir dir;
        const QList<FieldDef> fields = {field(QStringLiteral("Id"), FieldType::Long, 4),
                                        field(QStringLiteral("Text"), FieldType::Alpha, 200),
                                        field(QStringLiteral("Notes"), FieldType::Memo, 20)};
        QList<Row> rows;
        for (int i = 0; i < 700; ++i) {
            QString memo;
            for (int k = 0; k < (i * 37) % 900; ++k)
                memo += QChar(u'a' + (i + k) % 26);
            rows << Row{i + 1, QStringLiteral("row %1").arg(i),
                        memo.isEmpty() ? QVariant() : QVariant(memo)};
        }
        // Memos over several memo blocks.
        for (int i = 0; i < 3; ++i)
            rows << Row{1000 + i, QStringLiteral("long %1").arg(i),
                        QString(9000 + 7000 * i, QChar(u'k' + i))};
        // The same name in two folders, so that the headers are alike.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("plain")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("shut")));
        const QString plain = dir.filePath(QStringLiteral("plain/NOTES.DB"));
        const QString shut = dir.filePath(QStringLiteral("shut/NOTES.DB"));
        ParadoxWriter::writeTable(plain, fields, 1, rows);
        ParadoxWriter::writeTable(shut, fields, 1, rows, 1252, QStringLiteral("tallyv"));
        const quint32 checksum = paradoxPasswordChecksum(QStringLiteral("tallyv"));

        QByteArray clear = fileBytes(plain), scrambled = fileBytes(shut);
        QCOMPARE(scrambled.size(), clear.size());
        const int headerSize = ParadoxFormat::le16(clear.constData() + 2);
        const int blockSize = quint8(clear[5]) * 1024;
        QVERIFY(scrambled.mid(headerSize) != clear.mid(headerSize));
        for (qsizetype at = headerSize, block = 1; at < scrambled.size(); at += blockSize, ++block)
            px_decrypt_db_block(reinterpret_cast<unsigned char*>(scrambled.data() + at),
                                reinterpret_cast<unsigned char*>(scrambled.data() + at), checksum,
                                blockSize, block);
        // The headers differ in the checksum only.
        scrambled.replace(0x5C, 4, clear.mid(0x5C, 4));
        QVERIFY(scrambled == clear);

        QByteArray clearMemo = fileBytes(dir.filePath(QStringLiteral("plain/NOTES.MB")));
        QByteArray memo = fileBytes(dir.filePath(QStringLiteral("shut/NOTES.MB")));
        QVERIFY(clearMemo.size() > 4 * 4096);
        QCOMPARE(memo.size(), clearMemo.size());
        QVERIFY(memo != clearMemo);
        px_decrypt_mb_block(reinterpret_cast<unsigned char*>(memo.data()),
                            reinterpret_cast<unsigned char*>(memo.data()), checksum, memo.size());
        QVERIFY(memo == clearMemo);

        // And our own reader gives the same rows from both.
        ParadoxReader reader(shut);
        reader.setPassword(QStringLiteral("tallyv"));
        QCOMPARE(reader.readAll(), ParadoxReader(plain).readAll());
    }

    // Blocks that unscramble to nonsense are damage, never rows.
    void nonsenseIsDamage_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("a data block overwritten") << "block";
        QTest::newRow("the stored checksum altered") << "checksum";
    }
    void nonsenseIsDamage()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("HURT.DB"));
        QList<Row> rows;
        for (const Expected& e : expectedRows(400))
            rows << toRow(e);
        ParadoxWriter::writeTable(path, oracleFields(), 0, rows, 1252, QStringLiteral("tallyv"));
        QByteArray bytes = fileBytes(path);
        QString password = QStringLiteral("tallyv");
        if (how == QLatin1String("block")) {
            const int headerSize = ParadoxFormat::le16(bytes.constData() + 2);
            const int blockSize = quint8(bytes[5]) * 1024;
            for (int i = 0; i < blockSize; ++i)
                bytes[headerSize + blockSize + i] = char(i * 7 + 3); // block 2
        } else {
            password = QStringLiteral("other");
            ParadoxFormat::putLe32(bytes.data() + 0x5C, paradoxPasswordChecksum(password));
        }
        QVERIFY(writeBytes(path, bytes));
        ParadoxReader reader(path);
        reader.setPassword(password);
        const QString error = errorOf([&] { reader.readAll(); });
        QVERIFY2(error.contains(QStringLiteral("is damaged")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestPxlibOracle)
#include "tst_pxliboracle.moc"
