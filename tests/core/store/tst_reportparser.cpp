#include "GoldenFile.h"
#include "core/store/ReportParser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray crlf(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

// Header lines and then the given block lines.
QByteArray report(const QByteArray& count, const QList<QByteArray>& blockLines,
                  const QByteArray& order = "Contact", const QByteArray& kind = "Call")
{
    return crlf(QList<QByteArray>{"Desc", order, kind, "75", count} + blockLines);
}

QList<QByteArray> block(const QByteArray& field, const QByteArray& line = "1",
                        const QByteArray& left = "1", const QByteArray& right = "10")
{
    return {"0",   "",      "",      "Header", field,   line,   left,
            right, "FALSE", "FALSE", "FALSE",  "FALSE", "FALSE"};
}

// A report of every order and kind, with every flag set on some field,
// leaders and trailers, blank and negative numbers, and texts beyond ASCII.
ReportFileContent richReport(ReportOrder order, InfoKind kind)
{
    ReportFileContent c;
    c.description = QStringLiteral("R\u00e9sum\u00e9 %1 \u20ac").arg(int(kind));
    c.order = order;
    c.kind = kind;
    c.printableWidth = 100 + int(kind);
    for (int i = 0; i < 9; ++i) {
        ReportFileField f;
        f.dbType = i % 3 == 2 ? std::optional<int>() : std::optional<int>(i % 2);
        f.lDots = i % 2 == 0;
        f.rDots = i % 3 == 0;
        f.header = QStringLiteral("Head %1 \u00f6 .").arg(i);
        f.field = i == 0 ? QStringLiteral("CustomID") : QStringLiteral("Field%1").arg(i);
        if (i != 4)
            f.line = 1 + i / 4;
        if (i != 5)
            f.lPosition = i * 10 - (i == 7 ? 100 : 0);
        if (i != 6)
            f.rPosition = i * 10 + 9;
        f.total = i == 1 || i == 8;
        f.count = i == 2 || i == 8;
        f.average = i == 3 || i == 8;
        f.min = i == 4 || i == 8;
        f.max = i == 5 || i == 8;
        c.fields << f;
    }
    return c;
}

} // namespace

