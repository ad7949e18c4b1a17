// The table reader decodes text in the table's code page one byte at a time
// through a table it works out from the converter: every byte of every code
// page must come out exactly as the converter gives it.

#include "app/ParadoxFormat.h"
#include "app/ParadoxReader.h"
#include "app/ParadoxWriter.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

class TestReaderCodePages : public QObject
{
    Q_OBJECT

private slots:
    void everyByteAsTheConverterGivesIt_data()
    {
        QTest::addColumn<int>("codePage");
        for (int page : {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 437, 850, 852})
            QTest::newRow(qPrintable(QString::number(page))) << page;
    }
    void everyByteAsTheConverterGivesIt()
    {
        QFETCH(int, codePage);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("T.DB"));
        const QList<FieldDef> fields = {{QStringLiteral("Text"), FieldType::Alpha, 255, 0, false}};
        ParadoxWriter::writeTable(path, fields, 0, {Row{QString(255, QLatin1Char('x'))}}, codePage);

        // Every byte but NUL (which ends an alpha value) in place of the x's.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype at = bytes.indexOf(QByteArray(255, 'x'));
        QVERIFY(at > 0);
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(char(b));
        bytes.replace(at, all.size(), all);
        QVERIFY(file.seek(0));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();

        ParadoxReader reader(path);
        QCOMPARE(reader.codePage(), codePage);
        const QList<Row> rows = reader.readAll();
        QCOMPARE(rows.size(), 1);
        QStringDecoder decoder(ParadoxFormat::codecName(codePage).constData(),
                               QStringDecoder::Flag::Stateless);
        QVERIFY(decoder.isValid());
        QCOMPARE(rows.at(0).at(0).toString(), decoder.decode(all));
        QCOMPARE(rows.at(0).at(0).toString().size(), 255);
    }
};

QTEST_GUILESS_MAIN(TestReaderCodePages)
#include "tst_readercodepages.moc"
