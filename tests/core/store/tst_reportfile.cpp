#include "FieldBuilders.h"
#include "FileBytes.h"
#include "GoldenFile.h"
#include "core/store/ReportFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using FieldBuilders::field;

namespace {

// The date-ordered example: detail-level field and the event date on line 1,
// a dot leader and a count on the date.
ReportFileContent weeklyEvents()
{
    ReportFileContent c;
    c.description = QStringLiteral("Weekly events");
    c.order = ReportOrder::Calendar;
    c.kind = InfoKind::Event;
    c.printableWidth = 110;
    c.fields << field(0, QStringLiteral("CustomID"), QStringLiteral("CustomID"), 1, 1, 25);
    ReportFileField date =
        field(1, QStringLiteral("Event date"), QStringLiteral("EventDate"), 1, 26, 67);
    date.lDots = true;
    date.count = true;
    c.fields << date;
    return c;
}

// A contact-ordered call report with characters beyond ASCII, a trailer
// without a leader and blank line and left position.
ReportFileContent callsWith1252()
{
    ReportFileContent c;
    c.description = QStringLiteral("Caf\u00e9 calls \u20ac");
    c.order = ReportOrder::Contact;
    c.kind = InfoKind::Call;
    c.printableWidth = 75;
    ReportFileField f;
    f.dbType = 1;
    f.rDots = true;
    f.header = QStringLiteral("Gr\u00f6\u00dfe");
    f.field = QStringLiteral("Regarding");
    f.rPosition = 40;
    f.total = f.average = f.max = true;
    c.fields << f;
    return c;
}

QStringList linesOf(const QByteArray& bytes)
{
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestReportFile : public QObject
{
    Q_OBJECT

private slots:
    void goldenFiles_data()
    {
        QTest::addColumn<ReportFileContent>("content");
        QTest::addColumn<QString>("golden");
        QTest::newRow("weekly events") << weeklyEvents() << QStringLiteral("golden/weekly.rpt");
        QTest::newRow("windows-1252 texts, blanks, trailer only")
            << callsWith1252() << QStringLiteral("golden/calls1252.rpt");
    }
    void goldenFiles()
    {
        QFETCH(ReportFileContent, content);
        QFETCH(QString, golden);
        const QString goldenPath = goldenFile(golden);
        QVERIFY2(!goldenPath.isEmpty(), qPrintable(golden));
        const QByteArray expected = readAll(goldenPath);

        QString error;
        const std::optional<QByteArray> bytes = ReportFile::encode(content, &error);
        QVERIFY2(bytes, qPrintable(error));
        QCOMPARE(*bytes, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.rpt"));
        QVERIFY2(ReportFile::save(path, content, &error), qPrintable(error));
        QCOMPARE(readAll(path), expected);
    }

    void weeklyExampleHas31Lines()
    {
        const QByteArray bytes = *ReportFile::encode(weeklyEvents());
        QCOMPARE(bytes.count("\r\n"), 31);
        QVERIFY(!bytes.contains("\n\n"));
        QVERIFY(bytes.endsWith("FALSE\r\n"));
    }

    void headerLines_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QString>("line3");
        const char* keywords[] = {"Contact", "Event", "Note", "Call", "Letter",
                                  "Meeting", "TO-DO", "Sale", "Quote"};
        for (int k = 0; k < 9; ++k) {
            QTest::addRow("contact %s", keywords[k])
                << int(ReportOrder::Contact) << k << "Contact" << keywords[k];
        }
        QTest::addRow("calendar keeps a loaded kind")
            << int(ReportOrder::Calendar) << int(InfoKind::Sale) << "Calendar"
            << "Sale";
    }
    void headerLines()
    {
        QFETCH(int, order);
        QFETCH(int, kind);
        QFETCH(QString, line2);
        QFETCH(QString, line3);
        ReportFileContent c;
        c.description = QStringLiteral("d");
        c.order = ReportOrder(order);
        c.kind = InfoKind(kind);
        c.printableWidth = 115;
        const QStringList lines = linesOf(*ReportFile::encode(c));
        QCOMPARE(lines, QStringList({"d", line2, line3, "115", "0"}));
    }

    void blocksAndBlanks()
    {
        ReportFileContent c;
        c.description = QStringLiteral("Blanks. And  spaces, kept.");
        ReportFileField blank; // no type, line or positions: empty lines
        blank.field = QStringLiteral("City");
        blank.header = QStringLiteral(" City. (x) ");
        ReportFileField neg = field(0, QStringLiteral("A"), QStringLiteral("B"), 2, -5, 0);
        neg.lDots = neg.rDots = true;
        neg.min = true;
        c.fields << blank << neg;
        const QStringList lines = linesOf(*ReportFile::encode(c));
        QCOMPARE(lines.size(), 5 + 13 * 2);
        QCOMPARE(lines[0], c.description);
        QCOMPARE(lines[4], QStringLiteral("2"));
        QCOMPARE(lines.mid(5, 13), QStringList({"", "", "", " City. (x) ", "City", "", "", "",
                                                "FALSE", "FALSE", "FALSE", "FALSE", "FALSE"}));
        const QString dots(30, QLatin1Char('.'));
        QCOMPARE(lines.mid(18, 13), QStringList({"0", dots, dots, "A", "B", "2", "-5", "0", "FALSE",
                                                 "FALSE", "FALSE", "TRUE", "FALSE"}));
    }

    void unencodableTextIsRefused_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // part of the message
        QTest::newRow("description")
            << QStringLiteral("Weekly \u03a9") << "H"
            << "F"
            << "The report description contains the character \"\u03a9\" (U+03A9)";
        QTest::newRow("header") << "ok" << QStringLiteral("\u65e5\u672c") << "Company"
                                << "The column header of field \"Company\" contains the character";
        QTest::newRow("emoji in header") << "ok" << QStringLiteral("x\U0001F600") << "Company"
                                         << "(U+1F600)";
        QTest::newRow("field name")
            << "ok"
            << "H" << QStringLiteral("Na\u0107") << "The field name of field number 1 contains";
        QTest::newRow("line break in description")
            << "a\r\nb"
            << "H"
            << "F"
            << "The report description contains a line break";
        QTest::newRow("line feed in header")
            << "ok"
            << "a\nb"
            << "F"
            << "The column header of field \"F\" contains a line break";
    }
    void unencodableTextIsRefused()
    {
        QFETCH(QString, description);
        QFETCH(QString, header);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        ReportFileContent c;
        c.description = description;
        ReportFileField f = field(0, header, name, 1, 1, 2);
        c.fields << f;

        QString error;
        QVERIFY(!ReportFile::encode(c, &error));
        QVERIFY2(error.contains(expected), qPrintable(error));

        // Nothing is written: an old report stays as it was, no file appears.
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("old.rpt"));
        QVERIFY(ReportFile::save(old, weeklyEvents()));
        const QByteArray before = readAll(old);
        QVERIFY(!ReportFile::save(old, c, &error));
        QVERIFY2(error.contains(QStringLiteral("old.rpt")), qPrintable(error));
        QCOMPARE(readAll(old), before);
        QVERIFY(!ReportFile::save(dir.filePath(QStringLiteral("new.rpt")), c));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.rpt"});
    }