class TestReportParser : public QObject
{
    Q_OBJECT

private slots:
    void goldenExample()
    {
        QFile f(goldenFile(QStringLiteral("golden/weekly.rpt")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const ParsedReport r = ReportParser::parse(f.readAll(), QStringLiteral("weekly.rpt"));
        QVERIFY2(r.ok(), qPrintable(r.errorMessage));
        QVERIFY(r.notes.isEmpty());
        QCOMPARE(r.description, QStringLiteral("Weekly events"));
        QCOMPARE(r.order, ReportOrder::Calendar);
        QCOMPARE(r.kind, InfoKind::Event);
        QCOMPARE(r.printableWidth, 110);
        QCOMPARE(r.declaredCount, 2);
        QCOMPARE(r.fields.size(), 2);
        QVERIFY(r.hasCustomId());
        QCOMPARE(r.selectedCountLabel(), 1);
        QCOMPARE(r.lineOneCount(), 2);
        const ReportFileField& date = r.fields[1];
        QCOMPARE(date.field, QStringLiteral("EventDate"));
        QCOMPARE(date.header, QStringLiteral("Event date"));
        QCOMPARE(date.dbType, 1);
        QVERIFY(date.lDots && !date.rDots && date.count && !date.total);
        QCOMPARE(date.lPosition, 26);
        QCOMPARE(date.rPosition, 67);
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("kind");
        for (int o = 0; o < 2; ++o) {
            for (int k = 0; k < 9; ++k)
                QTest::addRow("order %d kind %d", o, k) << o << k;
        }
    }
    void roundTrip()
    {
        QFETCH(int, order);
        QFETCH(int, kind);
        const ReportFileContent c = richReport(ReportOrder(order), InfoKind(kind));
        const QByteArray first = *ReportFile::encode(c);
        const ParsedReport r = ReportParser::parse(first, QStringLiteral("rich.rpt"));
        QVERIFY2(r.ok(), qPrintable(r.errorMessage));
        QVERIFY(r.notes.isEmpty());
        QCOMPARE(r.content(), c);
        QCOMPARE(*ReportFile::encode(*r.content()), first);

        // The same file with LF line ends loads the same, with a note.
        QByteArray lf = first;
        lf.replace("\r\n", "\n");
        const ParsedReport unix = ReportParser::parse(lf, QStringLiteral("rich.rpt"));
        QVERIFY(unix.ok());
        QCOMPARE(unix.content(), c);
        QVERIFY(unix.hasNote(ReportParseNote::OtherLineEnds));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("fieldsRead");
        const int bad = int(ReportParseError::BadNumber);
        const int flag = int(ReportParseError::BadFlag);
        const int missing = int(ReportParseError::MissingField);
        auto b = [](QList<QByteArray> l, int i, const QByteArray& v) {
            l[i] = v;
            return l;
        };
        QTest::newRow("type not a number")
            << report("1", b(block("A"), 0, "x")) << bad << 6 << "DbType" << 0;
        QTest::newRow("line with a letter")
            << report("1", block("A", "12a")) << bad << 11 << "Line" << 0;
        QTest::newRow("left a fraction")
            << report("1", block("A", "1", "1.5")) << bad << 12 << "LPosition" << 0;
        QTest::newRow("right out of range")
            << report("1", block("A", "1", "1", "99999999999")) << bad << 13 << "RPosition" << 0;
        QTest::newRow("second block bad")
            << report("2", block("A") + block("B", "-")) << bad << 24 << "Line" << 1;
        QTest::newRow("flag yes") << report("1", b(block("A"), 8, "yes")) << flag << 14 << "Total"
                                  << 0;
        QTest::newRow("flag too long")
            << report("1", b(block("A"), 12, "FALSEY")) << flag << 18 << "Max" << 0;
        QTest::newRow("flag 1") << report("1", b(block("A"), 10, "1")) << flag << 16 << "Average"
                                << 0;
        QTest::newRow("empty field name")
            << report("1", block("")) << missing << 10 << "Field" << 0;
        // The working table holds 50 characters of a name: two names alike
        // in those are one key there, as the wizard's loader finds.
        QTest::newRow("names alike in their first 50 characters")
            << report("2", block(QByteArray(50, 'n') + "1") + block(QByteArray(50, 'n') + "2"))
            << int(ReportParseError::DuplicateField) << 23 << "Field" << 1;
        QTest::newRow("count above blocks")
            << report("3", block("A") + block("B")) << missing << 36 << "Field" << 2;
        QTest::newRow("huge count")
            << report("2147483647", block("A")) << missing << 23 << "Field" << 1;
        QTest::newRow("duplicate field")
            << report("2", block("Phone") + block("Phone", "2"))
            << int(ReportParseError::DuplicateField) << 23 << "Field" << 1;
        // The bad number comes first in the block, as the row is filled
        // before it is stored.
        QTest::newRow("empty name and bad line")
            << report("1", b(block(""), 5, "x")) << bad << 11 << "Line" << 0;
    }
    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        QFETCH(int, line);
        QFETCH(QString, field);
        QFETCH(int, fieldsRead);
        const ParsedReport r = ReportParser::parse(bytes, QStringLiteral("C:/data/bad.rpt"));
        QCOMPARE(int(r.error), error);
        QCOMPARE(r.errorLine, line);
        QCOMPARE(r.errorField, field);
        QCOMPARE(r.fields.size(), fieldsRead);
        // One sentence naming the file, the line and the field.
        QVERIFY2(
            r.errorMessage.contains(QDir::toNativeSeparators(QStringLiteral("C:/data/bad.rpt"))),
            qPrintable(r.errorMessage));
        QVERIFY2(r.errorMessage.contains(QStringLiteral("line %1,").arg(line)),
                 qPrintable(r.errorMessage));
        QVERIFY2(r.errorMessage.contains(QStringLiteral("field ") + field),
                 qPrintable(r.errorMessage));
    }

    void oddities_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("note");
        QTest::addColumn<int>("fieldCount");
        const QByteArray longLine(100000, 'x');
        QTest::newRow("empty file") << QByteArray() << int(ReportParseNote::MissingLines) << 0;
        QTest::newRow("only CRs") << QByteArray(5000, '\r') << int(ReportParseNote::ExtraLines)
                                  << 0;
        QTest::newRow("lone CR line ends") << QByteArray("Desc\rContact\rCall\r75\r0\r")
                                           << int(ReportParseNote::OtherLineEnds) << 0;
        QTest::newRow("no final line end")
            << report("1", block("A")).chopped(2) << int(ReportParseNote::OtherLineEnds) << 1;
        QTest::newRow("unknown order")
            << report("0", {}, "Weekly") << int(ReportParseNote::UnknownOrder) << 0;
        QTest::newRow("unknown kind")
            << report("0", {}, "Contact", "Memo") << int(ReportParseNote::UnknownKind) << 0;
        QTest::newRow("width not a number")
            << crlf({"D", "Contact", "Call", "wide", "0"}) << int(ReportParseNote::BadWidth) << 0;
        QTest::newRow("count not a number")
            << report("many", block("A")) << int(ReportParseNote::BadCount) << 0;
        QTest::newRow("count empty") << report("", {}) << int(ReportParseNote::BadCount) << 0;
        QTest::newRow("negative count")
            << report("-5", block("A")) << int(ReportParseNote::NegativeCount) << 0;
        QTest::newRow("lowest count")
            << report("-2147483648", {}) << int(ReportParseNote::NegativeCount) << 0;
        QTest::newRow("extra lines") << report("1", block("A") + QList<QByteArray>{"junk"})
                                     << int(ReportParseNote::ExtraLines) << 1;
        QList<QByteArray> cut = block("A");
        cut.resize(9);
        QTest::newRow("flags missing at end")
            << report("1", cut) << int(ReportParseNote::MissingLines) << 1;
        QList<QByteArray> blankFlag = block("A");
        blankFlag[9] = "";
        QTest::newRow("blank flag")
            << report("1", blankFlag) << int(ReportParseNote::BlankFlag) << 1;
        QTest::newRow("NUL bytes")
            << report("1", block(QByteArray("A\0B", 3))) << int(ReportParseNote::NulCharacter) << 1;
        QTest::newRow("undefined byte")
            << report("1", block("A\x81")) << int(ReportParseNote::UndefinedCharacter) << 1;
        QTest::newRow("long description") << crlf({longLine, "Contact", "Call", "75", "0"})
                                          << int(ReportParseNote::DescriptionTooLong) << 0;
        QTest::newRow("long field name")
            << report("1", block(longLine)) << int(ReportParseNote::TextTooLong) << 1;
    }
    void oddities()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, note);
        QFETCH(int, fieldCount);
        const ParsedReport r = ReportParser::parse(bytes, QStringLiteral("odd.rpt"));
        QVERIFY2(r.ok(), qPrintable(r.errorMessage));
        QVERIFY(r.hasNote(ReportParseNote(note)));
        QVERIFY(!ReportParser::noteText(ReportParseNote(note)).isEmpty());
        QCOMPARE(r.fields.size(), fieldCount);
    }

    void valuesAsTheLoaderTakesThem()
    {
        QList<QByteArray> b = block("..\\..\\windows/system32");
        b[0] = "";    // no type
        b[1] = "x";   // any text is a leader
        b[2] = "  ";  // so are blanks
        b[5] = " 3 "; // blanks around a number
        b[6] = "+7";
        b[7] = "";  // no right margin
        b[8] = "t"; // leading parts of TRUE and FALSE, any case
        b[9] = "Tr";
        b[10] = "f";
        b[11] = "fAlS";
        b[12] = "true";
        const ParsedReport r =
            ReportParser::parse(report("1", b, "calendar", "sale"), QStringLiteral("v.rpt"));
        QVERIFY2(r.ok(), qPrintable(r.errorMessage));
        QCOMPARE(r.order, ReportOrder::Calendar);
        QCOMPARE(r.kind, InfoKind::Sale);
        const ReportFileField& f = r.fields[0];
        QCOMPARE(f.field, QStringLiteral("..\\..\\windows/system32")); // a name, never a path
        QCOMPARE(f.dbType, std::nullopt);
        QVERIFY(f.lDots && f.rDots);
        QCOMPARE(f.line, 3);
        QCOMPARE(f.lPosition, 7);
        QCOMPARE(f.rPosition, std::nullopt);
        QVERIFY(f.total && f.count && !f.average && !f.min && f.max);
        QCOMPARE(r.lineOneCount(), 0);
        QVERIFY(!r.hasCustomId());
        QCOMPARE(r.selectedCountLabel(), 1);
    }

    void detailLevelAndColumns()
    {
        const ParsedReport r = ReportParser::parse(
            report("5", block("customid") + block("B") + block("C", "2")), QStringLiteral("c.rpt"));
        // Five announced, three present: the fourth block is refused.
        QCOMPARE(r.error, ReportParseError::MissingField);
        QVERIFY(r.hasCustomId());
        QCOMPARE(r.selectedCountLabel(), 4);
        QCOMPARE(r.lineOneCount(), 2);

        const ParsedReport none = ReportParser::parse(report("0", {}), QStringLiteral("n.rpt"));
        QVERIFY(none.ok());
        QVERIFY(none.fields.isEmpty());
        QVERIFY(none.notes.isEmpty());
    }

    void textNotWindows1252ReadsAndWritesBack()
    {
        // UTF-8 bytes read as their Windows-1252 characters and are written
        // back unchanged.
        const QByteArray bytes = report("1", block("Caf\xc3\xa9 \xe2\x82\xac \x8d"));
        const ParsedReport r = ReportParser::parse(bytes, QStringLiteral("u.rpt"));
        QVERIFY(r.ok());
        QCOMPARE(*ReportFile::encode(*r.content()), bytes);
    }

    void hugeCountIsNotTrusted()
    {
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray count : {"2147483647", "-2147483648", "2147483648"}) {
            const ParsedReport r = ReportParser::parse(report(count, {}), QStringLiteral("h.rpt"));
            QVERIFY(r.fields.isEmpty());
        }
        QVERIFY(timer.elapsed() < 2000);
    }

    void loadFromDisk()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.rpt"));
        QVERIFY(ReportFile::save(good, richReport(ReportOrder::Contact, InfoKind::Meeting)));
        const ParsedReport r = ReportParser::load(good);
        QVERIFY2(r.ok(), qPrintable(r.errorMessage));
        QCOMPARE(r.content(), richReport(ReportOrder::Contact, InfoKind::Meeting));

        struct Case
        {
            QString path;
            ReportParseError error;
        };
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.rpt")));
        const QString fifo = dir.filePath(QStringLiteral("pipe.rpt"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString big = dir.filePath(QStringLiteral("big.rpt"));
        {
            QFile f(big);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(ReportParser::maxFileSize + 1));
        }
        const QList<Case> cases = {
            {dir.filePath(QStringLiteral("missing.rpt")), ReportParseError::CannotRead},
            {dir.filePath(QStringLiteral("folder.rpt")), ReportParseError::CannotRead},
            {fifo, ReportParseError::CannotRead},
            {big, ReportParseError::TooLarge},
        };
        for (const Case& c : cases) {
            const ParsedReport bad = ReportParser::load(c.path);
            QCOMPARE(bad.error, c.error);
            QVERIFY2(bad.errorMessage.contains(QDir::toNativeSeparators(c.path)),
                     qPrintable(bad.errorMessage));
        }
        QCOMPARE(ReportParser::load(QString()).error, ReportParseError::CannotRead);
    }
};

QTEST_GUILESS_MAIN(TestReportParser)
#include "tst_reportparser.moc"
