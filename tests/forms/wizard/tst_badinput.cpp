// Damaged and odd report files, loaded through the real wizard as a user
// does it: "Modify an Existing Report", the file picked in the selection
// dialog. A file the loader refuses gives one error box that names the file
// (and the line, where there is one), the wizard comes back to the first
// page with the working table empty, and nothing on disk changes; the next
// operation works. A file the loader accepts goes on to the second page.
#include "Controls.h"
#include "ReportRoads.h"

#include "core/store/ReportParser.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QMap>
#include <QTest>

#include <sys/stat.h>

using namespace Roads;

namespace {

// A sound two-field report; tests change one line of it at a time.
QList<QByteArray> goodLines()
{
    const QByteArray text =
        report(QStringLiteral("Damaged"), QStringLiteral("Contact"), QStringLiteral("Contact"),
               QStringLiteral("75"),
               {field(0, QStringLiteral("City"), QStringLiteral("City"), 1, 1, 20),
                field(0, QStringLiteral("Company"), QStringLiteral("Company"), 1, 22, 40)});
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast(); // after the last line end
    for (QByteArray& l : lines)
        l.chop(1); // the CR
    return lines;
}

QByteArray join(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

// The good report with line `number` (1-based) replaced.
QByteArray withLine(int number, const QByteArray& text)
{
    QList<QByteArray> lines = goodLines();
    lines[number - 1] = text;
    return join(lines);
}

// The good report with several lines replaced, by line number.
QByteArray withLines(const QList<QPair<int, QByteArray>>& changes)
{
    QList<QByteArray> lines = goodLines();
    for (const auto& [number, text] : changes)
        lines[number - 1] = text;
    return join(lines);
}

// Line numbers of the sound report: header 1-5, City 6-18, Company 19-31.
constexpr int kCount = 5;
constexpr int kFirst = 6;
constexpr int kSecond = 19;
enum Offset {
    DbType = 0,
    LDots,
    RDots,
    Header,
    Field,
    Line,
    LPos,
    RPos,
    Total,
    Count,
    Average,
    Min,
    Max
};

const QByteArray kLong(100000, 'x');

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!QFontInfo(QApplication::font()).family().isEmpty()); }

    // Each row: the file's bytes (or a special entry), and either the line
    // and field of the refusal (line 0: the whole file is refused, with the
    // reason in `what`), or with line -1 the number of rows it loads.
    void badReport_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("special");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("rows");

        const QString none;
        auto refuse = [&](const char* name, const QByteArray& bytes, int line, const char* what) {
            QTest::newRow(name) << bytes << none << line << QString::fromLatin1(what) << 0;
        };
        auto load = [&](const char* name, const QByteArray& bytes, int rows) {
            QTest::newRow(name) << bytes << none << -1 << QString() << rows;
        };

        // Refusals of the loader, one per field it reads.
        refuse("DbType not a number", withLine(kFirst + DbType, "x"), kFirst + DbType, "DbType");
        refuse("Line not a number", withLine(kFirst + Line, "one"), kFirst + Line, "Line");
        refuse("LPosition a fraction", withLine(kSecond + LPos, "1.5"), kSecond + LPos,
               "LPosition");
        refuse("RPosition with a unit", withLine(kFirst + RPos, "20cm"), kFirst + RPos,
               "RPosition");
        refuse("Total yes", withLine(kFirst + Total, "yes"), kFirst + Total, "Total");
        refuse("Count maybe", withLine(kFirst + Count, "maybe"), kFirst + Count, "Count");
        refuse("Average 1", withLine(kSecond + Average, "1"), kSecond + Average, "Average");
        refuse("Min with a blank inside", withLine(kFirst + Min, "T RUE"), kFirst + Min, "Min");
        refuse("Max longer than FALSE", withLine(kFirst + Max, "FALSEE"), kFirst + Max, "Max");
        refuse("Field empty", withLine(kFirst + Field, ""), kFirst + Field, "Field");
        refuse("Field twice", withLine(kSecond + Field, "City"), kSecond + Field, "Field");
        refuse("ends inside the second block", join(goodLines().mid(0, kSecond + 2)),
               kSecond + Field, "Field");
        refuse("count one more than the blocks", withLine(kCount, "3"), kSecond + 13 + Field,
               "Field");
        refuse("count 2147483647", withLine(kCount, "2147483647"), kSecond + 13 + Field, "Field");
        refuse("count 2147483647 and nothing else",
               "Big\r\nContact\r\nContact\r\n75\r\n2147483647\r\n", kFirst + Field, "Field");
        // The table keeps the smallest long for "no value".
        refuse("the smallest long", withLine(kFirst + LPos, "-2147483648"), kFirst + LPos,
               "allowed range");
        refuse("NUL bytes in a header", withLine(kFirst + Header, QByteArray("Ci\0ty", 5)),
               kFirst + Header, "zero character");
        refuse("NUL bytes in a field name", withLine(kSecond + Field, QByteArray("Comp\0any", 8)),
               kSecond + Field, "zero character");
        refuse("number too large for a long", withLine(kFirst + LPos, "2147483648"), kFirst + LPos,
               "LPosition");
        refuse("100000 digits", withLine(kFirst + LPos, QByteArray(100000, '9')), kFirst + LPos,
               "LPosition");
        refuse("100000 characters in DbType", withLine(kFirst + DbType, kLong), kFirst + DbType,
               "DbType");
        refuse("100000 characters in a flag", withLine(kSecond + Max, kLong), kSecond + Max, "Max");
        refuse("NUL inside a number", withLine(kFirst + Line, QByteArray("1\0", 2)), kFirst + Line,
               "Line");
        refuse("NUL as a flag", withLine(kFirst + Total, QByteArray(1, '\0')), kFirst + Total,
               "Total");
        refuse("CR-only line ends, a bad number",
               withLine(kFirst + Line, "x").replace("\r\n", "\r"), kFirst + Line, "Line");
        refuse("LF-only line ends, a bad flag",
               withLine(kSecond + Count, "no").replace("\r\n", "\n"), kSecond + Count, "Count");
        {
            // Larger than any report can be: refused before it is read.
            QByteArray huge = join(goodLines());
            huge += QByteArray(16 * 1024 * 1024, '\n');
            refuse("larger than 16 MB", huge, 0, "far larger");
        }
        QTest::newRow("a named pipe") << QByteArray() << QStringLiteral("fifo") << 0
                                      << QStringLiteral("not a regular file") << 0;
        QTest::newRow("a link to /dev/zero") << QByteArray() << QStringLiteral("devzero") << 0
                                             << QStringLiteral("not a regular file") << 0;
        QTest::newRow("a link to nowhere") << QByteArray() << QStringLiteral("dangling") << 0
                                           << QStringLiteral("does not exist") << 0;

        // Oddities the loader accepts.
        load("empty file", QByteArray(), 0);
        load("only CR characters", QByteArray(500, '\r'), 0);
        load("only LF characters", QByteArray(500, '\n'), 0);
        load("only blanks", QByteArray(100, ' '), 0);
        load("only NUL bytes", QByteArray(4096, '\0'), 0);
        load("header only, three lines", "Three lines\r\nContact\r\nNote\r\n", 0);
        load("count 0 with blocks after it", withLine(kCount, "0"), 0);
        load("count -1", withLine(kCount, "-1"), 0);
        load("count -2147483648", withLine(kCount, "-2147483648"), 0);
        load("count 2147483648 (not a long)", withLine(kCount, "2147483648"), 0);
        load("count empty", withLine(kCount, ""), 0);
        load("count text", withLine(kCount, "two"), 0);
        load("count 1 of two blocks", withLine(kCount, "1"), 1);
        load("count with blanks around it", withLine(kCount, "  2  "), 2);
        load("width text", withLine(4, "wide"), 2);
        load("width 2147483647", withLine(4, "2147483647"), 2);
        load("width -2147483648", withLine(4, "-2147483648"), 2);
        load("width empty", withLine(4, ""), 2);
        load("unknown order", withLine(2, "Sideways"), 2);
        load("unknown kind", withLine(3, "Parties"), 2);
        load("calendar in lower case", withLine(2, "calendar"), 2);
        load("kind in mixed case", withLine(3, "tO-dO"), 2);
        load("flags as leading parts",
             withLines({{kFirst + Total, "t"},
                        {kFirst + Count, "F"},
                        {kFirst + Average, "tr"},
                        {kFirst + Min, "fals"},
                        {kFirst + Max, "TRU"}}),
             2);
        load("flags in any case with blanks", withLine(kSecond + Min, "  fAlS  "), 2);
        load("empty flags", withLine(kFirst + Count, ""), 2);
        load("Field blanks only", withLine(kSecond + Field, "   "), 2);
        // Texts too long for the table are shortened, with a word to the
        // user: tst_datafolder.
        load("dot leader of any text", withLine(kFirst + LDots, "--"), 2);
        load("dot trailer of 100000 characters", withLine(kSecond + RDots, kLong), 2);
        load("empty numbers",
             withLines({{kFirst + DbType, ""},
                        {kFirst + Line, ""},
                        {kFirst + LPos, ""},
                        {kFirst + RPos, ""}}),
             2);
        load("negative positions", withLine(kFirst + LPos, "-2147483647"), 2);
        load("extra lines after the last block", join(goodLines()) + "more\r\n\r\nand more\r\n", 2);
        load("LF-only line ends", join(goodLines()).replace("\r\n", "\n"), 2);
        load("CR-only line ends", join(goodLines()).replace("\r\n", "\r"), 2);
        load("no line end on the last line", join(goodLines()).chopped(2), 2);
        load("description of 100000 characters", withLine(1, kLong), 2);
        load("description longer than 30", withLine(1, QByteArray(31, 'd')), 2);
        load("NUL bytes in the description", withLine(1, QByteArray("Da\0ma\0ged", 9)), 2);
        load("UTF-8 text, not Windows-1252",
             withLine(1, "Caf\xc3\xa9 \xe2\x82\xac")
                 .replace("\r\nCity\r\nCity\r\n", "\r\nSt\xc3\xa4"
                                                  "dte\r\nCity\r\n"),
             2);
        load("UTF-8 byte order mark", "\xef\xbb\xbf" + join(goodLines()), 2);
        {
            // The whole report in UTF-16: a file of NUL-riddled lines.
            QByteArray utf16;
            utf16 += "\xff\xfe";
            for (char c : join(goodLines()))
                utf16 += QByteArray(1, c) + QByteArray(1, '\0');
            load("UTF-16 text", utf16, 0);
        }
        load("bytes Windows-1252 leaves undefined",
             withLine(1, "\x81\x8d\x8f\x90\x9d")
                 .replace("\r\nCompany\r\nCompany\r\n", "\r\nC\x81ompany\r\nCompany\r\n"),
             2);
        load("Field with backslashes", withLine(kFirst + Field, "..\\..\\CONTACT.DB"), 2);
        load("Field with slashes", withLine(kSecond + Field, "../../../etc/passwd"), 2);
        load("Field that is a drive path", withLine(kFirst + Field, "C:\\WINDOWS\\WIN.INI"), 2);
        load("Field the tables do not have", withLine(kFirst + Field, "NoSuchColumn"), 2);
        load("Field in another case twice", withLine(kSecond + Field, "CITY"), 2);
        load("Field with a leading blank", withLine(kSecond + Field, " City"), 2);
        load("DbType out of the usual values", withLine(kFirst + DbType, "-7"), 2);
        load(
            "250 fields",
            [] {
                QList<ReportFileField> many;
                for (int i = 1; i <= 250; ++i)
                    many << field(0, QStringLiteral("H%1").arg(i), QStringLiteral("F%1").arg(i),
                                  i % 3 + 1, i, i + 1);
                return report(QStringLiteral("Many"), QStringLiteral("Contact"),
                              QStringLiteral("Contact"), QStringLiteral("115"), many);
            }(),
            250);
    }
    void badReport()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, special);
        QFETCH(int, line);
        QFETCH(QString, what);
        QFETCH(int, rows);

        WizardFixture f;
        f.makeHostTables();
        createWorkingTable();
        const QByteArray good = join(goodLines()).replace("Damaged", "Good");
        QVERIFY(WizardFixture::write(f.dataPath(QStringLiteral("good.rpt")), good));
        const QString bad = f.dataPath(QStringLiteral("bad.rpt"));
        if (special == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(bad).constData(), 0600), 0);
        } else if (special == QLatin1String("devzero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), bad));
        } else if (special == QLatin1String("dangling")) {
            QVERIFY(QFile::link(f.dataPath(QStringLiteral("nowhere")), bad));
        } else {
            QVERIFY(WizardFixture::write(bad, bytes));
        }
        TFrmCReport& w = f.open();
        control<QLineEdit>(w, "EdDescription")->setText(QStringLiteral("Before"));
        const QMap<QString, QByteArray> before = reportsAndTables(QFileInfo(f.dataFolder).path());

        QElapsedTimer clock;
        clock.start();
        const Seen seen =
            startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("bad.rpt"));
        QVERIFY2(seen.done, "the selection dialog did not list bad.rpt");
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        QVERIFY(!QApplication::overrideCursor());

        if (line >= 0) {
            // One clear error; back on the first page; the table empty.
            QCOMPARE(f.platform.boxes.size(), 1);
            const ScriptedPlatform::Box box = f.platform.boxes.first();
            if (qEnvironmentVariableIsSet("TV_SHOW_BOXES"))
                qInfo().noquote() << box.text.left(300);
            QCOMPARE(box.icon, Platform::Icon::Error);
            QVERIFY2(box.text.contains(QStringLiteral("bad.rpt")), qPrintable(box.text));
            if (line > 0)
                QVERIFY2(box.text.contains(QStringLiteral("line %1,").arg(line)),
                         qPrintable(box.text.left(300)));
            QVERIFY2(box.text.contains(what), qPrintable(box.text.left(300)));
            QVERIFY2(box.text.size() < 600, "the message quotes too much of the file");
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page1"));
            QCOMPARE(w.CurrentPage, 0);
            QVERIFY(!control<QPushButton>(w, "BtnPrior")->isEnabled());
            QVERIFY(control<QPushButton>(w, "BtnNext")->isEnabled());
            QCOMPARE(workingRows().size(), 0);
            QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Before"));
        } else {
            QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page2"));
            QCOMPARE(workingRows().size(), rows);
            QCOMPARE(control<QListWidget>(w, "lbAllFields")->count(), rows);
            // A loaded description is kept whole, however long.
            QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(),
                     ReportParser::parse(bytes, QString()).description);
            QCOMPARE(control<QLabel>(w, "LblDesc")->text(),
                     control<QLineEdit>(w, "EdDescription")->text());
        }
        QCOMPARE(reportsAndTables(QFileInfo(f.dataFolder).path()), before);

        // The wizard goes on: the sound report loads.
        if (line >= 0) {
            f.platform.clear();
            const Seen again =
                startOperation(w, control<QRadioButton>(w, "RbModify"), QStringLiteral("good.rpt"));
            QVERIFY(again.done);
            QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.texts().join(" | ")));
            QCOMPARE(control<QStackedWidget>(w, "Notebook1")->currentWidget(),
                     control<QWidget>(w, "Page2"));
            QCOMPARE(control<QLineEdit>(w, "EdDescription")->text(), QStringLiteral("Good"));
            QCOMPARE(workingRows().size(), 2);
        }
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
