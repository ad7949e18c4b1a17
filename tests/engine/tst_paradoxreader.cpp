#include "FileBytes.h"

#include "engine/DatabaseError.h"
#include "engine/ParadoxCrypt.h"
#include "engine/ParadoxFormat.h"
#include "engine/ParadoxReader.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

// Reads the real tables in $TV_TESTDATA/paradox (written by other programs)
// and checks them against their README, then feeds damaged copies through
// the reader.
class TestParadoxReader : public QObject
{
    Q_OBJECT

    QString m_dir;

    QString table(const QString& name) const { return m_dir + QLatin1Char('/') + name; }

    static bool writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    // Opens and reads everything; answers the error message, or an empty
    // text when the file read cleanly.
    static QString openAndReadAll(const QString& path)
    {
        try {
            ParadoxReader reader(path);
            reader.readAll();
            return {};
        } catch (const DatabaseError& e) {
            return e.message().isEmpty() ? QStringLiteral("(empty message)") : e.message();
        }
    }

    static QList<Row> readRows(const QString& path)
    {
        ParadoxReader reader(path);
        return reader.readAll();
    }

private slots:
    void initTestCase()
    {
        m_dir = qEnvironmentVariable("TV_TESTDATA") + QStringLiteral("/paradox");
        QVERIFY2(QFileInfo::exists(table(QStringLiteral("country.db"))),
                 qPrintable("no test tables in " + m_dir));
    }