    void euroSignAndUndefinedBytesAreKept()
    {
        ReportFileContent c;
        // U+0081 stands for the byte 0x81 that the code page leaves undefined.
        c.description = QStringLiteral("\u20ac\u0081\u00ff\u0178");
        const QByteArray bytes = *ReportFile::encode(c);
        QCOMPARE(bytes.left(6), QByteArray("\x80\x81\xff\x9f\r\n", 6));
    }

    void saveReplacesAndNamesTheFileOnFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("weekly.rpt"));
        QVERIFY(ReportFile::save(path, callsWith1252()));
        QVERIFY(ReportFile::save(path, weeklyEvents()));
        QCOMPARE(readAll(path), *ReportFile::encode(weeklyEvents()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"weekly.rpt"});

        QString error;
        const QString missing = dir.filePath(QStringLiteral("nofolder/x.rpt"));
        QVERIFY(!ReportFile::save(missing, weeklyEvents(), &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(missing)), qPrintable(error));

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.rpt")));
        QVERIFY(
            !ReportFile::save(dir.filePath(QStringLiteral("folder.rpt")), weeklyEvents(), &error));
        QVERIFY2(error.contains(QStringLiteral("folder.rpt")), qPrintable(error));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder.rpt"))).isDir());
    }

    // A write that fails half way (the file size limit is hit in a child
    // process) leaves the old report byte for byte and no stray file behind.
    void failedWriteKeepsOldReport()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("weekly.rpt"));
        QVERIFY(ReportFile::save(path, weeklyEvents()));
        const QByteArray before = readAll(path);

        ReportFileContent big = weeklyEvents();
        for (int i = 0; i < 500; ++i)
            big.fields << field(0, QStringLiteral("Header %1").arg(i),
                                QStringLiteral("Field%1").arg(i), 2, i, i + 1);
        QVERIFY(ReportFile::encode(big)->size() > 8192);

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {4096, 4096};
            setrlimit(RLIMIT_FSIZE, &limit);
            QString error;
            const bool saved = ReportFile::save(path, big, &error);
            // 3: saved although it should not fit; 2: failed without naming the file.
            _exit(saved ? 3 : (error.contains(QStringLiteral("weekly.rpt")) ? 0 : 2));
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"weekly.rpt"});
    }

    void keywordsAndButtons()
    {
        QCOMPARE(ReportFile::orderFromKeyword(QStringLiteral("calendar")), ReportOrder::Calendar);
        QCOMPARE(ReportFile::orderFromKeyword(QStringLiteral("CONTACT")), ReportOrder::Contact);
        QVERIFY(!ReportFile::orderFromKeyword(QStringLiteral("Contact ")));
        QCOMPARE(ReportFile::kindFromKeyword(QStringLiteral("to-do")), InfoKind::ToDo);
        QCOMPARE(ReportFile::kindFromKeyword(QStringLiteral("Sale")), InfoKind::Sale);
        QVERIFY(!ReportFile::kindFromKeyword(QStringLiteral("Todo")));
        // Every kind's keyword maps back to its kind.
        for (int k = 0; k < 9; ++k) {
            const InfoKind kind = InfoKind(k);
            QCOMPARE(ReportFile::kindFromKeyword(ReportFile::kindKeyword(kind)), kind);
        }
        QCOMPARE(ReportFile::kindKeyword(InfoKind::ToDo), QStringLiteral("TO-DO"));
        QCOMPARE(ReportFile::kindKeyword(InfoKind::Contact), QStringLiteral("Contact"));

        // The loader's choice of information button.
        QCOMPARE(ReportFile::kindToCheck(InfoKind::Sale, true), InfoKind::Sale);
        QCOMPARE(ReportFile::kindToCheck(InfoKind::Sale, false), InfoKind::Event);
        QCOMPARE(ReportFile::kindToCheck(InfoKind::Contact, false), InfoKind::Event);
        QCOMPARE(ReportFile::kindToCheck(std::nullopt, false), InfoKind::Event);
        QCOMPARE(ReportFile::kindToCheck(std::nullopt, true), std::nullopt);

        QCOMPARE(ReportFile::paperButtonName(ReportFile::paperButtonForWidth(75)), "RBAmPor");
        QCOMPARE(ReportFile::paperButtonName(ReportFile::paperButtonForWidth(77)), "RbA4Por");
        QCOMPARE(ReportFile::paperButtonName(ReportFile::paperButtonForWidth(110)), "RbAmLan");
        QCOMPARE(ReportFile::paperButtonName(ReportFile::paperButtonForWidth(115)), "RBA4Lan");
        QCOMPARE(ReportFile::paperButtonForWidth(100), PaperButton::Other);
        QCOMPARE(ReportFile::paperButtonForWidth(0), PaperButton::Other);
    }
};

QTEST_GUILESS_MAIN(TestReportFile)
#include "tst_reportfile.moc"
