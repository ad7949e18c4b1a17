// The single-byte code pages of the table reader and writer, checked byte by
// byte against glibc's iconv (an independent implementation of Unicode's
// mapping tables) in both directions: every byte reads as the character
// iconv gives it, and every character is written as the byte(s) iconv
// writes, or refused where iconv refuses it. A byte iconv refuses is
// unassigned: it reads as U+FFFD and no character is written as it. The one
// exception is a Windows page's gaps from 0x80 to 0x9F, which read as the C1
// control of the same number and are written back from it (as Windows does),
// so that such a byte survives a round trip.

#include "engine/CodePages.h"
#include "engine/DatabaseError.h"
#include "engine/ParadoxReader.h"
#include "engine/ParadoxWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <iconv.h>

namespace {

// One iconv conversion, flushed (the Hebrew and Vietnamese pages hold a
// letter back in case a combining mark follows). Empty on refusal.
QByteArray convert(iconv_t cd, QByteArray in)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* ip = in.data();
    size_t il = size_t(in.size());
    char* op = out;
    size_t ol = sizeof out;
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0 ||
        iconv(cd, nullptr, nullptr, &op, &ol) == size_t(-1))
        return {};
    return QByteArray(out, qsizetype(sizeof out - ol));
}

struct Iconv
{
    iconv_t cd;
    Iconv(const QByteArray& to, const QByteArray& from) : cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
};

QByteArray utf32(char32_t c)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((c >> (8 * i)) & 0xFF);
    return b;
}

} // namespace

class TestReaderCodePages : public QObject
{
    Q_OBJECT

private slots:
    void everyByteAsIconvReadsIt_data()
    {
        QTest::addColumn<int>("codePage");
        for (int page : CodePages::singleBytePages())
            QTest::newRow(qPrintable(QString::number(page))) << page;
    }
    void everyByteAsIconvReadsIt()
    {
        QFETCH(int, codePage);
        const Iconv toUnicode("UTF-32LE", "CP" + QByteArray::number(codePage));
        QVERIFY(toUnicode.cd != iconv_t(-1));

        // A table whose one alpha value holds every byte but NUL (which ends
        // an alpha value), read by the reader.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("T.DB"));
        const QList<FieldDef> fields = {{QStringLiteral("Text"), FieldType::Alpha, 255, 0, false}};
        ParadoxWriter::writeTable(path, fields, 0, {Row{QString(255, QLatin1Char('x'))}}, codePage);
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
        const QString text = reader.readAll().at(0).at(0).toString();
        QCOMPARE(text.size(), 255);

        const bool windows = (codePage >= 1250 && codePage <= 1258) || codePage == 874;
        for (int b = 1; b < 256; ++b) {
            const QByteArray u = convert(toUnicode.cd, QByteArray(1, char(b)));
            // iconv's refusal is a byte the page leaves unassigned: U+FFFD,
            // or in a Windows page's 0x80 to 0x9F the C1 control of the byte.
            const char32_t unassigned = windows && b >= 0x80 && b <= 0x9F ? char32_t(b) : U'\xFFFD';
            const char32_t expected = u.size() == 4
                                          ? char32_t(quint8(u[0]) | quint8(u[1]) << 8 |
                                                     quint8(u[2]) << 16 | quint8(u[3]) << 24)
                                          : unassigned;
            if (char32_t(text.at(b - 1).unicode()) != expected)
                QFAIL(qPrintable(QStringLiteral("byte 0x%1 reads as U+%2, iconv gives U+%3")
                                     .arg(b, 2, 16, QLatin1Char('0'))
                                     .arg(text.at(b - 1).unicode(), 4, 16, QLatin1Char('0'))
                                     .arg(quint32(expected), 4, 16, QLatin1Char('0'))));
        }
    }

    void everyCharacterAsIconvWritesIt_data() { everyByteAsIconvReadsIt_data(); }
    void everyCharacterAsIconvWritesIt()
    {
        QFETCH(int, codePage);
        const Iconv fromUnicode("CP" + QByteArray::number(codePage), "UTF-32LE");
        QVERIFY(fromUnicode.cd != iconv_t(-1));
        const CodePages::SingleByte* page = CodePages::singleByte(codePage);
        QVERIFY(page);
        const bool windows = (codePage >= 1250 && codePage <= 1258) || codePage == 874;
        int written = 0;
        for (char32_t c = 1; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            QByteArray theirs = convert(fromUnicode.cd, utf32(c));
            if (windows && c >= 0x80 && c <= 0x9F && theirs.isEmpty() &&
                page->characters().at(c) == c)
                theirs = QByteArray(1, char(c)); // a gap's round trip
            QByteArray ours;
            const bool ok = page->encode(QString(QChar(char16_t(c))), &ours);
            if (ok != !theirs.isEmpty() || (ok && ours != theirs))
                QFAIL(qPrintable(QStringLiteral("U+%1: ours %2, iconv %3")
                                     .arg(quint32(c), 4, 16, QLatin1Char('0'))
                                     .arg(ok ? QString::fromLatin1(ours.toHex()) : "refused",
                                          theirs.isEmpty() ? QStringLiteral("refused")
                                                           : QString::fromLatin1(theirs.toHex()))));
            written += ok ? 1 : 0;
        }
        QVERIFY(written >= 127);
    }

    // The micro sign in a DOS table: written, and read back as itself.
    void microSignInCodePage437()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("M.DB"));
        const QList<FieldDef> fields = {{QStringLiteral("Size"), FieldType::Alpha, 20, 0, false}};
        ParadoxWriter::writeTable(path, fields, 0, {Row{QStringLiteral("5 µm")}}, 437);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("5 \xE6m"));
        QCOMPARE(ParadoxReader(path).readAll().at(0).at(0).toString(), QStringLiteral("5 µm"));
        // The Greek letter is another character, which the page does not hold.
        QVERIFY_THROWS_EXCEPTION(
            DatabaseError,
            ParadoxWriter::writeTable(path, fields, 0, {Row{QStringLiteral("5 \u03BCm")}}, 437));
    }
};

QTEST_GUILESS_MAIN(TestReaderCodePages)
#include "tst_readercodepages.moc"