    void header_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<qint64>("records");
        QTest::addColumn<int>("keyFields");
        QTest::addColumn<int>("fieldCount");
        QTest::addColumn<QString>("tableName");
        QTest::newRow("country") << "country.db" << 40 << 850 << qint64(18) << 1 << 5
                                 << "RESTTEMP.DB";
        QTest::newRow("biolife") << "biolife.db" << 40 << 437 << qint64(28) << 1 << 8
                                 << "BIOLIFE.DB";
        QTest::newRow("TypSammlung")
            << "TypSammlung.DB" << 70 << 1252 << qint64(5) << 2 << 14 << "resttemp.DB";
        QTest::newRow("empty") << "empty.db" << 70 << 1252 << qint64(0) << 0 << 7 << "resttemp.DB";
        QTest::newRow("of") << "of.db" << 35 << 0 << qint64(2197) << 0 << 19 << "resttemp.DB";
        QTest::newRow("of_cp866") << "of_cp866.db" << 40 << 866 << qint64(2197) << 0 << 19
                                  << "resttemp.DB";
    }
    void header()
    {
        QFETCH(QString, file);
        QFETCH(int, version);
        QFETCH(int, codePage);
        QFETCH(qint64, records);
        QFETCH(int, keyFields);
        QFETCH(int, fieldCount);
        QFETCH(QString, tableName);
        ParadoxReader reader(table(file));
        QCOMPARE(reader.version(), version);
        QCOMPARE(reader.codePage(), codePage);
        QCOMPARE(reader.recordCount(), records);
        QCOMPARE(reader.keyFieldCount(), keyFields);
        QCOMPARE(reader.fields().size(), fieldCount);
        QCOMPARE(reader.tableName(), tableName);
        QCOMPARE(reader.fileType(), keyFields ? 0 : 2);
        QVERIFY(!reader.encrypted());
        int recordSize = 0;
        for (const FieldDef& f : reader.fields())
            recordSize += f.size;
        QCOMPARE(reader.recordSize(), recordSize);
        QCOMPARE(reader.readAll().size(), records);
    }

    void fieldList_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected"); // name:type code:size[:decimals], separated by |
        QTest::newRow("country, CP850")
            << "country.db"
            << "Name:1:24|Capital:1:24|Continent:1:24|Area:6:8|Population:6:8";
        QTest::newRow("biolife, CP437") << "biolife.db"
                                        << "Species No:6:8|Category:1:15|Common_Name:1:30|Species "
                                           "Name:1:40|Length (cm):6:8|Length_In:6:8|"
                                           "Notes:12:60|Graphic:16:10";
        QTest::newRow("TypSammlung, 1252")
            << "TypSammlung.DB"
            << "Alpha:1:30|Numerisch:6:8|Währung:5:8|Integer kurz:3:2|Integer "
               "lang:4:4|BCD:23:17:6|Datum:2:4|"
               "Zeit:20:4|Datum/"
               "Zeit:21:8|Memo:12:11|Logisch:9:1|Zähler:22:4|Binär:13:10|Bytes:24:255";
        QTest::newRow("empty") << "empty.db"
                               << "ID:4:4|ScientificName:1:30|CommonName:1:30|Order:1:20|Genus:1:"
                                  "20|Notes:12:20|Picture:16:11";
    }
    void fieldList()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        ParadoxReader reader(table(file));
        QStringList got;
        for (const FieldDef& f : reader.fields()) {
            QString s = QStringLiteral("%1:%2:%3").arg(f.name).arg(int(f.type)).arg(f.size);
            if (f.type == FieldType::Bcd)
                s += QStringLiteral(":%1").arg(f.decimals);
            got << s;
        }
        QCOMPARE(got.join(QLatin1Char('|')), expected);
    }

    void cyrillicNames()
    {
        ParadoxReader reader(table(QStringLiteral("of_cp866.db")));
        const QList<FieldDef>& f = reader.fields();
        QCOMPARE(f.at(0).name, QStringLiteral("Инвентарный номер"));
        QCOMPARE(f.at(0).type, FieldType::Alpha);
        QCOMPARE(f.at(0).size, 10);
        QCOMPARE(f.at(3).name, QStringLiteral("Наименование"));
        QCOMPARE(f.at(3).size, 50);
        QCOMPARE(f.at(18).name, QStringLiteral("Мол"));
        QCOMPARE(f.at(18).size, 3);
        for (int i = 0; i < f.size(); ++i) {
            const FieldType expected = i == 4               ? FieldType::Date
                                       : (i == 5 || i == 6) ? FieldType::Number
                                                            : FieldType::Alpha;
            QCOMPARE(f.at(i).type, expected);
        }
        const QList<Row> rows = reader.readAll();
        QCOMPARE(rows.size(), 2197);
        QCOMPARE(rows.at(0).at(0), QVariant(QStringLiteral("001370009")));
        QCOMPARE(rows.at(0).at(4), QVariant(QDate(1972, 1, 1)));
        QCOMPARE(rows.at(0).at(3), QVariant(QStringLiteral("АП-Т УЗТ-ПЕРЕНОСНОЙ")));
    }

    // of.db holds the same CP866 bytes but records no code page, so it is
    // read as Windows-1252: the text comes out as Latin lookalikes that turn
    // back into the right bytes, and the values equal those of of_cp866.db.
    void noCodePageFallsBackToWindows1252()
    {
        ParadoxReader plain(table(QStringLiteral("of.db")));
        ParadoxReader cyrillic(table(QStringLiteral("of_cp866.db")));
        QCOMPARE(plain.codePage(), 0);
        QStringEncoder toBytes("windows-1252");
        QStringDecoder fromCp866("IBM866");
        for (int i = 0; i < plain.fields().size(); ++i) {
            const QString raw = plain.fields().at(i).name;
            QVERIFY(raw != cyrillic.fields().at(i).name);
            QCOMPARE(QString(fromCp866(QByteArray(toBytes(raw)))), cyrillic.fields().at(i).name);
        }
        const QList<Row> a = plain.readAll();
        const QList<Row> b = cyrillic.readAll();
        QCOMPARE(a.size(), b.size());
        QCOMPARE(a.at(0).at(4), b.at(0).at(4));
        QCOMPARE(a.at(0).at(5), b.at(0).at(5));
    }

    void countryValues()
    {
        const QList<Row> rows = readRows(table(QStringLiteral("country.db")));
        QCOMPARE(rows.size(), 18);
        QCOMPARE(rows.at(0), (Row{QStringLiteral("Argentina"), QStringLiteral("Buenos Aires"),
                                  QStringLiteral("South America"), 2777815.0, 32300003.0}));
        QCOMPARE(rows.at(17), (Row{QStringLiteral("Venezuela"), QStringLiteral("Caracas"),
                                   QStringLiteral("South America"), 912047.0, 19700000.0}));
    }

    void biolifeMemoAndGraphic()
    {
        ParadoxReader reader(table(QStringLiteral("biolife.db")));
        const QList<Row> rows = reader.readAll();
        QCOMPARE(rows.size(), 28);
        const Row& r = rows.at(0);
        QCOMPARE(r.at(0), QVariant(90020.0));
        QCOMPARE(r.at(1), QVariant(QStringLiteral("Triggerfish")));
        QCOMPARE(r.at(2), QVariant(QStringLiteral("Clown Triggerfish")));
        QCOMPARE(r.at(3), QVariant(QStringLiteral("Ballistoides conspicillum")));
        QCOMPARE(r.at(4), QVariant(50.0));
        QVERIFY(qAbs(r.at(5).toDouble() - 19.685) < 0.001);
        QCOMPARE(r.at(6).typeId(), QMetaType::QString);
        const QString notes = r.at(6).toString();
        QVERIFY(notes.startsWith(
            QStringLiteral("Also known as the big spotted triggerfish.  Inhabits outer r")));
        QVERIFY(notes.size() > 60); // the rest came from the .MB file
        QCOMPARE(r.at(7).typeId(), QMetaType::QByteArray);
        const QByteArray graphic = r.at(7).toByteArray();
        QCOMPARE(graphic.size(), 38878);
        QVERIFY(graphic.startsWith("BM"));
        for (const Row& row : rows) {
            QVERIFY(!row.at(6).toString().isEmpty());
            QVERIFY(row.at(7).toByteArray().startsWith("BM"));
        }
        QVERIFY(reader.bytesRead() > 38878 * 28);
    }

    void typeCollection()
    {
        const QList<Row> rows = readRows(table(QStringLiteral("TypSammlung.DB")));
        QCOMPARE(rows.size(), 5);
        const Row& r0 = rows.at(0);
        QCOMPARE(r0.at(0), QVariant(QStringLiteral("AAA Irgendein Text")));
        QCOMPARE(r0.at(1), QVariant(40.0));
        QCOMPARE(r0.at(2), QVariant(40.0));
        QCOMPARE(r0.at(3), QVariant(40));
        QCOMPARE(r0.at(4), QVariant(40));
        QCOMPARE(r0.at(5), QVariant(QStringLiteral("40.000000")));
        QCOMPARE(r0.at(6), QVariant(QDate(1970, 1, 1)));
        QCOMPARE(r0.at(7), QVariant(QTime(0, 0)));
        QCOMPARE(r0.at(8), QVariant(QDateTime(QDate(1970, 1, 1), QTime(11, 0), Qt::UTC)));
        QVERIFY(r0.at(9).isNull());
        QVERIFY(r0.at(10).isNull());
        QCOMPARE(r0.at(11), QVariant(1));
        QVERIFY(r0.at(12).isNull());
        QVERIFY(r0.at(13).isNull());

        // Record 1: empty short, long, date and time stay empty.
        const Row& r1 = rows.at(1);
        QCOMPARE(r1.at(0), QVariant(QStringLiteral("Erste Zeile")));
        for (int i : {2, 3, 4, 5, 6, 7, 8, 9})
            QVERIFY2(r1.at(i).isNull(),
                     qPrintable(QStringLiteral("field %1 is %2").arg(i).arg(r1.at(i).toString())));
        QCOMPARE(r1.at(10), QVariant(false));

        // Record 2: a memo longer than its one in-record byte, read from the .MB file.
        const Row& r2 = rows.at(2);
        QCOMPARE(r2.at(0), QVariant(QStringLiteral("Fünfter Datensatz")));
        QCOMPARE(r2.at(9), QVariant(QStringLiteral("Dies ist eine Memo im 'Fünften Datensat'")));
        QCOMPARE(r2.at(5), QVariant(QStringLiteral("13.123457")));
        QCOMPARE(r2.at(7), QVariant(QTime(1, 10, 12)));

        // Record 3: real zeros are zeros, not empty.
        const Row& r3 = rows.at(3);
        QCOMPARE(r3.at(1), QVariant(0.0));
        QCOMPARE(r3.at(3), QVariant(0));
        QCOMPARE(r3.at(4), QVariant(0));
        QCOMPARE(r3.at(5), QVariant(QStringLiteral("0.000000")));
        QVERIFY(r3.at(6).isNull());

        const Row& r4 = rows.at(4);
        QCOMPARE(r4.at(0), QVariant(QStringLiteral("Zweite Zeile")));
        QCOMPARE(r4.at(1), QVariant(-40.0));
        QCOMPARE(r4.at(2), QVariant(-40.0));
        QCOMPARE(r4.at(3), QVariant(-40));
        QCOMPARE(r4.at(4), QVariant(-40));
        QCOMPARE(r4.at(5), QVariant(QStringLiteral("-40.000000")));
        QCOMPARE(r4.at(6), QVariant(QDate(1999, 9, 9)));
        QCOMPARE(r4.at(7), QVariant(QTime(11, 11, 11)));
        QCOMPARE(r4.at(8), QVariant(QDateTime(QDate(2003, 6, 10), QTime(11, 11, 11), Qt::UTC)));
        QVERIFY(r4.at(9).isNull());
        QCOMPARE(r4.at(10), QVariant(true));
        QCOMPARE(r4.at(11), QVariant(2));
    }

    void emptyTable()
    {
        ParadoxReader reader(table(QStringLiteral("empty.db")));
        QVERIFY(reader.readAll().isEmpty());
    }

    void streamingStopsEarly()
    {
        ParadoxReader reader(table(QStringLiteral("of_cp866.db")));
        int seen = 0;
        reader.forEachRow([&seen](const Row&) { return ++seen < 3; });
        QCOMPARE(seen, 3);
        QVERIFY(reader.bytesRead() < 3 * 2048 + 2048 + 16);
    }

    void missingFile()
    {
        const QString path = table(QStringLiteral("no-such-table.db"));
        try {
            ParadoxReader reader(path);
            QFAIL("opened a missing file");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("no-such-table.db")),
                     qPrintable(e.message()));
        }
    }

    void missingMemoFile()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("biolife.db"));
        QVERIFY(QFile::copy(table(QStringLiteral("biolife.db")), copy));
        ParadoxReader reader(copy);
        QCOMPARE(reader.fields().size(), 8); // the field list needs no memo file
        QVERIFY_THROWS_EXCEPTION(DatabaseError, reader.readAll());
        QVERIFY(openAndReadAll(copy).contains(QStringLiteral("memo file")));
    }

    // The header and field list of a protected table are in the clear; its
    // rows, without a password that has the stored checksum, are refused
    // with a message that names the table and says why.
    void encryptedTable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("checksumOffset");
        QTest::newRow("4.0 table") << "country.db" << 0x5C;
        QTest::newRow("3.5 table") << "of.db" << 0x25;
    }
    void encryptedTable()
    {
        QFETCH(QString, file);
        QFETCH(int, checksumOffset);
        QTemporaryDir dir;
        QByteArray bytes = readAll(table(file));
        bytes[checksumOffset] = char(0x78);
        bytes[checksumOffset + 1] = char(0x56);
        const QString copy = dir.filePath(file);
        QVERIFY(writeFile(copy, bytes));
        ParadoxReader reader(copy);
        QVERIFY(reader.encrypted());
        QCOMPARE(reader.passwordChecksum() & 0xFFFF, quint32(0x5678));
        QVERIFY(!reader.fields().isEmpty());
        for (const QString& password : {QString(), QStringLiteral("secret")}) {
            reader.setPassword(password);
            try {
                reader.readAll();
                QFAIL("read the rows of an encrypted table");
            } catch (const DatabaseError& e) {
                QVERIFY2(e.message().contains(QStringLiteral("password-protected")) &&
                             e.message().contains(file),
                         qPrintable(e.message()));
            }
        }
    }

    // Real tables, protected the way the format describes: each data block
    // scrambled, the checksum where the version keeps it (0x25 before 4.0,
    // 0x5C after; of.db has 314 blocks, so block numbers pass 256). With the
    // password the rows are those of the table in the clear.
    void protectedRealTables_data() { encryptedTable_data(); }
    void protectedRealTables()
    {
        QFETCH(QString, file);
        QFETCH(int, checksumOffset);
        QTemporaryDir dir;
        QByteArray bytes = readAll(table(file));
        const QList<Row> clear = ParadoxReader(table(file)).readAll();
        const int headerSize = ParadoxFormat::le16(bytes.constData() + 2);
        const int blockSize = quint8(bytes[5]) * 1024;
        const quint32 checksum = paradoxPasswordChecksum(QStringLiteral("Kennwort"));
        const ParadoxCipher cipher(checksum);
        int block = 1;
        for (qsizetype at = headerSize; at + blockSize <= bytes.size(); at += blockSize, ++block)
            cipher.encryptDataBlock(bytes.data() + at, blockSize, block);
        ParadoxFormat::putLe32(bytes.data() + checksumOffset, checksum);
        const QString copy = dir.filePath(file);
        QVERIFY(writeFile(copy, bytes));
        ParadoxReader reader(copy);
        QCOMPARE(reader.passwordChecksum(), checksum);
        reader.setPassword(QStringLiteral("Kennwort"));
        QCOMPARE(reader.readAll(), clear);
        QVERIFY(!clear.isEmpty());
    }

    void loopingBlockChain()
    {
        QTemporaryDir dir;
        QByteArray bytes = readAll(table(QStringLiteral("of_cp866.db")));
        // Block 3's successor becomes block 2.
        const int headerSize = 2048, blockSize = 2048;
        const int block3 = headerSize + 2 * blockSize;
        bytes[block3] = 2;
        bytes[block3 + 1] = 0;
        const QString copy = dir.filePath(QStringLiteral("loop.db"));
        QVERIFY(writeFile(copy, bytes));
        const QString message = openAndReadAll(copy);
        QVERIFY2(message.contains(QStringLiteral("loop")), qPrintable(message));
        QVERIFY(message.contains(QStringLiteral("loop.db")));
    }

    // Every shorter copy of a real table is refused with a message that names
    // the file, without crashing.
    void truncatedCopies_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("step");
        QTest::newRow("country.db") << "country.db" << 1;
        QTest::newRow("TypSammlung.DB") << "TypSammlung.DB" << 1;
        QTest::newRow("TypSammlung.MB") << "TypSammlung.MB" << 7;
        QTest::newRow("biolife.mb") << "biolife.mb" << 4099;
    }
    void truncatedCopies()
    {
        QFETCH(QString, file);
        QFETCH(int, step);
        QTemporaryDir dir;
        const QString base = QFileInfo(file).completeBaseName();
        // The table's companion files, whole.
        for (const QString& name :
             QDir(m_dir).entryList({base + QStringLiteral(".*")}, QDir::Files))
            QVERIFY(QFile::copy(table(name), dir.filePath(name)));
        const QByteArray whole = readAll(table(file));
        const bool isMemo = file.endsWith(QStringLiteral("mb"), Qt::CaseInsensitive);
        const QString dbName =
            QDir(dir.path()).entryList({base + QStringLiteral(".db")}, QDir::Files).value(0);
        QVERIFY(!dbName.isEmpty());
        const QString target = dir.filePath(file);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        int refused = 0, tried = 0;
        for (qsizetype len = 0; len < whole.size(); len += step) {
            QVERIFY(writeFile(target, whole.left(len)));
            const QString message = openAndReadAll(dir.filePath(dbName));
            ++tried;
            if (!message.isEmpty()) {
                ++refused;
                QVERIFY2(message.contains(isMemo ? file : dbName), qPrintable(message));
            }
        }
        // A table file cut anywhere is damaged. A memo file cut after the
        // last value still read is not noticed, which is fine.
        if (!isMemo)
            QCOMPARE(refused, tried);
        else
            QVERIFY(refused > tried / 2);
    }

    // Random bit flips: the reader either reads the copy or refuses it with a
    // DatabaseError; it never crashes, hangs or reads out of bounds (the
    // suite also runs under AddressSanitizer).
    void bitFlips_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("copies");
        QTest::newRow("country.db") << "country.db" << 150;
        QTest::newRow("TypSammlung.DB") << "TypSammlung.DB" << 150;
        QTest::newRow("TypSammlung.MB") << "TypSammlung.MB" << 100;
        QTest::newRow("empty.db") << "empty.db" << 50;
    }
    void bitFlips()
    {
        QFETCH(QString, file);
        QFETCH(int, copies);
        QTemporaryDir dir;
        const QString base = QFileInfo(file).completeBaseName();
        for (const QString& name :
             QDir(m_dir).entryList({base + QStringLiteral(".*")}, QDir::Files)) {
            QVERIFY(QFile::copy(table(name), dir.filePath(name)));
            QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
        }
        const QString dbName =
            QDir(dir.path()).entryList({base + QStringLiteral(".db")}, QDir::Files).value(0);
        const QByteArray whole = readAll(table(file));
        QRandomGenerator random(20240611);
        int refused = 0;
        for (int i = 0; i < copies; ++i) {
            QByteArray bytes = whole;
            const int flips = 1 + int(random.bounded(4));
            for (int f = 0; f < flips; ++f) {
                // Most of the interesting bytes are near the start.
                const qsizetype limit =
                    random.bounded(2) ? qMin<qsizetype>(bytes.size(), 0x900) : bytes.size();
                const qsizetype at = random.bounded(int(limit));
                bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
            }
            QVERIFY(writeFile(dir.filePath(file), bytes));
            if (!openAndReadAll(dir.filePath(dbName)).isEmpty())
                ++refused;
        }
        qDebug() << file << refused << "of" << copies << "damaged copies refused";
    }
};

QTEST_GUILESS_MAIN(TestParadoxReader)
#include "tst_paradoxreader.moc"
