// The report-folder checker, run as the built program on a folder holding a
// clean report, one report for each kind of problem, a damaged file and a
// file that loads with oddities: its exact output and exit codes, as text and
// as JSON, and its field listing.

#include "TempInstallation.h"

#include "core/store/FolderCheck.h"
#include "engine/ParadoxWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString tool()
{
    return QDir(qEnvironmentVariable("TV_BIN_DIR")).filePath(QStringLiteral("tallyvane-check"));
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// One field block of a report file.
QString block(int dbType, const QString& field, int line, int left, int right,
              const QString& header = QString())
{
    return QStringList{QString::number(dbType),
                       QString(),
                       QString(),
                       header.isEmpty() ? field : header,
                       field,
                       QString::number(line),
                       QString::number(left),
                       QString::number(right),
                       "FALSE",
                       "FALSE",
                       "FALSE",
                       "FALSE",
                       "FALSE"}
               .join("\r\n") +
           "\r\n";
}

QString report(const QString& description, const QString& order, const QString& kind, int width,
               const QStringList& blocks)
{
    return QStringList{description, order, kind, QString::number(width),
                       QString::number(blocks.size())}
               .join("\r\n") +
           "\r\n" + blocks.join(QString());
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A contact table with a few of the host's columns.
void writeContactTable(const QString& path)
{
    const QList<FieldDef> fields{
        {"CustomID", FieldType::Alpha, 12, 0, false}, {"Company", FieldType::Alpha, 40, 0, false},
        {"LastName", FieldType::Alpha, 25, 0, false}, {"City", FieldType::Alpha, 25, 0, false},
        {"Phone1", FieldType::Alpha, 20, 0, false},   {"Balance", FieldType::Money, 0, 0, false},
        {"Created", FieldType::Date, 0, 0, false}};
    ParadoxWriter::writeTable(path, fields, 0, {});
}

} // namespace

class TestTallyvaneCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_data;

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(tool()))
            QSKIP("tallyvane-check has not been built");
        QVERIFY(m_root.isValid());
        m_data = m_root.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(m_data));
        writeContactTable(QDir(m_data).filePath(QStringLiteral("CONTACT.DB")));

        const QDir d(m_data);
        // Clean: the detail-level field and two columns, a call field.
        write(d.filePath("CLEAN.rpt"),
              report("Clean calls", "Contact", "Call", 75,
                     {block(0, "CustomID", 1, 1, 25), block(0, "Company", 1, 26, 49),
                      block(1, "EventDate", 1, 50, 75, "Phone call date")})
                  .toLatin1());
        // Two columns that touch at 25.
        write(d.filePath("OVERLAP.rpt"),
              report("Touching", "Contact", "Contact", 75,
                     {block(0, "Company", 1, 1, 25), block(0, "City", 1, 25, 50)})
                  .toLatin1());
        // A right margin past the width of line 4.
        write(d.filePath("WIDE.rpt"),
              report("Too wide", "Contact", "Contact", 75,
                     {block(0, "Company", 1, 1, 40), block(0, "City", 2, 1, 80)})
                  .toLatin1());
        // A column whose left margin is past its right.
        write(d.filePath("BACKWARD.rpt"),
              report("Backward", "Contact", "Contact", 110, {block(0, "City", 1, 40, 30)})
                  .toLatin1());
        // Contact fields the table does not have (any case of a real one is fine).
        write(d.filePath("OLDFIELD.rpt"),
              report("Old fields", "Contact", "Contact", 110,
                     {block(0, "company", 1, 1, 20), block(0, "Fax2", 1, 21, 40),
                      block(0, "citystatezip", 2, 1, 40)})
                  .toLatin1());
        // Event fields their kind does not offer, and one of an odd type.
        write(d.filePath("EVENTS.rpt"),
              report("Meetings", "Contact", "Meeting", 110,
                     {block(1, "EventDate", 1, 1, 20), block(1, "Venue", 1, 21, 40),
                      block(1, "Sale", 1, 41, 60), block(2, "Company", 2, 1, 20)})
                  .toLatin1());
        // A date-ordered report takes the basic event fields whatever line 3 says.
        write(d.filePath("DATED.rpt"),
              report("Dated", "Calendar", "Sale", 110,
                     {block(1, "Type", 1, 1, 20), block(1, "Paid", 1, 21, 40)})
                  .toLatin1());
        // Damaged: a position that is no number.
        QString damaged = report("Damaged", "Contact", "Contact", 75,
                                 {block(0, "Company", 1, 1, 20), block(0, "City", 1, 21, 40)});
        damaged.replace("\r\n21\r\n", "\r\n2l\r\n");
        write(d.filePath("DAMAGED.rpt"), damaged.toLatin1());
        // Loads with oddities: LF line ends, a blank flag and a line too many.
        QString odd =
            report("Odd but fine", "Contact", "Contact", 75, {block(0, "Company", 1, 1, 30)});
        odd.replace("\r\n", "\n");
        odd.replace("\nFALSE\n", "\n\n");
        odd += "left over\n";
        write(d.filePath("odd.rpt"), odd.toLatin1());
    }

    void textOutputAndExitCode()
    {
        const Run r = run(tool(), {m_data});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QString());
        const QString f = QDir::toNativeSeparators(m_data);
        const QString expected =
            "Folder " + f +
            "\n"
            "BACKWARD.rpt: \"Backward\", type Contact, kind Contact, 1 field\n"
            "  problem: line 12: Check Columns: LEFT Margin is less than RIGHT margin (field "
            "\"City\", printable width 110 on line 4)\n"
            "CLEAN.rpt: \"Clean calls\", type Contact, kind Call, 3 fields\n"
            "  ok\n"
            "DAMAGED.rpt: \"Damaged\", type Contact, kind Contact, 2 fields\n"
            "  problem: line 25: The report file " +
            QDir(f).filePath("DAMAGED.rpt") +
            " cannot be loaded: line 25, field LPosition: \"2l\" is not a valid whole number.\n"
            "DATED.rpt: \"Dated\", type Calendar, kind Sale, 2 fields\n"
            "  problem: line 23: event field \"Paid\" is not one of the GENERIC event fields\n"
            "EVENTS.rpt: \"Meetings\", type Contact, kind Meeting, 4 fields\n"
            "  problem: line 23: event field \"Venue\" is not one of the MEETING event fields\n"
            "  problem: line 36: event field \"Sale\" is not one of the MEETING event fields\n"
            "  problem: line 45: field \"Company\" has the type 2; 0 (contact) or 1 (event) was "
            "expected\n"
            "odd.rpt: \"Odd but fine\", type Contact, kind Contact, 1 field\n"
            "  note: line 1: Some lines do not end in CR LF.\n"
            "  note: line 14: An empty summary flag was read as FALSE.\n"
            "  note: line 19: Lines after the last field were ignored.\n"
            "  ok\n"
            "OLDFIELD.rpt: \"Old fields\", type Contact, kind Contact, 3 fields\n"
            "  problem: line 23: contact field \"Fax2\" is not in CONTACT.DB\n"
            "OVERLAP.rpt: \"Touching\", type Contact, kind Contact, 2 fields\n"
            "  problem: line 24: Check Columns: There are overlaps for right margin 25 (field "
            "\"City\", printable width 75 on line 4)\n"
            "WIDE.rpt: \"Too wide\", type Contact, kind Contact, 2 fields\n"
            "  problem: line 26: Check Columns: RIGHT margin greater than Right margin MAX of 75 "
            "(field \"City\", printable width 75 on line 4)\n"
            "9 reports checked: 2 clean, 7 with problems (9 problems)\n";
        const QStringList got = r.out.split('\n');
        const QStringList want = expected.split('\n');
        for (int i = 0; i < std::min(got.size(), want.size()); ++i)
            QCOMPARE(got[i], want[i]);
        QCOMPARE(r.out, expected);
    }

    void jsonOutput()
    {
        const Run r = run(tool(), {"--format", "json", m_data});
        QCOMPARE(r.exitCode, 1);
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(root["exitCode"].toInt(), 1);
        const QJsonObject summary = root["summary"].toObject();
        QCOMPARE(summary["reports"].toInt(), 9);
        QCOMPARE(summary["clean"].toInt(), 2);
        QCOMPARE(summary["withProblems"].toInt(), 7);
        QCOMPARE(summary["problems"].toInt(), 9);
        const QJsonArray reports = root["reports"].toArray();
        QCOMPARE(reports.size(), 9);
        const QJsonObject events = reports[4].toObject();
        QCOMPARE(events["file"].toString(), QStringLiteral("EVENTS.rpt"));
        QCOMPARE(events["description"].toString(), QStringLiteral("Meetings"));
        QCOMPARE(events["kind"].toString(), QStringLiteral("Meeting"));
        QCOMPARE(events["fieldCount"].toInt(), 4);
        QCOMPARE(events["clean"].toBool(), false);
        const QJsonArray problems = events["problems"].toArray();
        QCOMPARE(problems.size(), 3);
        QCOMPARE(problems[0].toObject()["kind"].toString(), QStringLiteral("event-field"));
        QCOMPARE(problems[0].toObject()["field"].toString(), QStringLiteral("Venue"));
        QCOMPARE(problems[0].toObject()["line"].toInt(), 23);
        QCOMPARE(problems[2].toObject()["kind"].toString(), QStringLiteral("field-type"));
        const QJsonObject damaged = reports[2].toObject();
        QCOMPARE(damaged["problems"].toArray()[0].toObject()["kind"].toString(),
                 QStringLiteral("refused"));
        const QJsonObject odd = reports[5].toObject();
        QCOMPARE(odd["clean"].toBool(), true);
        QCOMPARE(odd["notes"].toArray().size(), 3);
    }

    void cleanFolderExitsZero()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QDir(m_data).filePath("CLEAN.rpt"), dir.filePath("CLEAN.rpt")));
        QVERIFY(QFile::copy(QDir(m_data).filePath("CONTACT.DB"), dir.filePath("contact.db")));
        const Run r = run(tool(), {dir.path()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.endsWith("1 report checked: 1 clean, 0 with problems (0 problems)\n"));

        // Without a contact table, contact fields cannot be checked: a problem.
        QVERIFY(QFile::remove(dir.filePath("contact.db")));
        const Run without = run(tool(), {dir.path()});
        QCOMPARE(without.exitCode, 1);
        QVERIFY2(without.out.contains("  problem: line 23: contact field \"Company\" could not be "
                                      "checked: "),
                 qPrintable(without.out));
        QVERIFY(without.out.contains("CONTACT.DB cannot be read: "));
    }

    // Control characters of a report file reach the terminal escaped, and
    // a file name that is not valid UTF-8 is checked and named readably.
    void controlCharactersAndOddNames()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QDir(m_data).filePath("CONTACT.DB"), dir.filePath("CONTACT.DB")));
        const QString ring = QStringLiteral("Ring\x07 \x1b[31mred\x1b[0m");
        write(dir.filePath("ctl.rpt"),
              report(ring, "Contact\x1b", "Contact", 75,
                     {block(0, "City", 1, 1, 20), block(0, "No\x07Such", 1, 22, 40)})
                  .toLatin1());
        const QByteArray odd = QFile::encodeName(dir.path()) + "/caf\xe9.rpt";
        {
            QFile f;
            QVERIFY(f.open(::fopen(odd.constData(), "wb"), QIODevice::WriteOnly,
                           QFile::AutoCloseHandle));
            f.write(
                report("Latin", "Contact", "Contact", 75, {block(0, "City", 1, 1, 20)}).toLatin1());
        }
        const Run r = run(tool(), {dir.path()});
        QCOMPARE(r.exitCode, 1);
        for (const QChar c : r.out)
            QVERIFY2(c == QLatin1Char('\n') || c.unicode() >= 0x20, qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("ctl.rpt: \"Ring\\x07 \\x1B[31mred\\x1B[0m\", type "
                                               "Contact\\x1B, kind Contact, 2 fields\n")),
                 qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("No\\x07Such")), qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("caf\u00e9.rpt: \"Latin\", type Contact")),
                 qPrintable(r.out));
        QVERIFY2(r.out.endsWith("2 reports checked: 1 clean, 1 with problems (1 problem)\n"),
                 qPrintable(r.out));
    }

    void couldNotRunExitsTwo()
    {
        const Run missing = run(tool(), {m_root.filePath("no such folder")});
        QCOMPARE(missing.exitCode, 2);
        QCOMPARE(missing.out, QString());
        QVERIFY(missing.err.startsWith("tallyvane-check: The folder "));
        const Run json = run(tool(), {"--format", "json", m_root.filePath("no such folder")});
        QCOMPARE(json.exitCode, 2);
        QVERIFY(QJsonDocument::fromJson(json.out.toUtf8()).object().contains("error"));
        QCOMPARE(run(tool(), {"--format", "xml", m_data}).exitCode, 2);
        QCOMPARE(run(tool(), {"--bogus"}).exitCode, 2);
    }

    void aliasFolderByDefault()
    {
        // A copy of the program in a folder of its own, first without the
        // alias file, then with one whose VESKA names the data folder.
        QTemporaryDir install;
        const QString copy = install.filePath("tallyvane-check");
        QVERIFY(QFile::copy(tool(), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::permissions(tool())));
        const Run noAlias = run(copy, {});
        QCOMPARE(noAlias.exitCode, 2);
        QVERIFY(noAlias.err.startsWith("tallyvane-check: "));
        QCOMPARE(run(copy, {"--fields"}).exitCode, 2);

        QVERIFY(TempInstallation::writeAliasFile(install.filePath("ALIASES.INI"), m_data));
        const Run r = run(copy, {});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.startsWith("Folder " + QDir::toNativeSeparators(m_data) + "\n"));
        QVERIFY(r.out.endsWith("9 reports checked: 2 clean, 7 with problems (9 problems)\n"));

        // The field lists of the alias folder: CONTACT.DB, and EVENT.DB,
        // which this folder lacks.
        const Run fields = run(copy, {"--fields"});
        QCOMPARE(fields.exitCode, 2);
        const QString contact = QDir::toNativeSeparators(QDir(m_data).filePath("CONTACT.DB"));
        QVERIFY2(fields.out.startsWith("CONTACT.DB (" + contact +
                                       "): 7 fields\n"
                                       "  CustomID  Alpha  12\n"
                                       "  Company   Alpha  40\n"
                                       "  LastName  Alpha  25\n"
                                       "  City      Alpha  25\n"
                                       "  Phone1    Alpha  20\n"
                                       "  Balance   Money  8\n"
                                       "  Created   Date   4\n"
                                       "EVENT.DB: "),
                 qPrintable(fields.out));
        const Run one = run(copy, {"--fields", "contact.db"});
        QCOMPARE(one.exitCode, 0);
        QVERIFY(one.out.startsWith("contact.db (" + contact + "): 7 fields\n"));
    }

    void fieldsOfAFile()
    {
        const QString path = QDir(m_data).filePath("CONTACT.DB");
        const Run r = run(tool(), {"--fields", "--format", "json", path});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray tables = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(tables.size(), 1);
        const QJsonArray fields = tables[0].toObject()["fields"].toArray();
        QCOMPARE(fields.size(), 7);
        QCOMPARE(fields[5].toObject()["name"].toString(), QStringLiteral("Balance"));
        QCOMPARE(fields[5].toObject()["type"].toString(), QStringLiteral("Money"));
        QCOMPARE(fields[0].toObject()["size"].toInt(), 12);
        // Something that is no table.
        const Run bad = run(tool(), {"--fields", QDir(m_data).filePath("CLEAN.rpt")});
        QCOMPARE(bad.exitCode, 2);
        QVERIFY(bad.out.startsWith(QDir(m_data).filePath("CLEAN.rpt") + ": "));
    }
};

QTEST_GUILESS_MAIN(TestTallyvaneCheck)
#include "tst_tallyvanecheck.moc"
